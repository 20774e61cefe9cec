// The engine's decisions against a made-up system: the foreground cycle, the start
// watcher's two messages and the announcement.
#include "BoostEngineTestAccess.h"
#include "EngineFixture.h"

namespace
{
const DWORD OWN = FakeProcessSystem::OWN_PID;
const DWORD APP_A = 300;
const DWORD APP_B = 304;
const DWORD HOST = 308;
const DWORD PLUGIN = 312;

class BoostEngineTest : public EngineFixture
{
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        system.AddProcess(APP_A, L"\\Device\\HarddiskVolume2\\Apps\\appa.exe");
        system.AddProcess(APP_B, L"\\Device\\HarddiskVolume2\\Apps\\appb.exe");
        windowA = system.AddWindow(APP_A);
        windowB = system.AddWindow(APP_B);
        engine.SetUserName(L"user1");
    }

    // A process the user just started, reported by the watcher.
    DWORD StartApp(DWORD pid, const wchar_t* imagePath)
    {
        system.AddProcess(pid, imagePath);
        engine.OnProcessStarted(pid);
        return pid;
    }

    HWND windowA = NULL;
    HWND windowB = NULL;
};
}

// ---- The foreground cycle ----

TEST_F(BoostEngineTest, Cycle_SwitchingBetweenTwoApps_AlternatesRealtimeAndBelowNormal)
{
    BringToFront(windowA);
    EXPECT_EQ(REALTIME, system.ClassOf(APP_A));
    EXPECT_EQ(NORMAL, system.ClassOf(APP_B));
    EXPECT_EQ(APP_A, engine.BoostedPid());

    BringToFront(windowB);
    EXPECT_EQ(BELOW, system.ClassOf(APP_A));
    EXPECT_EQ(REALTIME, system.ClassOf(APP_B));

    BringToFront(windowA);
    EXPECT_EQ(REALTIME, system.ClassOf(APP_A));
    EXPECT_EQ(BELOW, system.ClassOf(APP_B));
    EXPECT_EQ(APP_A, engine.BoostedPid());
    // Nothing else was touched, and the program itself was never demoted.
    EXPECT_EQ(NORMAL, system.ClassOf(OWN));
}

TEST_F(BoostEngineTest, Cycle_SameAppStaysInFront_BoostsAgainButNeverDemotesIt)
{
    BringToFront(windowA);
    system.processes[APP_A].priorityClass = NORMAL;   // the app lowered itself
    BringToFront(windowA);
    EXPECT_EQ(REALTIME, system.ClassOf(APP_A));
    for (const auto& change : system.changes)
        EXPECT_NE(BELOW, change.second) << "pid " << change.first;
}

TEST_F(BoostEngineTest, Cycle_NoForegroundWindow_OnlyUpdatesProcessCount)
{
    system.foreground = NULL;
    engine.RunForegroundCycle();

    ASSERT_EQ(1u, view.processCountTexts.size());
    EXPECT_EQ(L"3", view.processCountTexts[0]);
    EXPECT_TRUE(system.changes.empty());
    EXPECT_EQ(OWN, engine.BoostedPid());
    EXPECT_EQ(1, view.updates);
}

TEST_F(BoostEngineTest, Cycle_OwnWindowInFront_BoostsOwnProcessAndDemotesPrevious)
{
    BringToFront(windowA);
    BringToFront(system.AddWindow(OWN));

    EXPECT_EQ(REALTIME, system.ClassOf(OWN));
    EXPECT_EQ(BELOW, system.ClassOf(APP_A));
    EXPECT_EQ(OWN, engine.BoostedPid());
}

