// How the main dialog ends: the end guard it starts and stands down, the reports and
// cycles it refuses once any end has begun to return the processes to normal, and the
// end of the session or a request to close.
#include "engine/BoostEngineTestAccess.h"
#include "engine/PriorityGate.h"
#include "res/resource.h"
#include "WelcomeDlgTestAccess.h"
#include "ui/VEXRAUIWelcomeDlg.h"

#include <gtest/gtest.h>

namespace
{
// Ids no process of the prefix has: the engine remembers a start it could not boost.
const DWORD kGuardPid = 0x7FFFFF00;
const DWORD kOtherPid = 0x7FFFFF04;

class FakeEndGuard : public IEndGuard
{
public:
    bool Start() override
    {
        ++starts;
        return canStart;
    }
    DWORD ProcessId() const override { return canStart ? kGuardPid : 0; }
    void StandDown() override
    {
        ++standDowns;
        restoredBeforeStandDown = HasPriorityRestoreBegun();
    }

    bool canStart = true;
    int starts = 0;
    int standDowns = 0;
    bool restoredBeforeStandDown = false;
};

class WelcomeDlgEndTest : public testing::Test
{
protected:
    void Open()
    {
        m_dlg.SetEndGuard(&m_guard);
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

    FakeEndGuard m_guard;
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
    EXPECT_EQ(kGuardPid, GetEndGuardProcessId()) << "the engine does not know the guard";
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
    EXPECT_EQ(0u, GetEndGuardProcessId());
    EXPECT_TRUE(IsWindowVisible(m_hDlg));
    ReportStart(kOtherPid);
    EXPECT_EQ(1, StartedPidCount());
}

TEST_F(WelcomeDlgEndTest, DialogObjectEndingWithItsWindowOpen_StillEndsInOrder)
{
    FakeEndGuard guard;
    HWND hDlg = nullptr;
    {
        CVEXRAUIWelcomeDlg dlg;
        dlg.SetEndGuard(&guard);
        ASSERT_TRUE(dlg.Create(IDD_VEXRAUI_DIALOG, nullptr));
        hDlg = dlg.GetSafeHwnd();
    }
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_TRUE(HasPriorityRestoreBegun()) << "the processes were not returned to normal";
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
    // What a crash restore on the watcher's or an animation's thread does first, and
    // then its restore.
    MarkPriorityRestoreBegun();
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

    EXPECT_TRUE(HasPriorityRestoreBegun());
    EXPECT_FALSE(CWelcomeDlgTestAccess::IsTrayIconAdded(m_dlg));
    EXPECT_EQ(1, m_guard.standDowns);
    // A modeless dialog that ends is hidden; the modal loop of the program ends with it.
    EXPECT_FALSE(IsWindowVisible(m_hDlg)) << "the dialog did not end";
}

TEST_F(WelcomeDlgEndTest, EndSessionCancelled_TheProgramRunsOn)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    SendMessageW(m_hDlg, WM_ENDSESSION, FALSE, 0);

    EXPECT_FALSE(HasPriorityRestoreBegun());
    EXPECT_EQ(0, m_guard.standDowns);
    EXPECT_TRUE(IsWindowVisible(m_hDlg));
    ReportStart(kOtherPid);
    EXPECT_EQ(1, StartedPidCount());
}
