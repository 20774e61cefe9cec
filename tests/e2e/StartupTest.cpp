// What a user sees right after starting the program: the main window, its place, the
// Welcome page with its controls, and the skin and button faces really drawn. One start
// serves every test of the suite, since they only read.
#include "Harness.h"
#include "ProgramResources.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>

namespace e2e {
namespace {

enum class Page { All, Welcome, Tabs, Engine, System };

struct Place {
    int x, y, width, height;
};

struct ControlSpec {
    int id;
    Page page;
    Place place;
    const wchar_t* text;  // nullptr: not a text control, or checked by its own test
};

// Every control of the main window: where it sits, on which page it shows, what it says
// before any page command runs.
const ControlSpec kControls[] = {
    {IDC_CONTACT, Page::All, {740, 4, 24, 24}, nullptr},
    {IDC_CLOSE, Page::All, {772, 4, 24, 24}, nullptr},
    {IDC_START, Page::Welcome, {336, 370, 250, 38}, nullptr},
    {IDC_WELCOME, Page::Welcome, {391, 43, 165, 33}, L"WELCOME"},
    {IDC_SLOGAN, Page::Welcome, {300, 115, 340, 33}, L"Vexra Boost Your Applications"},
    {IDC_VERSION, Page::All, {195, 428, 320, 19}, nullptr},
    {IDC_PRODUCT_YEAR, Page::All, {719, 428, 75, 19}, L"Vexra,2018"},
    {IDC_WELCOME_ANIMATION, Page::Welcome, {335, 161, 291, 175}, nullptr},
    {IDC_TAB_ENGINE, Page::Tabs, {30, 177, 152, 52}, nullptr},
    {IDC_TAB_SYSTEM, Page::Tabs, {30, 232, 152, 52}, nullptr},
    {IDC_SYSTEM_ICON, Page::System, {208, 8, 64, 54}, nullptr},
    {IDC_SYSTEM_TITLE, Page::System, {277, 25, 277, 36}, L"System Information :"},
    {IDC_SYSTEM_COMPUTER_LABEL, Page::System, {225, 125, 150, 19}, L"Computer Name:"},
    {IDC_SYSTEM_COMPUTER_VALUE, Page::System, {378, 125, 410, 19}, L"A"},
    {IDC_SYSTEM_EDITION_LABEL, Page::System, {225, 175, 150, 19}, L"Windows Edition:"},
    {IDC_SYSTEM_EDITION_VALUE, Page::System, {378, 175, 410, 19}, L"A"},
    {IDC_SYSTEM_PROCESSOR_LABEL, Page::System, {225, 225, 92, 19}, L"Processor:"},
    {IDC_SYSTEM_PROCESSOR_VALUE, Page::System, {320, 225, 410, 19}, L"A"},
    {IDC_SYSTEM_MEMORY_LABEL, Page::System, {225, 275, 225, 19}, L"Installed Memory (RAM:)"},
    {IDC_SYSTEM_MEMORY_VALUE, Page::System, {453, 275, 410, 19}, L"A"},
    {IDC_SYSTEM_TYPE_LABEL, Page::System, {225, 325, 110, 19}, L"System Type:"},
    {IDC_SYSTEM_TYPE_VALUE, Page::System, {338, 325, 410, 19}, L"A"},
    {IDC_ENGINE_ICON, Page::Engine, {208, 13, 64, 54}, nullptr},
    {IDC_ENGINE_TITLE, Page::Engine, {277, 28, 290, 36}, L"Vexra Engine Status:"},
    {IDC_ENGINE_STATUS, Page::Engine, {570, 28, 250, 36}, L"Processing"},
    {IDC_ENGINE_CPU_LABEL, Page::Engine, {309, 104, 68, 32}, L"CPU"},
    {IDC_ENGINE_MEMORY_LABEL, Page::Engine, {555, 104, 155, 32}, L"MEMORY"},
    {IDC_CPU_GAUGE, Page::Engine, {305, 156, 76, 76}, nullptr},
    {IDC_MEMORY_GAUGE, Page::Engine, {578, 168, 88, 58}, nullptr},
    {IDC_ENGINE_CPU_USAGE, Page::Engine, {301, 255, 106, 32}, L"Usage:50%"},
    {IDC_ENGINE_MEMORY_USAGE, Page::Engine, {578, 255, 106, 32}, L"Usage:50%"},
    {IDC_ENGINE_PROCESS_LABEL, Page::Engine, {290, 326, 240, 32}, L"Number of Running Process:"},
    {IDC_ENGINE_PROCESS_COUNT, Page::Engine, {533, 326, 106, 32}, L"0"},
    {IDC_ENGINE_FOCUS_LABEL, Page::Engine, {290, 360, 110, 32}, L"Focus on:"},
    {IDC_ENGINE_FOCUS_VALUE, Page::Engine, {403, 360, 256, 32}, L"Do something..."},
};

bool ShownOnWelcomePage(Page page)
{
    return page == Page::All || page == Page::Welcome;
}

RECT ToRect(const Place& place)
{
    return {place.x, place.y, place.x + place.width, place.y + place.height};
}

bool Contains(const RECT& rect, int x, int y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

std::vector<HWND> DirectChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

bool IsNear(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Share of the sampled client pixels outside every visible control that show the skin
// bitmap's pixel at the same place.
double ShareMatchingSkin(const ScreenImage& screen, const BitmapPixels& skin,
                         const std::vector<RECT>& visibleControls)
{
    size_t compared = 0;
    size_t matching = 0;
    for (int y = 0; y < skin.height; y += 3) {
        for (int x = 0; x < skin.width; x += 3) {
            const bool covered = std::any_of(visibleControls.begin(), visibleControls.end(),
                                             [&](const RECT& r) { return Contains(r, x, y); });
            if (covered)
                continue;
            ++compared;
            const COLORREF shown = screen.ColorAtClient(x, y);
            const COLORREF expected = skin.At(x, y);
            if (shown != CLR_INVALID && IsNear(shown, expected, 3))
                ++matching;
        }
    }
    return compared ? static_cast<double>(matching) / compared : 0.0;
}

COLORREF Blend(COLORREF over, COLORREF under, int alpha)
{
    auto channel = [&](int top, int bottom) { return (top * alpha + bottom * (255 - alpha)) / 255; };
    return RGB(channel(GetRValue(over), GetRValue(under)), channel(GetGValue(over), GetGValue(under)),
               channel(GetBValue(over), GetBValue(under)));
}

// Of the pixels of `button` where `image` alpha-blended over the skin looks different from
// the bare skin, the share that show it. The image is drawn one pixel right of and below
// the button's corner, as the image buttons place their faces (the first row and column
// keep the skin).
double ShareShowingFace(const ScreenImage& screen, const BitmapPixels& skin,
                        const BitmapPixels& image, const RECT& button)
{
    size_t telling = 0;
    size_t matching = 0;
    for (int y = 1; y < button.bottom - button.top && y - 1 < image.height; ++y) {
        for (int x = 1; x < button.right - button.left && x - 1 < image.width; ++x) {
            const COLORREF under = skin.At(button.left + x, button.top + y);
            const COLORREF expected = Blend(image.At(x - 1, y - 1), under, image.Alpha(x - 1, y - 1));
            if (IsNear(expected, under, 24))
                continue;  // the bare skin would pass here too
            ++telling;
            if (IsNear(screen.ColorAtClient(button.left + x, button.top + y), expected, 12))
                ++matching;
        }
    }
    return telling ? static_cast<double>(matching) / telling : 0.0;
}

// One program start for the whole suite.
class StartupTest : public testing::Test {
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
    std::set<int> expectedShown;
    for (const ControlSpec& spec : kControls) {
        const ControlState control = ReadControl(m_window, spec.id);
        ASSERT_TRUE(control.exists) << "control " << spec.id << " is missing";
        EXPECT_EQ(control.shown, ShownOnWelcomePage(spec.page))
            << "control " << spec.id << " (\"" << Narrow(control.text) << "\") is "
            << (control.shown ? "shown" : "hidden");
        if (ShownOnWelcomePage(spec.page))
            expectedShown.insert(spec.id);
    }
    // Nothing else of the window may show either.
    for (HWND child : DirectChildrenOf(m_window)) {
        const int id = GetDlgCtrlID(child);
        if (IsWindowVisible(child)) {
            EXPECT_TRUE(expectedShown.count(id))
                << "unexpected visible child " << id << " of class " << Narrow(ClassNameOf(child));
        }
    }
}

TEST_F(StartupTest, Controls_AfterStart_CarryTheirInitialTexts)
{
    // Hidden pages included: their texts are set once at start-up, so a mixed-up id shows
    // here long before anyone opens that page.
    for (const ControlSpec& spec : kControls) {
        if (!spec.text)
            continue;
        EXPECT_EQ(Narrow(ReadControl(m_window, spec.id).text), Narrow(spec.text))
            << "text of control " << spec.id;
    }
}

TEST_F(StartupTest, Controls_AfterStart_SitAtTheirPlaces)
{
    ProgramResources resources(s_program->ExePath());
    for (const ControlSpec& spec : kControls) {
        RECT expected = ToRect(spec.place);
        // The animation box takes the size of its animation once that has loaded.
        if (spec.id == IDC_WELCOME_ANIMATION) {
            if (std::optional<SIZE> gif = resources.GifScreenSize(IDR_GIF_WELCOME)) {
                expected.right = expected.left + gif->cx;
                expected.bottom = expected.top + gif->cy;
            }
        }
        const ControlState control = ReadControl(m_window, spec.id);
        ASSERT_TRUE(control.exists) << "control " << spec.id << " is missing";
        EXPECT_TRUE(EqualRect(&control.rect, &expected))
            << "control " << spec.id << " is at " << Describe(control.rect) << ", expected "
            << Describe(expected);
    }
}

TEST_F(StartupTest, VersionLine_AfterStart_ShowsTheFileVersion)
{
    const std::wstring line = ReadControl(m_window, IDC_VERSION).text;
    if (line.empty())
        GTEST_SKIP() << "the version line (control 1010) is still empty";

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
    // The task starts the program's file name in the short form of its folder.
    const std::wstring folder = s_program->Folder().Path();
    wchar_t shortFolder[500] = {};
    const DWORD length = GetShortPathNameW(folder.c_str(), shortFolder, ARRAYSIZE(shortFolder));
    const std::wstring taskProgram =
        (length > 0 && length < ARRAYSIZE(shortFolder) ? std::wstring(shortFolder) : folder) +
        L"\\VEXRA-by-Teskor.exe";
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(&version);
    const std::wstring create =
        version.dwMajorVersion >= 6
            ? L"schtasks.exe /create /sc ONLOGON /delay 0005:00 /tn Vexra_Start /tr \"'" +
                  taskProgram + L"'\" /RL HIGHEST"
            : L"schtasks.exe /create /sc ONLOGON  /tn Vexra_Start /tr \"'" + taskProgram +
                  L"'\" /ru \"System\" ";

    const std::vector<std::wstring> runs = s_program->TaskToolRuns();
    ASSERT_EQ(runs.size(), 2u) << "runs of schtasks.exe: " << testing::PrintToString(runs);
    EXPECT_EQ(Narrow(runs[0]), "schtasks.exe /delete /tn Vexra_Start /F");
    EXPECT_EQ(Narrow(runs[1]), Narrow(create));
    EXPECT_EQ(ReadProgramValue(L"Schedinfo").value_or(L"(missing)"), L"2");
}

// ---- what the screen shows -----------------------------------------------------------------

TEST_F(StartupTest, WelcomePage_Screenshot_ShowsTheSkinAndTheButtonFaces)
{
    ProgramResources resources(s_program->ExePath());
    const std::optional<BitmapPixels> skin = resources.Bitmap(IDB_SKIN_MAIN);
    ASSERT_TRUE(skin) << "the program has no uncompressed skin bitmap " << IDB_SKIN_MAIN;
    struct Face {
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
    for (Face& face : faces) {
        face.rect = ReadControl(m_window, face.controlId).rect;
        face.image = resources.Png(face.imageId);
        ASSERT_TRUE(face.image) << "cannot decode PNG " << face.imageId;
    }
    std::vector<RECT> visibleControls;
    for (const ControlSpec& spec : kControls) {
        const ControlState control = ReadControl(m_window, spec.id);
        if (control.shown) {
            RECT around = control.rect;
            InflateRect(&around, 2, 2);
            visibleControls.push_back(around);
        }
    }
    ParkMouseCursor();

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
        for (Face& face : faces) {
            face.share = ShareShowingFace(screen, *skin, *face.image, face.rect);
            allFaces = allFaces && face.share > 0.9;
        }
        return skinShare > 0.95 && allFaces;
    };
    const testing::AssertionResult drawn =
        WaitUntil(finished, kDeadline, "the skin and the button faces to be drawn");

    const std::wstring saved = screen.SavePng(L"welcome");
    EXPECT_FALSE(saved.empty()) << "could not write the screenshot of the Welcome page";
    if (ScreenBitsPerPixel() < 24)
        GTEST_SKIP() << "the screen has " << ScreenBitsPerPixel()
                     << " bits per pixel; colour checks need a true-colour screen";

    EXPECT_TRUE(drawn);
    for (const Face& face : faces)
        std::printf("%s button: %.3f of its image shown\n", face.name, face.share);
    EXPECT_GT(skinShare, 0.95) << "the background does not show the skin bitmap";
    for (const Face& face : faces)
        EXPECT_GT(face.share, 0.9) << "the " << face.name << " button does not show its image "
                                   << face.imageId << " over the skin at " << Describe(face.rect);
}

}  // namespace
}  // namespace e2e
