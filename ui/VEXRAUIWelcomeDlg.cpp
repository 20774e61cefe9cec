#include "ui/VEXRAUIWelcomeDlg.h"

#include "controls/SkinRepaint.h"
#include "engine/VEXRAUIDlg.h"
#include "engine/WatchPace.h"
#include "monitor/PerformanceTexts.h"
#include "monitor/SystemInformation.h"
#include "monitor/Version.h"
#include "res/resource.h"
#include "ui/DesktopShellOpen.h"
#include "ui/FittingFont.h"
#include "ui/VersionLine.h"

#include <shellapi.h>

namespace
{
const wchar_t kWindowTitle[] = L"Vexra";  // a second start finds the window by it
const wchar_t kFontFace[] = L"Rockwell";
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 450;
// The window sits a little above the middle of the screen.
constexpr int kWindowLift = 20;
constexpr DWORD kUserNameLength = 1024;
// The maker's contact page, opened by the contact button.
const wchar_t kContactPageUrl[] = L"https://www.teskor.com/contact/";
const wchar_t kEngineStatusText[] = L"Processing";
const wchar_t kBackgroundLine1[] = L"Vexra is running in Background click the";
const wchar_t kBackgroundLine2[] = L"VEXRA icon in system tray to restore";
constexpr UINT kTrayIconId = 128;
constexpr UINT kGaugesPeriodMs = 1000;
constexpr UINT kForegroundPeriodMs = 50;
}  // namespace

BEGIN_MESSAGE_MAP(CVEXRAUIWelcomeDlg, CBitmapDialog)
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_CLOSE, &CVEXRAUIWelcomeDlg::OnCloseToTray)
    ON_BN_CLICKED(IDC_CONTACT, &CVEXRAUIWelcomeDlg::OnContact)
    ON_BN_CLICKED(IDC_START, &CVEXRAUIWelcomeDlg::OnStart)
    ON_BN_CLICKED(IDC_TAB_ENGINE, &CVEXRAUIWelcomeDlg::OnTabEngine)
    ON_BN_CLICKED(IDC_TAB_SYSTEM, &CVEXRAUIWelcomeDlg::OnTabSystem)
    ON_MESSAGE(WM_PROCESS_STARTED, &CVEXRAUIWelcomeDlg::OnProcessStarted)
    ON_MESSAGE(WM_PROCESS_PRESENT, &CVEXRAUIWelcomeDlg::OnProcessPresent)
    ON_WM_TIMER()
    ON_COMMAND(ID_TRAY_EXIT, &CVEXRAUIWelcomeDlg::OnTrayExit)
    ON_COMMAND(ID_TRAY_OPEN, &CVEXRAUIWelcomeDlg::OnTrayOpen)
    ON_MESSAGE(WM_TRAY_NOTIFY, &CVEXRAUIWelcomeDlg::OnTrayNotify)
    ON_WM_LBUTTONDOWN()
    ON_MESSAGE(WM_ENDSESSION, &CVEXRAUIWelcomeDlg::OnEndSession)
    ON_MESSAGE(WM_END_GUARD_ENDED, &CVEXRAUIWelcomeDlg::OnEndGuardEnded)
END_MESSAGE_MAP()

CVEXRAUIWelcomeDlg::CVEXRAUIWelcomeDlg(CWnd* pParent)
    : CBitmapDialog(IDD_VEXRAUI_DIALOG, pParent),
      m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_systemFacts(std::make_shared<CWmiSystemFactsSource>()),
      m_nCpuCounter(-1),
      m_nMemCounter(-1),
      m_nid(),
      m_bTrayIconAdded(false),
      m_endOfRun(m_processSystem),
      m_realtimeValve(m_processSystem, m_boostView, m_endOfRun),
      m_valvedSystem(m_processSystem, m_realtimeValve),
      m_engine(m_valvedSystem, m_boostView, m_endOfRun),
      m_processNotify(m_processSystem)
{
}

// The shared resource icon is not destroyed; the fonts go with their members.
CVEXRAUIWelcomeDlg::~CVEXRAUIWelcomeDlg()
{
    // OnDestroy returns every process to normal: it must run while this object is whole.
    if (GetSafeHwnd())
        DestroyWindow();
}

