// What a cycle opens and keeps, against a made-up system whose opens are counted: the
// engine learns a process's name once, tells a new process on an old id from the one it
// knew, and forgets what has ended.
#include "BoostEngineTestAccess.h"
#include "EngineFixture.h"

#include <new>

namespace
{
const DWORD APP_A = 300;
const DWORD APP_B = 304;

class EngineCostTest : public EngineFixture
{
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        AddBrowserToolAndEditor();
        system.AddProcess(APP_A, L"\\Device\\HarddiskVolume2\\Apps\\appa.exe");
        system.AddProcess(APP_B, L"\\Device\\HarddiskVolume2\\Apps\\appb.exe");
        chromeWindow = system.AddWindow(CHROME);
        windowA = system.AddWindow(APP_A);
        windowB = system.AddWindow(APP_B);
        engine.Start();
    }

    HWND chromeWindow = NULL;
    HWND windowA = NULL;
    HWND windowB = NULL;
};
}

// ---- Opening only what is new ----

TEST_F(EngineCostTest, Cycles_NothingChanged_OpenNoProcessToLearnItsName)
{
    BringToFront(windowA);
    EXPECT_EQ(1, system.FactReadsOf(NOTEPAD)) << "the first cycle learns every process once";
    system.factReads.clear();

    for (int i = 0; i < 5; ++i)
        BringToFront(windowA);

    EXPECT_TRUE(system.factReads.empty());
    EXPECT_EQ(REALTIME, system.ClassOf(APP_A));
}

TEST_F(EngineCostTest, FrontChanges_NamesakesOfOldAndNewComeFromTheTable)
{
    BringToFront(chromeWindow);
    EXPECT_EQ(REALTIME, system.ClassOf(DRIVER));
    system.factReads.clear();

    BringToFront(windowA);
    EXPECT_EQ(BELOW, system.ClassOf(CHROME));
    EXPECT_EQ(BELOW, system.ClassOf(DRIVER)) << "the namesake of the application before";
    EXPECT_EQ(REALTIME, system.ClassOf(APP_A));

    BringToFront(chromeWindow);
    EXPECT_EQ(REALTIME, system.ClassOf(CHROME));
    EXPECT_EQ(REALTIME, system.ClassOf(DRIVER));
    EXPECT_EQ(BELOW, system.ClassOf(APP_A));
    EXPECT_EQ(NORMAL, system.ClassOf(NOTEPAD));
    EXPECT_TRUE(system.factReads.empty());
}

TEST_F(EngineCostTest, NewProcess_IsOpenedOnceAndJoinsItsNamesakes)
{
    BringToFront(chromeWindow);
    system.factReads.clear();

    const DWORD helper = 400;
    system.AddProcess(helper, L"\\Device\\HarddiskVolume2\\Apps\\chrome_helper.exe");
    BringToFront(chromeWindow);
    BringToFront(chromeWindow);

    EXPECT_EQ((std::vector<DWORD>{helper}), system.factReads);
    EXPECT_EQ(REALTIME, system.ClassOf(helper));
}

TEST_F(EngineCostTest, NamesakeLoweredItself_IsRaisedAgainOnTheNextCycle)
{
    BringToFront(chromeWindow);
    system.processes[DRIVER].priorityClass = NORMAL;
    BringToFront(chromeWindow);
    EXPECT_EQ(REALTIME, system.ClassOf(DRIVER));
}

// ---- A new process on an old id ----

TEST_F(EngineCostTest, IdReusedByTheApplicationInFront_IsNamedAfreshWithItsOwnNamesakes)
{
    BringToFront(windowA);
    // appa ends; a chrome.exe is given its id before the next cycle looks.
    system.AddProcess(APP_A, L"\\Device\\HarddiskVolume3\\Other\\chrome.exe");
    HWND newChromeWindow = system.AddWindow(APP_A);
    system.factReads.clear();

    BringToFront(newChromeWindow);

    EXPECT_EQ((std::vector<DWORD>{APP_A}), system.factReads);
    EXPECT_EQ(REALTIME, system.ClassOf(APP_A));
    EXPECT_EQ(REALTIME, system.ClassOf(CHROME)) << "a namesake of the new process, not of appa";
    EXPECT_EQ(REALTIME, system.ClassOf(DRIVER));
}

