// The process-start watcher: a worker thread polls the process list and tells a window,
// with synchronous messages, about every process that comes into it.
#pragma once

#include "engine/ProcessSystem.h"
#include "framework/Handle.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

// Sent for each process found by the first pass (wParam = process id, lParam = 1).
const UINT WM_PROCESS_PRESENT = WM_USER + 108;
// Sent for each process that appears in a later pass (wParam = process id, lParam = 1).
const UINT WM_PROCESS_STARTED = WM_USER + 107;

// Most processes one pass looks at.
const DWORD WATCHED_PID_CAPACITY = 2048;

class CProcessNotify
{
public:
    // The worker reads the process list through `system`, which must outlive the watcher.
    explicit CProcessNotify(IProcessSystem& system);
    // Stops a running worker. A class that overrides OnProcessChange must call Stop in
    // its own destructor, before its part of the object is gone.
    virtual ~CProcessNotify();

    // Starts the worker: it waits `interval` ms, then polls every `interval` ms. With
    // reportExisting, the processes running at the first pass are reported too. Returns
    // TRUE when running (also when it already was), FALSE when it could not start.
    virtual BOOL Start(DWORD interval, BOOL reportExisting, HWND notifyWnd);

    // How long the worker waits between passes from now on (the wait before the first
    // pass is always Start's interval); a shorter one ends the wait under way. The program
    // looks slowly while nothing acts on the reports, and every millisecond once the
    // engine runs.
    void SetPollInterval(DWORD interval);

    // Waits until the worker has finished a pass over a list read after this call, letting
    // in its reports meanwhile (call it on the notified window's thread), so that every
    // process started before the call has been reported when it returns. FALSE when the
    // worker does not run or `timeoutMs` passed first.
    BOOL WaitForFreshPass(DWORD timeoutMs);

    // The process list the worker read last, as the system returned it. The foreground
    // cycle takes it instead of reading the list itself: on a machine with hundreds of
    // processes one reading costs as much as the cycle's whole work. FALSE when no worker
    // runs, it has no list yet, or its list is full (more processes may run than it holds).
    BOOL CopyLatestList(std::vector<DWORD>& pids) const;

    // Signals the worker and waits for it. FALSE with last error 87 when nothing runs.
    // Never call it on the notified window's thread while that window exists: the worker
    // may be blocked sending to it.
    virtual BOOL Stop();

    // One difference of the process list, on the worker thread. A start is sent to the
    // window; an end sends nothing. Returning FALSE ends the worker.
    virtual BOOL OnProcessChange(DWORD pid, BOOL started);

    static DWORD WINAPI WatchThreadProc(LPVOID parameter);

protected:
    IProcessSystem& m_system;
    HWND m_hNotifyWnd;
    CKernelHandle m_hThread;
    CKernelHandle m_hStopEvent;
    CKernelHandle m_hWakeEvent;      // auto-reset: a shorter poll interval was set
    DWORD m_dwInterval;
    BOOL m_bReportExisting;
    std::atomic<bool> m_bFirstPassDone;   // written by the worker, watched by tests
    std::atomic<DWORD> m_dwPollInterval;  // the wait between passes; SetPollInterval changes it
    std::atomic<DWORD> m_nPassCount;      // passes the worker has finished, reports included
    mutable std::mutex m_latestLock;   // guards the two below, shared with the window thread
    std::vector<DWORD> m_latestList;
    bool m_bLatestValid;

private:
    CProcessNotify(const CProcessNotify&) = delete;
    CProcessNotify& operator=(const CProcessNotify&) = delete;

    BOOL StopWorker();
    BOOL ReadPids(std::vector<DWORD>& pids);
    DWORD RunWatchLoop();
    DWORD WaitBetweenPasses();
    void PublishList(const std::vector<DWORD>* pids);
    // Reports the starts, then the ends, between two sorted lists.
    BOOL ReportDifferences(const std::vector<DWORD>& current, const std::vector<DWORD>& previous,
                           std::vector<DWORD>& scratch, DWORD* exitCode);
    // Passes each id to OnProcessChange; FALSE with the worker's exit code when the
    // worker must end (a report refused, or a stop asked for).
    BOOL ReportEach(const std::vector<DWORD>& pids, BOOL started, DWORD* exitCode);
};
