// What a user sees right after starting the program: the main window, its place, the
// Welcome page with its controls, and the skin and button faces really drawn. One start
// serves every test of the suite, since they only read.
#include "Harness.h"
#include "MainWindowLayout.h"
#include "ProgramResources.h"
#include "SkinCheck.h"

#include "res/resource.h"

#include <algorithm>
#include <memory>

namespace e2e {
namespace {

// One program start for the whole suite.
class StartupTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        EndAllProgramInstances();
        ResetProgramKey();  // a first start, as on a fresh machine
        s_program = std::make_unique<ProgramUnderTest>();
        testing::AssertionResult started = s_program->Start();
        if (started)
            started = s_program->WaitForMainWindow();
        s_ready = started;
        if (!started)
            s_failure = started.message();
    }

    static void TearDownTestSuite()
    {
        s_program.reset();
        EndAllProgramInstances();
        ResetProgramKey();
    }

    void SetUp() override
    {
        if (!s_ready)
            FAIL() << "the program did not start: " << s_failure;
        m_window = s_program->MainWindow();
    }

    static std::unique_ptr<ProgramUnderTest> s_program;
    static bool s_ready;
    static std::string s_failure;
    HWND m_window = nullptr;
};

std::unique_ptr<ProgramUnderTest> StartupTest::s_program;
bool StartupTest::s_ready = false;
std::string StartupTest::s_failure;

// ---- the main window ----------------------------------------------------------------------

TEST_F(StartupTest, MainWindow_AfterStart_IsBorderless800x450TopmostAtTheCentre)
{
    EXPECT_EQ(Narrow(WindowText(m_window)), "Vexra");
    EXPECT_EQ(GetAncestor(m_window, GA_PARENT), GetDesktopWindow()) << "not a top-level window";
    EXPECT_FALSE(IsIconic(m_window));

    RECT window{};
    ASSERT_TRUE(GetWindowRect(m_window, &window));
    // Integer division truncates toward zero, also for a negative difference.
    const int expectedX = (GetSystemMetrics(SM_CXFULLSCREEN) - 800) / 2;
    const int expectedY = (GetSystemMetrics(SM_CYFULLSCREEN) - 450) / 2 - 20;
    EXPECT_EQ(window.left, expectedX) << "window at " << Describe(window);
    EXPECT_EQ(window.top, expectedY) << "window at " << Describe(window);
    EXPECT_EQ(window.right - window.left, 800) << "window at " << Describe(window);
    EXPECT_EQ(window.bottom - window.top, 450) << "window at " << Describe(window);

    RECT client{};
    ASSERT_TRUE(GetClientRect(m_window, &client));
    EXPECT_EQ(client.right, 800) << "the window has a frame";
    EXPECT_EQ(client.bottom, 450) << "the window has a caption or frame";

    const LONG style = GetWindowLongW(m_window, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(m_window, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION) << "the window shows a caption bar";
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST) << "the window is not topmost";
}

TEST_F(StartupTest, MainWindow_AfterStart_IsTheProgramsOnlyVisibleWindow)
{
    std::vector<std::string> visible;
    for (HWND window : TopLevelWindowsOf(s_program->Process().Id()))
        if (IsWindowVisible(window))
            visible.push_back("\"" + Narrow(WindowText(window)) + "\" (" +
                              Narrow(ClassNameOf(window)) + ")");
    ASSERT_EQ(visible.size(), 1u) << testing::PrintToString(visible);
    EXPECT_EQ(visible.front().substr(0, 7), "\"Vexra\"");
}

// ---- the Welcome page ---------------------------------------------------------------------

TEST_F(StartupTest, WelcomePage_AfterStart_ShowsExactlyTheWelcomeAndCommonControls)
{
    EXPECT_TRUE(ShowsExactlyPage(m_window, kWelcomePage));
}

TEST_F(StartupTest, Controls_AfterStart_CarryTheirInitialTexts)
{
    // Hidden pages included: their texts are set once at start-up, so a mixed-up id shows
    // here long before anyone opens that page.
    for (const ExpectedControl& entry : kMainWindowControls)
    {
        if (!entry.text)
            continue;
        EXPECT_EQ(Narrow(ReadControl(m_window, entry.id).text), Narrow(entry.text))
            << "text of control " << entry.id;
    }
}

TEST_F(StartupTest, Controls_AfterStart_SitAtTheirPlaces)
{
    ProgramResources resources(s_program->ExePath());
    for (const ExpectedControl& entry : kMainWindowControls)
    {
        RECT expected = ToRect(entry.place);
        // The animation box takes the size of its animation once that has loaded.
        if (entry.id == IDC_WELCOME_ANIMATION)
        {
            if (std::optional<SIZE> gif = resources.GifScreenSize(IDR_GIF_WELCOME))
            {
                expected.right = expected.left + gif->cx;
                expected.bottom = expected.top + gif->cy;
            }
        }
        const ControlState control = ReadControl(m_window, entry.id);
        ASSERT_TRUE(control.exists) << "control " << entry.id << " is missing";
        EXPECT_TRUE(EqualRect(&control.rect, &expected))
            << "control " << entry.id << " is at " << Describe(control.rect) << ", expected "
            << Describe(expected);
    }
}

