// Shared pieces of the framework's window tests: dialog templates built in memory, and
// a message pump that waits for a condition within a deadline.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/Afx.h"
#include "framework/TempObjects.h"

// Window tests need the X display that ctest runs under (xvfb-run).
#define REQUIRE_DESKTOP()                                                           \
    do                                                                              \
    {                                                                               \
        wchar_t display[256];                                                       \
        if (::GetEnvironmentVariableW(L"DISPLAY", display, 256) == 0)               \
            GTEST_SKIP() << "no X display: run the tests under xvfb-run";           \
    } while (0)

// A DLGTEMPLATE with its items, laid out as the dialog manager reads it.
class DialogTemplate
{
public:
    static constexpr WORD kButton = 0x0080;
    static constexpr WORD kStatic = 0x0082;

    DialogTemplate(DWORD style, short cx, short cy)
    {
        AddDword(style);
        AddDword(0);       // extended style
        m_words.push_back(0);  // item count, filled in by Get
        AddShorts({ 10, 10, cx, cy });
        m_words.push_back(0);  // no menu
        m_words.push_back(0);  // the standard dialog class
        m_words.push_back(0);  // no title
    }

    DialogTemplate& Add(WORD classAtom, WORD id, DWORD style, short x, short y, short cx,
                        short cy, const wchar_t* text = L"")
    {
        if (m_words.size() % 2)
            m_words.push_back(0);  // every item starts on a DWORD boundary
        AddDword(style | WS_CHILD | WS_VISIBLE);
        AddDword(0);
        AddShorts({ x, y, cx, cy });
        m_words.push_back(id);
        m_words.push_back(0xFFFF);
        m_words.push_back(classAtom);
        for (; *text; ++text)
            m_words.push_back(static_cast<WORD>(*text));
        m_words.push_back(0);
        m_words.push_back(0);  // no creation data
        ++m_nItems;
        return *this;
    }

    LPCDLGTEMPLATE Get()
    {
        m_words[4] = m_nItems;
        return reinterpret_cast<LPCDLGTEMPLATE>(m_words.data());
    }

private:
    void AddDword(DWORD value)
    {
        m_words.push_back(LOWORD(value));
        m_words.push_back(HIWORD(value));
    }
    void AddShorts(std::initializer_list<short> values)
    {
        for (short value : values)
            m_words.push_back(static_cast<WORD>(value));
    }

    std::vector<WORD> m_words;
    WORD m_nItems = 0;
};

// Dispatches this thread's messages until done() holds or the deadline passes.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done())
    {
        if (::GetTickCount64() > deadline)
            return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!done())
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}