void CVEXRAUIWelcomeDlg::DoDataExchange(CDataExchange* pDX)
{
    CBitmapDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WELCOME, m_stWelcome);
    DDX_Control(pDX, IDC_SLOGAN, m_stSlogan);
    DDX_Control(pDX, IDC_VERSION, m_stVersion);
    DDX_Control(pDX, IDC_PRODUCT_YEAR, m_stProductYear);
    DDX_Control(pDX, IDC_CONTACT, m_btnContact);
    DDX_Control(pDX, IDC_CLOSE, m_btnClose);
    DDX_Control(pDX, IDC_START, m_btnStart);
    DDX_Control(pDX, IDC_WELCOME_ANIMATION, m_picWelcome);
    DDX_Control(pDX, IDC_TAB_ENGINE, m_btnTabEngine);
    DDX_Control(pDX, IDC_TAB_SYSTEM, m_btnTabSystem);
    DDX_Control(pDX, IDC_SYSTEM_ICON, m_btnSystemIcon);
    for (int i = 0; i < kSystemStaticCount; ++i)
        DDX_Control(pDX, IDC_SYSTEM_FIRST + i, m_stSystem[i]);
    DDX_Control(pDX, IDC_ENGINE_ICON, m_btnEngineIcon);
    for (int i = 0; i < kEngineStaticCount; ++i)
        DDX_Control(pDX, IDC_ENGINE_FIRST + i, m_stEngine[i]);
    DDX_Control(pDX, IDC_CPU_GAUGE, m_picCpuGauge);
    DDX_Control(pDX, IDC_MEMORY_GAUGE, m_picMemGauge);
}

BOOL CVEXRAUIWelcomeDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    // Before the watcher: the guard's id must be known before its first report.
    m_endOfRun.StartGuard();

    wchar_t szUser[kUserNameLength] = {};
    DWORD nLength = kUserNameLength;
    if (::GetUserNameW(szUser, &nLength))
        m_strUserName = szUser;
    m_engine.SetUserName(m_strUserName);

    m_boostView.SetDialogWindow(m_hWnd);
    m_boostView.SetPopupHandler([this](const CString& strLine1, const CString& strLine2) {
        ShowNotifyPopup(this, strLine1, strLine2);
    });
    StartIdleWatch(m_processNotify, m_hWnd);

    PlaceWindow();
    SetWindowText(kWindowTitle);
    // Only now: the window is found by its caption while the task tool runs.
    m_logonTaskSetUp.Start();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    LoadSkinBitmap(IDB_SKIN_MAIN);
    m_bDragAnywhere = TRUE;

    OpenPerformanceCounters(m_perfCounters, m_nCpuCounter, m_nMemCounter);

    CreateFonts();
    LayoutControls();
    ShowPage(PAGE_WELCOME);
    m_menuTray.LoadMenu(IDR_MENU_TRAY);

    // Hidden, minimised, then shown normally: the window comes up activated and on the
    // taskbar although the template is created invisible.
    ShowWindow(SW_HIDE);
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_SHOWNORMAL);

    // Last: the icon exists from the first moment the window is seen until the end.
    AddTrayIcon();
    return TRUE;
}

void CVEXRAUIWelcomeDlg::UseEndGuard(std::unique_ptr<IEndGuard> guard)
{
    m_endOfRun.UseGuard(std::move(guard), [this] {
        // On the thread that saw the guard end: the window thread starts the new one,
        // so that no watcher report is handled before the new guard's id is known.
        const HWND hWnd = GetSafeHwnd();
        if (hWnd != nullptr)
            ::PostMessageW(hWnd, WM_END_GUARD_ENDED, 0, 0);
    });
}

LRESULT CVEXRAUIWelcomeDlg::OnEndGuardEnded(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    if (!IsEndUnderWay())
        m_endOfRun.RestartGuard(::GetTickCount64());
    return 0;
}

void CVEXRAUIWelcomeDlg::PlaceWindow()
{
    // Centred on the full-screen work area and a little higher; on a screen smaller than
    // the window the position goes negative and the window hangs off the edge.
    const int x = (::GetSystemMetrics(SM_CXFULLSCREEN) - kWindowWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYFULLSCREEN) - kWindowHeight) / 2 - kWindowLift;
    SetWindowPos(&CWnd::wndTopMost, x, y, kWindowWidth, kWindowHeight, 0);
}

