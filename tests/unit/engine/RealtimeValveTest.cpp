// The real-time valve with the engine, against a made-up system whose processes use
// processor time as the tests say: the clock is the fake's tick count, moved on by one
// 50 ms cycle at a time, so nothing here waits for real time to pass.
#include "EngineFixture.h"

#include "endofrun/EndOfRun.h"
#include "engine/BoostEngine.h"
#include "engine/FocusPids.h"
#include "engine/ProcessIdentity.h"
#include "engine/RealtimeValve.h"
#include "engine/ValvedProcessSystem.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{
const DWORD OWN = FakeProcessSystem::OWN_PID;
const DWORD GAME = 300;
const DWORD GAME_HELPER = 304;
const DWORD GAME_SERVER = 308;
const DWORD EDITOR = 312;
const DWORD STARTED = 316;

const DWORD HIGH = HIGH_PRIORITY_CLASS;

const DWORD CYCLE_MS = 50;
const ULONGLONG UNITS_PER_MS = 10000;

class RealtimeValveTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ClearFocusAndIdentity();
        system.AddProcess(GAME, L"\\Device\\HarddiskVolume2\\Games\\game.exe").productName =
            L"Star Racer 3.0";
        system.AddProcess(EDITOR, L"\\Device\\HarddiskVolume2\\Apps\\editor.exe");
        gameWindow = system.AddWindow(GAME);
        editorWindow = system.AddWindow(EDITOR);
    }

    // Runs the 50 ms cycles for `ms`, each process using its load (thousandths of a
    // processor) meanwhile.
    void RunFor(DWORD ms)
    {
        for (DWORD elapsed = 0; elapsed < ms; elapsed += CYCLE_MS)
            RunOneCycle();
    }

    // Runs cycles until pid is at priorityClass, for at most `ms`. Whether it got there.
    bool RunUntilClass(DWORD pid, DWORD priorityClass, DWORD ms)
    {
        for (DWORD elapsed = 0; elapsed < ms; elapsed += CYCLE_MS)
        {
            RunOneCycle();
            if (system.ClassOf(pid) == priorityClass)
                return true;
        }
        return false;
    }

    void RunOneCycle()
    {
        for (const auto& load : loads)
        {
            auto found = system.processes.find(load.first);
            if (found != system.processes.end())
                found->second.processorTime += CYCLE_MS * UNITS_PER_MS * load.second / 1000;
        }
        system.tick += CYCLE_MS;
        engine.RunForegroundCycle();
        valve.RunCycle();
    }

    void BringToFront(HWND hWnd)
    {
        system.foreground = hWnd;
        RunOneCycle();
    }

    // Counts every change of pid to priorityClass from now on.
    void CountChangesTo(DWORD pid, DWORD priorityClass, int& count)
    {
        system.onPriorityChange = [pid, priorityClass, &count](DWORD changed, DWORD newClass) {
            if (changed == pid && newClass == priorityClass)
                ++count;
        };
    }

    FakeProcessSystem system;
    FakeBoostView view;
    CEndOfRun endOfRun{system};
    CRealtimeValve valve{system, view, endOfRun};
    CValvedProcessSystem valvedSystem{system, valve};
    CBoostEngine engine{valvedSystem, view, endOfRun};
    std::map<DWORD, ULONGLONG> loads;   // pid -> thousandths of a processor in use
    HWND gameWindow = NULL;
    HWND editorWindow = NULL;
};
}  // namespace

// ---- When the valve opens ----

TEST_F(RealtimeValveTest, ProcessInFront_UsingNineteenTenthsOfTwoProcessorsForTwoSeconds_GoesToHighOnceWithOneNotice)
{
    loads[GAME] = 1900;
    BringToFront(gameWindow);
    ASSERT_EQ(REALTIME, system.ClassOf(GAME));

    // Not at the first sign: two seconds in a row first.
    RunFor(1500);
    EXPECT_EQ(REALTIME, system.ClassOf(GAME));
    ASSERT_TRUE(RunUntilClass(GAME, HIGH, 1500));

    ASSERT_EQ(1u, view.popups.size());
    EXPECT_EQ(L"STAR RACER 3 was using every processor at real-time", view.popups[0].first);
    EXPECT_EQ(L"VEXRA kept the system responsive", view.popups[0].second);

    // Still in front and still busy: the cycle keeps it at high, never at real-time.
    int backToRealtime = 0;
    CountChangesTo(GAME, REALTIME, backToRealtime);
    RunFor(10000);
    EXPECT_EQ(0, backToRealtime);
    EXPECT_EQ(HIGH, system.ClassOf(GAME));
    EXPECT_EQ(1u, view.popups.size());
    EXPECT_EQ(0, system.OpenReadersOf(GAME)) << "a process at high is no longer watched";
}

