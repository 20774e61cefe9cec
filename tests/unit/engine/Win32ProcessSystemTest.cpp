// The engine's real door to the system, against real processes under Wine: the class
// changes are read back from another handle, as any other program would see them.
#include "Boostee.h"
#include "EngineFixture.h"

#include "engine/PriorityControl.h"
#include "engine/Win32ProcessSystem.h"

#include <psapi.h>

#include <algorithm>
#include <string>

namespace
{
class Win32ProcessSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ClearFocusAndIdentity();
        if (HelpersFolder().empty())
            GTEST_SKIP() << "VEXRA_BUILD_DIR is not set: boostee.exe cannot be found";
        boostee = HelpersFolder() + L"\\boostee.exe";
    }

    std::wstring boostee;
    CWin32ProcessSystem system;
    CEndOfRun endOfRun{system};
    CPriorityControl control{system, endOfRun};
};

// A folder of its own under %TEMP% holding copies of boostee.exe under other names;
// removed with its files when the test ends (after the copies have ended).
class CopyFolder
{
public:
    CopyFolder()
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"vexra-engine-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_path.c_str(), NULL);
    }
    ~CopyFolder()
    {
        for (const std::wstring& file : m_files)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    std::wstring Copy(const std::wstring& source, const std::wstring& name)
    {
        const std::wstring target = m_path + L"\\" + name;
        if (!CopyFileW(source.c_str(), target.c_str(), FALSE))
            return std::wstring();
        m_files.push_back(target);
        return target;
    }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};
}

TEST_F(Win32ProcessSystemTest, SetProcessPriorityMode_ClassIsReadBackFromAnotherHandle)
{
    CBoostee app;
    ASSERT_TRUE(app.Start(boostee, L"priority")) << "boostee.exe did not start";

    EXPECT_TRUE(control.SetProcessPriorityMode(app.Pid(), PRIORITY_BOOST));
    EXPECT_EQ(REALTIME, ReadPriorityClass(app.Pid()));
    EXPECT_TRUE(control.SetProcessPriorityMode(app.Pid(), PRIORITY_DEMOTE));
    EXPECT_EQ(BELOW, ReadPriorityClass(app.Pid()));
    EXPECT_TRUE(control.SetProcessPriorityMode(app.Pid(), 7));
    EXPECT_EQ(REALTIME, ReadPriorityClass(app.Pid()));
    EXPECT_TRUE(control.SetProcessPriorityMode(app.Pid(), PRIORITY_NORMAL));
    EXPECT_EQ(NORMAL, ReadPriorityClass(app.Pid()));
}

TEST_F(Win32ProcessSystemTest, SetProcessPriorityMode_ProcessGone_ReturnsZero)
{
    CBoostee app;
    ASSERT_TRUE(app.Start(boostee, L"gone"));
    const DWORD pid = app.Pid();
    app.End();
    ASSERT_TRUE(WaitUntilProcessGone(pid));
    EXPECT_FALSE(control.SetProcessPriorityMode(pid, PRIORITY_BOOST));
}

TEST_F(Win32ProcessSystemTest, ApplyPriorityToNamesakes_ChromeRaisesChromedriverNotTheReverse)
{
    CopyFolder folder;
    const std::wstring chromePath = folder.Copy(boostee, L"chrome.exe");
    const std::wstring driverPath = folder.Copy(boostee, L"chromedriver.exe");
    ASSERT_FALSE(chromePath.empty());
    ASSERT_FALSE(driverPath.empty());
    {
        CBoostee chrome, driver, other;
        ASSERT_TRUE(chrome.Start(chromePath, L"chrome"));
        ASSERT_TRUE(driver.Start(driverPath, L"chromedriver"));
        ASSERT_TRUE(other.Start(boostee, L"bystander"));

        EXPECT_EQ(0, control.ApplyPriorityToNamesakes(chrome.Pid(), PRIORITY_BOOST));
        EXPECT_EQ(REALTIME, ReadPriorityClass(chrome.Pid()));
        EXPECT_EQ(REALTIME, ReadPriorityClass(driver.Pid()));
        EXPECT_EQ(NORMAL, ReadPriorityClass(other.Pid()));
        EXPECT_TRUE(InFocusList(chrome.Pid()));
        EXPECT_TRUE(InFocusList(driver.Pid()));

        control.SetProcessPriorityMode(chrome.Pid(), PRIORITY_NORMAL);
        control.SetProcessPriorityMode(driver.Pid(), PRIORITY_NORMAL);
        EXPECT_EQ(0, control.ApplyPriorityToNamesakes(driver.Pid(), PRIORITY_DEMOTE));
        EXPECT_EQ(BELOW, ReadPriorityClass(driver.Pid()));
        EXPECT_EQ(NORMAL, ReadPriorityClass(chrome.Pid()));

        const DWORD chromePid = chrome.Pid();
        const DWORD driverPid = driver.Pid();
        chrome.End();
        driver.End();
        WaitUntilProcessGone(chromePid);
        WaitUntilProcessGone(driverPid);
    }
}

