// What the program does to the priority classes of the system as soon as its window opens,
// before the user presses Start: every process already running drops to below-normal and
// the program raises itself; a process started afterwards is left alone until the engine
// is started.
#include "Harness.h"

#include <psapi.h>

#include <algorithm>
#include <memory>

namespace e2e {
namespace {

DWORD HighestProcessId()
{
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    ids.resize(bytes / sizeof(DWORD));
    return ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
}

class StartupPrioritiesTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (!FileExists(HelperPath(L"boostee")))
            GTEST_SKIP() << "the build has no boostee.exe helper (tests/helpers/boostee.cpp)";
        MarkLogonTaskDone();
    }

    // Starts a copy of the windowed helper named `name` and waits for its window.
    void StartApplication(const std::wstring& name, ChildProcess& process)
    {
        std::wstring failure;
        ASSERT_TRUE(StartHelperAs(L"boostee", name, m_folder.Path(), name, process, &failure))
            << Narrow(failure);
        ASSERT_TRUE(WaitUntil([&] { return !TopLevelWindowsOf(process.Id()).empty(); }, kDeadline,
                              "the window of " + Narrow(name)));
    }

    void StartProgram()
    {
        m_program = std::make_unique<ProgramUnderTest>();
        ASSERT_TRUE(m_program->Start());
        ASSERT_TRUE(m_program->WaitForMainWindow());
    }

    void TearDown() override
    {
        m_program.reset();
        ProgramTest::TearDown();
    }

    TempFolder m_folder;
    std::unique_ptr<ProgramUnderTest> m_program;
};

TEST_F(StartupPrioritiesTest, RunningProcesses_WhenTheWindowOpens_AreDemotedAndTheProgramRaised)
{
    ChildProcess present;
    ASSERT_NO_FATAL_FAILURE(StartApplication(L"present.exe", present));
    ASSERT_EQ(present.PriorityClass(), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));

    const DWORD highestBefore = HighestProcessId();
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const DWORD programId = m_program->Process().Id();
    EXPECT_TRUE(WaitUntil(
        [&] { return present.PriorityClass() == BELOW_NORMAL_PRIORITY_CLASS; }, kDeadline,
        "the application running before the program to drop to BELOW_NORMAL"))
        << "its class: " << PriorityClassName(present.PriorityClass());

    // The program walks the processes it found in ascending id order, raising itself before
    // lowering each one, its own included: it ends raised unless its own id came last.
    // Which came last is certain when a process older than the program has a higher id, or
    // when no process now running has one; a process of the system started together with
    // the program leaves it open.
    auto programClass = [&] { return m_program->Process().PriorityClass(); };
    if (programId < highestBefore) {
        EXPECT_TRUE(WaitUntil([&] { return programClass() == REALTIME_PRIORITY_CLASS; }, kDeadline,
                              "the program to run at REALTIME"))
            << "its class: " << PriorityClassName(programClass());
    } else if (HighestProcessId() == programId) {
        EXPECT_TRUE(WaitUntil([&] { return programClass() == BELOW_NORMAL_PRIORITY_CLASS; },
                              kDeadline, "the program, reported last, to run at BELOW_NORMAL"))
            << "its class: " << PriorityClassName(programClass());
    } else {
        EXPECT_TRUE(WaitUntil(
            [&] {
                return programClass() == REALTIME_PRIORITY_CLASS ||
                       programClass() == BELOW_NORMAL_PRIORITY_CLASS;
            },
            kDeadline, "the program to set its own class"))
            << "its class: " << PriorityClassName(programClass());
    }
}

TEST_F(StartupPrioritiesTest, ProcessStartedLater_BeforeStartIsPressed_KeepsItsClass)
{
    ChildProcess present;
    ASSERT_NO_FATAL_FAILURE(StartApplication(L"present.exe", present));
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    // Once the process that was there is lowered, the program has seen the first list.
    ASSERT_TRUE(WaitUntil([&] { return present.PriorityClass() == BELOW_NORMAL_PRIORITY_CLASS; },
                          kDeadline, "the first pass over the running processes"));

    ChildProcess later;
    ASSERT_NO_FATAL_FAILURE(StartApplication(L"later.exe", later));
    EXPECT_TRUE(HoldsFor([&] { return later.PriorityClass() == NORMAL_PRIORITY_CLASS; },
                         Milliseconds{1500}, "the application started later stays NORMAL"))
        << "its class: " << PriorityClassName(later.PriorityClass());
}

}  // namespace
}  // namespace e2e
