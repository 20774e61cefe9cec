#include "SkinCheck.h"

#include "Harness.h"
#include "MainWindowLayout.h"

#include <algorithm>
#include <cstdlib>

namespace e2e {
namespace {

bool Contains(const RECT& rect, int x, int y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

bool IsNear(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

double ShareMatchingSkin(const ScreenImage& screen, const BitmapPixels& skin,
                         const std::vector<RECT>& covered)
{
    size_t compared = 0;
    size_t matching = 0;
    for (int y = 0; y < skin.height; y += 3)
    {
        for (int x = 0; x < skin.width; x += 3)
        {
            const bool hidden = std::any_of(covered.begin(), covered.end(),
                                             [&](const RECT& r) { return Contains(r, x, y); });
            const COLORREF shown = screen.ColorAtClient(x, y);
            if (hidden || shown == CLR_INVALID)
                continue;  // under a control, or beyond the screen's edge
            ++compared;
            if (IsNear(shown, skin.At(x, y), 3))
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

double ShareShowingFace(const ScreenImage& screen, const BitmapPixels& skin,
                        const BitmapPixels& image, const RECT& button)
{
    size_t telling = 0;
    size_t matching = 0;
    for (int y = 1; y < button.bottom - button.top && y - 1 < image.height; ++y)
    {
        for (int x = 1; x < button.right - button.left && x - 1 < image.width; ++x)
        {
            const COLORREF under = skin.At(button.left + x, button.top + y);
            const COLORREF expected = Blend(image.At(x - 1, y - 1), under, image.Alpha(x - 1, y - 1));
            if (IsNear(expected, under, 24))
                continue;  // the bare skin would pass here too
            const COLORREF shown = screen.ColorAtClient(button.left + x, button.top + y);
            if (shown == CLR_INVALID)
                continue;  // beyond the screen's edge
            ++telling;
            if (IsNear(shown, expected, 12))
                ++matching;
        }
    }
    return telling ? static_cast<double>(matching) / telling : 0.0;
}

testing::AssertionResult WaitForSkinnedWindow(HWND window, const BitmapPixels& skin,
                                              const std::wstring& screenshotName)
{
    ScreenImage screen = ScreenImage::OfWindow(window);
    if (ScreenBitsPerPixel() < 24)
    {
        screen.SavePng(screenshotName);
        return testing::AssertionSuccess();
    }
    double share = 0;
    testing::AssertionResult painted = WaitUntil(
        [&] {
            screen = ScreenImage::OfWindow(window);
            share = ShareMatchingSkin(screen, skin, VisibleControlRects(window, 2));
            return share > 0.9;
        },
        kDeadline, "the window to show its skin");
    screen.SavePng(screenshotName);
    if (!painted)
        painted << " (" << share << " of the background shows the skin)";
    return painted;
}

}  // namespace e2e
