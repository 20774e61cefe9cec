#include "controls/PictureBoxEx.h"

#include <cstring>
#include <mutex>

#include "controls/ResourceBytes.h"

BEGIN_MESSAGE_MAP(CPictureBoxEx, CStatic)
    ON_WM_DESTROY()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {

constexpr DWORD kStopWaitMs = 5000;
constexpr int kHimetricPerInch = 2540;

using CPictureLock = std::lock_guard<CCriticalSection>;

// Decodes a picture from a stream over a global block; the caller keeps the block, which
// the decoded picture no longer needs.
CComPtr<IPicture> LoadPicture(HGLOBAL hBlock, DWORD nSize)
{
    CComPtr<IPicture> picture;
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(hBlock, FALSE, stream.Receive())))
        return picture;
    if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(nSize), FALSE, IID_IPicture,
                              picture.ReceiveVoid())))
        picture.Release();
    return picture;
}

} // namespace

// The animation thread's view of the control: the off-screen picture, drawn under the
// control's lock, and the wake event for the waits.
class CPictureBoxEx::CAnimationCanvas : public IGifCanvas
{
public:
    explicit CAnimationCanvas(CPictureBoxEx& box) : m_box(box) {}

    void ClearRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override
    {
        CPictureLock lock(m_box.m_csPicture);
        const RECT rect = {left, top, right, bottom};
        ::FillRect(m_box.m_memDC.GetSafeHdc(), &rect, CBrush(m_box.m_clrBackground));
    }

    void SaveArea(const GifFrameFacts& frame) override
    {
        CPictureLock lock(m_box.m_csPicture);
        const HDC hPicture = m_box.m_memDC.GetSafeHdc();
        if (m_box.m_savedDC.Create(hPicture, frame.width, frame.height))
            ::BitBlt(m_box.m_savedDC.GetSafeHdc(), 0, 0, frame.width, frame.height, hPicture, frame.left, frame.top,
                     SRCCOPY);
    }

    void RestoreSavedArea(const GifFrameFacts& frame) override
    {
        CPictureLock lock(m_box.m_csPicture);
        if (!m_box.m_savedDC.Exists())
            return;
        ::BitBlt(m_box.m_memDC.GetSafeHdc(), frame.left, frame.top, frame.width, frame.height,
                 m_box.m_savedDC.GetSafeHdc(), 0, 0, SRCCOPY);
        m_box.m_savedDC.Release();
    }

    bool RenderFrame(size_t index) override
    {
        const GifFrame& frame = m_box.m_frames[index];
        CPictureLock lock(m_box.m_csPicture);
        return RenderPicture(frame.pPicture.Get(), m_box.m_memDC.GetSafeHdc(), frame.facts.left, frame.facts.top,
                             frame.facts.width, frame.facts.height) != FALSE;
    }

    void Invalidate() override { ::InvalidateRect(m_box.m_hWnd, nullptr, FALSE); }

    void Wait(uint32_t milliseconds) override { WaitForSingleObject(m_box.m_hWakeEvent.Get(), milliseconds); }

private:
    CPictureBoxEx& m_box;
};

CPictureBoxEx::CPictureBoxEx() : m_hWakeEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

CPictureBoxEx::~CPictureBoxEx()
{
    ReleasePicture();
}

BOOL CPictureBoxEx::LoadFromResource(UINT nResourceId)
{
    DWORD nSize = 0;
    const CGlobalMemory copy = CopyResourceBytes(AfxGetResourceHandle(), nResourceId, L"GIF", nSize);
    return copy ? LoadFromBuffer(copy.Get(), nSize) : FALSE;
}

BOOL CPictureBoxEx::LoadFromBuffer(HGLOBAL hBuffer, DWORD nSize)
{
    ReleasePicture();
    if (!hBuffer || nSize > GlobalSize(hBuffer))
        return FALSE; // never read beyond the block
    bool bGif = false;
    {
        const CGlobalMemoryLock source(hBuffer);
        if (!source.Data())
            return FALSE;
        bGif = HasGifSignature(source.Data(), nSize);
        if (bGif && !LoadGif(source.Data(), nSize, hBuffer))
            return FALSE;
    }
    if (!bGif && !LoadStill(hBuffer, nSize, true))
        return FALSE;
    return CreateOffscreen();
}

BOOL CPictureBoxEx::LoadGif(const BYTE* pData, DWORD nSize, HGLOBAL hBuffer)
{
    GifHeader header;
    if (!ReadGifHeader(pData, nSize, header))
        return FALSE;
    m_bIsGif = TRUE;
    m_sizePicture = CSize(header.screenWidth, header.screenHeight);
    m_nGlobalTableSize = header.globalTableSize;

    const size_t nFrames = CountGifFrames(pData, nSize, m_nGlobalTableSize);
    if (nFrames == 0)
        return FALSE;
    if (nFrames == 1)
        return LoadStill(hBuffer, nSize, false); // keeps the logical screen size
    ExtractFrames(pData, nSize);
    return m_frames.empty() ? FALSE : TRUE;
}

void CPictureBoxEx::ExtractFrames(const BYTE* pData, DWORD nSize)
{
    CGifWalker walker(pData, nSize, m_nGlobalTableSize);
    GifFrameFacts facts;
    std::vector<uint8_t> standalone;
    while (walker.ExtractFrame(facts, standalone))
    {
        const CGlobalMemory frame(GlobalAlloc(GMEM_FIXED, standalone.size()));
        if (!frame)
            continue;
        std::memcpy(reinterpret_cast<void*>(frame.Get()), standalone.data(), standalone.size());
        CComPtr<IPicture> picture = LoadPicture(frame.Get(), static_cast<DWORD>(standalone.size()));
        if (picture) // frames the loader rejects are dropped
            m_frames.push_back(GifFrame{std::move(picture), facts});
    }
}

