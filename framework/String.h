// CString: the program's UTF-16 text value, a thin wrapper over std::wstring with the
// MFC member names the rest of the program is written against.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>
#include <type_traits>
#include <utility>

class CString
{
public:
    CString() = default;
    CString(LPCWSTR psz);                 // a null pointer gives the empty string
    CString(LPCWSTR pch, int nLength);    // exactly nLength characters (may hold nulls)
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCWSTR psz);

    operator LPCWSTR() const { return m_str.c_str(); }
    LPCWSTR GetString() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }

    // printf-style formatting with the Windows C run-time's rules: %s is a wide string,
    // %hs narrow, %I64d / %I64u 64-bit. CString arguments are passed on as their text,
    // so Format(L"%s", str) works as it does in MFC.
    template <typename... Args>
    void Format(LPCWSTR pszFormat, Args&&... args)
    {
        FormatRaw(pszFormat, PassVararg(std::forward<Args>(args))...);
    }

    CString& operator+=(LPCWSTR psz);

    // Substrings clamp their arguments to the text, as MFC does: a start beyond the end or
    // a negative count gives the empty string, never an out-of-range read.
    CString Left(int nCount) const;
    CString Mid(int iFirst) const;

    int Find(wchar_t ch, int iStart = 0) const;     // -1 when absent or iStart is past the end
    int ReverseFind(wchar_t ch) const;

    CString& MakeUpper();
    CString& MakeLower();

    // Room for at least nMinBufLength characters plus a terminating null; the text is
    // unchanged until ReleaseBuffer, which takes the length up to the first null when
    // nNewLength is -1.
    LPWSTR GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);

    const std::wstring& str() const { return m_str; }

private:
    // C varargs cannot carry a std::wstring; hand its characters over instead.
    static LPCWSTR PassVararg(const CString& s) { return s.GetString(); }
    template <typename T,
              typename = std::enable_if_t<!std::is_base_of_v<CString, std::decay_t<T>>>>
    static T&& PassVararg(T&& value)
    {
        static_assert(!std::is_class_v<std::decay_t<T>>,
                      "pass text to Format as LPCWSTR or CString, not as an object");
        return std::forward<T>(value);
    }

    void FormatRaw(LPCWSTR pszFormat, ...);
    void FormatV(LPCWSTR pszFormat, va_list args);

    std::wstring m_str;
};

CString operator+(const CString& a, LPCWSTR b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCWSTR b);
bool operator!=(const CString& a, const CString& b);
