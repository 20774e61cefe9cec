// A memory DC that owns the bitmap selected into it: a pre-composed face of an image button,
// an animation's off-screen picture. Empty until Create.
#pragma once

#include <optional>

#include "framework/Afx.h"
#include "framework/Handle.h"

class CBitmapDC
{
public:
    CBitmapDC() = default;
    CBitmapDC(const CBitmapDC&) = delete;
    CBitmapDC& operator=(const CBitmapDC&) = delete;

    // A DC compatible with `hLike` holding a bitmap of w x h compatible with `hLike`.
    BOOL Create(HDC hLike, int width, int height)
    {
        Release();
        m_dc.Reset(::CreateCompatibleDC(hLike));
        if (!m_dc)
            return FALSE;
        m_bitmap.Reset(::CreateCompatibleBitmap(hLike, width, height));
        if (!m_bitmap)
        {
            m_dc.Reset();
            return FALSE;
        }
        m_selection.emplace(m_dc.Get(), m_bitmap.Get());
        return TRUE;
    }

    bool Exists() const { return static_cast<bool>(m_dc); }
    HDC GetSafeHdc() const { return m_dc.Get(); }

    // Deselects the bitmap, then deletes the DC and the bitmap.
    void Release()
    {
        m_selection.reset();
        m_dc.Reset();
        m_bitmap.Reset();
    }

private:
    // Declared in this order so that the bitmap is deselected before the DC goes, and the
    // DC is gone before the bitmap is deleted.
    CGdiHandle<HBITMAP> m_bitmap;
    COwned<CCreatedDCTraits> m_dc;
    std::optional<CGdiSelection> m_selection;
};
