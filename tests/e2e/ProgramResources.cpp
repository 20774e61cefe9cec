#include "ProgramResources.h"

#include "GdiplusSession.h"

#include <cstring>
#include <cwchar>

namespace e2e {

COLORREF BitmapPixels::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return CLR_INVALID;
    const std::uint32_t pixel = argb[static_cast<size_t>(y) * width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int BitmapPixels::Alpha(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return static_cast<int>(argb[static_cast<size_t>(y) * width + x] >> 24);
}

ProgramResources::ProgramResources(const std::wstring& exePath)
    : m_module(LoadLibraryExW(exePath.c_str(), nullptr,
                              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
{
}

ProgramResources::~ProgramResources()
{
    if (m_module)
        FreeLibrary(m_module);
}

std::vector<BYTE> ProgramResources::Bytes(const wchar_t* type, int id) const
{
    if (!m_module)
        return {};
    HRSRC found = FindResourceW(m_module, MAKEINTRESOURCEW(id), type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(m_module, found);
    const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = SizeofResource(m_module, found);
    if (!data || size == 0)
        return {};
    return std::vector<BYTE>(data, data + size);
}

std::optional<BitmapPixels> ProgramResources::Bitmap(int id) const
{
    const std::vector<BYTE> bytes = Bytes(MAKEINTRESOURCEW(2) /* RT_BITMAP */, id);
    if (bytes.size() < sizeof(BITMAPINFOHEADER))
        return std::nullopt;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data(), sizeof(header));
    const int bitsPerPixel = header.biBitCount;
    if (header.biCompression != BI_RGB || (bitsPerPixel != 24 && bitsPerPixel != 32) ||
        header.biWidth <= 0 || header.biHeight == 0)
        return std::nullopt;

    BitmapPixels bitmap;
    bitmap.width = header.biWidth;
    bitmap.height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const bool bottomUp = header.biHeight > 0;
    const size_t stride = ((static_cast<size_t>(bitmap.width) * bitsPerPixel + 31) / 32) * 4;
    const size_t offset = header.biSize;  // BI_RGB at 24/32 bits has no colour table
    if (bytes.size() < offset + stride * bitmap.height)
        return std::nullopt;

    bitmap.argb.resize(static_cast<size_t>(bitmap.width) * bitmap.height);
    const size_t bytesPerPixel = bitsPerPixel / 8;
    for (int y = 0; y < bitmap.height; ++y)
    {
        const BYTE* row = bytes.data() + offset + stride * (bottomUp ? bitmap.height - 1 - y : y);
        for (int x = 0; x < bitmap.width; ++x)
        {
            const BYTE* p = row + x * bytesPerPixel;  // blue, green, red
            bitmap.argb[static_cast<size_t>(y) * bitmap.width + x] =
                0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
    }
    return bitmap;
}

std::optional<BitmapPixels> ProgramResources::Png(int id) const
{
    const std::vector<BYTE> bytes = Bytes(L"PNG", id);
    if (bytes.empty() || !GdiplusReady())
        return std::nullopt;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block)
        return std::nullopt;
    if (void* data = GlobalLock(block))
    {
        std::memcpy(data, bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)))
    {
        GlobalFree(block);
        return std::nullopt;
    }
    std::optional<BitmapPixels> pixels;
    {
        Gdiplus::Bitmap image(stream);
        Gdiplus::Rect all(0, 0, static_cast<INT>(image.GetWidth()),
                          static_cast<INT>(image.GetHeight()));
        Gdiplus::BitmapData locked{};
        if (image.GetLastStatus() == Gdiplus::Ok && all.Width > 0 && all.Height > 0 &&
            image.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &locked) ==
                Gdiplus::Ok)
        {
            BitmapPixels decoded;
            decoded.width = all.Width;
            decoded.height = all.Height;
            decoded.argb.resize(static_cast<size_t>(all.Width) * all.Height);
            for (int y = 0; y < all.Height; ++y)
                std::memcpy(&decoded.argb[static_cast<size_t>(y) * all.Width],
                            static_cast<const BYTE*>(locked.Scan0) + y * locked.Stride,
                            all.Width * sizeof(std::uint32_t));
            image.UnlockBits(&locked);
            pixels = std::move(decoded);
        }
    }
    stream->Release();  // frees the block
    return pixels;
}

std::optional<SIZE> ProgramResources::GifScreenSize(int id) const
{
    const std::vector<BYTE> bytes = Bytes(L"GIF", id);
    if (bytes.size() < 10 || std::memcmp(bytes.data(), "GIF8", 4) != 0)
        return std::nullopt;
    SIZE size;
    size.cx = bytes[6] | (bytes[7] << 8);
    size.cy = bytes[8] | (bytes[9] << 8);
    return size;
}

namespace {

std::vector<BYTE> VersionRecord(const std::wstring& exePath)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exePath.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<BYTE> record(size);
    if (!GetFileVersionInfoW(exePath.c_str(), 0, size, record.data()))
        return {};
    return record;
}

}  // namespace

std::wstring FileVersionText(const std::wstring& exePath)
{
    std::vector<BYTE> record = VersionRecord(exePath);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (record.empty() ||
        !VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
        return {};
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
           std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

std::optional<std::wstring> VersionString(const std::wstring& exePath, const wchar_t* name)
{
    std::vector<BYTE> record = VersionRecord(exePath);
    WORD* translation = nullptr;
    UINT length = 0;
    if (record.empty() ||
        !VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD))
        return std::nullopt;
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04X%04X\\%ls", translation[0], translation[1], name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(record.data(), path, reinterpret_cast<void**>(&value), &length) || !value)
        return std::nullopt;
    return std::wstring(value, wcsnlen(value, length));
}

}  // namespace e2e
