// A static control that shows a picture from the resources and plays an animated GIF on a
// thread of its own. It does not decode images: it cuts each GIF frame out as a one-image
// GIF and lets the system picture loader decode it, then composes the frames into an
// off-screen bitmap that WM_PAINT copies to the screen.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <vector>

#include "controls/BitmapDC.h"
#include "controls/GifFrameLoop.h"
#include "controls/GifWalker.h"
#include "framework/Afx.h"
#include "framework/Handle.h"

struct GifFrame
{
    CComPtr<IPicture> pPicture;
    GifFrameFacts facts; // position, size, delay and disposal
};

class CPictureBoxEx : public CStatic
{
public:
    CPictureBoxEx();
    ~CPictureBoxEx() override;

    BOOL LoadFromResource(UINT nResourceId);
    // Reads nSize bytes of the movable block; the caller keeps the block.
    BOOL LoadFromBuffer(HGLOBAL hBuffer, DWORD nSize);
    // TRUE only when a still picture was rendered; an animation starts its thread and
    // gives FALSE. Without a window nothing starts and nothing is drawn.
    BOOL Play();
    void StopAnimation();
    void ReleasePicture();

    int GetFrameCount() const { return static_cast<int>(m_frames.size()); }
    const GifFrame& GetFrame(int nIndex) const { return m_frames[static_cast<size_t>(nIndex)]; }
    bool IsAnimating() const { return static_cast<bool>(m_hThread); }
    bool HasStillPicture() const { return m_pStillPicture.Get() != nullptr; }
    // Copies the off-screen picture into pTarget at (0, 0), under the same lock the
    // animation thread draws under.
    void CopyPicture(CDC* pTarget);

    // The frame showing now; the animation thread advances it.
    int GetCurrentFrame() const { return m_nCurrentFrame; }

protected:
    void OnPaint();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    class CAnimationCanvas;
    friend class CAnimationCanvas;

    BOOL LoadGif(const BYTE* pData, DWORD nSize, HGLOBAL hBuffer);
    BOOL LoadStill(HGLOBAL hBuffer, DWORD nSize, bool bTakeSizeFromPicture);
    void ExtractFrames(const BYTE* pData, DWORD nSize);
    BOOL CreateOffscreen();
    static BOOL RenderPicture(IPicture* pPicture, HDC hDC, int x, int y, int width, int height);
    static DWORD WINAPI AnimationThread(LPVOID pParam);

    // Read by the animation thread while it runs; written only while it does not.
    CSize m_sizePicture;
    COLORREF m_clrBackground = RGB(255, 255, 255);
    std::atomic<int> m_nCurrentFrame{0}; // advanced by the animation thread
    uint32_t m_nGlobalTableSize = 0;
    BOOL m_bIsGif = FALSE;
    std::atomic<bool> m_bStopRequested{false};
    BOOL m_bPrepared = FALSE;
    CBitmapDC m_memDC;   // the off-screen picture
    CBitmapDC m_savedDC; // what lies under a frame of disposal 3 while it shows
    // The animation thread draws into m_memDC while the window thread copies it out.
    CCriticalSection m_csPicture;
    CKernelHandle m_hThread;
    CKernelHandle m_hWakeEvent;
    CComPtr<IPicture> m_pStillPicture;
    std::vector<GifFrame> m_frames;
};
