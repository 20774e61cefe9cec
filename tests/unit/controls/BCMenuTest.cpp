#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "controls/BCMenu.h"
#include "res/resource.h"

using controls_test::CPixelCanvas;
using controls_test::ColourText;

namespace {

// A menu template written item by item (see the template parser's tests for the format).
std::vector<uint8_t> Template(std::initializer_list<std::tuple<uint16_t, uint16_t, const wchar_t*>> items)
{
    std::vector<uint8_t> bytes = {0, 0, 0, 0};
    auto word = [&bytes](uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    };
    for (const auto& [flags, id, text] : items)
    {
        word(flags);
        if (!(flags & MF_POPUP))
            word(id);
        for (const wchar_t* p = text; *p; ++p)
            word(static_cast<uint16_t>(*p));
        word(0);
    }
    return bytes;
}

MENUITEMINFOW ItemInfo(HMENU hMenu, UINT position)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    EXPECT_TRUE(GetMenuItemInfoW(hMenu, position, TRUE, &info));
    return info;
}

const BCMenuData* Record(HMENU hMenu, UINT position)
{
    return reinterpret_cast<const BCMenuData*>(ItemInfo(hMenu, position).dwItemData);
}

std::wstring TextOf(HMENU hMenu, UINT position)
{
    wchar_t text[64] = {};
    GetMenuStringW(hMenu, position, text, 64, MF_BYPOSITION);
    return text;
}

// Draws one menu item into a canvas and hands back the canvas.
void DrawMenuItem(BCMenu& menu, const BCMenuData& item, CPixelCanvas& canvas, RECT rect, UINT state,
                  HMENU hMenu = nullptr, UINT id = 0)
{
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = id;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hwndItem = reinterpret_cast<HWND>(hMenu);
    draw.hDC = canvas.Dc();
    draw.rcItem = rect;
    draw.itemData = reinterpret_cast<ULONG_PTR>(&item);
    menu.DrawItem(&draw);
}

// Columns and rows holding anything but the background colour.
struct InkBounds { int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1; };
InkBounds FindInk(const CPixelCanvas& canvas, int width, int height, COLORREF background)
{
    InkBounds ink;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (canvas.At(x, y) != background)
            {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

bool HasPixel(const CPixelCanvas& canvas, int width, int height, COLORREF colour)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (canvas.At(x, y) == colour)
                return true;
    return false;
}

} // namespace

// ---- Loading ----------------------------------------------------------------------------

TEST(BCMenu, LoadMenu_TrayResource_PlainTopLevelOwnerDrawnPopupItems)
{
    BCMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENU_TRAY));
    HMENU hTop = menu.GetSafeHmenu();
    ASSERT_EQ(GetMenuItemCount(hTop), 1);

    const MENUITEMINFOW tray = ItemInfo(hTop, 0);
    EXPECT_FALSE(tray.fType & MFT_OWNERDRAW) << "top-level items keep the system's drawing";
    EXPECT_EQ(TextOf(hTop, 0), L"Tray");
    ASSERT_NE(tray.hSubMenu, nullptr);
    EXPECT_EQ(menu.Items()[0]->flags, UINT(MF_POPUP | MF_BYPOSITION));

    HMENU hTray = tray.hSubMenu;
    ASSERT_EQ(GetMenuItemCount(hTray), 2);
    const struct { UINT id; const wchar_t* text; } expected[] = {{ID_TRAY_OPEN, L"Open"}, {ID_TRAY_EXIT, L"Exit"}};
    for (UINT i = 0; i < 2; ++i)
    {
        const MENUITEMINFOW info = ItemInfo(hTray, i);
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
        EXPECT_EQ(info.wID, expected[i].id);
        const BCMenuData* record = Record(hTray, i);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->text, expected[i].text);
        EXPECT_EQ(record->id, expected[i].id);
        EXPECT_EQ(record->flags, UINT(MF_OWNERDRAW));
    }
    // The owner's menu messages reach the pop-up's own object.
    EXPECT_NE(dynamic_cast<BCMenu*>(CMenu::FromHandlePermanent(hTray)), nullptr);
}

