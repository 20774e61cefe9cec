// Screenshots of a window as the screen shows it (GetDC(NULL) + BitBlt of its rectangle),
// PNG files of them for people to look at, and pixel measures so tests can tell whether
// the skin and the button faces are really drawn.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

class ScreenImage
{
public:
    // Copies what the screen shows of `window`'s rectangle. Empty() when that fails.
    static ScreenImage OfWindow(HWND window);

    bool Empty() const { return m_pixels.empty(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Colour at a point of the window's client area (COLORREF, 0x00BBGGRR). Points
    // outside the image, or where the window lies beyond the screen's edge, give
    // CLR_INVALID.
    COLORREF ColorAtClient(int x, int y) const;
    // Share (0..1) of the pixels of `clientRect` (those on screen) within `tolerance` per channel of `color`.
    double ShareOfColor(const RECT& clientRect, COLORREF color, int tolerance = 2) const;
    // Share of the pixels of `clientRect` that are the plain dialog grey (COLOR_3DFACE),
    // which is what shows where nothing was painted over the default background.
    double ShareOfDialogGrey(const RECT& clientRect) const;

    // Writes the image as <build>\screenshots\<name>.png (the folder is created when
    // needed). Returns the path written, empty on failure.
    std::wstring SavePng(const std::wstring& name) const;

private:
    bool ToImage(const RECT& clientRect, RECT& imageRect) const;

    int m_width = 0;
    int m_height = 0;
    POINT m_clientOffset{};              // client origin within the image
    RECT m_onScreen{};                   // the part of the image the screen shows
    std::vector<std::uint32_t> m_pixels;  // top-down rows, 0x00RRGGBB
};

// Bits per pixel of the screen; colour checks need a true-colour screen.
int ScreenBitsPerPixel();

}  // namespace e2e
