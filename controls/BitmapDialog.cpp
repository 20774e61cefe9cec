#include "controls/BitmapDialog.h"

#include "framework/Handle.h"

BEGIN_MESSAGE_MAP(CBitmapDialog, CDialogEx)
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CBitmapDialog::CBitmapDialog(UINT nIDTemplate, CWnd* pParent)
    : CDialogEx(nIDTemplate, pParent),
      m_hHollowBrush(static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)))
{
}

CBitmapDialog::~CBitmapDialog()
{
    ReleaseSkin();
}

void CBitmapDialog::ReleaseSkin()
{
    // The CBitmap owns its GDI bitmap and deletes it with itself.
    m_pSkinBitmap.reset();
    m_bOwnsSkin = FALSE;
    m_bHasSkin = FALSE;
}

BOOL CBitmapDialog::LoadSkinBitmap(UINT nIDResource)
{
    ReleaseSkin();
    m_pSkinBitmap = std::make_unique<CBitmap>();
    if (!m_pSkinBitmap->LoadBitmap(nIDResource))
    {
        m_pSkinBitmap.reset();
        return FALSE;
    }
    // No invalidation: the skin shows with the next background erase.
    m_bOwnsSkin = TRUE;
    m_bHasSkin = TRUE;
    return TRUE;
}

BOOL CBitmapDialog::OnEraseBkgnd(CDC* pDC)
{
    if (!m_bHasSkin)
        return CDialogEx::OnEraseBkgnd(pDC);

    CRect rcClient;
    GetClientRect(&rcClient);

    const COwned<CCreatedDCTraits> memDC(::CreateCompatibleDC(pDC->GetSafeHdc()));
    const CGdiSelection selection(memDC.Get(), m_pSkinBitmap->GetSafeHandle());

    BITMAP bm = {};
    m_pSkinBitmap->GetBitmap(&bm);
    // The skin always fills the client area exactly, scaled if its size differs.
    ::StretchBlt(pDC->GetSafeHdc(), 0, 0, rcClient.Width(), rcClient.Height(), memDC.Get(), 0, 0,
                 bm.bmWidth, bm.bmHeight, SRCCOPY);
    return TRUE;
}

void CBitmapDialog::OnLButtonDown(UINT nFlags, CPoint point)
{
    Default();
    // Posted, not sent: the system's caption-drag loop then runs after this handler has
    // returned, and the window follows the mouse until the button is released.
    if (m_bDragAnywhere)
        PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

HBRUSH CBitmapDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    HBRUSH hbr = CDialogEx::OnCtlColor(pDC, pWnd, nCtlColor);
    if (m_bTransparentControls && (nCtlColor == CTLCOLOR_STATIC || nCtlColor == CTLCOLOR_DLG))
    {
        pDC->SetBkMode(TRANSPARENT);
        return m_hHollowBrush;
    }
    return hbr;
}
