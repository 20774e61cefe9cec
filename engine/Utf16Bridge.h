// Moves text between the program's CString (wchar_t) and the portable text code
// (char16_t). On Windows both are the same UTF-16 code units.
#pragma once

#include "framework/Afx.h"

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

inline std::u16string ToU16(LPCWSTR text)
{
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

inline CString FromU16(const std::u16string& text)
{
    return CString(reinterpret_cast<LPCWSTR>(text.c_str()), static_cast<int>(text.size()));
}
