// Checks the resources that the test executable links (the same object as the program):
// the images have the exact sizes and layouts their loaders expect, the templates carry
// the styles and fonts the windows rely on, and the version record and manifest say
// what the program reports about itself. Most checks read the raw resource bytes.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

struct Bytes
{
    const uint8_t* data = nullptr;
    size_t size = 0;
};

Bytes ResourceBytes(UINT id, LPCWSTR type)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded)
        return {};
    return {static_cast<const uint8_t*>(LockResource(loaded)),
            static_cast<size_t>(SizeofResource(module, found))};
}

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (static_cast<uint32_t>(Le16(p + 2)) << 16); }
uint32_t Be32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// ---------------------------------------------------------------------------------------
// Button images
// ---------------------------------------------------------------------------------------

struct PngCase
{
    UINT id;
    uint32_t width;
    uint32_t height;
};

class PngImage : public testing::TestWithParam<PngCase> {};

TEST_P(PngImage, Load_ExactButtonSizeWithAlpha)
{
    const PngCase c = GetParam();
    Bytes png = ResourceBytes(c.id, L"PNG");
    ASSERT_NE(png.data, nullptr) << "PNG " << c.id << " missing";
    ASSERT_GE(png.size, 33u);
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_EQ(std::memcmp(png.data, signature, 8), 0);
    ASSERT_EQ(std::memcmp(png.data + 12, "IHDR", 4), 0);
    EXPECT_EQ(Be32(png.data + 16), c.width) << "PNG " << c.id;
    EXPECT_EQ(Be32(png.data + 20), c.height) << "PNG " << c.id;
    // The buttons blend their images over the skin: each needs an alpha channel
    // (colour type 6 = truecolour with alpha, 4 = grey with alpha).
    const uint8_t colourType = png.data[25];
    EXPECT_TRUE(colourType == 6 || colourType == 4) << "PNG " << c.id << " colour type "
                                                    << int(colourType);
}

INSTANTIATE_TEST_SUITE_P(Buttons, PngImage, testing::Values(
    PngCase{IDR_PNG_CLOSE_HOVER, 24, 24}, PngCase{IDR_PNG_CLOSE_NORMAL, 24, 24},
    PngCase{IDR_PNG_CLOSE_PRESSED, 24, 24}, PngCase{IDR_PNG_CONTACT_HOVER, 24, 24},
    PngCase{IDR_PNG_CONTACT_NORMAL, 24, 24}, PngCase{IDR_PNG_CONTACT_PRESSED, 24, 24},
    PngCase{IDR_PNG_START_HOVER, 250, 38}, PngCase{IDR_PNG_START_NORMAL, 250, 38},
    PngCase{IDR_PNG_START_PRESSED, 250, 38}, PngCase{IDR_PNG_TAB_SYSTEM_SELECTED, 152, 52},
    PngCase{IDR_PNG_TAB_SYSTEM, 152, 52}, PngCase{IDR_PNG_TAB_ENGINE_SELECTED, 152, 52},
    PngCase{IDR_PNG_TAB_ENGINE, 152, 52}, PngCase{IDR_PNG_SYSTEM_HEADER, 64, 54},
    PngCase{IDR_PNG_ENGINE_HEADER, 59, 59}),
    [](const testing::TestParamInfo<PngCase>& info) { return "Png" + std::to_string(info.param.id); });

// ---------------------------------------------------------------------------------------
// Skin bitmaps
// ---------------------------------------------------------------------------------------

struct SkinCase
{
    UINT id;
    LONG width;
    LONG height;
};

class SkinBitmap : public testing::TestWithParam<SkinCase> {};

TEST_P(SkinBitmap, Layout_Uncompressed32BitBottomUpOfWindowSize)
{
    const SkinCase c = GetParam();
    Bytes dib = ResourceBytes(c.id, RT_BITMAP);
    ASSERT_NE(dib.data, nullptr);
    ASSERT_GE(dib.size, sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data, sizeof header);
    EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header.biWidth, c.width);
    EXPECT_EQ(header.biHeight, c.height) << "positive height = bottom-up rows";
    EXPECT_EQ(header.biBitCount, 32);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(dib.size, sizeof header + static_cast<size_t>(c.width) * c.height * 4)
        << "pixel data must follow the header directly and be complete";
}

