#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "WindowTestSupport.h"
#include "controls/GdipButton.h"
#include "res/resource.h"

using controls_test::ColourText;
using controls_test::ColoursClose;
using controls_test::CDialogTemplate;
using controls_test::CPixelCanvas;

// ---- Which face a state shows ------------------------------------------------------------

TEST(ButtonFace, Choose_DisabledLookWinsOverEverything)
{
    for (bool pressed : {false, true})
        for (bool hovering : {false, true})
            for (int alternate : {0, 2})
            {
                ButtonFaceState state;
                state.disabledLook = true;
                state.pressed = pressed;
                state.hovering = hovering;
                state.alternateState = alternate;
                state.hasAlternate = state.hasHover = true;
                EXPECT_EQ(ChooseButtonFace(state), ButtonFace::Disabled);
            }
}

TEST(ButtonFace, Choose_NonZeroAlternateStateSelectsAlternateSet)
{
    struct Case { bool pressed, hovering; int alternate; ButtonFace expected; };
    const Case cases[] = {
        {false, false, 0, ButtonFace::Normal},   {false, false, 2, ButtonFace::AltNormal},
        {false, false, -1, ButtonFace::AltNormal}, {false, true, 0, ButtonFace::Hover},
        {false, true, 2, ButtonFace::AltHover},  {true, false, 0, ButtonFace::Pressed},
        {true, true, 0, ButtonFace::Pressed},    {true, true, 7, ButtonFace::AltPressed},
    };
    for (const Case& c : cases)
    {
        ButtonFaceState state;
        state.pressed = c.pressed;
        state.hovering = c.hovering;
        state.alternateState = c.alternate;
        state.hasAlternate = state.hasHover = true;
        EXPECT_EQ(ChooseButtonFace(state), c.expected)
            << "pressed " << c.pressed << " hovering " << c.hovering << " alternate " << c.alternate;
    }
}

TEST(ButtonFace, Choose_WithoutAlternateImage_PressShowsHoverElseNormal)
{
    ButtonFaceState state;
    state.pressed = true;
    state.hasHover = true;
    EXPECT_EQ(ChooseButtonFace(state), ButtonFace::Hover);
    state.hasHover = false;
    EXPECT_EQ(ChooseButtonFace(state), ButtonFace::Normal);
    // An alternate state without an alternate image has no alternate faces to show.
    state.alternateState = 2;
    state.pressed = false;
    EXPECT_EQ(ChooseButtonFace(state), ButtonFace::Normal);
    state.hovering = true;
    EXPECT_EQ(ChooseButtonFace(state), ButtonFace::Hover);
}

// ---- A real button in a real dialog ------------------------------------------------------

namespace {

constexpr WORD kButtonId = 1001;
constexpr COLORREF kBackground = RGB(10, 200, 30);
constexpr int kButtonSize = 24; // the close button images are 24 x 24

class CTestButton : public CGdipButton
{
public:
    using CGdipButton::DrawItem;
};

// A dialog whose background is one known colour, holding one image button.
class CButtonDialog : public CDialog
{
public:
    CTestButton m_button;
    int m_nClicks = 0;
    bool m_bClickTwice = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, kButtonId, m_button);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_button.MoveWindow(10, 10, kButtonSize, kButtonSize);
        m_button.LoadNormalImage(IDR_PNG_CLOSE_NORMAL);
        m_button.LoadAlternateImage(IDR_PNG_CLOSE_PRESSED);
        m_button.LoadHoverImage(IDR_PNG_CLOSE_HOVER);
        m_button.LoadDisabledImage(IDR_PNG_CLOSE_PRESSED);
        if (m_bClickTwice)
        {
            // Two quick clicks, as the mouse would post them: the second press arrives as a
            // double-click. The end request comes after them in the queue.
            const LPARAM at = MAKELPARAM(5, 5);
            m_button.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
            m_button.PostMessage(WM_LBUTTONUP, 0, at);
            m_button.PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            m_button.PostMessage(WM_LBUTTONUP, 0, at);
            PostMessage(WM_APP);
        }
        return TRUE;
    }
    BOOL OnEraseBkgnd(CDC* pDC)
    {
        CRect client;
        GetClientRect(&client);
        ::FillRect(pDC->GetSafeHdc(), &client, CBrush(kBackground));
        return TRUE;
    }
    void OnButton() { ++m_nClicks; }
    LRESULT OnEnd(WPARAM, LPARAM)
    {
        EndDialog(m_nClicks);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CButtonDialog, CDialog)
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(kButtonId, &CButtonDialog::OnButton)
    ON_MESSAGE(WM_APP, &CButtonDialog::OnEnd)
