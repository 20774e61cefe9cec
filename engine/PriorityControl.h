// Every change of a process's priority class goes through here: one process, a process
// and all its namesakes, or every process when the program ends.
#pragma once

#include "engine/PriorityGate.h"
#include "engine/PriorityMode.h"
#include "engine/ProcessSystem.h"
#include "engine/ProcessTable.h"

// A process as the engine remembers one it changed: its id, and its creation time, which
// tells it from a later process given the same id (0: could not be read).
struct PROCESS_KEY
{
    DWORD pid = 0;
    ULONGLONG creationTime = 0;
};

// What a namesake change does with an id found to name a newer process than the one the
// table knew.
enum class NewerProcess
{
    LearnAgain,   // read it afresh and change it if it is a namesake too
    LeaveAlone,   // it is not the process meant: nothing is changed
};

class CPriorityControl
{
public:
    CPriorityControl(IProcessSystem& system, const IPriorityGate& gate)
        : m_system(system), m_gate(gate), m_table(system)
    {
    }

    // Gives one process the class of the mode. Nonzero on success; 0 when the process
    // cannot be opened or its class cannot be set, and when the gate refuses the change
    // (the end guard, or a boost or demotion once a restore has begun). The gate is asked
    // again after the change: a restore that began meanwhile on another thread may have
    // passed the process already, so the change is undone and 0 returned.
    BOOL SetProcessPriorityMode(DWORD pid, int mode);

    // The key of a process: from the table when it is listed, else read afresh.
    PROCESS_KEY KeyOf(DWORD pid);

    // Lowers the process `boosted` names, and its namesakes, only while its id still
    // names that process: a process that turns out to be another one is left alone, and
    // when the boosted one is gone, so is its namesake demotion. Returns 1 when the
    // process cannot be read, else 0.
    int DemoteWithNamesakes(const PROCESS_KEY& boosted, const PROCESS_LIST& running);
    // The process alone, under the same rule.
    PriorityChange DemoteIfSame(const PROCESS_KEY& boosted);

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

    const CProcessTable& ProcessTable() const { return m_table; }

private:
    // SetProcessPriorityMode for the process created at `creationTime` only, through the
    // same gate, before and after.
    PriorityChange SetPriorityModeIfSame(DWORD pid, ULONGLONG creationTime, int mode);
    // After a change went through: true when the gate now refuses it (a restore began on
    // another thread meanwhile), with the process set back to normal.
    bool UndoneByTheGate(DWORD pid, ULONGLONG creationTime, DWORD priorityClass);
    // The one way a process known by its record is changed: set while its id still names
    // that process. When the id names a newer process, the rule decides: leave it alone,
    // or learn it afresh (into `record`) and set it when it is a namesake of *namesakeOf
    // (any process, for the target itself: nullptr). Whether the process, as `record`
    // now tells, is the one meant, so the caller can add it to the focus list.
    bool DecideAndSetPriorityMode(PROCESS_RECORD& record, int mode, NewerProcess rule,
                                  const std::u16string* namesakeOf);

    IProcessSystem& m_system;
    const IPriorityGate& m_gate;
    CProcessTable m_table;
    std::vector<DWORD> m_namesakes;   // the namesakes being changed, kept to reuse its memory
};