TEST(BCMenu, LoadMenu_MissingResource_ReturnsFalseAndHoldsNothing)
{
    BCMenu menu;
    EXPECT_FALSE(menu.LoadMenu(54321));
    EXPECT_EQ(menu.GetSafeHmenu(), nullptr);
    EXPECT_TRUE(menu.Items().empty());
}

TEST(BCMenu, LoadMenuFromTemplate_NestedPopupsSeparatorsAndTopLevelCommand)
{
    const std::vector<uint8_t> bytes = Template({
        {MF_POPUP, 0, L"File"},
        {0, 1, L"New\tCtrl+N"},
        {MF_POPUP, 0, L"Recent"},
        {0, 2, L"a"},
        {MF_END, 3, L"b"},
        {0, 0, L""},
        {MF_END, 4, L"Quit"},
        {MF_END, 9, L"Help"},
    });
    BCMenu menu;
    ASSERT_TRUE(menu.LoadMenuFromTemplate(bytes.data(), static_cast<DWORD>(bytes.size())));
    HMENU hTop = menu.GetSafeHmenu();
    ASSERT_EQ(GetMenuItemCount(hTop), 2);

    const MENUITEMINFOW help = ItemInfo(hTop, 1);
    EXPECT_EQ(help.wID, 9u);
    EXPECT_EQ(help.hSubMenu, nullptr);
    EXPECT_FALSE(help.fType & MFT_OWNERDRAW);
    EXPECT_EQ(TextOf(hTop, 1), L"Help");
    EXPECT_EQ(menu.Items()[1]->flags, UINT(MF_BYPOSITION));

    HMENU hFile = ItemInfo(hTop, 0).hSubMenu;
    ASSERT_EQ(GetMenuItemCount(hFile), 4);
    HMENU hRecent = ItemInfo(hFile, 1).hSubMenu;
    ASSERT_NE(hRecent, nullptr);
    EXPECT_EQ(GetMenuItemCount(hRecent), 2);
    EXPECT_EQ(Record(hRecent, 1)->text, L"b");
    EXPECT_TRUE(ItemInfo(hFile, 1).fType & MFT_OWNERDRAW) << "a pop-up inside a pop-up is owner-drawn";

    const MENUITEMINFOW separator = ItemInfo(hFile, 2);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    EXPECT_TRUE(separator.fType & MFT_OWNERDRAW);
    EXPECT_EQ(Record(hFile, 2)->flags, UINT(MF_SEPARATOR | MF_OWNERDRAW));
    EXPECT_EQ(ItemInfo(hFile, 3).wID, 4u);

    // Loading again replaces everything.
    const std::vector<uint8_t> single = Template({{MF_END, 7, L"only"}});
    ASSERT_TRUE(menu.LoadMenuFromTemplate(single.data(), static_cast<DWORD>(single.size())));
    EXPECT_FALSE(IsMenu(hTop)) << "the previous menu was destroyed";
    EXPECT_EQ(GetMenuItemCount(menu.GetSafeHmenu()), 1);
}

TEST(BCMenu, LoadMenuFromTemplate_BrokenTemplate_KeepsItemsAppendedSoFar)
{
    std::vector<uint8_t> bytes = Template({{MF_POPUP | MF_END, 0, L"Tray"}, {0, 1, L"Open"}, {MF_END, 2, L"Exit"}});
    bytes.resize(bytes.size() - 4); // "Exit" loses its terminator
    BCMenu menu;
    ASSERT_TRUE(menu.LoadMenuFromTemplate(bytes.data(), static_cast<DWORD>(bytes.size())));
    HMENU hTop = menu.GetSafeHmenu();
    ASSERT_EQ(GetMenuItemCount(hTop), 1);
    HMENU hTray = ItemInfo(hTop, 0).hSubMenu;
    ASSERT_NE(hTray, nullptr);
    EXPECT_EQ(GetMenuItemCount(hTray), 1);
    EXPECT_EQ(Record(hTray, 0)->text, L"Open");
}

// ---- Measuring ---------------------------------------------------------------------------

