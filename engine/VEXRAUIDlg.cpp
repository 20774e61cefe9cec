#include "engine/VEXRAUIDlg.h"

#include <cwchar>

#include "res/resource.h"

namespace {

constexpr int kPopupWidth = 350;
constexpr int kPopupHeight = 120;
constexpr int kRightMargin = 360;  // from the full-screen width to the popup's left edge
constexpr int kBottomMargin = 100; // from the full-screen height to the popup's top edge
constexpr int kTextLeft = 98;
constexpr int kLine1Top = 13;
constexpr int kLine2Top = 51;
constexpr int kLineWidth = 250;
constexpr int kLineHeight = 36;

} // namespace

BEGIN_MESSAGE_MAP(CVEXRAUIDlg, CBitmapDialog)
    ON_WM_TIMER()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CVEXRAUIDlg::CVEXRAUIDlg(CWnd* pParent) : CBitmapDialog(IDD_POPUP, pParent), m_pOwner(pParent) {}

BOOL CVEXRAUIDlg::Open(const CString& strLine1, const CString& strLine2)
{
    m_strLine1 = strLine1;
    m_strLine2 = strLine2;
    if (!Create(IDD_POPUP, m_pOwner))
        return FALSE;
    ShowWindow(SW_SHOWNOACTIVATE);
    return TRUE;
}

void CVEXRAUIDlg::DoDataExchange(CDataExchange* pDX)
{
    CBitmapDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_POPUP_LINE1, m_staticLine1);
    DDX_Control(pDX, IDC_POPUP_LINE2, m_staticLine2);
}

BOOL CVEXRAUIDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    m_bOwnsItself = true;
    LoadSkinBitmap(IDB_SKIN_POPUP);

    // Ten pixels in from the right of the full-screen area, just above its bottom.
    SetWindowPos(&CWnd::wndTopMost, GetSystemMetrics(SM_CXFULLSCREEN) - kRightMargin,
                 GetSystemMetrics(SM_CYFULLSCREEN) - kBottomMargin, kPopupWidth, kPopupHeight,
                 SWP_NOACTIVATE);

    CreateTextFont();
    m_staticLine1.SetFont(&m_fontText);
    m_staticLine2.SetFont(&m_fontText);
    m_staticLine1.MoveWindow(kTextLeft, kLine1Top, kLineWidth, kLineHeight);
    m_staticLine2.MoveWindow(kTextLeft, kLine2Top, kLineWidth, kLineHeight);
    m_staticLine1.SetWindowText(m_strLine1);
    m_staticLine2.SetWindowText(m_strLine2);
    m_staticLine1.ShowWindow(SW_SHOW);
    m_staticLine2.ShowWindow(SW_SHOW);

    SetTimer(TIMER_POPUP_CLOSE, m_nCloseDelayMs, nullptr);
    // The notice must not take the front: the application it announces was just boosted
    // because it is in front, and the next foreground cycle would boost this program
    // instead and lower that application. Shown without activation, and FALSE keeps the
    // dialog manager from giving it the keyboard focus.
    ShowWindow(SW_SHOWNOACTIVATE);
    return FALSE;
}

void CVEXRAUIDlg::CreateTextFont()
{
    LOGFONTW logFont = {};
    if (CFont* pDialogFont = GetFont())
        pDialogFont->GetLogFont(&logFont);
    wcsncpy(logFont.lfFaceName, L"Rockwell", LF_FACESIZE - 1);
    logFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
    logFont.lfHeight = -16;
    logFont.lfWeight = 500;
    m_fontText.CreateFontIndirect(&logFont);
}

void CVEXRAUIDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == TIMER_POPUP_CLOSE)
    {
        KillTimer(TIMER_POPUP_CLOSE);
        // The window's end deletes this object: nothing may touch it afterwards.
        DestroyWindow();
        return;
    }
    CBitmapDialog::OnTimer(nIDEvent);
}

HBRUSH CVEXRAUIDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH hBrush = CBitmapDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor == CTLCOLOR_STATIC)
        pDC->SetTextColor(RGB(255, 255, 255));
    return hBrush;
}

void CVEXRAUIDlg::PostNcDestroy()
{
    CBitmapDialog::PostNcDestroy();
    if (m_bOwnsItself)
        delete this;
}

HWND ShowNotifyPopup(CWnd* pParent, const CString& strLine1, const CString& strLine2, UINT nCloseDelayMs)
{
    auto* pPopup = new CVEXRAUIDlg(pParent);
    pPopup->m_nCloseDelayMs = nCloseDelayMs;
    if (!pPopup->Open(strLine1, strLine2))
    {
        delete pPopup;
        return nullptr;
    }
    return pPopup->GetSafeHwnd();
}
