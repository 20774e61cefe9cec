#include "engine/PriorityGate.h"

namespace
{
// Read and written with interlocked operations: a crash restore sets the flag on the
// thread that crashed while the window thread may be in the middle of a cycle.
volatile LONG g_nRestoreBegun = 0;
volatile LONG g_nEndGuardPid = 0;
}  // namespace

void MarkPriorityRestoreBegun()
{
    ::InterlockedExchange(&g_nRestoreBegun, 1);
}

bool HasPriorityRestoreBegun()
{
    return ::InterlockedCompareExchange(&g_nRestoreBegun, 0, 0) != 0;
}

void SetEndGuardProcessId(DWORD pid)
{
    ::InterlockedExchange(&g_nEndGuardPid, static_cast<LONG>(pid));
}

DWORD GetEndGuardProcessId()
{
    return static_cast<DWORD>(::InterlockedCompareExchange(&g_nEndGuardPid, 0, 0));
}

bool IsPriorityChangeAllowed(DWORD pid, DWORD priorityClass)
{
    const DWORD guardPid = GetEndGuardProcessId();
    if (guardPid != 0 && pid == guardPid)
        return false;
    return priorityClass == NORMAL_PRIORITY_CLASS || !HasPriorityRestoreBegun();
}

void ResetPriorityGate()
{
    ::InterlockedExchange(&g_nRestoreBegun, 0);
    ::InterlockedExchange(&g_nEndGuardPid, 0);
}