INSTANTIATE_TEST_SUITE_P(Skins, SkinBitmap, testing::Values(
    SkinCase{IDB_SKIN_MAIN, 800, 450}, SkinCase{IDB_SKIN_POPUP, 350, 120}),
    [](const testing::TestParamInfo<SkinCase>& info) { return "Bitmap" + std::to_string(info.param.id); });

// ---------------------------------------------------------------------------------------
// Animations
// ---------------------------------------------------------------------------------------

struct GifCase
{
    UINT id;
    uint16_t width;
    uint16_t height;
};

// One image of a GIF with what the picture box takes from it.
struct GifImage
{
    size_t start;       // offset of its graphic control extension
    size_t end;         // offset after its image data
    int disposal;
    uint16_t left, top, width, height;
};

// Length of a chain of data sub-blocks at `pos` including the terminator, or 0 when
// the chain runs past the end.
size_t SubBlocks(const Bytes& gif, size_t pos)
{
    size_t p = pos;
    while (p < gif.size)
    {
        const uint8_t n = gif.data[p];
        p += 1 + n;
        if (n == 0)
            return p - pos;
    }
    return 0;
}

class GifAnimation : public testing::TestWithParam<GifCase>
{
protected:
    // The system picture loader may use COM decoders.
    void SetUp() override { comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override
    {
        if (comReady_)
            CoUninitialize();
    }

    // Walks the file as the picture box does; fails the test on any structure it
    // would not accept.
    void Walk(const Bytes& gif, size_t& tableSize, std::vector<GifImage>& images)
    {
        ASSERT_GE(gif.size, 13u);
        const uint8_t packed = gif.data[10];
        ASSERT_TRUE(packed & 0x80) << "a global colour table is required";
        tableSize = 3u << ((packed & 7) + 1);
        size_t pos = 13 + tableSize;
        ASSERT_LT(pos + 19, gif.size);
        // The looping extension comes first.
        ASSERT_EQ(gif.data[pos], 0x21);
        ASSERT_EQ(gif.data[pos + 1], 0xFF);
        ASSERT_EQ(gif.data[pos + 2], 11);
        ASSERT_EQ(std::memcmp(gif.data + pos + 3, "NETSCAPE2.0", 11), 0);
        // its data: sub-block of 3 bytes, id 1, loop count 0 = forever
        ASSERT_EQ(gif.data[pos + 14], 3);
        ASSERT_EQ(gif.data[pos + 15], 1);
        EXPECT_EQ(Le16(gif.data + pos + 16), 0);
        size_t chain = SubBlocks(gif, pos + 14);
        ASSERT_GT(chain, 0u);
        pos += 14 + chain;

        while (pos < gif.size && gif.data[pos] != 0x3B)
        {
            ASSERT_EQ(gif.data[pos], 0x21) << "image without graphic control at " << pos;
            ASSERT_EQ(gif.data[pos + 1], 0xF9) << "image without graphic control at " << pos;
            ASSERT_EQ(gif.data[pos + 2], 4);
            GifImage image{};
            image.start = pos;
            image.disposal = (gif.data[pos + 3] >> 2) & 7;
            pos += 8;
            ASSERT_LT(pos + 10, gif.size);
            ASSERT_EQ(gif.data[pos], 0x2C) << "graphic control not followed by an image";
            image.left = Le16(gif.data + pos + 1);
            image.top = Le16(gif.data + pos + 3);
            image.width = Le16(gif.data + pos + 5);
            image.height = Le16(gif.data + pos + 7);
            const uint8_t imagePacked = gif.data[pos + 9];
            pos += 10 + ((imagePacked & 0x80) ? (3u << ((imagePacked & 7) + 1)) : 0);
            ASSERT_LT(pos, gif.size);
            pos += 1;  // LZW minimum code size
            chain = SubBlocks(gif, pos);
            ASSERT_GT(chain, 0u) << "image data runs past the end";
            pos += chain;
            image.end = pos;
            images.push_back(image);
        }
        ASSERT_EQ(pos + 1, gif.size) << "the file must end with its trailer";
    }

    bool comReady_ = false;
};

TEST_P(GifAnimation, Structure_LoopingExtensionFirstAndControlBeforeEveryImage)
{
    const GifCase c = GetParam();
    Bytes gif = ResourceBytes(c.id, L"GIF");
    ASSERT_NE(gif.data, nullptr);
    ASSERT_GE(gif.size, 13u);
    EXPECT_EQ(std::memcmp(gif.data, "GIF89a", 6), 0);
    EXPECT_EQ(Le16(gif.data + 6), c.width);
    EXPECT_EQ(Le16(gif.data + 8), c.height);

    size_t tableSize = 0;
    std::vector<GifImage> images;
    ASSERT_NO_FATAL_FAILURE(Walk(gif, tableSize, images));
    EXPECT_GE(images.size(), 10u);
    // The picture box draws each frame over the previous one and clears only with the
    // button-face colour, so every frame must cover the whole picture and keep it.
    for (const GifImage& image : images)
    {
        EXPECT_EQ(image.left, 0);
        EXPECT_EQ(image.top, 0);
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.disposal, 1);
    }
}

