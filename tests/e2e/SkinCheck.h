// Compares what the screen shows of the main window with the program's own images: the
// skin bitmap behind everything and the PNG faces of the image buttons.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramResources.h"
#include "ScreenCapture.h"

namespace e2e {

bool IsNear(COLORREF a, COLORREF b, int tolerance);
// `over` drawn with `alpha` (0..255) over `under`.
COLORREF Blend(COLORREF over, COLORREF under, int alpha);

// Share of the sampled client pixels outside `covered` that show the skin bitmap's pixel
// at the same place.
double ShareMatchingSkin(const ScreenImage& screen, const BitmapPixels& skin,
                         const std::vector<RECT>& covered);

// Of the pixels of `button` where `image` alpha-blended over the skin looks different from
// the bare skin, the share that show it. The image is drawn one pixel right of and below
// the button's corner, as the image buttons place their faces (the first row and column
// keep the skin).
double ShareShowingFace(const ScreenImage& screen, const BitmapPixels& skin,
                        const BitmapPixels& image, const RECT& button);

// Waits until `window` shows `skin` everywhere outside its visible child controls (it is
// painted), then saves the screenshot as `screenshotName`. Colour checks are skipped on a
// screen without true colour; the screenshot is saved in any case.
testing::AssertionResult WaitForSkinnedWindow(HWND window, const BitmapPixels& skin,
                                              const std::wstring& screenshotName);

}  // namespace e2e
