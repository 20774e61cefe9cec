// The Task Scheduler's tool the program runs: the system's own schtasks.exe, never a file
// of that name beside the program or in the current folder, never waited for without
// bound, and never by the window. The task comes from a definition file that nobody else
// can change while the tool reads it and that is gone afterwards. A start after the logon
// task was set up leaves the tool alone.
#include "Harness.h"

namespace e2e {
namespace {

// The stand-in's runs: the longest a test makes it take.
constexpr Milliseconds kSlowToolRun{10000};

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

// The file a create run was given: the text between the quotes after /xml.
std::wstring DefinitionPathIn(const std::wstring& run)
{
    const std::wstring option = L"/xml \"";
    const size_t start = run.find(option);
    if (start == std::wstring::npos)
        return {};
    const size_t end = run.find(L'"', start + option.size());
    return end == std::wstring::npos ? std::wstring() : run.substr(start + option.size(), end - start - option.size());
}

std::wstring ShortFolderOf(const std::wstring& folder)
{
    wchar_t shortFolder[500] = {};
    const DWORD length = GetShortPathNameW(folder.c_str(), shortFolder, ARRAYSIZE(shortFolder));
    return length > 0 && length < ARRAYSIZE(shortFolder) ? std::wstring(shortFolder) : folder;
}

bool TaskRecorded()
{
    return ReadProgramValue(L"Schedinfo").value_or(L"") == L"2";
}

TEST_F(LogonTaskTest, LogonTask_StartWithTaskRecorded_RunsNoTool)
{
    MarkLogonTaskDone();
    ProgramUnderTest program;
    if (!program.HasTaskStandIn())
        GTEST_SKIP() << "the build has no schtasks.exe stand-in (tests/helpers/schtasks.cpp)";
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForMainWindow());

    // The set-up starts with the window; a first start's delete run is there in moments.
    EXPECT_TRUE(HoldsFor([&] { return program.TaskToolRuns().empty(); }, Milliseconds{3000},
                         "no run of schtasks.exe"))
        << "runs of schtasks.exe: " << testing::PrintToString(program.TaskToolRuns());
    EXPECT_EQ(ReadProgramValue(L"Schedinfo").value_or(L"(missing)"), L"2");
}

TEST_F(LogonTaskTest, LogonTask_FirstStart_CreatesTheTaskFromADefinitionThatIsGoneAfterwards)
{
    ProgramUnderTest program;
    if (!program.HasTaskStandIn())
        GTEST_SKIP() << "the build has no schtasks.exe stand-in (tests/helpers/schtasks.cpp)";
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForMainWindow());
    ASSERT_TRUE(WaitUntil(TaskRecorded, kDeadline, "\"Schedinfo\" = \"2\""));

    const std::vector<std::wstring> runs = program.TaskToolRuns();
    ASSERT_EQ(runs.size(), 2u) << testing::PrintToString(runs);
    const std::wstring definitionPath = DefinitionPathIn(runs[1]);
    ASSERT_FALSE(definitionPath.empty()) << "the create run names no definition: " << Narrow(runs[1]);
    EXPECT_EQ(Narrow(runs[1]), Narrow(L"schtasks.exe /create /tn Vexra_Start /xml \"" + definitionPath + L"\" /F"));
    EXPECT_FALSE(FileExists(definitionPath)) << "the definition is left behind: " << Narrow(definitionPath);

