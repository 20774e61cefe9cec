#include "controls/BCMenu.h"

#include "framework/Handle.h"

#include <algorithm>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kCheckColumnWidth = 21;  // the highlight of a checked item starts after it
constexpr int kTextIndent = 25;
constexpr int kAcceleratorInset = 8;
constexpr int kExtraItemWidth = 83;
constexpr int kMinItemHeight = 19;
constexpr int kMinSeparatorHeight = 9;

std::wstring ToWide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

} // namespace

BCMenu::BCMenu() = default;

BCMenu::~BCMenu()
{
    ReleaseItems();
}

BOOL BCMenu::LoadMenu(UINT nIDResource)
{
    return LoadMenu(MAKEINTRESOURCEW(nIDResource));
}

BOOL BCMenu::LoadMenu(LPCWSTR lpszResourceName)
{
    HMODULE hModule = AfxGetResourceHandle();
    HRSRC hResource = FindResourceW(hModule, lpszResourceName, MAKEINTRESOURCEW(4) /* RT_MENU */);
    if (!hResource)
    {
        hModule = GetModuleHandleW(nullptr);
        hResource = FindResourceW(hModule, lpszResourceName, MAKEINTRESOURCEW(4));
    }
    if (!hResource)
        return FALSE;
    HGLOBAL hLoaded = LoadResource(hModule, hResource);
    const void* pTemplate = hLoaded ? LockResource(hLoaded) : nullptr;
    if (!pTemplate)
        return FALSE;
    return LoadMenuFromTemplate(pTemplate, SizeofResource(hModule, hResource));
}

BOOL BCMenu::LoadMenuFromTemplate(const void* pTemplate, DWORD nSize)
{
    ReleaseItems();
    if (!CreateMenu())
        return FALSE;
    const MenuTemplate menuTemplate = ParseMenuTemplate(static_cast<const uint8_t*>(pTemplate), nSize);
    BuildFrom(menuTemplate);
    // A template that breaks off keeps the items read so far, all of them owner-drawn.
    if (menuTemplate.complete)
        ResetTopLevelAsPlainItems();
    return TRUE;
}

void BCMenu::BuildFrom(const MenuTemplate& menuTemplate)
{
    // levels[d] is the menu that receives the items of depth d.
    std::vector<BCMenu*> levels{this};
    for (const MenuTemplateItem& item : menuTemplate.items)
    {
        levels.resize(static_cast<size_t>(item.depth) + 1);
        BCMenu* current = levels.back();
        const std::wstring text = ToWide(item.text);
        if (!item.IsPopup())
        {
            current->AppendOwnerDrawnItem(text.c_str(), item.flags, item.id);
            continue;
        }
        auto subMenu = std::make_unique<BCMenu>();
        if (!subMenu->CreatePopupMenu())
            return;
        BCMenu* pSubMenu = subMenu.get();
        current->m_subMenus.push_back(std::move(subMenu));
        current->AppendOwnerDrawnItem(text.c_str(), item.flags,
                                      reinterpret_cast<UINT_PTR>(pSubMenu->GetSafeHmenu()));
        levels.push_back(pSubMenu);
    }
}

void BCMenu::ResetTopLevelAsPlainItems()
{
    for (size_t position = 0; position < m_items.size(); ++position)
    {
        BCMenuData& item = *m_items[position];
        const UINT flags = (item.flags & MF_POPUP) ? (MF_POPUP | MF_BYPOSITION) : MF_BYPOSITION;
        ::ModifyMenuW(GetSafeHmenu(), static_cast<UINT>(position), flags, item.id, item.text.c_str());
        item.flags = flags;
    }
}

BOOL BCMenu::AppendOwnerDrawnItem(LPCWSTR lpszText, UINT nFlags, UINT_PTR nIdOrSubMenu)
{
    if (nIdOrSubMenu == 0)
        nFlags = (nFlags & MF_BYPOSITION) | MF_SEPARATOR | MF_OWNERDRAW;
    else
        nFlags |= MF_OWNERDRAW;

    auto item = std::make_unique<BCMenuData>();
    item->text = lpszText ? lpszText : L"";
    item->flags = nFlags;
    item->id = nIdOrSubMenu;
    BCMenuData* pItem = item.get();
    m_items.push_back(std::move(item));
    return ::AppendMenuW(GetSafeHmenu(), nFlags, nIdOrSubMenu, reinterpret_cast<LPCWSTR>(pItem));
}

void BCMenu::ReleaseRecordsAndSubMenus()
{
    // The sub-menus' handles go with this menu's handle (DestroyMenu is recursive), so the
    // sub-menu objects only let go of theirs.
    for (auto& subMenu : m_subMenus)
    {
        subMenu->ReleaseRecordsAndSubMenus();
        subMenu->Detach();
    }
    m_subMenus.clear();
    m_items.clear();
}

void BCMenu::ReleaseItems()
{
    ReleaseRecordsAndSubMenus();
    if (GetSafeHmenu())
        DestroyMenu();
}

void BCMenu::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    const auto* pItem = reinterpret_cast<const BCMenuData*>(lpMeasureItemStruct->itemData);
    if (!pItem)
        return;
    if (pItem->flags & MF_SEPARATOR)
    {
        lpMeasureItemStruct->itemWidth = 0;
        lpMeasureItemStruct->itemHeight = std::max(kMinSeparatorHeight, GetSystemMetrics(SM_CYMENU) / 2);
        return;
    }
    CWnd* pMainWnd = AfxGetMainWnd();
    const CClientDC dc(pMainWnd && pMainWnd->GetSafeHwnd() ? pMainWnd : nullptr);
    SIZE extent = {};
    GetTextExtentPoint32W(dc.GetSafeHdc(), pItem->text.c_str(), static_cast<int>(pItem->text.size()), &extent);
    lpMeasureItemStruct->itemWidth = static_cast<UINT>(extent.cx + kExtraItemWidth);
    lpMeasureItemStruct->itemHeight = static_cast<UINT>(std::max(kMinItemHeight, GetSystemMetrics(SM_CYMENU)));
}

