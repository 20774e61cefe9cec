// The end of the run against a made-up system: the restore and its passes, the gate it
// closes for every change on any thread (before the change and after it), the end guard
// that no change may touch, and the guard's replacement when it ends by itself.
#include "EngineFixture.h"

#include "endofrun/EndOfRun.h"
#include "endofrun/PriorityRestore.h"
#include "endofrun/RestoreHandshake.h"
#include "framework/Handle.h"
#include "engine/PriorityControl.h"

#include <thread>

namespace
{
const DWORD OWN = FakeProcessSystem::OWN_PID;
const DWORD CHROME_2 = 212;
const DWORD APP = 300;
const DWORD GUARD = 304;   // a second copy of the program: a namesake of it
const DWORD OTHER = 308;

// A guard that runs as the test says: started with the next id, ended by itself on
// demand.
class FakeEndGuard : public IEndGuard
{
public:
    bool Start(std::function<void()> onEnded) override
    {
        if (failStarts)
            return false;
        ++starts;
        m_onEnded = std::move(onEnded);
        m_pid = nextPid;
        nextPid += 4;
        return true;
    }
    DWORD ProcessId() const override { return m_pid; }
    void StandDown() override
    {
        ++standDowns;
        m_pid = 0;
    }

    // As the thread pool's notice would: from another thread.
    void EndByItself()
    {
        m_pid = 0;
        std::thread notice(m_onEnded);
        notice.join();
    }

    DWORD nextPid = GUARD;
    bool failStarts = false;
    int starts = 0;
    int standDowns = 0;

private:
    DWORD m_pid = 0;
    std::function<void()> m_onEnded;
};

class EndOfRunTest : public EngineFixture
{
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        AddBrowserToolAndEditor();
        system.AddProcess(CHROME_2, L"\\Device\\HarddiskVolume3\\Other\\chrome.exe");
        system.AddProcess(APP, L"\\Device\\HarddiskVolume2\\Apps\\app.exe");
        system.AddProcess(GUARD, L"\\Device\\HarddiskVolume1\\Vexra\\VEXRA-by-Teskor.exe");
        system.AddProcess(OTHER, L"\\Device\\HarddiskVolume2\\Apps\\other.exe");
        system.processes[GUARD].priorityClass = REALTIME;
        engine.SetUserName(L"user1");
    }

    // A guard of the test's own, with GUARD as the first id it is given.
    FakeEndGuard& UseFakeGuard()
    {
        auto guard = std::make_unique<FakeEndGuard>();
        FakeEndGuard& fake = *guard;
        endOfRun.UseGuard(std::move(guard), [this] { ++guardEndedNotices; });
        return fake;
    }

    // The first time pid is about to be given priorityClass, another thread restores
    // every process first; the flag tells whether that moment came.
    const bool& RestoreOnAnotherThreadBefore(DWORD pid, DWORD priorityClass)
    {
        restoredBeforeChange = false;
        system.beforePriorityChange = [this, pid, priorityClass](DWORD changed, DWORD newClass) {
            if (changed == pid && newClass == priorityClass && !restoredBeforeChange)
            {
                restoredBeforeChange = true;
                std::thread crashed([this] { Restore(); });
                crashed.join();
            }
        };
        return restoredBeforeChange;
    }

    void Restore()
    {
        DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
        endOfRun.RestoreEveryProcess(system, pids, sizeof(pids));
    }

    CPriorityControl control{system, endOfRun};
    int guardEndedNotices = 0;
    bool restoredBeforeChange = false;
};
}  // namespace

// ---- Once a restore has begun ----

TEST_F(EndOfRunTest, AfterRestoreBegun_BoostAndDemotionAreRefusedButNormalGoesThrough)
{
    endOfRun.RestoreAtOrderlyEnd();
    EXPECT_TRUE(endOfRun.HasRestoreBegun());
    system.changes.clear();
    EXPECT_FALSE(control.SetProcessPriorityMode(APP, PRIORITY_BOOST));
    EXPECT_FALSE(control.SetProcessPriorityMode(APP, PRIORITY_DEMOTE));
    EXPECT_FALSE(control.SetProcessPriorityMode(APP, 7));   // any other mode boosts
    EXPECT_TRUE(system.changes.empty());

    system.processes[OTHER].priorityClass = BELOW;
    EXPECT_TRUE(control.SetProcessPriorityMode(OTHER, PRIORITY_NORMAL));
    EXPECT_EQ(NORMAL, system.ClassOf(OTHER));
}

