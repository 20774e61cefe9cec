#include "engine/PriorityControl.h"

#include "engine/FocusPids.h"
#include "engine/ProcessNameText.h"

BOOL CPriorityControl::SetProcessPriorityMode(DWORD pid, int mode)
{
    // The check every change passes, before and after: a cycle already running on the
    // window thread while another thread's crash restore runs cannot leave anything
    // raised or lowered behind the restore's last pass.
    const DWORD priorityClass = PriorityClassOfMode(mode);
    if (!m_gate.IsPriorityChangeAllowed(pid, priorityClass))
        return FALSE;
    if (!m_system.SetProcessPriority(pid, priorityClass))
        return FALSE;
    return UndoneByTheGate(pid, 0, priorityClass) ? FALSE : TRUE;
}

PriorityChange CPriorityControl::SetPriorityModeIfSame(DWORD pid, ULONGLONG creationTime, int mode)
{
    const DWORD priorityClass = PriorityClassOfMode(mode);
    if (!m_gate.IsPriorityChangeAllowed(pid, priorityClass))
        return PriorityChange::Failed;
    const PriorityChange change = m_system.SetProcessPriorityIfSame(pid, creationTime, priorityClass);
    if (change == PriorityChange::Made && UndoneByTheGate(pid, creationTime, priorityClass))
        return PriorityChange::Failed;
    return change;
}

bool CPriorityControl::UndoneByTheGate(DWORD pid, ULONGLONG creationTime, DWORD priorityClass)
{
    if (m_gate.IsPriorityChangeAllowed(pid, priorityClass))
        return false;
    if (m_gate.IsPriorityChangeAllowed(pid, NORMAL_PRIORITY_CLASS))
    {
        if (creationTime == 0)
            m_system.SetProcessPriority(pid, NORMAL_PRIORITY_CLASS);
        else
            m_system.SetProcessPriorityIfSame(pid, creationTime, NORMAL_PRIORITY_CLASS);
    }
    return true;
}

PROCESS_KEY CPriorityControl::KeyOf(DWORD pid)
{
    PROCESS_KEY key;
    key.pid = pid;
    if (const PROCESS_RECORD* listed = m_table.Find(pid))
    {
        key.creationTime = listed->creationTime;
        return key;
    }
    PROCESS_RECORD fresh;
    if (m_table.Relearn(pid, fresh))
        key.creationTime = fresh.creationTime;
    return key;
}

PriorityChange CPriorityControl::DemoteIfSame(const PROCESS_KEY& boosted)
{
    return SetPriorityModeIfSame(boosted.pid, boosted.creationTime, PRIORITY_DEMOTE);
}

int CPriorityControl::DemoteWithNamesakes(const PROCESS_KEY& boosted, const PROCESS_LIST& running)
{
    if (DemoteIfSame(boosted) == PriorityChange::OtherProcess)
        return 0;
    m_table.Update(running);
    PROCESS_RECORD target;
    if (const PROCESS_RECORD* listed = m_table.Find(boosted.pid))
        target = *listed;
    else if (!m_table.Relearn(boosted.pid, target))
        return 1;
    // What the table knows of the id is another process than the one boosted.
    if (target.creationTime != boosted.creationTime)
        return 0;
    if (!target.named)
        return 1;
    if (target.stem.empty())
        return 0;

    m_namesakes = m_table.NamesakesOf(target.stem);
    for (DWORD candidate : m_namesakes)
    {
        if (candidate == boosted.pid)
            continue;
        if (const PROCESS_RECORD* listed = m_table.Find(candidate))
        {
            PROCESS_RECORD record = *listed;
            DecideAndSetPriorityMode(record, PRIORITY_DEMOTE, NewerProcess::LeaveAlone, &target.stem);
        }
    }
    return 0;
}

int CPriorityControl::ApplyPriorityToNamesakes(DWORD pid, int mode)
{
    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    DWORD bytesReturned = 0;
    const BOOL listed = m_system.EnumProcessIds(pids, sizeof(pids), &bytesReturned);
    if (!listed)
    {
        // The target still belongs to the application in front, and cannot be opened or
        // not: the answer is 1 either way.
        if (PriorityClassOfMode(mode) == REALTIME_PRIORITY_CLASS)
            AppendFocusPid(pid);
        return 1;
    }
    const PROCESS_LIST running = {pids, bytesReturned / static_cast<DWORD>(sizeof(DWORD))};
    return ApplyPriorityToNamesakes(pid, mode, running);
}

int CPriorityControl::ApplyPriorityToNamesakes(DWORD pid, int mode, const PROCESS_LIST& running)
{
    const bool boosting = PriorityClassOfMode(mode) == REALTIME_PRIORITY_CLASS;
    if (boosting)
        AppendFocusPid(pid);

    m_table.Update(running);
    PROCESS_RECORD target;
    const PROCESS_RECORD* listed = m_table.Find(pid);
    if (listed != nullptr)
        target = *listed;
    else
        m_table.Relearn(pid, target);   // not listed (yet): read it directly, as it is now
    if (!target.named)
        return 1;
    if (target.stem.empty())
        return 0;

    // A listed target is its own namesake. Changing it first tells whether its id still
    // names the process the table learnt; if not, the namesakes are those of its new stem.
    if (listed != nullptr)
    {
        if (!DecideAndSetPriorityMode(target, mode, NewerProcess::LearnAgain, nullptr))
            return 1;
        if (target.stem.empty())
            return 0;
    }

    // A copy: a namesake found to be another process changes the table under the loop.
    m_namesakes = m_table.NamesakesOf(target.stem);
    for (DWORD candidate : m_namesakes)
    {
        bool isNamesake = true;
        if (candidate != pid)
        {
            const PROCESS_RECORD* listed = m_table.Find(candidate);
            PROCESS_RECORD record = listed != nullptr ? *listed : PROCESS_RECORD();
            isNamesake = listed != nullptr &&
                         DecideAndSetPriorityMode(record, mode, NewerProcess::LearnAgain, &target.stem);
        }
        if (isNamesake && boosting)
            AppendFocusPid(candidate);
    }
    return 0;
}

bool CPriorityControl::DecideAndSetPriorityMode(PROCESS_RECORD& record, int mode,
                                                NewerProcess rule,
                                                const std::u16string* namesakeOf)
{
    const DWORD pid = record.pid;
    if (SetPriorityModeIfSame(pid, record.creationTime, mode) != PriorityChange::OtherProcess)
        return true;
    if (rule == NewerProcess::LeaveAlone || !m_table.Relearn(pid, record))
        return false;
    if (namesakeOf != nullptr && !IsNamesakeStem(record.stem, *namesakeOf))
        return false;
    // A process with no name yet matches nothing, not even as the target.
    if (!record.stem.empty())
        SetPriorityModeIfSame(pid, record.creationTime, mode);
    return true;
}
