// Owner-drawn menus: the owner window's WM_MEASUREITEM / WM_DRAWITEM for a menu item
// reach the permanent CMenu that holds the item, without a handler in the owner.
#include <algorithm>
#include <vector>

#include "FrameworkTestSupport.h"

namespace {

constexpr UINT ID_OPEN = 501;
constexpr UINT ID_EXIT = 601;  // inside a pop-up of the menu

class CRecordingMenu : public CMenu
{
public:
    std::vector<UINT> m_measured;
    std::vector<UINT> m_drawn;

    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override
    {
        m_measured.push_back(lpMeasureItemStruct->itemID);
        lpMeasureItemStruct->itemWidth = 120;
        lpMeasureItemStruct->itemHeight = 22;
    }
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        m_drawn.push_back(lpDrawItemStruct->itemID);
    }
};

class MenuRoutingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DESKTOP();
        ASSERT_TRUE(m_owner.CreateIndirect(m_template.Get()));
        ASSERT_TRUE(m_menu.CreatePopupMenu());
        m_hPopup = ::CreatePopupMenu();
        ::AppendMenuW(m_hPopup, MF_OWNERDRAW, ID_EXIT, nullptr);
        ::AppendMenuW(m_menu, MF_OWNERDRAW, ID_OPEN, nullptr);
        ::AppendMenuW(m_menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(m_hPopup), L"More");
    }

    LRESULT Measure(UINT nItemID, MEASUREITEMSTRUCT& mis)
    {
        mis = {};
        mis.CtlType = ODT_MENU;
        mis.itemID = nItemID;
        return m_owner.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    }

    LRESULT Draw(HMENU hHoldingMenu, UINT nItemID)
    {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = nItemID;
        dis.hwndItem = reinterpret_cast<HWND>(hHoldingMenu);
        return m_owner.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    }

    DialogTemplate m_template{ WS_POPUP, 100, 60 };
    CDialog m_owner;
    CRecordingMenu m_menu;
    HMENU m_hPopup = nullptr;  // destroyed with m_menu
};

}  // namespace

TEST_F(MenuRoutingTest, MeasureItem_FindsTheItemInAPopup)
{
    MEASUREITEMSTRUCT mis;
    EXPECT_EQ(TRUE, Measure(ID_EXIT, mis));
    EXPECT_EQ(std::vector<UINT>{ ID_EXIT }, m_menu.m_measured);
    EXPECT_EQ(120u, mis.itemWidth);
    EXPECT_EQ(22u, mis.itemHeight);
}

TEST_F(MenuRoutingTest, DrawItem_GoesToTheMenuOwningThePopup)
{
    Draw(m_hPopup, ID_EXIT);
    Draw(m_menu.m_hMenu, ID_OPEN);
    EXPECT_EQ((std::vector<UINT>{ ID_EXIT, ID_OPEN }), m_menu.m_drawn);
}

TEST_F(MenuRoutingTest, PopupWithItsOwnObject_HandlesItsOwnItems)
{
    CRecordingMenu popupObject;
    ASSERT_TRUE(popupObject.Attach(m_hPopup));
    MEASUREITEMSTRUCT mis;
    Measure(ID_EXIT, mis);
    Draw(m_hPopup, ID_EXIT);
    EXPECT_EQ(std::vector<UINT>{ ID_EXIT }, popupObject.m_measured);
    EXPECT_EQ(std::vector<UINT>{ ID_EXIT }, popupObject.m_drawn);
    EXPECT_TRUE(m_menu.m_measured.empty());
    popupObject.Detach();  // the outer menu destroys the pop-up with itself
}

TEST_F(MenuRoutingTest, ItemOfNoPermanentMenu_IsNotRouted)
{
    HMENU hLoose = ::CreatePopupMenu();
    ::AppendMenuW(hLoose, MF_OWNERDRAW, 777, nullptr);
    MEASUREITEMSTRUCT mis;
    Measure(777, mis);
    Draw(hLoose, 777);
    EXPECT_TRUE(m_menu.m_measured.empty());
    EXPECT_TRUE(m_menu.m_drawn.empty());
    ::DestroyMenu(hLoose);
}

TEST_F(MenuRoutingTest, DetachedMenu_LeavesThePermanentMap)
{
    HMENU hMenu = m_menu.m_hMenu;
    EXPECT_EQ(&m_menu, CMenu::FromHandlePermanent(hMenu));
    EXPECT_EQ(hMenu, m_menu.Detach());
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(hMenu));
    MEASUREITEMSTRUCT mis;
    Measure(ID_OPEN, mis);
    EXPECT_TRUE(m_menu.m_measured.empty());
    ASSERT_TRUE(m_menu.Attach(hMenu));
}

namespace {
void CALLBACK CloseMenuSoon(HWND, UINT, UINT_PTR nIDEvent, DWORD)
{
    ::KillTimer(nullptr, nIDEvent);
    ::EndMenu();
}
}  // namespace

TEST_F(MenuRoutingTest, TrackPopupMenu_MeasuresThroughTheOwner)
{
    m_owner.ShowWindow(SW_SHOW);
    m_owner.SetForegroundWindow();
    const UINT_PTR nTimer = ::SetTimer(nullptr, 0, 300, &CloseMenuSoon);
    m_menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, 50, 50, &m_owner);
    ::KillTimer(nullptr, nTimer);
    EXPECT_NE(m_menu.m_measured.end(),
              std::find(m_menu.m_measured.begin(), m_menu.m_measured.end(), ID_OPEN));
}
