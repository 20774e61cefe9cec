// CCmdTarget and the typed message maps.
//
// A message map is a static table per class. Each entry names a message (and, for
// WM_COMMAND, a notification code and control id) and holds a small adapter function,
// written by the ON_... macro, that unpacks WPARAM/LPARAM and calls the handler with its
// real signature. A class's table ends with a link to its base class's table, so the
// search runs from the most derived class down to CWnd's own defaults.
#pragma once

#include <windows.h>

#include "framework/Object.h"

class CCmdTarget;

// Calls one handler. Returns true when the message counts as handled; pResult receives
// what the window procedure returns.
using AFX_PMSG = bool (*)(CCmdTarget* pTarget, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;  // the window message; WM_COMMAND for command entries; 0 ends a table
    UINT nCode;     // WM_COMMAND entries: the notification code (BN_CLICKED, menu = 0)
    UINT nID;       // WM_COMMAND entries: the control or command id
    AFX_PMSG pfn;
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Messages reflected from a parent to the child control they concern are dispatched to the
// child under this base plus the original number (WM_CTLCOLOR reflected is 0xBC19).
constexpr UINT WM_REFLECT_BASE = 0xBC00;
// The WM_CTLCOLOR* messages all reach the map under the old single number; the kind
// (CTLCOLOR_STATIC, ...) is the offset from WM_CTLCOLORMSGBOX.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

class CCmdTarget : public CObject
{
public:
    // Finds the first entry for this message along the class chain.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage,
                                                    UINT nCode, UINT nID);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                        \
protected:                                           \
    static const AFX_MSGMAP* GetThisMessageMap();    \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                       \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                  \
    {                                                                                \
        typedef theClass ThisClass;                                                  \
        typedef baseClass TheBaseClass;                                              \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                    \
        { 0, 0, 0, nullptr } };                                              \
        static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, \
                                               &_messageEntries[0] };        \
        return &messageMap;                                                  \
    }

// The handler of an entry, seen from inside the adapter lambda.
#define AFX_THIS_HANDLER_OBJECT (static_cast<ThisClass*>(pTarget))
#define AFX_ADAPTER(body)                                                                 \
    +[](CCmdTarget* pTarget, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) \
        -> bool { (void)message; (void)wParam; (void)lParam; body }

// Points in mouse messages are signed client coordinates.
#define AFX_POINT_FROM_LPARAM(l) \
    CPoint(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)))

#define ON_WM_DESTROY() \
    { WM_DESTROY, 0, 0, AFX_ADAPTER(AFX_THIS_HANDLER_OBJECT->OnDestroy(); result = 0; return true;) },
#define ON_WM_PAINT() \
    { WM_PAINT, 0, 0, AFX_ADAPTER(AFX_THIS_HANDLER_OBJECT->OnPaint(); result = 0; return true;) },
#define ON_WM_CTLCOLOR()                                                                   \
    { WM_CTLCOLOR, 0, 0, AFX_ADAPTER(                                                      \
        result = reinterpret_cast<LRESULT>(AFX_THIS_HANDLER_OBJECT->OnCtlColor(            \
            CDC::FromHandle(reinterpret_cast<HDC>(wParam)),                                \
            CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), message - WM_CTLCOLORMSGBOX)); \
        return true;) },
// Reflected to the control itself: wParam is the control's DC, lParam the CTLCOLOR_ kind.
// A null brush counts as "not handled", so the parent's own handling goes on.
#define ON_WM_CTLCOLOR_REFLECT()                                                           \
    { WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, AFX_ADAPTER(                                    \
        HBRUSH hBrush = AFX_THIS_HANDLER_OBJECT->CtlColor(                                 \
            CDC::FromHandle(reinterpret_cast<HDC>(wParam)), static_cast<UINT>(lParam));    \
        result = reinterpret_cast<LRESULT>(hBrush);                                        \
        return hBrush != nullptr;) },
#define ON_WM_ERASEBKGND()                                                                 \
    { WM_ERASEBKGND, 0, 0, AFX_ADAPTER(                                                    \
        result = AFX_THIS_HANDLER_OBJECT->OnEraseBkgnd(                                    \
            CDC::FromHandle(reinterpret_cast<HDC>(wParam)));                               \
        return true;) },
#define ON_WM_LBUTTONDOWN()                                                                \
    { WM_LBUTTONDOWN, 0, 0, AFX_ADAPTER(                                                   \
        AFX_THIS_HANDLER_OBJECT->OnLButtonDown(static_cast<UINT>(wParam),                 \
                                               AFX_POINT_FROM_LPARAM(lParam));            \
        result = 0; return true;) },
#define ON_WM_MOUSEMOVE()                                                                  \
    { WM_MOUSEMOVE, 0, 0, AFX_ADAPTER(                                                     \
        AFX_THIS_HANDLER_OBJECT->OnMouseMove(static_cast<UINT>(wParam),                   \
                                             AFX_POINT_FROM_LPARAM(lParam));              \
        result = 0; return true;) },
#define ON_WM_MOUSEHOVER()                                                                 \
    { WM_MOUSEHOVER, 0, 0, AFX_ADAPTER(                                                    \
        AFX_THIS_HANDLER_OBJECT->OnMouseHover(static_cast<UINT>(wParam),                  \
                                              AFX_POINT_FROM_LPARAM(lParam));             \
        result = 0; return true;) },
#define ON_WM_MOUSELEAVE() \
    { WM_MOUSELEAVE, 0, 0, AFX_ADAPTER(AFX_THIS_HANDLER_OBJECT->OnMouseLeave(); result = 0; return true;) },
#define ON_WM_TIMER()                                                                      \
    { WM_TIMER, 0, 0, AFX_ADAPTER(                                                         \
        AFX_THIS_HANDLER_OBJECT->OnTimer(static_cast<UINT_PTR>(wParam));                  \
        result = 0; return true;) },
#define ON_WM_DRAWITEM()                                                                   \
    { WM_DRAWITEM, 0, 0, AFX_ADAPTER(                                                      \
        AFX_THIS_HANDLER_OBJECT->OnDrawItem(static_cast<int>(wParam),                      \
                                            reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));   \
        result = TRUE; return true;) },
#define ON_WM_MEASUREITEM()                                                                \
    { WM_MEASUREITEM, 0, 0, AFX_ADAPTER(                                                   \
        AFX_THIS_HANDLER_OBJECT->OnMeasureItem(static_cast<int>(wParam),                   \
                                               reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); \
        result = TRUE; return true;) },
// Commands from menus, accelerators and buttons (BN_CLICKED is notification code 0).
#define ON_COMMAND(id, memberFxn)                                                          \
    { WM_COMMAND, 0, static_cast<UINT>(id), AFX_ADAPTER(                                   \
        (AFX_THIS_HANDLER_OBJECT->*(memberFxn))(); result = 0; return true;) },
#define ON_BN_CLICKED(id, memberFxn)                                                       \
    { WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), AFX_ADAPTER(                          \
        (AFX_THIS_HANDLER_OBJECT->*(memberFxn))(); result = 0; return true;) },
#define ON_MESSAGE(msg, memberFxn)                                                         \
    { static_cast<UINT>(msg), 0, 0, AFX_ADAPTER(                                           \
        result = (AFX_THIS_HANDLER_OBJECT->*(memberFxn))(wParam, lParam); return true;) },
