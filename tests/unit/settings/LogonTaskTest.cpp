// The logon task set-up against a recording stand-in for schtasks.exe
// (tests/helpers/schtasks.cpp), named by its full path as the program names the system's
// own tool.
#include <gtest/gtest.h>

#include "ParsedTaskDefinition.h"
#include "framework/Handle.h"
#include "monitor/CStringPrint.h"
#include "monitor/RunningWindowsVersion.h"
#include "settings/LogonTask.h"
#include "settings/LogonTaskSetUp.h"
#include "settings/SettingsStore.h"
#include "settings/TaskDefinitionFile.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <future>
#include <iterator>
#include <vector>

namespace {

const wchar_t kKey[] = L"Software\\VexraUi";
// Far longer than any run of the stand-in takes.
constexpr DWORD kToolWaitMs = 30000;

// VEXRA_BUILD_DIR is the Unix path of the build; Wine shows it under drive Z:.
CString WindowsPathOf(const wchar_t* unixOrWindowsPath)
{
    std::wstring path(unixOrWindowsPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (!path.empty() && path[0] == L'\\')
        path.insert(0, L"Z:");
    return CString(path.c_str());
}

CString TestFolderShortPath()
{
    const CString module = GetModulePath();
    const CString folder = module.Left(module.ReverseFind(L'\\'));
    wchar_t shortFolder[500] = L"";
    const DWORD length = GetShortPathNameW(folder, shortFolder, 500);
    return length > 0 && length < 500 ? CString(shortFolder) : folder;
}

class LogonTaskTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const wchar_t* build = _wgetenv(L"VEXRA_BUILD_DIR");
        if (build == nullptr)
            GTEST_SKIP() << "VEXRA_BUILD_DIR is not set: the schtasks.exe stand-in cannot be found";
        m_strTool = WindowsPathOf(build) + L"\\tests\\helpers\\schtasks.exe";
        if (GetFileAttributesW(m_strTool) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "no schtasks.exe stand-in at " << NarrowForTest(m_strTool);

        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        m_strLog.Format(L"%svexra-schtasks-%lu.log", temp, GetCurrentProcessId());
        m_strDefinitionCopy.Format(L"%svexra-schtasks-%lu.xml", temp, GetCurrentProcessId());
        m_strProbes.Format(L"%svexra-schtasks-probes-%lu.log", temp, GetCurrentProcessId());
        for (const CString& file : {m_strLog, m_strDefinitionCopy, m_strProbes})
            DeleteFileW(file);
        SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", m_strLog);
        SetEnvironmentVariableW(L"VEXRA_SCHTASKS_DEFINITION", m_strDefinitionCopy);
        SetEnvironmentVariableW(L"VEXRA_SCHTASKS_PROBES", m_strProbes);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }

    void TearDown() override
    {
        for (const wchar_t* variable : {L"VEXRA_SCHTASKS_LOG", L"VEXRA_SCHTASKS_DEFINITION", L"VEXRA_SCHTASKS_PROBES",
                                        L"VEXRA_SCHTASKS_HANG", L"VEXRA_SCHTASKS_EXIT_CREATE",
                                        L"VEXRA_SCHTASKS_EXIT_DELETE"})
            SetEnvironmentVariableW(variable, nullptr);
        for (const CString& file : {m_strLog, m_strDefinitionCopy, m_strProbes})
            if (!file.IsEmpty())
                DeleteFileW(file);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }

    // The command lines the stand-in recorded, one per run.
    std::vector<CString> Runs() const { return LinesOf(m_strLog); }
    // What the stand-in found it could do to the definition file while it ran.
    std::vector<CString> Probes() const { return LinesOf(m_strProbes); }

    // The definition file a create run was given: the text between the quotes after /xml.
    static CString DefinitionPathIn(const CString& run)
    {
        const CString option = L"/xml \"";
        const int at = static_cast<int>(run.str().find(option.str()));
        if (at < 0)
            return CString();
        const int start = at + option.GetLength();
        const int end = run.Find(L'"', start);
        return end < 0 ? CString() : CString(run.GetString() + start, end - start);
    }

    static std::vector<CString> LinesOf(const CString& path)
    {
        std::ifstream file(path.GetString(), std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const CString text(reinterpret_cast<const wchar_t*>(bytes.data()), static_cast<int>(bytes.size() / 2));
        std::vector<CString> lines;
        for (int start = 0; start < text.GetLength();)
        {
            int end = text.Find(L'\n', start);
            if (end < 0)
                end = text.GetLength();
            lines.push_back(CString(text.GetString() + start, end - start));
            start = end + 1;
        }
        return lines;
    }

    static CString Marker() { return ReadRegString(HKEY_CURRENT_USER, kKey, L"Schedinfo"); }

    void SetUpTask(DWORD dwWaitMs = kToolWaitMs) { SetUpLogonTask(m_strTool, dwWaitMs); }

    // Whether a process of the stand-in's file is still running.
    bool StandInRuns() const
    {
        std::vector<DWORD> pids(4096);
        DWORD bytes = 0;
        EnumProcesses(pids.data(), static_cast<DWORD>(pids.size() * sizeof(DWORD)), &bytes);
        for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i)
        {
            const CKernelHandle process(
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pids[i]));
            if (!process)
                continue;
            wchar_t path[MAX_PATH * 2] = L"";
            DWORD length = MAX_PATH * 2;
            const BOOL named = QueryFullProcessImageNameW(process.Get(), 0, path, &length);
            const bool running = WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
            if (named && running && _wcsicmp(m_strTool, path) == 0)
                return true;
        }
        return false;
    }

