#include <gtest/gtest.h>

#include <cstring>

#include "GifBytes.h"
#include "WindowTestSupport.h"
#include "controls/PictureBoxEx.h"
#include "res/resource.h"

using controls_test::CDialogTemplate;
using controls_test::CPixelCanvas;
using controls_test::ColourText;
using controls_test::PumpUntil;

namespace {

constexpr WORD kPictureId = 1042;

class CPictureDialog : public CDialog
{
public:
    CPictureBoxEx m_picture;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, kPictureId, m_picture);
    }
};

// A movable block holding the bytes, freed with the object.
class CGlobalBytes
{
public:
    explicit CGlobalBytes(const std::vector<uint8_t>& bytes)
        : m_hBlock(GlobalAlloc(GMEM_MOVEABLE, bytes.size())), m_nSize(static_cast<DWORD>(bytes.size()))
    {
        void* p = GlobalLock(m_hBlock);
        std::memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(m_hBlock);
    }
    ~CGlobalBytes() { GlobalFree(m_hBlock); }
    HGLOBAL Handle() const { return m_hBlock; }
    DWORD Size() const { return m_nSize; }

private:
    HGLOBAL m_hBlock;
    DWORD m_nSize;
};

// Colour i of the test GIFs' global table.
COLORREF TableColour(int i)
{
    return RGB(i * 40, 255 - i * 40, i * 20);
}

class PictureBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        controls_test::StartGraphics();
        m_template.Control(kPictureId, CDialogTemplate::kStatic, SS_LEFT, 5, 5, 30, 20);
        ASSERT_TRUE(m_dialog.CreateIndirect(m_template.Get(), nullptr));
        m_dialog.ShowWindow(SW_SHOW);
    }
    void TearDown() override { m_dialog.DestroyWindow(); }

    CSize WindowSize() const
    {
        CRect rect;
        m_dialog.m_picture.GetWindowRect(&rect);
        return CSize(rect.Width(), rect.Height());
    }

    COLORREF PixelNow(int x, int y)
    {
        CPixelCanvas canvas(300, 200, RGB(1, 2, 3));
        CDC dc;
        dc.Attach(canvas.Dc());
        m_dialog.m_picture.CopyPicture(&dc);
        dc.Detach();
        return canvas.At(x, y);
    }

    CDialogTemplate m_template{200, 150};
    CPictureDialog m_dialog;
};

size_t FramesInResource(UINT id)
{
    HRSRC hResource = FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"GIF");
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, hResource)));
    const DWORD size = SizeofResource(nullptr, hResource);
    GifHeader header;
    if (!ReadGifHeader(data, size, header))
        return 0;
    return CountGifFrames(data, size, header.globalTableSize);
}

} // namespace

TEST_F(PictureBoxTest, LoadFromResource_WelcomeAnimation_DecodesEveryFrameAndTakesItsSize)
{
    CPictureBoxEx& picture = m_dialog.m_picture;
    ASSERT_TRUE(picture.LoadFromResource(IDR_GIF_WELCOME));
    const size_t framesInFile = FramesInResource(IDR_GIF_WELCOME);
    EXPECT_GE(framesInFile, 10u);
    EXPECT_EQ(static_cast<size_t>(picture.GetFrameCount()), framesInFile) << "every cut-out frame decodes";
    EXPECT_EQ(WindowSize().cx, 256);
    EXPECT_EQ(WindowSize().cy, 166);
    EXPECT_EQ(picture.GetFrame(0).facts.width, 256);
    EXPECT_FALSE(picture.HasStillPicture());

    EXPECT_FALSE(picture.Play()) << "an animation reports no still picture";
    EXPECT_TRUE(picture.IsAnimating());
    EXPECT_TRUE(PumpUntil([&] { return picture.GetCurrentFrame() >= 2; })) << "the frames advance";
    picture.StopAnimation();
    EXPECT_FALSE(picture.IsAnimating());
    const int stoppedAt = picture.GetCurrentFrame();
    EXPECT_FALSE(PumpUntil([&] { return picture.GetCurrentFrame() != stoppedAt; }, 300)) << "stopped means stopped";
}

TEST_F(PictureBoxTest, OneFrameGif_IsStillAtTheLogicalScreenSize)
{
    // The image covers part of the logical screen; the screen's size is what counts.
    const CGifBytes gif = CGifBytes().Header(12, 8, 2).Control(10, 0).Image(2, 1, 6, 4, 1).Trailer();
    CGlobalBytes bytes(gif.Bytes());
    CPictureBoxEx& picture = m_dialog.m_picture;
    ASSERT_TRUE(picture.LoadFromBuffer(bytes.Handle(), bytes.Size()));
    EXPECT_EQ(picture.GetFrameCount(), 0);
    EXPECT_TRUE(picture.HasStillPicture());
    EXPECT_EQ(WindowSize().cx, 12);
    EXPECT_EQ(WindowSize().cy, 8);
    EXPECT_TRUE(picture.Play());
    EXPECT_FALSE(picture.IsAnimating()) << "no thread for a still picture";
    EXPECT_EQ(PixelNow(5, 4), TableColour(1)) << ColourText(PixelNow(5, 4));
}

