#include "framework/String.h"

#include <cwchar>
#include <cwctype>

namespace {

// The program's formats follow the Windows C run-time (%s = wide string, %I64d). With
// libstdc++, mingw-w64 switches its own printf family to the C99 variants, under which
// a wide %s means a narrow string, and its headers redirect _vsnwprintf there too. So
// the two formatting functions are taken straight from msvcrt.dll.
using CountFormatFn = int(__cdecl*)(const wchar_t*, va_list);
using PrintFormatFn = int(__cdecl*)(wchar_t*, size_t, const wchar_t*, va_list);

struct CrtFormatting
{
    CountFormatFn count = nullptr;
    PrintFormatFn print = nullptr;

    CrtFormatting()
    {
        HMODULE crt = GetModuleHandleW(L"msvcrt.dll");
        if (!crt)
            crt = LoadLibraryW(L"msvcrt.dll");  // kept for the life of the process
        if (!crt)
            return;
        count = reinterpret_cast<CountFormatFn>(GetProcAddress(crt, "_vscwprintf"));
        print = reinterpret_cast<PrintFormatFn>(GetProcAddress(crt, "_vsnwprintf"));
    }
};

const CrtFormatting& Crt()
{
    static const CrtFormatting crt;
    return crt;
}

// Formats into a new string; false if the format is invalid or the run-time is missing.
bool FormatToString(LPCWSTR format, va_list args, std::wstring& out)
{
    const CrtFormatting& crt = Crt();
    if (!format || !crt.count || !crt.print)
        return false;
    va_list countArgs;
    va_copy(countArgs, args);
    const int length = crt.count(format, countArgs);
    va_end(countArgs);
    if (length < 0)
        return false;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int written = crt.print(&text[0], text.size(), format, args);
    if (written < 0)
        return false;
    text.resize(static_cast<size_t>(written));
    out = std::move(text);
    return true;
}

LPCWSTR OrEmpty(LPCWSTR psz) { return psz ? psz : L""; }

}  // namespace

CString::CString(LPCWSTR psz) : m_str(OrEmpty(psz)) {}

CString::CString(LPCWSTR pch, int nLength)
{
    if (pch && nLength > 0)
        m_str.assign(pch, static_cast<size_t>(nLength));
}

CString& CString::operator=(LPCWSTR psz)
{
    m_str = OrEmpty(psz);
    return *this;
}

void CString::FormatV(LPCWSTR pszFormat, va_list args)
{
    std::wstring text;
    if (FormatToString(pszFormat, args, text))
        m_str = std::move(text);
    else
        m_str.clear();
}

void CString::FormatRaw(LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

CString& CString::operator+=(LPCWSTR psz)
{
    m_str += OrEmpty(psz);
    return *this;
}

CString CString::Left(int nCount) const
{
    if (nCount <= 0)
        return CString();
    return CString(m_str.c_str(), nCount < GetLength() ? nCount : GetLength());
}

CString CString::Mid(int iFirst) const
{
    if (iFirst < 0)
        iFirst = 0;
    if (iFirst >= GetLength())
        return CString();
    return CString(m_str.c_str() + iFirst, GetLength() - iFirst);
}

int CString::Find(wchar_t ch, int iStart) const
{
    if (iStart < 0 || iStart >= GetLength())
        return -1;
    const size_t at = m_str.find(ch, static_cast<size_t>(iStart));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(wchar_t ch) const
{
    const size_t at = m_str.rfind(ch);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CString& CString::MakeUpper()
{
    if (!m_str.empty())
        CharUpperBuffW(&m_str[0], static_cast<DWORD>(m_str.size()));
    return *this;
}

CString& CString::MakeLower()
{
    if (!m_str.empty())
        CharLowerBuffW(&m_str[0], static_cast<DWORD>(m_str.size()));
    return *this;
}

LPWSTR CString::GetBuffer(int nMinBufLength)
{
    size_t room = nMinBufLength > 0 ? static_cast<size_t>(nMinBufLength) : 0;
    if (room < m_str.size())
        room = m_str.size();
    // One more than asked for, so a caller may write a terminating null at [room].
    m_str.resize(room + 1, L'\0');
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    size_t length;
    if (nNewLength < 0)
        length = wcsnlen(m_str.c_str(), m_str.size());
    else
        length = static_cast<size_t>(nNewLength) < m_str.size() ? static_cast<size_t>(nNewLength)
                                                                  : m_str.size();
    m_str.resize(length);
}

CString operator+(const CString& a, LPCWSTR b)
{
    CString result(a);
    result += b;
    return result;
}

bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
bool operator==(const CString& a, LPCWSTR b) { return wcscmp(a.GetString(), OrEmpty(b)) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
