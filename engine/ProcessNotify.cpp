#include "engine/ProcessNotify.h"

#include <psapi.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace
{
typedef std::vector<DWORD> PidList;

// The running processes, sorted ascending; FALSE when the list cannot be read.
BOOL ReadSortedPids(PidList& pids)
{
    DWORD buffer[WATCHED_PID_CAPACITY] = {};
    DWORD bytesReturned = 0;
    if (!EnumProcesses(buffer, sizeof(buffer), &bytesReturned))
        return FALSE;
    const DWORD count = std::min<DWORD>(bytesReturned / sizeof(DWORD), WATCHED_PID_CAPACITY);
    pids.assign(buffer, buffer + count);
    std::sort(pids.begin(), pids.end());
    return TRUE;
}

// The ids of `from` that are not in `without`; both sorted.
void SortedDifference(const PidList& from, const PidList& without, PidList& difference)
{
    difference.clear();
    std::set_difference(from.begin(), from.end(), without.begin(), without.end(),
                        std::back_inserter(difference));
}
}

CProcessNotify::CProcessNotify()
    : m_hNotifyWnd(NULL),
      m_hThread(NULL),
      m_hStopEvent(NULL),
      m_dwInterval(0),
      m_bReportExisting(FALSE),
      m_bFirstPassDone(FALSE)
{
}

CProcessNotify::~CProcessNotify()
{
    // A Start whose thread could not be created keeps its event for the next Start;
    // with no next Start it would outlive the watcher.
    if (m_hThread == NULL && m_hStopEvent != NULL)
    {
        CloseHandle(m_hStopEvent);
        m_hStopEvent = NULL;
    }
    StopWorker();
}

BOOL CProcessNotify::Start(DWORD interval, BOOL reportExisting, HWND notifyWnd)
{
    if (m_hThread != NULL)
        return TRUE;
    if (m_hStopEvent == NULL)
    {
        m_hStopEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
        if (m_hStopEvent == NULL)
            return FALSE;
    }
    m_dwInterval = interval;
    m_bFirstPassDone = FALSE;
    m_bReportExisting = reportExisting;
    m_hNotifyWnd = notifyWnd;
    m_hThread = CreateThread(NULL, 0, WatchThreadProc, this, 0, NULL);
    return m_hThread != NULL;
}

BOOL CProcessNotify::Stop()
{
    return StopWorker();
}

BOOL CProcessNotify::StopWorker()
{
    if (m_hThread == NULL)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SetEvent(m_hStopEvent);
    WaitForSingleObject(m_hThread, INFINITE);
    CloseHandle(m_hThread);
    CloseHandle(m_hStopEvent);
    m_hThread = NULL;
    m_hStopEvent = NULL;
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
    return static_cast<CProcessNotify*>(parameter)->RunWatchLoop();
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
        const DWORD waitResult = WaitForSingleObject(m_hStopEvent, 0);
        if (waitResult != WAIT_TIMEOUT)
        {
            *exitCode = waitResult;
            return FALSE;
        }
    }
    return TRUE;
}

DWORD CProcessNotify::RunWatchLoop()
{
    DWORD waitResult = WaitForSingleObject(m_hStopEvent, m_dwInterval);
    if (waitResult != WAIT_TIMEOUT)
        return waitResult;

    PidList previous;
    PidList current;
    PidList changed;
    previous.reserve(WATCHED_PID_CAPACITY);
    current.reserve(WATCHED_PID_CAPACITY);
    changed.reserve(WATCHED_PID_CAPACITY);

    for (bool firstPass = true;; firstPass = false)
    {
        if (!firstPass)
            m_bFirstPassDone = TRUE;
        if (!ReadSortedPids(current))
            return GetLastError();

        if (previous.empty() && !m_bReportExisting)
        {
            previous.swap(current);
        }
        else if (current != previous)
        {
            DWORD exitCode = 0;
            SortedDifference(current, previous, changed);
            if (!ReportEach(changed, TRUE, &exitCode))
                return exitCode;
            SortedDifference(previous, current, changed);
            if (!ReportEach(changed, FALSE, &exitCode))
                return exitCode;
            previous.swap(current);
        }

        waitResult = WaitForSingleObject(m_hStopEvent, m_dwInterval);
        if (waitResult != WAIT_TIMEOUT)
            return waitResult;
    }
}
