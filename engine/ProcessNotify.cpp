#include "engine/ProcessNotify.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace
{
typedef std::vector<DWORD> PidList;

// The ids of `from` that are not in `without`; both sorted.
void SortedDifference(const PidList& from, const PidList& without, PidList& difference)
{
    difference.clear();
    std::set_difference(from.begin(), from.end(), without.begin(), without.end(),
                        std::back_inserter(difference));
}
}

CProcessNotify::CProcessNotify(IProcessSystem& system)
    : m_system(system),
      m_hNotifyWnd(NULL),
      m_dwInterval(0),
      m_bReportExisting(FALSE),
      m_bFirstPassDone(false),
      m_dwPollInterval(0),
      m_nPassCount(0),
      m_bLatestValid(false)
{
}

CProcessNotify::~CProcessNotify()
{
    StopWorker();
}

BOOL CProcessNotify::Start(DWORD interval, BOOL reportExisting, HWND notifyWnd)
{
    if (m_hThread)
        return TRUE;
    // A Start whose thread could not be created keeps its event for the next Start.
    if (!m_hStopEvent)
    {
        m_hStopEvent.Reset(CreateEventW(NULL, TRUE, FALSE, NULL));
        if (!m_hStopEvent)
            return FALSE;
    }
    // Without it a shorter interval only takes effect once the current wait is over.
    if (!m_hWakeEvent)
        m_hWakeEvent.Reset(CreateEventW(NULL, FALSE, FALSE, NULL));
    m_dwInterval = interval;
    m_dwPollInterval = interval;
    m_bFirstPassDone = false;
    m_bReportExisting = reportExisting;
    m_hNotifyWnd = notifyWnd;
    m_hThread.Reset(CreateThread(NULL, 0, WatchThreadProc, this, 0, NULL));
    return m_hThread ? TRUE : FALSE;
}

void CProcessNotify::SetPollInterval(DWORD interval)
{
    const DWORD before = m_dwPollInterval.exchange(interval);
    // A worker waiting out a longer interval looks at once with the new one.
    if (interval < before && m_hWakeEvent)
        SetEvent(m_hWakeEvent.Get());
}

BOOL CProcessNotify::WaitForFreshPass(DWORD timeoutMs)
{
    if (!m_hThread)
        return FALSE;
    // A pass under way may have read its list before this call: the one after it is the
    // first that surely reads a later list.
    const DWORD wanted = m_nPassCount + 2;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        // The worker may be blocked sending a report to this thread: sent messages are let
        // in while waiting, or both would wait for each other.
        MSG message;
        PeekMessageW(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        // Counted modulo 2^32: a count that passed `wanted` is less than half a turn past it.
        if (static_cast<LONG>(m_nPassCount - wanted) >= 0)
            return TRUE;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return FALSE;
        // Short waits: the passes themselves signal nothing. A worker that ended is seen.
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 5));
        const HANDLE hThread = m_hThread.Get();
        if (MsgWaitForMultipleObjectsEx(1, &hThread, wait, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) ==
            WAIT_OBJECT_0)
            return FALSE;
    }
}

BOOL CProcessNotify::Stop()
{
    return StopWorker();
}

BOOL CProcessNotify::StopWorker()
{
    if (!m_hThread)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SetEvent(m_hStopEvent.Get());
    WaitForSingleObject(m_hThread.Get(), INFINITE);
    m_hThread.Reset();
    m_hStopEvent.Reset();
    return TRUE;
}

// The running processes in the order the system gives them; FALSE when the list cannot
// be read. The vector's memory is reused from pass to pass.
BOOL CProcessNotify::ReadPids(PidList& pids)
{
    pids.assign(WATCHED_PID_CAPACITY, 0);
    DWORD bytesReturned = 0;
    if (!m_system.EnumProcessIds(pids.data(), WATCHED_PID_CAPACITY * sizeof(DWORD), &bytesReturned))
        return FALSE;
    pids.resize(std::min<DWORD>(bytesReturned / sizeof(DWORD), WATCHED_PID_CAPACITY));
    return TRUE;
}

