// A second start by the same user: it brings the running instance's window back (shown,
// restored, in front) and ends without a window of its own, whatever state that window
// was in.
#include "DecoyWindow.h"
#include "Harness.h"

#include <memory>

namespace e2e {
namespace {

class SecondStartTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        MarkLogonTaskDone();  // not what these tests are about; keeps each start short
        m_program = std::make_unique<ProgramUnderTest>();
        ASSERT_TRUE(m_program->Start());
        ASSERT_TRUE(m_program->WaitForMainWindow());
        m_window = m_program->MainWindow();
    }

    void TearDown() override
    {
        m_program.reset();
        ProgramTest::TearDown();
    }

    // Starts the second instance and waits for its end, watching it never show a window.
    void RunSecondInstance()
    {
        ChildProcess second;
        ASSERT_TRUE(m_program->StartSecondInstance(second));
        bool showedWindow = false;
        const testing::AssertionResult ended = WaitUntil(
            [&] {
                for (HWND window : TopLevelWindowsOf(second.Id()))
                    showedWindow = showedWindow || IsWindowVisible(window);
                return !second.IsRunning();
            },
            kDeadline, "the second instance to end");
        ASSERT_TRUE(ended);
        EXPECT_FALSE(showedWindow) << "the second instance showed a window of its own";

        DWORD exitCode = 0;
        ASSERT_TRUE(second.WaitForExit(Milliseconds{0}, &exitCode));
        // An exception status (0xC0000005 and the like) means it crashed on its way out.
        EXPECT_LT(exitCode, 0xC0000000u) << "the second instance ended with status 0x" << std::hex
                                         << exitCode;
    }

    void ExpectFirstInstanceInFront()
    {
        ASSERT_TRUE(m_program->Process().IsRunning()) << "the first instance ended";
        EXPECT_EQ(ProgramInstances(), std::vector<DWORD>{m_program->Process().Id()})
            << "not exactly one program process is left";
        // The guard has no window a second start could find instead of the program's.
        EXPECT_EQ(EndGuards().size(), 1u)
            << "the first instance runs without its end guard";
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, kDeadline,
                              "the first instance's window to show"));
        EXPECT_TRUE(WaitUntil([&] { return !IsIconic(m_window); }, Milliseconds{3000},
                              "the first instance's window to be restored"));
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_window; }, Milliseconds{3000},
                              "the first instance's window to be in front"));
    }

    std::unique_ptr<ProgramUnderTest> m_program;
    HWND m_window = nullptr;
};

TEST_F(SecondStartTest, SecondStart_WhileWindowShown_EndsAndBringsTheFirstToTheFront)
{
    DecoyWindow decoy;
    ASSERT_TRUE(decoy.BringToFront());

    ASSERT_NO_FATAL_FAILURE(RunSecondInstance());
    ExpectFirstInstanceInFront();
}

TEST_F(SecondStartTest, SecondStart_WhileWindowHidden_ShowsTheFirstInTheFront)
{
    // What the close button does: the window goes, the program runs on in the background.
    ShowWindow(m_window, SW_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_window); }, kDeadline,
                          "the main window to hide"));
    DecoyWindow decoy;
    ASSERT_TRUE(decoy.BringToFront());

    ASSERT_NO_FATAL_FAILURE(RunSecondInstance());
    ExpectFirstInstanceInFront();
}

TEST_F(SecondStartTest, SecondStart_WhileWindowMinimized_RestoresTheFirst)
{
    ShowWindow(m_window, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(m_window) != FALSE; }, kDeadline,
                          "the main window to minimize"));
    DecoyWindow decoy;
    ASSERT_TRUE(decoy.BringToFront());

    ASSERT_NO_FATAL_FAILURE(RunSecondInstance());
    ExpectFirstInstanceInFront();

    RECT window{};
    GetWindowRect(m_window, &window);
    EXPECT_EQ(window.right - window.left, 800) << "restored to " << Describe(window);
    EXPECT_EQ(window.bottom - window.top, 450) << "restored to " << Describe(window);
}

}  // namespace
}  // namespace e2e
