// The start watcher over a made-up process list: what each pass reports when the list
// grows, shrinks or comes back in another order, and how often it reads the list before
// and after the engine starts. The passes are counted in the fake's readings, never timed.
#include "FakeProcessSystem.h"
#include "WatcherProbe.h"

#include "engine/ProcessNotify.h"
#include "engine/WatchPace.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const DWORD OWN = FakeProcessSystem::OWN_PID;
const DWORD APP_A = 300;
const DWORD APP_B = 304;
const DWORD APP_C = 308;
const DWORD LATE_LOW = 200;    // a later start with an id below the others
const DWORD LATE_HIGH = 400;

class WatcherFakeSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(report.Handle() != NULL);
        system.AddProcess(APP_A, L"\\Device\\HarddiskVolume2\\Apps\\appa.exe");
        system.AddProcess(APP_B, L"\\Device\\HarddiskVolume2\\Apps\\appb.exe");
        system.AddProcess(APP_C, L"\\Device\\HarddiskVolume2\\Apps\\appc.exe");
    }

    // The worker may be blocked sending to the window: it goes first, as in the dialog.
    void TearDown() override
    {
        report.Destroy();
        watcher.Stop();
    }

    void AddLater(DWORD pid) { system.AddProcess(pid, L"\\Device\\HarddiskVolume2\\Apps\\late.exe"); }

    // Lets the reports in until a pass that read the list after this call has ended: the
    // reading under way may have come before the call, the one after it has not, and it
    // has ended (its reports handled) once the worker reads the list again.
    bool PumpUntilFreshPassDone()
    {
        const int wanted = system.enumerations + 2;
        return report.PumpUntil([&] { return system.enumerations >= wanted; });
    }

    FakeProcessSystem system;
    ReportWindow report;
    CObservableNotify watcher{system};
};
}  // namespace

// ---- What the passes report ----

TEST_F(WatcherFakeSystemTest, FirstPass_ReportsEveryListedProcessOnceAscending)
{
    system.SetListOrder(ListOrder::Descending);
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    ASSERT_TRUE(report.PumpUntil([&] { return watcher.FirstPassDone(); }));
    ASSERT_TRUE(PumpUntilFreshPassDone());

    EXPECT_EQ((std::vector<DWORD>{OWN, APP_A, APP_B, APP_C}), report.PidsOf(WM_PROCESS_PRESENT));
    EXPECT_TRUE(report.PidsOf(WM_PROCESS_STARTED).empty()) << "an unchanged list is no start";
}

TEST_F(WatcherFakeSystemTest, LaterStart_ReportedOnce_AlsoWhenTheListComesBackReordered)
{
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    ASSERT_TRUE(report.PumpUntil([&] { return watcher.FirstPassDone(); }));

    AddLater(LATE_LOW);
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_STARTED, LATE_LOW); }));

    // The same processes in another order: nothing started.
    system.SetListOrder(ListOrder::Descending);
    ASSERT_TRUE(PumpUntilFreshPassDone());
    EXPECT_EQ(std::vector<DWORD>{LATE_LOW}, report.PidsOf(WM_PROCESS_STARTED));

    // A start in a list that also comes in another order is still one start.
    AddLater(LATE_HIGH);
    system.SetListOrder(ListOrder::Ascending);
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_STARTED, LATE_HIGH); }));
    ASSERT_TRUE(PumpUntilFreshPassDone());

    EXPECT_EQ((std::vector<DWORD>{LATE_LOW, LATE_HIGH}), report.PidsOf(WM_PROCESS_STARTED));
    EXPECT_EQ(4u, report.PidsOf(WM_PROCESS_PRESENT).size()) << "the first pass only";
}

TEST_F(WatcherFakeSystemTest, IdAbsentFromOnePassAndBackInTheNext_ReportedAsAStart)
{
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    ASSERT_TRUE(report.PumpUntil([&] { return watcher.FirstPassDone(); }));

    system.RemoveProcess(APP_B);
    ASSERT_TRUE(PumpUntilFreshPassDone());
    EXPECT_TRUE(report.PidsOf(WM_PROCESS_STARTED).empty()) << "an end sends nothing";

    system.AddProcess(APP_B, L"\\Device\\HarddiskVolume2\\Apps\\reused.exe");
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_STARTED, APP_B); }));
    ASSERT_TRUE(PumpUntilFreshPassDone());

    EXPECT_EQ(std::vector<DWORD>{APP_B}, report.PidsOf(WM_PROCESS_STARTED));
    EXPECT_EQ(1, report.Count(WM_PROCESS_PRESENT, APP_B));
}

TEST_F(WatcherFakeSystemTest, WaitForFreshPass_EachTime_HasReportedWhatWasListedBeforeTheCall)
{
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    ASSERT_TRUE(report.PumpUntil([&] { return watcher.FirstPassDone(); }));

    // Many rounds: a wait that counted the pass under way as fresh would miss some.
    for (DWORD pid = 1000; pid < 1000 + 4 * 40; pid += 4)
    {
        AddLater(pid);
        ASSERT_TRUE(watcher.WaitForFreshPass(20000));
        ASSERT_EQ(1, report.Count(WM_PROCESS_STARTED, pid)) << "pid " << pid;
    }
}

// ---- The pace before and after Start ----

TEST_F(WatcherFakeSystemTest, IdleWatch_FirstPassAtOnce_ThenFarFewerReadingsThanTheFastPace)
{
    ASSERT_TRUE(StartIdleWatch(watcher, report.Handle()));
    // The fast interval before the first pass: what runs is reported at once.
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_PRESENT, APP_C); }, 10000));
    const int idleBefore = system.enumerations;

    // A watcher at the fast pace beside it is the clock.
    FakeProcessSystem referenceSystem;
    CProcessNotify reference(referenceSystem);
    ASSERT_TRUE(reference.Start(WATCH_FAST_INTERVAL_MS, FALSE, NULL));
    const int referencePasses = 300;
    ASSERT_TRUE(PollUntil([&] { return referenceSystem.enumerations >= referencePasses; }, 60000));
    reference.Stop();

    // Some 1 to 2000: a pass or two at most where the two paces meet a boundary.
    EXPECT_LE(system.enumerations - idleBefore, referencePasses / 30);
}

TEST_F(WatcherFakeSystemTest, SpeedUpWatch_ReportsWhatStartedMeanwhile_ThenReadsAtTheFastPace)
{
    ASSERT_TRUE(StartIdleWatch(watcher, report.Handle()));
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_PRESENT, APP_C); }, 10000));

    // Started while the watcher waits out its idle interval: reported before Start returns.
    AddLater(LATE_LOW);
    ASSERT_TRUE(SpeedUpWatch(watcher));
    EXPECT_EQ(1, report.Count(WM_PROCESS_STARTED, LATE_LOW));

    // 300 readings take well over ten minutes at the idle pace.
    const int wanted = system.enumerations + 300;
    EXPECT_TRUE(report.PumpUntil([&] { return system.enumerations >= wanted; }, 60000));
}
