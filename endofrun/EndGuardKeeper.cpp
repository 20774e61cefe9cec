#include "endofrun/EndGuardKeeper.h"

#include "endofrun/EndGuardHandle.h"
#include "endofrun/ProgramCopy.h"

namespace
{
// Terminating a process completes a moment after TerminateProcess returns.
constexpr DWORD kStandDownWaitMs = 2000;
// The starter does nothing but start the guard; under Wine a start takes a few hundred
// milliseconds on a busy machine.
constexpr DWORD kStarterWaitMs = 10000;
constexpr DWORD kGuardAccess = SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION;

// A handle of this process that a child inherits and can wait on. A process id would
// not do: once the program is gone its id can be given to another process.
bool DuplicateInheritableSelf(CKernelHandle& handle)
{
    return ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                             handle.Receive(), SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                             TRUE, 0) != FALSE;
}

// Runs the starter to its end; the guard's id, 0 when it started none.
DWORD RunStarter(CKernelHandle& starter)
{
    CKernelHandle inheritable;
    if (!DuplicateInheritableSelf(inheritable))
        return 0;
    PROCESS_INFORMATION info = {};
    if (!StartCopyOfThisProgram(EndGuardRole::Starter, inheritable.Get(), info))
        return 0;
    CKernelHandle unusedThread(info.hThread);
    starter.Reset(info.hProcess);
    if (::WaitForSingleObject(starter.Get(), kStarterWaitMs) != WAIT_OBJECT_0)
    {
        ::TerminateProcess(starter.Get(), 0);
        return 0;
    }
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(starter.Get(), &exitCode) || exitCode == STILL_ACTIVE)
        return 0;
    return exitCode;
}

// The guard by the id its starter gave: a copy of this program created after the starter,
// or the id already names another process.
bool OpenGuard(DWORD pid, HANDLE hStarter, CKernelHandle& guard)
{
    guard.Reset(::OpenProcess(kGuardAccess, FALSE, pid));
    if (!guard)
        return false;
    if (ProcessCreationTime(guard.Get()) < ProcessCreationTime(hStarter) ||
        !IsRunningCopyOfThisProgram(guard.Get()))
    {
        guard.Reset();
        return false;
    }
    return true;
}
}  // namespace

CEndGuardKeeper::~CEndGuardKeeper()
{
    StopWatching();
}

bool CEndGuardKeeper::Start(std::function<void()> onEnded)
{
    if (m_process)
    {
        if (::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT)
            return true;
        Forget();   // a guard that ended by itself: its notice has been given
    }
    CKernelHandle starter;
    const DWORD pid = RunStarter(starter);
    if (pid == 0 || !OpenGuard(pid, starter.Get(), m_process))
        return false;
    m_dwProcessId = pid;
    m_onEnded = std::move(onEnded);
    if (!::RegisterWaitForSingleObject(&m_hWait, m_process.Get(), OnGuardProcessEnded, this,
                                       INFINITE, WT_EXECUTEONLYONCE))
        m_hWait = nullptr;
    return true;
}

void CALLBACK CEndGuardKeeper::OnGuardProcessEnded(void* context, BOOLEAN /*timedOut*/)
{
    auto* keeper = static_cast<CEndGuardKeeper*>(context);
    if (keeper->m_onEnded)
        keeper->m_onEnded();
}

void CEndGuardKeeper::StopWatching()
{
    if (m_hWait == nullptr)
        return;
    // Waits for a notice already running: nothing may call back into a keeper that goes.
    ::UnregisterWaitEx(m_hWait, INVALID_HANDLE_VALUE);
    m_hWait = nullptr;
}

void CEndGuardKeeper::Forget()
{
    StopWatching();
    m_process.Reset();
    m_dwProcessId = 0;
    m_onEnded = nullptr;
}

void CEndGuardKeeper::StandDown()
{
    if (!m_process)
        return;
    // Not a guard that ended by itself: no notice of this end.
    StopWatching();
    // The guard restores the priorities when the program is gone while the guard still
    // runs; ending it first is what tells an orderly end from any other, whatever exit
    // code the program ends with. It must be gone before the program is, or it could
    // wake to find the program ended and restore after all.
    ::TerminateProcess(m_process.Get(), END_GUARD_STOOD_DOWN_EXIT_CODE);
    ::WaitForSingleObject(m_process.Get(), kStandDownWaitMs);
    Forget();
}

DWORD RunEndGuardStarter(uint32_t handleValue)
{
    const HANDLE hProgram = EndGuardHandleOfValue(handleValue);
    if (!IsCopyOfThisProgram(hProgram))
        return 0;
    PROCESS_INFORMATION info = {};
    if (!StartCopyOfThisProgram(EndGuardRole::Guard, hProgram, info))
        return 0;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return info.dwProcessId;
}