TEST_F(EndOfRunTest, RestoreAtOrderlyEnd_RunsOnce)
{
    endOfRun.RestoreAtOrderlyEnd();
    const int enumerations = system.enumerations.load();
    system.processes[APP].priorityClass = REALTIME;
    endOfRun.RestoreAtOrderlyEnd();
    EXPECT_EQ(enumerations, system.enumerations.load());
    EXPECT_EQ(REALTIME, system.ClassOf(APP));
}

TEST_F(EndOfRunTest, AfterRestore_ReportsAndCyclesOfTheEngineChangeNothing)
{
    engine.Start();
    endOfRun.RestoreAtOrderlyEnd();
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

TEST_F(EndOfRunTest, CrashRestoreOnAnotherThreadDuringACycle_TheCycleRaisesNothingAfterwards)
{
    // The cycle has read the process list when another thread crashes and restores.
    system.foreground = system.AddWindow(APP);
    view.onProcessCount = [&] {
        std::thread crashed([&] { Restore(); });
        crashed.join();
    };

    engine.RunForegroundCycle();

    EXPECT_EQ(NORMAL, system.ClassOf(APP)) << "the cycle boosted the application after the restore";
    EXPECT_EQ(OWN, engine.BoostedPid());
}

TEST_F(EndOfRunTest, RestoreBeginsBetweenTheCheckAndTheAct_TheProcessEndsNormal)
{
    // The cycle's boost has passed the gate; before its SetPriorityClass lands, another
    // thread's restore makes its last pass and finds the application still at normal.
    system.foreground = system.AddWindow(APP);
    const bool& restored = RestoreOnAnotherThreadBefore(APP, REALTIME);

    engine.RunForegroundCycle();

    ASSERT_TRUE(restored);
    EXPECT_EQ(NORMAL, system.ClassOf(APP));
    EXPECT_EQ(OWN, engine.BoostedPid()) << "a boost the gate undid boosted nothing";
}

TEST_F(EndOfRunTest, RestoreBeginsDuringADemotion_TheDemotedProcessEndsNormal)
{
    system.foreground = system.AddWindow(APP);
    engine.RunForegroundCycle();
    ASSERT_EQ(REALTIME, system.ClassOf(APP));
    const bool& restored = RestoreOnAnotherThreadBefore(APP, BELOW);

    system.foreground = system.AddWindow(OTHER);
    engine.RunForegroundCycle();

    ASSERT_TRUE(restored);
    EXPECT_EQ(NORMAL, system.ClassOf(APP));
    EXPECT_EQ(NORMAL, system.ClassOf(OTHER));
}

// ---- The end guard ----

TEST_F(EndOfRunTest, EndGuard_IsNeverBoostedDemotedOrRestored)
{
    UseFakeGuard();
    ASSERT_TRUE(endOfRun.StartGuard());
    ASSERT_EQ(GUARD, endOfRun.GuardProcessId());
    EXPECT_FALSE(control.SetProcessPriorityMode(GUARD, PRIORITY_BOOST));
    EXPECT_FALSE(control.SetProcessPriorityMode(GUARD, PRIORITY_DEMOTE));
    EXPECT_FALSE(control.SetProcessPriorityMode(GUARD, PRIORITY_NORMAL));

    // The watcher's first pass lowers every process it finds.
    engine.OnProcessPresent(GUARD);
    endOfRun.RestoreAtOrderlyEnd();

    EXPECT_EQ(0, system.ChangesOf(GUARD));
    EXPECT_EQ(REALTIME, system.ClassOf(GUARD));
}

TEST_F(EndOfRunTest, EndGuard_ProgramInFrontBoostsItsNamesakesButNotTheGuard)
{
    UseFakeGuard();
    ASSERT_TRUE(endOfRun.StartGuard());
    system.processes[GUARD].priorityClass = NORMAL;
    system.AddProcess(500, L"\\Device\\HarddiskVolume3\\Copy\\VEXRA-by-Teskor.exe");
    system.foreground = system.AddWindow(OWN);

    engine.RunForegroundCycle();

    EXPECT_EQ(REALTIME, system.ClassOf(OWN));
    EXPECT_EQ(REALTIME, system.ClassOf(500)) << "another copy of the program is a namesake";
    EXPECT_EQ(NORMAL, system.ClassOf(GUARD));
}

TEST_F(EndOfRunTest, GuardEndsByItself_ItsIdIsClearedAtOnceAndANewGuardStarts)
{
    FakeEndGuard& guard = UseFakeGuard();
    ASSERT_TRUE(endOfRun.StartGuard());

    guard.EndByItself();

    EXPECT_EQ(1, guardEndedNotices);
    EXPECT_EQ(0u, endOfRun.GuardProcessId());
    // Windows may give the old guard's id to any process: it is changed like any other.
    EXPECT_TRUE(control.SetProcessPriorityMode(GUARD, PRIORITY_DEMOTE));
    EXPECT_TRUE(endOfRun.IsGuardMissing());

    EXPECT_TRUE(endOfRun.RestartGuard(1000));
    EXPECT_EQ(GUARD + 4, endOfRun.GuardProcessId());
    EXPECT_FALSE(endOfRun.IsGuardMissing());
    EXPECT_FALSE(endOfRun.RestartGuard(1001)) << "a guard runs: no second one";
    EXPECT_EQ(2, guard.starts);
}

TEST_F(EndOfRunTest, GuardThatKeepsEnding_IsReplacedAtMostThreeTimesAMinute)
{
    FakeEndGuard& guard = UseFakeGuard();
    ASSERT_TRUE(endOfRun.StartGuard());
    const ULONGLONG start = 500000;
    for (int i = 0; i < END_GUARD_RESTARTS_PER_MINUTE; ++i)
    {
        guard.EndByItself();
        EXPECT_TRUE(endOfRun.RestartGuard(start + i * 1000)) << "restart " << i;
    }
    guard.EndByItself();
    EXPECT_FALSE(endOfRun.RestartGuard(start + 59000));
    EXPECT_TRUE(endOfRun.IsGuardMissing());

    // A minute after the first restart, one more is allowed.
    EXPECT_TRUE(endOfRun.RestartGuard(start + 60000));
    EXPECT_EQ(1 + END_GUARD_RESTARTS_PER_MINUTE + 1, guard.starts);
}

TEST_F(EndOfRunTest, AfterStandDownOrRestore_NoGuardIsStartedAgain)
{
    FakeEndGuard& guard = UseFakeGuard();
    ASSERT_TRUE(endOfRun.StartGuard());
    endOfRun.RestoreAtOrderlyEnd();
    endOfRun.StandDownGuard();

    EXPECT_EQ(1, guard.standDowns);
    EXPECT_EQ(0u, endOfRun.GuardProcessId());
    EXPECT_FALSE(endOfRun.IsGuardMissing());
    EXPECT_FALSE(endOfRun.RestartGuard(1000));
    EXPECT_FALSE(endOfRun.StartGuard());
    EXPECT_EQ(1, guard.starts);
}

TEST_F(EndOfRunTest, GuardThatCannotStart_LeavesNoIdAndTheProgramRunsOn)
{
    FakeEndGuard& guard = UseFakeGuard();
    guard.failStarts = true;
    EXPECT_FALSE(endOfRun.StartGuard());
    EXPECT_EQ(0u, endOfRun.GuardProcessId());
    EXPECT_FALSE(endOfRun.IsGuardMissing()) << "no guard ran: nothing to replace";
    system.foreground = system.AddWindow(APP);
    engine.RunForegroundCycle();
    EXPECT_EQ(REALTIME, system.ClassOf(APP));
}

// ---- A guard's restore and a new run ----

TEST_F(EndOfRunTest, GuardRestore_StopsTheMomentANewRunHoldsTheInstanceMutex)
{
    const wchar_t kInstance[] = L"Local\\VexraTestInstanceRestore";
    CRestoreHandshake handshake(kInstance, L"Local\\VexraTestRestoringRestore");
    for (auto& entry : system.processes)
        entry.second.priorityClass = BELOW;
    // The new run starts while the guard restores the first process it reaches, and
    // lowers what it finds (its watcher's first pass) once the guard is done.
    CKernelHandle newRun;
    system.onPriorityChange = [&](DWORD, DWORD) {
        if (!newRun)
            newRun.Reset(CreateMutexW(nullptr, TRUE, kInstance));
    };

    CGuardRestoreGate gate(handshake, GUARD);
    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    RestoreEveryProcess(system, gate, pids, sizeof(pids));

    ASSERT_TRUE(newRun);
    EXPECT_EQ(1u, system.changes.size()) << "the guard went on after the new run began";
    EXPECT_EQ(0, system.ChangesOf(GUARD));
}

TEST_F(EndOfRunTest, GuardRestore_WithoutANewRun_RestoresEverythingButTheGuard)
{
    CRestoreHandshake handshake(L"Local\\VexraTestInstanceNone", L"Local\\VexraTestRestoringNone");
    for (auto& entry : system.processes)
        entry.second.priorityClass = BELOW;

    CGuardRestoreGate gate(handshake, GUARD);
    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    RestoreEveryProcess(system, gate, pids, sizeof(pids));

    for (const auto& entry : system.processes)
        EXPECT_EQ(entry.first == GUARD ? BELOW : NORMAL, entry.second.priorityClass)
            << "process " << entry.first;
}

// ---- The restore ----

TEST_F(EndOfRunTest, Restore_EveryClassButNormal_EndsNormal)
{
    system.processes[CHROME].priorityClass = REALTIME_PRIORITY_CLASS;
    system.processes[DRIVER].priorityClass = BELOW_NORMAL_PRIORITY_CLASS;
    system.processes[NOTEPAD].priorityClass = HIGH_PRIORITY_CLASS;   // the user's own choice
    system.processes[CHROME_2].priorityClass = IDLE_PRIORITY_CLASS;

    Restore();

    for (const auto& entry : system.processes)
        EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), entry.second.priorityClass)
            << "process " << entry.first;
}

