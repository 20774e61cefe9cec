// A menu loaded from a menu resource whose pop-up items are owner-drawn: white background,
// highlight bar, a check column at the left, the label with a right-aligned accelerator,
// and embossed grey text for disabled items. Top-level items keep the system's drawing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/MenuTemplate.h"
#include "framework/Afx.h"

// One item of a BCMenu; its address is the item's owner-draw data.
struct BCMenuData
{
    std::wstring text;          // as in the template, tab and accelerator included
    int imageIndex = -1;        // no item of this program carries an image
    int globalImageIndex = -1;
    int imageOffset = -1;
    UINT flags = 0;             // as appended, MF_OWNERDRAW included
    UINT_PTR id = 0;            // command id, or the sub-menu handle of a pop-up item
    int syncFlag = 0;
    void* imageList = nullptr;
    void* context = nullptr;
};

class BCMenu : public CMenu
{
public:
    BCMenu();
    ~BCMenu() override;
    BCMenu(const BCMenu&) = delete;
    BCMenu& operator=(const BCMenu&) = delete;

    BOOL LoadMenu(UINT nIDResource);
    BOOL LoadMenu(LPCWSTR lpszResourceName);
    // Builds the menu from template bytes already in memory.
    BOOL LoadMenuFromTemplate(const void* pTemplate, DWORD nSize);

    BOOL AppendOwnerDrawnItem(LPCWSTR lpszText, UINT nFlags, UINT_PTR nIdOrSubMenu);

    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    // Frees every item record, every sub-menu object and the menu handle.
    void ReleaseItems();

    // Each channel v becomes v + f x (255 - v) for 0 < f <= 1; otherwise c is unchanged.
    static COLORREF LightenColor(double factor, COLORREF colour);
    // The check column's box: a filled dot for a radio item, else a check mark.
    static void DrawCheckGlyph(HDC hDC, const CRect& box, BOOL bSelected, BOOL bRadio);

    const std::vector<std::unique_ptr<BCMenuData>>& Items() const { return m_items; }

private:
    void ReleaseRecordsAndSubMenus();
    void BuildFrom(const MenuTemplate& menuTemplate);
    void ResetTopLevelAsPlainItems();
    static void DrawSeparator(HDC hDC, RECT rect);
    static void DrawItemText(HDC hDC, const BCMenuData& item, const RECT& itemRect, UINT state, COLORREF textColour);
    BOOL IsRadioItem(HMENU hMenu, UINT id) const;

    std::vector<std::unique_ptr<BCMenuData>> m_items;  // one per item, in menu order
    std::vector<std::unique_ptr<BCMenu>> m_subMenus;   // the pop-ups of this menu's items
};