void CVEXRAUIWelcomeDlg::CreateFonts()
{
    // All fonts derive from the template's font: Rockwell, medium weight, pixel heights
    // that do not follow the screen's DPI.
    LOGFONTW logFont = {};
    HFONT hDialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT, 0, 0));
    ::GetObjectW(hDialogFont, sizeof(logFont), &logFont);
    wcsncpy(logFont.lfFaceName, kFontFace, LF_FACESIZE - 1);
    logFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
    logFont.lfWeight = FW_MEDIUM;

    for (std::size_t i = 0; i < kWelcomeFontHeightCount; ++i)
    {
        logFont.lfHeight = kWelcomeFontHeights[i].lfHeight;
        FontFor(kWelcomeFontHeights[i].font)->CreateFontIndirect(&logFont);
    }
}

CFont* CVEXRAUIWelcomeDlg::FontFor(WelcomeFont font)
{
    switch (font)
    {
    case WelcomeFont::Footer:
        return &m_fontFooter;
    case WelcomeFont::Title:
        return &m_fontTitle;
    case WelcomeFont::Subtitle:
        return &m_fontSubtitle;
    case WelcomeFont::Body:
        return &m_fontBody;
    case WelcomeFont::GaugeLabel:
        return &m_fontGaugeLabel;
    case WelcomeFont::None:
        break;
    }
    return nullptr;
}

void CVEXRAUIWelcomeDlg::LayoutControls()
{
    // Places every control; none is shown here: each page shows its own.
    for (std::size_t i = 0; i < kWelcomeControlPlacementCount; ++i)
    {
        const WelcomeControlPlacement& placement = kWelcomeControlPlacements[i];
        CWnd* pControl = GetDlgItem(placement.nId);
        if (pControl == nullptr)
            continue;
        pControl->MoveWindow(placement.x, placement.y, placement.cx, placement.cy, TRUE);

        switch (placement.text)
        {
        case WelcomeText::Fixed:
            pControl->SetWindowText(placement.pszText);
            break;
        case WelcomeText::VersionLine:
            pControl->SetWindowText(ReadVersionLine());
            break;
        case WelcomeText::None:
            break;
        }
        if (CFont* pFont = FontFor(placement.font))
            pControl->SetFont(pFont, TRUE);
    }
    AttachButtonImages();
}

CString CVEXRAUIWelcomeDlg::ReadVersionLine()
{
    CVersion version;  // the program's own executable
    // Without a readable record there is no version to show: the line stays empty
    // rather than showing 0.0.0.0.
    if (!version.ReadVersionInfo())
        return CString();
    return MakeVersionLine(version.m_wFileVersion, version.m_strBuildDate);
}

void CVEXRAUIWelcomeDlg::AttachButtonImages()
{
    for (std::size_t i = 0; i < kWelcomeButtonImageCount; ++i)
    {
        const WelcomeButtonImages& images = kWelcomeButtonImages[i];
        CGdipButton* pButton = ImageButtonFor(images.nId);
        if (pButton == nullptr)
            continue;
        pButton->LoadNormalImage(images.nNormal);
        pButton->LoadAlternateImage(images.nAlternate);
        pButton->LoadHoverImage(images.nHover);
        pButton->LoadDisabledImage(images.nDisabled);
    }
}

CGdipButton* CVEXRAUIWelcomeDlg::ImageButtonFor(int nId)
{
    switch (nId)
    {
    case IDC_CONTACT:
        return &m_btnContact;
    case IDC_CLOSE:
        return &m_btnClose;
    case IDC_START:
        return &m_btnStart;
    case IDC_TAB_ENGINE:
        return &m_btnTabEngine;
    case IDC_TAB_SYSTEM:
        return &m_btnTabSystem;
    case IDC_SYSTEM_ICON:
        return &m_btnSystemIcon;
    case IDC_ENGINE_ICON:
        return &m_btnEngineIcon;
    default:
        return nullptr;
    }
}

CPictureBoxEx* CVEXRAUIWelcomeDlg::PictureBoxFor(int nId)
{
    switch (nId)
    {
    case IDC_WELCOME_ANIMATION:
        return &m_picWelcome;
    case IDC_CPU_GAUGE:
        return &m_picCpuGauge;
    case IDC_MEMORY_GAUGE:
        return &m_picMemGauge;
    default:
        return nullptr;
    }
}

