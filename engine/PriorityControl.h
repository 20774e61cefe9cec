// Every change of a process's priority class goes through here: one process, a process
// and all its namesakes, or every process when the program ends.
#pragma once

#include "engine/PriorityMode.h"
#include "engine/ProcessSystem.h"
#include "engine/ProcessTable.h"

// Most passes of one restore. A process started by a parent that is still below normal is
// born below normal, so one pass can leave such children behind; a parent that starts
// programs without end must not hold the end of the program forever.
const int RESTORE_PASS_LIMIT = 10;

class CPriorityControl
{
public:
    explicit CPriorityControl(IProcessSystem& system) : m_system(system), m_table(system) {}

    // Gives one process the class of the mode. Nonzero on success; 0 when the process
    // cannot be opened or its class cannot be set, and when the change is not allowed
    // (PriorityGate.h): the end guard, or a boost or demotion once a restore has begun.
    BOOL SetProcessPriorityMode(DWORD pid, int mode);

    // Gives the mode to every running process whose image stem contains the stem of pid's
    // image (pid itself included). In boost mode, pid and every namesake boosted are
    // appended to the focus process list. Returns 1 when pid cannot be opened or the
    // process list cannot be read, else 0. Reads the process list itself.
    int ApplyPriorityToNamesakes(DWORD pid, int mode);
    // The same over a process list the caller has just read (the cycle reads one anyway).
    int ApplyPriorityToNamesakes(DWORD pid, int mode, const PROCESS_LIST& running);

    // A start report: the id left the list and came back, so whatever the names table
    // knew of it may belong to an ended process.
    void ForgetProcess(DWORD pid) { m_table.Forget(pid); }

    // Every running process but the end guard back to the normal class, whatever it had
    // before; from its start on, no boost or demotion goes through any more, on any
    // thread. Passes over the process list again until a pass finds nothing left to set,
    // at most RESTORE_PASS_LIMIT times.
    void RestoreAllPriorities();
    // The same with the caller's id buffer (bufferLength bytes), for callers that cannot
    // spend the stack on one.
    void RestoreAllPriorities(DWORD* pidBuffer, DWORD bufferLength);

    const CProcessTable& ProcessTable() const { return m_table; }

private:
    // SetProcessPriorityMode for the process created at `creationTime` only, through the
    // same gate.
    PriorityChange SetPriorityModeIfSame(DWORD pid, ULONGLONG creationTime, int mode);
    // Changes a namesake known by its record; an id that names a newer process is read
    // afresh and changed only if that process is a namesake too. Whether it is (still) a
    // namesake, so the caller can add it to the focus list.
    bool SetNamesakePriorityMode(const PROCESS_RECORD& record, const std::u16string& targetStem,
                                 int mode);
    // One pass of the restore; returns how many processes it found away from normal and
    // set back.
    int RestorePass(DWORD* pidBuffer, DWORD bufferLength);

    IProcessSystem& m_system;
    CProcessTable m_table;
    std::vector<DWORD> m_namesakes;   // the namesakes being changed, kept to reuse its memory
};
