// The engine at work once Start is pressed, against real processes: an application the
// user starts runs at real-time at once and is announced when it comes to the front, the
// one before it drops to below-normal, and the application in front carries its namesakes
// with it.
#include "Harness.h"
#include "MainWindowLayout.h"
#include "ProgramResources.h"
#include "SkinCheck.h"

#include "res/resource.h"

#include <chrono>
#include <cwctype>
#include <memory>

namespace e2e {
namespace {

class EngineTest : public HelperProgramTest
{
protected:
    void SetUp() override
    {
        HelperProgramTest::SetUp();
        if (IsSkipped())
            return;
        m_program = std::make_unique<ProgramUnderTest>();
        ASSERT_TRUE(m_program->StartWithEngine(ClickMethod::Mouse));
        m_window = m_program->MainWindow();
    }

    void TearDown() override
    {
        m_program.reset();
        ProgramTest::TearDown();
    }

    // Starts a copy of the windowed helper as `name` and returns its window.
    HWND StartApplication(const std::wstring& name, ChildProcess& process)
    {
        HWND window = nullptr;
        EXPECT_TRUE(e2e::StartApplication(name, m_folder.Path(), process, &window));
        return window;
    }

    // Waits for the popup that announces `upperName` ("NAME is now") and returns it.
    HWND WaitForAnnouncement(const std::wstring& upperName)
    {
        const std::wstring firstLine = upperName + L" is now";
        HWND popup = nullptr;
        EXPECT_TRUE(WaitUntil(
            [&] { return (popup = FindPopupOf(m_program->Process().Id(), m_window, firstLine)) != nullptr; },
            kDeadline, "the popup \"" + Narrow(firstLine) + "\""));
        return popup;
    }

    static testing::AssertionResult WaitForClass(const ChildProcess& process, DWORD priorityClass,
                                                 const char* who)
    {
        testing::AssertionResult reached = WaitUntil(
            [&] { return process.PriorityClass() == priorityClass; }, kDeadline,
            std::string(who) + " to run at " + PriorityClassName(priorityClass));
        if (!reached)
            reached << " (it runs at " << PriorityClassName(process.PriorityClass()) << ")";
        return reached;
    }

    TempFolder m_folder;
    std::unique_ptr<ProgramUnderTest> m_program;
    HWND m_window = nullptr;
};

TEST_F(EngineTest, StartedApplication_AfterStart_IsBoostedAnnouncedAndTheOneBeforeLowered)
{
    ChildProcess alpha;
    ASSERT_TRUE(StartApplication(L"alpha.exe", alpha));
    EXPECT_TRUE(WaitForClass(alpha, REALTIME_PRIORITY_CLASS, "alpha.exe"));

    // Announced by its name (it has no version record): in the Engine page and in a popup.
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadControl(m_window, IDC_ENGINE_FOCUS_VALUE).text == L"alpha"; }, kDeadline,
        "\"Focus on:\" to name alpha"))
        << "it shows \"" << Narrow(ReadControl(m_window, IDC_ENGINE_FOCUS_VALUE).text) << "\"";
    HWND popup = WaitForAnnouncement(L"ALPHA");
    if (popup)
    {
        EXPECT_EQ(Narrow(WindowText(GetDlgItem(popup, IDC_POPUP_LINE2))), "VEXRA Boosted");
        const std::optional<BitmapPixels> skin =
            ProgramResources(m_program->ExePath()).Bitmap(IDB_SKIN_POPUP);
        ASSERT_TRUE(skin) << "the program has no uncompressed popup skin " << IDB_SKIN_POPUP;
        EXPECT_TRUE(WaitForSkinnedWindow(popup, *skin, L"boost-popup"));
    }

    ChildProcess bravo;
    ASSERT_TRUE(StartApplication(L"bravo.exe", bravo));
    EXPECT_TRUE(WaitForClass(bravo, REALTIME_PRIORITY_CLASS, "bravo.exe"));
    EXPECT_TRUE(WaitForClass(alpha, BELOW_NORMAL_PRIORITY_CLASS, "alpha.exe"));
}