    CString m_strLog;
    CString m_strDefinitionCopy;
    CString m_strProbes;
    CString m_strTool;
};

bool FileExists(const CString& path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST_F(LogonTaskTest, FirstStart_DeletesThenCreatesFromADefinitionAndMarks)
{
    OSVERSIONINFOEXW version;
    ASSERT_TRUE(ReadRunningWindowsVersion(version));
    ASSERT_GE(version.dwMajorVersion, 6u) << "the test prefix reports Windows 7";

    SetUpTask();

    const std::vector<CString> runs = Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], L"schtasks.exe /delete /tn Vexra_Start /F");
    const CString definition = DefinitionPathIn(runs[1]);
    ASSERT_FALSE(definition.IsEmpty()) << NarrowForTest(runs[1]);
    EXPECT_EQ(runs[1], L"schtasks.exe /create /tn Vexra_Start /xml \"" + definition + L"\" /F");
    EXPECT_EQ(definition.Left(TemporaryFolder().GetLength() + 1), TemporaryFolder() + L"\\");
    EXPECT_FALSE(FileExists(definition)) << "the definition file is left behind";
    EXPECT_EQ(Marker(), L"2");

    // The task starts the fixed file name in the executable's folder, in short form,
    // whatever the running executable is called.
    const CParsedTaskDefinition task(std::wstring(m_strDefinitionCopy.GetString()));
    ASSERT_TRUE(task.IsParsed()) << task.Error();
    EXPECT_EQ(task.Text(L"/t:Task/t:Actions/t:Exec/t:Command"),
              (TestFolderShortPath() + L"\\VEXRA-by-Teskor.exe").str());
    EXPECT_EQ(task.Text(L"/t:Task/t:Triggers/t:LogonTrigger/t:Delay"), L"PT5M");
    EXPECT_EQ(task.Text(L"/t:Task/t:Principals/t:Principal/t:RunLevel"), L"HighestAvailable");
    EXPECT_EQ(task.Text(L"/t:Task/t:Settings/t:ExecutionTimeLimit"), L"PT0S");
    EXPECT_EQ(task.Text(L"/t:Task/t:Settings/t:DisallowStartIfOnBatteries"), L"false");
    EXPECT_EQ(task.Text(L"/t:Task/t:Settings/t:StopIfGoingOnBatteries"), L"false");

    // While the tool read it, nobody else could change it.
    EXPECT_EQ(Probes(), (std::vector<CString>{L"write refused", L"rename refused", L"delete refused"}));
}

TEST_F(LogonTaskTest, SecondStart_RunsNothing)
{
    SetUpTask();
    ASSERT_EQ(Runs().size(), 2u);
    SetUpTask();
    EXPECT_EQ(Runs().size(), 2u);
}

