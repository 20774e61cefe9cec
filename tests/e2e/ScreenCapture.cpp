#include "ScreenCapture.h"

#include "Harness.h"

#include "GdiplusSession.h"

#include <cstdlib>

namespace e2e {
namespace {

bool FindPngEncoder(CLSID& encoder)
{
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
    {
        if (std::wstring(codecs[i].MimeType) == L"image/png")
        {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

COLORREF ToColorRef(std::uint32_t pixel)
{
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

bool IsNear(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Releases the screen DC, the memory DC and its bitmap in the right order.
struct CaptureDCs
{
    HDC screen = GetDC(nullptr);
    HDC memory = screen ? CreateCompatibleDC(screen) : nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    ~CaptureDCs()
    {
        if (previous)
            SelectObject(memory, previous);
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        if (screen)
            ReleaseDC(nullptr, screen);
    }
};

}  // namespace

ScreenImage ScreenImage::OfWindow(HWND window)
{
    ScreenImage image;
    RECT windowRect{};
    POINT clientOrigin{0, 0};
    if (!GetWindowRect(window, &windowRect) || !ClientToScreen(window, &clientOrigin))
        return image;
    const int width = windowRect.right - windowRect.left;
    const int height = windowRect.bottom - windowRect.top;
    if (width <= 0 || height <= 0)
        return image;

    // Only the part of the window that lies on the screen can be copied; the rest of the
    // image stays black and is marked as not on screen.
    const RECT screenRect = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                             GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT visible{};
    if (!IntersectRect(&visible, &windowRect, &screenRect))
        return image;

    CaptureDCs dcs;
    if (!dcs.memory)
        return image;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dcs.bitmap = CreateDIBSection(dcs.screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dcs.bitmap || !bits)
        return image;
    dcs.previous = SelectObject(dcs.memory, dcs.bitmap);
    if (!BitBlt(dcs.memory, visible.left - windowRect.left, visible.top - windowRect.top,
                visible.right - visible.left, visible.bottom - visible.top, dcs.screen,
                visible.left, visible.top, SRCCOPY | CAPTUREBLT))
        return image;
    GdiFlush();

    const auto* first = static_cast<const std::uint32_t*>(bits);
    image.m_pixels.assign(first, first + static_cast<size_t>(width) * height);
    for (auto& pixel : image.m_pixels)
        pixel &= 0x00FFFFFF;
    image.m_width = width;
    image.m_height = height;
    image.m_clientOffset = {clientOrigin.x - windowRect.left, clientOrigin.y - windowRect.top};
    OffsetRect(&visible, -windowRect.left, -windowRect.top);
    image.m_onScreen = visible;
    return image;
}

bool ScreenImage::ToImage(const RECT& clientRect, RECT& imageRect) const
{
    RECT asked = clientRect;
    OffsetRect(&asked, m_clientOffset.x, m_clientOffset.y);
    return IntersectRect(&imageRect, &asked, &m_onScreen) != FALSE;
}

COLORREF ScreenImage::ColorAtClient(int x, int y) const
{
    const int imageX = x + m_clientOffset.x;
    const int imageY = y + m_clientOffset.y;
    if (imageX < m_onScreen.left || imageY < m_onScreen.top || imageX >= m_onScreen.right ||
        imageY >= m_onScreen.bottom)
        return CLR_INVALID;
    return ToColorRef(m_pixels[static_cast<size_t>(imageY) * m_width + imageX]);
}

double ScreenImage::ShareOfColor(const RECT& clientRect, COLORREF color, int tolerance) const
{
    RECT area{};
    if (!ToImage(clientRect, area))
        return 0.0;
    size_t matching = 0;
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x)
            if (IsNear(ToColorRef(m_pixels[static_cast<size_t>(y) * m_width + x]), color, tolerance))
                ++matching;
    const size_t total = static_cast<size_t>(area.right - area.left) * (area.bottom - area.top);
    return static_cast<double>(matching) / static_cast<double>(total);
}

double ScreenImage::ShareOfDialogGrey(const RECT& clientRect) const
{
    return ShareOfColor(clientRect, GetSysColor(COLOR_3DFACE), 2);
}

std::wstring ScreenImage::SavePng(const std::wstring& name) const
{
    const std::wstring build = BuildDir();
    CLSID encoder{};
    if (Empty() || build.empty() || !GdiplusReady() || !FindPngEncoder(encoder))
        return {};
    const std::wstring folder = build + L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name + L".png";

    // The pixels are 0x00RRGGBB words, which is GDI+'s 32bppRGB layout.
    Gdiplus::Bitmap bitmap(m_width, m_height, m_width * 4, PixelFormat32bppRGB,
                           reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(m_pixels.data())));
    if (bitmap.Save(path.c_str(), &encoder, nullptr) != Gdiplus::Ok)
        return {};
    return path;
}

int ScreenBitsPerPixel()
{
    HDC screen = GetDC(nullptr);
    const int bits = screen ? GetDeviceCaps(screen, BITSPIXEL) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return bits;
}

}  // namespace e2e
