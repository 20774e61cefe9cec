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
    explicit CString(wchar_t ch, int nRepeat = 1);
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCWSTR psz);
    CString& operator=(wchar_t ch);

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
    template <typename... Args>
    void AppendFormat(LPCWSTR pszFormat, Args&&... args)
    {
        AppendFormatRaw(pszFormat, PassVararg(std::forward<Args>(args))...);
    }
    void FormatV(LPCWSTR pszFormat, va_list args);
    void AppendFormatV(LPCWSTR pszFormat, va_list args);

    CString& operator+=(const CString& str);
    CString& operator+=(LPCWSTR psz);
    CString& operator+=(wchar_t ch);

    int Compare(LPCWSTR psz) const;        // <0, 0, >0 like wcscmp
    int CompareNoCase(LPCWSTR psz) const;  // ordinal, case-insensitive

    // Substrings clamp their arguments to the text, as MFC does: a start beyond the end or
    // a negative count gives the empty string, never an out-of-range read.
    CString Left(int nCount) const;
    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;
    CString Right(int nCount) const;

    int Find(wchar_t ch, int iStart = 0) const;     // -1 when absent or iStart is past the end
    int Find(LPCWSTR pszSub, int iStart = 0) const;
    int ReverseFind(wchar_t ch) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& Trim();                                 // leading and trailing white space
    int Replace(wchar_t chOld, wchar_t chNew);       // returns the number replaced
    int Replace(LPCWSTR pszOld, LPCWSTR pszNew);

    wchar_t GetAt(int iChar) const;
    // Any integer index (also size_t), so the call never competes with indexing the
    // LPCWSTR conversion.
    template <typename TIndex, typename = std::enable_if_t<std::is_integral_v<TIndex>>>
    wchar_t operator[](TIndex iChar) const
    {
        return GetAt(static_cast<int>(iChar));
    }

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
    void AppendFormatRaw(LPCWSTR pszFormat, ...);

    std::wstring m_str;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCWSTR b);
CString operator+(LPCWSTR a, const CString& b);
CString operator+(const CString& a, wchar_t b);
CString operator+(wchar_t a, const CString& b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCWSTR b);
bool operator==(LPCWSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCWSTR b);
bool operator!=(LPCWSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