void CVEXRAUIWelcomeDlg::ShowPage(int nPage)
{
    std::size_t nCount = 0;
    const PageStep* pSteps = GetPageSteps(nPage, nCount);
    for (std::size_t i = 0; i < nCount; ++i)
        RunPageStep(pSteps[i]);
}

void CVEXRAUIWelcomeDlg::RunPageStep(const PageStep& step)
{
    switch (step.action)
    {
    case PageAction::Show:
        for (int nId = step.nFirstId; nId <= step.nLastId; ++nId)
            ShowControl(nId, SW_SHOW);
        break;
    case PageAction::Hide:
        for (int nId = step.nFirstId; nId <= step.nLastId; ++nId)
            ShowControl(nId, SW_HIDE);
        break;
    case PageAction::SelectTab:
        SetTabSelected(step.nFirstId, true);
        break;
    case PageAction::DeselectTab:
        SetTabSelected(step.nFirstId, false);
        break;
    case PageAction::PlayGif:
        PlayAnimation(step.nFirstId, step.nGifId);
        break;
    }
}

void CVEXRAUIWelcomeDlg::SetTabSelected(int nId, bool bSelected)
{
    CGdipButton* pTab = ImageButtonFor(nId);
    if (pTab == nullptr)
        return;
    // The selected tab shows its selected face in every state, so hovering and pressing
    // it change nothing on screen.
    pTab->SetAlternateState(bSelected ? 2 : 0);
    pTab->SetDisabledLook(bSelected ? TRUE : FALSE);
    pTab->InvalidateRect(nullptr, TRUE);
}

void CVEXRAUIWelcomeDlg::PlayAnimation(int nId, int nGifId)
{
    CPictureBoxEx* pBox = PictureBoxFor(nId);
    if (pBox == nullptr)
        return;
    // Loading again restarts the animation from its first frame. The box is shown even
    // when the load failed: it stays empty.
    if (pBox->LoadFromResource(nGifId))
        pBox->Play();
    pBox->ShowWindow(SW_SHOW);
}

void CVEXRAUIWelcomeDlg::ShowControl(int nId, int nCmdShow)
{
    if (CWnd* pControl = GetDlgItem(nId))
        pControl->ShowWindow(nCmdShow);
}

void CVEXRAUIWelcomeDlg::RefreshSystemInformation()
{
    CDialogMonitorView view(m_hWnd);
    ::RefreshSystemInformation(view, m_astrSysInfo, m_systemFacts);
    FitEditionText();
}

