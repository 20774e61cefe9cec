// The priority rules against a made-up system: which class each mode gives, who counts
// as a namesake.
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

    CPriorityControl control{system, endOfRun};
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
