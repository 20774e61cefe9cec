// Device contexts. Each class says by its type what becomes of its DC: a CDC deletes the DC
// it attached; a CBorrowedDC (what FromHandle returns) only
// looks at a DC someone else owns; CPaintDC and CClientDC give back what they took
// (EndPaint / ReleaseDC) when they go out of scope.
#pragma once

#include <windows.h>

#include "framework/Geometry.h"
#include "framework/GdiObject.h"
#include "framework/Object.h"
#include "framework/String.h"

class CWnd;

class CDC : public CObject
{
public:
    CDC() = default;
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    // Takes ownership of hDC; FALSE for a null handle or when a DC is held already (it is
    // deleted or detached first, so that no DC is dropped and none is deleted by mistake).
    BOOL Attach(HDC hDC);
    HDC Detach();
    static CDC* FromHandle(HDC hDC);

    BOOL DeleteDC();

    int SetBkMode(int nBkMode);
    COLORREF SetTextColor(COLORREF crColor);
    int DrawText(const CString& str, LPRECT lpRect, UINT nFormat);
    int GetClipBox(LPRECT lpRect) const;
    int GetDeviceCaps(int nIndex) const;
    BOOL IsPrinting() const { return FALSE; }  // the program never prints
    BOOL DrawIcon(int x, int y, HICON hIcon);
};

// A view of a DC someone else owns: it gives the DC up when it goes instead of deleting it.
class CBorrowedDC final : public CDC
{
public:
    explicit CBorrowedDC(HDC hDC) { Attach(hDC); }
    ~CBorrowedDC() override { Detach(); }
};

class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};

class CClientDC : public CDC
{
public:
    explicit CClientDC(CWnd* pWnd);  // null: the screen
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};
