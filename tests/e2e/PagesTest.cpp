// The Start button and the page tabs, clicked as a user clicks them: which page shows, the
// selected tab's look, and the live values each page fills in.
#include "Harness.h"
#include "MainWindowLayout.h"
#include "ProgramResources.h"
#include "SkinCheck.h"

#include "res/resource.h"

#include <psapi.h>

#include <cstdlib>
#include <cwctype>
#include <memory>
#include <regex>

namespace e2e {
namespace {

bool Matches(const std::wstring& text, const wchar_t* pattern)
{
    return std::regex_match(text, std::wregex(pattern));
}

std::wstring ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = ARRAYSIZE(name);
    GetComputerNameW(name, &length);
    return name;
}

std::wstring ProcessorName()
{
    wchar_t name[512] = {};
    DWORD bytes = sizeof(name) - sizeof(wchar_t);
    RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                 L"ProcessorNameString", RRF_RT_REG_SZ, nullptr, name, &bytes);
    return name;
}

int RunningProcessCount()
{
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    return static_cast<int>(bytes / sizeof(DWORD));
}

std::wstring Lower(std::wstring text)
{
    for (auto& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

class PagesTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        MarkLogonTaskDone();
        m_program = std::make_unique<ProgramUnderTest>();
        ASSERT_TRUE(m_program->Start());
        ASSERT_TRUE(m_program->WaitForMainWindow());
        m_window = m_program->MainWindow();
        ParkMouseCursor();
    }

    void TearDown() override
    {
        m_program.reset();
        ProgramTest::TearDown();
    }

    testing::AssertionResult WaitForPage(int pageNumber)
    {
        testing::AssertionResult shown = testing::AssertionFailure();
        WaitUntil(
            [&] {
                shown = ShowsExactlyPage(m_window, pageNumber);
                return static_cast<bool>(shown);
            },
            kDeadline, "page " + std::to_string(pageNumber));
        return shown;
    }

    // Waits until the tabs show their faces: the selected one its selected image (its
    // disabled look), the other its normal image. Saves a screenshot named `name`.
    void ExpectTabFaces(int selectedTab, int selectedImage, int otherTab, int otherImage,
                        const wchar_t* name)
    {
        ProgramResources resources(m_program->ExePath());
        const std::optional<BitmapPixels> skin = resources.Bitmap(IDB_SKIN_MAIN);
        const std::optional<BitmapPixels> selected = resources.Png(selectedImage);
        const std::optional<BitmapPixels> other = resources.Png(otherImage);
        ASSERT_TRUE(skin && selected && other) << "cannot read the skin or the tab images";
        const RECT selectedRect = ReadControl(m_window, selectedTab).rect;
        const RECT otherRect = ReadControl(m_window, otherTab).rect;

        if (ScreenBitsPerPixel() < 24)
        {
            ScreenImage::OfWindow(m_window).SavePng(name);
            GTEST_SKIP() << "colour checks need a true-colour screen";
        }
        ScreenImage screen;
        double selectedShare = 0, otherShare = 0;
        const testing::AssertionResult drawn = WaitUntil(
            [&] {
                screen = ScreenImage::OfWindow(m_window);
                selectedShare = ShareShowingFace(screen, *skin, *selected, selectedRect);
                otherShare = ShareShowingFace(screen, *skin, *other, otherRect);
                return selectedShare > 0.9 && otherShare > 0.9;
            },
            kDeadline, "the tabs to show their faces");
        EXPECT_FALSE(screen.SavePng(name).empty()) << "could not write a screenshot";
        EXPECT_TRUE(drawn);
        EXPECT_GT(selectedShare, 0.9)
            << "tab " << selectedTab << " does not show its selected image " << selectedImage;
        EXPECT_GT(otherShare, 0.9)
            << "tab " << otherTab << " does not show its normal image " << otherImage;
    }

    std::unique_ptr<ProgramUnderTest> m_program;
    HWND m_window = nullptr;
};

TEST_F(PagesTest, StartButton_Clicked_ShowsTheEnginePageWithLiveValues)
{
    ASSERT_TRUE(ClickControl(m_window, IDC_START, ClickMethod::Mouse));
    ASSERT_TRUE(WaitForPage(kEnginePage));
    ExpectTabFaces(IDC_TAB_ENGINE, IDR_PNG_TAB_ENGINE_SELECTED, IDC_TAB_SYSTEM, IDR_PNG_TAB_SYSTEM,
                   L"engine");

    // The engine's beat counts the running processes of the system.
    std::wstring count;
    EXPECT_TRUE(WaitUntil(
        [&] {
            count = ReadControl(m_window, IDC_ENGINE_PROCESS_COUNT).text;
            return Matches(count, L"[1-9][0-9]*");
        },
        kDeadline, "the number of running processes"))
        << "control 1039 shows \"" << Narrow(count) << "\"";
    // It counts what this driver counts too (the same prefix), give or take a process
    // starting or ending in between.
    EXPECT_TRUE(WaitUntil(
        [&] {
            count = ReadControl(m_window, IDC_ENGINE_PROCESS_COUNT).text;
            const int shown = std::wcstol(count.c_str(), nullptr, 10);
            return std::abs(shown - RunningProcessCount()) <= 2;
        },
        kDeadline, "the process count to match the processes running"))
        << "control 1039 shows \"" << Narrow(count) << "\", " << RunningProcessCount()
        << " processes run";
    // The processor usage is a whole percentage.
    std::wstring cpu;
    EXPECT_TRUE(WaitUntil(
        [&] {
            cpu = ReadControl(m_window, IDC_ENGINE_CPU_USAGE).text;
            return Matches(cpu, L"Usage:[0-9]{1,3}%");
        },
        kDeadline, "a processor usage text"))
        << "control 1036 shows \"" << Narrow(cpu) << "\"";
}

