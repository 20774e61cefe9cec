// The logon task's set-up off the window thread. The task tool may take its time (the
// Task Scheduler answers slowly at logon, or not at all); meanwhile the window must be
// there with its caption, where a second start and the setup look for the running copy.
// So the set-up runs on a thread of its own, and the dialog's end waits for it only a
// bounded time: it is told to stop first, and ends its tool and removes its file.
#pragma once

#include "framework/Handle.h"

#include <functional>
#include <memory>

// How long the end of the program waits for a stopped set-up to be gone.
const DWORD LOGON_TASK_STOP_WAIT_MS = 8000;

class CLogonTaskSetUp
{
public:
    // The work runs on the thread and is given an event that is set when it is to stop.
    using Work = std::function<void(HANDLE hStop)>;

    explicit CLogonTaskSetUp(Work work = CreateLogonTaskWork(), DWORD dwStopWaitMs = LOGON_TASK_STOP_WAIT_MS);
    // Stops the set-up.
    ~CLogonTaskSetUp();
    CLogonTaskSetUp(const CLogonTaskSetUp&) = delete;
    CLogonTaskSetUp& operator=(const CLogonTaskSetUp&) = delete;

    // Starts the thread, once. False when it could not be started (or ran already): the
    // task is then not set up on this run, and the next start of the program tries again.
    bool Start();

    // Tells the work to stop and waits for its thread at most the bound. True when the
    // thread has ended (or never ran).
    bool Stop();

private:
    // Shared with the thread, which outlives this object when the work does not stop.
    struct Shared
    {
        Work work;
        CKernelHandle stop;  // manual-reset event
    };

    static Work CreateLogonTaskWork();
    static DWORD WINAPI ThreadProc(LPVOID parameter);

    std::shared_ptr<Shared> m_shared;
    DWORD m_dwStopWaitMs;
    CKernelHandle m_thread;
    bool m_bStarted = false;
};