TEST_F(EndOfRunTest, Restore_ParentBelowNormalGivesBirthDuringThePass_ChildEndsNormal)
{
    // Windows gives a child the class of a parent still below normal. The parent with the
    // highest id is reached last, so it starts its child while the pass is under way and
    // the child is not in the list the pass read.
    const DWORD PARENT = 900;
    const DWORD CHILD = 150;
    system.AddProcess(PARENT, L"\\Device\\HarddiskVolume2\\Windows\\explorer.exe");
    for (auto& entry : system.processes)
        entry.second.priorityClass = BELOW_NORMAL_PRIORITY_CLASS;
    bool born = false;
    system.onPriorityChange = [&](DWORD pid, DWORD) {
        if (pid == CHROME && !born)
        {
            born = true;
            system.StartChild(PARENT, CHILD, L"\\Device\\HarddiskVolume2\\Apps\\new.exe");
        }
    };

    Restore();

    ASSERT_TRUE(born);
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), system.ClassOf(CHILD));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), system.ClassOf(PARENT));
    // One pass that left the child behind, one that set it, one that found nothing.
    EXPECT_EQ(3, system.enumerations.load());
}

TEST_F(EndOfRunTest, Restore_NothingLeftToSet_EndsAfterOnePass)
{
    system.processes[CHROME].priorityClass = REALTIME_PRIORITY_CLASS;
    system.processes[DRIVER].openable = false;   // cannot be read: set blindly, once

    Restore();
    const int afterFirst = system.enumerations.load();
    EXPECT_EQ(2, afterFirst);   // the one that set chrome, the one that found nothing
    EXPECT_EQ(0, system.ChangesOf(NOTEPAD)) << "a process already normal is left as it is";

    Restore();
    EXPECT_EQ(afterFirst + 1, system.enumerations.load());
}

TEST_F(EndOfRunTest, Restore_ParentGivingBirthWithoutEnd_StopsAfterTheLimit)
{
    // A parent whose class we can read but not change starts a new child before every
    // pass: each pass finds one more process to set.
    const DWORD PARENT = 900;
    system.AddProcess(PARENT, L"\\Device\\HarddiskVolume2\\Tools\\spawner.exe");
    system.processes[PARENT].priorityClass = BELOW_NORMAL_PRIORITY_CLASS;
    system.processes[PARENT].settable = false;
    DWORD nextChild = 1000;
    system.onEnumerate = [&] {
        system.StartChild(PARENT, nextChild, L"\\Device\\HarddiskVolume2\\Tools\\child.exe");
        nextChild += 4;
    };

    Restore();

    EXPECT_EQ(RESTORE_PASS_LIMIT, system.enumerations.load());
}

TEST_F(EndOfRunTest, Restore_ListUnreadable_ChangesNothing)
{
    system.processes[CHROME].priorityClass = REALTIME_PRIORITY_CLASS;
    system.failEnumeration = true;
    Restore();
    EXPECT_TRUE(system.changes.empty());
    EXPECT_EQ(1, system.enumerations.load());
}
