// GDI object wrappers. A CFont, CBitmap, CBrush or CPen owns the handle it creates (or
// loads) and deletes it when it goes. A CBorrowedGdiObject<T> only looks at a handle
// someone else owns (the wrappers FromHandle returns are of that type), so which of the
// two an object is says whether the handle is deleted; nothing decides it at run time.
#pragma once

#include <windows.h>

#include "framework/Object.h"

class CGdiObject : public CObject
{
public:
    CGdiObject() = default;
    ~CGdiObject() override;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL DeleteObject();

protected:
    // Takes ownership of hObject in place of what was held; FALSE for a null handle.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    int GetObject(int nCount, LPVOID lpObject) const;

    template <class T>
    static T* TemporaryFor(HGDIOBJ hObject);

private:
    HGDIOBJ m_hObject = nullptr;
};

class CFont : public CGdiObject
{
public:
    BOOL CreateFontIndirect(const LOGFONTW* lpLogFont);
    int GetLogFont(LOGFONTW* pLogFont) const;
    operator HFONT() const { return static_cast<HFONT>(GetSafeHandle()); }
    static CFont* FromHandle(HFONT hFont);
};

class CBitmap : public CGdiObject
{
public:
    // From the BITMAP resources of AfxGetResourceHandle().
    BOOL LoadBitmap(UINT nIDResource);
    int GetBitmap(BITMAP* pBitMap) const;
    operator HBITMAP() const { return static_cast<HBITMAP>(GetSafeHandle()); }
};

class CBrush : public CGdiObject
{
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor);
    BOOL CreateSolidBrush(COLORREF crColor);
    operator HBRUSH() const { return static_cast<HBRUSH>(GetSafeHandle()); }
};

class CPen : public CGdiObject
{
public:
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    operator HPEN() const { return static_cast<HPEN>(GetSafeHandle()); }
};

// A view of a GDI object someone else owns, with the interface of TObject: it gives the
// handle up when it goes instead of deleting it.
template <class TObject>
class CBorrowedGdiObject final : public TObject
{
public:
    explicit CBorrowedGdiObject(HGDIOBJ hObject) { this->Attach(hObject); }
    ~CBorrowedGdiObject() override { this->Detach(); }
};