TEST(BCMenu, MeasureItem_TextWidthPlus83_AndSeparatorHalfMenuHeight)
{
    BCMenuData text;
    text.text = L"Exit the program\tAlt+F4";
    text.flags = MF_OWNERDRAW;
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = reinterpret_cast<ULONG_PTR>(&text);
    BCMenu menu;
    menu.MeasureItem(&measure);

    HDC hScreen = GetDC(GetDesktopWindow());
    SIZE extent = {};
    GetTextExtentPoint32W(hScreen, text.text.c_str(), static_cast<int>(text.text.size()), &extent);
    ReleaseDC(GetDesktopWindow(), hScreen);
    EXPECT_EQ(measure.itemWidth, UINT(extent.cx + 83));
    EXPECT_EQ(measure.itemHeight, UINT(std::max(19, GetSystemMetrics(SM_CYMENU))));

    BCMenuData separator;
    separator.flags = MF_SEPARATOR | MF_OWNERDRAW;
    measure.itemData = reinterpret_cast<ULONG_PTR>(&separator);
    menu.MeasureItem(&measure);
    EXPECT_EQ(measure.itemWidth, 0u);
    EXPECT_EQ(measure.itemHeight, UINT(std::max(9, GetSystemMetrics(SM_CYMENU) / 2)));
}

// ---- Colours and glyphs ------------------------------------------------------------------

TEST(BCMenu, LightenColor_MovesEachChannelTowardsWhite)
{
    // 0.6 x 255 and 0.6 x 155 are 153 and 93 in double arithmetic, on x86 as on x64; the
    // 80-bit x87 intermediates would keep them just under and truncate to 152 and 192.
    EXPECT_EQ(BCMenu::LightenColor(0.6, RGB(0, 100, 255)), RGB(153, 193, 255));
    EXPECT_EQ(BCMenu::LightenColor(0.5, RGB(240, 240, 240)), RGB(247, 247, 247)) << "truncated, not rounded";
    EXPECT_EQ(BCMenu::LightenColor(1.0, RGB(12, 34, 56)), RGB(255, 255, 255));
    for (double outside : {0.0, -0.5, 1.01, 3.0})
        EXPECT_EQ(BCMenu::LightenColor(outside, RGB(12, 34, 56)), RGB(12, 34, 56)) << outside;
}

TEST(BCMenu, DrawCheckGlyph_TickColumnsAndBoxFill)
{
    CPixelCanvas canvas(20, 20, RGB(1, 2, 3));
    const CRect box(0, 0, 16, 15);
    BCMenu::DrawCheckGlyph(canvas.Dc(), box, FALSE, FALSE);
    const COLORREF ink = GetSysColor(COLOR_MENUTEXT);
    const COLORREF fill = BCMenu::LightenColor(0.6, GetSysColor(COLOR_MENU));
    ASSERT_NE(ink, fill);
    EXPECT_EQ(canvas.At(1, 1), fill);
    EXPECT_EQ(canvas.At(16, 1), RGB(1, 2, 3)) << "the box's right edge is excluded";

    const int columnTop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int x = 0; x < 7; ++x)
    {
        for (int y = 0; y < 10; ++y)
        {
            const bool inTick = y >= columnTop[x] && y < columnTop[x] + 3;
            EXPECT_EQ(canvas.At(4 + x, 4 + y) == ink, inTick) << "column " << x << " row " << y;
        }
    }
    EXPECT_EQ(canvas.At(3, 6), fill) << "nothing left of the tick";
    EXPECT_EQ(canvas.At(11, 4), fill) << "nothing right of the tick";

    BCMenu::DrawCheckGlyph(canvas.Dc(), box, TRUE, TRUE);
    EXPECT_EQ(canvas.At(1, 1), GetSysColor(COLOR_MENU)) << "selected: plain menu colour";
    EXPECT_EQ(canvas.At(8, 7), ink) << "radio dot";
    EXPECT_EQ(canvas.At(4, 4 + 2), GetSysColor(COLOR_MENU)) << "no tick for a radio item";
}

// ---- Drawing items -----------------------------------------------------------------------