TEST_F(Win32ProcessSystemTest, RestoreAtOrderlyEnd_HighAndRealtimeEndNormal)
{
    CBoostee high, boosted;
    ASSERT_TRUE(high.Start(boostee, L"high"));
    ASSERT_TRUE(boosted.Start(boostee, L"boosted"));
    system.SetProcessPriority(high.Pid(), HIGH_PRIORITY_CLASS);
    system.SetProcessPriority(boosted.Pid(), REALTIME_PRIORITY_CLASS);
    ASSERT_EQ(static_cast<DWORD>(HIGH_PRIORITY_CLASS), ReadPriorityClass(high.Pid()));

    endOfRun.RestoreAtOrderlyEnd();

    EXPECT_EQ(NORMAL, ReadPriorityClass(high.Pid()));
    EXPECT_EQ(NORMAL, ReadPriorityClass(boosted.Pid()));
}

TEST_F(Win32ProcessSystemTest, ForegroundCycle_RealWindowInFront_BoostsItsProcess)
{
    // Two different programs: copies of one program are namesakes and rise together.
    CopyFolder folder;
    const std::wstring firstPath = folder.Copy(boostee, L"firstapp.exe");
    const std::wstring secondPath = folder.Copy(boostee, L"secondapp.exe");
    CBoostee first, second;
    ASSERT_TRUE(first.Start(firstPath, L"first"));
    ASSERT_TRUE(second.Start(secondPath, L"second"));
    FakeBoostView view;
    CEndOfRun endOfRun(system);
    CBoostEngine engine(system, view, endOfRun);
    // A new window's own activation can arrive late and take the front back between our
    // SetForegroundWindow and the cycle: bring the window forward and run cycles until
    // one of them has seen it in front.
    auto cycleWithInFront = [&](const CBoostee& app) {
        return PollUntil([&] {
            SetForegroundWindow(app.Window());
            if (GetForegroundWindow() != app.Window())
                return false;
            engine.RunForegroundCycle();
            return engine.BoostedPid() == app.Pid();
        }, 5000);
    };

    const bool canBringToFront = PollUntil([&] {
        SetForegroundWindow(second.Window());
        return GetForegroundWindow() == second.Window();
    }, 5000);
    if (!canBringToFront)
        GTEST_SKIP() << "this desktop does not let a test bring a window to the front";

    ASSERT_TRUE(cycleWithInFront(second));
    EXPECT_EQ(REALTIME, ReadPriorityClass(second.Pid()));

    ASSERT_TRUE(cycleWithInFront(first));
    EXPECT_EQ(first.Pid(), engine.BoostedPid());
    EXPECT_EQ(REALTIME, ReadPriorityClass(first.Pid()));
    EXPECT_EQ(BELOW, ReadPriorityClass(second.Pid()));

    DWORD pids[1024] = {};
    DWORD bytes = 0;
    ASSERT_TRUE(EnumProcesses(pids, sizeof(pids), &bytes));
    ASSERT_FALSE(view.processCountTexts.empty());
    // Processes may come and go in between; the count is the list's, not a constant.
    EXPECT_NEAR(static_cast<double>(bytes / sizeof(DWORD)),
                std::stod(view.processCountTexts.back()), 3.0);
    endOfRun.RestoreAtOrderlyEnd();
    const DWORD firstPid = first.Pid();
    const DWORD secondPid = second.Pid();
    first.End();
    second.End();
    WaitUntilProcessGone(firstPid);
    WaitUntilProcessGone(secondPid);
}

TEST(Win32ProcessSystem, GetProductName_PrefersTheProcesssOwnImageOverTheLookedUpName)
{
    CWin32ProcessSystem system;
    // This test executable links the program's resources, version record included. The
    // looked-up name names no file here: only the process's full image path can give
    // the record.
    EXPECT_EQ(L"Vexra", std::wstring(system.GetProductName(GetCurrentProcessId(),
                                                           L"no-such-program.exe")));
}

TEST(Win32ProcessSystem, GetProductName_WithoutAProcess_ReadsTheNamedFileOnly)
{
    CWin32ProcessSystem system;
    const DWORD noProcess = 0xFFFFFFF0;  // never a process id
    wchar_t ownPath[MAX_PATH] = {};
    GetModuleFileNameW(NULL, ownPath, MAX_PATH);
    EXPECT_EQ(L"Vexra", std::wstring(system.GetProductName(noProcess, ownPath)));
    // Nothing to read must not fall back to our own record.
    EXPECT_TRUE(system.GetProductName(noProcess, CString()).IsEmpty());
    EXPECT_TRUE(system.GetProductName(noProcess, L"no-such-program.exe").IsEmpty());
}
