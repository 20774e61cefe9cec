// A start after the logon task was set up leaves the Task Scheduler alone.
#include "Harness.h"

namespace e2e {
namespace {

class LogonTaskTest : public ProgramTest {};

TEST_F(LogonTaskTest, LogonTask_StartWithTaskRecorded_RunsNoTool)
{
    MarkLogonTaskDone();
    ProgramUnderTest program;
    if (!program.HasTaskStandIn())
        GTEST_SKIP() << "the build has no schtasks.exe stand-in (tests/helpers/schtasks.cpp)";
    ASSERT_TRUE(program.Start());
    // The tool would run before the window shows.
    ASSERT_TRUE(program.WaitForMainWindow());

    EXPECT_TRUE(program.TaskToolRuns().empty())
        << "runs of schtasks.exe: " << testing::PrintToString(program.TaskToolRuns());
    EXPECT_EQ(ReadProgramValue(L"Schedinfo").value_or(L"(missing)"), L"2");
}

}  // namespace
}  // namespace e2e
