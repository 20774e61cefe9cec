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

// Whether `processId` is above every other id of the prefix, so the program reported it
// last (nothing else starts between the program's first look and this one).
bool HasHighestId(DWORD processId)
{
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    ids.resize(bytes / sizeof(DWORD));
    return std::all_of(ids.begin(), ids.end(), [&](DWORD id) { return id <= processId; });
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

    ASSERT_NO_FATAL_FAILURE(StartProgram());
    const DWORD programId = m_program->Process().Id();
    // The program walks the processes it found in ascending id order, raising itself before
    // lowering each one, its own included: it ends raised unless its own id came last.
    EXPECT_TRUE(WaitUntil(
        [&] { return present.PriorityClass() == BELOW_NORMAL_PRIORITY_CLASS; }, kDeadline,
        "the application running before the program to drop to BELOW_NORMAL"))
        << "its class: " << PriorityClassName(present.PriorityClass());

    const DWORD expected = HasHighestId(programId) ? BELOW_NORMAL_PRIORITY_CLASS
                                                   : REALTIME_PRIORITY_CLASS;
    EXPECT_TRUE(WaitUntil([&] { return m_program->Process().PriorityClass() == expected; },
                          kDeadline,
                          std::string("the program to run at ") + PriorityClassName(expected)))
        << "its class: " << PriorityClassName(m_program->Process().PriorityClass());
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
