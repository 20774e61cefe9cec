#include "settings/LogonTask.h"

#include "engine/Utf16Bridge.h"
#include "framework/Handle.h"
#include "monitor/RunningWindowsVersion.h"
#include "settings/LogonTaskDefinition.h"
#include "settings/SettingsStore.h"
#include "settings/TaskDefinitionFile.h"

#include <vector>

namespace {

const wchar_t kTaskToolName[] = L"schtasks.exe";
const wchar_t kSettingsKey[] = L"Software\\VexraUi";
const wchar_t kMarkerValue[] = L"Schedinfo";
const wchar_t kMarkerDone[] = L"2";
// How long an ended tool may take to be gone: only then are its handles closed (the
// definition file's among them).
constexpr DWORD kEndedToolWaitMs = 5000;

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

CString LogonTaskCreateFromDefinitionArguments(const CString& strDefinitionPath)
{
    CString arguments;
    arguments.Format(L"/create /tn Vexra_Start /xml \"%s\" /F", strDefinitionPath);
    return arguments;
}

CString LegacyLogonTaskCreateArguments(const CString& strProgramPath)
{
    CString arguments;
    arguments.Format(L"/create /sc ONLOGON  /tn Vexra_Start /tr \"'%s'\" /ru \"System\" ", strProgramPath);
    return arguments;
}

CString SystemTaskToolPath()
{
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CString();
    return CString(folder) + L"\\" + kTaskToolName;
}

namespace {

CString FileNameOf(const CString& path)
{
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

DWORD MillisecondsLeft(ULONGLONG deadline)
{
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

}  // namespace

TaskToolResult RunTaskTool(const CString& strToolPath, const CString& strArguments, DWORD dwWaitMs,
                           HANDLE hStop)
{
    if (hStop != nullptr && WaitForSingleObject(hStop, 0) == WAIT_OBJECT_0)
        return TaskToolResult::NotFinished;
    // The tool is the file at its full path, never a schtasks.exe that the search would
    // find first beside the program or in the current folder and run with our rights;
    // its command line names it as usual.
    CString commandLine;
    commandLine.Format(L"%s %s", FileNameOf(strToolPath).GetString(), strArguments.GetString());
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> writable(commandLine.GetString(), commandLine.GetString() + commandLine.GetLength() + 1);

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));
    if (strToolPath.IsEmpty() ||
        !CreateProcessW(strToolPath, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return TaskToolResult::NotStarted;

    CKernelHandle processHandle(process.hProcess);
    CKernelHandle threadHandle(process.hThread);
    const HANDLE waits[] = {processHandle.Get(), hStop};
    const DWORD waitCount = hStop != nullptr ? 2 : 1;
    if (WaitForMultipleObjects(waitCount, waits, FALSE, dwWaitMs) != WAIT_OBJECT_0)
    {
        // A tool stuck on a Task Scheduler that does not answer is not left behind.
        TerminateProcess(processHandle.Get(), 1);
        WaitForSingleObject(processHandle.Get(), kEndedToolWaitMs);
        return TaskToolResult::NotFinished;
    }
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(processHandle.Get(), &exitCode) || exitCode != 0)
        return TaskToolResult::Failed;
    return TaskToolResult::Succeeded;
}

void CreateLogonTask(HANDLE hStop)
{
    SetUpLogonTask(SystemTaskToolPath(), LOGON_TASK_TOOL_WAIT_MS, hStop);
}

namespace {

// Windows 6 and later take the task's whole definition from a file, older Windows only
// arguments. The file is gone again when this returns, before anything is recorded.
TaskToolResult RunCreate(const CString& strToolPath, const CString& strProgramPath, DWORD dwWaitMs,
                         HANDLE hStop)
{
    if (WindowsMajorVersion() < 6)
        return RunTaskTool(strToolPath, LegacyLogonTaskCreateArguments(strProgramPath), dwWaitMs, hStop);
    CTaskDefinitionFile definition;
    if (!definition.Create(TemporaryFolder(), MakeLogonTaskDefinition(ToU16(strProgramPath))))
        return TaskToolResult::NotStarted;
    return RunTaskTool(strToolPath, LogonTaskCreateFromDefinitionArguments(definition.Path()), dwWaitMs, hStop);
}

}  // namespace

void SetUpLogonTask(const CString& strToolPath, DWORD dwWaitMs, HANDLE hStop)
{
    if (ReadRegString(HKEY_CURRENT_USER, kSettingsKey, kMarkerValue) == kMarkerDone)
        return;

    const CString programPath = LogonTaskProgramPath(GetModulePath());
    // One bound for the two runs together.
    const ULONGLONG deadline = GetTickCount64() + dwWaitMs;
    // Removing a task that does not exist fails, as it does on every first start; only
    // the creation decides whether the set-up is done.
    if (RunTaskTool(strToolPath, L"/delete /tn Vexra_Start /F", dwWaitMs, hStop) == TaskToolResult::NotFinished)
        return;
    if (RunCreate(strToolPath, programPath, MillisecondsLeft(deadline), hStop) == TaskToolResult::Succeeded)
        WriteUserRegString(kSettingsKey, kMarkerValue, kMarkerDone);
}
