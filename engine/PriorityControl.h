// Every change of a process's priority class goes through here: one process, a process
// and all its namesakes, or every process when the program ends.
#pragma once

#include "engine/PriorityMode.h"
#include "engine/ProcessSystem.h"

class CPriorityControl
{
public:
    explicit CPriorityControl(IProcessSystem& system) : m_system(system) {}

    // Gives one process the class of the mode. Nonzero on success; 0 when the process
    // cannot be opened or its class cannot be set.
    BOOL SetProcessPriorityMode(DWORD pid, int mode);

    // Gives the mode to every running process whose image stem contains the stem of pid's
    // image (pid itself included). In boost mode, pid and every namesake boosted are
    // appended to the focus process list. Returns 1 when pid cannot be opened or the
    // process list cannot be read, else 0.
    int ApplyPriorityToNamesakes(DWORD pid, int mode);

    // Every running process back to the normal class, whatever it had before.
    void RestoreAllPriorities();
    // The same with the caller's id buffer (bufferLength bytes), for callers that cannot
    // spend the stack on one.
    void RestoreAllPriorities(DWORD* pidBuffer, DWORD bufferLength);

private:
    std::u16string ReadImageStem(DWORD pid, bool* opened);

    IProcessSystem& m_system;
};
