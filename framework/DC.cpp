#include "framework/DC.h"

#include "framework/TempObjects.h"
#include "framework/Wnd.h"

CDC::~CDC()
{
    DeleteDC();
}

BOOL CDC::Attach(HDC hDC)
{
    if (!hDC || m_hDC)
        return FALSE;
    m_hDC = hDC;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC hDC = m_hDC;
    m_hDC = nullptr;
    return hDC;
}

CDC* CDC::FromHandle(HDC hDC)
{
    if (!hDC)
        return nullptr;
    return CTempObjects<CDC, HDC>::Get(hDC, [](HDC h) {
        return std::unique_ptr<CDC>(new CBorrowedDC(h));
    });
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    DeleteDC();
    return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    if (!m_hDC || !pBitmap)
        return nullptr;
    return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, pBitmap->GetSafeHandle())));
}

CFont* CDC::SelectObject(CFont* pFont)
{
    if (!m_hDC || !pFont)
        return nullptr;
    return CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, pFont->GetSafeHandle())));
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    if (!m_hDC || !pBrush)
        return nullptr;
    return CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, pBrush->GetSafeHandle())));
}

CPen* CDC::SelectObject(CPen* pPen)
{
    if (!m_hDC || !pPen)
        return nullptr;
    return CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, pPen->GetSafeHandle())));
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                 DWORD dwRop)
{
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc,
                    ySrc, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, DWORD dwRop)
{
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc,
                        ySrc, nSrcWidth, nSrcHeight, dwRop);
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush)
{
    if (lpRect && pBrush)
        ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->GetSafeHandle()));
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr)
{
    if (!lpRect)
        return;
    // An opaque ExtTextOut with no text fills with the background colour and needs no
    // brush; the DC's background colour is given back afterwards.
    const COLORREF previous = ::SetBkColor(m_hDC, clr);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr)
{
    const RECT rc = { x, y, x + cx, y + cy };
    FillSolidRect(&rc, clr);
}

int CDC::SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
COLORREF CDC::SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat)
{
    return ::DrawTextW(m_hDC, str.GetString(), str.GetLength(), lpRect, nFormat);
}

int CDC::GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }
int CDC::GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }

BOOL CDC::DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags)
{
    return ::DrawEdge(m_hDC, lpRect, nEdge, nFlags);
}

BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }

BOOL CDC::Ellipse(LPCRECT lpRect)
{
    return lpRect ? ::Ellipse(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom)
                  : FALSE;
}

BOOL CDC::LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
BOOL CDC::DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    if (m_hWnd)
        Attach(::BeginPaint(m_hWnd, &m_ps));
}

// EndPaint gives the DC back; the base class must not delete it as well.
CPaintDC::~CPaintDC()
{
    HDC hDC = Detach();
    if (m_hWnd && hDC)
        ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    if (HDC hDC = Detach())
        ::ReleaseDC(m_hWnd, hDC);
}
