#include "endofrun/CrashRestore.h"

#include "endofrun/EndOfRun.h"
#include "engine/Win32ProcessSystem.h"

#include <atomic>
#include <cstdlib>
#include <exception>

namespace
{
std::atomic<CEndOfRun*> g_pEndOfRun{nullptr};
// The id list lives outside the stack: after a stack overflow the dying thread has only
// a few pages left, far too few for a list of 5000 ids.
DWORD g_adwCrashPids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)];
// The thread using the list, 0 when none. Two threads may crash at once: the second
// waits until the first is done.
std::atomic<DWORD> g_dwCrashRestoreThread{0};

void RestoreAllProcessesToNormal()
{
    CEndOfRun* endOfRun = g_pEndOfRun.load();
    if (endOfRun == nullptr)
        return;
    const DWORD self = ::GetCurrentThreadId();
    for (;;)
    {
        DWORD owner = 0;
        if (g_dwCrashRestoreThread.compare_exchange_strong(owner, self))
            break;
        // The restore itself crashed: waiting for ourselves would hang the dying program.
        if (owner == self)
            return;
        ::Sleep(1);
    }

    // A fresh view of the system: the crashed dialog's own objects may be what broke.
    CWin32ProcessSystem system;
    endOfRun->RestoreEveryProcess(system, g_adwCrashPids, sizeof(g_adwCrashPids));

    g_dwCrashRestoreThread.store(0);
}

[[noreturn]] void RestorePrioritiesOnTerminate()
{
    RestoreAllProcessesToNormal();
    std::abort();
}
}  // namespace

LONG WINAPI RestorePrioritiesOnCrash(EXCEPTION_POINTERS* /*pException*/)
{
    RestoreAllProcessesToNormal();
    return EXCEPTION_CONTINUE_SEARCH;
}

void InstallCrashRestore(CEndOfRun* endOfRun)
{
    g_pEndOfRun.store(endOfRun);
    ::SetUnhandledExceptionFilter(RestorePrioritiesOnCrash);
    std::set_terminate(RestorePrioritiesOnTerminate);
}

void ForgetCrashRestore(CEndOfRun* endOfRun)
{
    CEndOfRun* expected = endOfRun;
    g_pEndOfRun.compare_exchange_strong(expected, nullptr);
}
