#include "controls/GdiPlusBitmap.h"

#include <cstring>

namespace {

// Releases a COM stream when it goes out of scope.
struct CStreamRelease
{
    IStream* pStream = nullptr;
    ~CStreamRelease()
    {
        if (pStream)
            pStream->Release();
    }
};

} // namespace

void CGdiPlusBitmapResource::Empty()
{
    DeleteBitmap();
    if (m_hBuffer) {
        GlobalUnlock(m_hBuffer);
        GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
    }
}

BOOL CGdiPlusBitmapResource::Load(UINT nResourceId)
{
    Empty();
    HMODULE hModule = GetModuleHandleW(nullptr);
    HRSRC hResource = FindResourceW(hModule, MAKEINTRESOURCEW(nResourceId), L"PNG");
    if (!hResource)
        return FALSE;
    const DWORD nSize = SizeofResource(hModule, hResource);
    if (nSize == 0)
        return FALSE;
    HGLOBAL hLoaded = LoadResource(hModule, hResource);
    const void* pBytes = hLoaded ? LockResource(hLoaded) : nullptr;
    if (!pBytes)
        return FALSE;
    return LoadFromBytes(pBytes, nSize);
}

BOOL CGdiPlusBitmapResource::LoadFromBytes(const void* pBytes, DWORD nSize)
{
    m_hBuffer = GlobalAlloc(GMEM_MOVEABLE, nSize);
    if (!m_hBuffer)
        return FALSE;
    void* pCopy = GlobalLock(m_hBuffer);
    if (!pCopy) {
        GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
        return FALSE;
    }
    std::memcpy(pCopy, pBytes, nSize);

    CStreamRelease stream;
    if (SUCCEEDED(CreateStreamOnHGlobal(m_hBuffer, FALSE, &stream.pStream)))
        m_pBitmap = Gdiplus::Bitmap::FromStream(stream.pStream);
    if (m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok)
        return TRUE;

    Empty();
    return FALSE;
}