TEST_F(BoostEngineTest, Cycle_WindowHostingAnotherProcessesChild_BoostsTheHostedProcess)
{
    system.AddProcess(HOST, L"\\Device\\HarddiskVolume2\\Apps\\host.exe");
    system.AddProcess(PLUGIN, L"\\Device\\HarddiskVolume2\\Apps\\plugin.exe");
    HWND hostWindow = system.AddWindow(HOST);
    system.AddChildWindow(hostWindow, HOST);
    HWND pluginFrame = system.AddChildWindow(hostWindow, PLUGIN);
    system.AddChildWindow(pluginFrame, PLUGIN);
    system.AddChildWindow(hostWindow, HOST);

    BringToFront(hostWindow);

    EXPECT_EQ(REALTIME, system.ClassOf(PLUGIN));
    EXPECT_EQ(NORMAL, system.ClassOf(HOST));
    EXPECT_EQ(PLUGIN, engine.BoostedPid());
    // The focus list: the window's process, every child's, then the boosted process
    // and its namesakes (itself once more).
    EXPECT_EQ((std::vector<DWORD>{HOST, HOST, PLUGIN, PLUGIN, HOST, PLUGIN, PLUGIN}), FocusList());
}

TEST_F(BoostEngineTest, Cycle_ThousandsOfChildWindows_FocusListStaysWithinItsSize)
{
    for (int i = 0; i < FOCUS_PID_CAPACITY + 200; ++i)
        system.AddChildWindow(windowA, APP_A);
    BringToFront(windowA);
    EXPECT_EQ(FOCUS_PID_CAPACITY, g_nFocusPidCount);
    EXPECT_EQ(REALTIME, system.ClassOf(APP_A));
}

TEST_F(BoostEngineTest, Cycle_BoostFails_KeepsBoostedPidAndBoostsNoNamesakes)
{
    BringToFront(windowA);
    system.AddProcess(APP_B + 100, L"\\Device\\HarddiskVolume2\\Apps\\appb_helper.exe");
    system.processes[APP_B].openable = false;

    BringToFront(windowB);

    EXPECT_EQ(APP_A, engine.BoostedPid());
    EXPECT_EQ(NORMAL, system.ClassOf(APP_B + 100));
    // The application in front did change, so the old one went down all the same.
    EXPECT_EQ(BELOW, system.ClassOf(APP_A));
}

TEST_F(BoostEngineTest, Cycle_ProcessListUnreadable_SkipsCycleAndLeavesItRunnable)
{
    system.failEnumeration = true;
    system.foreground = windowA;
    engine.RunForegroundCycle();
    EXPECT_TRUE(view.processCountTexts.empty());
    EXPECT_TRUE(system.changes.empty());
    EXPECT_FALSE(CBoostEngineTestAccess::IsCycleBusy(engine));

    system.failEnumeration = false;
    engine.RunForegroundCycle();
    EXPECT_EQ(REALTIME, system.ClassOf(APP_A));
}

TEST_F(BoostEngineTest, Cycle_EnteredWhileRunning_InnerCycleDoesNothing)
{
    int innerCycles = 0;
    view.onProcessCount = [&] {
        if (innerCycles++ == 0)
            engine.RunForegroundCycle();
    };
    BringToFront(windowA);

    EXPECT_EQ(1u, view.processCountTexts.size());
    EXPECT_EQ(2, system.ChangesOf(APP_A));   // one boost, then itself again as a namesake
    EXPECT_FALSE(CBoostEngineTestAccess::IsCycleBusy(engine));
}

// ---- Message 1131: a process started ----

// ---- Only the process that was boosted is lowered ----

TEST_F(BoostEngineTest, BoostedIdGivenToAnotherProcess_NeitherItNorItsNamesakesAreLowered)
{
    const DWORD SVCHOST_1 = 400;
    const DWORD SVCHOST_2 = 404;
    system.AddProcess(SVCHOST_1, L"\\Device\\HarddiskVolume1\\Windows\\System32\\svchost.exe");
    system.AddProcess(SVCHOST_2, L"\\Device\\HarddiskVolume1\\Windows\\System32\\svchost.exe");
    BringToFront(windowA);
    ASSERT_EQ(APP_A, engine.BoostedPid());

    // The boosted application ends; before anything else comes to the front, Windows
    // gives its id to one more svchost.exe.
    system.AddProcess(APP_A, L"\\Device\\HarddiskVolume1\\Windows\\System32\\svchost.exe");
    system.changes.clear();
    BringToFront(windowB);

    EXPECT_EQ(REALTIME, system.ClassOf(APP_B));
    for (DWORD svchost : {APP_A, SVCHOST_1, SVCHOST_2})
        EXPECT_EQ(0, system.ChangesOf(svchost)) << "process " << svchost << " was changed";
}

