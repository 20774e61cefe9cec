// The main window: a skinned, borderless 800 x 450 dialog with three pages (Welcome,
// Engine, System). It lives for the whole run of the program and owns what runs in it.
#pragma once

#include "controls/BCMenu.h"
#include "controls/BitmapDialog.h"
#include "controls/GdipButton.h"
#include "controls/PictureBoxEx.h"
#include "endofrun/EndOfRun.h"
#include "engine/BoostEngine.h"
#include "engine/DialogBoostView.h"
#include "engine/ProcessNotify.h"
#include "engine/RealtimeValve.h"
#include "engine/ValvedProcessSystem.h"
#include "engine/Win32ProcessSystem.h"
#include "framework/Afx.h"
#include "framework/Handle.h"
#include "monitor/MonitorView.h"
#include "monitor/PerfCounters.h"
#include "monitor/SystemFacts.h"
#include "settings/LogonTaskSetUp.h"
#include "ui/WelcomeDlgTables.h"

#include <shellapi.h>

// The notification-area icon reports mouse actions with this message.
const UINT WM_TRAY_NOTIFY = WM_USER + 56;
// Posted from the thread that saw the end guard end by itself: time for a new one.
const UINT WM_END_GUARD_ENDED = WM_USER + 57;
// Timers of the main dialog, started by Start and never killed.
const UINT_PTR TIMER_GAUGES = 100;      // every second: usage texts and engine status
const UINT_PTR TIMER_FOREGROUND = 200;  // every 50 ms: the foreground cycle

class CVEXRAUIWelcomeDlg : public CBitmapDialog
{
public:
    explicit CVEXRAUIWelcomeDlg(CWnd* pParent = nullptr);
    ~CVEXRAUIWelcomeDlg() override;

    // The guard the dialog starts when it opens, replaces when it ends by itself, and
    // stands down at its orderly end; none by default (nothing is started then). Set
    // before the window is created.
    void UseEndGuard(std::unique_ptr<IEndGuard> guard);
    // Everything that ends the run: the restore, its gate, the guard, the crash restore.
    CEndOfRun& EndOfRun() { return m_endOfRun; }

    // Shows page 0 (Welcome), 1 (Engine) or 2 (System) and hides the others' controls.
    void ShowPage(int nPage);

    // The facts of the System page (computer name, edition, processor, version numbers):
    // gathered once, at the first page command, and shown again by every later one.
    void RefreshSystemInformation();
    // Gives the edition value the largest font at which its text fits the control whole.
    void FitEditionText();
    // Processor and memory usage and installed memory, once a second and on each page
    // command.
    void UpdatePerformanceTexts();

    static constexpr int kSystemStaticCount = 11;  // ids 1020 to 1030
    static constexpr int kEngineStaticCount = 10;  // ids 1032 to 1041

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // Enter, Escape, Alt+F4 and WM_CLOSE end the dialog through these.
    void OnOK() override;
    void OnCancel() override;

    void OnDestroy();
    void OnPaint();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndGuardEnded(WPARAM wParam, LPARAM lParam);

    void OnContact();
    void OnStart();
    void OnTabEngine();
    void OnTabSystem();
    LRESULT OnProcessStarted(WPARAM wParam, LPARAM lParam);
    LRESULT OnProcessPresent(WPARAM wParam, LPARAM lParam);

    // Notification area and background mode.
    void AddTrayIcon();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnTrayOpen();
    void OnTrayExit();
    void OnCloseToTray();
    DECLARE_MESSAGE_MAP()

private:
    void PlaceWindow();
    void CreateFonts();
    void LayoutControls();
    CFont* FontFor(WelcomeFont font);
    static CString ReadVersionLine();
    void AttachButtonImages();
    CGdipButton* ImageButtonFor(int nId);
    CPictureBoxEx* PictureBoxFor(int nId);
    void RunPageStep(const PageStep& step);
    void SetTabSelected(int nId, bool bSelected);
    void PlayAnimation(int nId, int nGifId);
    void ShowControl(int nId, int nCmdShow);
    void RunForegroundCycle();
    void UpdateEngineStatusText();
    void ShowTrayMenu();
    void BringToFront();
    // Every process back to the normal class, the icon removed and the end guard stood
    // down: done once, by whichever way the program ends first.
    void ReturnProcessesToNormal();
    // Once any end has begun to return the processes to normal (this dialog's, or a crash
    // restore on any thread), no report or cycle may change a priority again.
    bool IsEndUnderWay() const;
    // The guard is a copy of this program: it is neither boosted, demoted nor announced.
    bool IsEndGuardProcess(WPARAM wParam) const;

    // The dialog's unit tests read its state through this class; nothing else may.
    friend class CWelcomeDlgTestAccess;

    HICON m_hIcon;
    CFont m_fontFooter;
    CFont m_fontTitle;
    CFont m_fontSubtitle;
    CFont m_fontBody;
    CFont m_fontGaugeLabel;
    CGdiHandle<HFONT> m_fontEditionFitted;  // the edition value's font when the body font is too large

    CStatic m_stWelcome;
    CStatic m_stSlogan;
    CStatic m_stVersion;
    CStatic m_stProductYear;
    CGdipButton m_btnContact;
    CGdipButton m_btnClose;
    CGdipButton m_btnStart;
    CPictureBoxEx m_picWelcome;
    CGdipButton m_btnTabEngine;
    CGdipButton m_btnTabSystem;
    CGdipButton m_btnSystemIcon;
    CStatic m_stSystem[kSystemStaticCount];
    CGdipButton m_btnEngineIcon;
    CStatic m_stEngine[kEngineStaticCount];
    CPictureBoxEx m_picCpuGauge;
    CPictureBoxEx m_picMemGauge;

    SysInfoStrings m_astrSysInfo;  // the system facts; entries named SYSINFO_*
    CSystemFacts m_systemFacts;    // gathered once, on a thread of their own
    CPerfCounters m_perfCounters;
    int m_nCpuCounter;
    int m_nMemCounter;

    CString m_strUserName;  // the user running the program
    BCMenu m_menuTray;
    NOTIFYICONDATAW m_nid;
    bool m_bTrayIconAdded;
    CLogonTaskSetUp m_logonTaskSetUp;  // started once the window has its caption

    // The boost engine: it owns the engine's state (m_bEngineStarted, m_dwBoostedPid,
    // m_dwLastStartedPid, the started list, m_bCycleBusy) and reaches the system only
    // through m_processSystem and this window only through m_boostView; every change it
    // makes passes m_endOfRun's gate.
    CWin32ProcessSystem m_processSystem;
    CEndOfRun m_endOfRun;
    CDialogBoostView m_boostView;
    // Sets a process the program put at real-time to high when together they take every
    // processor; it sees the engine's class changes through m_valvedSystem.
    CRealtimeValve m_realtimeValve;
    CValvedProcessSystem m_valvedSystem;
    CBoostEngine m_engine;
    std::vector<DWORD> m_cycleProcessList;   // the watcher's latest list, for the cycle

    // Declared last so that it is destroyed first, in the destructor, after the window is
    // gone: a worker blocked sending to a live window would otherwise wait for this
    // thread while this thread waits for the worker.
    CProcessNotify m_processNotify;
};
