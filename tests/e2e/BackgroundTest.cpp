// Life in the notification area: the close button sends the window to the background with
// a notice, the icon brings it back, and the icon's menu ends the program after returning
// every process to the normal priority class.
#include "Harness.h"
#include "ProgramResources.h"
#include "SkinCheck.h"

#include "res/resource.h"

#include <algorithm>
#include <memory>

namespace e2e {
namespace {

constexpr wchar_t kNoticeLine1[] = L"Vexra is running in Background click the";
constexpr wchar_t kNoticeLine2[] = L"VEXRA icon in system tray to restore";

// The visible pop-up menu window (class "#32768") of `processId`, if one is open.
HWND FindOpenMenu(DWORD processId)
{
    for (HWND window : TopLevelWindowsOf(processId))
        if (IsWindowVisible(window) && ClassNameOf(window) == L"#32768")
            return window;
    return nullptr;
}

void PostToAll(const std::vector<HWND>& windows, UINT message, WPARAM wParam)
{
    for (HWND window : windows)
        PostMessageW(window, message, wParam, MAKELPARAM(8, 8));
}

class BackgroundTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        MarkLogonTaskDone();
        m_iconsBefore = TrayIconWindows().size();
    }

    void StartProgram()
    {
        m_program = std::make_unique<ProgramUnderTest>();
        ASSERT_TRUE(m_program->Start());
        ASSERT_TRUE(m_program->WaitForMainWindow());
        m_window = m_program->MainWindow();
        ParkMouseCursor();
    }

    // The icons the program added, found as the tray's icons beyond those there before.
    testing::AssertionResult WaitForOwnIcon()
    {
        return WaitUntil([&] { return TrayIconWindows().size() > m_iconsBefore; }, kDeadline,
                         "the program's notification-area icon");
    }

    // Right-clicks the icon until the program's menu shows, as a user clicks again when a
    // menu did not open. Without a window manager Wine hands the activation on to its tray
    // window a moment after the main window hides; a menu opened just before that closes
    // at once.
    HWND OpenTrayMenu()
    {
        HWND menu = nullptr;
        WaitUntil(
            [&] {
                PostToAll(TrayIconWindows(), WM_RBUTTONDOWN, MK_RBUTTON);
                PostToAll(TrayIconWindows(), WM_RBUTTONUP, 0);
                WaitUntil([&] { return (menu = FindOpenMenu(m_program->Process().Id())); },
                          Milliseconds{1000}, "the icon's menu to open");
                return menu != nullptr;
            },
            kDeadline, "the icon's menu to open");
        return menu;
    }

    // Starts an application (the boostee.exe helper), then the program, which lowers it as
    // already running; waits for the program's icon too.
    void StartProgramOverRunningApplication(const TempFolder& folder, ChildProcess& present)
    {
        std::wstring failure;
        ASSERT_TRUE(StartHelperAs(L"boostee", L"present.exe", folder.Path(), L"present", present,
                                  &failure))
            << Narrow(failure);
        ASSERT_TRUE(WaitUntil([&] { return !TopLevelWindowsOf(present.Id()).empty(); }, kDeadline,
                              "the window of present.exe"));
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_TRUE(WaitUntil([&] { return present.PriorityClass() == BELOW_NORMAL_PRIORITY_CLASS; },
                              kDeadline, "the running application to be lowered"));
        ASSERT_TRUE(WaitForOwnIcon());
    }

    void CloseToBackground()
    {
        ASSERT_TRUE(ClickControl(m_window, IDC_CLOSE, ClickMethod::Mouse));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_window); }, kDeadline,
                              "the main window to hide"));
    }

    void TearDown() override
    {
        m_program.reset();
        ProgramTest::TearDown();
    }

    size_t m_iconsBefore = 0;
    std::unique_ptr<ProgramUnderTest> m_program;
    HWND m_window = nullptr;
};

TEST_F(BackgroundTest, CloseButton_Clicked_HidesTheWindowAndShowsTheBackgroundNotice)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(CloseToBackground());
    EXPECT_TRUE(m_program->Process().IsRunning()) << "the program ended instead of going on";

    HWND notice = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (notice = FindPopupOf(m_program->Process().Id(), m_window, kNoticeLine1)); },
        kDeadline, "the background notice"));
    EXPECT_EQ(Narrow(WindowText(GetDlgItem(notice, IDC_POPUP_LINE2))), Narrow(kNoticeLine2));
    RECT place{};
    GetWindowRect(notice, &place);
    const RECT expected = {GetSystemMetrics(SM_CXFULLSCREEN) - 360,
                           GetSystemMetrics(SM_CYFULLSCREEN) - 100,
                           GetSystemMetrics(SM_CXFULLSCREEN) - 10,
                           GetSystemMetrics(SM_CYFULLSCREEN) + 20};
    EXPECT_TRUE(EqualRect(&place, &expected))
        << "the notice is at " << Describe(place) << ", expected " << Describe(expected);
    EXPECT_TRUE(GetWindowLongW(notice, GWL_EXSTYLE) & WS_EX_TOPMOST);
    const std::optional<BitmapPixels> skin =
        ProgramResources(m_program->ExePath()).Bitmap(IDB_SKIN_POPUP);
    ASSERT_TRUE(skin) << "the program has no uncompressed popup skin " << IDB_SKIN_POPUP;
    EXPECT_TRUE(WaitForSkinnedWindow(notice, *skin, L"background-notice"));
}

