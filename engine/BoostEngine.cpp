#include "engine/BoostEngine.h"

#include "engine/DisplayName.h"
#include "engine/FocusPids.h"
#include "engine/ProcessIdentity.h"

namespace
{
// Holds m_bCycleBusy for one cycle and clears it on every way out, an exception included:
// left set, it would stop the engine for the rest of the run.
class CCycleBusyScope
{
public:
    explicit CCycleBusyScope(BYTE& busy) : m_busy(busy) { m_busy = 1; }
    ~CCycleBusyScope() { m_busy = 0; }
    CCycleBusyScope(const CCycleBusyScope&) = delete;
    CCycleBusyScope& operator=(const CCycleBusyScope&) = delete;

private:
    BYTE& m_busy;
};
}  // namespace

CBoostEngine::CBoostEngine(IProcessSystem& system, IBoostView& view, const IPriorityGate& gate)
    : m_bCycleBusy(0),
      m_dwBoostedPid(system.GetCurrentProcessId()),
      m_dwLastStartedPid(0xFFFFFFFF),
      m_adwStartedPids(),
      m_nStartedPidCount(0),
      m_bEngineStarted(FALSE),
      m_system(system),
      m_view(view),
      m_priority(system, gate)
{
}

void CBoostEngine::Start()
{
    m_bEngineStarted = TRUE;
}

void CBoostEngine::SetUserName(const CString& userName)
{
    m_strUserName = userName;
}

void CBoostEngine::RunForegroundCycle()
{
    // A cycle never overlaps itself: anything inside it that pumps messages would
    // deliver the next 50 ms tick into the middle of this one.
    if (m_bCycleBusy)
        return;
    CCycleBusyScope busy(m_bCycleBusy);

    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    DWORD bytesReturned = 0;
    if (!m_system.EnumProcessIds(pids, sizeof(pids), &bytesReturned))
        return;
    RunCycleOver({pids, bytesReturned / static_cast<DWORD>(sizeof(DWORD))});
}

void CBoostEngine::RunForegroundCycle(const PROCESS_LIST& running)
{
    if (m_bCycleBusy)
        return;
    CCycleBusyScope busy(m_bCycleBusy);
    RunCycleOver(running);
}

void CBoostEngine::RunCycleOver(const PROCESS_LIST& running)
{
    // The one process list of this cycle: the count, and the namesakes of the application
    // in front and of the one before it, all come from it.
    ShowProcessCount(running.count);

    // Without a foreground window (a desktop switch) the focus list of the last cycle
    // stays, and is scanned again below.
    HWND hForeground = m_system.GetForegroundWindow();
    if (hForeground != NULL)
        BoostApplicationInFront(hForeground, running);

    AnnounceStartedProcessInFocus();
    m_view.UpdateNow();
}

void CBoostEngine::ShowProcessCount(DWORD count)
{
    CString text;
    text.Format(L"%d", static_cast<int>(count));
    m_view.SetProcessCountText(text);
}

void CBoostEngine::BoostApplicationInFront(HWND hForeground, const PROCESS_LIST& running)
{
    FOREGROUND_CONTEXT context = {};
    context.system = &m_system;
    context.fgPid = m_system.GetWindowProcessId(hForeground);
    context.target = context.fgPid;

    g_nFocusPidCount = 0;
    AppendFocusPid(context.fgPid);
    m_system.EnumChildWindows(hForeground, EnumChildProc, reinterpret_cast<LPARAM>(&context));

    const DWORD target = context.target;
    if (target == 0)
        return;

    // The application in front changed: the one boosted before goes down, with its
    // namesakes. The program itself is never demoted here.
    if (m_dwBoostedPid != m_system.GetCurrentProcessId() && m_dwBoostedPid != target)
        m_priority.DemoteWithNamesakes(BoostedKey(), running);

    // Boosted again on every cycle: a process may have lowered itself meanwhile.
    if (m_priority.SetProcessPriorityMode(target, PRIORITY_BOOST) > 0)
    {
        m_priority.ApplyPriorityToNamesakes(target, PRIORITY_BOOST, running);
        RememberBoosted(target);
    }
}