TEST_F(EngineTest, LongNamedApplication_Announced_ShowsFirst35CharactersForTwelveSecondsAndBoostingGoesOnInTheBackground)
{
    // 40 characters before the extension; the announcement keeps the first 35.
    const std::wstring stem = L"longnamedapplicationforvexraannouncement";
    ASSERT_EQ(stem.size(), 40u);
    const std::wstring shown = stem.substr(0, 35);
    std::wstring upperShown = shown;
    for (wchar_t& c : upperShown)
        c = static_cast<wchar_t>(std::towupper(c));

    ChildProcess longNamed;
    ASSERT_TRUE(StartApplication(stem + L".exe", longNamed));
    HWND popup = WaitForAnnouncement(upperShown);
    ASSERT_TRUE(popup);
    const auto seenAt = std::chrono::steady_clock::now();
    EXPECT_EQ(Narrow(ReadControl(m_window, IDC_ENGINE_FOCUS_VALUE).text), Narrow(shown));

    RECT place{};
    GetWindowRect(popup, &place);
    const RECT expected = {GetSystemMetrics(SM_CXFULLSCREEN) - 360, GetSystemMetrics(SM_CYFULLSCREEN) - 100,
                           GetSystemMetrics(SM_CXFULLSCREEN) - 360 + 350,
                           GetSystemMetrics(SM_CYFULLSCREEN) - 100 + 120};
    EXPECT_TRUE(EqualRect(&place, &expected))
        << "the popup is at " << Describe(place) << ", expected " << Describe(expected);
    EXPECT_TRUE(GetWindowLongW(popup, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the popup is not topmost";

    // The announcement stays for its twelve seconds, then goes by itself.
    const auto sinceSeen = [&] {
        return std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now() - seenAt);
    };
    EXPECT_TRUE(HoldsFor([&] { return IsWindow(popup) && IsWindowVisible(popup); },
                         Milliseconds{10000} - sinceSeen(), "the popup to stay for ten seconds"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(popup); }, Milliseconds{15000} - sinceSeen(),
                          "the popup to close itself"))
        << "after " << sinceSeen().count() << " ms since it was seen";

    // With the window in the background, an application started now is still boosted.
    ASSERT_TRUE(ClickControl(m_window, IDC_CLOSE, ClickMethod::Mouse));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_window); }, kDeadline, "the main window to hide"));
    ChildProcess hidden;
    ASSERT_TRUE(StartApplication(L"hidden.exe", hidden));
    EXPECT_TRUE(WaitForClass(hidden, REALTIME_PRIORITY_CLASS, "hidden.exe started in the background"));
    EXPECT_TRUE(WaitForClass(longNamed, BELOW_NORMAL_PRIORITY_CLASS, "the long-named application"));
}

TEST_F(EngineTest, ApplicationInFront_WithNamesakes_IsBoostedAndTheOneBeforeLowered)
{
    // Each start is announced once its window is in front; let every announcement happen
    // before choosing the application in front, so none comes in the middle of the checks.
    ChildProcess chrome, chromedriver, other;
    HWND chromeWindow = StartApplication(L"chrome.exe", chrome);
    ASSERT_TRUE(chromeWindow);
    ASSERT_TRUE(WaitForAnnouncement(L"CHROME"));
    ASSERT_TRUE(StartApplication(L"chromedriver.exe", chromedriver));
    ASSERT_TRUE(WaitForAnnouncement(L"CHROMEDRIVER"));
    HWND otherWindow = StartApplication(L"other.exe", other);
    ASSERT_TRUE(otherWindow);
    ASSERT_TRUE(WaitForAnnouncement(L"OTHER"));

    ASSERT_TRUE(BringToFront(chromeWindow, "chrome.exe's window"));
    EXPECT_TRUE(WaitForClass(chrome, REALTIME_PRIORITY_CLASS, "chrome.exe in front"));
    EXPECT_TRUE(WaitForClass(chromedriver, REALTIME_PRIORITY_CLASS, "its namesake chromedriver.exe"));
    EXPECT_TRUE(WaitForClass(other, BELOW_NORMAL_PRIORITY_CLASS, "other.exe"));

    ASSERT_TRUE(BringToFront(otherWindow, "other.exe's window"));
    EXPECT_TRUE(WaitForClass(other, REALTIME_PRIORITY_CLASS, "other.exe in front"));
    EXPECT_TRUE(WaitForClass(chrome, BELOW_NORMAL_PRIORITY_CLASS, "chrome.exe"));
    EXPECT_TRUE(WaitForClass(chromedriver, BELOW_NORMAL_PRIORITY_CLASS, "chromedriver.exe"));
}

}  // namespace
}  // namespace e2e
