// A memory DC that owns the bitmap selected into it: a pre-composed face of an image button,
// an animation's off-screen picture. Empty until Create.
#pragma once

#include "framework/Afx.h"

class CBitmapDC : public CDC
{
public:
    CBitmapDC() = default;
    ~CBitmapDC() override { Release(); }
    CBitmapDC(const CBitmapDC&) = delete;
    CBitmapDC& operator=(const CBitmapDC&) = delete;

    // A DC compatible with `pLike` holding a bitmap of w x h compatible with `pLike`.
    BOOL Create(CDC* pLike, int width, int height)
    {
        Release();
        if (!CreateCompatibleDC(pLike))
            return FALSE;
        if (!m_bitmap.CreateCompatibleBitmap(pLike, width, height)) {
            DeleteDC();
            return FALSE;
        }
        m_hOldBitmap = ::SelectObject(m_hDC, m_bitmap.GetSafeHandle());
        return TRUE;
    }

    bool Exists() const { return m_hDC != nullptr; }

    // Deselects and deletes the bitmap, then the DC.
    void Release()
    {
        if (m_hDC && m_hOldBitmap)
            ::SelectObject(m_hDC, m_hOldBitmap);
        m_hOldBitmap = nullptr;
        if (m_hDC)
            DeleteDC();
        m_bitmap.DeleteObject();
    }

private:
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBitmap = nullptr; // restored before the DC goes
};
