// Owns one reference to a COM interface and releases it when it goes.
#pragma once

#include <unknwn.h>

template <class T>
class CComRef
{
public:
    CComRef() = default;
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    // The reference moves on; the one left behind holds nothing.
    CComRef(CComRef&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ~CComRef() { Release(); }

    void Release()
    {
        if (m_p != nullptr) {
            m_p->Release();
            m_p = nullptr;
        }
    }

    // For the out-parameter of a call that hands over a new reference.
    T** Receive()
    {
        Release();
        return &m_p;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }

private:
    T* m_p = nullptr;
};
