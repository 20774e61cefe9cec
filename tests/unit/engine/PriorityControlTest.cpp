// The priority rules against a made-up system: which class each mode gives, who counts
// as a namesake, and what the exit restores.
#include "EngineFixture.h"

#include "engine/PriorityControl.h"

namespace
{
const DWORD CHROME_2 = 212;

class PriorityControlTest : public EngineFixture
{
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        AddBrowserToolAndEditor();
        system.AddProcess(CHROME_2, L"\\Device\\HarddiskVolume3\\Other\\chrome.exe");
    }

    CPriorityControl control{system};
};
}

TEST_F(PriorityControlTest, SetProcessPriorityMode_EachMode_GivesItsClass)
{
    EXPECT_TRUE(control.SetProcessPriorityMode(NOTEPAD, PRIORITY_DEMOTE));
    EXPECT_EQ(static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS), system.ClassOf(NOTEPAD));
    EXPECT_TRUE(control.SetProcessPriorityMode(NOTEPAD, PRIORITY_NORMAL));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), system.ClassOf(NOTEPAD));

    for (int mode : {1, 3, 255, -1})
    {
        system.processes[NOTEPAD].priorityClass = NORMAL_PRIORITY_CLASS;
        EXPECT_TRUE(control.SetProcessPriorityMode(NOTEPAD, mode)) << "mode " << mode;
        EXPECT_EQ(static_cast<DWORD>(REALTIME_PRIORITY_CLASS), system.ClassOf(NOTEPAD))
            << "mode " << mode;
    }
}

TEST_F(PriorityControlTest, ApplyPriorityToNamesakes_Chrome_RaisesEveryChromeAndChromedriver)
{
    EXPECT_EQ(0, control.ApplyPriorityToNamesakes(CHROME, PRIORITY_BOOST));

    EXPECT_EQ(static_cast<DWORD>(REALTIME_PRIORITY_CLASS), system.ClassOf(CHROME));
    EXPECT_EQ(static_cast<DWORD>(REALTIME_PRIORITY_CLASS), system.ClassOf(CHROME_2));
    EXPECT_EQ(static_cast<DWORD>(REALTIME_PRIORITY_CLASS), system.ClassOf(DRIVER));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), system.ClassOf(NOTEPAD));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), system.ClassOf(FakeProcessSystem::OWN_PID));
    // The target first, then every namesake boosted, in list order (itself again).
    EXPECT_EQ((std::vector<DWORD>{CHROME, CHROME, DRIVER, CHROME_2}), FocusList());
}

TEST_F(PriorityControlTest, ApplyPriorityToNamesakes_Demote_LowersNamesakesWithoutTouchingFocusList)
{
    control.ApplyPriorityToNamesakes(CHROME, PRIORITY_DEMOTE);

    EXPECT_EQ(static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS), system.ClassOf(CHROME_2));
    EXPECT_EQ(static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS), system.ClassOf(DRIVER));
    EXPECT_EQ(0, g_nFocusPidCount);
}

TEST_F(PriorityControlTest, ApplyPriorityToNamesakes_TargetUnreadable_Returns1AndChangesNothing)
{
    system.processes[CHROME].openable = false;
    EXPECT_EQ(1, control.ApplyPriorityToNamesakes(CHROME, PRIORITY_BOOST));
    EXPECT_TRUE(system.changes.empty());
    // It is still part of the application in front.
    EXPECT_EQ((std::vector<DWORD>{CHROME}), FocusList());
}

TEST_F(PriorityControlTest, ApplyPriorityToNamesakes_EmptyTargetName_MatchesNothing)
{
    system.processes[CHROME].imagePath = L"";
    EXPECT_EQ(0, control.ApplyPriorityToNamesakes(CHROME, PRIORITY_BOOST));
    // An empty stem is contained in every name; it must not boost the whole system.
    EXPECT_TRUE(system.changes.empty());
}

TEST_F(PriorityControlTest, ApplyPriorityToNamesakes_ListUnreadable_Returns1)
{
    system.failEnumeration = true;
    EXPECT_EQ(1, control.ApplyPriorityToNamesakes(CHROME, PRIORITY_BOOST));
    EXPECT_TRUE(system.changes.empty());
}

TEST_F(PriorityControlTest, ApplyPriorityToNamesakes_SkipsIdleIdAndUnopenableNamesakes)
{
    system.AddProcess(0, L"chrome");   // the idle process must never be touched
    system.processes[CHROME_2].openable = false;
    control.ApplyPriorityToNamesakes(CHROME, PRIORITY_BOOST);

    EXPECT_EQ(0, system.ChangesOf(0));
    EXPECT_EQ(0, system.ChangesOf(CHROME_2));
    EXPECT_EQ(static_cast<DWORD>(REALTIME_PRIORITY_CLASS), system.ClassOf(DRIVER));
}

// ---- The restore at the end ----

TEST_F(PriorityControlTest, RestoreAllPriorities_EveryClassButNormal_EndsNormal)
{
    system.processes[CHROME].priorityClass = REALTIME_PRIORITY_CLASS;
    system.processes[DRIVER].priorityClass = BELOW_NORMAL_PRIORITY_CLASS;
    system.processes[NOTEPAD].priorityClass = HIGH_PRIORITY_CLASS;   // the user's own choice
    system.processes[CHROME_2].priorityClass = IDLE_PRIORITY_CLASS;

    control.RestoreAllPriorities();

    for (const auto& entry : system.processes)
        EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), entry.second.priorityClass)
            << "process " << entry.first;
}

TEST_F(PriorityControlTest, RestoreAllPriorities_ParentBelowNormalGivesBirthDuringThePass_ChildEndsNormal)
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

    control.RestoreAllPriorities();

    ASSERT_TRUE(born);
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), system.ClassOf(CHILD));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), system.ClassOf(PARENT));
    // One pass that left the child behind, one that set it, one that found nothing.
    EXPECT_EQ(3, system.enumerations.load());
}

TEST_F(PriorityControlTest, RestoreAllPriorities_NothingLeftToSet_EndsAfterOnePass)
{
    system.processes[CHROME].priorityClass = REALTIME_PRIORITY_CLASS;
    system.processes[DRIVER].openable = false;   // cannot be read: set blindly, once

    control.RestoreAllPriorities();
    const int afterFirst = system.enumerations;
    EXPECT_EQ(2, afterFirst);   // the one that set chrome, the one that found nothing
    EXPECT_EQ(0, system.ChangesOf(NOTEPAD)) << "a process already normal is left as it is";

    control.RestoreAllPriorities();
    EXPECT_EQ(afterFirst + 1, system.enumerations.load());
}

TEST_F(PriorityControlTest, RestoreAllPriorities_ParentGivingBirthWithoutEnd_StopsAfterTheLimit)
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

    control.RestoreAllPriorities();

    EXPECT_EQ(RESTORE_PASS_LIMIT, system.enumerations.load());
}

TEST_F(PriorityControlTest, RestoreAllPriorities_ListUnreadable_ChangesNothing)
{
    system.processes[CHROME].priorityClass = REALTIME_PRIORITY_CLASS;
    system.failEnumeration = true;
    control.RestoreAllPriorities();
    EXPECT_TRUE(system.changes.empty());
    EXPECT_EQ(1, system.enumerations.load());
}
