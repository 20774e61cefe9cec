// The main dialog built from the executable's own dialog template: what each page shows,
// the text colours of its statics and the fonts of its texts.
#include "res/resource.h"
#include "WelcomeDlgTestAccess.h"
#include "ui/VEXRAUIWelcomeDlg.h"

#include <gtest/gtest.h>
#include <objidl.h>
#include <gdiplus.h>

#include <map>
#include <set>
#include <vector>

namespace
{
// The image buttons draw with GDI+, which the application starts for the whole run.
class GdiplusEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};
testing::Environment* const g_pGdiplus = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

std::vector<int> AllControlIds()
{
    std::vector<int> ids = {1007, 1008};
    for (int id = 1010; id <= 1017; ++id)
        ids.push_back(id);
    for (int id = 1019; id <= 1043; ++id)
        ids.push_back(id);
    return ids;
}

std::set<int> Range(int first, int last)
{
    std::set<int> ids;
    for (int id = first; id <= last; ++id)
        ids.insert(id);
    return ids;
}

std::set<int> Union(std::set<int> a, const std::set<int>& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

// Footer, product year, contact and close are on every page.
const std::set<int> kOnEveryPage = {1010, 1011, 1012, 1013};
const std::set<int> kWelcomePage = Union(kOnEveryPage, {1007, 1008, 1014, 1015});
const std::set<int> kEnginePage =
    Union(Union(kOnEveryPage, {1016, 1017, 1031, 1042, 1043}), Range(1032, 1041));
const std::set<int> kSystemPage =
    Union(Union(kOnEveryPage, {1016, 1017, 1019}), Range(1020, 1030));

class WelcomeDlgTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(IDD_VEXRAUI_DIALOG, nullptr));
        ASSERT_NE(nullptr, m_dlg.GetSafeHwnd());
    }
    void TearDown() override
    {
        if (m_dlg.GetSafeHwnd() != nullptr)
            m_dlg.DestroyWindow();
    }

    HWND Control(int id) { return GetDlgItem(m_dlg.GetSafeHwnd(), id); }

    // Every control of the dialog is visible exactly when it belongs to the page.
    void ExpectOnlyVisible(const std::set<int>& visible, const char* pszPage)
    {
        ASSERT_TRUE(IsWindowVisible(m_dlg.GetSafeHwnd()));
        for (int id : AllControlIds())
        {
            HWND hControl = Control(id);
            ASSERT_NE(nullptr, hControl) << "control " << id;
            EXPECT_EQ(visible.count(id) == 1, IsWindowVisible(hControl) != FALSE)
                << pszPage << ": control " << id;
        }
    }

    CVEXRAUIWelcomeDlg m_dlg;
};

// ---------------------------------------------------------------------------------------
// Pages
// ---------------------------------------------------------------------------------------

TEST_F(WelcomeDlgTest, AfterInit_OnlyTheWelcomePageIsVisible)
{
    ExpectOnlyVisible(kWelcomePage, "after init");
}

TEST_F(WelcomeDlgTest, ShowPage_EachPageHidesWhatTheOthersShowed)
{
    m_dlg.ShowPage(1);
    ExpectOnlyVisible(kEnginePage, "engine");
    m_dlg.ShowPage(2);
    ExpectOnlyVisible(kSystemPage, "system");
    m_dlg.ShowPage(1);
    ExpectOnlyVisible(kEnginePage, "engine again");
}

TEST_F(WelcomeDlgTest, ShowPage_SelectsTheTabOfThePageShown)
{
    auto expectSelected = [](const CGdipButton& tab, bool bSelected, const char* pszWhat) {
        EXPECT_EQ(bSelected ? 2 : 0, tab.AlternateState()) << pszWhat;
        EXPECT_EQ(bSelected, tab.IsDisabledLook() != FALSE) << pszWhat;
    };
    m_dlg.ShowPage(1);
    expectSelected(CWelcomeDlgTestAccess::EngineTab(m_dlg), true, "engine page: engine tab");
    expectSelected(CWelcomeDlgTestAccess::SystemTab(m_dlg), false, "engine page: system tab");
    m_dlg.ShowPage(2);
    expectSelected(CWelcomeDlgTestAccess::EngineTab(m_dlg), false, "system page: engine tab");
    expectSelected(CWelcomeDlgTestAccess::SystemTab(m_dlg), true, "system page: system tab");
}