TEST_P(GifAnimation, EveryFrameCutOut_DecodesWithOleLoadPicture)
{
    const GifCase c = GetParam();
    Bytes gif = ResourceBytes(c.id, L"GIF");
    ASSERT_NE(gif.data, nullptr);
    size_t tableSize = 0;
    std::vector<GifImage> images;
    ASSERT_NO_FATAL_FAILURE(Walk(gif, tableSize, images));
    ASSERT_FALSE(images.empty());

    // The picture box hands each frame to the system loader as a GIF of its own:
    // header and colour table, the frame, a trailer. Every frame must survive that.
    for (size_t i = 0; i < images.size(); ++i)
    {
        const GifImage& image = images[i];
        const size_t header = 13 + tableSize;
        const size_t frameSize = image.end - image.start;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, header + frameSize + 1);
        ASSERT_NE(block, nullptr);
        auto* out = static_cast<uint8_t*>(GlobalLock(block));
        std::memcpy(out, gif.data, header);
        std::memcpy(out + header, gif.data + image.start, frameSize);
        out[header + frameSize] = 0x3B;
        GlobalUnlock(block);

        IStream* stream = nullptr;
        ASSERT_EQ(CreateStreamOnHGlobal(block, TRUE, &stream), S_OK);
        IPicture* picture = nullptr;
        const HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(header + frameSize + 1),
                                          FALSE, IID_IPicture,
                                          reinterpret_cast<void**>(&picture));
        stream->Release();
        EXPECT_EQ(hr, S_OK) << "frame " << i << " of GIF " << c.id;
        if (picture)
        {
            OLE_XSIZE_HIMETRIC width = 0;
            EXPECT_EQ(picture->get_Width(&width), S_OK);
            EXPECT_GT(width, 0);
            picture->Release();
        }
    }
}

// Decodes the first frame with the system picture loader into 32-bit pixels, top row
// first (0x00RRGGBB). Empty when the loader refuses it.
std::vector<uint32_t> DecodeFirstFrame(const Bytes& gif, int width, int height)
{
    std::vector<uint32_t> pixels;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, gif.size);
    if (!block)
        return pixels;
    std::memcpy(GlobalLock(block), gif.data, gif.size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK)
    {
        GlobalFree(block);
        return pixels;
    }
    IPicture* picture = nullptr;
    OleLoadPicture(stream, static_cast<LONG>(gif.size), FALSE, IID_IPicture,
                   reinterpret_cast<void**>(&picture));
    stream->Release();
    if (!picture)
        return pixels;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc && target)
    {
        HGDIOBJ previous = SelectObject(dc, target);
        OLE_XSIZE_HIMETRIC w = 0;
        OLE_YSIZE_HIMETRIC h = 0;
        picture->get_Width(&w);
        picture->get_Height(&h);
        if (picture->Render(dc, 0, 0, width, height, 0, h, w, -h, nullptr) == S_OK)
        {
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            pixels.assign(p, p + static_cast<size_t>(width) * height);
            for (uint32_t& px : pixels)
                px &= 0x00FFFFFF;
        }
        SelectObject(dc, previous);
    }
    if (target)
        DeleteObject(target);
    if (dc)
        DeleteDC(dc);
    picture->Release();
    return pixels;
}