TEST_F(PictureBoxTest, LoadFromBuffer_FramesKeepTheirFacts_AndABrokenTailKeepsEarlierFrames)
{
    CGifBytes gif;
    gif.Header(20, 10, 2).Netscape()
        .Control(7, 1).Image(0, 0, 20, 10, 0)
        .Control(0, 2).Image(3, 2, 5, 4, 1)
        .Control(120, 3).Image(10, 5, 6, 3, 2);
    CGlobalBytes whole(gif.Bytes());
    CPictureBoxEx& picture = m_dialog.m_picture;
    ASSERT_TRUE(picture.LoadFromBuffer(whole.Handle(), whole.Size()));
    ASSERT_EQ(picture.GetFrameCount(), 3);
    const GifFrameFacts& second = picture.GetFrame(1).facts;
    EXPECT_EQ(second.left, 3);
    EXPECT_EQ(second.top, 2);
    EXPECT_EQ(second.width, 5);
    EXPECT_EQ(second.height, 4);
    EXPECT_EQ(second.disposal, 2);
    EXPECT_EQ(picture.GetFrame(2).facts.delay, 120);

    CGlobalBytes broken(gif.Truncated(gif.Size() - 5));
    ASSERT_TRUE(picture.LoadFromBuffer(broken.Handle(), broken.Size()));
    EXPECT_EQ(picture.GetFrameCount(), 2);

    // A size beyond the block is refused rather than read.
    EXPECT_FALSE(picture.LoadFromBuffer(whole.Handle(), whole.Size() + 4096));
    const std::vector<uint8_t> notAPicture(64, 0x5A);
    CGlobalBytes junk(notAPicture);
    EXPECT_FALSE(picture.LoadFromBuffer(junk.Handle(), junk.Size()));
    EXPECT_FALSE(picture.Play());
}

namespace
{
// Frame 0 fills the 16 x 16 picture with colour 0 and stays; frame 1 puts colour 1 on a
// small square at (4, 4) and is cleared to the background after its delay; then it wraps.
CGifBytes TwoFrameAnimation()
{
    return CGifBytes().Header(16, 16, 2)
        .Control(5, 1).Image(0, 0, 16, 16, 0)
        .Control(5, 2).Image(4, 4, 4, 4, 1)
        .Trailer();
}
}  // namespace

TEST_F(PictureBoxTest, Animation_DrawsFramesAtTheirPlace_AndClearsAtWrapAround)
{
    CGlobalBytes bytes(TwoFrameAnimation().Bytes());
    CPictureBoxEx& picture = m_dialog.m_picture;
    ASSERT_TRUE(picture.LoadFromBuffer(bytes.Handle(), bytes.Size()));
    picture.Play();
    EXPECT_TRUE(PumpUntil([&] { return PixelNow(5, 5) == TableColour(1); })) << "frame 1 at (4, 4)";
    EXPECT_EQ(PixelNow(1, 1), TableColour(0)) << "frame 0 stays around it";
    EXPECT_TRUE(PumpUntil([&] { return PixelNow(5, 5) == TableColour(0); })) << "frame 0 again after the wrap";

    // Loading another picture stops this animation first.
    const CGifBytes still = CGifBytes().Header(4, 4, 2).Image(0, 0, 4, 4, 3).Trailer();
    CGlobalBytes stillBytes(still.Bytes());
    ASSERT_TRUE(picture.LoadFromBuffer(stillBytes.Handle(), stillBytes.Size()));
    EXPECT_FALSE(picture.IsAnimating());
    EXPECT_TRUE(picture.Play());
    EXPECT_EQ(PixelNow(1, 1), TableColour(3));
}

TEST_F(PictureBoxTest, Play_AfterItsWindowIsGone_StartsNoThreadAndDrawsNothing)
{
    CGlobalBytes animationBytes(TwoFrameAnimation().Bytes());
    CPictureBoxEx& picture = m_dialog.m_picture;
    ASSERT_TRUE(picture.LoadFromBuffer(animationBytes.Handle(), animationBytes.Size()));
    m_dialog.DestroyWindow();
    EXPECT_FALSE(picture.Play());
    EXPECT_FALSE(picture.IsAnimating()) << "a thread without a window would invalidate every window";
}

TEST_F(PictureBoxTest, Play_StillPictureAfterItsWindowIsGone_IsRefused)
{
    const CGifBytes still = CGifBytes().Header(4, 4, 2).Image(0, 0, 4, 4, 3).Trailer();
    CGlobalBytes stillBytes(still.Bytes());
    CPictureBoxEx& picture = m_dialog.m_picture;
    ASSERT_TRUE(picture.LoadFromBuffer(stillBytes.Handle(), stillBytes.Size()));
    m_dialog.DestroyWindow();
    EXPECT_FALSE(picture.Play());
}
