// The watcher's two paces under Wine: slow while the program only waits for Start, every
// millisecond afterwards, and the hand-over between them, which must report everything
// that started before it.
#include "Boostee.h"
#include "WatcherProbe.h"

#include "engine/ProcessNotify.h"
#include "engine/Win32ProcessSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
using WatcherPaceTest = WatcherTest;
}

TEST_F(WatcherPaceTest, WaitForFreshPass_AfterSlowPolling_HasReportedEveryEarlierStart)
{
    CObservableNotify watcher(realSystem);
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    // As before Start: a minute between passes, the first pass reported.
    watcher.SetPollInterval(60000);
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_PRESENT, GetCurrentProcessId()); }));

    CBoostee started;
    ASSERT_TRUE(started.Start(boostee, L"before-the-hand-over"));
    watcher.SetPollInterval(1);
    // The shorter interval ends the minute's wait at once. The report arrives while this
    // thread waits: the wait must let it in, and end as soon as two quick passes are done,
    // not at its time-out.
    const ULONGLONG before = GetTickCount64();
    EXPECT_TRUE(watcher.WaitForFreshPass(20000));
    EXPECT_LT(GetTickCount64() - before, 5000u);
    EXPECT_EQ(1, report.Count(WM_PROCESS_STARTED, started.Pid()));

    // From now on the millisecond pace: a later start is reported without a long wait.
    CBoostee later;
    ASSERT_TRUE(later.Start(boostee, L"after-the-hand-over"));
    EXPECT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_STARTED, later.Pid()); }, 5000));
    report.Destroy();
    watcher.Stop();
}

TEST_F(WatcherPaceTest, SlowPolling_FirstPassStillComesAtTheStartInterval)
{
    CObservableNotify watcher(realSystem);
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    watcher.SetPollInterval(60000);
    EXPECT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_PRESENT, GetCurrentProcessId()); },
                                 10000));
    report.Destroy();
    watcher.Stop();
}

TEST(WatcherPace, WaitForFreshPass_WatcherNotRunning_ReturnsFalseAtOnce)
{
    CWin32ProcessSystem system;
    CProcessNotify watcher(system);
    EXPECT_FALSE(watcher.WaitForFreshPass(10000));

    // A worker that ended on its own (the list could not be sent anywhere it wanted).
    struct EndingNotify : CProcessNotify
    {
        using CProcessNotify::CProcessNotify;
        ~EndingNotify() override { Stop(); }
        BOOL OnProcessChange(DWORD, BOOL) override { return FALSE; }
    } ending(system);
    ASSERT_TRUE(ending.Start(1, TRUE, NULL));
    const ULONGLONG before = GetTickCount64();
    EXPECT_FALSE(ending.WaitForFreshPass(10000));
    EXPECT_LT(GetTickCount64() - before, 5000u);
}

// ---- The list the foreground cycle takes from the watcher ----

TEST_F(WatcherPaceTest, CopyLatestList_WhileRunning_HoldsWhatRunsAndNothingOnceStopped)
{
    CObservableNotify watcher(realSystem);
    std::vector<DWORD> list;
    EXPECT_FALSE(watcher.CopyLatestList(list)) << "no worker, no list";

    CBoostee app;
    ASSERT_TRUE(app.Start(boostee, L"listed"));
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    ASSERT_TRUE(report.PumpUntil([&] { return watcher.FirstPassDone(); }));
    ASSERT_TRUE(watcher.CopyLatestList(list));
    EXPECT_NE(list.end(), std::find(list.begin(), list.end(), GetCurrentProcessId()));
    EXPECT_NE(list.end(), std::find(list.begin(), list.end(), app.Pid()));

    // An ended process leaves the list the next pass reads.
    const DWORD pid = app.Pid();
    app.End();
    EXPECT_TRUE(report.PumpUntil([&] {
        return watcher.CopyLatestList(list) && std::find(list.begin(), list.end(), pid) == list.end();
    }));

    report.Destroy();
    watcher.Stop();
    EXPECT_FALSE(watcher.CopyLatestList(list)) << "a stopped worker keeps nothing up to date";
}