TEST_F(RealtimeValveTest, ProcessInFront_UsingOneAndAFifthOfTwoProcessors_StaysAtRealtime)
{
    loads[GAME] = 1200;
    int toHigh = 0;
    CountChangesTo(GAME, HIGH, toHigh);
    BringToFront(gameWindow);
    RunFor(10000);
    EXPECT_EQ(REALTIME, system.ClassOf(GAME));
    EXPECT_EQ(0, toHigh);
    EXPECT_TRUE(view.popups.empty());
}

TEST_F(RealtimeValveTest, ProcessInFront_ExactlyAtTheLimit_StaysAtRealtime)
{
    // The limit is "more than processors less one half": 1.5 of 2 is not more.
    loads[GAME] = 1500;
    BringToFront(gameWindow);
    RunFor(10000);
    EXPECT_EQ(REALTIME, system.ClassOf(GAME));
    EXPECT_TRUE(view.popups.empty());
}

TEST_F(RealtimeValveTest, FourProcessors_LimitIsThreeAndAHalf)
{
    system.processorCount = 4;
    loads[GAME] = 3400;
    BringToFront(gameWindow);
    RunFor(6000);
    EXPECT_EQ(REALTIME, system.ClassOf(GAME));

    loads[GAME] = 3600;
    EXPECT_TRUE(RunUntilClass(GAME, HIGH, 3000));
}

TEST_F(RealtimeValveTest, TickCountWrapsWhileOverTheLimit_StillTwoSecondsThenHigh)
{
    system.tick = 0xFFFFFFFFu - 1000;
    loads[GAME] = 1900;
    BringToFront(gameWindow);
    RunFor(1500);
    EXPECT_EQ(REALTIME, system.ClassOf(GAME));
    EXPECT_TRUE(RunUntilClass(GAME, HIGH, 1500));
}

TEST_F(RealtimeValveTest, TwoRealtimeProcessesOfAboutOneEach_HeavierGoesToHigh_ThenTheLimitHolds)
{
    system.AddProcess(GAME_HELPER, L"\\Device\\HarddiskVolume2\\Games\\gamehelper.exe");
    loads[GAME] = 1050;
    loads[GAME_HELPER] = 950;
    BringToFront(gameWindow);
    ASSERT_EQ(REALTIME, system.ClassOf(GAME_HELPER)) << "the namesake is boosted with it";

    ASSERT_TRUE(RunUntilClass(GAME, HIGH, 3000));
    EXPECT_EQ(REALTIME, system.ClassOf(GAME_HELPER));

    // 0.95 of 2 is well within the limit: the namesake stays at real-time.
    RunFor(10000);
    EXPECT_EQ(REALTIME, system.ClassOf(GAME_HELPER));
    EXPECT_EQ(HIGH, system.ClassOf(GAME));
    EXPECT_EQ(1u, view.popups.size());
}

TEST_F(RealtimeValveTest, ThreeHeavyProcesses_StillOverAfterTheFirst_NextHeaviestFollowsTwoSecondsLater)
{
    system.AddProcess(GAME_HELPER, L"\\Device\\HarddiskVolume2\\Games\\gamehelper.exe");
    system.AddProcess(GAME_SERVER, L"\\Device\\HarddiskVolume2\\Games\\gameserver.exe");
    loads[GAME] = 1000;
    loads[GAME_HELPER] = 900;
    loads[GAME_SERVER] = 800;
    BringToFront(gameWindow);

    ASSERT_TRUE(RunUntilClass(GAME, HIGH, 3000));
    // 1.7 of 2 left: over the limit, but the next one waits two seconds of it.
    RunFor(1500);
    EXPECT_EQ(REALTIME, system.ClassOf(GAME_HELPER));
    ASSERT_TRUE(RunUntilClass(GAME_HELPER, HIGH, 1000));

    RunFor(10000);
    EXPECT_EQ(REALTIME, system.ClassOf(GAME_SERVER));
    EXPECT_EQ(2u, view.popups.size());
}

