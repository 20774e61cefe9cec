#include "controls/GifFrameLoop.h"

namespace {

constexpr uint32_t kShortestFrameMs = 100;
constexpr int32_t kDisposalRestoreBackground = 2;
constexpr int32_t kDisposalRestorePrevious = 3;

} // namespace

uint32_t FrameWaitMs(int32_t delay)
{
    if (delay < 5)
        return kShortestFrameMs;
    return static_cast<uint32_t>(delay) * 10;
}

void DisposeFrame(const GifFrameFacts& frame, IGifCanvas& canvas)
{
    if (frame.disposal == kDisposalRestoreBackground)
        canvas.ClearRect(frame.left, frame.top, frame.left + frame.width, frame.top + frame.height);
    else if (frame.disposal == kDisposalRestorePrevious)
        canvas.RestoreSavedArea(frame);
}

void RunGifFrameLoop(const std::vector<GifFrameFacts>& frames, std::atomic<int>& currentFrame,
                     int32_t screenWidth, int32_t screenHeight, IGifCanvas& canvas,
                     const std::atomic<bool>& stopRequested)
{
    const int frameCount = static_cast<int>(frames.size());
    if (frameCount == 0)
        return;
    if (currentFrame < 0 || currentFrame >= frameCount)
        currentFrame = 0;

    // A run that was stopped mid-frame left that frame on the picture.
    DisposeFrame(frames[currentFrame], canvas);

    while (!stopRequested)
    {
        const GifFrameFacts& frame = frames[currentFrame];
        if (frame.disposal == kDisposalRestorePrevious)
            canvas.SaveArea(frame);
        if (canvas.RenderFrame(static_cast<size_t>(currentFrame)))
            canvas.Invalidate();
        if (stopRequested)
            return;
        canvas.Wait(FrameWaitMs(frame.delay));
        if (stopRequested)
            return;
        DisposeFrame(frame, canvas);

        if (currentFrame + 1 >= frameCount)
        {
            currentFrame = 0;
            canvas.ClearRect(0, 0, screenWidth, screenHeight);
        }
        else
        {
            ++currentFrame;
        }
    }
}