TEST_F(BoostEngineTest, StartedProcessBoostedThenItsIdReused_TheNextStartDoesNotLowerTheNewOwner)
{
    engine.Start();
    StartApp(500, L"\\Device\\HarddiskVolume2\\Apps\\first.exe");
    ASSERT_EQ(500u, engine.BoostedPid());
    system.AddProcess(500, L"\\Device\\HarddiskVolume1\\Windows\\System32\\svchost.exe");

    system.changes.clear();
    StartApp(504, L"\\Device\\HarddiskVolume2\\Apps\\second.exe");

    EXPECT_EQ(0, system.ChangesOf(500));
    EXPECT_EQ(REALTIME, system.ClassOf(504));
}

TEST_F(BoostEngineTest, NamesakeWhoseIdNowNamesAnotherProcess_IsNotLoweredWithTheBoostedOne)
{
    const DWORD APP_A_2 = 320;
    system.AddProcess(APP_A_2, L"\\Device\\HarddiskVolume3\\Other\\appa.exe");
    BringToFront(windowA);
    ASSERT_EQ(REALTIME, system.ClassOf(APP_A_2)) << "a namesake rises with the boosted one";

    // The namesake ends and its id goes to another program before the next change.
    system.AddProcess(APP_A_2, L"\\Device\\HarddiskVolume2\\Apps\\stranger.exe");
    system.changes.clear();
    BringToFront(windowB);

    EXPECT_EQ(BELOW, system.ClassOf(APP_A)) << "the boosted one itself is lowered as before";
    EXPECT_EQ(0, system.ChangesOf(APP_A_2));
}

TEST_F(BoostEngineTest, ProcessStarted_BeforeStart_IsIgnored)
{
    EXPECT_EQ(1, engine.OnProcessStarted(APP_A));
    EXPECT_TRUE(system.changes.empty());
    EXPECT_EQ(0, CBoostEngineTestAccess::StartedPidCount(engine));
    EXPECT_EQ(0xFFFFFFFFu, CBoostEngineTestAccess::LastStartedPid(engine));
}

TEST_F(BoostEngineTest, ProcessStarted_BoostsItAtOnceAndDemotesThePreviousOne)
{
    engine.Start();
    BringToFront(windowA);
    system.changes.clear();

    EXPECT_EQ(0, engine.OnProcessStarted(APP_B));

    EXPECT_EQ(REALTIME, system.ClassOf(APP_B));
    EXPECT_EQ(BELOW, system.ClassOf(APP_A));
    EXPECT_EQ(APP_B, engine.BoostedPid());
    EXPECT_EQ(APP_B, CBoostEngineTestAccess::LastStartedPid(engine));
    // Namesakes are left to the next change of the application in front.
    EXPECT_EQ(2u, system.changes.size());
}

TEST_F(BoostEngineTest, ProcessStarted_ReportedTwiceInARow_IsActedOnOnce)
{
    engine.Start();
    engine.OnProcessStarted(APP_A);
    engine.OnProcessStarted(APP_A);

    EXPECT_EQ(1, system.ChangesOf(APP_A));
    EXPECT_EQ(1, CBoostEngineTestAccess::StartedPidCount(engine));
}