// The animations sit on the skin without a frame of their own, so the edge of every
// picture has to be the skin's own pixels there or the box shows as a patch.
TEST_P(GifAnimation, FirstFrameEdge_MatchesSkinWhereTheWindowShowsIt)
{
    const GifCase c = GetParam();
    // Where the main window places each picture box (client pixels).
    const std::map<UINT, POINT> placement = {
        {IDR_GIF_WELCOME, {335, 161}}, {IDR_GIF_CPU_GAUGE, {305, 156}},
        {IDR_GIF_MEMORY_GAUGE, {578, 168}}};
    const POINT at = placement.at(c.id);

    Bytes gif = ResourceBytes(c.id, L"GIF");
    ASSERT_NE(gif.data, nullptr);
    const std::vector<uint32_t> frame = DecodeFirstFrame(gif, c.width, c.height);
    ASSERT_EQ(frame.size(), static_cast<size_t>(c.width) * c.height) << "not decoded";

    Bytes skin = ResourceBytes(IDB_SKIN_MAIN, RT_BITMAP);
    ASSERT_NE(skin.data, nullptr);
    const int skinWidth = 800, skinHeight = 450;
    ASSERT_EQ(skin.size, sizeof(BITMAPINFOHEADER) + size_t(skinWidth) * skinHeight * 4);
    auto skinPixel = [&](int x, int y) {
        const uint8_t* row = skin.data + sizeof(BITMAPINFOHEADER) +
                             size_t(skinHeight - 1 - y) * skinWidth * 4;  // bottom-up
        return Le32(row + size_t(x) * 4) & 0x00FFFFFF;
    };

    int mismatches = 0;
    for (int y = 0; y < c.height; ++y)
    {
        for (int x = 0; x < c.width; ++x)
        {
            if (x != 0 && y != 0 && x != c.width - 1 && y != c.height - 1)
                continue;
            const uint32_t want = skinPixel(at.x + x, at.y + y);
            const uint32_t got = frame[size_t(y) * c.width + x];
            if (got != want && ++mismatches <= 3)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << got
                              << ", skin has " << want;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Animations, GifAnimation, testing::Values(
    GifCase{IDR_GIF_WELCOME, 256, 166}, GifCase{IDR_GIF_CPU_GAUGE, 76, 76},
    GifCase{IDR_GIF_MEMORY_GAUGE, 88, 58}),
    [](const testing::TestParamInfo<GifCase>& info) { return "Gif" + std::to_string(info.param.id); });

// ---------------------------------------------------------------------------------------
// Tray menu
// ---------------------------------------------------------------------------------------

// Reads a zero-terminated UTF-16 string at `pos` and advances past it.
std::wstring ReadString(const Bytes& b, size_t& pos)
{
    std::wstring text;
    while (pos + 1 < b.size)
    {
        const wchar_t ch = static_cast<wchar_t>(Le16(b.data + pos));
        pos += 2;
        if (ch == 0)
            return text;
        text += ch;
    }
    ADD_FAILURE() << "unterminated string";
    return text;
}

TEST(TrayMenu, Template_OnePopupWithOpenAndExit)
{
    Bytes menu = ResourceBytes(IDR_MENU_TRAY, RT_MENU);
    ASSERT_NE(menu.data, nullptr);
    ASSERT_GE(menu.size, 4u);
    EXPECT_EQ(Le16(menu.data), 0) << "a standard (not extended) menu template";
    size_t pos = 4 + Le16(menu.data + 2);

    struct Item
    {
        uint16_t flags;
        uint16_t id;
        std::wstring text;
    };
    std::vector<Item> items;
    while (pos + 2 <= menu.size)
    {
        Item item{Le16(menu.data + pos), 0, {}};
        pos += 2;
        if (!(item.flags & MF_POPUP))
        {
            item.id = Le16(menu.data + pos);
            pos += 2;
        }
        item.text = ReadString(menu, pos);
        items.push_back(item);
    }
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].flags, MF_POPUP | MF_END) << "one top-level pop-up only";
    EXPECT_EQ(items[0].text, L"Tray");
    EXPECT_EQ(items[1].flags, 0);
    EXPECT_EQ(items[1].id, ID_TRAY_OPEN);
    EXPECT_EQ(items[1].text, L"Open");
    EXPECT_EQ(items[2].flags, MF_END);
    EXPECT_EQ(items[2].id, ID_TRAY_EXIT);
    EXPECT_EQ(items[2].text, L"Exit");
    EXPECT_EQ(ID_TRAY_OPEN, 32771);
    EXPECT_EQ(ID_TRAY_EXIT, 32772);
}

// ---------------------------------------------------------------------------------------
// Dialog templates
// ---------------------------------------------------------------------------------------

struct DialogItem
{
    DWORD exStyle, style, id;
    uint16_t classAtom;  // 0x80 button, 0x82 static; 0 when the class is named
    std::wstring className;