BOOL CProcessNotify::OnProcessChange(DWORD pid, BOOL started)
{
    if (started)
    {
        const UINT message = m_bFirstPassDone ? WM_PROCESS_STARTED : WM_PROCESS_PRESENT;
        // Synchronous on purpose: the dialog acts on the process before we look again.
        SendMessageW(m_hNotifyWnd, message, pid, started);
    }
    return TRUE;
}

DWORD WINAPI CProcessNotify::WatchThreadProc(LPVOID parameter)
{
    if (parameter == NULL)
        return ERROR_INVALID_PARAMETER;
    auto* watcher = static_cast<CProcessNotify*>(parameter);
    const DWORD exitCode = watcher->RunWatchLoop();
    // A list nobody keeps up to date any more must not stand for the running processes.
    watcher->PublishList(nullptr);
    return exitCode;
}

void CProcessNotify::PublishList(const std::vector<DWORD>* pids)
{
    std::lock_guard<std::mutex> lock(m_latestLock);
    m_bLatestValid = pids != nullptr;
    if (pids != nullptr)
        m_latestList = *pids;
}

BOOL CProcessNotify::CopyLatestList(std::vector<DWORD>& pids) const
{
    std::lock_guard<std::mutex> lock(m_latestLock);
    if (!m_bLatestValid || m_latestList.empty() || m_latestList.size() >= WATCHED_PID_CAPACITY)
        return FALSE;
    pids = m_latestList;
    return TRUE;
}

BOOL CProcessNotify::ReportEach(const std::vector<DWORD>& pids, BOOL started, DWORD* exitCode)
{
    for (DWORD pid : pids)
    {
        if (!OnProcessChange(pid, started))
        {
            *exitCode = ERROR_CANCELLED;
            return FALSE;
        }
        // A stop asked for during a batch ends it after the report in progress.
        const DWORD waitResult = WaitForSingleObject(m_hStopEvent.Get(), 0);
        if (waitResult != WAIT_TIMEOUT)
        {
            *exitCode = waitResult;
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CProcessNotify::ReportDifferences(const std::vector<DWORD>& current,
                                       const std::vector<DWORD>& previous,
                                       std::vector<DWORD>& scratch, DWORD* exitCode)
{
    SortedDifference(current, previous, scratch);
    if (!ReportEach(scratch, TRUE, exitCode))
        return FALSE;
    SortedDifference(previous, current, scratch);
    return ReportEach(scratch, FALSE, exitCode);
}

DWORD CProcessNotify::WaitBetweenPasses()
{
    const DWORD interval = m_dwPollInterval;
    if (!m_hWakeEvent)
        return WaitForSingleObject(m_hStopEvent.Get(), interval);
    const HANDLE events[] = {m_hStopEvent.Get(), m_hWakeEvent.Get()};
    const DWORD result = WaitForMultipleObjects(2, events, FALSE, interval);
    // Woken for a shorter interval: the next pass is due now.
    return result == WAIT_OBJECT_0 + 1 ? WAIT_TIMEOUT : result;
}

DWORD CProcessNotify::RunWatchLoop()
{
    DWORD waitResult = WaitForSingleObject(m_hStopEvent.Get(), m_dwInterval);
    if (waitResult != WAIT_TIMEOUT)
        return waitResult;

    // Each list twice: as the system returned it, so that an unchanged list costs one
    // comparison, and sorted, for the differences when it changed.
    PidList previousListed;
    PidList listed;
    PidList previous;
    PidList current;
    PidList changed;
    for (PidList* list : {&previousListed, &listed, &previous, &current, &changed})
        list->reserve(WATCHED_PID_CAPACITY);

    for (bool firstPass = true;; firstPass = false)
    {
        if (!firstPass)
            m_bFirstPassDone = true;
        if (!ReadPids(listed))
            return GetLastError();

        // A first pass that reports nothing only learns the list.
        const bool learnOnly = previous.empty() && !m_bReportExisting;
        if (learnOnly || listed != previousListed)
        {
            PublishList(&listed);
            current = listed;
            std::sort(current.begin(), current.end());
            DWORD exitCode = 0;
            if (!learnOnly && !ReportDifferences(current, previous, changed, &exitCode))
                return exitCode;
            previous.swap(current);
            previousListed.swap(listed);
        }
        ++m_nPassCount;

        waitResult = WaitBetweenPasses();
        if (waitResult != WAIT_TIMEOUT)
            return waitResult;
    }
}