TEST_F(BoostEngineTest, ProcessStarted_BoostFails_StillRemembered)
{
    engine.Start();
    system.processes[APP_B].openable = false;
    engine.OnProcessStarted(APP_B);

    EXPECT_EQ(OWN, engine.BoostedPid());
    EXPECT_EQ(APP_B, CBoostEngineTestAccess::LastStartedPid(engine));
    ASSERT_EQ(1, CBoostEngineTestAccess::StartedPidCount(engine));
    EXPECT_EQ(APP_B, CBoostEngineTestAccess::StartedPids(engine)[0]);
}

TEST_F(BoostEngineTest, ProcessStarted_MoreThanTheListHolds_KeepsTheFirst1024)
{
    engine.Start();
    for (DWORD i = 0; i < STARTED_PID_CAPACITY + 5; ++i)
        engine.OnProcessStarted(5000 + 4 * i);
    EXPECT_EQ(STARTED_PID_CAPACITY, CBoostEngineTestAccess::StartedPidCount(engine));
    EXPECT_EQ(5000u + 4 * (STARTED_PID_CAPACITY - 1),
              CBoostEngineTestAccess::StartedPids(engine)[STARTED_PID_CAPACITY - 1]);
}

// ---- Message 1132: a process present at start-up ----

TEST_F(BoostEngineTest, ProcessPresent_RaisesOwnProcessAndLowersTheReportedOne)
{
    EXPECT_EQ(0, engine.OnProcessPresent(APP_A));
    EXPECT_EQ(REALTIME, system.ClassOf(OWN));
    EXPECT_EQ(BELOW, system.ClassOf(APP_A));
    EXPECT_EQ(APP_A, CBoostEngineTestAccess::LastStartedPid(engine));
    EXPECT_EQ(L"appa.exe", std::wstring(g_strProcessName));
}

TEST_F(BoostEngineTest, ProcessPresent_OwnIdReportedLast_ProgramEndsAtRealtime)
{
    // The watcher's first pass reports in ascending order; the program often has the
    // highest id of it, so its own report comes last.
    engine.OnProcessPresent(APP_A);
    engine.OnProcessPresent(OWN);
    EXPECT_EQ(REALTIME, system.ClassOf(OWN));
    EXPECT_EQ(BELOW, system.ClassOf(APP_A));

    // Each report lowers the reported process first and raises the program after it.
    const std::vector<std::pair<DWORD, DWORD>> expected = {
        {APP_A, BELOW}, {OWN, REALTIME}, {OWN, BELOW}, {OWN, REALTIME}};
    EXPECT_EQ(expected, system.changes);
}

TEST_F(BoostEngineTest, ProcessPresent_NamelessProcess_DoesNotBecomeLastStarted)
{
    system.processes[APP_B].identityName.clear();
    engine.OnProcessPresent(APP_A);
    engine.OnProcessPresent(APP_B);
    EXPECT_EQ(BELOW, system.ClassOf(APP_B));
    EXPECT_EQ(APP_A, CBoostEngineTestAccess::LastStartedPid(engine));
}

// ---- Announcement of a newly started application in front ----

TEST_F(BoostEngineTest, Announce_StartedAppComesToFront_AnnouncedOnce)
{
    engine.Start();
    const DWORD editor = StartApp(400, L"\\Device\\HarddiskVolume2\\Apps\\notepad.exe");
    HWND editorWindow = system.AddWindow(editor);

    BringToFront(editorWindow);
    BringToFront(editorWindow);

    ASSERT_EQ(1u, view.popups.size());
    EXPECT_EQ(L"NOTEPAD is now", view.popups[0].first);
    EXPECT_EQ(L"VEXRA Boosted", view.popups[0].second);
    ASSERT_EQ(1u, view.focusTexts.size());
    EXPECT_EQ(L"notepad", view.focusTexts[0]);
    EXPECT_EQ(0, CBoostEngineTestAccess::StartedPidCount(engine));
}

