// Compares what the screen shows of the main window with the program's own images: the
// skin bitmap behind everything and the PNG faces of the image buttons.
#pragma once

#include <windows.h>

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

}  // namespace e2e
