// The edition value of the System page shows its text whole: two lines of the body font,
// and a smaller font for the few texts that need more. Checked with every text the
// edition tables can make, on the real dialog with its real fonts.
#include "monitor/WindowsEdition.h"
#include "res/resource.h"
#include "ui/FittingFont.h"
#include "WelcomeDlgTestAccess.h"
#include "ui/VEXRAUIWelcomeDlg.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace
{
// ---------------------------------------------------------------------------------------
// Choosing the height
// ---------------------------------------------------------------------------------------

const long kHeights[] = {-18, -16, -14, -12};

TEST(FittingFont, FirstHeightThatFits_IsChosenAndNoSmallerOneIsTried)
{
    std::vector<long> tried;
    const long chosen = ChooseFittingFontHeight(kHeights, 4, 40, [&](long lfHeight) {
        tried.push_back(lfHeight);
        return static_cast<int>(-lfHeight * 5 / 2);  // 45 at -18, exactly 40 at -16
    });
    EXPECT_EQ(-16, chosen);
    EXPECT_EQ((std::vector<long>{-18, -16}), tried);
}

TEST(FittingFont, NothingFits_TakesTheSmallestHeight)
{
    EXPECT_EQ(-12, ChooseFittingFontHeight(kHeights, 4, 10, [](long) { return 11; }));
    EXPECT_EQ(0, ChooseFittingFontHeight(kHeights, 0, 10, [](long) { return 0; }));
}

// ---------------------------------------------------------------------------------------
// Every edition text the tables make
// ---------------------------------------------------------------------------------------

// The realistic build and service pack of each version: service packs ended with 7.
struct Release
{
    std::uint32_t major, minor, build;
    const char16_t* servicePack;
};
const Release kReleases[] = {
    {5, 0, 2195, u"Service Pack 4"}, {5, 1, 2600, u"Service Pack 3"},
    {5, 2, 3790, u"Service Pack 2"}, {6, 0, 6002, u"Service Pack 2"},
    {6, 1, 7601, u"Service Pack 1"}, {6, 2, 9200, u""},
    {6, 3, 9600, u""},               {10, 0, 19045, u""},
    {10, 0, 22631, u""},             {10, 0, 14393, u""},
    {10, 0, 17763, u""},             {10, 0, 20348, u""},
    {10, 0, 26100, u""},
};

std::set<std::u16string> AllEditionTexts()
{
    std::set<std::u16string> texts;
    for (const Release& release : kReleases)
    {
        WindowsVersionFacts facts;
        facts.platformId = 2;
        facts.majorVersion = release.major;
        facts.minorVersion = release.minor;
        facts.buildNumber = release.build;
        facts.csdVersion = release.servicePack;
        facts.hasProductInfo = release.major >= 6;
        facts.serverR2 = false;
        for (const std::uint8_t productType : {1, 3})
            for (const std::uint16_t architecture : {0, 6, 9})
                for (std::uint32_t suite = 0; suite < 0x10000; suite = suite ? suite << 1 : 1)
                    for (std::uint32_t type = 0; type <= (release.major >= 6 ? 0x100u : 0u); ++type)
                    {
                        facts.productType = productType;
                        facts.processorArchitecture = architecture;
                        facts.suiteMask = static_cast<std::uint16_t>(suite);
                        facts.productInfoType = type;
                        std::u16string edition;
                        std::u16string numbers;
                        if (BuildWindowsVersionText(facts, edition, numbers))
                            texts.insert(edition);
                    }
    }
    return texts;
}

class EditionFitTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(IDD_VEXRAUI_DIALOG, nullptr));
        m_hEdition = GetDlgItem(m_dlg.GetSafeHwnd(), IDC_SYSTEM_EDITION_VALUE);
        ASSERT_NE(nullptr, m_hEdition);
    }
    void TearDown() override
    {
        if (m_dlg.GetSafeHwnd() != nullptr)
            m_dlg.DestroyWindow();
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    }

    HFONT EditionFont() const
    {
        return reinterpret_cast<HFONT>(SendMessageW(m_hEdition, WM_GETFONT, 0, 0));
    }

    // The height the text takes in the control with the control's own font, wrapped
    // between words as the static wraps it, and the width of its widest line.
    SIZE WrappedSize(const std::u16string& text) const
    {
        RECT client = {};
        GetClientRect(m_hEdition, &client);
        HDC hdc = GetDC(m_hEdition);
        HGDIOBJ hOld = SelectObject(hdc, EditionFont());
        RECT bounds = {0, 0, client.right, 0};
        DrawTextW(hdc, reinterpret_cast<LPCWSTR>(text.c_str()), static_cast<int>(text.size()),
                  &bounds, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        SelectObject(hdc, hOld);
        ReleaseDC(m_hEdition, hdc);
        return {bounds.right, bounds.bottom};
    }

    void ShowEdition(const std::u16string& text)
    {
        SetWindowTextW(m_hEdition, reinterpret_cast<LPCWSTR>(text.c_str()));
        m_dlg.FitEditionText();
    }

    CVEXRAUIWelcomeDlg m_dlg;
    HWND m_hEdition = nullptr;
};

