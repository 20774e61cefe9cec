// The Task Scheduler's tool the program runs: the system's own schtasks.exe, never a file
// of that name beside the program or in the current folder, and never waited for without
// bound. A start after the logon task was set up leaves the tool alone.
#include "Harness.h"

namespace e2e {
namespace {

class LogonTaskTest : public ProgramTest
{
protected:
    void TearDown() override
    {
        // A tool that hung and was not ended must not outlive the test.
        TerminateAllNamed(L"schtasks.exe");
        ProgramTest::TearDown();
    }
};

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

TEST_F(LogonTaskTest, LogonTask_ToolsBesideTheProgramAndInTheCurrentFolder_AreNeverRun)
{
    ProgramUnderTest program;
    if (!program.HasTaskStandIn())
        GTEST_SKIP() << "the build has no schtasks.exe stand-in (tests/helpers/schtasks.cpp)";
    // Files a downloaded copy could have lying beside it, or the folder it is started
    // from: each records its own path when it runs.
    TempFolder current;
    const std::wstring standIn = HelperPath(L"schtasks");
    ASSERT_TRUE(CopyFileW(standIn.c_str(), program.Folder().File(L"schtasks.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(standIn.c_str(), current.File(L"schtasks.exe").c_str(), FALSE));

    StartOptions options;
    options.currentFolder = current.Path();
    ASSERT_TRUE(program.Start(options));
    ASSERT_TRUE(program.WaitForMainWindow());

    const std::vector<std::wstring> images = program.TaskToolImages();
    ASSERT_EQ(images.size(), 2u) << "runs of schtasks.exe: " << testing::PrintToString(program.TaskToolRuns());
    for (const std::wstring& image : images)
        EXPECT_EQ(Narrow(image), Narrow(SystemTaskToolStandIn::ToolImagePath()));
    EXPECT_EQ(Narrow(program.TaskToolRuns().at(0)), "schtasks.exe /delete /tn Vexra_Start /F");
    EXPECT_EQ(ReadProgramValue(L"Schedinfo").value_or(L"(missing)"), L"2");
}

TEST_F(LogonTaskTest, LogonTask_ToolThatNeverEnds_DelaysTheWindowByTheBoundAtMost)
{
    ProgramUnderTest program;
    if (!program.HasTaskStandIn())
        GTEST_SKIP() << "the build has no schtasks.exe stand-in (tests/helpers/schtasks.cpp)";
    StartOptions options;
    options.taskToolHangs = true;
    ASSERT_TRUE(program.Start(options));

    // The program's bound is 60 s for both runs; then a cold start's time.
    ASSERT_TRUE(program.WaitForMainWindow(Milliseconds{60000} + kDeadline));
    EXPECT_EQ(program.TaskToolRuns().size(), 1u)
        << "after the bound no other run is made: " << testing::PrintToString(program.TaskToolRuns());
    EXPECT_FALSE(ReadProgramValue(L"Schedinfo").has_value()) << "a set-up that did not end is recorded";
    EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(L"schtasks.exe").empty(); }, kDeadline,
                          "the tool that never ended to be ended"));
}

}  // namespace
}  // namespace e2e
