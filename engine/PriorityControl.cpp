#include "engine/PriorityControl.h"

#include "engine/FocusPids.h"
#include "engine/PriorityGate.h"
#include "engine/ProcessNameText.h"

BOOL CPriorityControl::SetProcessPriorityMode(DWORD pid, int mode)
{
    // The one check every change passes, so that a cycle already running on the window
    // thread while another thread's crash restore runs cannot raise anything afterwards.
    const DWORD priorityClass = PriorityClassOfMode(mode);
    if (!IsPriorityChangeAllowed(pid, priorityClass))
        return FALSE;
    return m_system.SetProcessPriority(pid, priorityClass);
}

PriorityChange CPriorityControl::SetPriorityModeIfSame(DWORD pid, ULONGLONG creationTime, int mode)
{
    const DWORD priorityClass = PriorityClassOfMode(mode);
    if (!IsPriorityChangeAllowed(pid, priorityClass))
        return PriorityChange::Failed;
    return m_system.SetProcessPriorityIfSame(pid, creationTime, priorityClass);
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
    if (listed != nullptr &&
        SetPriorityModeIfSame(pid, target.creationTime, mode) == PriorityChange::OtherProcess)
    {
        if (!m_table.Relearn(pid, target))
            return 1;
        if (target.stem.empty())
            return 0;
        SetProcessPriorityMode(pid, mode);
    }

    // A copy: a namesake found to be another process changes the table under the loop.
    m_namesakes = m_table.NamesakesOf(target.stem);
    for (DWORD candidate : m_namesakes)
    {
        bool isNamesake = true;
        if (candidate != pid)
        {
            const PROCESS_RECORD* record = m_table.Find(candidate);
            isNamesake = record != nullptr && SetNamesakePriorityMode(*record, target.stem, mode);
        }
        if (isNamesake && boosting)
            AppendFocusPid(candidate);
    }
    return 0;
}

bool CPriorityControl::SetNamesakePriorityMode(const PROCESS_RECORD& record,
                                               const std::u16string& targetStem, int mode)
{
    const DWORD pid = record.pid;
    if (SetPriorityModeIfSame(pid, record.creationTime, mode) != PriorityChange::OtherProcess)
        return true;
    PROCESS_RECORD fresh;
    if (!m_table.Relearn(pid, fresh) || !IsNamesakeStem(fresh.stem, targetStem))
        return false;
    SetProcessPriorityMode(pid, mode);
    return true;
}

void CPriorityControl::RestoreAllPriorities()
{
    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    RestoreAllPriorities(pids, sizeof(pids));
}

void CPriorityControl::RestoreAllPriorities(DWORD* pidBuffer, DWORD bufferLength)
{
    MarkPriorityRestoreBegun();
    for (int pass = 0; pass < RESTORE_PASS_LIMIT; ++pass)
    {
        if (RestorePass(pidBuffer, bufferLength) == 0)
            return;
    }
}

int CPriorityControl::RestorePass(DWORD* pidBuffer, DWORD bufferLength)
{
    DWORD bytesReturned = 0;
    if (!m_system.EnumProcessIds(pidBuffer, bufferLength, &bytesReturned))
        return 0;

    const DWORD capacity = bufferLength / sizeof(DWORD);
    const DWORD count = bytesReturned / sizeof(DWORD);
    int restored = 0;
    for (DWORD i = 0; i < count && i < capacity; ++i)
    {
        const DWORD pid = pidBuffer[i];
        const DWORD before = m_system.GetProcessPriority(pid);
        if (before == NORMAL_PRIORITY_CLASS)
            continue;
        // A class that cannot be read is set all the same, but does not call for another
        // pass: the next one could not read it either.
        if (SetProcessPriorityMode(pid, PRIORITY_NORMAL) && before != 0)
            ++restored;
    }
    return restored;
}
