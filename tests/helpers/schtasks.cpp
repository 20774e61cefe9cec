// A recording stand-in for the Task Scheduler's command-line tool. Each run appends its
// whole command line (UTF-16, one line per run) to the file named by VEXRA_SCHTASKS_LOG,
// and its own full path to the file named by VEXRA_SCHTASKS_IMAGES (so a test can tell
// which of several copies ran), and exits with the code in VEXRA_SCHTASKS_EXIT_CREATE for
// a "/create" run, or VEXRA_SCHTASKS_EXIT_DELETE for a "/delete" run (0 when unset).
// With VEXRA_SCHTASKS_HANG set it does not end by itself (for five minutes, so that a
// failed test leaves nothing running for long), like a tool waiting on a Task Scheduler
// that does not answer.
#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {

bool ReadVariable(const wchar_t* name, wchar_t* buffer, DWORD chars)
{
    const DWORD length = GetEnvironmentVariableW(name, buffer, chars);
    return length > 0 && length < chars;
}

constexpr DWORD kHangMs = 5 * 60 * 1000;

void AppendToLog(const wchar_t* logVariable, const wchar_t* line)
{
    wchar_t logPath[MAX_PATH * 2];
    if (!ReadVariable(logVariable, logPath, MAX_PATH * 2))
        return;
    HANDLE file = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)), &written, nullptr);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
}

int ExitCodeFor(const wchar_t* commandLine)
{
    const wchar_t* variable = nullptr;
    if (wcsstr(commandLine, L"/create") != nullptr)
        variable = L"VEXRA_SCHTASKS_EXIT_CREATE";
    else if (wcsstr(commandLine, L"/delete") != nullptr)
        variable = L"VEXRA_SCHTASKS_EXIT_DELETE";
    wchar_t value[32];
    if (variable == nullptr || !ReadVariable(variable, value, 32))
        return 0;
    return static_cast<int>(wcstol(value, nullptr, 10));
}

}  // namespace

int wmain()
{
    const wchar_t* commandLine = GetCommandLineW();
    AppendToLog(L"VEXRA_SCHTASKS_LOG", commandLine);
    wchar_t ownPath[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, ownPath, MAX_PATH * 2);
    AppendToLog(L"VEXRA_SCHTASKS_IMAGES", ownPath);
    wchar_t hang[8];
    if (ReadVariable(L"VEXRA_SCHTASKS_HANG", hang, 8))
        Sleep(kHangMs);
    return ExitCodeFor(commandLine);
}