TEST_F(RealtimeValveTest, StartedProcessOutsideTheFront_FillingEveryProcessor_GoesToHigh)
{
    // The start report boosts by id, before the process has a window.
    system.AddProcess(STARTED, L"\\Device\\HarddiskVolume2\\Apps\\encoder.exe");
    ASSERT_TRUE(valvedSystem.SetProcessPriority(STARTED, REALTIME));
    loads[STARTED] = 2000;
    EXPECT_TRUE(RunUntilClass(STARTED, HIGH, 3000));
    ASSERT_EQ(1u, view.popups.size());
    EXPECT_EQ(L"ENCODER was using every processor at real-time", view.popups[0].first);
}

TEST_F(RealtimeValveTest, ProgramItself_AtRealtimeAndBusy_IsNeverWatchedNorLowered)
{
    ASSERT_TRUE(valvedSystem.SetProcessPriority(OWN, REALTIME));
    loads[OWN] = 2000;
    RunFor(6000);
    EXPECT_EQ(REALTIME, system.ClassOf(OWN));
    EXPECT_EQ(0, system.OpenReadersOf(OWN));
}

// ---- Leaving the front and coming back ----

TEST_F(RealtimeValveTest, SteppedDownProcess_LeavesTheFrontAndComesBack_IsBoostedAndWatchedAgain)
{
    loads[GAME] = 1900;
    BringToFront(gameWindow);
    ASSERT_TRUE(RunUntilClass(GAME, HIGH, 3000));

    BringToFront(editorWindow);
    EXPECT_EQ(BELOW, system.ClassOf(GAME)) << "demoted as any application left behind";

    BringToFront(gameWindow);
    EXPECT_EQ(REALTIME, system.ClassOf(GAME));
    EXPECT_EQ(1, system.OpenReadersOf(GAME));

    // Still as busy: down again, but the user was told once.
    EXPECT_TRUE(RunUntilClass(GAME, HIGH, 3000));
    EXPECT_EQ(1u, view.popups.size());
}

// ---- What the watching holds open ----

TEST_F(RealtimeValveTest, WatchedProcess_Ends_ItsReaderIsReleased)
{
    loads[GAME] = 500;
    BringToFront(gameWindow);
    ASSERT_EQ(1, system.OpenReadersOf(GAME));

    system.processes.erase(GAME);
    RunFor(1000);
    EXPECT_TRUE(system.readers.empty());
}

TEST_F(RealtimeValveTest, WatchedProcesses_RestoredToNormal_TheirReadersAreReleased)
{
    BringToFront(gameWindow);
    ASSERT_EQ(1, system.OpenReadersOf(GAME));
    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    endOfRun.RestoreEveryProcess(valvedSystem, pids, sizeof(pids));
    EXPECT_TRUE(system.readers.empty());
}

TEST_F(RealtimeValveTest, ProcessInFront_ManyCycles_IsOpenedOnceAndReadTwiceASecond)
{
    loads[GAME] = 500;
    BringToFront(gameWindow);
    const int readsBefore = system.timesReads;
    RunFor(5000);   // 100 cycles
    EXPECT_EQ(1, system.readerOpens) << "the cycle must not open the process again";
    EXPECT_GE(system.timesReads - readsBefore, 9);
    EXPECT_LE(system.timesReads - readsBefore, 11);
}

TEST_F(RealtimeValveTest, SeventyNamesakesAtRealtime_AtMostSixtyFourAreHeldOpen)
{
    for (DWORD i = 0; i < 70; ++i)
        system.AddProcess(1000 + 4 * i,
                          L"\\Device\\HarddiskVolume2\\Games\\game" + std::to_wstring(i) + L".exe");
    BringToFront(gameWindow);
    ASSERT_EQ(REALTIME, system.ClassOf(1000 + 4 * 69));
    EXPECT_EQ(static_cast<size_t>(VALVE_WATCH_CAPACITY), system.readers.size());
}
