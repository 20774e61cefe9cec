// What the program does to the priority classes of the system as soon as its window opens,
// before the user presses Start: every process already running drops to below-normal and
// the program raises itself; a process started afterwards is left alone until the engine
// is started.
#include "Harness.h"

#include <psapi.h>

#include <memory>

namespace e2e {
namespace {

// The running processes whose class an administrator can change (on Windows, protected
// processes cannot be changed by anyone).
std::vector<DWORD> ChangeableProcessIds()
{
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    ids.resize(bytes / sizeof(DWORD));
    std::vector<DWORD> changeable;
    for (DWORD id : ids)
    {
        HANDLE process = OpenProcess(PROCESS_SET_INFORMATION, FALSE, id);
        if (process)
        {
            changeable.push_back(id);
            CloseHandle(process);
        }
    }
    return changeable;
}

// Every process of `ids` that still runs (this driver included) is below-normal.
bool AllLoweredOrGone(const std::vector<DWORD>& ids)
{
    for (DWORD id : ids)
    {
        const DWORD priorityClass = PriorityClassOf(id);
        if (priorityClass != 0 && priorityClass != BELOW_NORMAL_PRIORITY_CLASS)
            return false;
    }
    return true;
}

class StartupPrioritiesTest : public HelperProgramTest
{
protected:
    // Starts a copy of the windowed helper named `name` and waits for its window. It is
    // born normal whatever this driver's class: on Windows a child takes a below-normal
    // parent's class, and the program's first pass lowers this driver too.
    void StartApplication(const std::wstring& name, ChildProcess& process)
    {
        ASSERT_TRUE(e2e::StartApplication(name, m_folder.Path(), process, nullptr,
                                          NORMAL_PRIORITY_CLASS));
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

    const std::vector<DWORD> before = ChangeableProcessIds();
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    EXPECT_TRUE(WaitUntil(
        [&] { return present.PriorityClass() == BELOW_NORMAL_PRIORITY_CLASS; }, kDeadline,
        "the application running before the program to drop to BELOW_NORMAL"))
        << "its class: " << PriorityClassName(present.PriorityClass());
    EXPECT_TRUE(WaitUntil([&] { return AllLoweredOrGone(before); }, kDeadline,
                          "every process running before the program to drop to BELOW_NORMAL"));

    // The program's own id is in the pass too, mostly last (the highest id); it lowers
    // each process reported before it raises itself, so it stays at real-time.
    auto programClass = [&] { return m_program->Process().PriorityClass(); };
    EXPECT_TRUE(WaitUntil([&] { return programClass() == REALTIME_PRIORITY_CLASS; }, kDeadline,
                          "the program to run at REALTIME"))
        << "its class: " << PriorityClassName(programClass());
    EXPECT_TRUE(HoldsFor([&] { return programClass() == REALTIME_PRIORITY_CLASS; },
                         Milliseconds{1500}, "the program stays at REALTIME after its first pass"))
        << "its class: " << PriorityClassName(programClass());
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
    const DWORD bornWith = later.PriorityClass();
    ASSERT_EQ(bornWith, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_TRUE(HoldsFor([&] { return later.PriorityClass() == bornWith; }, Milliseconds{1500},
                         "the application started later keeps the class it was born with"))
        << "its class: " << PriorityClassName(later.PriorityClass());
}

}  // namespace
}  // namespace e2e
