// A GDI+ bitmap and the loader that builds one from a "PNG" resource of the executable.
// GDI+ must be running (the application starts it) before either is used.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

class CGdiPlusBitmap
{
public:
    CGdiPlusBitmap() = default;
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;
    virtual ~CGdiPlusBitmap() { DeleteBitmap(); }

    Gdiplus::Bitmap* m_pBitmap = nullptr; // owned; null when empty

protected:
    void DeleteBitmap()
    {
        delete m_pBitmap;
        m_pBitmap = nullptr;
    }
};

class CGdiPlusBitmapResource : public CGdiPlusBitmap
{
public:
    CGdiPlusBitmapResource() = default;
    ~CGdiPlusBitmapResource() override { Empty(); }

    // Loads the "PNG" resource of that id from the executable. False leaves the object empty.
    BOOL Load(UINT nResourceId);
    void Empty();

    // A copy of the PNG bytes. GDI+ reads the pixels from a stream over this block for the
    // bitmap's whole life, so it stays allocated and locked while the bitmap exists.
    HGLOBAL m_hBuffer = nullptr;

private:
    BOOL LoadFromBytes(const void* pBytes, DWORD nSize);
};
