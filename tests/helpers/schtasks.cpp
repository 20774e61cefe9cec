// A recording stand-in for the Task Scheduler's command-line tool. Each run appends its
// whole command line (UTF-16, one line per run) to the file named by VEXRA_SCHTASKS_LOG
// and exits with the code in VEXRA_SCHTASKS_EXIT_CREATE for a "/create" run, or
// VEXRA_SCHTASKS_EXIT_DELETE for a "/delete" run (0 when unset).
#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {

bool ReadVariable(const wchar_t* name, wchar_t* buffer, DWORD chars)
{
    const DWORD length = GetEnvironmentVariableW(name, buffer, chars);
    return length > 0 && length < chars;
}

void AppendToLog(const wchar_t* commandLine)
{
    wchar_t logPath[MAX_PATH * 2];
    if (!ReadVariable(L"VEXRA_SCHTASKS_LOG", logPath, MAX_PATH * 2))
        return;
    HANDLE file = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, commandLine, static_cast<DWORD>(wcslen(commandLine) * sizeof(wchar_t)), &written, nullptr);
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
    AppendToLog(commandLine);
    return ExitCodeFor(commandLine);
}
