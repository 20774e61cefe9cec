#include "controls/MemDC1.h"

CMemDC1::CMemDC1(CDC* pTargetDC, const CRect& rect)
    : m_hTargetDC(pTargetDC->GetSafeHdc()), m_rect(rect), m_bMemDC(!pTargetDC->IsPrinting())
{
    if (m_rect.IsRectEmpty())
        pTargetDC->GetClipBox(&m_rect);
    if (!m_bMemDC)
        return;
    m_buffer.Create(m_hTargetDC, m_rect.Width(), m_rect.Height());
    // Draw in the target's coordinates.
    ::SetWindowOrgEx(m_buffer.GetSafeHdc(), m_rect.left, m_rect.top, nullptr);
}

CMemDC1::~CMemDC1()
{
    if (!m_bMemDC)
        return;
    ::BitBlt(m_hTargetDC, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), m_buffer.GetSafeHdc(),
             m_rect.left, m_rect.top, SRCCOPY);
}