void BCMenu::DrawSeparator(HDC hDC, RECT rect)
{
    FillRect(hDC, &rect, CBrush(kWhite));
    rect.top += (rect.bottom - rect.top) / 2;
    DrawEdge(hDC, &rect, EDGE_ETCHED, BF_TOP);
}

BOOL BCMenu::IsRadioItem(HMENU hMenu, UINT id) const
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS;
    if (!GetMenuItemInfoW(hMenu, id, FALSE, &info))
        return FALSE;
    return info.hbmpChecked != nullptr;
}

void BCMenu::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    const auto* pItem = reinterpret_cast<const BCMenuData*>(lpDrawItemStruct->itemData);
    if (!pItem)
        return;
    HDC hDC = lpDrawItemStruct->hDC;
    const RECT rect = lpDrawItemStruct->rcItem;
    if (pItem->flags & MF_SEPARATOR)
    {
        DrawSeparator(hDC, rect);
        return;
    }

    const UINT state = lpDrawItemStruct->itemState;
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool checked = (state & ODS_CHECKED) != 0;
    COLORREF textColour = GetSysColor(COLOR_MENUTEXT);
    if (!selected)
    {
        FillRect(hDC, &rect, CBrush(kWhite));
    }
    else
    {
        RECT bar = rect;
        if (checked)
            bar.left += kCheckColumnWidth; // the check column keeps its own look
        FillRect(hDC, &bar, CBrush(GetSysColor(COLOR_HIGHLIGHT)));
        textColour = GetSysColor(COLOR_HIGHLIGHTTEXT);
    }

    if (checked)
    {
        const int dy = std::max(0, static_cast<int>((rect.bottom - rect.top) - kMinItemHeight) / 2);
        const CRect box(rect.left + 1, rect.top + dy + 2, rect.left + 17, rect.top + dy + 17);
        const HMENU hMenu = reinterpret_cast<HMENU>(lpDrawItemStruct->hwndItem);
        DrawCheckGlyph(hDC, box, selected, IsRadioItem(hMenu, lpDrawItemStruct->itemID));
    }
    DrawItemText(hDC, *pItem, rect, state, textColour);
}

void BCMenu::DrawItemText(HDC hDC, const BCMenuData& item, const RECT& itemRect, UINT state, COLORREF textColour)
{
    RECT textRect = {itemRect.left + kTextIndent, itemRect.top - 1, itemRect.right, itemRect.bottom - 1};
    std::wstring label = item.text;
    std::wstring accelerator;
    const size_t firstTab = item.text.find(L'\t');
    if (firstTab != std::wstring::npos)
    {
        label = item.text.substr(0, firstTab);
        accelerator = item.text.substr(item.text.rfind(L'\t') + 1);
        textRect.right -= kAcceleratorInset;
    }

    const int previousMode = SetBkMode(hDC, TRANSPARENT);
    const COLORREF previousColour = GetTextColor(hDC);
    auto drawBoth = [&](RECT at, COLORREF colour) {
        SetTextColor(hDC, colour);
        DrawTextW(hDC, label.c_str(), static_cast<int>(label.size()), &at, DT_SINGLELINE | DT_VCENTER);
        if (!accelerator.empty())
            DrawTextW(hDC, accelerator.c_str(), static_cast<int>(accelerator.size()), &at,
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    };
    if (!(state & ODS_GRAYED))
    {
        drawBoth(textRect, textColour);
    }
    else if (state & ODS_SELECTED)
    {
        drawBoth(textRect, kWhite);
    }
    else
    {
        RECT embossed = textRect;
        OffsetRect(&embossed, 1, 1);
        drawBoth(embossed, GetSysColor(COLOR_BTNHIGHLIGHT));
        drawBoth(textRect, GetSysColor(COLOR_GRAYTEXT));
    }
    SetTextColor(hDC, previousColour);
    SetBkMode(hDC, previousMode);
}

COLORREF BCMenu::LightenColor(double factor, COLORREF colour)
{
    if (!(factor > 0.0 && factor <= 1.0))
        return colour;
    auto lighten = [factor](BYTE value) { return static_cast<BYTE>(value + factor * (255 - value)); };
    return RGB(lighten(GetRValue(colour)), lighten(GetGValue(colour)), lighten(GetBValue(colour)));
}

void BCMenu::DrawCheckGlyph(HDC hDC, const CRect& box, BOOL bSelected, BOOL bRadio)
{
    const COLORREF menu = GetSysColor(COLOR_MENU);
    FillRect(hDC, &box, CBrush(bSelected ? menu : LightenColor(0.6, menu)));

    const COLORREF ink = GetSysColor(COLOR_MENUTEXT);
    CPen pen;
    pen.CreatePen(PS_SOLID, 1, ink);
    const CGdiSelection penSelection(hDC, static_cast<HPEN>(pen));
    if (bRadio)
    {
        const CBrush brush(ink);
        const CGdiSelection brushSelection(hDC, static_cast<HBRUSH>(brush));
        const int left = box.left + 5, top = box.top + 4;
        Ellipse(hDC, left, top, left + 6, top + 6);
        return;
    }
    // A tick of seven one-pixel columns, each three pixels tall, falling then rising.
    static const int kColumnTop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int x = 0; x < 7; ++x)
    {
        const int left = box.left + 4 + x, top = box.top + 4 + kColumnTop[x];
        MoveToEx(hDC, left, top, nullptr);
        LineTo(hDC, left, top + 3);
    }
}
