// However the program ends, nothing it changed outlives it: the end guard, a second copy
// of the program, returns every process to normal when the program is ended from outside,
// and goes with the program at an orderly end. Also what holds under pressure: ten starts
// at the same moment leave one program, and Exit amid a storm of starts ends it with every
// process back to normal.
#include "Harness.h"
#include "MainWindowLayout.h"

#include "framework/Handle.h"
#include "res/resource.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace e2e {
namespace {

// Nothing the program changed may outlive it by more than this.
constexpr Milliseconds kRestoreDeadline{2000};
// A guard that the program's orderly end ended.
constexpr DWORD kGuardStoodDownExitCode = 2;
// The watcher's two reports to the program's window.
constexpr UINT kProcessStartedMessage = WM_USER + 107;
constexpr UINT kProcessPresentMessage = WM_USER + 108;

// Every process of the prefix that can be read runs at normal; names those that do not.
testing::AssertionResult EveryProcessNormal()
{
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
        return testing::AssertionFailure() << "the process list cannot be read";
    ids.resize(bytes / sizeof(DWORD));
    testing::AssertionResult result = testing::AssertionSuccess();
    bool allNormal = true;
    for (DWORD id : ids)
    {
        const DWORD priorityClass = PriorityClassOf(id);
        if (priorityClass != 0 && priorityClass != NORMAL_PRIORITY_CLASS)
        {
            if (allNormal)
                result = testing::AssertionFailure() << "not at normal:";
            allNormal = false;
            result << " process " << id << " at " << PriorityClassName(priorityClass);
        }
    }
    return result;
}

// Starts and ends a small program every few milliseconds while it lives, as a build or a
// script does: the watcher reports each start and the engine boosts it.
class StartStorm
{
public:
    StartStorm() : m_worker([this] { Run(); }) {}
    ~StartStorm() { Stop(); }
    StartStorm(const StartStorm&) = delete;
    StartStorm& operator=(const StartStorm&) = delete;

    void Stop()
    {
        m_stop = true;
        if (m_worker.joinable())
            m_worker.join();
    }
    int Started() const { return m_started; }

private:
    void Run()
    {
        const std::wstring blink = HelperPath(L"blink");
        std::vector<HANDLE> running;
        while (!m_stop)
        {
            std::wstring commandLine = L"\"" + blink + L"\"";
            STARTUPINFOW startup{};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION info{};
            if (CreateProcessW(blink.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                               DETACHED_PROCESS, nullptr, nullptr, &startup, &info))
            {
                CloseHandle(info.hThread);
                running.push_back(info.hProcess);
                ++m_started;
            }
            // A few at a time, so the storm does not take the whole machine.
            if (running.size() >= 4)
            {
                WaitForSingleObject(running.front(), 5000);
                CloseHandle(running.front());
                running.erase(running.begin());
            }
            Sleep(3);
        }
        for (HANDLE process : running)
        {
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }

    std::atomic<bool> m_stop{false};
    std::atomic<int> m_started{0};
    std::thread m_worker;
};

using ProcessHandle = std::unique_ptr<void, decltype(&CloseHandle)>;

// A handle that keeps the guard's exit code readable after it has gone.
ProcessHandle OpenForExitCode(DWORD processId)
{
    return ProcessHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId),
                         &CloseHandle);
}

// Whether the program's orderly end ended the guard, rather than the guard waking to the
// program's end and restoring on its own.
testing::AssertionResult WasStoodDown(HANDLE guard)
{
    if (WaitForSingleObject(guard, 0) != WAIT_OBJECT_0)
        return testing::AssertionFailure() << "the guard outlived the program's orderly end";
    DWORD exitCode = 0;
    GetExitCodeProcess(guard, &exitCode);
    if (exitCode != kGuardStoodDownExitCode)
        return testing::AssertionFailure() << "the guard ended by itself, with exit code " << exitCode;
    return testing::AssertionSuccess();
}

class EndGuardTest : public HelperProgramTest
{
protected:
    void TearDown() override
    {
        m_program.reset();
        ProgramTest::TearDown();
    }

    void StartApplication(const std::wstring& name, ChildProcess& process)
    {
        ASSERT_TRUE(e2e::StartApplication(name, m_folder.Path(), process));
    }