TEST_F(PagesTest, StartButton_PointerRestingThenLeavingThenClicking_HoversAndStarts)
{
    ProgramResources resources(m_program->ExePath());
    const std::optional<BitmapPixels> skin = resources.Bitmap(IDB_SKIN_MAIN);
    const std::optional<BitmapPixels> hover = resources.Png(IDR_PNG_START_HOVER);
    const std::optional<BitmapPixels> normal = resources.Png(IDR_PNG_START_NORMAL);
    ASSERT_TRUE(skin && hover && normal) << "cannot read the skin or the Start images";
    const RECT start = ReadControl(m_window, IDC_START).rect;
    auto shows = [&](const BitmapPixels& face) {
        return ShareShowingFace(ScreenImage::OfWindow(m_window), *skin, face, start) > 0.9;
    };
    if (ScreenBitsPerPixel() < 24)
        GTEST_SKIP() << "colour checks need a true-colour screen";

    ASSERT_TRUE(MovePointerTo(ControlCentreOnScreen(m_window, IDC_START)));
    EXPECT_TRUE(WaitUntil([&] { return shows(*hover); }, kDeadline,
                          "the Start button's hover face under the resting pointer"));
    EXPECT_FALSE(shows(*normal)) << "the hover face cannot be told from the normal one";
    ParkMouseCursor();
    EXPECT_TRUE(WaitUntil([&] { return shows(*normal); }, kDeadline,
                          "the Start button's normal face once the pointer has left"));

    ASSERT_TRUE(ClickControl(m_window, IDC_START, ClickMethod::SystemInput));
    EXPECT_TRUE(WaitForPage(kEnginePage));
}

TEST_F(PagesTest, Tabs_ClickedInTurn_SwitchPagesAndFillTheSystemFacts)
{
    ASSERT_TRUE(ClickControl(m_window, IDC_START, ClickMethod::BmClick));
    ASSERT_TRUE(WaitForPage(kEnginePage));

    ASSERT_TRUE(ClickControl(m_window, IDC_TAB_SYSTEM, ClickMethod::Mouse));
    ASSERT_TRUE(WaitForPage(kSystemPage));
    ExpectTabFaces(IDC_TAB_SYSTEM, IDR_PNG_TAB_SYSTEM_SELECTED, IDC_TAB_ENGINE, IDR_PNG_TAB_ENGINE,
                   L"system");

    EXPECT_EQ(Narrow(Lower(ReadControl(m_window, IDC_SYSTEM_COMPUTER_VALUE).text)),
              Narrow(Lower(ComputerName())));
    EXPECT_EQ(Narrow(ReadControl(m_window, IDC_SYSTEM_PROCESSOR_VALUE).text),
              Narrow(ProcessorName()));
    const std::wstring edition = ReadControl(m_window, IDC_SYSTEM_EDITION_VALUE).text;
    EXPECT_TRUE(!edition.empty() && edition != L"A") << "edition \"" << Narrow(edition) << "\"";
    const std::wstring numbers = ReadControl(m_window, IDC_SYSTEM_TYPE_VALUE).text;
    EXPECT_TRUE(Matches(numbers, L"[0-9]+\\.[0-9]+\\.([0-9]+) Service Pack [0-9]+ Build [0-9]+"))
        << "System Type shows \"" << Narrow(numbers) << "\"";
    // Whole gibibytes, truncated and then increased by one; 64-bit numbers.
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof(memory);
    GlobalMemoryStatusEx(&memory);
    const std::wstring installed = ReadControl(m_window, IDC_SYSTEM_MEMORY_VALUE).text;
    EXPECT_TRUE(Matches(installed, (std::to_wstring((memory.ullTotalPhys >> 30) + 1) +
                                    L" GB \\([0-9]+ GB Usable\\)")
                                       .c_str()))
        << "installed memory shows \"" << Narrow(installed) << "\"";

    ASSERT_TRUE(ClickControl(m_window, IDC_TAB_ENGINE, ClickMethod::BmClick));
    EXPECT_TRUE(WaitForPage(kEnginePage));
}

}  // namespace
}  // namespace e2e
