#include "settings/LogonTask.h"

#include "monitor/RunningWindowsVersion.h"
#include "settings/SettingsStore.h"

#include <vector>

namespace {

const wchar_t kTaskTool[] = L"schtasks.exe";
const wchar_t kSettingsKey[] = L"Software\\VexraUi";
const wchar_t kMarkerValue[] = L"Schedinfo";
const wchar_t kMarkerDone[] = L"2";

class CHandle
{
public:
    explicit CHandle(HANDLE handle) : m_handle(handle) {}
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    ~CHandle()
    {
        if (m_handle != nullptr)
            CloseHandle(m_handle);
    }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

DWORD WindowsMajorVersion()
{
    OSVERSIONINFOEXW version;
    ReadRunningWindowsVersion(version);  // left zeroed when Windows cannot tell
    return version.dwMajorVersion;
}

}  // namespace

CString GetModulePath()
{
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(GetModuleHandleW(nullptr), path, MAX_PATH);
    return CString(path);
}

CString LogonTaskProgramPath(const CString& strModulePath)
{
    const int lastSlash = strModulePath.ReverseFind(L'\\');
    const CString folder = lastSlash >= 0 ? strModulePath.Left(lastSlash) : strModulePath;

    constexpr DWORD kShortPathChars = 500;
    std::vector<wchar_t> shortFolder(kShortPathChars, L'\0');
    const DWORD length = GetShortPathNameW(folder, shortFolder.data(), kShortPathChars);
    // No short name (folder gone, short names disabled, or longer than the buffer): the
    // long folder still names the same program.
    const CString chosen = length > 0 && length < kShortPathChars ? CString(shortFolder.data()) : folder;
    return chosen + L"\\VEXRA-by-Teskor.exe";
}

CString LogonTaskCreateArguments(DWORD dwMajorVersion, const CString& strProgramPath)
{
    CString arguments;
    if (dwMajorVersion >= 6)
        arguments.Format(L"/create /sc ONLOGON /delay 0005:00 /tn Vexra_Start /tr \"'%s'\" /RL HIGHEST",
                         strProgramPath);
    else
        arguments.Format(L"/create /sc ONLOGON  /tn Vexra_Start /tr \"'%s'\" /ru \"System\" ",
                         strProgramPath);
    return arguments;
}

BOOL RunTaskTool(CString strTool, CString strArguments)
{
    CString commandLine;
    commandLine.Format(L"%s %s", strTool, strArguments);
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> writable(commandLine.GetString(), commandLine.GetString() + commandLine.GetLength() + 1);

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return FALSE;

    CHandle processHandle(process.hProcess);
    CHandle threadHandle(process.hThread);
    WaitForSingleObject(processHandle.Get(), INFINITE);
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(processHandle.Get(), &exitCode))
        return FALSE;
    return exitCode == 0;
}

void CreateLogonTask()
{
    if (ReadRegString(HKEY_CURRENT_USER, kSettingsKey, kMarkerValue) == kMarkerDone)
        return;

    const CString programPath = LogonTaskProgramPath(GetModulePath());
    // Removing a task that does not exist fails, as it does on every first start; only
    // the creation decides whether the set-up is done.
    RunTaskTool(kTaskTool, L"/delete /tn Vexra_Start /F");
    if (RunTaskTool(kTaskTool, LogonTaskCreateArguments(WindowsMajorVersion(), programPath)))
        WriteUserRegString(kSettingsKey, kMarkerValue, kMarkerDone);
}
