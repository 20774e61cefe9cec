#include "framework/Menu.h"

#include <vector>

#include "framework/TempObjects.h"
#include "framework/WinApp.h"
#include "framework/WindowThreadMap.h"
#include "framework/Wnd.h"

namespace {

// Menus built of pop-ups are trees; a bound on the depth keeps a malformed menu (a pop-up
// inserted into itself) from recursing for ever.
constexpr int kMaxMenuDepth = 16;

// Owner-drawn menu items are measured and drawn on the window thread, so the map is that
// thread's and has no lock (see WindowThreadMap.h).
CWindowThreadMap<HMENU, CMenu>& PermanentMenus()
{
    static auto* menus = new CWindowThreadMap<HMENU, CMenu>;
    return *menus;
}

std::vector<CMenu*> SnapshotPermanentMenus()
{
    std::vector<CMenu*> menus;
    PermanentMenus().ForEach([&](CMenu* pMenu) { menus.push_back(pMenu); });
    return menus;
}

bool HoldsItemDirectly(HMENU hMenu, UINT nItemID)
{
    const int nCount = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i)
    {
        if (::GetSubMenu(hMenu, i) == nullptr && ::GetMenuItemID(hMenu, i) == nItemID)
            return true;
    }
    return false;
}

bool HoldsItem(HMENU hMenu, UINT nItemID, int nDepth)
{
    if (nDepth > kMaxMenuDepth)
        return false;
    if (HoldsItemDirectly(hMenu, nItemID))
        return true;
    const int nCount = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i)
    {
        HMENU hSubMenu = ::GetSubMenu(hMenu, i);
        if (hSubMenu && HoldsItem(hSubMenu, nItemID, nDepth + 1))
            return true;
    }
    return false;
}

bool HoldsPopup(HMENU hMenu, HMENU hPopup, int nDepth)
{
    if (nDepth > kMaxMenuDepth)
        return false;
    const int nCount = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i)
    {
        HMENU hSubMenu = ::GetSubMenu(hMenu, i);
        if (hSubMenu && (hSubMenu == hPopup || HoldsPopup(hSubMenu, hPopup, nDepth + 1)))
            return true;
    }
    return false;
}

}  // namespace

CMenu::~CMenu()
{
    DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    if (!hMenu)
        return nullptr;
    if (CMenu* pMenu = FromHandlePermanent(hMenu))
        return pMenu;
    return CTempObjects<CMenu, HMENU>::Get(hMenu, [](HMENU h) {
        return std::unique_ptr<CMenu>(new CBorrowedMenu(h));
    });
}

CMenu* CMenu::FromHandlePermanent(HMENU hMenu)
{
    return PermanentMenus().Find(hMenu);
}

CMenu* CMenu::FindPermanentMenuWithItem(UINT nItemID)
{
    const std::vector<CMenu*> menus = SnapshotPermanentMenus();
    // The menu that holds the item itself comes first, so a pop-up with its own object
    // draws its own items.
    for (CMenu* pMenu : menus)
    {
        if (HoldsItemDirectly(pMenu->m_hMenu, nItemID))
            return pMenu;
    }
    for (CMenu* pMenu : menus)
    {
        if (HoldsItem(pMenu->m_hMenu, nItemID, 0))
            return pMenu;
    }
    return nullptr;
}

CMenu* CMenu::FindPermanentMenuOwning(HMENU hMenu)
{
    if (!hMenu)
        return nullptr;
    if (CMenu* pMenu = FromHandlePermanent(hMenu))
        return pMenu;
    for (CMenu* pMenu : SnapshotPermanentMenus())
    {
        if (HoldsPopup(pMenu->m_hMenu, hMenu, 0))
            return pMenu;
    }
    return nullptr;
}

BOOL CMenu::Attach(HMENU hNewMenu)
{
    if (!hNewMenu || m_hMenu)
        return FALSE;
    if (!PermanentMenus().Add(hNewMenu, this))
        return FALSE;  // another object owns it already
    m_hMenu = hNewMenu;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU hMenu = m_hMenu;
    if (hMenu)
        PermanentMenus().Remove(hMenu, this);
    m_hMenu = nullptr;
    return hMenu;
}

// Attaching gives a handle an owner; if it cannot be attached it has none, so it is
// destroyed again rather than leaked.
static BOOL AttachOrDestroy(CMenu& menu, HMENU hMenu)
{
    if (!hMenu)
        return FALSE;
    if (menu.Attach(hMenu))
        return TRUE;
    ::DestroyMenu(hMenu);
    return FALSE;
}

BOOL CMenu::CreateMenu() { return AttachOrDestroy(*this, ::CreateMenu()); }
BOOL CMenu::CreatePopupMenu() { return AttachOrDestroy(*this, ::CreatePopupMenu()); }

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    return ::DestroyMenu(Detach());
}

CMenu* CMenu::GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect)
{
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->m_hWnd : nullptr, lpRect);
}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    // Owner-drawn menus override this; a plain menu has no owner-drawn items to measure.
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    // Owner-drawn menus override this.
}
