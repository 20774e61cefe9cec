#include "engine/RealtimeValve.h"

#include "engine/DisplayName.h"
#include "engine/PriorityGate.h"
#include "engine/ProcessIdentity.h"

#include <algorithm>

namespace
{
const ULONGLONG UNITS_PER_MS = 10000;   // FILETIME units (100 ns) in a millisecond

// The process's name as the boost announcement shows it, upper-cased; empty when the
// process has no name to show.
CString AnnouncedNameOf(IProcessSystem& system, DWORD pid)
{
    g_strProcessName.Empty();
    g_strProcessDomain.Empty();
    g_strProcessUser.Empty();
    system.LookupProcessIdentity(pid);
    if (g_strProcessName.IsEmpty())
        return CString();
    CString name = DisplayNameOfLookedUpProcess(system, pid);
    name.MakeUpper();
    return name;
}
}  // namespace

CRealtimeValve::CRealtimeValve(IProcessSystem& system, IBoostView& view,
                               const IPriorityGate& gate)
    : m_system(system), m_view(view), m_gate(gate)
{
}

CRealtimeValve::~CRealtimeValve()
{
    for (const WATCHED_PROCESS& watched : m_watched)
        m_system.CloseTimesReader(watched.reader);
}

bool CRealtimeValve::KeepsAtHigh(DWORD pid, ULONGLONG creationTime)
{
    const auto found = std::find_if(m_steppedDown.begin(), m_steppedDown.end(),
                                    [pid](const KNOWN_PROCESS& known) { return known.pid == pid; });
    if (found == m_steppedDown.end())
        return false;
    // The engine knows the id as another process: what the valve remembers has ended.
    if (creationTime != 0 && creationTime != found->creationTime)
    {
        m_steppedDown.erase(found);
        return false;
    }
    if (m_system.SetProcessPriorityIfSame(pid, found->creationTime, HIGH_PRIORITY_CLASS) ==
        PriorityChange::Made)
        return true;
    // Ended, or its id belongs to a newer process now: the request is for that one.
    m_steppedDown.erase(found);
    return false;
}

void CRealtimeValve::OnPriorityChanged(DWORD pid, ULONGLONG creationTime, DWORD priorityClass)
{
    ForgetSteppedDown(pid);
    if (priorityClass == REALTIME_PRIORITY_CLASS)
        Watch(pid, creationTime);
    else
        Unwatch(pid);
}

void CRealtimeValve::Watch(DWORD pid, ULONGLONG creationTime)
{
    // The program itself is at real-time so that its window thread keeps up with the
    // processes it boosts; lowering it would leave the valve itself behind them.
    if (pid == 0 || pid == m_system.GetCurrentProcessId())
        return;
    const auto found = std::find_if(m_watched.begin(), m_watched.end(),
                                    [pid](const WATCHED_PROCESS& watched) { return watched.pid == pid; });
    if (found != m_watched.end())
    {
        if (creationTime == 0 || creationTime == found->creationTime)
            return;
        UnwatchAt(static_cast<std::size_t>(found - m_watched.begin()));
    }
    if (m_watched.size() >= static_cast<std::size_t>(VALVE_WATCH_CAPACITY))
        return;
    // Opened once, when the process comes to real-time, and kept until it leaves: the
    // cycle never opens a process to read it.
    const TIMES_READER reader = m_system.OpenTimesReader(pid, &creationTime);
    if (reader == 0)
        return;
    WATCHED_PROCESS watched = {pid, creationTime, reader, 0, 0};
    // Its first reading is only where its use starts from.
    if (!m_system.ReadProcessorTime(reader, &watched.processorTime))
    {
        m_system.CloseTimesReader(reader);
        return;
    }
    m_watched.push_back(watched);
}

void CRealtimeValve::Unwatch(DWORD pid)
{
    for (std::size_t i = 0; i < m_watched.size(); ++i)
    {
        if (m_watched[i].pid == pid)
        {
            UnwatchAt(i);
            return;
        }
    }
}

void CRealtimeValve::UnwatchAt(std::size_t index)
{
    m_system.CloseTimesReader(m_watched[index].reader);
    m_watched.erase(m_watched.begin() + static_cast<std::ptrdiff_t>(index));
}

void CRealtimeValve::RunCycle()
{
    const DWORD now = m_system.GetTickCount();
    // Differences of tick counts stay right across the wrap after 49.7 days.
    const DWORD elapsedMs = now - m_dwLastReadingTick;
    if (m_bHasReading && elapsedMs < VALVE_READING_INTERVAL_MS)
        return;
    const bool firstReading = !m_bHasReading;
    m_bHasReading = true;
    m_dwLastReadingTick = now;

    const ULONGLONG used = ReadWatched();
    if (firstReading)
        return;
    JudgeLoad(IsOverLimit(used, elapsedMs), now, elapsedMs);
}

