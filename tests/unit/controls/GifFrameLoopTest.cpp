#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "controls/GifFrameLoop.h"

namespace {

// Writes down every drawing step as text and stops the loop after a number of waits.
class CRecordingCanvas : public IGifCanvas
{
public:
    CRecordingCanvas(std::atomic<bool>& stop, int waitsBeforeStop) : m_stop(stop), m_waitsLeft(waitsBeforeStop) {}

    void ClearRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override
    {
        Log() << "clear " << left << ',' << top << ',' << right << ',' << bottom;
    }
    void SaveArea(const GifFrameFacts& frame) override { Log() << "save " << frame.left << ',' << frame.top; }
    void RestoreSavedArea(const GifFrameFacts& frame) override { Log() << "restore " << frame.left << ',' << frame.top; }
    bool RenderFrame(size_t index) override
    {
        Log() << "render " << index;
        return index != m_unrenderable;
    }
    void Invalidate() override { Log() << "invalidate"; }
    void Wait(uint32_t milliseconds) override
    {
        Log() << "wait " << milliseconds;
        if (--m_waitsLeft <= 0)
            m_stop = true;
    }

    std::string Steps() const { return m_log.str(); }
    size_t m_unrenderable = static_cast<size_t>(-1);

private:
    std::ostringstream& Log()
    {
        if (m_log.tellp() > 0)
            m_log << "; ";
        return m_log;
    }
    std::atomic<bool>& m_stop;
    int m_waitsLeft;
    std::ostringstream m_log;
};

GifFrameFacts Frame(int32_t left, int32_t top, int32_t width, int32_t height, int32_t delay, int32_t disposal)
{
    GifFrameFacts f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.delay = delay;
    f.disposal = disposal;
    return f;
}

std::string PlayFrames(const std::vector<GifFrameFacts>& frames, std::atomic<int>& current, int waits, size_t unrenderable = size_t(-1))
{
    std::atomic<bool> stop{false};
    CRecordingCanvas canvas(stop, waits);
    canvas.m_unrenderable = unrenderable;
    RunGifFrameLoop(frames, current, 30, 20, canvas, stop);
    return canvas.Steps();
}

} // namespace

TEST(GifFrameLoop, FrameWaitMs_DelayRule)
{
    for (int32_t delay = 0; delay <= 4; ++delay)
        EXPECT_EQ(FrameWaitMs(delay), 100u) << delay;
    EXPECT_EQ(FrameWaitMs(5), 50u) << "5 is the first delay taken literally";
    EXPECT_EQ(FrameWaitMs(50), 500u);
    EXPECT_EQ(FrameWaitMs(100), 1000u);
    EXPECT_EQ(FrameWaitMs(65535), 655350u);
    EXPECT_EQ(FrameWaitMs(-1), 100u) << "a frame without control extension must not stand still";
}

TEST(GifFrameLoop, Disposals_ClearRestoreOrLeaveTheFrame)
{
    // Frame 0 stays (1), frame 1 is cleared to the background (2), frame 2 restores what was
    // under it (3); at the wrap the whole picture is cleared before frame 0 comes again.
    const std::vector<GifFrameFacts> frames = {Frame(0, 0, 30, 20, 0, 1), Frame(3, 4, 5, 6, 50, 2),
                                               Frame(7, 1, 2, 3, 100, 3)};
    std::atomic<int> current{0};
    EXPECT_EQ(PlayFrames(frames, current, 4),
              "render 0; invalidate; wait 100; "
              "render 1; invalidate; wait 500; clear 3,4,8,10; "
              "save 7,1; render 2; invalidate; wait 1000; restore 7,1; clear 0,0,30,20; "
              "render 0; invalidate; wait 100");
    EXPECT_EQ(current.load(), 0) << "stopped during frame 0's wait";
}

TEST(GifFrameLoop, WrapAround_ClearsWholePictureWhateverTheLastDisposal)
{
    for (int32_t lastDisposal : {0, 1, 2, 4, 7})
    {
        const std::vector<GifFrameFacts> frames = {Frame(0, 0, 30, 20, 10, 1), Frame(1, 1, 2, 2, 10, lastDisposal)};
        std::atomic<int> current{1};
        const std::string steps = PlayFrames(frames, current, 2);
        const std::string disposed = lastDisposal == 2 ? "clear 1,1,3,3; " : "";
        EXPECT_EQ(steps, disposed + "render 1; invalidate; wait 100; " + disposed +
                             "clear 0,0,30,20; render 0; invalidate; wait 100")
            << "disposal " << lastDisposal;
    }
}

TEST(GifFrameLoop, StopDuringWait_KeepsFrameAndNextRunDisposesItFirst)
{
    const std::vector<GifFrameFacts> frames = {Frame(0, 0, 30, 20, 20, 1), Frame(2, 2, 4, 4, 20, 2)};
    std::atomic<int> current{0};
    PlayFrames(frames, current, 2);
    EXPECT_EQ(current.load(), 1);
    // The next Play continues with the frame that was showing, after disposing it.
    EXPECT_EQ(PlayFrames(frames, current, 1), "clear 2,2,6,6; render 1; invalidate; wait 200");
}

TEST(GifFrameLoop, FailedRender_IsNotInvalidated_AndOutOfRangeIndexStartsOver)
{
    const std::vector<GifFrameFacts> frames = {Frame(0, 0, 30, 20, 0, 0), Frame(0, 0, 30, 20, 0, 0)};
    std::atomic<int> current{7};
    EXPECT_EQ(PlayFrames(frames, current, 2, 1), "render 0; invalidate; wait 100; render 1; wait 100");
    std::atomic<int> none{0};
    EXPECT_EQ(PlayFrames({}, none, 1), "");
}
