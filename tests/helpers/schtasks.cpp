// A recording stand-in for the Task Scheduler's command-line tool. Each run appends its
// whole command line (UTF-16, one line per run) to the file named by VEXRA_SCHTASKS_LOG,
// and its own full path to the file named by VEXRA_SCHTASKS_IMAGES (so a test can tell
// which of several copies ran), and exits with the code in VEXRA_SCHTASKS_EXIT_CREATE for
// a "/create" run, or VEXRA_SCHTASKS_EXIT_DELETE for a "/delete" run (0 when unset).
//
// A run given a task definition ("/xml <file>") reads the file while it runs, as the real
// tool does, opening it as a strict reader that lets nobody write beside it, and copies
// its bytes to the file named by VEXRA_SCHTASKS_DEFINITION; it fails (exit code 1) when it
// cannot read it. Then it tries what someone else could try while the tool runs, and
// appends one line each to the file named by VEXRA_SCHTASKS_PROBES: "write refused" or
// "write allowed", "delete refused" or "delete allowed", "rename refused" or "rename
// allowed" (a rename that worked is undone).
//
// With VEXRA_SCHTASKS_WAIT_MS set each run waits that long before it ends. With
// VEXRA_SCHTASKS_HANG set it does not end by itself (for five minutes, so that a failed
// test leaves nothing running for long), like a tool waiting on a Task Scheduler that does
// not answer: every run, or with the value "create" only the "/create" runs.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

bool ReadVariable(const wchar_t* name, wchar_t* buffer, DWORD chars)
{
    const DWORD length = GetEnvironmentVariableW(name, buffer, chars);
    return length > 0 && length < chars;
}

constexpr DWORD kHangMs = 5 * 60 * 1000;

bool IsCreate(const wchar_t* commandLine) { return wcsstr(commandLine, L"/create") != nullptr; }

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
    if (IsCreate(commandLine))
        variable = L"VEXRA_SCHTASKS_EXIT_CREATE";
    else if (wcsstr(commandLine, L"/delete") != nullptr)
        variable = L"VEXRA_SCHTASKS_EXIT_DELETE";
    wchar_t value[32];
    if (variable == nullptr || !ReadVariable(variable, value, 32))
        return 0;
    return static_cast<int>(wcstol(value, nullptr, 10));
}

// The file after "/xml": in double quotes, or up to the next blank. Empty without one.
std::wstring DefinitionPath(const wchar_t* commandLine)
{
    const wchar_t* option = wcsstr(commandLine, L"/xml ");
    if (option == nullptr)
        return {};
    const wchar_t* start = option + 5;
    const wchar_t end = *start == L'"' ? L'"' : L' ';
    if (*start == L'"')
        ++start;
    const wchar_t* stop = wcschr(start, end);
    return stop != nullptr ? std::wstring(start, stop) : std::wstring(start);
}

bool CopyDefinition(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<char> bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0)
        bytes.insert(bytes.end(), chunk, chunk + read);
    CloseHandle(file);

    wchar_t copyPath[MAX_PATH * 2];
    if (!ReadVariable(L"VEXRA_SCHTASKS_DEFINITION", copyPath, MAX_PATH * 2))
        return true;
    HANDLE copy = CreateFileW(copyPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (copy == INVALID_HANDLE_VALUE)
        return true;
    DWORD written = 0;
    WriteFile(copy, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(copy);
    return true;
}

void ProbeDefinition(const std::wstring& path)
{
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    AppendToLog(L"VEXRA_SCHTASKS_PROBES", writer == INVALID_HANDLE_VALUE ? L"write refused" : L"write allowed");
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);

    const std::wstring moved = path + L".moved";
    const bool renamed = MoveFileW(path.c_str(), moved.c_str()) != FALSE;
    AppendToLog(L"VEXRA_SCHTASKS_PROBES", renamed ? L"rename allowed" : L"rename refused");
    if (renamed)
        MoveFileW(moved.c_str(), path.c_str());

    // Last: a delete that works leaves nothing to read.
    AppendToLog(L"VEXRA_SCHTASKS_PROBES", DeleteFileW(path.c_str()) ? L"delete allowed" : L"delete refused");
}

bool Hangs(const wchar_t* commandLine)
{
    wchar_t hang[16];
    if (!ReadVariable(L"VEXRA_SCHTASKS_HANG", hang, 16))
        return false;
    return wcscmp(hang, L"create") != 0 || IsCreate(commandLine);
}

}  // namespace

int wmain()
{
    const wchar_t* commandLine = GetCommandLineW();
    AppendToLog(L"VEXRA_SCHTASKS_LOG", commandLine);
    wchar_t ownPath[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, ownPath, MAX_PATH * 2);
    AppendToLog(L"VEXRA_SCHTASKS_IMAGES", ownPath);

    const std::wstring definition = DefinitionPath(commandLine);
    if (!definition.empty())
    {
        if (!CopyDefinition(definition))
            return 1;
        ProbeDefinition(definition);
    }

    wchar_t wait[16];
    if (ReadVariable(L"VEXRA_SCHTASKS_WAIT_MS", wait, 16))
        Sleep(static_cast<DWORD>(wcstoul(wait, nullptr, 10)));
    if (Hangs(commandLine))
        Sleep(kHangMs);
    return ExitCodeFor(commandLine);
}
