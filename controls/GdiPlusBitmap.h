// A GDI+ bitmap built from a "PNG" resource of the executable. GDI+ must be running (the
// application starts it) before it is used.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <optional>

#include "framework/Handle.h"

class CGdiPlusBitmapResource
{
public:
    CGdiPlusBitmapResource() = default;
    CGdiPlusBitmapResource(const CGdiPlusBitmapResource&) = delete;
    CGdiPlusBitmapResource& operator=(const CGdiPlusBitmapResource&) = delete;
    ~CGdiPlusBitmapResource() { Empty(); }

    // Loads the "PNG" resource of that id from the executable. False leaves the object empty.
    BOOL Load(UINT nResourceId);
    void Empty();

    // Null when empty.
    Gdiplus::Bitmap* Bitmap() const { return m_pBitmap.get(); }
    bool HoldsBytes() const { return static_cast<bool>(m_buffer); }

private:
    // A copy of the PNG bytes. GDI+ reads the pixels from a stream over this block for the
    // bitmap's whole life, so it stays allocated and locked while the bitmap exists; Empty
    // deletes the bitmap before it lets the block go.
    CGlobalMemory m_buffer;
    std::optional<CGlobalMemoryLock> m_bufferLock;
    std::unique_ptr<Gdiplus::Bitmap> m_pBitmap;
};