TEST_F(LogonTaskTest, MarkerOtherThanExactly2_SetsTheTaskUpAgain)
{
    for (const wchar_t* marker : {L"1", L"02", L" 2", L"2 "})
    {
        ASSERT_TRUE(WriteUserRegString(kKey, L"Schedinfo", marker));
        const size_t before = Runs().size();
        SetUpTask();
        EXPECT_EQ(Runs().size(), before + 2) << NarrowForTest(marker);
        EXPECT_EQ(Marker(), L"2");
    }
}

TEST_F(LogonTaskTest, FailedCreate_RecordsNothingAndTheNextStartTriesAgain)
{
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_CREATE", L"1");
    SetUpTask();
    ASSERT_EQ(Runs().size(), 2u);
    EXPECT_TRUE(Marker().IsEmpty());
    EXPECT_FALSE(FileExists(DefinitionPathIn(Runs()[1]))) << "a failed create leaves its definition behind";

    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_CREATE", nullptr);
    SetUpTask();
    EXPECT_EQ(Runs().size(), 4u);
    EXPECT_EQ(Marker(), L"2");
}

TEST_F(LogonTaskTest, FailedDeleteOfAMissingTask_DoesNotStopTheMarker)
{
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_DELETE", L"1");
    SetUpTask();
    EXPECT_EQ(Runs().size(), 2u);
    EXPECT_EQ(Marker(), L"2");
}

TEST_F(LogonTaskTest, RunTaskTool_ToolThatCannotStart_ReportsItAndRecordsNothing)
{
    const CString missing = m_strTool.Left(m_strTool.ReverseFind(L'\\')) + L"\\vexra-no-such-tool.exe";
    EXPECT_EQ(RunTaskTool(missing, L"/delete /tn Vexra_Start /F", kToolWaitMs), TaskToolResult::NotStarted);
    SetUpLogonTask(missing, kToolWaitMs);
    EXPECT_TRUE(Marker().IsEmpty());
}

