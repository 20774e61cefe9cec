// Moves UTF-16 text between the portable code (std::u16string) and the Windows side
// (CString over wchar_t, which is 16 bits wide on Windows).
#pragma once

#include "framework/Afx.h"

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline CString ToCString(const std::u16string& text)
{
    return CString(reinterpret_cast<LPCWSTR>(text.data()), static_cast<int>(text.size()));
}

inline std::u16string ToU16String(LPCWSTR text)
{
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}