void CVEXRAUIWelcomeDlg::FitEditionText()
{
    CWnd* pEdition = GetDlgItem(IDC_SYSTEM_EDITION_VALUE);
    if (pEdition == nullptr || m_fontBody.GetSafeHandle() == nullptr)
        return;
    CString strText;
    pEdition->GetWindowText(strText);
    CRect client;
    pEdition->GetClientRect(&client);
    LOGFONTW logFont = {};
    m_fontBody.GetLogFont(&logFont);
    const long bodyHeight = logFont.lfHeight;

    // Measured as the static draws it: wrapped between words at the control's width.
    CClientDC dc(pEdition);
    const auto wrappedHeightAt = [&](long lfHeight) {
        logFont.lfHeight = lfHeight;
        const CGdiHandle<HFONT> font(::CreateFontIndirectW(&logFont));
        const CGdiSelection selection(dc.GetSafeHdc(), font.Get());
        CRect bounds(0, 0, client.Width(), 0);
        dc.DrawText(strText, &bounds, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        return bounds.Height();
    };
    const long lfHeight = ChooseFittingFontHeight(kEditionFontHeights, kEditionFontHeightCount,
                                                  client.Height(), wrappedHeightAt);
    if (lfHeight == bodyHeight)
    {
        pEdition->SetFont(&m_fontBody, TRUE);
        m_fontEditionFitted.Reset();
    }
    else
    {
        // The control lets go of the old fitted font before that is deleted.
        logFont.lfHeight = lfHeight;
        CGdiHandle<HFONT> fitted(::CreateFontIndirectW(&logFont));
        ::SendMessageW(pEdition->GetSafeHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(fitted.Get()), TRUE);
        m_fontEditionFitted = std::move(fitted);
    }
    // The text is transparent: the skin under it is painted again with it.
    CDialogMonitorView(m_hWnd).InvalidateControlArea(IDC_SYSTEM_EDITION_VALUE);
}

void CVEXRAUIWelcomeDlg::UpdatePerformanceTexts()
{
    CDialogMonitorView view(m_hWnd);
    ::UpdatePerformanceTexts(view, m_perfCounters, m_nCpuCounter, m_nMemCounter, m_astrSysInfo);
}

void CVEXRAUIWelcomeDlg::OnContact()
{
    // The browser must run as the signed-in user, not with this program's rights.
    CWin32DesktopShell shell;
    OpenAsDesktopUser(shell, kContactPageUrl);
}

void CVEXRAUIWelcomeDlg::OnStart()
{
    SpeedUpWatch(m_processNotify);

    // From now on started processes are boosted at once and the cycle runs; nothing
    // stops the engine again until the program ends.
    m_engine.Start();
    RefreshSystemInformation();
    UpdatePerformanceTexts();
    ShowPage(PAGE_ENGINE);
    SetTimer(TIMER_GAUGES, kGaugesPeriodMs, nullptr);
    SetTimer(TIMER_FOREGROUND, kForegroundPeriodMs, nullptr);
}

void CVEXRAUIWelcomeDlg::OnTabEngine()
{
    RefreshSystemInformation();
    UpdatePerformanceTexts();
    ShowPage(PAGE_ENGINE);
}

void CVEXRAUIWelcomeDlg::OnTabSystem()
{
    RefreshSystemInformation();
    UpdatePerformanceTexts();
    ShowPage(PAGE_SYSTEM);
}

bool CVEXRAUIWelcomeDlg::IsEndUnderWay() const
{
    return m_endOfRun.HasRestoreBegun();
}

bool CVEXRAUIWelcomeDlg::IsEndGuardProcess(WPARAM wParam) const
{
    return m_endOfRun.IsEndGuardProcess(static_cast<DWORD>(wParam));
}

// Once the program has begun to end and has put every process back to normal, a report
// the watcher sends meanwhile (it arrives whenever this thread waits on another, as while
// the icon is removed) must not raise or lower anything again.
LRESULT CVEXRAUIWelcomeDlg::OnProcessStarted(WPARAM wParam, LPARAM lParam)
{
    if (IsEndUnderWay() || IsEndGuardProcess(wParam))
        return 0;
    return m_engine.OnProcessStarted(static_cast<DWORD>(wParam));
}

LRESULT CVEXRAUIWelcomeDlg::OnProcessPresent(WPARAM wParam, LPARAM lParam)
{
    if (IsEndUnderWay() || IsEndGuardProcess(wParam))
        return 0;
    return m_engine.OnProcessPresent(static_cast<DWORD>(wParam));
}

void CVEXRAUIWelcomeDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == TIMER_FOREGROUND)
    {
        // After the end of the session the loop still runs until the process is ended;
        // the processes put back to normal stay so.
        if (!IsEndUnderWay())
            RunForegroundCycle();
    }
    else if (nIDEvent == TIMER_GAUGES)
    {
        UpdatePerformanceTexts();
        UpdateEngineStatusText();
        // A guard that ended when the minute's restarts were used up is replaced later.
        if (m_endOfRun.IsGuardMissing())
            m_endOfRun.RestartGuard(::GetTickCount64());
    }
    CBitmapDialog::OnTimer(nIDEvent);
}

void CVEXRAUIWelcomeDlg::RunForegroundCycle()
{
    // The watcher reads the process list every millisecond anyway; reading it once more
    // here would double what the engine costs on a machine with hundreds of processes.
    if (m_processNotify.CopyLatestList(m_cycleProcessList))
        m_engine.RunForegroundCycle(
            {m_cycleProcessList.data(), static_cast<DWORD>(m_cycleProcessList.size())});
    else
        m_engine.RunForegroundCycle();
    m_realtimeValve.RunCycle();
}

void CVEXRAUIWelcomeDlg::UpdateEngineStatusText()
{
    CWnd* pStatus = GetDlgItem(IDC_ENGINE_STATUS);
    if (pStatus == nullptr)
        return;
    CString strText;
    pStatus->GetWindowText(strText);
    if (strText == kEngineStatusText)
        return;
    pStatus->SetWindowText(kEngineStatusText);
    RepaintSkinUnder(m_hWnd, pStatus->GetSafeHwnd());
}