TEST_F(EditionFitTest, Control_IsTwoLinesOfTheBodyFontHigh_AtItsPlaceAndWidth)
{
    RECT rect = {};
    GetWindowRect(m_hEdition, &rect);
    MapWindowPoints(HWND_DESKTOP, m_dlg.GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(378, rect.left);
    EXPECT_EQ(175, rect.top);
    EXPECT_EQ(410, rect.right - rect.left);

    HDC hdc = GetDC(m_hEdition);
    HGDIOBJ hOld = SelectObject(hdc, CWelcomeDlgTestAccess::BodyFont(m_dlg));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(hdc, &metrics);
    SelectObject(hdc, hOld);
    ReleaseDC(m_hEdition, hdc);
    EXPECT_GE(rect.bottom - rect.top, 2 * metrics.tmHeight);
    // The row below (Processor) starts at 225.
    EXPECT_LE(rect.bottom, 225);
}

TEST_F(EditionFitTest, EveryTextOfTheTables_FitsWhole)
{
    RECT client = {};
    GetClientRect(m_hEdition, &client);
    const std::set<std::u16string> texts = AllEditionTexts();
    ASSERT_GT(texts.size(), 500u);
    std::u16string widest;
    int widestLength = 0;
    for (const std::u16string& text : texts)
    {
        ShowEdition(text);
        const SIZE size = WrappedSize(text);
        EXPECT_LE(size.cy, client.bottom) << std::string(text.begin(), text.end());
        EXPECT_LE(size.cx, client.right) << std::string(text.begin(), text.end());
        if (static_cast<int>(text.size()) > widestLength)
        {
            widest = text;
            widestLength = static_cast<int>(text.size());
        }
    }
    // The longest text needs the smaller font, and still reads at the footer's size or larger.
    ShowEdition(widest);
    LOGFONTW logFont = {};
    GetObjectW(EditionFont(), sizeof(logFont), &logFont);
    EXPECT_GT(logFont.lfHeight, -18) << std::string(widest.begin(), widest.end());
    EXPECT_LE(logFont.lfHeight, -12);
}

TEST_F(EditionFitTest, TextThatFitsTwoLines_KeepsTheBodyFont_AlsoAfterALongerOne)
{
    const std::u16string longest =
        u"Microsoft Windows Server 2008 R2 Datacenter Edition without Hyper-V (core installation) "
        u"Service Pack 1 (build 7601), 64-bit";
    const std::u16string usual = u"Microsoft Windows 11 Professional (build 22631), 64-bit";
    ShowEdition(longest);
    EXPECT_NE(CWelcomeDlgTestAccess::BodyFont(m_dlg), EditionFont());
    ShowEdition(usual);
    EXPECT_EQ(CWelcomeDlgTestAccess::BodyFont(m_dlg), EditionFont());
    EXPECT_EQ(nullptr, CWelcomeDlgTestAccess::FittedEditionFont(m_dlg)) << "the smaller font is let go";
}

}  // namespace
