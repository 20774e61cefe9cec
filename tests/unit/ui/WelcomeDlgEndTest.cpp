// How the main dialog ends: the end guard it starts and stands down, the reports and
// cycles it refuses once any end has begun to return the processes to normal, and the
// end of the session or a request to close.
#include "engine/BoostEngineTestAccess.h"
#include "engine/Win32ProcessSystem.h"
#include "res/resource.h"
#include "WelcomeDlgTestAccess.h"
#include "ui/VEXRAUIWelcomeDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

namespace
{
// Ids no process of the prefix has: the engine remembers a start it could not boost.
const DWORD kGuardPid = 0x7FFFFF00;
const DWORD kOtherPid = 0x7FFFFF04;

// What the guard saw; it outlives the guard, which the dialog owns.
struct GuardRecord
{
    bool canStart = true;
    int starts = 0;
    int standDowns = 0;
    bool restoredBeforeStandDown = false;
    std::function<void()> onEnded;
};

class FakeEndGuard : public IEndGuard
{
public:
    FakeEndGuard(GuardRecord& record, const CEndOfRun& endOfRun)
        : m_record(record), m_endOfRun(endOfRun)
    {
    }
    bool Start(std::function<void()> onEnded) override
    {
        ++m_record.starts;
        m_record.onEnded = std::move(onEnded);
        m_running = m_record.canStart;
        return m_record.canStart;
    }
    DWORD ProcessId() const override { return m_running ? kGuardPid : 0; }
    void StandDown() override
    {
        ++m_record.standDowns;
        m_record.restoredBeforeStandDown = m_endOfRun.HasRestoreBegun();
        m_running = false;
    }

private:
    GuardRecord& m_record;
    const CEndOfRun& m_endOfRun;
    bool m_running = false;
};

void UseFakeGuard(CVEXRAUIWelcomeDlg& dlg, GuardRecord& record)
{
    dlg.UseEndGuard(std::make_unique<FakeEndGuard>(record, dlg.EndOfRun()));
}

// Lets the window thread handle what was posted to it, until `done` or a deadline.
template <class Done>
bool PumpUntil(Done done)
{
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (!done())
    {
        if (GetTickCount64() > deadline)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

class WelcomeDlgEndTest : public testing::Test
{
protected:
    void Open()
    {
        UseFakeGuard(m_dlg, m_guard);
        ASSERT_TRUE(m_dlg.Create(IDD_VEXRAUI_DIALOG, nullptr));
        m_hDlg = m_dlg.GetSafeHwnd();
        CWelcomeDlgTestAccess::Engine(m_dlg).Start();  // as after Start
    }
    void TearDown() override
    {
        if (m_dlg.GetSafeHwnd() != nullptr)
            m_dlg.DestroyWindow();
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    }

    void ReportStart(DWORD pid) { SendMessageW(m_hDlg, WM_PROCESS_STARTED, pid, 1); }
    int StartedPidCount()
    {
        return CBoostEngineTestAccess::StartedPidCount(CWelcomeDlgTestAccess::Engine(m_dlg));
    }

    GuardRecord m_guard;
    CVEXRAUIWelcomeDlg m_dlg;
    HWND m_hDlg = nullptr;
};
}  // namespace

// ---------------------------------------------------------------------------------------
// The end guard
// ---------------------------------------------------------------------------------------

TEST_F(WelcomeDlgEndTest, EndGuard_StartedWhenTheWindowOpensAndStoodDownAfterTheRestore)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(1, m_guard.starts);
    EXPECT_EQ(kGuardPid, m_dlg.EndOfRun().GuardProcessId()) << "the engine does not know the guard";
    EXPECT_EQ(0, m_guard.standDowns);

    m_dlg.DestroyWindow();
    EXPECT_EQ(1, m_guard.standDowns);
    EXPECT_TRUE(m_guard.restoredBeforeStandDown)
        << "stood down before every process was back to normal";
}

TEST_F(WelcomeDlgEndTest, EndGuard_ReportsOfItsProcessAreNotActedOn)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    ReportStart(kGuardPid);
    EXPECT_EQ(0, StartedPidCount()) << "the guard would be announced";
    EXPECT_NE(kGuardPid,
              CBoostEngineTestAccess::LastStartedPid(CWelcomeDlgTestAccess::Engine(m_dlg)));

