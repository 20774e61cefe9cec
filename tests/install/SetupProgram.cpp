#include "SetupProgram.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace install {

namespace {

std::wstring KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

// The entry belongs in the registry view of the program's own architecture: the 32-bit
// view for the x86 program (on 64-bit Windows too), the 64-bit view for the x64 one. This
// test is built for the same architecture as the setup it runs.
constexpr REGSAM kEntryView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

std::optional<std::vector<BYTE>> EntryValue(const wchar_t* valueName, DWORD expectedType)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | kEntryView, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    std::optional<std::vector<BYTE>> result;
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        type == expectedType)
    {
        std::vector<BYTE> data(bytes + sizeof(wchar_t), 0);
        if (RegQueryValueExW(key, valueName, nullptr, &type, data.data(), &bytes) == ERROR_SUCCESS)
            result = data;
    }
    RegCloseKey(key);
    return result;
}

}  // namespace

std::wstring SetupPath()
{
    return e2e::ToWindowsPath(e2e::EnvironmentValue(L"VEXRA_SETUP"));
}

std::wstring OwnArchitecture()
{
    return sizeof(void*) == 8 ? L"x64" : L"x86";
}

std::wstring DefaultInstallFolder()
{
    // The Program Files folder of this test's own architecture, which is the setup's.
    return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Vexra";
}

std::wstring StartMenuShortcut()
{
    return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\" + kShortcutFileName;
}

std::wstring ShortcutTarget(const std::wstring& shortcutPath)
{
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring target;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))))
    {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(shortcutPath.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
                target = path;
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return target;
}

std::optional<DWORD> RunForExitCode(const std::wstring& commandLine, std::string* failure)
{
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
    {
        *failure = "cannot start " + e2e::Narrow(commandLine) + ": error " +
                   std::to_string(GetLastError());
        return std::nullopt;
    }
    CloseHandle(info.hThread);
    DWORD exitCode = STILL_ACTIVE;
    // Our own windows (none here, but the harness's waits expect it) keep being served.
    const bool ended = e2e::WaitUntil(
        [&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }, kSetupDeadline,
        "the end of " + e2e::Narrow(commandLine));
    if (ended)
        GetExitCodeProcess(info.hProcess, &exitCode);
    else
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    if (!ended)
    {
        *failure = e2e::Narrow(commandLine) + " did not end";
        return std::nullopt;
    }
    return exitCode;
}

testing::AssertionResult RunCommandLine(const std::wstring& commandLine)
{
    std::string failure;
    const std::optional<DWORD> exitCode = RunForExitCode(commandLine, &failure);
    if (!exitCode)
        return testing::AssertionFailure() << failure;
    if (*exitCode != 0)
        return testing::AssertionFailure()
               << e2e::Narrow(commandLine) << " ended with exit code " << *exitCode;
    return testing::AssertionSuccess();
}

testing::AssertionResult RunSetup(const std::wstring& arguments)
{
    const std::wstring setup = SetupPath();
    if (!e2e::FileExists(setup))
        return testing::AssertionFailure()
               << "the setup is not built (scripts/package.sh): " << e2e::Narrow(setup);
    return RunCommandLine(L"\"" + setup + L"\" " + arguments);
}

bool UninstallEntryExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | kEntryView, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::wstring> EntryString(const wchar_t* valueName)
{
    const auto data = EntryValue(valueName, REG_SZ);
    if (!data)
        return std::nullopt;
    return std::wstring(reinterpret_cast<const wchar_t*>(data->data()));
}

std::optional<DWORD> EntryNumber(const wchar_t* valueName)
{
    const auto data = EntryValue(valueName, REG_DWORD);
    if (!data || data->size() < sizeof(DWORD))
        return std::nullopt;
    DWORD number = 0;
    memcpy(&number, data->data(), sizeof number);
    return number;
}

bool FolderExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ProgramKeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, e2e::kProgramKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::vector<char>> FileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<char> bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.insert(bytes.end(), buffer, buffer + read);
    CloseHandle(file);
    return bytes;
}

namespace {

bool WriteAtEnd(const std::wstring& path, DWORD disposition, const std::string& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END) &&
                    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

}  // namespace

bool AppendToFile(const std::wstring& path, const std::string& extra)
{
    return WriteAtEnd(path, OPEN_EXISTING, extra);
}

