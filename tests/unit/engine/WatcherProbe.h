// Test-side counterparts of the start watcher under Wine: the window its reports go
// to, and a watcher that tells when its first pass is over.
#pragma once

#include "Boostee.h"

#include "engine/ProcessNotify.h"
#include "engine/Win32ProcessSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

struct Report
{
    UINT message;
    DWORD pid;
    LPARAM lParam;
};

// A message-only window that records the watcher's reports, and the pump that lets
// them in (SendMessageW from the worker is delivered while this thread pumps).
class ReportWindow
{
public:
    ReportWindow()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(NULL);
        windowClass.lpszClassName = L"VexraReportWindow";
        RegisterClassW(&windowClass);
        m_hWnd = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0,
                                 HWND_MESSAGE, NULL, windowClass.hInstance, this);
    }
    ~ReportWindow() { Destroy(); }

    HWND Handle() const { return m_hWnd; }

    // The watcher's worker may be blocked sending to us: destroy the window before
    // stopping it, as the dialog does.
    void Destroy()
    {
        if (m_hWnd != NULL)
            DestroyWindow(m_hWnd);
        m_hWnd = NULL;
    }

    template <typename Done>
    bool PumpUntil(Done done, DWORD timeoutMs = 20000)
    {
        return PollUntil([&] {
            MSG message;
            while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            return done();
        }, timeoutMs);
    }

    bool Has(UINT message, DWORD pid) const { return Count(message, pid) > 0; }
    int Count(UINT message, DWORD pid) const
    {
        return static_cast<int>(std::count_if(reports.begin(), reports.end(),
            [&](const Report& r) { return r.message == message && r.pid == pid; }));
    }
    std::vector<DWORD> PidsOf(UINT message) const
    {
        std::vector<DWORD> pids;
        for (const Report& r : reports)
        {
            if (r.message == message)
                pids.push_back(r.pid);
        }
        return pids;
    }

    std::vector<Report> reports;
    // What the window does with a report beyond recording it (the dialog's handlers).
    std::function<LRESULT(UINT, WPARAM, LPARAM)> onReport;

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
        {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hWnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ReportWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (self != nullptr && (message == WM_PROCESS_PRESENT || message == WM_PROCESS_STARTED))
        {
            self->reports.push_back({message, static_cast<DWORD>(wParam), lParam});
            return self->onReport ? self->onReport(message, wParam, lParam) : 0;
        }
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }

    HWND m_hWnd = NULL;
};

// Tells when the worker has begun its second pass: every process started from then on
// is reported as a start, never as present.
class CObservableNotify : public CProcessNotify
{
public:
    explicit CObservableNotify(IProcessSystem& system) : CProcessNotify(system) {}
    ~CObservableNotify() override { Stop(); }
    bool FirstPassDone() const
    {
        return m_bFirstPassDone;
    }
};

// Tests of the watcher against copies of the windowed helper: where the helper is, and
// the window the reports go to.
class WatcherTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (HelpersFolder().empty())
            GTEST_SKIP() << "VEXRA_BUILD_DIR is not set: boostee.exe cannot be found";
        boostee = HelpersFolder() + L"\\boostee.exe";
        ASSERT_TRUE(report.Handle() != NULL);
    }

    std::wstring boostee;
    ReportWindow report;
    CWin32ProcessSystem realSystem;
};
