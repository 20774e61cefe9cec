// The logon task set-up against a recording stand-in for schtasks.exe
// (tests/helpers/schtasks.cpp), named by its full path as the program names the system's
// own tool.
#include <gtest/gtest.h>

#include "monitor/RunningWindowsVersion.h"
#include "settings/LogonTask.h"
#include "settings/SettingsStore.h"
#include "monitor/CStringPrint.h"
#include "framework/Handle.h"

#include <psapi.h>

#include <algorithm>
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
        DeleteFileW(m_strLog);
        SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", m_strLog);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }

    void TearDown() override
    {
        SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", nullptr);
        SetEnvironmentVariableW(L"VEXRA_SCHTASKS_HANG", nullptr);
        SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_CREATE", nullptr);
        SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_DELETE", nullptr);
        if (!m_strLog.IsEmpty())
            DeleteFileW(m_strLog);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }

    // The command lines the stand-in recorded, one per run.
    std::vector<CString> Runs() const
    {
        std::ifstream file(m_strLog.GetString(), std::ios::binary);
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
    CString m_strTool;
};

}  // namespace

TEST_F(LogonTaskTest, FirstStart_DeletesThenCreatesWithExactCommandLinesAndMarks)
{
    OSVERSIONINFOEXW version;
    ASSERT_TRUE(ReadRunningWindowsVersion(version));
    ASSERT_GE(version.dwMajorVersion, 6u) << "the test prefix reports Windows 7";

    SetUpTask();

    const std::vector<CString> runs = Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], L"schtasks.exe /delete /tn Vexra_Start /F");
    // The task starts the fixed file name in the executable's folder, in short form,
    // whatever the running executable is called.
    EXPECT_EQ(runs[1], L"schtasks.exe /create /sc ONLOGON /delay 0005:00 /tn Vexra_Start /tr \"'" +
                           TestFolderShortPath() + L"\\VEXRA-by-Teskor.exe'\" /RL HIGHEST");
    EXPECT_EQ(Marker(), L"2");
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
    EXPECT_EQ(Runs().size(), 2u);
    EXPECT_TRUE(Marker().IsEmpty());

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
    EXPECT_EQ(LogonTaskCreateArguments(5, L"C:\\PROGRA~1\\VEXRA-by-Teskor.exe"),
              L"/create /sc ONLOGON  /tn Vexra_Start /tr \"'C:\\PROGRA~1\\VEXRA-by-Teskor.exe'\" /ru \"System\" ");
}