    const std::wstring definition = program.TaskToolDefinition();
    ASSERT_FALSE(definition.empty()) << "the stand-in could not read the definition";
    const std::wstring command =
        L"<Command>" + ShortFolderOf(program.Folder().Path()) + L"\\" + kProgramFileName + L"</Command>";
    for (const std::wstring& expected :
         {std::wstring(L"<Task version=\"1.2\""), std::wstring(L"<Delay>PT5M</Delay>"),
          std::wstring(L"<RunLevel>HighestAvailable</RunLevel>"),
          std::wstring(L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"),
          std::wstring(L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"),
          std::wstring(L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"),
          std::wstring(L"<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"), command})
        EXPECT_NE(definition.find(expected), std::wstring::npos)
            << "the definition lacks " << Narrow(expected) << ":\n" << Narrow(definition);
    EXPECT_NE(definition.find(L"<LogonTrigger>"), std::wstring::npos);

    // While the tool read it, nobody else could change it.
    EXPECT_EQ(testing::PrintToString(program.TaskToolProbes()),
              testing::PrintToString(std::vector<std::wstring>{L"write refused", L"rename refused", L"delete refused"}));
}

TEST_F(LogonTaskTest, LogonTask_SlowTool_TheWindowHasItsCaptionBeforeTheToolEnds)
{
    ProgramUnderTest program;
    if (!program.HasTaskStandIn())
        GTEST_SKIP() << "the build has no schtasks.exe stand-in (tests/helpers/schtasks.cpp)";
    StartOptions options;
    options.taskToolWait = kSlowToolRun;
    ASSERT_TRUE(program.Start(options));

    // FindMainWindow looks for the caption "Vexra", as a second start and the setup do.
    ASSERT_TRUE(program.WaitForMainWindow());
    EXPECT_FALSE(TaskRecorded()) << "the set-up ended before the window had its caption";
    EXPECT_FALSE(ProcessesNamed(L"schtasks.exe").empty()) << "no task tool runs while the window is there";

    // Both runs take their time, then the set-up is recorded as usual.
    EXPECT_TRUE(WaitUntil(TaskRecorded, kSlowToolRun * 2 + kDeadline, "\"Schedinfo\" = \"2\""));
    EXPECT_EQ(program.TaskToolRuns().size(), 2u);
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
    ASSERT_TRUE(WaitUntil(TaskRecorded, kDeadline, "\"Schedinfo\" = \"2\""));

    const std::vector<std::wstring> images = program.TaskToolImages();
    ASSERT_EQ(images.size(), 2u) << "runs of schtasks.exe: " << testing::PrintToString(program.TaskToolRuns());
    for (const std::wstring& image : images)
        EXPECT_EQ(Narrow(image), Narrow(SystemTaskToolStandIn::ToolImagePath()));
    EXPECT_EQ(Narrow(program.TaskToolRuns().at(0)), "schtasks.exe /delete /tn Vexra_Start /F");
}

TEST_F(LogonTaskTest, LogonTask_ToolThatNeverEnds_IsEndedAfterTheBoundAndNothingIsRecorded)
{
    ProgramUnderTest program;
    if (!program.HasTaskStandIn())
        GTEST_SKIP() << "the build has no schtasks.exe stand-in (tests/helpers/schtasks.cpp)";
    StartOptions options;
    options.taskToolHang = TaskToolHang::EveryRun;
    ASSERT_TRUE(program.Start(options));
    ASSERT_TRUE(program.WaitForMainWindow()) << "the window waits for the task tool";

    // The program's bound is 60 s for both runs; then a busy machine's slack.
    EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(L"schtasks.exe").empty(); }, Milliseconds{60000} + kDeadline,
                          "the tool that never ended to be ended"));
    EXPECT_EQ(program.TaskToolRuns().size(), 1u)
        << "after the bound no other run is made: " << testing::PrintToString(program.TaskToolRuns());
    EXPECT_FALSE(ReadProgramValue(L"Schedinfo").has_value()) << "a set-up that did not end is recorded";
}

TEST_F(LogonTaskTest, LogonTask_ExitWhileTheCreateRuns_EndsTheToolAndRemovesTheDefinition)
{
    ProgramUnderTest program;
    if (!program.HasTaskStandIn())
        GTEST_SKIP() << "the build has no schtasks.exe stand-in (tests/helpers/schtasks.cpp)";
    StartOptions options;
    options.taskToolHang = TaskToolHang::CreateRun;
    ASSERT_TRUE(program.Start(options));
    ASSERT_TRUE(program.WaitForMainWindow());
    // The create run has read its definition once it has probed it.
    ASSERT_TRUE(WaitUntil([&] { return program.TaskToolProbes().size() == 3; }, kDeadline,
                          "the create run to read its definition"));
    const std::wstring definitionPath = DefinitionPathIn(program.TaskToolRuns().at(1));
    ASSERT_TRUE(FileExists(definitionPath)) << "the definition is gone while the tool runs";

    // The tray menu's Exit; the program's end waits for its set-up only a bounded time.
    PostMessageW(program.MainWindow(), WM_COMMAND, kTrayExitCommand, 0);
    EXPECT_TRUE(program.Process().WaitForExit(kDeadline)) << "the program did not end through Exit";
    EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(L"schtasks.exe").empty(); }, kDeadline,
                          "the task tool to be ended with the program"));
    EXPECT_FALSE(FileExists(definitionPath)) << "the definition is left behind: " << Narrow(definitionPath);
    EXPECT_FALSE(ReadProgramValue(L"Schedinfo").has_value()) << "a set-up cut short is recorded";
}

}  // namespace
}  // namespace e2e
