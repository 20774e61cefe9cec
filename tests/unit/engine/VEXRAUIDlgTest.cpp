#include <gtest/gtest.h>

#include "controls/WindowTestSupport.h"
#include "engine/VEXRAUIDlg.h"
#include "res/resource.h"

using controls_test::PumpUntil;

namespace {

// Counts how often a popup object is really deleted.
class CCountedPopup : public CVEXRAUIDlg
{
public:
    explicit CCountedPopup(int& deletions) : CVEXRAUIDlg(nullptr), m_deletions(deletions) {}
    ~CCountedPopup() override { ++m_deletions; }

private:
    int& m_deletions;
};

std::wstring ItemText(HWND hDialog, int id)
{
    wchar_t text[128] = {};
    GetDlgItemTextW(hDialog, id, text, 128);
    return text;
}

RECT ChildRect(HWND hDialog, int id)
{
    RECT rect = {};
    HWND hChild = GetDlgItem(hDialog, id);
    GetWindowRect(hChild, &rect);
    MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class PopupTest : public ::testing::Test
{
protected:
    void SetUp() override { controls_test::StartGraphics(); }
};

} // namespace

TEST_F(PopupTest, Open_ShowsTwoWhiteLinesTopmostInTheCorner)
{
    int deletions = 0;
    auto* popup = new CCountedPopup(deletions);
    popup->m_nCloseDelayMs = 60000;
    ASSERT_TRUE(popup->Open(L"NOTEPAD is now", L"VEXRA Boosted"));
    const HWND hPopup = popup->GetSafeHwnd();

    EXPECT_TRUE(IsWindowVisible(hPopup));
    EXPECT_TRUE(GetWindowLongW(hPopup, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect = {};
    GetWindowRect(hPopup, &rect);
    EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXFULLSCREEN) - 360);
    EXPECT_EQ(rect.top, GetSystemMetrics(SM_CYFULLSCREEN) - 100);
    EXPECT_EQ(rect.right - rect.left, 350);
    EXPECT_EQ(rect.bottom - rect.top, 120);

    EXPECT_EQ(ItemText(hPopup, IDC_POPUP_LINE1), L"NOTEPAD is now");
    EXPECT_EQ(ItemText(hPopup, IDC_POPUP_LINE2), L"VEXRA Boosted");
    for (int id : {IDC_POPUP_LINE1, IDC_POPUP_LINE2})
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(hPopup, id))) << id;
    const RECT line1 = ChildRect(hPopup, IDC_POPUP_LINE1);
    const RECT line2 = ChildRect(hPopup, IDC_POPUP_LINE2);
    EXPECT_EQ(line1.left, 98);
    EXPECT_EQ(line1.top, 13);
    EXPECT_EQ(line1.right - line1.left, 250);
    EXPECT_EQ(line1.bottom - line1.top, 36);
    EXPECT_EQ(line2.left, 98);
    EXPECT_EQ(line2.top, 51);

    LOGFONTW font = {};
    HFONT hFont = reinterpret_cast<HFONT>(SendDlgItemMessageW(hPopup, IDC_POPUP_LINE2, WM_GETFONT, 0, 0));
    ASSERT_NE(hFont, nullptr);
    GetObjectW(hFont, sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, L"Rockwell");
    EXPECT_EQ(font.lfHeight, -16);
    EXPECT_EQ(font.lfWeight, 500);

    // Static texts are white over the skin, on a transparent background.
    HDC hDC = GetDC(hPopup);
    SetTextColor(hDC, RGB(0, 0, 0));
    const LRESULT brush = SendMessageW(hPopup, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                       reinterpret_cast<LPARAM>(GetDlgItem(hPopup, IDC_POPUP_LINE1)));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetTextColor(hDC), RGB(255, 255, 255));
    EXPECT_EQ(GetBkMode(hDC), TRANSPARENT);
    ReleaseDC(hPopup, hDC);

    // Escape closes it early, the same way the timer does.
    SendMessageW(hPopup, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(PumpUntil([&] { return deletions == 1; }, 5000));
    EXPECT_FALSE(IsWindow(hPopup));
}

TEST_F(PopupTest, CloseTimer_DestroysAndFreesEachPopupOnItsOwn)
{
    int firstDeletions = 0, secondDeletions = 0;
    auto* first = new CCountedPopup(firstDeletions);
    first->m_nCloseDelayMs = 100;
    auto* second = new CCountedPopup(secondDeletions);
    second->m_nCloseDelayMs = 1500;
    ASSERT_TRUE(first->Open(L"A is now", L"VEXRA Boosted"));
    ASSERT_TRUE(second->Open(L"B is now", L"VEXRA Boosted"));
    const HWND hFirst = first->GetSafeHwnd();
    const HWND hSecond = second->GetSafeHwnd();

    ASSERT_TRUE(PumpUntil([&] { return firstDeletions == 1; }));
    EXPECT_FALSE(IsWindow(hFirst));
    EXPECT_TRUE(IsWindowVisible(hSecond)) << "each popup keeps its own time";
    EXPECT_EQ(secondDeletions, 0);
    ASSERT_TRUE(PumpUntil([&] { return secondDeletions == 1; }));
    EXPECT_FALSE(IsWindow(hSecond));
    EXPECT_EQ(firstDeletions, 1) << "deleted exactly once";
}

TEST_F(PopupTest, ShowNotifyPopup_MakesAnIndependentPopupThatEndsItself)
{
    const HWND hPopup = ShowNotifyPopup(nullptr, L"EDITOR 2 is now", L"VEXRA Boosted", 100);
    ASSERT_NE(hPopup, nullptr);
    EXPECT_TRUE(IsWindowVisible(hPopup));
    EXPECT_EQ(ItemText(hPopup, IDC_POPUP_LINE1), L"EDITOR 2 is now");
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hPopup); }));
    EXPECT_EQ(CWnd::FromHandlePermanent(hPopup), nullptr) << "the window left the framework's map";
}

TEST_F(PopupTest, Open_LeavesTheWindowInFrontWhereItIs)
{
    // The announced application is the one in front; the popup must not take its place.
    const HWND hFront = CreateWindowExW(0, L"STATIC", L"application in front", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                        10, 10, 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hFront, nullptr);
    SetForegroundWindow(hFront);
    if (!PumpUntil([&] { return GetForegroundWindow() == hFront; }, 3000))
    {
        DestroyWindow(hFront);
        GTEST_SKIP() << "this desktop does not let the test put a window in front";
    }

    const HWND hPopup = ShowNotifyPopup(nullptr, L"NOTEPAD is now", L"VEXRA Boosted", 60000);
    ASSERT_NE(hPopup, nullptr);
    EXPECT_TRUE(IsWindowVisible(hPopup));
    EXPECT_EQ(GetForegroundWindow(), hFront);
    EXPECT_NE(GetActiveWindow(), hPopup);

    DestroyWindow(hPopup);
    DestroyWindow(hFront);
}
