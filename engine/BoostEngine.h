// The boost engine: decides, on the main dialog's thread, which process runs at which
// priority class. It is driven by the 50 ms foreground timer and by the start watcher's
// messages, and acts on the system only through IProcessSystem.
#pragma once

#include "engine/BoostView.h"
#include "engine/PriorityControl.h"
#include "engine/PriorityGate.h"
#include "engine/ProcessSystem.h"

const int STARTED_PID_CAPACITY = 1024;

class CBoostEngine
{
public:
    // Every change asks the gate first (and again after it).
    CBoostEngine(IProcessSystem& system, IBoostView& view, const IPriorityGate& gate);

    // The user pressed Start: from now on started processes are boosted at once. Nothing
    // stops the engine again.
    void Start();
    // The user running the program: only that user's applications are announced.
    void SetUserName(const CString& userName);
    // The process boosted last; the program's own id while nothing has been.
    DWORD BoostedPid() const { return m_dwBoostedPid; }

    // One beat of the engine (timer 200): process count, boost of the application in
    // front and its namesakes, demotion of the one before, announcement of a new start.
    void RunForegroundCycle();
    // The same over a process list read just before by someone else (the watcher).
    void RunForegroundCycle(const PROCESS_LIST& running);

    // A process started after the watcher's first pass (message 1131). Returns 1 when the
    // engine is not started (nothing done), else 0.
    LRESULT OnProcessStarted(DWORD pid);

    // A process found by the watcher's first pass (message 1132). Returns 0.
    LRESULT OnProcessPresent(DWORD pid);

    // Tells the user that a newly started application in front has been boosted.
    void AnnounceBoost(DWORD pid);

    // What the engine has learnt of the running processes.
    const CProcessTable& ProcessTable() const { return m_priority.ProcessTable(); }

private:
    friend class CBoostEngineTestAccess;

    BYTE m_bCycleBusy;                 // a cycle is running; a re-entered cycle returns
    DWORD m_dwBoostedPid;              // boosted last; the program's own id: nothing yet
    DWORD m_dwLastStartedPid;          // last acted on from 1131/1132, and last announced
    DWORD m_adwStartedPids[STARTED_PID_CAPACITY];   // started since the last announcement
    int m_nStartedPidCount;
    BOOL m_bEngineStarted;             // the user pressed Start; 1131 is ignored before
    CString m_strUserName;             // the user running the program

    void RunCycleOver(const PROCESS_LIST& running);
    void ShowProcessCount(DWORD count);
    void BoostApplicationInFront(HWND hForeground, const PROCESS_LIST& running);
    void AnnounceStartedProcessInFocus();
    bool IsStartedPid(DWORD pid) const;
    void ClearProcessIdentity();
    void RememberBoosted(DWORD pid);
    PROCESS_KEY BoostedKey();

    IProcessSystem& m_system;
    IBoostView& m_view;
    CPriorityControl m_priority;
    // The creation time of m_dwBoostedPid when the engine boosted it, so that only that
    // process is lowered later, never another that has been given its id.
    PROCESS_KEY m_boostedKey;
};

// What the child-window walk over the foreground window works with.
struct FOREGROUND_CONTEXT
{
    IProcessSystem* system;
    DWORD fgPid;    // the process of the foreground window
    DWORD target;   // the process to boost: the last child of another process, else fgPid
};

// EnumChildWindows callback: appends each child's process to the focus process list and
// makes a child of another process the target. Always continues.
BOOL CALLBACK EnumChildProc(HWND hChild, LPARAM context);