TEST_F(WelcomeDlgTest, ShowPage_PlaysTheAnimationsOfItsPage)
{
    EXPECT_TRUE(CWelcomeDlgTestAccess::WelcomePicture(m_dlg).IsAnimating());
    EXPECT_FALSE(CWelcomeDlgTestAccess::CpuGauge(m_dlg).IsAnimating());
    m_dlg.ShowPage(1);
    EXPECT_TRUE(CWelcomeDlgTestAccess::CpuGauge(m_dlg).IsAnimating());
    EXPECT_TRUE(CWelcomeDlgTestAccess::MemoryGauge(m_dlg).IsAnimating());
}

TEST_F(WelcomeDlgTest, ShowPage_UnknownPage_ChangesNothing)
{
    m_dlg.ShowPage(2);
    m_dlg.ShowPage(3);
    m_dlg.ShowPage(-1);
    ExpectOnlyVisible(kSystemPage, "system, then unknown pages");
}

// ---------------------------------------------------------------------------------------
// Static text colours
// ---------------------------------------------------------------------------------------

const std::map<int, COLORREF> kExpectedColours = {
    {1008, RGB(45, 54, 76)},   {1010, RGB(45, 54, 76)},   {1011, RGB(45, 54, 76)},
    {1034, RGB(45, 54, 76)},   {1035, RGB(45, 54, 76)},   {1007, RGB(110, 111, 110)},
    {1020, RGB(110, 111, 110)}, {1032, RGB(110, 111, 110)}, {1021, RGB(47, 47, 47)},
    {1023, RGB(47, 47, 47)},   {1025, RGB(47, 47, 47)},   {1027, RGB(47, 47, 47)},
    {1029, RGB(47, 47, 47)},   {1022, RGB(4, 121, 254)},  {1024, RGB(4, 121, 254)},
    {1026, RGB(4, 121, 254)},  {1028, RGB(4, 121, 254)},  {1030, RGB(4, 121, 254)},
    {1033, RGB(23, 106, 214)}, {1039, RGB(23, 106, 214)}, {1041, RGB(23, 106, 214)},
    {1036, RGB(40, 40, 40)},   {1037, RGB(40, 40, 40)},   {1038, RGB(46, 46, 46)},
    {1040, RGB(46, 46, 46)},
};
const COLORREF kSentinel = RGB(1, 2, 3);
// What the default handling of the colour messages gives every control first.
const COLORREF kDefaultText = GetSysColor(COLOR_WINDOWTEXT);

struct ColourAnswer
{
    HBRUSH hBrush;
    int nBkMode;
    COLORREF textColour;
};

class CtlColorTest : public WelcomeDlgTest
{
protected:
    ColourAnswer Ask(UINT message, int id)
    {
        HDC hdc = CreateCompatibleDC(nullptr);
        SetBkMode(hdc, OPAQUE);
        SetTextColor(hdc, kSentinel);
        HWND hFrom = id == 0 ? m_dlg.GetSafeHwnd() : Control(id);
        auto hBrush = reinterpret_cast<HBRUSH>(SendMessageW(
            m_dlg.GetSafeHwnd(), message, reinterpret_cast<WPARAM>(hdc),
            reinterpret_cast<LPARAM>(hFrom)));
        ColourAnswer answer = {hBrush, GetBkMode(hdc), GetTextColor(hdc)};
        DeleteDC(hdc);
        return answer;
    }

    const HBRUSH m_hHollow = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
};

TEST_F(CtlColorTest, EveryListedStatic_GetsItsColourOnATransparentBackground)
{
    for (const auto& [id, colour] : kExpectedColours)
    {
        const ColourAnswer answer = Ask(WM_CTLCOLORSTATIC, id);
        EXPECT_EQ(colour, answer.textColour) << "control " << id;
        EXPECT_EQ(m_hHollow, answer.hBrush) << "control " << id;
        EXPECT_EQ(TRANSPARENT, answer.nBkMode) << "control " << id;
    }
}

