// The decisions of a GIF animation: which frame comes next, how long it stays, what is
// saved, restored or cleared around it. The picture box's animation thread runs this loop
// against its off-screen bitmap; tests run it against a recording canvas. Portable.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "controls/GifWalker.h"

// What the loop draws on. Every operation works on the off-screen picture.
class IGifCanvas
{
public:
    virtual ~IGifCanvas() = default;
    // Fill a rectangle (right and bottom excluded) with the background colour.
    virtual void ClearRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    // Keep a copy of the pixels the frame is about to cover.
    virtual void SaveArea(const GifFrameFacts& frame) = 0;
    // Put back the copy kept by SaveArea, if there is one, and drop it.
    virtual void RestoreSavedArea(const GifFrameFacts& frame) = 0;
    // Draw frame number `index` at its position; false when the picture could not be drawn.
    virtual bool RenderFrame(size_t index) = 0;
    // Ask the window to repaint from the off-screen picture.
    virtual void Invalidate() = 0;
    // Let time pass; returns early when the animation is being stopped.
    virtual void Wait(uint32_t milliseconds) = 0;
};

// How long a frame stays: its delay in hundredths of a second, but 100 ms for the delays
// of 0 to 4 that many GIFs use to mean "as fast as possible", and 100 ms for a frame that
// has no control extension at all (delay -1).
uint32_t FrameWaitMs(int32_t delay);

// Undo what a frame left behind, as its disposal method says.
void DisposeFrame(const GifFrameFacts& frame, IGifCanvas& canvas);

// Plays the frames from `currentFrame` until `stopRequested` is set; `currentFrame` is left
// at the frame that was showing, so a later run continues from there. The window's thread
// may read it while the loop runs.
void RunGifFrameLoop(const std::vector<GifFrameFacts>& frames, std::atomic<int>& currentFrame,
                     int32_t screenWidth, int32_t screenHeight, IGifCanvas& canvas,
                     const std::atomic<bool>& stopRequested);
