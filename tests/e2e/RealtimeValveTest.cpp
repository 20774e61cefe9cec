// The engine with a program that wants every processor: a boosted application that keeps
// both processors busy is set to high, and the popup says so; one that keeps a single
// processor busy stays at real-time. The program can tell only by reading other
// processes' processor time, which Wine 8 does not report: the tests measure that first
// and say so when they cannot run.
#include "Harness.h"
#include "MainWindowLayout.h"

#include "res/resource.h"

#include <memory>
#include <optional>

namespace e2e {
namespace {

ULONGLONG ProcessorTimeOf(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    const auto units = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return units(kernel) + units(user);
}

// Empty when this system reports how much processor time another process uses; else what
// was measured. A helper keeps both processors busy while its times are read from here.
std::string MeasureForeignProcessorTime(const std::wstring& folder)
{
    ChildProcess spinner;
    std::wstring failure;
    if (!StartHelperAs(L"boostee", L"timesprobe.exe", folder, L"--spin=2 timesprobe.exe", spinner,
                       &failure))
        return "the probe helper did not start: " + Narrow(failure);
    const ULONGLONG first = ProcessorTimeOf(spinner.Handle());
    const ULONGLONG startedMs = GetTickCount64();
    ULONGLONG last = first;
    // A fifth of a second of processor time: a fraction of what two busy threads use in
    // the time allowed.
    const ULONGLONG enough = 2000000;
    if (WaitUntil(
            [&] {
                last = ProcessorTimeOf(spinner.Handle());
                return last - first >= enough;
            },
            Milliseconds{5000}, "the probe's processor time to grow"))
        return std::string();
    const ULONGLONG usedMs = (last - first) / 10000;
    const ULONGLONG waitedMs = GetTickCount64() - startedMs;
    return "GetProcessTimes does not report the processor time of another process here: a "
           "helper keeping two threads busy for " +
           std::to_string(waitedMs) + " ms was read to use " + std::to_string(usedMs) +
           " ms of kernel and user time (Wine 8 reports a trickle or nothing), so the program "
           "cannot see a real-time process take every processor";
}

class RealtimeValveTest : public HelperProgramTest
{
protected:
    void SetUp() override
    {
        HelperProgramTest::SetUp();
        if (IsSkipped())
            return;
        static const std::string missing = MeasureForeignProcessorTime(m_folder.Path());
        if (!missing.empty())
            GTEST_SKIP() << missing;
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        if (info.dwNumberOfProcessors < 2)
            GTEST_SKIP() << "one processor: a single busy thread is already over the limit";

        m_program = std::make_unique<ProgramUnderTest>();
        ASSERT_TRUE(m_program->StartWithEngine(ClickMethod::Mouse));
        m_window = m_program->MainWindow();
    }

    void TearDown() override
    {
        m_program.reset();
        ProgramTest::TearDown();
    }

    // Starts a copy of the helper as `name`, keeping `threads` threads busy, and puts its
    // window in front.
    testing::AssertionResult StartInFront(const std::wstring& name, int threads, ChildProcess& process)
    {
        std::wstring failure;
        const std::wstring arguments = L"--spin=" + std::to_wstring(threads) + L" " + name;
        if (!StartHelperAs(L"boostee", name, m_folder.Path(), arguments, process, &failure))
            return testing::AssertionFailure() << Narrow(failure);
        HWND window = nullptr;
        testing::AssertionResult shown = WaitUntil(
            [&] {
                for (HWND candidate : TopLevelWindowsOf(process.Id()))
                    if (IsWindowVisible(candidate))
                        window = candidate;
                return window != nullptr;
            },
            kDeadline, "the window of " + Narrow(name));
        if (!shown)
            return shown;
        return BringToFront(window, "the window of " + Narrow(name));
    }

    TempFolder m_folder;
    std::unique_ptr<ProgramUnderTest> m_program;
    HWND m_window = nullptr;
};

TEST_F(RealtimeValveTest, ApplicationInFront_KeepingBothProcessorsBusy_IsSetToHighAndNamed)
{
    ChildProcess spinner;
    ASSERT_TRUE(StartInFront(L"spinner.exe", 2, spinner));
    EXPECT_TRUE(WaitUntil([&] { return spinner.PriorityClass() == HIGH_PRIORITY_CLASS; },
                          Milliseconds{4000}, "spinner.exe to run at HIGH"))
        << " (it runs at " << PriorityClassName(spinner.PriorityClass()) << ")";

    HWND popup = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] { return (popup = FindPopupOf(m_program->Process().Id(), m_window, L"SPINNER was using every processor at real-time")) != nullptr; },
        kDeadline, "the popup naming SPINNER"));
    if (popup)
    {
        EXPECT_EQ(Narrow(WindowText(GetDlgItem(popup, IDC_POPUP_LINE2))), "VEXRA kept the system responsive");
    }

    // While it stays in front the cycle does not put it back at real-time.
    EXPECT_TRUE(HoldsFor([&] { return spinner.PriorityClass() == HIGH_PRIORITY_CLASS; }, Milliseconds{3000},
                         "spinner.exe to stay at HIGH while in front"));
}

TEST_F(RealtimeValveTest, ApplicationInFront_KeepingOneProcessorBusy_StaysAtRealtime)
{
    ChildProcess spinner;
    ASSERT_TRUE(StartInFront(L"onecore.exe", 1, spinner));
    ASSERT_TRUE(WaitUntil([&] { return spinner.PriorityClass() == REALTIME_PRIORITY_CLASS; }, kDeadline,
                          "onecore.exe to run at REALTIME"));
    EXPECT_TRUE(HoldsFor([&] { return spinner.PriorityClass() == REALTIME_PRIORITY_CLASS; },
                         Milliseconds{10000}, "onecore.exe to stay at REALTIME"))
        << " (it runs at " << PriorityClassName(spinner.PriorityClass()) << ")";
}

}  // namespace
}  // namespace e2e
