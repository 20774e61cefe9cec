// Two process-wide rules that stop a priority change before it reaches the system. Once
// any end of the program has begun to return the processes to normal (the orderly end,
// the crash restore on whichever thread crashed, or the end guard), nothing may raise or
// lower a process again: only the restore's own NORMAL goes through. And the end guard's
// process is nobody's to change: the engine must not boost, demote or restore it.
#pragma once

#include <windows.h>

// Called by every restore before its first change; never undone in a run.
void MarkPriorityRestoreBegun();
bool HasPriorityRestoreBegun();

// The process that waits to restore the priorities should the program end without its
// orderly end (0: none).
void SetEndGuardProcessId(DWORD pid);
DWORD GetEndGuardProcessId();

// Whether process pid may be given priorityClass now.
bool IsPriorityChangeAllowed(DWORD pid, DWORD priorityClass);

// Forgets both rules, as at the start of a run. For a process that plays several runs of
// the program one after another: the unit tests.
void ResetPriorityGate();
