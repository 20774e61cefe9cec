// The start watcher against real processes under Wine: what it reports, with which
// message, in which order, and how it stops.
#include "Boostee.h"
#include "WatcherProbe.h"

#include "engine/ProcessNotify.h"
#include "framework/Handle.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace
{
using ProcessNotifyTest = WatcherTest;

DWORD WINAPI StopOnOtherThread(LPVOID watcher)
{
    return static_cast<CProcessNotify*>(watcher)->Stop();
}

// Records every difference the worker finds, and sends the reports as usual.
class RecordingNotify : public CObservableNotify
{
public:
    using CObservableNotify::CObservableNotify;
    ~RecordingNotify() override { Stop(); }

    BOOL OnProcessChange(DWORD pid, BOOL started) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_changes.emplace_back(pid, started);
        }
        return CProcessNotify::OnProcessChange(pid, started);
    }

    bool Saw(DWORD pid, BOOL started)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::find(m_changes.begin(), m_changes.end(), std::make_pair(pid, started))
               != m_changes.end();
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<DWORD, BOOL>> m_changes;
};

// Refuses the first report, which must end the worker.
class RefusingNotify : public CProcessNotify
{
public:
    using CProcessNotify::CProcessNotify;
    ~RefusingNotify() override { Stop(); }
    BOOL OnProcessChange(DWORD, BOOL) override
    {
        ++calls;
        return FALSE;
    }
    HANDLE Thread() const { return m_hThread.Get(); }
    std::atomic<int> calls{0};
};
}

TEST_F(ProcessNotifyTest, ReportExisting_EachRunningProcessOnceAscending_ThenStartsAs1131)
{
    CBoostee before;
    ASSERT_TRUE(before.Start(boostee, L"watched-before")) << "boostee.exe did not start";

    RecordingNotify watcher(realSystem);
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    // A process created while the first pass runs belongs to it.
    ASSERT_TRUE(report.PumpUntil([&] { return watcher.FirstPassDone(); }));

    CBoostee after;
    ASSERT_TRUE(after.Start(boostee, L"watched-after"));
    // The first pass is reported in full before any later start.
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_STARTED, after.Pid()); }));
    report.Destroy();
    EXPECT_TRUE(watcher.Stop());

    const std::vector<DWORD> present = report.PidsOf(WM_PROCESS_PRESENT);
    EXPECT_TRUE(std::is_sorted(present.begin(), present.end()));
    EXPECT_EQ(present.end(), std::adjacent_find(present.begin(), present.end()))
        << "a process was reported twice";
    EXPECT_EQ(1, report.Count(WM_PROCESS_PRESENT, GetCurrentProcessId()));
    EXPECT_EQ(1, report.Count(WM_PROCESS_PRESENT, before.Pid()));
    EXPECT_EQ(0, report.Count(WM_PROCESS_PRESENT, after.Pid()));
    EXPECT_EQ(1, report.Count(WM_PROCESS_STARTED, after.Pid()));
    EXPECT_EQ(0, report.Count(WM_PROCESS_STARTED, before.Pid()));
    EXPECT_EQ(0, report.Count(WM_PROCESS_STARTED, GetCurrentProcessId()));
    for (const Report& r : report.reports)
        EXPECT_EQ(1, r.lParam);
}

TEST_F(ProcessNotifyTest, NoReportExisting_ReportsOnlyLaterStarts)
{
    CBoostee before;
    ASSERT_TRUE(before.Start(boostee, L"unreported"));

    RecordingNotify watcher(realSystem);
    ASSERT_TRUE(watcher.Start(1, FALSE, report.Handle()));
    ASSERT_TRUE(report.PumpUntil([&] { return watcher.FirstPassDone(); }));
    CBoostee after;
    ASSERT_TRUE(after.Start(boostee, L"reported"));
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_STARTED, after.Pid()); }));
    report.Destroy();
    watcher.Stop();

    EXPECT_TRUE(report.PidsOf(WM_PROCESS_PRESENT).empty());
    EXPECT_EQ(0, report.Count(WM_PROCESS_STARTED, before.Pid()));
    EXPECT_EQ(0, report.Count(WM_PROCESS_STARTED, GetCurrentProcessId()));
}