TEST_F(StartupTest, VersionLine_AfterStart_ShowsTheFileVersion)
{
    const std::wstring line = ReadControl(m_window, IDC_VERSION).text;
    // The line is set before the window shows; empty means the program could not read its
    // own version record.
    ASSERT_FALSE(line.empty()) << "the version line (control 1010) is empty";

    const std::wstring version = FileVersionText(s_program->ExePath());
    ASSERT_FALSE(version.empty()) << "the program has no version record";
    std::wstring buildDate = VersionString(s_program->ExePath(), L"Build Date").value_or(L"");
    buildDate = buildDate.substr(0, buildDate.find(L'-'));
    const std::wstring expected = buildDate.size() < 2
                                      ? L"VERSION: " + version + L" "
                                      : L"VERSION: " + version + L" Build date: " + buildDate;
    EXPECT_EQ(Narrow(line), Narrow(expected));
}

// ---- the logon task ---------------------------------------------------------------------

TEST_F(StartupTest, LogonTask_FirstStart_RunsTheToolTwiceAndRecordsIt)
{
    if (!s_program->HasTaskStandIn())
        GTEST_SKIP() << "the build has no schtasks.exe stand-in (tests/helpers/schtasks.cpp)";
    // The set-up runs beside the window, and may still run when the window shows.
    ASSERT_TRUE(WaitUntil([] { return ReadProgramValue(L"Schedinfo").value_or(L"") == L"2"; }, kDeadline,
                          "\"Schedinfo\" = \"2\""));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(&version);

    const std::vector<std::wstring> runs = s_program->TaskToolRuns();
    ASSERT_EQ(runs.size(), 2u) << "runs of schtasks.exe: " << testing::PrintToString(runs);
    EXPECT_EQ(Narrow(runs[0]), "schtasks.exe /delete /tn Vexra_Start /F");
    if (version.dwMajorVersion >= 6)
    {
        // The task's program and settings are in the definition (see LogonTaskTest).
        const std::wstring start = L"schtasks.exe /create /tn Vexra_Start /xml \"";
        const std::wstring end = L".xml\" /F";
        EXPECT_EQ(Narrow(runs[1].substr(0, start.size())), Narrow(start));
        EXPECT_GT(runs[1].size(), start.size() + end.size());
        EXPECT_EQ(Narrow(runs[1].substr(runs[1].size() - std::min(runs[1].size(), end.size()))), Narrow(end));
    }
    else
    {
        const std::wstring folder = s_program->Folder().Path();
        wchar_t shortFolder[500] = {};
        const DWORD length = GetShortPathNameW(folder.c_str(), shortFolder, ARRAYSIZE(shortFolder));
        const std::wstring taskProgram =
            (length > 0 && length < ARRAYSIZE(shortFolder) ? std::wstring(shortFolder) : folder) +
            L"\\VEXRA-by-Teskor.exe";
        EXPECT_EQ(Narrow(runs[1]), Narrow(L"schtasks.exe /create /sc ONLOGON  /tn Vexra_Start /tr \"'" + taskProgram +
                                          L"'\" /ru \"System\" "));
    }
}

// ---- what the screen shows -----------------------------------------------------------------

TEST_F(StartupTest, WelcomePage_Screenshot_ShowsTheSkinAndTheButtonFaces)
{
    ProgramResources resources(s_program->ExePath());
    const std::optional<BitmapPixels> skin = resources.Bitmap(IDB_SKIN_MAIN);
    ASSERT_TRUE(skin) << "the program has no uncompressed skin bitmap " << IDB_SKIN_MAIN;
    struct Face
    {
        int controlId;
        int imageId;
        const char* name;
        RECT rect;
        std::optional<BitmapPixels> image;
        double share;
    };
    Face faces[] = {{IDC_START, IDR_PNG_START_NORMAL, "Start", {}, {}, 0},
                    {IDC_CLOSE, IDR_PNG_CLOSE_NORMAL, "close", {}, {}, 0},
                    {IDC_CONTACT, IDR_PNG_CONTACT_NORMAL, "contact", {}, {}, 0}};
    for (Face& face : faces)
    {
        face.rect = ReadControl(m_window, face.controlId).rect;
        face.image = resources.Png(face.imageId);
        ASSERT_TRUE(face.image) << "cannot decode PNG " << face.imageId;
    }
    const std::vector<RECT> visibleControls = VisibleControlRects(m_window, 2);
    ParkMouseCursor();
    if (ScreenBitsPerPixel() < 24)
    {
        ScreenImage::OfWindow(m_window).SavePng(L"welcome");
        GTEST_SKIP() << "the screen has " << ScreenBitsPerPixel()
                     << " bits per pixel; colour checks need a true-colour screen";
    }

    // Painting goes on after the window shows (faces are composed on their first paint):
    // wait for the finished picture.
    ScreenImage screen;
    double skinShare = 0;
    auto finished = [&] {
        screen = ScreenImage::OfWindow(m_window);
        if (screen.Empty())
            return false;
        skinShare = ShareMatchingSkin(screen, *skin, visibleControls);
        bool allFaces = true;
        for (Face& face : faces)
        {
            face.share = ShareShowingFace(screen, *skin, *face.image, face.rect);
            allFaces = allFaces && face.share > 0.9;
        }
        return skinShare > 0.95 && allFaces;
    };
    const testing::AssertionResult drawn =
        WaitUntil(finished, kDeadline, "the skin and the button faces to be drawn");
    EXPECT_FALSE(screen.SavePng(L"welcome").empty())
        << "could not write the screenshot of the Welcome page";

    EXPECT_TRUE(drawn);
    RECT client{};
    GetClientRect(m_window, &client);
    EXPECT_GT(skinShare, 0.95) << "the background does not show the skin bitmap ("
                               << screen.ShareOfDialogGrey(client)
                               << " of the window is the plain dialog grey)";
    for (const Face& face : faces)
        EXPECT_GT(face.share, 0.9) << "the " << face.name << " button does not show its image "
                                   << face.imageId << " over the skin at " << Describe(face.rect);
}

}  // namespace
}  // namespace e2e