    // A template may name a system class by its atom or by its name.
    bool IsClass(uint16_t atom) const
    {
        const wchar_t* name = atom == 0x80 ? L"Button" : atom == 0x82 ? L"Static" : L"";
        return classAtom == atom || (classAtom == 0 && lstrcmpiW(className.c_str(), name) == 0);
    }
};

struct DialogTemplate
{
    DWORD exStyle = 0, style = 0;
    int16_t cx = 0, cy = 0;
    std::wstring title;
    uint16_t pointSize = 0, weight = 0;
    std::wstring face;
    std::vector<DialogItem> items;
};

// Reads a sz_Or_Ord field: 0x0000 none, 0xFFFF + ordinal, or a string.
void ReadNameOrOrdinal(const Bytes& b, size_t& pos, uint16_t& ordinal, std::wstring& name)
{
    ordinal = 0;
    if (Le16(b.data + pos) == 0xFFFF)
    {
        ordinal = Le16(b.data + pos + 2);
        pos += 4;
    }
    else
    {
        name = ReadString(b, pos);
    }
}

// Parses a DLGTEMPLATEEX; returns false when it is not one.
bool ParseDialog(UINT id, DialogTemplate& dlg)
{
    Bytes b = ResourceBytes(id, RT_DIALOG);
    if (!b.data || b.size < 26 || Le16(b.data) != 1 || Le16(b.data + 2) != 0xFFFF)
        return false;
    dlg.exStyle = Le32(b.data + 8);
    dlg.style = Le32(b.data + 12);
    const uint16_t count = Le16(b.data + 16);
    dlg.cx = static_cast<int16_t>(Le16(b.data + 22));
    dlg.cy = static_cast<int16_t>(Le16(b.data + 24));
    size_t pos = 26;
    uint16_t ordinal = 0;
    std::wstring ignored;
    ReadNameOrOrdinal(b, pos, ordinal, ignored);  // menu
    ReadNameOrOrdinal(b, pos, ordinal, ignored);  // class
    dlg.title = ReadString(b, pos);
    if (dlg.style & DS_SETFONT)
    {
        dlg.pointSize = Le16(b.data + pos);
        dlg.weight = Le16(b.data + pos + 2);
        pos += 6;
        dlg.face = ReadString(b, pos);
    }
    for (uint16_t i = 0; i < count; ++i)
    {
        pos = (pos + 3) & ~size_t(3);
        if (pos + 24 > b.size)
            return false;
        DialogItem item;
        item.exStyle = Le32(b.data + pos + 4);
        item.style = Le32(b.data + pos + 8);
        item.id = Le32(b.data + pos + 20);
        pos += 24;
        ReadNameOrOrdinal(b, pos, item.classAtom, item.className);
        uint16_t titleOrdinal = 0;
        std::wstring title;
        ReadNameOrOrdinal(b, pos, titleOrdinal, title);
        pos += 2 + Le16(b.data + pos);  // creation data
        dlg.items.push_back(item);
    }
    return true;
}

TEST(DialogTemplates, MainWindow_BorderlessHiddenTopmostWithRockwell)
{
    DialogTemplate dlg;
    ASSERT_TRUE(ParseDialog(IDD_VEXRAUI_DIALOG, dlg));
    EXPECT_EQ(dlg.style, 0x80080842u);
    EXPECT_EQ(dlg.exStyle, 0x00040088u);
    EXPECT_EQ(dlg.cx, 458);
    EXPECT_EQ(dlg.cy, 213);
    EXPECT_EQ(dlg.title, L"");
    EXPECT_EQ(dlg.pointSize, 12);
    EXPECT_EQ(dlg.weight, 400);
    EXPECT_EQ(dlg.face, L"Rockwell");
}