BOOL CPictureBoxEx::LoadStill(HGLOBAL hBuffer, DWORD nSize, bool bTakeSizeFromPicture)
{
    m_pStillPicture = LoadPicture(hBuffer, nSize);
    if (!m_pStillPicture)
        return FALSE;
    if (!bTakeSizeFromPicture)
        return TRUE;
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    m_pStillPicture->get_Width(&himetricWidth);
    m_pStillPicture->get_Height(&himetricHeight);
    CClientDC windowDC(this);
    m_sizePicture = CSize(MulDiv(himetricWidth, windowDC.GetDeviceCaps(LOGPIXELSX), kHimetricPerInch),
                          MulDiv(himetricHeight, windowDC.GetDeviceCaps(LOGPIXELSY), kHimetricPerInch));
    return TRUE;
}

BOOL CPictureBoxEx::CreateOffscreen()
{
    if (!m_hWnd)
        return FALSE;
    SetWindowPos(nullptr, 0, 0, m_sizePicture.cx, m_sizePicture.cy, SWP_NOMOVE | SWP_NOZORDER);
    CClientDC windowDC(this);
    {
        CPictureLock lock(m_csPicture);
        if (!m_memDC.Create(windowDC.GetSafeHdc(), m_sizePicture.cx, m_sizePicture.cy))
            return FALSE;
        m_clrBackground = GetSysColor(COLOR_BTNFACE);
        const RECT whole = {0, 0, m_sizePicture.cx, m_sizePicture.cy};
        ::FillRect(m_memDC.GetSafeHdc(), &whole, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
    }
    m_bPrepared = TRUE;
    return TRUE;
}

BOOL CPictureBoxEx::RenderPicture(IPicture* pPicture, HDC hDC, int x, int y, int width, int height)
{
    if (!pPicture || !hDC)
        return FALSE;
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    pPicture->get_Width(&himetricWidth);
    pPicture->get_Height(&himetricHeight);
    // HIMETRIC runs bottom-up: start at the height and go up to draw the picture upright.
    return SUCCEEDED(pPicture->Render(hDC, x, y, width, height, 0, himetricHeight, himetricWidth,
                                      -himetricHeight, nullptr));
}

BOOL CPictureBoxEx::Play()
{
    // Without its window, invalidating it would mean invalidating every top-level window,
    // on every frame of the animation.
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return FALSE;
    if (!m_bPrepared)
        return FALSE;
    if (m_bIsGif && m_frames.size() > 1)
    {
        if (m_hThread)
            return FALSE; // already playing
        m_hThread.Reset(CreateThread(nullptr, 0, AnimationThread, this, CREATE_SUSPENDED, nullptr));
        if (m_hThread)
            ResumeThread(m_hThread.Get());
        return FALSE;
    }
    BOOL bRendered = FALSE;
    {
        CPictureLock lock(m_csPicture);
        bRendered = RenderPicture(m_pStillPicture.Get(), m_memDC.GetSafeHdc(), 0, 0, m_sizePicture.cx,
                                  m_sizePicture.cy);
    }
    if (!bRendered)
        return FALSE;
    InvalidateRect(nullptr, FALSE);
    return TRUE;
}

DWORD WINAPI CPictureBoxEx::AnimationThread(LPVOID pParam)
{
    auto* pBox = static_cast<CPictureBoxEx*>(pParam);
    std::vector<GifFrameFacts> facts;
    facts.reserve(pBox->m_frames.size());
    for (const GifFrame& frame : pBox->m_frames)
        facts.push_back(frame.facts);
    CAnimationCanvas canvas(*pBox);
    RunGifFrameLoop(facts, pBox->m_nCurrentFrame, pBox->m_sizePicture.cx, pBox->m_sizePicture.cy, canvas,
                    pBox->m_bStopRequested);
    return 0;
}

void CPictureBoxEx::StopAnimation()
{
    m_bStopRequested = true;
    if (m_hWakeEvent)
        SetEvent(m_hWakeEvent.Get());
    if (m_hThread)
    {
        // The frames and the off-screen picture are freed right after a stop, so the
        // thread must be gone: after the usual wait, wait on rather than free them under
        // a thread that still draws. It only sleeps on the wake event and draws, so it ends.
        if (WaitForSingleObject(m_hThread.Get(), kStopWaitMs) == WAIT_TIMEOUT)
            WaitForSingleObject(m_hThread.Get(), INFINITE);
        m_hThread.Reset();
    }
    if (m_hWakeEvent)
        ResetEvent(m_hWakeEvent.Get());
    m_bStopRequested = false;
}

void CPictureBoxEx::ReleasePicture()
{
    StopAnimation();
    m_pStillPicture.Release();
    m_frames.clear();
    {
        CPictureLock lock(m_csPicture);
        m_memDC.Release();
        m_savedDC.Release();
    }
    m_nGlobalTableSize = 0;
    m_nCurrentFrame = 0;
    m_bIsGif = FALSE;
    m_bPrepared = FALSE;
    m_clrBackground = RGB(255, 255, 255);
}

void CPictureBoxEx::CopyPicture(CDC* pTarget)
{
    CPictureLock lock(m_csPicture);
    if (m_memDC.Exists())
        ::BitBlt(pTarget->GetSafeHdc(), 0, 0, m_sizePicture.cx, m_sizePicture.cy, m_memDC.GetSafeHdc(), 0, 0,
                 SRCCOPY);
}

void CPictureBoxEx::OnPaint()
{
    CPaintDC paintDC(this);
    CopyPicture(&paintDC);
}

void CPictureBoxEx::OnDestroy()
{
    StopAnimation();
    CStatic::OnDestroy();
}