TEST_F(LogonTaskTest, ToolThatNeverEnds_SetUpReturnsWithinTheBoundEndsItAndRecordsNothing)
{
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_HANG", L"1");
    // On a thread of its own, so that a wait without bound fails this test instead of
    // hanging it.
    auto setUp = std::async(std::launch::async, [this] { SetUpTask(1000); });
    ASSERT_EQ(setUp.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "the set-up still waits for the tool";

    // The delete run hung through the whole bound: the create run is not made.
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_TRUE(Marker().IsEmpty());
    // An ended process stays visible under Wine for a moment.
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (StandInRuns() && GetTickCount64() < deadline)
        Sleep(20);
    EXPECT_FALSE(StandInRuns()) << "the tool that did not end was left running";

    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_HANG", nullptr);
    SetUpTask();
    EXPECT_EQ(Marker(), L"2") << "the next start tries again";
}

TEST_F(LogonTaskTest, CreateThatNeverEnds_StopEndsTheToolRemovesTheDefinitionAndRecordsNothing)
{
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_HANG", L"create");
    CKernelHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(stop);
    auto setUp = std::async(std::launch::async, [&] { SetUpLogonTask(m_strTool, kToolWaitMs, stop.Get()); });

    const ULONGLONG created = GetTickCount64() + 20000;
    while (Runs().size() < 2 && GetTickCount64() < created)
        Sleep(20);
    ASSERT_EQ(Runs().size(), 2u) << "the create run did not start";
    const CString definition = DefinitionPathIn(Runs()[1]);
    // The stand-in has read the file and now hangs, as a tool on a silent Task Scheduler.
    const ULONGLONG probed = GetTickCount64() + 20000;
    while (Probes().size() < 3 && GetTickCount64() < probed)
        Sleep(20);
    EXPECT_TRUE(FileExists(definition)) << "the definition is gone while the tool still runs";

    SetEvent(stop.Get());
    ASSERT_EQ(setUp.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "the set-up did not stop";
    EXPECT_FALSE(FileExists(definition)) << "a stopped set-up leaves its definition behind";
    EXPECT_TRUE(Marker().IsEmpty());
    EXPECT_FALSE(StandInRuns()) << "the stopped set-up left its tool running";
}

TEST_F(LogonTaskTest, StopSetBeforeTheSetUp_RunsNoTool)
{
    CKernelHandle stop(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    ASSERT_TRUE(stop);
    SetUpLogonTask(m_strTool, kToolWaitMs, stop.Get());
    EXPECT_TRUE(Runs().empty());
    EXPECT_TRUE(Marker().IsEmpty());
}

TEST(LogonTaskTool, SystemTaskToolPath_IsTheToolInTheSystemFolder)
{
    wchar_t system[MAX_PATH] = L"";
    ASSERT_NE(GetSystemDirectoryW(system, MAX_PATH), 0u);
    EXPECT_EQ(SystemTaskToolPath(), CString(system) + L"\\schtasks.exe");
}

TEST(LogonTaskText, ProgramPath_FolderWithoutShortName_FallsBackToTheLongFolder)
{
    EXPECT_EQ(LogonTaskProgramPath(L"C:\\no such folder\\deeper\\Renamed Vexra.exe"),
              L"C:\\no such folder\\deeper\\VEXRA-by-Teskor.exe");
}

TEST(LogonTaskText, CreateArguments_OlderWindowsRunsAsSystemWithoutDelay)
{
    EXPECT_EQ(LegacyLogonTaskCreateArguments(L"C:\\PROGRA~1\\VEXRA-by-Teskor.exe"),
              L"/create /sc ONLOGON  /tn Vexra_Start /tr \"'C:\\PROGRA~1\\VEXRA-by-Teskor.exe'\" /ru \"System\" ");
}

TEST(LogonTaskText, CreateFromDefinitionArguments_QuoteThePathOfTheDefinition)
{
    EXPECT_EQ(LogonTaskCreateFromDefinitionArguments(L"C:\\Users\\A B\\Temp\\Vexra-1.xml"),
              L"/create /tn Vexra_Start /xml \"C:\\Users\\A B\\Temp\\Vexra-1.xml\" /F");
}

// ---- the set-up's own thread -----------------------------------------------------------

namespace {

// Work that reports its start and then waits for its stop, or for `release`.
struct BlockingWork
{
    CKernelHandle started{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    CKernelHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    CKernelHandle finished{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> runs{0};
    std::atomic<bool> sawStop{false};
    bool heedStop = true;

    CLogonTaskSetUp::Work Work()
    {
        return [this](HANDLE hStop) {
            ++runs;
            SetEvent(started.Get());
            const HANDLE waits[] = {release.Get(), hStop};
            sawStop = WaitForMultipleObjects(heedStop ? 2 : 1, waits, FALSE, 30000) == WAIT_OBJECT_0 + 1;
            SetEvent(finished.Get());
        };
    }
};

}  // namespace

TEST(LogonTaskSetUp, Start_ReturnsWhileTheWorkRuns_AndStopEndsIt)
{
    BlockingWork work;
    CLogonTaskSetUp setUp(work.Work(), 10000);
    ASSERT_TRUE(setUp.Start());
    ASSERT_EQ(WaitForSingleObject(work.started.Get(), 10000), WAIT_OBJECT_0) << "the work never ran";
    EXPECT_FALSE(work.sawStop);

    EXPECT_TRUE(setUp.Stop());
    EXPECT_TRUE(work.sawStop) << "the work was not told to stop";
    EXPECT_FALSE(setUp.Start()) << "a second start";
    EXPECT_EQ(work.runs, 1);
}

TEST(LogonTaskSetUp, Stop_WorkThatDoesNotStop_GivesUpAfterTheBound)
{
    BlockingWork work;
    work.heedStop = false;
    {
        CLogonTaskSetUp setUp(work.Work(), 300);
        ASSERT_TRUE(setUp.Start());
        ASSERT_EQ(WaitForSingleObject(work.started.Get(), 10000), WAIT_OBJECT_0);
        const ULONGLONG before = GetTickCount64();
        EXPECT_FALSE(setUp.Stop());
        EXPECT_LT(GetTickCount64() - before, 20000u) << "the stop waited far past its bound";
    }
    // The object is gone; its thread still runs, and ends cleanly on its own.
    SetEvent(work.release.Get());
    ASSERT_EQ(WaitForSingleObject(work.finished.Get(), 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(work.sawStop);
}

TEST(LogonTaskSetUp, NeverStarted_EndsAtOnce)
{
    BlockingWork work;
    {
        CLogonTaskSetUp setUp(work.Work(), 10000);
        EXPECT_TRUE(setUp.Stop());
    }
    EXPECT_EQ(work.runs, 0);
}
