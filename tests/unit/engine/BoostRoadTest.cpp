// The whole road of a boost with real processes under Wine: the watcher reports a new
// program, the engine boosts it, the program's window comes to the front and the boost
// is announced, as the main dialog wires them together.
#include "BoostEngineTestAccess.h"
#include "Boostee.h"
#include "FakeProcessSystem.h"
#include "WatcherProbe.h"

#include "endofrun/EndOfRun.h"
#include "engine/BoostEngine.h"
#include "engine/Win32ProcessSystem.h"

#include <gtest/gtest.h>

TEST(BoostRoad, ProgramStartedThenInFront_BoostedAndAnnouncedOnce)
{
    if (HelpersFolder().empty())
        GTEST_SKIP() << "VEXRA_BUILD_DIR is not set: boostee.exe cannot be found";
    wchar_t userName[1024] = {};
    DWORD userNameCount = 1024;
    ASSERT_TRUE(GetUserNameW(userName, &userNameCount));

    CWin32ProcessSystem system;
    FakeBoostView view;
    CEndOfRun endOfRun(system);
    CBoostEngine engine(system, view, endOfRun);
    engine.SetUserName(userName);

    ReportWindow window;
    window.onReport = [&](UINT message, WPARAM wParam, LPARAM lParam) {
        return message == WM_PROCESS_STARTED ? engine.OnProcessStarted(static_cast<DWORD>(wParam))
                                             : engine.OnProcessPresent(static_cast<DWORD>(wParam));
    };
    CObservableNotify watcher(system);
    ASSERT_TRUE(watcher.Start(1, TRUE, window.Handle()));
    ASSERT_TRUE(window.PumpUntil([&] { return watcher.FirstPassDone(); }));
    engine.Start();

    CBoostee app;
    ASSERT_TRUE(app.Start(HelpersFolder() + L"\\boostee.exe", L"road"));
    ASSERT_TRUE(window.PumpUntil([&] { return window.Has(WM_PROCESS_STARTED, app.Pid()); }));
    EXPECT_EQ(app.Pid(), engine.BoostedPid());

    // The dialog's 50 ms timer, until the program's window is in front and announced.
    const bool announced = window.PumpUntil([&] {
        SetForegroundWindow(app.Window());
        engine.RunForegroundCycle();
        return !view.popups.empty();
    });
    window.Destroy();
    watcher.Stop();
    if (!announced && GetForegroundWindow() != app.Window())
        GTEST_SKIP() << "this desktop does not let a test bring a window to the front";

    ASSERT_TRUE(announced);
    EXPECT_EQ(1u, view.popups.size());
    EXPECT_EQ(L"BOOSTEE is now", view.popups[0].first);
    EXPECT_EQ(L"VEXRA Boosted", view.popups[0].second);
    EXPECT_EQ(L"boostee", view.focusTexts.at(0));
    EXPECT_EQ(static_cast<DWORD>(REALTIME_PRIORITY_CLASS), ReadPriorityClass(app.Pid()));
    EXPECT_EQ(0, CBoostEngineTestAccess::StartedPidCount(engine));

    endOfRun.RestoreAtOrderlyEnd();
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), ReadPriorityClass(app.Pid()));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), ReadPriorityClass(GetCurrentProcessId()));
}
