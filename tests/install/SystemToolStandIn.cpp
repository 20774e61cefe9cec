#include "SystemToolStandIn.h"

#include "Harness.h"

namespace install {

namespace {

constexpr wchar_t kOverridesKey[] = L"Software\\Wine\\DllOverrides";
constexpr wchar_t kToolModule[] = L"schtasks.exe";
constexpr wchar_t kLoadFileFirst[] = L"native";

std::optional<std::wstring> ReadLoadOrder()
{
    wchar_t value[256] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kOverridesKey, kToolModule, RRF_RT_REG_SZ, nullptr, value,
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

void WriteLoadOrder(const std::optional<std::wstring>& order)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kOverridesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    if (order)
        RegSetValueExW(key, kToolModule, 0, REG_SZ, reinterpret_cast<const BYTE*>(order->c_str()),
                       static_cast<DWORD>((order->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key, kToolModule);
    RegCloseKey(key);
}

std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? folder : L"";
}

}  // namespace

SystemToolStandIn::SystemToolStandIn(const std::wstring& logPath)
    : m_toolPath(SystemFolder() + L"\\schtasks.exe"),
      m_keptPath(SystemFolder() + L"\\schtasks-wine.exe"),
      m_logPath(logPath)
{
    if (e2e::FileExists(m_keptPath)) {
        // A run that crashed left its stand-in and its load order behind.
        RestoreSystemTool();
        WriteLoadOrder(std::nullopt);
    }
    const std::wstring standIn = e2e::HelperPath(L"schtasks");
    if (!e2e::FileExists(standIn)) {
        m_failure = "the build has no schtasks.exe stand-in: " + e2e::Narrow(standIn);
        return;
    }
    if (e2e::FileExists(m_toolPath) &&
        !MoveFileExW(m_toolPath.c_str(), m_keptPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        m_failure = "cannot move the system's schtasks.exe aside: error " +
                    std::to_string(GetLastError());
        return;
    }
    if (!CopyFileW(standIn.c_str(), m_toolPath.c_str(), FALSE)) {
        m_failure = "cannot copy the stand-in to " + e2e::Narrow(m_toolPath) + ": error " +
                    std::to_string(GetLastError());
        RestoreSystemTool();
        return;
    }
    PreferFileInSystemFolder();
    DeleteFileW(m_logPath.c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", m_logPath.c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_CREATE", nullptr);
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_DELETE", nullptr);
    m_placed = true;
}

SystemToolStandIn::~SystemToolStandIn()
{
    if (m_placed)
        RestoreLoadOrder();
    RestoreSystemTool();
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", nullptr);
}

void SystemToolStandIn::RestoreSystemTool()
{
    if (!e2e::FileExists(m_keptPath))
        return;
    // A run of the stand-in that is just ending may still hold its file for a moment.
    e2e::WaitUntil(
        [&] {
            return MoveFileExW(m_keptPath.c_str(), m_toolPath.c_str(), MOVEFILE_REPLACE_EXISTING) !=
                   FALSE;
        },
        e2e::Milliseconds{5000}, "the system's schtasks.exe to be put back");
}

void SystemToolStandIn::PreferFileInSystemFolder()
{
    m_previousLoadOrder = ReadLoadOrder();
    WriteLoadOrder(std::wstring(kLoadFileFirst));
}

void SystemToolStandIn::RestoreLoadOrder()
{
    WriteLoadOrder(m_previousLoadOrder);
}

std::vector<std::wstring> SystemToolStandIn::Runs() const
{
    std::vector<std::wstring> runs;
    HANDLE file = CreateFileW(m_logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return runs;
    std::wstring text;
    wchar_t buffer[1024];
    DWORD bytes = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &bytes, nullptr) && bytes > 0)
        text.append(buffer, bytes / sizeof(wchar_t));
    CloseHandle(file);
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        runs.push_back(text.substr(start, end - start));
    return runs;
}

}  // namespace install