TEST(BCMenu, DrawItem_LabelAt25_AcceleratorRightAligned8In)
{
    const int width = 220, height = 20;
    CPixelCanvas canvas(width, height, RGB(1, 2, 3));
    BCMenu menu;
    BCMenuData item;
    item.text = L"Open\tCtrl+O";
    item.flags = MF_OWNERDRAW;
    DrawMenuItem(menu, item, canvas, RECT{0, 0, width, height}, 0);

    const COLORREF white = RGB(255, 255, 255);
    const InkBounds ink = FindInk(canvas, width, height, white);
    EXPECT_GE(ink.left, 25);
    EXPECT_LE(ink.left, 27);
    EXPECT_LE(ink.right, width - 8 - 1);
    EXPECT_GE(ink.right, width - 8 - 4);
    EXPECT_EQ(canvas.At(0, 0), white) << "the whole item is filled white";
    EXPECT_TRUE(HasPixel(canvas, width, height, GetSysColor(COLOR_MENUTEXT)));

    // Without a tab the label may run to the right edge: its ink stays left.
    BCMenuData plain;
    plain.text = L"Open";
    plain.flags = MF_OWNERDRAW;
    CPixelCanvas plainCanvas(width, height);
    DrawMenuItem(menu, plain, plainCanvas, RECT{0, 0, width, height}, 0);
    EXPECT_LT(FindInk(plainCanvas, width, height, white).right, 80);
}

TEST(BCMenu, DrawItem_SelectedCheckedDisabledLooks)
{
    const int width = 160, height = 20;
    const COLORREF marker = RGB(1, 2, 3);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    BCMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendOwnerDrawnItem(L"Item", 0, 77));
    const BCMenuData& item = *menu.Items()[0];

    CPixelCanvas selected(width, height, marker);
    DrawMenuItem(menu, item, selected, RECT{0, 0, width, height}, ODS_SELECTED, menu.GetSafeHmenu(), 77);
    EXPECT_EQ(selected.At(2, 2), highlight) << "full-width highlight bar";
    EXPECT_TRUE(HasPixel(selected, width, height, GetSysColor(COLOR_HIGHLIGHTTEXT)));

    CPixelCanvas checked(width, height, marker);
    DrawMenuItem(menu, item, checked, RECT{0, 0, width, height}, ODS_SELECTED | ODS_CHECKED, menu.GetSafeHmenu(), 77);
    EXPECT_EQ(checked.At(19, 10), marker) << "the check column keeps its own look";
    EXPECT_EQ(checked.At(22, 10), highlight);
    EXPECT_EQ(checked.At(2, 3), GetSysColor(COLOR_MENU)) << "the check box of a selected item";

    CPixelCanvas grey(width, height, marker);
    DrawMenuItem(menu, item, grey, RECT{0, 0, width, height}, ODS_GRAYED);
    EXPECT_TRUE(HasPixel(grey, width, height, GetSysColor(COLOR_GRAYTEXT)))
        << "disabled text is grey: " << ColourText(GetSysColor(COLOR_GRAYTEXT));
    EXPECT_FALSE(HasPixel(grey, width, height, GetSysColor(COLOR_MENUTEXT)));

    CPixelCanvas greySelected(width, height, marker);
    DrawMenuItem(menu, item, greySelected, RECT{0, 0, width, height}, ODS_GRAYED | ODS_SELECTED);
    EXPECT_TRUE(HasPixel(greySelected, width, height, RGB(255, 255, 255))) << "white text on the bar";
    EXPECT_FALSE(HasPixel(greySelected, width, height, GetSysColor(COLOR_GRAYTEXT)));
}

TEST(BCMenu, DrawItem_SeparatorIsOneEtchedLineAtTheMiddle)
{
    const int width = 60, height = 10;
    CPixelCanvas canvas(width, height, RGB(1, 2, 3));
    BCMenu menu;
    BCMenuData separator;
    separator.flags = MF_SEPARATOR | MF_OWNERDRAW;
    DrawMenuItem(menu, separator, canvas, RECT{0, 0, width, height}, 0);
    EXPECT_EQ(canvas.At(30, 0), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(30, 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(30, 6), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.At(30, 8), RGB(255, 255, 255));
}