TEST(DialogTemplates, MainWindow_EveryControlWithItsClassAndHidden)
{
    DialogTemplate dlg;
    ASSERT_TRUE(ParseDialog(IDD_VEXRAUI_DIALOG, dlg));
    const uint16_t button = 0x80, stat = 0x82;
    const DWORD staticStyle = 0x40020000, buttonStyle = 0x40010000, frameStyle = 0x40000007;
    std::map<DWORD, std::pair<uint16_t, DWORD>> expected = {
        {IDC_CONTACT, {button, buttonStyle}},  {IDC_CLOSE, {button, buttonStyle}},
        {IDC_START, {button, buttonStyle}},    {IDC_TAB_ENGINE, {button, buttonStyle}},
        {IDC_TAB_SYSTEM, {button, buttonStyle}}, {IDC_SYSTEM_ICON, {button, buttonStyle}},
        {IDC_ENGINE_ICON, {button, buttonStyle}},
        {IDC_WELCOME_ANIMATION, {stat, frameStyle}}, {IDC_CPU_GAUGE, {stat, frameStyle}},
        {IDC_MEMORY_GAUGE, {stat, frameStyle}},
        {IDC_WELCOME, {stat, staticStyle}},    {IDC_SLOGAN, {stat, staticStyle}},
        {IDC_VERSION, {stat, staticStyle}},    {IDC_PRODUCT_YEAR, {stat, staticStyle}},
    };
    for (DWORD id = IDC_SYSTEM_FIRST; id <= IDC_SYSTEM_LAST; ++id)
        expected[id] = {stat, staticStyle};
    for (DWORD id = IDC_ENGINE_FIRST; id <= IDC_ENGINE_LAST; ++id)
        expected[id] = {stat, staticStyle};
    ASSERT_EQ(expected.size(), 35u);

    EXPECT_EQ(dlg.items.size(), expected.size());
    for (const DialogItem& item : dlg.items)
    {
        auto it = expected.find(item.id);
        if (it == expected.end())
        {
            ADD_FAILURE() << "unexpected control " << item.id;
            continue;
        }
        EXPECT_TRUE(item.IsClass(it->second.first)) << "class of " << item.id;
        EXPECT_EQ(item.style, it->second.second) << "style of " << item.id;
        EXPECT_EQ(item.style & WS_VISIBLE, 0u) << item.id << " must start hidden";
        expected.erase(it);
    }
    EXPECT_TRUE(expected.empty()) << expected.size() << " controls missing";
}

TEST(DialogTemplates, Popup_PlainPopupInTaskbarWithTwoCentredHiddenLines)
{
    DialogTemplate dlg;
    ASSERT_TRUE(ParseDialog(IDD_POPUP, dlg));
    EXPECT_TRUE(dlg.style & WS_POPUP);
    EXPECT_TRUE(dlg.style & WS_SYSMENU);
    EXPECT_EQ(dlg.style & (WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME), 0u);
    EXPECT_EQ(dlg.style & WS_VISIBLE, 0u);
    EXPECT_TRUE(dlg.exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(dlg.pointSize, 8);
    EXPECT_EQ(dlg.face, L"Segoe UI");
    ASSERT_EQ(dlg.items.size(), 2u);
    EXPECT_EQ(dlg.items[0].id, static_cast<DWORD>(IDC_POPUP_LINE1));
    EXPECT_EQ(dlg.items[1].id, static_cast<DWORD>(IDC_POPUP_LINE2));
    for (const DialogItem& item : dlg.items)
    {
        EXPECT_TRUE(item.IsClass(0x82));
        EXPECT_EQ(item.style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
        EXPECT_EQ(item.style & WS_VISIBLE, 0u);
    }
}

// ---------------------------------------------------------------------------------------
// Version record
// ---------------------------------------------------------------------------------------

class VersionRecord : public testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t path[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &handle);
        ASSERT_GT(size, 0u) << "no version record";
        record_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, record_.data()));
    }

    bool Query(const wchar_t* subBlock, void** value, UINT* length)
    {
        return VerQueryValueW(record_.data(), subBlock, value, length) != FALSE;
    }

    std::wstring String(const wchar_t* key)
    {
        std::wstring path = std::wstring(L"\\StringFileInfo\\400904B0\\") + key;
        void* value = nullptr;
        UINT length = 0;
        if (!Query(path.c_str(), &value, &length) || !value)
            return L"<missing>";
        return static_cast<const wchar_t*>(value);
    }

    std::vector<uint8_t> record_;
};

