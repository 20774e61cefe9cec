// The program's own resources and version record, read as data from its .exe, so tests
// compare what the window shows with what the file holds (the skin's pixels, an
// animation's size, the file version) instead of repeating numbers here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Decoded image pixels, top-down rows, 0xAARRGGBB (not premultiplied) per pixel.
struct BitmapPixels
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;

    COLORREF At(int x, int y) const;  // CLR_INVALID outside the image
    int Alpha(int x, int y) const;    // 0 outside the image
};

class ProgramResources
{
public:
    explicit ProgramResources(const std::wstring& exePath);
    ~ProgramResources();
    ProgramResources(const ProgramResources&) = delete;
    ProgramResources& operator=(const ProgramResources&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    // BITMAP resource `id` when it is an uncompressed 24- or 32-bit DIB.
    std::optional<BitmapPixels> Bitmap(int id) const;
    // "PNG" resource `id`, decoded.
    std::optional<BitmapPixels> Png(int id) const;
    // Logical screen size of "GIF" resource `id`, when it is a GIF.
    std::optional<SIZE> GifScreenSize(int id) const;

private:
    std::vector<BYTE> Bytes(const wchar_t* type, int id) const;

    HMODULE m_module = nullptr;
};

// The fixed file version of `exePath` as "major.minor.build.revision"; empty without a
// version record.
std::wstring FileVersionText(const std::wstring& exePath);
// A string of the version record's first translation, nullopt when it has none.
std::optional<std::wstring> VersionString(const std::wstring& exePath, const wchar_t* name);

}  // namespace e2e
