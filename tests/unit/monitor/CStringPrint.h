// Lets GoogleTest show CString values as text in failure messages.
#pragma once

#include "framework/Afx.h"

#include <ostream>
#include <string>

inline std::string NarrowForTest(const CString& text)
{
    std::string narrow;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const wchar_t ch = text[i];
        narrow += ch < 128 ? static_cast<char>(ch) : '?';
    }
    return narrow;
}

inline void PrintTo(const CString& text, std::ostream* os)
{
    *os << '"' << NarrowForTest(text) << '"';
}
