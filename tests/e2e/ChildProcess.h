// A process the tests started: owns its process handle (full access, so GetPriorityClass
// and TerminateProcess always work) and ends the process when the object goes.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace e2e {

class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // CreateProcessW of `exePath` with `arguments` (may be empty) as the command line's
    // tail and `creationFlags` (for example a priority class the process is born with);
    // the current directory is `currentFolder`, or the executable's folder when that is
    // empty. On failure returns false and puts the Win32 error into `error`.
    bool Start(const std::wstring& exePath, const std::wstring& arguments, DWORD* error,
               DWORD creationFlags = 0, const std::wstring& currentFolder = std::wstring());

    bool IsStarted() const { return m_process != nullptr; }
    bool IsRunning() const;
    DWORD Id() const { return m_processId; }
    HANDLE Handle() const { return m_process; }
    // Waits for the end of the process; false when it still runs after `deadline`.
    bool WaitForExit(std::chrono::milliseconds deadline, DWORD* exitCode = nullptr) const;
    // The priority class read back with GetPriorityClass (0 when unknown).
    DWORD PriorityClass() const;
    void Terminate();

private:
    void Release();

    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
};

// Starts a copy of the helper program tests/helpers/<helper>.exe named `asName` (for
// example "chrome.exe") from `folder`, with `arguments` and `creationFlags`. The copy's
// name is the image name the program sees.
bool StartHelperAs(const std::wstring& helper, const std::wstring& asName,
                   const std::wstring& folder, const std::wstring& arguments,
                   ChildProcess& process, std::wstring* failure, DWORD creationFlags = 0);

// The priority class of any process of the prefix, read from here (0 when it cannot be
// opened, e.g. because it has ended).
DWORD PriorityClassOf(DWORD processId);
const char* PriorityClassName(DWORD priorityClass);

}  // namespace e2e
