#include "controls/PictureBoxEx.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CPictureBoxEx, CStatic)
    ON_WM_DESTROY()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {

constexpr DWORD kStopWaitMs = 5000;
constexpr int kHimetricPerInch = 2540;

// Holds a lock on a critical section for one scope.
class CLock
{
public:
    explicit CLock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
    ~CLock() { LeaveCriticalSection(&m_section); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    CRITICAL_SECTION& m_section;
};

// Keeps a movable block locked for one scope.
class CGlobalLock
{
public:
    explicit CGlobalLock(HGLOBAL hBlock) : m_hBlock(hBlock), m_pData(static_cast<BYTE*>(GlobalLock(hBlock))) {}
    ~CGlobalLock()
    {
        if (m_pData)
            GlobalUnlock(m_hBlock);
    }
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;
    BYTE* Data() const { return m_pData; }

private:
    HGLOBAL m_hBlock;
    BYTE* m_pData;
};

// Decodes a picture from a stream over a global block. With bDeleteOnRelease the block
// belongs to the stream and goes with it, whatever happens.
CPicturePtr LoadPicture(HGLOBAL hBlock, DWORD nSize, BOOL bDeleteOnRelease)
{
    IStream* pStream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(hBlock, bDeleteOnRelease, &pStream))) {
        if (bDeleteOnRelease)
            GlobalFree(hBlock);
        return CPicturePtr();
    }
    IPicture* pPicture = nullptr;
    if (FAILED(OleLoadPicture(pStream, static_cast<LONG>(nSize), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&pPicture))))
        pPicture = nullptr;
    pStream->Release();
    return CPicturePtr(pPicture);
}

void FillSolid(HDC hDC, const RECT& rect, COLORREF colour)
{
    HBRUSH hBrush = CreateSolidBrush(colour);
    if (!hBrush)
        return; // no brush: no fill
    FillRect(hDC, &rect, hBrush);
    DeleteObject(hBrush);
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
        CLock lock(m_box.m_csPicture);
        FillSolid(m_box.m_memDC.GetSafeHdc(), RECT{left, top, right, bottom}, m_box.m_clrBackground);
    }

    void SaveArea(const GifFrameFacts& frame) override
    {
        CLock lock(m_box.m_csPicture);
        if (m_box.m_savedDC.Create(&m_box.m_memDC, frame.width, frame.height))
            m_box.m_savedDC.BitBlt(0, 0, frame.width, frame.height, &m_box.m_memDC, frame.left, frame.top, SRCCOPY);
    }

    void RestoreSavedArea(const GifFrameFacts& frame) override
    {
        CLock lock(m_box.m_csPicture);
        if (!m_box.m_savedDC.Exists())
            return;
        m_box.m_memDC.BitBlt(frame.left, frame.top, frame.width, frame.height, &m_box.m_savedDC, 0, 0, SRCCOPY);
        m_box.m_savedDC.Release();
    }

    bool RenderFrame(size_t index) override
    {
        const GifFrame& frame = m_box.m_frames[index];
        CLock lock(m_box.m_csPicture);
        return RenderPicture(frame.pPicture.Get(), m_box.m_memDC.GetSafeHdc(), frame.facts.left, frame.facts.top,
                             frame.facts.width, frame.facts.height) != FALSE;
    }

    void Invalidate() override { ::InvalidateRect(m_box.m_hWnd, nullptr, FALSE); }

    void Wait(uint32_t milliseconds) override { WaitForSingleObject(m_box.m_hWakeEvent, milliseconds); }

private:
    CPictureBoxEx& m_box;
};

