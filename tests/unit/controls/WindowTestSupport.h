// What the window tests of the controls share: GDI+ and OLE started once (as the program
// does at start-up), a message pump with a deadline, in-memory dialog templates, and
// pixel reading from a DC.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <ole2.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace controls_test {

// GDI+ and OLE for this thread, started on first use and never shut down.
inline void StartGraphics()
{
    static bool started = [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
        OleInitialize(nullptr);
        return true;
    }();
    (void)started;
}

// Dispatches this thread's messages until the condition holds or the deadline passes.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// A dialog template in memory: a pop-up dialog with push buttons and statics.
class CDialogTemplate
{
public:
    CDialogTemplate(int widthDlu, int heightDlu, DWORD style = WS_POPUP | WS_VISIBLE | DS_SETFONT)
        : m_style(style), m_width(widthDlu), m_height(heightDlu) {}

    CDialogTemplate& Control(WORD id, WORD classAtom, DWORD style, int x, int y, int cx, int cy)
    {
        m_controls.push_back({id, classAtom, style | WS_CHILD | WS_VISIBLE, x, y, cx, cy});
        return *this;
    }

    // The template bytes, DWORD-aligned as DLGTEMPLATE requires.
    const DLGTEMPLATE* Get()
    {
        m_words.clear();
        DLGTEMPLATE header = {};
        header.style = m_style;
        header.cdit = static_cast<WORD>(m_controls.size());
        header.cx = static_cast<short>(m_width);
        header.cy = static_cast<short>(m_height);
        AppendStruct(header);
        m_words.push_back(0); // no menu
        m_words.push_back(0); // default class
        m_words.push_back(0); // no title
        if (m_style & DS_SETFONT)
        {
            m_words.push_back(8);
            AppendText(L"MS Shell Dlg");
        }
        for (const Item& item : m_controls)
        {
            AlignToDword();
            DLGITEMTEMPLATE itemHeader = {};
            itemHeader.style = item.style;
            itemHeader.x = static_cast<short>(item.x);
            itemHeader.y = static_cast<short>(item.y);
            itemHeader.cx = static_cast<short>(item.cx);
            itemHeader.cy = static_cast<short>(item.cy);
            itemHeader.id = item.id;
            AppendStruct(itemHeader);
            m_words.push_back(0xFFFF);
            m_words.push_back(item.classAtom);
            m_words.push_back(0); // no text
            m_words.push_back(0); // no creation data
        }
        m_storage.assign(m_words.size() / 2 + 1, 0);
        std::memcpy(m_storage.data(), m_words.data(), m_words.size() * sizeof(WORD));
        return reinterpret_cast<const DLGTEMPLATE*>(m_storage.data());
    }

    static constexpr WORD kButton = 0x0080;
    static constexpr WORD kStatic = 0x0082;

private:
    struct Item { WORD id; WORD classAtom; DWORD style; int x, y, cx, cy; };
    template <typename T>
    void AppendStruct(const T& value)
    {
        const WORD* words = reinterpret_cast<const WORD*>(&value);
        m_words.insert(m_words.end(), words, words + sizeof(T) / sizeof(WORD));
    }
    void AppendText(const wchar_t* text)
    {
        for (; *text; ++text)
            m_words.push_back(static_cast<WORD>(*text));
        m_words.push_back(0);
    }
    void AlignToDword()
    {
        if (m_words.size() % 2)
            m_words.push_back(0);
    }

    DWORD m_style;
    int m_width, m_height;
    std::vector<Item> m_controls;
    std::vector<WORD> m_words;
    std::vector<DWORD> m_storage;
};

// A 32-bit top-down DIB section selected into its own DC, for reading drawn pixels.
class CPixelCanvas
{
public:
    CPixelCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : m_width(width), m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_hDC = CreateCompatibleDC(nullptr);
        m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pBits), nullptr, 0);
        m_hOld = SelectObject(m_hDC, m_hBitmap);
        Fill(fill);
    }
    ~CPixelCanvas()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
    }
    CPixelCanvas(const CPixelCanvas&) = delete;
    CPixelCanvas& operator=(const CPixelCanvas&) = delete;

    HDC Dc() const { return m_hDC; }
    void Fill(COLORREF colour)
    {
        RECT all = {0, 0, m_width, m_height};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(m_hDC, &all, brush);
        DeleteObject(brush);
    }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const uint32_t bgra = m_pBits[static_cast<size_t>(y) * m_width + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }

private:
    int m_width, m_height;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    uint32_t* m_pBits = nullptr;
};

inline bool ColoursClose(COLORREF a, COLORREF b, int tolerance = 3)
{
    auto within = [tolerance](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
    return within(GetRValue(a), GetRValue(b)) && within(GetGValue(a), GetGValue(b)) && within(GetBValue(a), GetBValue(b));
}

inline std::string ColourText(COLORREF c)
{
    return "RGB(" + std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
           std::to_string(GetBValue(c)) + ")";
}

} // namespace controls_test
