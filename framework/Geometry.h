// CPoint, CSize and CRect: POINT, SIZE and RECT with the MFC conveniences.
#pragma once

#include <windows.h>

class CPoint : public POINT
{
public:
    CPoint() { x = 0; y = 0; }
    CPoint(int initX, int initY) { x = initX; y = initY; }
};

class CSize : public SIZE
{
public:
    CSize() { cx = 0; cy = 0; }
    CSize(int initCX, int initCY) { cx = initCX; cy = initCY; }
};

class CRect : public RECT
{
public:
    CRect() { SetRect(0, 0, 0, 0); }
    CRect(int l, int t, int r, int b) { SetRect(l, t, r, b); }
    CRect(const RECT& rc) { SetRect(rc.left, rc.top, rc.right, rc.bottom); }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    // Empty when it has no area (width or height zero or negative), as IsRectEmpty says.
    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};
