#include "endofrun/EndOfRun.h"

#include "endofrun/CrashRestore.h"
#include "endofrun/PriorityRestore.h"

namespace
{
constexpr ULONGLONG kRestartWindowMs = 60000;
}

CEndOfRun::CEndOfRun(IProcessSystem& system) : m_system(system) {}

CEndOfRun::~CEndOfRun()
{
    ForgetCrashRestore(this);
    // The guard goes first: its end notice must not reach an object that is gone. A
    // guard that was not stood down is left running, which is what it is there for.
    m_guard.reset();
}

bool CEndOfRun::IsPriorityChangeAllowed(DWORD pid, DWORD priorityClass) const
{
    if (IsEndGuardProcess(pid))
        return false;
    return priorityClass == NORMAL_PRIORITY_CLASS || !HasRestoreBegun();
}

void CEndOfRun::RestoreAtOrderlyEnd()
{
    if (m_orderlyRestoreDone)
        return;
    m_orderlyRestoreDone = true;
    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    RestoreEveryProcess(m_system, pids, sizeof(pids));
}

void CEndOfRun::RestoreEveryProcess(IProcessSystem& system, DWORD* pidBuffer, DWORD bufferLength)
{
    // Before the first change: from here on a cycle on any thread that checks the gate,
    // before or after its own change, leaves the process at normal.
    m_restoreBegun.store(true);
    ::RestoreEveryProcess(system, *this, pidBuffer, bufferLength);
}

void CEndOfRun::InstallCrashRestore()
{
    ::InstallCrashRestore(this);
}

void CEndOfRun::UseGuard(std::unique_ptr<IEndGuard> guard, std::function<void()> onGuardEnded)
{
    m_guard = std::move(guard);
    m_onGuardEnded = std::move(onGuardEnded);
}

bool CEndOfRun::StartGuard()
{
    // Without a guard the program runs on all the same, as it did before there was one.
    if (!m_guard || m_guardStoodDown || HasRestoreBegun())
        return false;
    if (!m_guard->Start([this] { OnGuardEnded(); }))
        return false;
    m_guardPid.store(m_guard->ProcessId());
    m_guardStarted = true;
    return true;
}

void CEndOfRun::OnGuardEnded()
{
    m_guardPid.store(0);
    if (m_onGuardEnded)
        m_onGuardEnded();
}

bool CEndOfRun::RestartGuard(ULONGLONG nowMs)
{
    if (!m_guard || m_guardStoodDown || HasRestoreBegun() || m_guardPid.load() != 0)
        return false;
    while (!m_restartTimes.empty() && nowMs - m_restartTimes.front() >= kRestartWindowMs)
        m_restartTimes.pop_front();
    if (static_cast<int>(m_restartTimes.size()) >= END_GUARD_RESTARTS_PER_MINUTE)
        return false;
    m_restartTimes.push_back(nowMs);
    return StartGuard();
}

void CEndOfRun::StandDownGuard()
{
    if (!m_guard)
        return;
    m_guardStoodDown = true;
    m_guard->StandDown();
    m_guardPid.store(0);
}

bool CEndOfRun::IsGuardMissing() const
{
    return m_guardStarted && !m_guardStoodDown && m_guardPid.load() == 0 && !HasRestoreBegun();
}

bool CEndOfRun::IsEndGuardProcess(DWORD pid) const
{
    const DWORD guardPid = m_guardPid.load();
    return guardPid != 0 && pid == guardPid;
}