TEST_F(CtlColorTest, UnlistedStatic_KeepsTheDefaultColourButIsStillTransparent)
{
    ASSERT_NE(kSentinel, kDefaultText);
    // The picture frame and the buttons have no colour of their own.
    for (int id : {1012, 1015, 1042})
    {
        const ColourAnswer answer = Ask(WM_CTLCOLORSTATIC, id);
        EXPECT_EQ(kDefaultText, answer.textColour) << "control " << id;
        EXPECT_EQ(m_hHollow, answer.hBrush) << "control " << id;
        EXPECT_EQ(TRANSPARENT, answer.nBkMode) << "control " << id;
    }
}

TEST_F(CtlColorTest, DialogBackgroundIsTransparent_ButtonsKeepTheirDefaults)
{
    const ColourAnswer dialog = Ask(WM_CTLCOLORDLG, 0);
    EXPECT_EQ(m_hHollow, dialog.hBrush);
    EXPECT_EQ(TRANSPARENT, dialog.nBkMode);

    // A listed id asked about as a button gets neither the colour nor the hollow brush.
    const ColourAnswer button = Ask(WM_CTLCOLORBTN, 1007);
    EXPECT_NE(m_hHollow, button.hBrush);
    EXPECT_EQ(OPAQUE, button.nBkMode);
    EXPECT_EQ(kDefaultText, button.textColour);
}

// ---------------------------------------------------------------------------------------
// Texts and fonts
// ---------------------------------------------------------------------------------------

TEST_F(WelcomeDlgTest, Texts_CarryTheirFontsAtFixedPixelHeights)
{
    const std::map<int, LONG> kHeights = {
        {1010, -12}, {1011, -12}, {1007, -30}, {1032, -30}, {1033, -30}, {1008, -24},
        {1020, -24}, {1040, -24}, {1041, -24}, {1021, -18}, {1030, -18}, {1036, -18},
        {1039, -18}, {1034, -30}, {1035, -30},
    };
    for (const auto& [id, height] : kHeights)
    {
        auto hFont = reinterpret_cast<HFONT>(SendMessageW(Control(id), WM_GETFONT, 0, 0));
        ASSERT_NE(nullptr, hFont) << "control " << id;
        LOGFONTW logFont = {};
        ASSERT_EQ(static_cast<int>(sizeof(logFont)), GetObjectW(hFont, sizeof(logFont), &logFont));
        EXPECT_EQ(height, logFont.lfHeight) << "control " << id;
        EXPECT_EQ(FW_MEDIUM, logFont.lfWeight) << "control " << id;
        EXPECT_STREQ(L"Rockwell", logFont.lfFaceName) << "control " << id;
    }
}

TEST_F(WelcomeDlgTest, VersionLine_ComesFromTheExecutablesRecord)
{
    // The test executable carries the program's version record, which has no build date.
    wchar_t szText[128] = {};
    GetWindowTextW(Control(1010), szText, 128);
    EXPECT_STREQ(L"VERSION: 1.0.0.37 ", szText);
}

// ---------------------------------------------------------------------------------------
// The end of the program
// ---------------------------------------------------------------------------------------

TEST_F(WelcomeDlgTest, EndOfSession_LaterReportsAndCycles_ChangeNoPriorityAgain)
{
    const HWND hDlg = m_dlg.GetSafeHwnd();
    CWelcomeDlgTestAccess::Engine(m_dlg).Start();  // as after Start
    SendMessageW(hDlg, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));

    // The window lives on until the process is ended: what the watcher reports and what
    // the foreground timer finds now must leave every process at normal.
    SendMessageW(hDlg, WM_PROCESS_STARTED, GetCurrentProcessId(), 1);
    SendMessageW(hDlg, WM_PROCESS_PRESENT, GetCurrentProcessId(), 1);
    SendMessageW(hDlg, WM_TIMER, TIMER_FOREGROUND, 0);
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

}  // namespace
