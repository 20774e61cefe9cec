#include "controls/MemDC1.h"

CMemDC1::CMemDC1(CDC* pTargetDC, const CRect& rect)
    : m_pTargetDC(pTargetDC), m_rect(rect), m_bMemDC(!pTargetDC->IsPrinting())
{
    if (m_rect.IsRectEmpty())
        pTargetDC->GetClipBox(&m_rect);

    if (!m_bMemDC) {
        Attach(pTargetDC->GetSafeHdc());
        return;
    }
    CreateCompatibleDC(pTargetDC);
    m_bitmap.CreateCompatibleBitmap(pTargetDC, m_rect.Width(), m_rect.Height());
    m_hOldBitmap = ::SelectObject(m_hDC, m_bitmap.GetSafeHandle());
    // Draw in the target's coordinates.
    ::SetWindowOrgEx(GetSafeHdc(), m_rect.left, m_rect.top, nullptr);
}

CMemDC1::~CMemDC1()
{
    if (!m_bMemDC) {
        Detach();
        return;
    }
    m_pTargetDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left,
                        m_rect.top, SRCCOPY);
    ::SelectObject(m_hDC, m_hOldBitmap);
    // The base class deletes the DC; the bitmap member is deleted after it is deselected.
}