void CVEXRAUIWelcomeDlg::AddTrayIcon()
{
    m_nid.cbSize = sizeof(NOTIFYICONDATAW);
    m_nid.hWnd = m_hWnd;
    m_nid.uID = kTrayIconId;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
    m_nid.hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    wcsncpy(m_nid.szTip, kWindowTitle, ARRAYSIZE(m_nid.szTip) - 1);
    m_bTrayIconAdded = ::Shell_NotifyIconW(NIM_ADD, &m_nid) != FALSE;
}

LRESULT CVEXRAUIWelcomeDlg::OnTrayNotify(WPARAM /*wParam*/, LPARAM lParam)
{
    switch (static_cast<UINT>(lParam))
    {
    case WM_LBUTTONDBLCLK:
        BringToFront();
        break;
    case WM_RBUTTONUP:
        ShowTrayMenu();
        break;
    default:
        break;  // single clicks and moves do nothing
    }
    return 1;
}

void CVEXRAUIWelcomeDlg::ShowTrayMenu()
{
    CPoint point;
    ::GetCursorPos(&point);
    // Our window must be in front while the menu is open, or the menu would not close
    // when the user clicks elsewhere.
    SetForegroundWindow();
    if (CMenu* pPopup = m_menuTray.GetSubMenu(0))
        pPopup->TrackPopupMenu(TPM_RIGHTALIGN, point.x, point.y, this);
    // Lets the menu's modal loop notice that it is over (the documented work-around).
    PostMessage(WM_NULL, 0, 0);
}

void CVEXRAUIWelcomeDlg::BringToFront()
{
    ShowWindow(SW_SHOWNORMAL);
    SetForegroundWindow();
}

void CVEXRAUIWelcomeDlg::OnTrayOpen()
{
    BringToFront();
}

void CVEXRAUIWelcomeDlg::OnTrayExit()
{
    ReturnProcessesToNormal();
    EndDialog(IDOK);
}

void CVEXRAUIWelcomeDlg::OnCloseToTray()
{
    // The window goes; the dialog, its timers and the watcher keep running.
    ShowWindow(SW_HIDE);
    ShowNotifyPopup(this, kBackgroundLine1, kBackgroundLine2);
}

void CVEXRAUIWelcomeDlg::ReturnProcessesToNormal()
{
    m_endOfRun.RestoreAtOrderlyEnd();
    if (m_bTrayIconAdded)
    {
        m_bTrayIconAdded = false;
        ::Shell_NotifyIconW(NIM_DELETE, &m_nid);
    }
    // Last: should the program be ended from outside before this, the guard still
    // restores.
    m_endOfRun.StandDownGuard();
}

// However the dialog ends, no process may stay in real-time or below-normal after the
// program is gone, and the icon goes with it.
void CVEXRAUIWelcomeDlg::OnOK()
{
    ReturnProcessesToNormal();
    CBitmapDialog::OnOK();
}

void CVEXRAUIWelcomeDlg::OnCancel()
{
    ReturnProcessesToNormal();
    CBitmapDialog::OnCancel();
}

LRESULT CVEXRAUIWelcomeDlg::OnEndSession(WPARAM wParam, LPARAM /*lParam*/)
{
    // The session ends (the system ends the process right after this message), or the
    // Restart Manager closes the program, as installers have it do (ENDSESSION_CLOSEAPP
    // with TRUE). FALSE means the end was called off, whoever asked: the program runs on.
    if (wParam != FALSE)
    {
        ReturnProcessesToNormal();
        EndDialog(IDOK);
    }
    return 0;
}

void CVEXRAUIWelcomeDlg::OnDestroy()
{
    ReturnProcessesToNormal();
    CBitmapDialog::OnDestroy();
}

void CVEXRAUIWelcomeDlg::OnPaint()
{
    if (!IsIconic())
    {
        // The skin is painted by the background erase.
        CBitmapDialog::OnPaint();
        return;
    }

    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - cxIcon + 1) / 2;
    const int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HBRUSH CVEXRAUIWelcomeDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    // The base gives statics the transparent background over the skin.
    HBRUSH hbr = CBitmapDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    COLORREF colour = 0;
    if (nCtlColor == CTLCOLOR_STATIC && pWnd != nullptr &&
        LookUpStaticTextColour(pWnd->GetDlgCtrlID(), colour))
        pDC->SetTextColor(colour);
    return hbr;
}