TEST_F(VersionRecord, FixedInfo_Version1_0_0_37)
{
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(Query(L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000025u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000025u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionRecord, Translation_OnlyEnglishIndiaUnicode)
{
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(Query(L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u) << "exactly one language/code-page pair";
    const auto* pair = static_cast<const WORD*>(value);
    EXPECT_EQ(pair[0], 0x4009);
    EXPECT_EQ(pair[1], 1200);
}

TEST_F(VersionRecord, Strings_ExactTextsAndNoBuildDate)
{
    EXPECT_EQ(String(L"CompanyName"), L"Teskor");
    EXPECT_EQ(String(L"FileDescription"), L"Vexra");
    EXPECT_EQ(String(L"FileVersion"), L"1.0.0.37");
    EXPECT_EQ(String(L"InternalName"), L"VEXRA");
    EXPECT_EQ(String(L"LegalCopyright"), L"Copyright (C) 2018 Teskor");
    EXPECT_EQ(String(L"OriginalFilename"), L"VEXRA-by-Teskor.exe");
    EXPECT_EQ(String(L"ProductName"), L"Vexra");
    EXPECT_EQ(String(L"ProductVersion"), L"1.0.0.37");
    // The version line leaves out the build date when the record has none.
    EXPECT_EQ(String(L"Build Date"), L"<missing>");
}

// ---------------------------------------------------------------------------------------
// Icon and manifest
// ---------------------------------------------------------------------------------------

TEST(AppIcon, Group_HoldsSmallLargeAndJumboImages)
{
    Bytes group = ResourceBytes(IDR_MAINFRAME, RT_GROUP_ICON);
    ASSERT_NE(group.data, nullptr);
    ASSERT_GE(group.size, 6u);
    const uint16_t count = Le16(group.data + 4);
    ASSERT_EQ(group.size, 6u + 14u * count);
    std::vector<int> sizes;
    for (uint16_t i = 0; i < count; ++i)
    {
        const uint8_t* entry = group.data + 6 + 14 * i;
        sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
        EXPECT_EQ(entry[0], entry[1]) << "square icon images";
        EXPECT_EQ(Le16(entry + 6), 32) << "32-bit images with alpha";
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));
}

TEST(AppIcon, LoadImage_SmallAndLargeSizes)
{
    for (int size : {16, 32})
    {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                   IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        ASSERT_NE(info.hbmColor, nullptr) << "a colour icon, not a mask-only one";
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// The manifest's name for the architecture this executable was built for, read from its
// own PE header: the test runs the resources linked into a build of the same toolchain.
std::string ManifestArchitectureOfThisExecutable()
{
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    switch (nt->FileHeader.Machine)
    {
    case IMAGE_FILE_MACHINE_I386:
        return "x86";
    case IMAGE_FILE_MACHINE_AMD64:
        return "amd64";
    default:
        return "unknown machine " + std::to_string(nt->FileHeader.Machine);
    }
}

// The processorArchitecture of the assemblyIdentity element naming `assemblyName`.
std::string DeclaredArchitecture(const std::string& manifest, const std::string& assemblyName)
{
    const std::string::size_type name = manifest.find("name=\"" + assemblyName + "\"");
    if (name == std::string::npos)
        return "no assemblyIdentity named " + assemblyName;
    const std::string::size_type start = manifest.rfind('<', name);
    const std::string::size_type end = manifest.find('>', name);
    const std::string element = manifest.substr(start, end - start);
    const std::string key = "processorArchitecture=\"";
    const std::string::size_type value = element.find(key);
    if (value == std::string::npos)
        return "no processorArchitecture";
    const std::string::size_type valueStart = value + key.size();
    return element.substr(valueStart, element.find('"', valueStart) - valueStart);
}

TEST(Manifest, ProcessorArchitecture_IsTheExecutablesOwnAndAnyForTheCommonControls)
{
    Bytes manifest = ResourceBytes(1, RT_MANIFEST);
    ASSERT_NE(manifest.data, nullptr);
    const std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
    // An x64 program that declares x86 is refused with a side-by-side error.
    EXPECT_EQ(DeclaredArchitecture(text, "Teskor.Vexra"), ManifestArchitectureOfThisExecutable());
    EXPECT_EQ(DeclaredArchitecture(text, "Microsoft.Windows.Common-Controls"), "*");
}

TEST(Manifest, Contents_CommonControls6AsInvokerDpiAwareNoSupportedOs)
{
    Bytes manifest = ResourceBytes(1, RT_MANIFEST);
    ASSERT_NE(manifest.data, nullptr);
    const std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
    // Declaring supported systems would change the version Windows 8.1+ reports.
    EXPECT_EQ(text.find("supportedOS"), std::string::npos);
    EXPECT_EQ(text.find("compatibility"), std::string::npos);
}

}  // namespace
