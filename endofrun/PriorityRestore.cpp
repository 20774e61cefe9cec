#include "endofrun/PriorityRestore.h"

namespace
{
// One pass; how many processes it found away from normal and set back.
int RestorePass(IProcessSystem& system, const IPriorityGate& gate, DWORD* pidBuffer,
                DWORD bufferLength)
{
    DWORD bytesReturned = 0;
    if (!system.EnumProcessIds(pidBuffer, bufferLength, &bytesReturned))
        return 0;

    const DWORD capacity = bufferLength / sizeof(DWORD);
    const DWORD count = bytesReturned / sizeof(DWORD);
    int restored = 0;
    for (DWORD i = 0; i < count && i < capacity; ++i)
    {
        const DWORD pid = pidBuffer[i];
        const DWORD before = system.GetProcessPriority(pid);
        if (before == NORMAL_PRIORITY_CLASS)
            continue;
        if (!gate.IsPriorityChangeAllowed(pid, NORMAL_PRIORITY_CLASS))
            continue;
        // A class that cannot be read is set all the same, but does not call for another
        // pass: the next one could not read it either.
        if (system.SetProcessPriority(pid, NORMAL_PRIORITY_CLASS) && before != 0)
            ++restored;
    }
    return restored;
}
}  // namespace

void RestoreEveryProcess(IProcessSystem& system, const IPriorityGate& gate, DWORD* pidBuffer,
                         DWORD bufferLength)
{
    for (int pass = 0; pass < RESTORE_PASS_LIMIT; ++pass)
    {
        if (RestorePass(system, gate, pidBuffer, bufferLength) == 0)
            return;
    }
}