END_MESSAGE_MAP()

CDialogTemplate ButtonDialogTemplate()
{
    CDialogTemplate dialogTemplate(120, 60);
    dialogTemplate.Control(kButtonId, CDialogTemplate::kButton, BS_PUSHBUTTON, 5, 5, 20, 12);
    return dialogTemplate;
}

// The colour GDI+ gives a PNG pixel blended over the background, optionally brightened by
// the alternate hover face's colour matrix.
COLORREF Composed(Gdiplus::Bitmap& image, int x, int y, bool brightened = false)
{
    Gdiplus::Color pixel;
    image.GetPixel(x, y, &pixel);
    const double alpha = pixel.GetA() / 255.0;
    auto channel = [&](BYTE source, BYTE under) {
        double value = source;
        if (brightened)
            value = std::min(255.0, value * 1.05 + 0.05 * 255.0);
        return static_cast<BYTE>(std::lround(value * alpha + under * (1.0 - alpha)));
    };
    return RGB(channel(pixel.GetR(), GetRValue(kBackground)), channel(pixel.GetG(), GetGValue(kBackground)),
               channel(pixel.GetB(), GetBValue(kBackground)));
}

COLORREF FacePixel(const CGdipButton& button, ButtonFace face, int x, int y)
{
    return GetPixel(button.GetFace(face).GetSafeHdc(), x, y);
}

// Opaque, half-transparent and fully transparent sample points of an image.
std::vector<POINT> SamplePoints(Gdiplus::Bitmap& image)
{
    std::vector<POINT> points;
    bool opaque = false, clear = false, partial = false;
    for (int y = 0; y < static_cast<int>(image.GetHeight()) - 1; ++y)
        for (int x = 0; x < static_cast<int>(image.GetWidth()) - 1; ++x)
        {
            Gdiplus::Color pixel;
            image.GetPixel(x, y, &pixel);
            bool& seen = pixel.GetA() == 255 ? opaque : pixel.GetA() == 0 ? clear : partial;
            if (!seen)
            {
                seen = true;
                points.push_back(POINT{x, y});
            }
        }
    return points;
}

class GdipButtonTest : public ::testing::Test
{
protected:
    void SetUp() override { controls_test::StartGraphics(); }
};

} // namespace

TEST_F(GdipButtonTest, FirstPaint_ComposesFacesFromPngsOverTheParentsPixels)
{
    CDialogTemplate dialogTemplate = ButtonDialogTemplate();
    CButtonDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(dialogTemplate.Get(), nullptr));
    dialog.ShowWindow(SW_SHOW);
    ::UpdateWindow(dialog.m_hWnd);
    ASSERT_TRUE(controls_test::PumpUntil([&] { return dialog.m_button.AreFacesBuilt() != FALSE; }))
        << "the first paint composes the faces";
    EXPECT_TRUE(dialog.m_button.GetStyle() & BS_OWNERDRAW);

    CGdiPlusBitmapResource normal, pressed, hover;
    ASSERT_TRUE(normal.Load(IDR_PNG_CLOSE_NORMAL));
    ASSERT_TRUE(pressed.Load(IDR_PNG_CLOSE_PRESSED));
    ASSERT_TRUE(hover.Load(IDR_PNG_CLOSE_HOVER));
    const std::vector<POINT> points = SamplePoints(*normal.Bitmap());
    ASSERT_GE(points.size(), 2u) << "the close image has opaque and transparent pixels";

    // The first row and column show the captured background; the image starts at (1, 1).
    for (ButtonFace face : {ButtonFace::Normal, ButtonFace::Hover, ButtonFace::Pressed, ButtonFace::Disabled,
                            ButtonFace::AltNormal, ButtonFace::AltPressed})
        EXPECT_TRUE(ColoursClose(FacePixel(dialog.m_button, face, 0, 0), kBackground))
            << static_cast<int>(face) << ": " << ColourText(FacePixel(dialog.m_button, face, 0, 0));

    struct Expectation { ButtonFace face; CGdiPlusBitmapResource* image; };
    const Expectation expectations[] = {{ButtonFace::Normal, &normal}, {ButtonFace::Hover, &hover},
                                        {ButtonFace::Pressed, &pressed}, {ButtonFace::Disabled, &pressed},
                                        {ButtonFace::AltNormal, &pressed}};
    for (const Expectation& e : expectations)
        for (const POINT& p : SamplePoints(*e.image->Bitmap()))
        {
            const COLORREF expected = Composed(*e.image->Bitmap(), p.x, p.y);
            const COLORREF actual = FacePixel(dialog.m_button, e.face, p.x + 1, p.y + 1);
            EXPECT_TRUE(ColoursClose(actual, expected, 4))
                << "face " << static_cast<int>(e.face) << " at " << p.x << "," << p.y << ": "
                << ColourText(actual) << " expected " << ColourText(expected);
        }

    // The alternate hover face is the alternate image brightened, drawn from its (1, 1) to (0, 0).
    for (const POINT& p : SamplePoints(*pressed.Bitmap()))
    {
        const COLORREF expected = Composed(*pressed.Bitmap(), p.x + 1, p.y + 1, true);
        const COLORREF actual = FacePixel(dialog.m_button, ButtonFace::AltHover, p.x, p.y);
        EXPECT_TRUE(ColoursClose(actual, expected, 4))
            << "alternate hover at " << p.x << "," << p.y << ": " << ColourText(actual) << " expected "
            << ColourText(expected);
    }
    dialog.DestroyWindow();
}

