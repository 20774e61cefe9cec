// The one way the program holds a Windows handle.
//
// COwned<Traits> owns a handle and lets it go when it goes; CBorrowed<Traits> only looks at a
// handle someone else owns. Which one a member is says who releases the handle, so nothing
// decides it at run time. A traits class names the handle's type, the value that means
// "no handle" (OpenProcess gives NULL, CreateFile gives INVALID_HANDLE_VALUE) and how an
// owner releases it:
//
//     COwned<CKernelHandleTraits> process(::OpenProcess(access, FALSE, pid));
//     if (!process)
//         return false;
//     ::SetPriorityClass(process.Get(), REALTIME_PRIORITY_CLASS);  // closed at the brace
//
// CGdiSelection, CGlobalMemoryLock and CCriticalSection are the scoped state the program
// changes and must undo: a DC's selected object, a lock on movable memory, a lock on a
// critical section.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <utility>

// ---- kinds of handle -------------------------------------------------------------------

// Processes, threads, events, mutexes, tokens: everything whose failure value is NULL.
struct CKernelHandleTraits
{
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::CloseHandle(handle); }
};

// CreateFile and CreateToolhelp32Snapshot fail with INVALID_HANDLE_VALUE, not NULL.
struct CFileHandleTraits
{
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { ::CloseHandle(handle); }
};

// Fonts, bitmaps, brushes, pens, regions.
template <class THandle>
struct CGdiObjectTraits
{
    using Type = THandle;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::DeleteObject(handle); }
};

// A DC the program created (CreateCompatibleDC); window DCs go back with ReleaseDC instead.
struct CCreatedDCTraits
{
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::DeleteDC(handle); }
};

struct CRegistryKeyTraits
{
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::RegCloseKey(handle); }
};

struct CGlobalMemoryTraits
{
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::GlobalFree(handle); }
};

// Memory the system allocated for the caller with LocalAlloc (security descriptors, FormatMessage).
struct CLocalMemoryTraits
{
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { ::LocalFree(handle); }
};

struct CBstrTraits
{
    using Type = BSTR;
    static Type Invalid() { return nullptr; }
    static void Close(Type text) { ::SysFreeString(text); }
};

// ---- owned and borrowed ----------------------------------------------------------------

template <class Traits>
class COwned
{
public:
    using Type = typename Traits::Type;

    COwned() = default;
    explicit COwned(Type handle) : m_handle(handle) {}
    ~COwned() { Reset(); }
    COwned(const COwned&) = delete;
    COwned& operator=(const COwned&) = delete;
    COwned(COwned&& other) noexcept : m_handle(other.Detach()) {}
    COwned& operator=(COwned&& other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    Type Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }

    // Releases what is held and takes `handle` in its place.
    void Reset(Type handle = Traits::Invalid())
    {
        if (m_handle != Traits::Invalid())
            Traits::Close(m_handle);
        m_handle = handle;
    }
    // Gives the handle up without releasing it; the caller owns it now.
    Type Detach()
    {
        Type handle = m_handle;
        m_handle = Traits::Invalid();
        return handle;
    }
    // For the out-parameter of a call that hands over a new handle.
    Type* Receive()
    {
        Reset();
        return &m_handle;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

private:
    Type m_handle = Traits::Invalid();
};

template <class Traits>
class CBorrowed
{
public:
    using Type = typename Traits::Type;

    CBorrowed() = default;
    explicit CBorrowed(Type handle) : m_handle(handle) {}
    CBorrowed(const COwned<Traits>& owner) : m_handle(owner.Get()) {}  // NOLINT: a view of it

    Type Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }

private:
    Type m_handle = Traits::Invalid();
};

using CKernelHandle = COwned<CKernelHandleTraits>;
using CFileHandle = COwned<CFileHandleTraits>;
template <class THandle>
using CGdiHandle = COwned<CGdiObjectTraits<THandle>>;
using CRegistryKey = COwned<CRegistryKeyTraits>;
using CGlobalMemory = COwned<CGlobalMemoryTraits>;
using CBstr = COwned<CBstrTraits>;

// ---- COM references --------------------------------------------------------------------