TEST_F(BackgroundTest, TrayIcon_SingleThenDoubleClicked_BringsTheWindowBackOnlyOnDoubleClick)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(WaitForOwnIcon());
    ASSERT_NO_FATAL_FAILURE(CloseToBackground());
    const std::vector<HWND> icons = TrayIconWindows();

    PostToAll(icons, WM_LBUTTONDOWN, MK_LBUTTON);
    PostToAll(icons, WM_LBUTTONUP, 0);
    EXPECT_TRUE(HoldsFor([&] { return !IsWindowVisible(m_window); }, Milliseconds{1000},
                         "a single click on the icon leaves the window hidden"));

    PostToAll(icons, WM_LBUTTONDBLCLK, MK_LBUTTON);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, kDeadline,
                          "the window to show after a double click on the icon"));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_window; }, Milliseconds{3000},
                          "the window to come to the front"));
}

TEST_F(BackgroundTest, TrayMenuOpen_AfterClose_ShowsTheWindowInFront)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(WaitForOwnIcon());
    ASSERT_NO_FATAL_FAILURE(CloseToBackground());

    // Right click on the icon, then "Open", the menu's first item, with the keyboard.
    HWND menu = OpenTrayMenu();
    ASSERT_TRUE(menu) << "no menu opened on a right click on the icon";
    PressKey(menu, VK_DOWN);
    PressKey(menu, VK_RETURN);

    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, kDeadline,
                          "the window to show after \"Open\""));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_window; }, Milliseconds{3000},
                          "the window to come to the front"));
    EXPECT_TRUE(m_program->Process().IsRunning());
}

TEST_F(BackgroundTest, TrayMenuExit_RestoresEveryPriorityAndRemovesTheIcon)
{
    if (!FileExists(HelperPath(L"boostee")))
        GTEST_SKIP() << "the build has no boostee.exe helper (tests/helpers/boostee.cpp)";
    TempFolder folder;
    ChildProcess present;
    ASSERT_NO_FATAL_FAILURE(StartProgramOverRunningApplication(folder, present));

    // Right click on the icon, then "Exit", the menu's second item, with the keyboard.
    HWND menu = OpenTrayMenu();
    ASSERT_TRUE(menu) << "no menu opened on a right click on the icon";
    ScreenImage::OfWindow(menu).SavePng(L"tray-menu");
    PressKey(menu, VK_DOWN);
    PressKey(menu, VK_DOWN);
    PressKey(menu, VK_RETURN);

    DWORD exitCode = 0;
    ASSERT_TRUE(m_program->Process().WaitForExit(kDeadline, &exitCode))
        << "the program did not end after Exit";
    EXPECT_LT(exitCode, 0xC0000000u) << "the program ended with status 0x" << std::hex << exitCode;
    EXPECT_EQ(PriorityClassName(present.PriorityClass()), std::string("NORMAL"));
    EXPECT_EQ(PriorityClassName(PriorityClassOf(GetCurrentProcessId())), std::string("NORMAL"))
        << "this test driver was lowered too and must be back to normal";
    EXPECT_TRUE(WaitUntil([&] { return TrayIconWindows().size() == m_iconsBefore; },
                          Milliseconds{3000}, "the icon to go"));
}

TEST_F(BackgroundTest, EscapeKey_EndsTheProgramWithEveryPriorityRestoredAndTheIconRemoved)
{
    if (!FileExists(HelperPath(L"boostee")))
        GTEST_SKIP() << "the build has no boostee.exe helper (tests/helpers/boostee.cpp)";
    TempFolder folder;
    ChildProcess present;
    ASSERT_NO_FATAL_FAILURE(StartProgramOverRunningApplication(folder, present));

    PressKey(m_window, VK_ESCAPE);
    ASSERT_TRUE(m_program->Process().WaitForExit(kDeadline))
        << "Escape did not end the program (the dialog's default Cancel)";
    // Any end of the program, not only the tray's Exit, leaves no process lowered.
    EXPECT_EQ(PriorityClassName(present.PriorityClass()), std::string("NORMAL"));
    EXPECT_TRUE(WaitUntil([&] { return TrayIconWindows().size() == m_iconsBefore; },
                          Milliseconds{3000}, "the icon to go"));
}

}  // namespace
}  // namespace e2e
