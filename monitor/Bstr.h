// A BSTR owned for the length of the calls that need it.
#pragma once

#include <oleauto.h>

class CBstr
{
public:
    explicit CBstr(const wchar_t* text) : m_bstr(SysAllocString(text)) {}
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { SysFreeString(m_bstr); }
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr;
};