TEST_F(EngineCostTest, IdReusedByAnotherProgram_IsNotTakenForTheNamesakeItReplaced)
{
    BringToFront(chromeWindow);
    // chromedriver ends and notepad++ is given its id: the table still says chromedriver.
    system.AddProcess(DRIVER, L"\\Device\\HarddiskVolume2\\Apps\\notepad++.exe");
    system.factReads.clear();

    BringToFront(chromeWindow);

    EXPECT_EQ(NORMAL, system.ClassOf(DRIVER));
    EXPECT_EQ((std::vector<DWORD>{DRIVER}), system.factReads) << "found out when changed";
    EXPECT_EQ((std::vector<DWORD>{CHROME, CHROME, CHROME}), FocusList());
}

TEST_F(EngineCostTest, IdReusedAndReportedAsStarted_IsNamedAfreshAndJoinsItsNamesakes)
{
    BringToFront(chromeWindow);
    // notepad ends and a chromedriver is given its id; the watcher reports the start.
    system.AddProcess(NOTEPAD, L"\\Device\\HarddiskVolume2\\Tools\\chromedriver.exe");
    engine.OnProcessStarted(NOTEPAD);
    system.factReads.clear();

    BringToFront(chromeWindow);

    EXPECT_EQ((std::vector<DWORD>{NOTEPAD}), system.factReads);
    EXPECT_EQ(REALTIME, system.ClassOf(NOTEPAD));
}

// ---- Bounded ----

TEST_F(EngineCostTest, ProcessesComeAndGo_TableHoldsOnlyWhatRuns)
{
    BringToFront(chromeWindow);
    for (DWORD i = 0; i < 3000; ++i)
    {
        const DWORD pid = 1000 + 4 * (i % 700);
        system.AddProcess(pid, L"\\Device\\HarddiskVolume2\\Apps\\chrome_tab.exe");
        BringToFront(chromeWindow);
        if (i % 3 != 0)
            system.processes.erase(pid);
    }
    BringToFront(chromeWindow);
    EXPECT_EQ(system.processes.size(), engine.ProcessTable().Size());
}

// ---- A cycle that fails half-way ----

TEST_F(EngineCostTest, ExceptionInsideACycle_TheNextCycleStillRuns)
{
    view.onProcessCount = [] { throw std::bad_alloc(); };
    EXPECT_THROW(BringToFront(windowA), std::bad_alloc);
    EXPECT_FALSE(CBoostEngineTestAccess::IsCycleBusy(engine));

    view.onProcessCount = nullptr;
    BringToFront(windowA);
    EXPECT_EQ(REALTIME, system.ClassOf(APP_A));
}

// ---- A process listed before it has a name ----

TEST_F(EngineCostTest, NamelessAtFirst_IsAskedAgainAndJoinsItsNamesakesOnceNamed)
{
    BringToFront(chromeWindow);
    // Under Wine a process is listed some milliseconds before its image name is known.
    const DWORD young = 400;
    system.AddProcess(young, L"");
    BringToFront(chromeWindow);
    EXPECT_EQ(NORMAL, system.ClassOf(young));

    system.processes[young].imagePath = L"\\Device\\HarddiskVolume2\\Apps\\chrome_gpu.exe";
    BringToFront(chromeWindow);
    EXPECT_EQ(REALTIME, system.ClassOf(young));
    system.factReads.clear();
    BringToFront(chromeWindow);
    EXPECT_TRUE(system.factReads.empty()) << "named once, never asked again";
}

TEST_F(EngineCostTest, NamelessForGood_IsAskedOnlyABoundedNumberOfTimes)
{
    BringToFront(chromeWindow);
    const DWORD nameless = 400;
    system.AddProcess(nameless, L"");
    for (int i = 0; i < 200; ++i)
        BringToFront(chromeWindow);
    EXPECT_LE(system.FactReadsOf(nameless), 25);
    EXPECT_EQ(NORMAL, system.ClassOf(nameless));
}

// ---- A cycle over the watcher's list ----

TEST_F(EngineCostTest, CycleOverAGivenList_ReadsNoListOfItsOwn)
{
    std::vector<DWORD> listed;
    for (const auto& process : system.processes)
        listed.push_back(process.first);
    system.failEnumeration = true;   // a reading of its own would fail the cycle
    system.foreground = chromeWindow;

    engine.RunForegroundCycle({listed.data(), static_cast<DWORD>(listed.size())});

    EXPECT_EQ(REALTIME, system.ClassOf(CHROME));
    EXPECT_EQ(REALTIME, system.ClassOf(DRIVER));
    ASSERT_EQ(1u, view.processCountTexts.size());
    EXPECT_EQ(std::to_wstring(listed.size()), view.processCountTexts[0]);
    EXPECT_FALSE(CBoostEngineTestAccess::IsCycleBusy(engine));
}
