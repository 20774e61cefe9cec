#include "engine/ValvedProcessSystem.h"

BOOL CValvedProcessSystem::SetProcessPriority(DWORD pid, DWORD priorityClass)
{
    if (priorityClass == REALTIME_PRIORITY_CLASS && m_valve.KeepsAtHigh(pid, 0))
        return TRUE;
    const BOOL result = m_system.SetProcessPriority(pid, priorityClass);
    if (result)
        m_valve.OnPriorityChanged(pid, 0, priorityClass);
    return result;
}

PriorityChange CValvedProcessSystem::SetProcessPriorityIfSame(DWORD pid, ULONGLONG creationTime,
                                                              DWORD priorityClass)
{
    if (priorityClass == REALTIME_PRIORITY_CLASS && m_valve.KeepsAtHigh(pid, creationTime))
        return PriorityChange::Made;
    const PriorityChange change = m_system.SetProcessPriorityIfSame(pid, creationTime, priorityClass);
    if (change == PriorityChange::Made)
        m_valve.OnPriorityChanged(pid, creationTime, priorityClass);
    return change;
}
