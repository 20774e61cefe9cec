// CArray and CStringArray: growable arrays with MFC's member names, over std::vector.
#pragma once

#include "framework/Object.h"
#include "framework/String.h"

#include <vector>

// An index outside the array is a programming error; the array stops the program rather
// than read or write memory it does not own.
[[noreturn]] inline void AfxArrayIndexFault() { __builtin_trap(); }

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject
{
public:
    CArray() = default;
    CArray(const CArray&) = default;
    CArray& operator=(const CArray&) = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }

    INT_PTR Add(ARG_TYPE newElement)
    {
        m_items.push_back(newElement);
        return GetSize() - 1;
    }

    const TYPE& operator[](INT_PTR nIndex) const { return m_items[Checked(nIndex)]; }
    TYPE& operator[](INT_PTR nIndex) { return m_items[Checked(nIndex)]; }

private:
    size_t Checked(INT_PTR nIndex) const
    {
        if (nIndex < 0 || nIndex >= GetSize())
            AfxArrayIndexFault();
        return static_cast<size_t>(nIndex);
    }

    std::vector<TYPE> m_items;
};

class CStringArray : public CArray<CString, const CString&>
{
};
