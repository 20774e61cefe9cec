// The System page on the Windows people run: the default prefix's Windows 7, a Windows 10
// and a Windows 11. The page names the Windows that really runs, with its build, no empty
// edition word, and the whole text inside its control.
#include "Harness.h"
#include "MainWindowLayout.h"
#include "PinnedWindowsVersion.h"

#include "res/resource.h"

#include <memory>
#include <regex>

namespace e2e {
namespace {

// How many pixels the text takes, wrapped at the control's width as a static wraps it, in
// the program's body font (Rockwell, 18 pixels, medium). The program's GDI objects are
// its own; this driver makes the same font in the same prefix.
int WrappedHeightInBodyFont(const std::wstring& text, int width)
{
    LOGFONTW logFont = {};
    logFont.lfHeight = -18;
    logFont.lfWeight = FW_MEDIUM;
    logFont.lfCharSet = DEFAULT_CHARSET;
    wcscpy(logFont.lfFaceName, L"Rockwell");
    HFONT font = CreateFontIndirectW(&logFont);
    HDC screen = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(screen, font);
    RECT bounds = {0, 0, width, 0};
    DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &bounds,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(screen, oldFont);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    return bounds.bottom - bounds.top;
}

struct ExpectedWindows
{
    const wchar_t* name;  // "Windows 10 "
    DWORD major, minor, build;
    const wchar_t* servicePack;  // "" when none
    int servicePackNumber;
};

class WindowsVersionTest : public ProgramTest
{
protected:
    void TearDown() override
    {
        m_program.reset();
        ProgramTest::TearDown();
    }

    // Starts the program, opens the System page and checks what it says about Windows.
    void ExpectSystemPageNames(const ExpectedWindows& windows, const wchar_t* screenshotName)
    {
        MarkLogonTaskDone();
        m_program = std::make_unique<ProgramUnderTest>();
        ASSERT_TRUE(m_program->Start());
        ASSERT_TRUE(m_program->WaitForMainWindow());
        const HWND window = m_program->MainWindow();
        ASSERT_TRUE(PressStart(window));
        ASSERT_TRUE(ClickControl(window, IDC_TAB_SYSTEM, ClickMethod::BmClick));
        ASSERT_TRUE(WaitUntil([&] { return ShowsExactlyPage(window, kSystemPage); }, kDeadline,
                              "the System page"));
        ScreenImage::OfWindow(window).SavePng(screenshotName);

        std::wstring servicePack = windows.servicePack;
        if (!servicePack.empty())
            servicePack = L" " + servicePack;
        const std::wstring build = std::to_wstring(windows.build);
        const ControlState edition = ReadControl(window, IDC_SYSTEM_EDITION_VALUE);
        // The name, one edition word or more, and nothing doubled: an edition the tables
        // do not know would leave two blanks.
        const std::wregex pattern(L"Microsoft " + std::wstring(windows.name) + L"[^ ]+( [^ ]+)*" +
                                  servicePack + L" \\(build " + build + L"\\), (32|64)-bit");
        EXPECT_TRUE(std::regex_match(edition.text, pattern)) << "edition \"" << Narrow(edition.text) << "\"";
        EXPECT_EQ(edition.text.find(L"  "), std::wstring::npos) << Narrow(edition.text);

        const int width = edition.rect.right - edition.rect.left;
        const int height = edition.rect.bottom - edition.rect.top;
        EXPECT_LE(WrappedHeightInBodyFont(edition.text, width), height)
            << "\"" << Narrow(edition.text) << "\" does not fit its control " << Describe(edition.rect);

        const std::wstring numbers = std::to_wstring(windows.major) + L"." +
                                     std::to_wstring(windows.minor) + L"." + build + L" Service Pack " +
                                     std::to_wstring(windows.servicePackNumber) + L" Build " + build;
        EXPECT_EQ(Narrow(ReadControl(window, IDC_SYSTEM_TYPE_VALUE).text), Narrow(numbers));
    }

    std::unique_ptr<ProgramUnderTest> m_program;
};

TEST_F(WindowsVersionTest, DefaultPrefix_NamesWindows7WithItsServicePack)
{
    // The prefix's own Windows, as this driver sees it too.
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
    if (version.dwMajorVersion != 6 || version.dwMinorVersion != 1)
        GTEST_SKIP() << "the prefix does not report Windows 7";
    ExpectSystemPageNames({L"Windows 7 ", 6, 1, version.dwBuildNumber, version.szCSDVersion,
                           version.wServicePackMajor},
                          L"system-windows7");
}

TEST_F(WindowsVersionTest, Windows10Prefix_NamesWindows10AndItsRealBuild)
{
    PinnedWindowsVersion windows10(18362);
    ASSERT_TRUE(windows10.IsPinned());
    ExpectSystemPageNames({L"Windows 10 ", 10, 0, 18362, L"", 0}, L"system-windows10");
}

TEST_F(WindowsVersionTest, Windows11Prefix_NamesWindows11FromItsBuild)
{
    PinnedWindowsVersion windows11(22631);
    ASSERT_TRUE(windows11.IsPinned());
    ExpectSystemPageNames({L"Windows 11 ", 10, 0, 22631, L"", 0}, L"system-windows11");
}

}  // namespace
}  // namespace e2e
