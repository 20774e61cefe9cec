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
    INT_PTR GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }

    // Grows or shrinks to nNewSize elements; new elements are value-initialized.
    // nGrowBy is accepted for compatibility; std::vector chooses its own growth.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1)
    {
        m_items.resize(nNewSize > 0 ? static_cast<size_t>(nNewSize) : 0);
    }

    INT_PTR Add(ARG_TYPE newElement)
    {
        m_items.push_back(newElement);
        return GetSize() - 1;
    }

    const TYPE& GetAt(INT_PTR nIndex) const { return m_items[Checked(nIndex)]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_items[Checked(nIndex)] = newElement; }
    TYPE& ElementAt(INT_PTR nIndex) { return m_items[Checked(nIndex)]; }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }

    TYPE* GetData() { return m_items.empty() ? nullptr : m_items.data(); }
    const TYPE* GetData() const { return m_items.empty() ? nullptr : m_items.data(); }

    void RemoveAll() { m_items.clear(); }

    // Removes nCount elements from nIndex; a range reaching past the end is cut at the end.
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1)
    {
        if (nIndex < 0 || nIndex >= GetSize() || nCount <= 0)
            return;
        const INT_PTR last = nCount > GetSize() - nIndex ? GetSize() : nIndex + nCount;
        m_items.erase(m_items.begin() + nIndex, m_items.begin() + last);
    }

    // Inserts nCount copies at nIndex; an index beyond the end first grows the array to
    // nIndex elements, as MFC's InsertAt does.
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1)
    {
        if (nIndex < 0 || nCount <= 0)
            return;
        if (nIndex > GetSize())
            SetSize(nIndex);
        const TYPE copy(newElement);  // newElement may refer into this array
        m_items.insert(m_items.begin() + nIndex, static_cast<size_t>(nCount), copy);
    }

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
