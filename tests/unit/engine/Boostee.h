// Real stand-in applications for the engine's tests under Wine: copies of
// tests/helpers/boostee.exe, each showing one window, ended when the object goes.
#pragma once

#include <windows.h>

#include <string>

// The helpers folder of the build, as a Windows path; empty when VEXRA_BUILD_DIR is unset.
std::wstring HelpersFolder();

// Runs `poll` until it returns true or `timeoutMs` pass; returns its last answer.
template <typename Poll>
bool PollUntil(Poll poll, DWORD timeoutMs = 20000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        if (poll())
            return true;
        if (GetTickCount64() > deadline)
            return false;
        Sleep(10);
    }
}

class CBoostee
{
public:
    CBoostee() = default;
    ~CBoostee() { End(); }
    CBoostee(const CBoostee&) = delete;
    CBoostee& operator=(const CBoostee&) = delete;

    // Starts exePath (boostee.exe or a copy) with a window titled `title` and waits
    // until that window exists. False when it did not start or show its window.
    bool Start(const std::wstring& exePath, const std::wstring& title);

    DWORD Pid() const { return m_info.dwProcessId; }
    HWND Window() const { return m_hWnd; }

    // Kills the process and waits until it is gone; its id is then free.
    void End();

private:
    PROCESS_INFORMATION m_info = {};
    HWND m_hWnd = NULL;
};

// Waits until no process with this id can be opened any more. Under Wine an ended
// process stays openable for about half a second after it has ended.
bool WaitUntilProcessGone(DWORD pid);

// The priority class of a process, read through a handle of our own.
DWORD ReadPriorityClass(DWORD pid);