TEST_F(GdipButtonTest, DrawItem_CopiesTheFaceTheStateSelects_AndHoverFollowsTheMouse)
{
    CDialogTemplate dialogTemplate = ButtonDialogTemplate();
    CButtonDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(dialogTemplate.Get(), nullptr));
    dialog.ShowWindow(SW_SHOW);
    ::UpdateWindow(dialog.m_hWnd);
    ASSERT_TRUE(controls_test::PumpUntil([&] { return dialog.m_button.AreFacesBuilt() != FALSE; }));
    CTestButton& button = dialog.m_button;

    auto drawnAs = [&](UINT itemState, ButtonFace face) {
        CPixelCanvas canvas(kButtonSize, kButtonSize, RGB(1, 2, 3));
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_BUTTON;
        draw.itemState = itemState;
        draw.hDC = canvas.Dc();
        draw.hwndItem = button.m_hWnd;
        button.DrawItem(&draw);
        for (int y = 0; y < kButtonSize; ++y)
            for (int x = 0; x < kButtonSize; ++x)
                if (!ColoursClose(canvas.At(x, y), FacePixel(button, face, x, y), 0))
                    return false;
        return true;
    };

    EXPECT_TRUE(drawnAs(0, ButtonFace::Normal));
    button.SetAlternateState(2);
    EXPECT_TRUE(drawnAs(ODS_SELECTED, ButtonFace::AltPressed));
    EXPECT_TRUE(drawnAs(0, ButtonFace::AltNormal));
    button.SetAlternateState(0);

    button.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(button.IsHovering());
    EXPECT_TRUE(drawnAs(0, ButtonFace::Hover));
    button.SetDisabledLook(TRUE);
    EXPECT_TRUE(drawnAs(ODS_SELECTED, ButtonFace::Disabled)) << "disabled look even under the mouse, pressed";
    button.SetDisabledLook(FALSE);

    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_FALSE(button.IsTrackingMouse());
    EXPECT_TRUE(drawnAs(0, ButtonFace::Normal));
    // The normal and hover faces differ somewhere, or the checks above would prove nothing.
    bool differ = false;
    for (int y = 0; y < kButtonSize && !differ; ++y)
        for (int x = 0; x < kButtonSize && !differ; ++x)
            differ = FacePixel(button, ButtonFace::Normal, x, y) != FacePixel(button, ButtonFace::Hover, x, y);
    EXPECT_TRUE(differ);
    dialog.DestroyWindow();
}

TEST_F(GdipButtonTest, DoubleClick_GivesTwoCommands)
{
    CDialogTemplate dialogTemplate = ButtonDialogTemplate();
    CButtonDialog dialog;
    dialog.m_bClickTwice = true;
    ASSERT_TRUE(dialog.InitModalIndirect(dialogTemplate.Get(), nullptr));
    EXPECT_EQ(dialog.DoModal(), 2) << "a quick second click is a second press, not a double-click";
}

TEST_F(GdipButtonTest, PngResource_LoadsAtItsSize_MissingOneHoldsNothing)
{
    CGdiPlusBitmapResource image;
    EXPECT_FALSE(image.Load(60000));
    EXPECT_EQ(image.Bitmap(), nullptr);
    EXPECT_FALSE(image.HoldsBytes());
    ASSERT_TRUE(image.Load(IDR_PNG_START_NORMAL));
    EXPECT_EQ(image.Bitmap()->GetWidth(), 250u);
    EXPECT_EQ(image.Bitmap()->GetHeight(), 38u);
    EXPECT_TRUE(image.HoldsBytes()) << "the bytes stay for the bitmap's life";
    image.Empty();
    EXPECT_EQ(image.Bitmap(), nullptr);
    EXPECT_FALSE(image.HoldsBytes());
}