TEST_F(BoostEngineTest, Announce_ThreeStartedSecondToFront_AnnouncesSecondAndForgetsOthers)
{
    engine.Start();
    StartApp(400, L"\\Device\\HarddiskVolume2\\Apps\\first.exe");
    StartApp(404, L"\\Device\\HarddiskVolume2\\Apps\\second.exe");
    StartApp(408, L"\\Device\\HarddiskVolume2\\Apps\\third.exe");
    ASSERT_EQ(3, CBoostEngineTestAccess::StartedPidCount(engine));

    BringToFront(system.AddWindow(404));
    BringToFront(system.AddWindow(408));
    BringToFront(system.AddWindow(400));

    ASSERT_EQ(1u, view.popups.size());
    EXPECT_EQ(L"SECOND is now", view.popups[0].first);
    EXPECT_EQ(404u, CBoostEngineTestAccess::LastStartedPid(engine));
}

TEST_F(BoostEngineTest, Announce_ProductNameAndLongNames_AreCut)
{
    engine.Start();
    StartApp(400, L"\\Device\\HarddiskVolume2\\Apps\\ed.exe");
    system.processes[400].productName = L"Editor 2.1";
    BringToFront(system.AddWindow(400));

    const std::wstring forty = L"Abcdefghijklmnopqrstuvwxyz0123456789wxyz";
    ASSERT_EQ(40u, forty.size());
    StartApp(404, (L"\\Device\\HarddiskVolume2\\Apps\\" + forty + L".exe").c_str());
    BringToFront(system.AddWindow(404));

    ASSERT_EQ(2u, view.popups.size());
    EXPECT_EQ(L"Editor 2", view.focusTexts[0]);
    EXPECT_EQ(L"EDITOR 2 is now", view.popups[0].first);
    EXPECT_EQ(forty.substr(0, 35), view.focusTexts[1]);
    EXPECT_EQ(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678 is now", view.popups[1].first);
}

TEST_F(BoostEngineTest, Announce_OwnerDiffersOnlyInCase_IsAnnounced)
{
    engine.Start();
    engine.SetUserName(L"User1");
    StartApp(400, L"\\Device\\HarddiskVolume2\\Apps\\notepad.exe");
    system.processes[400].user = L"uSER1";
    BringToFront(system.AddWindow(400));
    EXPECT_EQ(1u, view.popups.size());
}

TEST_F(BoostEngineTest, Announce_ProcessOfAnotherAccount_BoostedButNotAnnounced)
{
    engine.Start();
    StartApp(400, L"\\Device\\HarddiskVolume2\\Windows\\service.exe");
    system.processes[400].user = L"SYSTEM";
    BringToFront(system.AddWindow(400));

    EXPECT_EQ(REALTIME, system.ClassOf(400));
    EXPECT_TRUE(view.popups.empty());
    EXPECT_TRUE(view.focusTexts.empty());
    EXPECT_EQ(400u, CBoostEngineTestAccess::LastStartedPid(engine));
    EXPECT_EQ(0, CBoostEngineTestAccess::StartedPidCount(engine));
}

TEST_F(BoostEngineTest, Announce_NoOwnerFoundAndNoUserName_IsNotAnnounced)
{
    engine.Start();
    engine.SetUserName(CString());
    StartApp(400, L"\\Device\\HarddiskVolume2\\Apps\\notepad.exe");
    system.processes[400].user.clear();
    BringToFront(system.AddWindow(400));
    EXPECT_TRUE(view.popups.empty());
}

TEST_F(BoostEngineTest, Announce_NoNameFound_StopsBeforeAnything)
{
    engine.Start();
    StartApp(400, L"\\Device\\HarddiskVolume2\\Apps\\notepad.exe");
    system.processes[400].identityName.clear();
    CBoostEngineTestAccess::SetLastStartedPid(engine, 7);
    BringToFront(system.AddWindow(400));

    EXPECT_TRUE(view.popups.empty());
    EXPECT_EQ(7u, CBoostEngineTestAccess::LastStartedPid(engine));
}