    // The program over a running application, which the first pass lowers; returns the
    // program's end guard.
    DWORD StartProgramOver(ChildProcess& present)
    {
        EXPECT_NO_FATAL_FAILURE(StartApplication(L"present.exe", present));
        m_program = std::make_unique<ProgramUnderTest>();
        EXPECT_TRUE(m_program->Start());
        EXPECT_TRUE(m_program->WaitForMainWindow());
        EXPECT_TRUE(WaitUntil([&] { return present.PriorityClass() == BELOW_NORMAL_PRIORITY_CLASS; },
                              kDeadline, "the running application to be lowered"));
        DWORD guard = 0;
        EXPECT_TRUE(WaitUntil([&] { return (guard = m_program->EndGuard()) != 0; }, kDeadline,
                              "the program's end guard"));
        return guard;
    }

    // With the engine running: an application started now, which the engine boosts.
    void StartBoostedApplication(ChildProcess& started)
    {
        ASSERT_NO_FATAL_FAILURE(StartApplication(L"started.exe", started));
        ASSERT_TRUE(WaitUntil([&] { return started.PriorityClass() == REALTIME_PRIORITY_CLASS; },
                              kDeadline, "the application started now to be boosted"));
    }

    // The application lowered at the start and the one boosted since, both back at normal
    // within the deadline of a restore.
    static testing::AssertionResult BothBackAtNormal(ChildProcess& present, ChildProcess& started)
    {
        testing::AssertionResult back = WaitUntil(
            [&] {
                return present.PriorityClass() == NORMAL_PRIORITY_CLASS &&
                       started.PriorityClass() == NORMAL_PRIORITY_CLASS;
            },
            kRestoreDeadline, "every process the program changed to be back at normal");
        if (!back)
            back << " (present.exe " << PriorityClassName(present.PriorityClass())
                 << ", started.exe " << PriorityClassName(started.PriorityClass()) << ")";
        return back;
    }

    static bool IsRunning(DWORD processId)
    {
        const CKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
        return process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
    }

    TempFolder m_folder;
    std::unique_ptr<ProgramUnderTest> m_program;
};

TEST_F(EndGuardTest, EndedFromOutsideWhileTheEngineRuns_EveryProcessIsNormalWithinTwoSeconds)
{
    ChildProcess present, started;
    const DWORD guard = StartProgramOver(present);
    ASSERT_NE(guard, 0u);
    ASSERT_TRUE(PressStart(m_program->MainWindow()));
    ASSERT_NO_FATAL_FAILURE(StartBoostedApplication(started));

    // As Task Manager's "End task" and taskkill /f do; exit code 0, as an orderly end's.
    ASSERT_TRUE(TerminateProcess(m_program->Process().Handle(), 0));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return present.PriorityClass() == NORMAL_PRIORITY_CLASS &&
                   started.PriorityClass() == NORMAL_PRIORITY_CLASS &&
                   PriorityClassOf(GetCurrentProcessId()) == NORMAL_PRIORITY_CLASS;
        },
        kRestoreDeadline, "every process the program changed to be back at normal"))
        << "present.exe " << PriorityClassName(present.PriorityClass()) << ", started.exe "
        << PriorityClassName(started.PriorityClass()) << ", this driver "
        << PriorityClassName(PriorityClassOf(GetCurrentProcessId()));
    // The guard runs at real-time until it ends, right after its restore.
    EXPECT_TRUE(WaitUntil([&] { return !IsRunning(guard); }, kDeadline,
                          "the guard to end once its work is done"));
    EXPECT_TRUE(EveryProcessNormal());
}

TEST_F(EndGuardTest, EndedWithItsWholeProcessTree_EveryProcessIsNormalWithinTwoSeconds)
{
    ChildProcess present, started;
    const DWORD guard = StartProgramOver(present);
    ASSERT_NE(guard, 0u);
    ASSERT_TRUE(PressStart(m_program->MainWindow()));
    ASSERT_NO_FATAL_FAILURE(StartBoostedApplication(started));

    // As Task Manager's "End process tree" and taskkill /t /f do: the program and every
    // process whose parent chain leads to it, at once. The guard is not among them.
    const std::vector<DWORD> tree = ProcessTree(m_program->Process().Id());
    EXPECT_EQ(std::find(tree.begin(), tree.end(), guard), tree.end())
        << "the guard descends from the program";
    for (DWORD id : tree)
    {
        const CKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
        if (process)
            TerminateProcess(process.Get(), 1);
    }
    EXPECT_TRUE(BothBackAtNormal(present, started));
    // The guard runs at real-time until it ends, right after its restore.
    EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(kProgramFileName).empty(); }, Milliseconds{15000},
                          "no copy of the program left running"));
    EXPECT_TRUE(EveryProcessNormal());
}

