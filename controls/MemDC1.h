// An off-screen drawing context over a rectangle of a target DC. Drawing goes to a private
// bitmap; when the object goes away that bitmap is copied onto the target in one piece.
// A printer target is drawn on directly (its handles are only borrowed).
#pragma once

#include "framework/Afx.h"

class CMemDC1 : public CDC
{
public:
    // An empty rectangle means the target's clip box.
    CMemDC1(CDC* pTargetDC, const CRect& rect);
    ~CMemDC1() override;
    CMemDC1(const CMemDC1&) = delete;
    CMemDC1& operator=(const CMemDC1&) = delete;

private:
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBitmap = nullptr; // restored before the DC goes
    CDC* m_pTargetDC;
    CRect m_rect;
    BOOL m_bMemDC;
};
