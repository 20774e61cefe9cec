// Everything that ends the run, in one owner: the restore of every process to normal,
// the rule that no boost or demotion goes through once a restore has begun (on whichever
// thread), the end guard (its start, its restarts, its id, its stand-down) and the
// restore of a crash. The main dialog holds one; the engine asks it before and after each
// change; each unit test makes its own.
#pragma once

#include "endofrun/EndGuard.h"
#include "engine/PriorityGate.h"
#include "engine/ProcessSystem.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>

// A guard that ends while the program runs is replaced, at most this often a minute: a
// guard that cannot live must not have the program start copies without end.
const int END_GUARD_RESTARTS_PER_MINUTE = 3;

class CEndOfRun : public IPriorityGate
{
public:
    explicit CEndOfRun(IProcessSystem& system);
    ~CEndOfRun() override;
    CEndOfRun(const CEndOfRun&) = delete;
    CEndOfRun& operator=(const CEndOfRun&) = delete;

    // IPriorityGate: the guard is refused always, a boost or demotion once a restore
    // has begun; the restore's own NORMAL goes through.
    bool IsPriorityChangeAllowed(DWORD pid, DWORD priorityClass) const override;

    // ---- The restore ----
    bool HasRestoreBegun() const { return m_restoreBegun.load(); }
    // The orderly end's restore, with the system given at construction. Done once: a
    // later call does nothing.
    void RestoreAtOrderlyEnd();
    // Any restore: the flag first, then the passes. For the crash restore, which brings
    // a fresh view of the system and a buffer off the stack.
    void RestoreEveryProcess(IProcessSystem& system, DWORD* pidBuffer, DWORD bufferLength);
    // Makes a crash of any thread of this process restore through this object, until it
    // is destroyed.
    void InstallCrashRestore();

    // ---- The end guard ----
    // The guard to use (none by default: nothing is started then) and what to call, on
    // another thread, when a running guard ends by itself; that call is the cue for
    // RestartGuard on the window thread.
    void UseGuard(std::unique_ptr<IEndGuard> guard, std::function<void()> onGuardEnded);
    // Before the watcher's first report: the guard's id must be known by then.
    bool StartGuard();
    // A new guard for one that ended, unless END_GUARD_RESTARTS_PER_MINUTE were started in
    // the minute before nowMs (a tick count), or the end has begun.
    bool RestartGuard(ULONGLONG nowMs);
    void StandDownGuard();
    // A guard ran and ended, and none replaced it yet (the restarts of the last minute
    // were used up): the cue to try RestartGuard again later.
    bool IsGuardMissing() const;
    DWORD GuardProcessId() const { return m_guardPid.load(); }
    bool IsEndGuardProcess(DWORD pid) const;

private:
    void OnGuardEnded();

    IProcessSystem& m_system;
    std::atomic<bool> m_restoreBegun{false};
    bool m_orderlyRestoreDone = false;
    // Cleared by the thread that sees the guard end, at once: Windows may give the id to
    // another process, which must not stay out of every change.
    std::atomic<DWORD> m_guardPid{0};
    std::unique_ptr<IEndGuard> m_guard;
    bool m_guardStarted = false;   // a guard ran in this run
    bool m_guardStoodDown = false;  // the orderly end is under way: no guard any more
    std::function<void()> m_onGuardEnded;
    std::deque<ULONGLONG> m_restartTimes;   // tick counts of the restarts of the last minute
};
