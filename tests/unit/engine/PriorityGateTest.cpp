// What stops a priority change before it reaches the system: a restore that has begun
// (on this thread or any other) and the end guard's process.
#include "FakeProcessSystem.h"

#include "engine/BoostEngine.h"
#include "engine/FocusPids.h"
#include "engine/PriorityControl.h"
#include "engine/PriorityGate.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
const DWORD OWN = FakeProcessSystem::OWN_PID;
const DWORD APP = 300;
const DWORD GUARD = 304;   // a second copy of the program: a namesake of it
const DWORD OTHER = 308;

const DWORD REALTIME = REALTIME_PRIORITY_CLASS;
const DWORD BELOW = BELOW_NORMAL_PRIORITY_CLASS;
const DWORD NORMAL = NORMAL_PRIORITY_CLASS;

class PriorityGateTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_nFocusPidCount = 0;
        system.AddProcess(APP, L"\\Device\\HarddiskVolume2\\Apps\\app.exe");
        system.AddProcess(GUARD, L"\\Device\\HarddiskVolume1\\Vexra\\VEXRA-by-Teskor.exe");
        system.AddProcess(OTHER, L"\\Device\\HarddiskVolume2\\Apps\\other.exe");
        system.processes[GUARD].priorityClass = REALTIME;
        engine.SetUserName(L"user1");
    }

    FakeProcessSystem system;
    FakeBoostView view;
    CBoostEngine engine{system, view};
    CPriorityControl control{system};
};
}  // namespace

// ---- Once a restore has begun ----

TEST_F(PriorityGateTest, AfterRestoreBegun_BoostAndDemotionAreRefusedButNormalGoesThrough)
{
    MarkPriorityRestoreBegun();
    EXPECT_FALSE(control.SetProcessPriorityMode(APP, PRIORITY_BOOST));
    EXPECT_FALSE(control.SetProcessPriorityMode(APP, PRIORITY_DEMOTE));
    EXPECT_FALSE(control.SetProcessPriorityMode(APP, 7));   // any other mode boosts
    EXPECT_TRUE(system.changes.empty());

    system.processes[OTHER].priorityClass = BELOW;
    EXPECT_TRUE(control.SetProcessPriorityMode(OTHER, PRIORITY_NORMAL));
    EXPECT_EQ(NORMAL, system.ClassOf(OTHER));
}

TEST_F(PriorityGateTest, AfterRestore_ReportsAndCyclesOfTheEngineChangeNothing)
{
    engine.Start();
    control.RestoreAllPriorities();
    const size_t changesOfRestore = system.changes.size();

    system.AddProcess(400, L"\\Device\\HarddiskVolume2\\Apps\\late.exe");
    engine.OnProcessStarted(400);
    engine.OnProcessPresent(OTHER);
    system.foreground = system.AddWindow(APP);
    engine.RunForegroundCycle();

    EXPECT_EQ(changesOfRestore, system.changes.size());
    EXPECT_EQ(NORMAL, system.ClassOf(APP));
    EXPECT_EQ(NORMAL, system.ClassOf(400));
    EXPECT_EQ(OWN, engine.BoostedPid()) << "a refused boost boosted nothing";
}

TEST_F(PriorityGateTest, CrashRestoreOnAnotherThreadDuringACycle_TheCycleRaisesNothingAfterwards)
{
    // The cycle has read the process list when another thread crashes and restores.
    system.foreground = system.AddWindow(APP);
    view.onProcessCount = [&] {
        std::thread crashed([&] {
            CPriorityControl crashRestore(system);
            crashRestore.RestoreAllPriorities();
        });
        crashed.join();
    };

    engine.RunForegroundCycle();

    EXPECT_EQ(NORMAL, system.ClassOf(APP)) << "the cycle boosted the application after the restore";
    EXPECT_EQ(OWN, engine.BoostedPid());
}

// ---- The end guard ----

TEST_F(PriorityGateTest, EndGuard_IsNeverBoostedDemotedOrRestored)
{
    SetEndGuardProcessId(GUARD);
    EXPECT_FALSE(control.SetProcessPriorityMode(GUARD, PRIORITY_BOOST));
    EXPECT_FALSE(control.SetProcessPriorityMode(GUARD, PRIORITY_DEMOTE));
    EXPECT_FALSE(control.SetProcessPriorityMode(GUARD, PRIORITY_NORMAL));

    // The watcher's first pass lowers every process it finds.
    engine.OnProcessPresent(GUARD);
    control.RestoreAllPriorities();

    EXPECT_EQ(0, system.ChangesOf(GUARD));
    EXPECT_EQ(REALTIME, system.ClassOf(GUARD));
}

TEST_F(PriorityGateTest, EndGuard_ProgramInFrontBoostsItsNamesakesButNotTheGuard)
{
    SetEndGuardProcessId(GUARD);
    system.processes[GUARD].priorityClass = NORMAL;
    system.AddProcess(500, L"\\Device\\HarddiskVolume3\\Copy\\VEXRA-by-Teskor.exe");
    system.foreground = system.AddWindow(OWN);

    engine.RunForegroundCycle();

    EXPECT_EQ(REALTIME, system.ClassOf(OWN));
    EXPECT_EQ(REALTIME, system.ClassOf(500)) << "another copy of the program is a namesake";
    EXPECT_EQ(NORMAL, system.ClassOf(GUARD));
}
