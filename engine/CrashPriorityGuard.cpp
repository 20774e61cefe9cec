#include "engine/CrashPriorityGuard.h"

#include "engine/PriorityControl.h"
#include "engine/Win32ProcessSystem.h"

#include <cstdlib>
#include <exception>

namespace
{
// The id list lives outside the stack: after a stack overflow the dying thread has only
// a few pages left, far too few for a list of 5000 ids.
DWORD g_adwCrashPids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)];
// The thread using the list, 0 when none. Two threads may crash at once: the second
// waits until the first is done.
volatile LONG g_nCrashRestoreThread = 0;

void RestoreAllProcessesToNormal()
{
    const LONG self = static_cast<LONG>(::GetCurrentThreadId());
    for (;;)
    {
        const LONG owner = ::InterlockedCompareExchange(&g_nCrashRestoreThread, self, 0);
        if (owner == 0)
            break;
        // The restore itself crashed: waiting for ourselves would hang the dying program.
        if (owner == self)
            return;
        ::Sleep(1);
    }

    // A fresh view of the system: the crashed dialog's own objects may be what broke.
    CWin32ProcessSystem system;
    CPriorityControl priorities(system);
    priorities.RestoreAllPriorities(g_adwCrashPids, sizeof(g_adwCrashPids));

    ::InterlockedExchange(&g_nCrashRestoreThread, 0);
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

void InstallCrashPriorityGuard()
{
    ::SetUnhandledExceptionFilter(RestorePrioritiesOnCrash);
    std::set_terminate(RestorePrioritiesOnTerminate);
}