    ReportStart(kOtherPid);
    EXPECT_EQ(1, StartedPidCount());
}

TEST_F(WelcomeDlgEndTest, EndGuardThatCannotStart_TheProgramRunsOnWithoutOne)
{
    m_guard.canStart = false;
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(0u, m_dlg.EndOfRun().GuardProcessId());
    EXPECT_TRUE(IsWindowVisible(m_hDlg));
    ReportStart(kOtherPid);
    EXPECT_EQ(1, StartedPidCount());
}

TEST_F(WelcomeDlgEndTest, DialogObjectEndingWithItsWindowOpen_StillEndsInOrder)
{
    GuardRecord guard;
    HWND hDlg = nullptr;
    {
        CVEXRAUIWelcomeDlg dlg;
        UseFakeGuard(dlg, guard);
        ASSERT_TRUE(dlg.Create(IDD_VEXRAUI_DIALOG, nullptr));
        hDlg = dlg.GetSafeHwnd();
    }
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_TRUE(guard.restoredBeforeStandDown) << "the processes were not returned to normal";
    EXPECT_EQ(1, guard.standDowns);
    EXPECT_TRUE(guard.restoredBeforeStandDown);
}

// ---------------------------------------------------------------------------------------
// Once an end has begun
// ---------------------------------------------------------------------------------------

TEST_F(WelcomeDlgEndTest, RestoreBegunOnAnotherThread_LaterReportsAndCyclesChangeNothing)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    SetWindowTextW(GetDlgItem(m_hDlg, IDC_ENGINE_PROCESS_COUNT), L"unchanged");
    // A crash restore on the watcher's or an animation's thread.
    CWin32ProcessSystem system;
    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    m_dlg.EndOfRun().RestoreEveryProcess(system, pids, sizeof(pids));
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);

    ReportStart(kOtherPid);
    SendMessageW(m_hDlg, WM_PROCESS_PRESENT, GetCurrentProcessId(), 1);
    SendMessageW(m_hDlg, WM_TIMER, TIMER_FOREGROUND, 0);

    EXPECT_EQ(0, StartedPidCount());
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));
    wchar_t szCount[32] = {};
    GetWindowTextW(GetDlgItem(m_hDlg, IDC_ENGINE_PROCESS_COUNT), szCount, 32);
    EXPECT_STREQ(L"unchanged", szCount) << "a foreground cycle ran";
}

// ---------------------------------------------------------------------------------------
// The end of the session, and a request to close
// ---------------------------------------------------------------------------------------

TEST_F(WelcomeDlgEndTest, EndSessionAskingToClose_RestoresRemovesTheIconAndEnds)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    // What the Restart Manager sends when an installer needs the program gone.
    SendMessageW(m_hDlg, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);

    EXPECT_TRUE(m_dlg.EndOfRun().HasRestoreBegun());
    EXPECT_FALSE(CWelcomeDlgTestAccess::IsTrayIconAdded(m_dlg));
    EXPECT_EQ(1, m_guard.standDowns);
    // A modeless dialog that ends is hidden; the modal loop of the program ends with it.
    EXPECT_FALSE(IsWindowVisible(m_hDlg)) << "the dialog did not end";
}

TEST_F(WelcomeDlgEndTest, EndSessionCalledOff_TheProgramRunsOn)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    SendMessageW(m_hDlg, WM_ENDSESSION, FALSE, 0);
    // A close the Restart Manager asked for and then called off.
    SendMessageW(m_hDlg, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP);

    EXPECT_FALSE(m_dlg.EndOfRun().HasRestoreBegun());
    EXPECT_EQ(0, m_guard.standDowns);
    EXPECT_TRUE(IsWindowVisible(m_hDlg));
    ReportStart(kOtherPid);
    EXPECT_EQ(1, StartedPidCount());
}

TEST_F(WelcomeDlgEndTest, GuardEndsByItself_TheWindowThreadStartsANewOne)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(1, m_guard.starts);

    // As the thread pool's notice does: from another thread, then the window thread.
    std::thread notice(m_guard.onEnded);
    notice.join();
    EXPECT_EQ(0u, m_dlg.EndOfRun().GuardProcessId()) << "the old guard's id stays excluded";

    EXPECT_TRUE(PumpUntil([&] { return m_guard.starts == 2; }));
    EXPECT_EQ(kGuardPid, m_dlg.EndOfRun().GuardProcessId());
}
