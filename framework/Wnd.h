// CWnd: a C++ object bound to a window.
//
// Every window the framework creates or subclasses has exactly one permanent CWnd in the
// HWND-to-object map, from its first message (or from SubclassWindow) until
// WM_NCDESTROY. Its messages run through WindowProc -> OnWndMsg -> the message maps; what
// no map handles goes to DefWindowProc, i.e. the window's original procedure.
// FromHandle gives a temporary wrapper for windows that have no permanent object.
#pragma once

#include <windows.h>

#include "framework/CmdTarget.h"
#include "framework/DC.h"
#include "framework/GdiObject.h"
#include "framework/Geometry.h"
#include "framework/String.h"

class CWnd : public CCmdTarget
{
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // The z-order placeholder for SetWindowPos that keeps a window above the others.
    static const CWnd wndTopMost;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    static CWnd* FromHandle(HWND hWnd);           // permanent object, else a temporary one
    static CWnd* FromHandlePermanent(HWND hWnd);  // null when hWnd has no permanent object
    HWND Detach();
    // Enters the map and routes the window's messages through this object; the
    // window's own procedure becomes the default procedure.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    virtual void PreSubclassWindow();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL DestroyWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    BOOL ShowWindow(int nCmdShow);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void SetWindowText(LPCWSTR lpszString);
    void GetWindowText(CString& rString) const;
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ScreenToClient(LPRECT lpRect) const;
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    DWORD GetStyle() const;
    CWnd* GetParent() const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    BOOL IsIconic() const;
    BOOL SetForegroundWindow();

    // The window procedure of this object: OnWndMsg, then DefWindowProc for what no
    // handler took.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone and the object has left the map; a window object
    // that lives on the heap by itself deletes itself here.
    virtual void PostNcDestroy();
    // A message its parent received about this control (WM_CTLCOLOR*, WM_DRAWITEM,
    // WM_MEASUREITEM) offered to the control first. TRUE: handled, *pResult is the answer.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

protected:
    // The default processing of the message being handled now.
    LRESULT Default();

    // The framework's default handlers; a derived handler calls them for the default
    // behaviour.
    void OnDestroy();
    void OnPaint();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);

    // Offers a parent's message to the child control it concerns; TRUE when the child
    // answered.
    static BOOL ReflectToChild(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT* pResult);
    // Dispatches a reflected message through this object's own map.
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    WNDPROC m_pfnSuper = nullptr;  // the window's own procedure, after subclassing
    // Destroyed with the object if still alive, after it has left the map; a class that
    // must see its own OnDestroy calls DestroyWindow in its destructor.
    bool m_bCreatedByFramework = false;

    DECLARE_MESSAGE_MAP()

private:
    explicit CWnd(HWND hWndPlaceholder) : m_hWnd(hWndPlaceholder) {}
    friend class CWndInternals;
};