TEST_F(ProcessNotifyTest, EndedProcess_PassedAsNotStartedAndNotSent)
{
    RecordingNotify watcher(realSystem);
    CBoostee app;
    ASSERT_TRUE(app.Start(boostee, L"ends-soon"));
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_PRESENT, app.Pid()); }));

    const DWORD pid = app.Pid();
    app.End();
    ASSERT_TRUE(report.PumpUntil([&] { return watcher.Saw(pid, FALSE); }));
    report.Destroy();
    watcher.Stop();

    EXPECT_EQ(1, report.Count(WM_PROCESS_PRESENT, pid));
    EXPECT_EQ(0, report.Count(WM_PROCESS_STARTED, pid));
}

TEST_F(ProcessNotifyTest, Restart_AfterStop_BeginsWithANewFirstPass)
{
    CProcessNotify watcher(realSystem);
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    const DWORD self = GetCurrentProcessId();
    ASSERT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_PRESENT, self); }));
    // Let the stop land while the worker may be sending; a send to us is let in by the
    // pump, so stop from a second thread.
    const CKernelHandle stopper(CreateThread(NULL, 0, StopOnOtherThread, &watcher, 0, NULL));
    ASSERT_TRUE(stopper);
    ASSERT_TRUE(report.PumpUntil([&] { return WaitForSingleObject(stopper.Get(), 0) == WAIT_OBJECT_0; }));
    DWORD stopped = 0;
    GetExitCodeThread(stopper.Get(), &stopped);
    EXPECT_TRUE(stopped);

    report.reports.clear();
    ASSERT_TRUE(watcher.Start(1, TRUE, report.Handle()));
    EXPECT_TRUE(report.PumpUntil([&] { return report.Has(WM_PROCESS_PRESENT, self); }));
    EXPECT_EQ(0, report.Count(WM_PROCESS_STARTED, self));
    report.Destroy();
    EXPECT_TRUE(watcher.Stop());
}

TEST(ProcessNotify, StopNeverStarted_FailsWithInvalidParameter)
{
    CWin32ProcessSystem system;
    CProcessNotify watcher(system);
    SetLastError(0);
    EXPECT_FALSE(watcher.Stop());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    SetLastError(0);
    {
        CProcessNotify neverStarted(system);
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(ProcessNotify, StopWhileWaiting_ReturnsWithoutWaitingOutTheInterval)
{
    // Before the first pass.
    CWin32ProcessSystem system;
    CProcessNotify watcher(system);
    ASSERT_TRUE(watcher.Start(10000, TRUE, NULL));
    EXPECT_TRUE(watcher.Start(1, FALSE, NULL)) << "a second Start must leave it running";
    ULONGLONG before = GetTickCount64();
    EXPECT_TRUE(watcher.Stop());
    EXPECT_LT(GetTickCount64() - before, 1000u);

    SetLastError(0);
    EXPECT_FALSE(watcher.Stop());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    // Between two passes (sends to no window fail at once).
    CObservableNotify polling(system);
    ASSERT_TRUE(polling.Start(1500, TRUE, NULL));
    ASSERT_TRUE(PollUntil([&] { return polling.FirstPassDone(); }));
    before = GetTickCount64();
    EXPECT_TRUE(polling.Stop());
    EXPECT_LT(GetTickCount64() - before, 1000u);
}

TEST(ProcessNotify, ReportRefused_WorkerEndsWithCancelled)
{
    CWin32ProcessSystem system;
    RefusingNotify watcher(system);
    ASSERT_TRUE(watcher.Start(1, TRUE, NULL));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watcher.Thread(), 20000));
    DWORD exitCode = 0;
    GetExitCodeThread(watcher.Thread(), &exitCode);
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANCELLED), exitCode);
    EXPECT_EQ(1, watcher.calls.load());
    EXPECT_TRUE(watcher.Stop());
}
