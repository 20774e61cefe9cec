// CMenu: a menu handle with an owner.
//
// A CMenu holding a handle it created, loaded or attached is the permanent object of that
// menu until DestroyMenu or Detach, and destroys the menu in its destructor. FromHandle
// gives a CBorrowedMenu for a menu without one: it only looks and never destroys. Owner-drawn
// items of a permanent menu are measured and drawn by its virtual MeasureItem/DrawItem:
// the framework routes the owner window's WM_MEASUREITEM/WM_DRAWITEM for menu items there.
#pragma once

#include <windows.h>

#include "framework/Object.h"

class CWnd;

class CMenu : public CObject
{
public:
    CMenu() = default;
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    static CMenu* FromHandle(HMENU hMenu);           // permanent object, else a temporary one
    static CMenu* FromHandlePermanent(HMENU hMenu);  // null when hMenu has no permanent object
    // The permanent menu that holds an item with this command id, in itself or in one of
    // its pop-ups (the closest permanent holder); null when none does.
    static CMenu* FindPermanentMenuWithItem(UINT nItemID);
    // The permanent menu that is hMenu or has it as a pop-up at any depth.
    static CMenu* FindPermanentMenuOwning(HMENU hMenu);

    BOOL Attach(HMENU hNewMenu);
    HMENU Detach();
    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL DestroyMenu();

    CMenu* GetSubMenu(int nPos) const;
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
};

// A view of a menu that has no permanent object: it gives the handle up when it goes.
class CBorrowedMenu final : public CMenu
{
public:
    explicit CBorrowedMenu(HMENU hMenu) { m_hMenu = hMenu; }
    ~CBorrowedMenu() override { Detach(); }
};
