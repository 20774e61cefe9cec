#include "controls/GdiPlusBitmap.h"

#include "controls/ResourceBytes.h"

void CGdiPlusBitmapResource::Empty()
{
    m_pBitmap.reset();
    m_bufferLock.reset();
    m_buffer.Reset();
}

BOOL CGdiPlusBitmapResource::Load(UINT nResourceId)
{
    Empty();
    DWORD nSize = 0;
    m_buffer = CopyResourceBytes(GetModuleHandleW(nullptr), nResourceId, L"PNG", nSize);
    if (!m_buffer)
        return FALSE;
    m_bufferLock.emplace(m_buffer.Get());

    CComPtr<IStream> stream;
    if (*m_bufferLock && SUCCEEDED(CreateStreamOnHGlobal(m_buffer.Get(), FALSE, stream.Receive())))
        m_pBitmap.reset(Gdiplus::Bitmap::FromStream(stream.Get()));
    if (m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok)
        return TRUE;

    Empty();
    return FALSE;
}
