// An off-screen drawing context over a rectangle of a target DC. Drawing goes to a private
// bitmap; when the object goes away that bitmap is copied onto the target in one piece.
// A printer target is drawn on directly.
#pragma once

#include "controls/BitmapDC.h"
#include "framework/Afx.h"

class CMemDC1
{
public:
    // An empty rectangle means the target's clip box.
    CMemDC1(CDC* pTargetDC, const CRect& rect);
    ~CMemDC1();
    CMemDC1(const CMemDC1&) = delete;
    CMemDC1& operator=(const CMemDC1&) = delete;

    // Where to draw: the private bitmap, or the printer itself.
    HDC GetSafeHdc() const { return m_bMemDC ? m_buffer.GetSafeHdc() : m_hTargetDC; }

private:
    CBitmapDC m_buffer;
    HDC m_hTargetDC;  // borrowed from the caller
    CRect m_rect;
    BOOL m_bMemDC;
};