void CBoostEngine::RememberBoosted(DWORD pid)
{
    // The namesake boost has just brought the table up to date: a listed process costs a
    // lookup; one too new for the list is opened once.
    if (m_dwBoostedPid != pid || m_boostedKey.pid != pid)
        m_boostedKey = m_priority.KeyOf(pid);
    m_dwBoostedPid = pid;
}

PROCESS_KEY CBoostEngine::BoostedKey()
{
    // Set from outside (the program's own id at the start): learnt now.
    if (m_boostedKey.pid != m_dwBoostedPid)
        m_boostedKey = m_priority.KeyOf(m_dwBoostedPid);
    return m_boostedKey;
}

BOOL CALLBACK EnumChildProc(HWND hChild, LPARAM context)
{
    auto* foreground = reinterpret_cast<FOREGROUND_CONTEXT*>(context);
    const DWORD childPid = foreground->system->GetWindowProcessId(hChild);
    AppendFocusPid(childPid);
    // A window hosting another program's window (a browser's plug-in, a terminal's
    // console) means that program is the one the user works with.
    if (childPid != foreground->fgPid)
        foreground->target = childPid;
    return TRUE;
}

bool CBoostEngine::IsStartedPid(DWORD pid) const
{
    for (int i = 0; i < m_nStartedPidCount; ++i)
    {
        if (m_adwStartedPids[i] == pid)
            return true;
    }
    return false;
}

void CBoostEngine::AnnounceStartedProcessInFocus()
{
    for (int i = 0; i < g_nFocusPidCount; ++i)
    {
        const DWORD pid = g_adwFocusPids[i];
        if (pid != 0 && IsStartedPid(pid))
        {
            // The other recent starts never came to the front: forget them.
            m_nStartedPidCount = 0;
            AnnounceBoost(pid);
            return;
        }
    }
}

void CBoostEngine::ClearProcessIdentity()
{
    g_strProcessName.Empty();
    g_strProcessDomain.Empty();
    g_strProcessUser.Empty();
}

LRESULT CBoostEngine::OnProcessStarted(DWORD pid)
{
    if (!m_bEngineStarted)
        return 1;
    // The watcher saw this id come into the list: what the cycle's names table knew of
    // it, if anything, was an ended process that had the same id.
    m_priority.ForgetProcess(pid);
    if (pid == m_dwLastStartedPid)
        return 0;

    ClearProcessIdentity();
    // Only the process itself is lowered here; its namesakes follow on the next change
    // of the application in front.
    if (m_dwBoostedPid != m_system.GetCurrentProcessId())
        m_priority.DemoteIfSame(BoostedKey());
    if (m_priority.SetProcessPriorityMode(pid, PRIORITY_BOOST) > 0)
        RememberBoosted(pid);

    m_dwLastStartedPid = pid;
    if (m_nStartedPidCount < STARTED_PID_CAPACITY)
        m_adwStartedPids[m_nStartedPidCount++] = pid;
    return 0;
}

LRESULT CBoostEngine::OnProcessPresent(DWORD pid)
{
    // Lower first, then raise: the program stays real-time when its own id is reported.
    m_priority.SetProcessPriorityMode(pid, PRIORITY_DEMOTE);
    m_priority.SetProcessPriorityMode(m_system.GetCurrentProcessId(), PRIORITY_BOOST);

    ClearProcessIdentity();
    m_system.LookupProcessIdentity(pid);
    if (!g_strProcessName.IsEmpty())
        m_dwLastStartedPid = pid;
    return 0;
}

void CBoostEngine::AnnounceBoost(DWORD pid)
{
    ClearProcessIdentity();
    m_system.LookupProcessIdentity(pid);
    if (g_strProcessName.IsEmpty())
        return;
    m_dwLastStartedPid = pid;

    // Only the user's own applications are announced. An owner that could not be found
    // is nobody's, even when our own user name is unknown too.
    if (g_strProcessUser.IsEmpty())
        return;
    CString user = m_strUserName;
    CString owner = g_strProcessUser;
    if (user.MakeLower() != owner.MakeLower())
        return;

    const CString displayName = DisplayNameOfLookedUpProcess(m_system, pid);
    m_view.SetFocusAppText(displayName);

    CString upperName = displayName;
    upperName.MakeUpper();
    CString line1;
    line1.Format(L"%s is now", upperName.GetString());
    m_view.ShowBoostPopup(line1, CString(L"VEXRA Boosted"));
}
