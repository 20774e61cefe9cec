// Every change of a process's priority class goes through here: one process, a process
// and all its namesakes, or every process when the program ends.
#pragma once

#include "engine/PriorityMode.h"
#include "engine/ProcessSystem.h"

// Most passes of one restore. A process started by a parent that is still below normal is
// born below normal, so one pass can leave such children behind; a parent that starts
// programs without end must not hold the end of the program forever.
const int RESTORE_PASS_LIMIT = 10;

class CPriorityControl
{
public:
    explicit CPriorityControl(IProcessSystem& system) : m_system(system) {}

    // Gives one process the class of the mode. Nonzero on success; 0 when the process
    // cannot be opened or its class cannot be set, and when the change is not allowed
    // (PriorityGate.h): the end guard, or a boost or demotion once a restore has begun.
    BOOL SetProcessPriorityMode(DWORD pid, int mode);

    // Gives the mode to every running process whose image stem contains the stem of pid's
    // image (pid itself included). In boost mode, pid and every namesake boosted are
    // appended to the focus process list. Returns 1 when pid cannot be opened or the
    // process list cannot be read, else 0.
    int ApplyPriorityToNamesakes(DWORD pid, int mode);

    // Every running process but the end guard back to the normal class, whatever it had
    // before; from its start on, no boost or demotion goes through any more, on any
    // thread. Passes over the process list again until a pass finds nothing left to set,
    // at most RESTORE_PASS_LIMIT times.
    void RestoreAllPriorities();
    // The same with the caller's id buffer (bufferLength bytes), for callers that cannot
    // spend the stack on one.
    void RestoreAllPriorities(DWORD* pidBuffer, DWORD bufferLength);

private:
    std::u16string ReadImageStem(DWORD pid, bool* opened);
    // One pass of the restore; returns how many processes it found away from normal and
    // set back.
    int RestorePass(DWORD* pidBuffer, DWORD bufferLength);

    IProcessSystem& m_system;
};