CPictureBoxEx::CPictureBoxEx()
{
    InitializeCriticalSection(&m_csPicture);
    m_hWakeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CPictureBoxEx::~CPictureBoxEx()
{
    ReleasePicture();
    if (m_hWakeEvent)
        CloseHandle(m_hWakeEvent);
    DeleteCriticalSection(&m_csPicture);
}

BOOL CPictureBoxEx::LoadFromResource(UINT nResourceId)
{
    HMODULE hModule = AfxGetResourceHandle();
    HRSRC hResource = FindResourceW(hModule, MAKEINTRESOURCEW(nResourceId), L"GIF");
    if (!hResource)
        return FALSE;
    HGLOBAL hLoaded = LoadResource(hModule, hResource);
    const DWORD nSize = SizeofResource(hModule, hResource);
    const void* pBytes = hLoaded ? LockResource(hLoaded) : nullptr;
    if (!pBytes || nSize == 0)
        return FALSE;

    HGLOBAL hCopy = GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, nSize);
    if (!hCopy)
        return FALSE;
    bool bCopied = false;
    {
        CGlobalLock copy(hCopy);
        if (copy.Data()) {
            std::memcpy(copy.Data(), pBytes, nSize);
            bCopied = true;
        }
    }
    const BOOL bLoaded = bCopied ? LoadFromBuffer(hCopy, nSize) : FALSE;
    GlobalFree(hCopy);
    return bLoaded;
}

BOOL CPictureBoxEx::LoadFromBuffer(HGLOBAL hBuffer, DWORD nSize)
{
    ReleasePicture();
    if (!hBuffer || nSize > GlobalSize(hBuffer))
        return FALSE; // never read beyond the block
    bool bGif = false;
    {
        CGlobalLock source(hBuffer);
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

    CGifWalker walker(pData, nSize, m_nGlobalTableSize);
    int nFrames = 0;
    while (walker.SkipFrame())
        ++nFrames;
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
    while (walker.ExtractFrame(facts, standalone)) {
        HGLOBAL hFrame = GlobalAlloc(GMEM_FIXED, standalone.size());
        if (!hFrame)
            continue;
        std::memcpy(reinterpret_cast<void*>(hFrame), standalone.data(), standalone.size());
        CPicturePtr picture = LoadPicture(hFrame, static_cast<DWORD>(standalone.size()), TRUE);
        if (picture.Get()) // frames the loader rejects are dropped
            m_frames.push_back(GifFrame{std::move(picture), facts});
    }
}

BOOL CPictureBoxEx::LoadStill(HGLOBAL hBuffer, DWORD nSize, bool bTakeSizeFromPicture)
{
    m_pStillPicture = LoadPicture(hBuffer, nSize, FALSE);
    if (!m_pStillPicture.Get())
        return FALSE;
    if (!bTakeSizeFromPicture)
        return TRUE;
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    m_pStillPicture.Get()->get_Width(&himetricWidth);
    m_pStillPicture.Get()->get_Height(&himetricHeight);
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
        CLock lock(m_csPicture);
        if (!m_memDC.Create(&windowDC, m_sizePicture.cx, m_sizePicture.cy))
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
    if (!m_bPrepared)
        return FALSE;
    if (m_bIsGif && m_frames.size() > 1) {
        if (m_hThread)
            return FALSE; // already playing
        m_hThread = CreateThread(nullptr, 0, AnimationThread, this, CREATE_SUSPENDED, nullptr);
        if (m_hThread)
            ResumeThread(m_hThread);
        return FALSE;
    }
    BOOL bRendered = FALSE;
    {
        CLock lock(m_csPicture);
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
        SetEvent(m_hWakeEvent);
    if (m_hThread) {
        // The frames and the off-screen picture are freed right after a stop, so the
        // thread must be gone: after the usual wait, wait on rather than free them under
        // a thread that still draws. It only sleeps on the wake event and draws, so it ends.
        if (WaitForSingleObject(m_hThread, kStopWaitMs) == WAIT_TIMEOUT)
            WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    if (m_hWakeEvent)
        ResetEvent(m_hWakeEvent);
    m_bStopRequested = false;
}

void CPictureBoxEx::ReleasePicture()
{
    StopAnimation();
    m_pStillPicture.Release();
    m_frames.clear();
    {
        CLock lock(m_csPicture);
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
    CLock lock(m_csPicture);
    if (m_memDC.Exists())
        pTarget->BitBlt(0, 0, m_sizePicture.cx, m_sizePicture.cy, &m_memDC, 0, 0, SRCCOPY);
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