TEST_F(EndGuardTest, GuardEndedByHand_ANewOneRunsAndStillRestoresAfterAKill)
{
    ChildProcess present, started;
    const DWORD first = StartProgramOver(present);
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(PressStart(m_program->MainWindow()));

    {
        const CKernelHandle guard(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, first));
        ASSERT_TRUE(guard);
        ASSERT_TRUE(TerminateProcess(guard.Get(), 1));
        WaitForSingleObject(guard.Get(), 5000);
    }
    DWORD second = 0;
    ASSERT_TRUE(WaitUntil([&] { return (second = m_program->EndGuard()) != 0 && second != first; },
                          kRestoreDeadline, "a new end guard"));

    ASSERT_NO_FATAL_FAILURE(StartBoostedApplication(started));
    ASSERT_TRUE(TerminateProcess(m_program->Process().Handle(), 0));
    EXPECT_TRUE(BothBackAtNormal(present, started));
}

TEST_F(EndGuardTest, Guard_ShowsNothingAndIsNeitherLoweredNorAnnounced)
{
    ChildProcess present;
    const DWORD guard = StartProgramOver(present);
    ASSERT_NE(guard, 0u);
    EXPECT_TRUE(TopLevelWindowsOf(guard).empty()) << "the guard has a window of its own";
    // It runs at real-time of its own accord, so that nothing can starve it.
    ASSERT_TRUE(WaitUntil([&] { return PriorityClassOf(guard) == REALTIME_PRIORITY_CLASS; },
                          kDeadline, "the guard to run at real-time"))
        << "it runs at " << PriorityClassName(PriorityClassOf(guard));

    // With the engine running and the program's own window in front, the engine boosts
    // the program and its namesakes, the guard among them. Reports of the guard as just
    // started and as found (the watcher sends one of the two) would have it announced
    // and lowered. An application started and announced first makes sure the guard is
    // not the process last acted on, whose reports the engine passes over.
    ASSERT_TRUE(PressStart(m_program->MainWindow()));
    HWND window = m_program->MainWindow();
    ChildProcess started;
    ASSERT_NO_FATAL_FAILURE(StartApplication(L"started.exe", started));
    ASSERT_TRUE(WaitUntil([&] { return ReadControl(window, IDC_ENGINE_FOCUS_VALUE).text == L"started"; },
                          kDeadline, "the application started now to be announced"));
    ASSERT_TRUE(BringToFront(window, "the program's window"));
    const std::wstring focusBefore = ReadControl(window, IDC_ENGINE_FOCUS_VALUE).text;
    SendMessageTimeoutW(window, kProcessStartedMessage, guard, 1, SMTO_ABORTIFHUNG, 5000, nullptr);
    SendMessageTimeoutW(window, kProcessPresentMessage, guard, 1, SMTO_ABORTIFHUNG, 5000, nullptr);

    EXPECT_TRUE(HoldsFor(
        [&] {
            return PriorityClassOf(guard) == REALTIME_PRIORITY_CLASS &&
                   ReadControl(window, IDC_ENGINE_FOCUS_VALUE).text == focusBefore;
        },
        Milliseconds{2000}, "the guard keeps its class and is not announced"))
        << "it runs at " << PriorityClassName(PriorityClassOf(guard)) << ", \"Focus on:\" shows \""
        << Narrow(ReadControl(window, IDC_ENGINE_FOCUS_VALUE).text) << "\"";
    EXPECT_TRUE(TopLevelWindowsOf(guard).empty());
}

TEST_F(EndGuardTest, Exit_EndsTheGuardTooAndLeavesNothingRunning)
{
    ChildProcess present;
    const DWORD guard = StartProgramOver(present);
    ASSERT_NE(guard, 0u);

    const ProcessHandle guardProcess = OpenForExitCode(guard);
    ASSERT_TRUE(guardProcess);

    PostMessageW(m_program->MainWindow(), WM_COMMAND, kTrayExitCommand, 0);
    ASSERT_TRUE(m_program->Process().WaitForExit(kDeadline)) << "the program did not end after Exit";
    EXPECT_TRUE(WasStoodDown(guardProcess.get()));
    EXPECT_TRUE(ProcessesNamed(kProgramFileName).empty());
    EXPECT_EQ(PriorityClassName(present.PriorityClass()), std::string("NORMAL"));
}