ULONGLONG CRealtimeValve::ReadWatched()
{
    ULONGLONG used = 0;
    for (std::size_t i = 0; i < m_watched.size();)
    {
        WATCHED_PROCESS& watched = m_watched[i];
        ULONGLONG processorTime = 0;
        if (!m_system.ReadProcessorTime(watched.reader, &processorTime))
        {
            UnwatchAt(i);   // ended
            continue;
        }
        watched.lastUse = processorTime >= watched.processorTime ? processorTime - watched.processorTime : 0;
        watched.processorTime = processorTime;
        used += watched.lastUse;
        ++i;
    }
    return used;
}

bool CRealtimeValve::IsOverLimit(ULONGLONG used, DWORD elapsedMs)
{
    // More than (processors - 0.5) processors busy over the interval, in whole numbers
    // so that both builds decide alike: used / (elapsed * units) > processors - 1/2.
    const ULONGLONG processors = std::max<DWORD>(m_system.GetProcessorCount(), 1);
    return used * 2 > (processors * 2 - 1) * elapsedMs * UNITS_PER_MS;
}

void CRealtimeValve::JudgeLoad(bool overLimit, DWORD now, DWORD elapsedMs)
{
    if (!overLimit)
    {
        m_bOverLimit = false;
        return;
    }
    if (!m_bOverLimit)
    {
        // The interval just read was over the limit from its start.
        m_bOverLimit = true;
        m_dwOverLimitSinceTick = now - elapsedMs;
    }
    if (now - m_dwOverLimitSinceTick < VALVE_OVERLOAD_MS)
        return;
    StepDownHeaviest();
    // The next one goes only if the rest are still over the limit for as long again.
    m_dwOverLimitSinceTick = now;
}

void CRealtimeValve::StepDownHeaviest()
{
    const auto heaviest = std::max_element(
        m_watched.begin(), m_watched.end(),
        [](const WATCHED_PROCESS& a, const WATCHED_PROCESS& b) { return a.lastUse < b.lastUse; });
    if (heaviest == m_watched.end() || heaviest->lastUse == 0)
        return;
    const KNOWN_PROCESS process = {heaviest->pid, heaviest->creationTime};
    // Once the program has begun to put every process back to normal, nothing else goes.
    if (!m_gate.IsPriorityChangeAllowed(process.pid, HIGH_PRIORITY_CLASS))
        return;
    const PriorityChange change =
        m_system.SetProcessPriorityIfSame(process.pid, process.creationTime, HIGH_PRIORITY_CLASS);
    // At high, or gone: either way it is no longer one of ours at real-time.
    UnwatchAt(static_cast<std::size_t>(heaviest - m_watched.begin()));
    if (change != PriorityChange::Made)
        return;
    // A restore that began on another thread meanwhile may have passed it already.
    if (!m_gate.IsPriorityChangeAllowed(process.pid, HIGH_PRIORITY_CLASS))
    {
        m_system.SetProcessPriorityIfSame(process.pid, process.creationTime, NORMAL_PRIORITY_CLASS);
        return;
    }
    Remember(m_steppedDown, process);
    Announce(process);
}

void CRealtimeValve::Announce(const KNOWN_PROCESS& process)
{
    // Once per process: one that comes back to the front and is boosted again may be
    // set to high again, without a second popup.
    for (const KNOWN_PROCESS& told : m_announced)
    {
        if (told.pid == process.pid && told.creationTime == process.creationTime)
            return;
    }
    Remember(m_announced, process);
    const CString name = AnnouncedNameOf(m_system, process.pid);
    if (name.IsEmpty())
        return;
    CString line1;
    line1.Format(L"%s was using every processor at real-time", name.GetString());
    m_view.ShowBoostPopup(line1, CString(L"VEXRA kept the system responsive"));
}

void CRealtimeValve::ForgetSteppedDown(DWORD pid)
{
    m_steppedDown.erase(std::remove_if(m_steppedDown.begin(), m_steppedDown.end(),
                                       [pid](const KNOWN_PROCESS& known) { return known.pid == pid; }),
                        m_steppedDown.end());
}

void CRealtimeValve::Remember(std::vector<KNOWN_PROCESS>& list, const KNOWN_PROCESS& process)
{
    if (list.size() >= static_cast<std::size_t>(VALVE_MEMORY_CAPACITY))
        list.erase(list.begin());
    list.push_back(process);
}
