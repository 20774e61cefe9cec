#include "engine/PriorityControl.h"

#include "engine/FocusPids.h"
#include "engine/ProcessNameText.h"

BOOL CPriorityControl::SetProcessPriorityMode(DWORD pid, int mode)
{
    return m_system.SetProcessPriority(pid, PriorityClassOfMode(mode));
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
        m_system.SetProcessPriorityIfSame(pid, target.creationTime, PriorityClassOfMode(mode)) ==
            PriorityChange::OtherProcess)
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
    const PriorityChange change =
        m_system.SetProcessPriorityIfSame(pid, record.creationTime, PriorityClassOfMode(mode));
    if (change != PriorityChange::OtherProcess)
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
    DWORD bytesReturned = 0;
    if (!m_system.EnumProcessIds(pidBuffer, bufferLength, &bytesReturned))
        return;

    const DWORD capacity = bufferLength / sizeof(DWORD);
    const DWORD count = bytesReturned / sizeof(DWORD);
    for (DWORD i = 0; i < count && i < capacity; ++i)
        SetProcessPriorityMode(pidBuffer[i], PRIORITY_NORMAL);
}