// What CComPtr's -> gives: the interface with AddRef and Release out of reach, so that a
// reference the pointer holds can only be let go through the pointer itself.
template <class TInterface>
class CNoAddRefRelease : public TInterface
{
private:
    ULONG STDMETHODCALLTYPE AddRef() override = 0;
    ULONG STDMETHODCALLTYPE Release() override = 0;
};

// A reference to a COM interface, with ATL's promise: a pointer given to it (constructor,
// assignment, copy) gets a reference of its own; one it must take over as it is, such as
// a Create or QueryInterface out-parameter, comes in through Receive or Attach.
template <class TInterface>
class CComPtr
{
public:
    CComPtr() = default;
    explicit CComPtr(TInterface* pointer) : m_pointer(pointer) { AddRefHeld(); }
    CComPtr(const CComPtr& other) : m_pointer(other.m_pointer) { AddRefHeld(); }
    CComPtr(CComPtr&& other) noexcept : m_pointer(other.Detach()) {}
    ~CComPtr() { Release(); }

    CComPtr& operator=(TInterface* pointer)
    {
        // The new reference first: `pointer` may be held only through the old one.
        if (pointer != nullptr)
            pointer->AddRef();
        Attach(pointer);
        return *this;
    }
    CComPtr& operator=(const CComPtr& other) { return *this = other.m_pointer; }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    TInterface* Get() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }
    CNoAddRefRelease<TInterface>* operator->() const
    {
        return static_cast<CNoAddRefRelease<TInterface>*>(m_pointer);
    }

    // Lets the reference go; the pointer is empty afterwards.
    void Release()
    {
        TInterface* pointer = m_pointer;
        m_pointer = nullptr;
        if (pointer != nullptr)
            pointer->Release();
    }
    // Takes over a reference the caller owns, without adding one.
    void Attach(TInterface* pointer)
    {
        Release();
        m_pointer = pointer;
    }
    // Gives the reference up without releasing it; the caller owns it now.
    TInterface* Detach()
    {
        TInterface* pointer = m_pointer;
        m_pointer = nullptr;
        return pointer;
    }
    // For the out-parameter of a call that hands over a new reference.
    TInterface** Receive()
    {
        Release();
        return &m_pointer;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

private:
    void AddRefHeld()
    {
        if (m_pointer != nullptr)
            m_pointer->AddRef();
    }

    TInterface* m_pointer = nullptr;
};

// ---- scoped state ----------------------------------------------------------------------

// An object selected into a DC for one scope; the DC gets back what it had before.
class CGdiSelection
{
public:
    CGdiSelection(HDC hDC, HGDIOBJ hObject)
        : m_hDC(hDC), m_hPrevious(hDC && hObject ? ::SelectObject(hDC, hObject) : nullptr)
    {
    }
    ~CGdiSelection()
    {
        if (m_hPrevious)
            ::SelectObject(m_hDC, m_hPrevious);
    }
    CGdiSelection(const CGdiSelection&) = delete;
    CGdiSelection& operator=(const CGdiSelection&) = delete;

    explicit operator bool() const { return m_hPrevious != nullptr; }

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};

// A movable memory block locked for one scope.
class CGlobalMemoryLock
{
public:
    explicit CGlobalMemoryLock(HGLOBAL hBlock)
        : m_hBlock(hBlock), m_pData(hBlock ? ::GlobalLock(hBlock) : nullptr)
    {
    }
    ~CGlobalMemoryLock()
    {
        if (m_pData)
            ::GlobalUnlock(m_hBlock);
    }
    CGlobalMemoryLock(const CGlobalMemoryLock&) = delete;
    CGlobalMemoryLock& operator=(const CGlobalMemoryLock&) = delete;

    BYTE* Data() const { return static_cast<BYTE*>(m_pData); }
    explicit operator bool() const { return m_pData != nullptr; }

private:
    HGLOBAL m_hBlock;
    void* m_pData;
};

// A critical section that lives as long as its owner. lock()/unlock() let std::lock_guard
// hold it for a scope.
class CCriticalSection
{
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void lock() { ::EnterCriticalSection(&m_section); }
    void unlock() { ::LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};