TEST_F(EndGuardTest, EndSessionAskingToClose_EndsTheProgramWithEveryProcessNormal)
{
    ChildProcess present;
    const DWORD guard = StartProgramOver(present);
    ASSERT_NE(guard, 0u);
    const size_t iconsBefore = TrayIconWindows().size();
    const ProcessHandle guardProcess = OpenForExitCode(guard);
    ASSERT_TRUE(guardProcess);

    // What the Restart Manager sends when an installer needs the program gone.
    SendMessageTimeoutW(m_program->MainWindow(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP,
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_TRUE(m_program->Process().WaitForExit(kDeadline)) << "the program lives on";
    EXPECT_EQ(PriorityClassName(present.PriorityClass()), std::string("NORMAL"));
    EXPECT_TRUE(WasStoodDown(guardProcess.get()));
    EXPECT_TRUE(WaitUntil([&] { return TrayIconWindows().size() < iconsBefore; }, Milliseconds{3000},
                          "the icon to go"));
}

TEST_F(EndGuardTest, GuardArgumentThatNamesNoHandleOfTheProgram_EndsAtOnceChangingNothing)
{
    ChildProcess present;
    ASSERT_NO_FATAL_FAILURE(StartApplication(L"present.exe", present));
    ProgramUnderTest program;
    ChildProcess guard;
    DWORD error = 0;
    ASSERT_TRUE(guard.Start(program.ExePath(), L"--end-guard=12345", &error)) << "error " << error;
    DWORD exitCode = 0;
    ASSERT_TRUE(guard.WaitForExit(kDeadline, &exitCode)) << "a guard without a program waits";
    EXPECT_LT(exitCode, 0xC0000000u) << "it ended with status 0x" << std::hex << exitCode;
    EXPECT_TRUE(TopLevelWindowsOf(guard.Id()).empty());
    EXPECT_EQ(PriorityClassName(present.PriorityClass()), std::string("NORMAL"));
}

TEST_F(EndGuardTest, AnyOtherCommandLine_StartsTheProgramAsAUserDoes)
{
    ProgramUnderTest program;
    ChildProcess start;
    DWORD error = 0;
    ASSERT_TRUE(start.Start(program.ExePath(), L"--end-guard=0123", &error)) << "error " << error;
    EXPECT_TRUE(WaitUntil(
        [&] {
            HWND window = FindMainWindow(start.Id());
            return window && IsWindowVisible(window);
        },
        kDeadline, "the program's window"));
}

TEST_F(EndGuardTest, TenStartsAtTheSameMoment_LeaveOneProgramWithOneWindowAndOneGuard)
{
    ProgramUnderTest program;
    std::vector<ChildProcess> starts(10);
    for (ChildProcess& start : starts)
    {
        DWORD error = 0;
        ASSERT_TRUE(start.Start(program.ExePath(), L"", &error)) << "error " << error;
    }

    DWORD survivor = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::vector<DWORD> instances = ProgramInstances();
            survivor = instances.size() == 1 ? instances.front() : 0;
            HWND window = survivor ? FindMainWindow(survivor) : nullptr;
            return window && IsWindowVisible(window);
        },
        kDeadline, "exactly one program with its window"))
        << ProgramInstances().size() << " programs run";
    for (ChildProcess& start : starts)
    {
        if (start.Id() == survivor)
            continue;
        DWORD exitCode = 0;
        EXPECT_TRUE(start.WaitForExit(kDeadline, &exitCode)) << "a second start lives on";
        EXPECT_LT(exitCode, 0xC0000000u) << "a second start ended with status 0x" << std::hex << exitCode;
    }
    EXPECT_TRUE(WaitUntil([&] { return EndGuards().size() == 1; }, kDeadline,
                          "the one program's one end guard"))
        << EndGuards().size() << " guards";
    EXPECT_EQ(ProcessesNamed(kProgramFileName).size(), 2u) << "the program and its guard, nothing more";
}

TEST_F(EndGuardTest, ExitAmidAStormOfStarts_EndsTheProgramWithEveryProcessNormal)
{
    if (!FileExists(HelperPath(L"blink")))
        GTEST_SKIP() << "the build has no blink.exe helper (tests/helpers/blink.cpp)";
    for (int round = 0; round < 10; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        m_program = std::make_unique<ProgramUnderTest>();
        ASSERT_TRUE(m_program->Start());
        ASSERT_TRUE(m_program->WaitForMainWindow());
        ASSERT_TRUE(PressStart(m_program->MainWindow()));
        {
            StartStorm storm;
            ASSERT_TRUE(WaitUntil([&] { return storm.Started() >= 20; }, kDeadline,
                                  "the storm of starts to be under way"));
            PostMessageW(m_program->MainWindow(), WM_COMMAND, kTrayExitCommand, 0);
            ASSERT_TRUE(m_program->Process().WaitForExit(kDeadline))
                << "the program did not end after Exit";
        }
        EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(kProgramFileName).empty(); }, kDeadline,
                              "the guard to go with the program"));
        EXPECT_TRUE(EveryProcessNormal());
        m_program.reset();
    }
}

}  // namespace
}  // namespace e2e