bool WriteTextFile(const std::wstring& path, const std::string& text)
{
    return WriteAtEnd(path, CREATE_ALWAYS, text);
}

bool SameFolder(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

VersionRecord ReadVersionRecord(const std::wstring& path)
{
    VersionRecord record;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0)
        return record;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()))
        return record;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return record;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    record.found = true;
    record.fileVersionMS = fixed->dwFileVersionMS;
    record.fileVersionLS = fixed->dwFileVersionLS;
    record.productVersionMS = fixed->dwProductVersionMS;
    record.productVersionLS = fixed->dwProductVersionLS;

    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
        return record;
    const auto* translation = static_cast<const WORD*>(value);
    wchar_t block[64];
    swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    auto text = [&](const wchar_t* name) {
        void* found = nullptr;
        UINT chars = 0;
        const std::wstring query = std::wstring(block) + name;
        if (!VerQueryValueW(data.data(), query.c_str(), &found, &chars) || !found)
            return std::wstring();
        return std::wstring(static_cast<const wchar_t*>(found));
    };
    record.fileVersion = text(L"FileVersion");
    record.productVersion = text(L"ProductVersion");
    record.companyName = text(L"CompanyName");
    record.productName = text(L"ProductName");
    return record;
}

void RemoveInstallationByHand(const std::wstring& folder)
{
    DeleteFileW((folder + L"\\" + e2e::kProgramFileName).c_str());
    DeleteFileW((folder + L"\\" + kUninstallerFileName).c_str());
    RemoveDirectoryW(folder.c_str());
    DeleteFileW(StartMenuShortcut().c_str());
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, kEntryView, 0);
}

// ---- the windows of a setup or uninstaller ------------------------------------------------

HWND WindowWithButton(DWORD processId, int buttonId, bool mustBeEnabled)
{
    for (HWND window : e2e::TopLevelWindowsOf(processId))
    {
        const HWND button = GetDlgItem(window, buttonId);
        if (IsWindowVisible(window) && button && IsWindowVisible(button) &&
            (!mustBeEnabled || IsWindowEnabled(button)))
            return window;
    }
    return nullptr;
}

namespace {

BOOL CALLBACK AppendControlText(HWND control, LPARAM texts)
{
    *reinterpret_cast<std::wstring*>(texts) += e2e::WindowText(control) + L"\n";
    return TRUE;
}

}  // namespace

std::wstring ControlTexts(HWND window)
{
    std::wstring texts;
    EnumChildWindows(window, AppendControlText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

void PressButton(HWND dialog, int buttonId)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

// ---- the other architecture's installation --------------------------------------------------

namespace {

constexpr REGSAM kOtherEntryView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

bool WriteEntryText(HKEY key, const wchar_t* name, const std::wstring& text)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

bool RunningOn64BitWindows()
{
    if (sizeof(void*) == 8)
        return true;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::wstring OtherArchitectureInstallFolder()
{
    if (!RunningOn64BitWindows())
        return {};
    if (sizeof(void*) == 8)
        return KnownFolder(CSIDL_PROGRAM_FILESX86) + L"\\Vexra";
    // A 32-bit process is given the 32-bit folder under every name but this one.
    const std::wstring nativeFolder = e2e::EnvironmentValue(L"ProgramW6432");
    return nativeFolder.empty() ? std::wstring() : nativeFolder + L"\\Vexra";
}

bool WriteOtherArchitectureEntry(const std::wstring& folder)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0,
                        KEY_WRITE | kOtherEntryView, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring uninstaller = L"\"" + folder + L"\\" + kUninstallerFileName + L"\"";
    const bool written = WriteEntryText(key, L"DisplayName", L"Vexra") &&
                         WriteEntryText(key, L"DisplayVersion", L"1.0.0.37") &&
                         WriteEntryText(key, L"InstallLocation", folder) &&
                         WriteEntryText(key, L"UninstallString", uninstaller);
    RegCloseKey(key);
    return written;
}

bool OtherArchitectureEntryExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | kOtherEntryView, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void RemoveOtherArchitectureInstallation()
{
    const std::wstring folder = OtherArchitectureInstallFolder();
    if (!folder.empty())
    {
        DeleteFileW((folder + L"\\" + e2e::kProgramFileName).c_str());
        DeleteFileW((folder + L"\\" + kUninstallerFileName).c_str());
        RemoveDirectoryW(folder.c_str());
    }
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, kOtherEntryView, 0);
}

}  // namespace install
