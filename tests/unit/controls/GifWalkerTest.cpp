#include <gtest/gtest.h>

#include "GifBytes.h"
#include "controls/GifWalker.h"

namespace {

// The walker positioned on the block that starts at `offset` of the bytes.
struct WalkAt
{
    explicit WalkAt(const std::vector<uint8_t>& bytes, uint32_t tableSize = 6)
        : data(bytes), walker(data.data(), static_cast<uint32_t>(data.size()), tableSize) {}
    std::vector<uint8_t> data;
    CGifWalker walker;
};

const uint32_t kHeaderWithTable = 13 + 6; // two-entry global table

} // namespace

// ---- Block kinds and lengths -------------------------------------------------------------

TEST(GifWalker, BlockLength_EveryKind_MatchesItsLayout)
{
    struct Case { const char* name; CGifBytes block; GifBlockKind kind; int64_t length; };
    std::vector<Case> cases;
    cases.push_back({"application", CGifBytes().Netscape(), GifBlockKind::ApplicationExtension, 19});
    cases.push_back({"comment", CGifBytes().Comment("hello"), GifBlockKind::CommentExtension, 2 + 1 + 5 + 1});
    cases.push_back({"empty comment", CGifBytes().Comment(""), GifBlockKind::CommentExtension, 3});
    cases.push_back({"control", CGifBytes().Control(10, 2), GifBlockKind::GraphicControlExtension, 8});
    cases.push_back({"plain text", CGifBytes().PlainText(1, 2, 3, 4, "ab"), GifBlockKind::PlainTextExtension, 15 + 4});
    // 2x2 image: 1 clear + 4 pixels + end = 6 code bytes in one sub-block.
    cases.push_back({"image", CGifBytes().Image(0, 0, 2, 2), GifBlockKind::ImageDescriptor, 11 + 1 + 6 + 1});
    cases.push_back({"image with local table", CGifBytes().Image(0, 0, 2, 2, 0, 3), GifBlockKind::ImageDescriptor,
                     11 + 24 + 1 + 6 + 1});
    cases.push_back({"trailer", CGifBytes().Trailer(), GifBlockKind::Trailer, 1});
    cases.push_back({"unknown label", CGifBytes().Raw({0x21, 0x77, 0, 0}), GifBlockKind::Unknown, -1});
    cases.push_back({"unknown byte", CGifBytes().Raw({0x00, 0x3B}), GifBlockKind::Unknown, -1});

    for (const Case& c : cases)
    {
        std::vector<uint8_t> bytes = CGifBytes().Header(4, 4).Bytes();
        bytes.insert(bytes.end(), c.block.Bytes().begin(), c.block.Bytes().end());
        WalkAt at(bytes);
        EXPECT_EQ(at.walker.PeekBlockKind(), c.kind) << c.name;
        EXPECT_EQ(at.walker.BlockLength(), c.length) << c.name;
        if (c.length > 0)
        {
            EXPECT_EQ(static_cast<int64_t>(c.block.Size()), c.length) << c.name << ": builder and walker disagree";
        }
    }
}

TEST(GifWalker, SubBlocksLength_CountsLengthBytesAndTerminator)
{
    std::vector<uint8_t> bytes = {3, 'a', 'b', 'c', 1, 'd', 0, 0x3B};
    CGifWalker walker(bytes.data(), static_cast<uint32_t>(bytes.size()), 0);
    EXPECT_EQ(walker.SubBlocksLength(0), 4 + 2 + 1);
    EXPECT_EQ(walker.SubBlocksLength(6), 1);
    EXPECT_EQ(walker.SubBlocksLength(4), 3);
    // A chain whose length byte points past the data, and one that starts past it.
    std::vector<uint8_t> cut = {3, 'a', 'b'};
    CGifWalker cutWalker(cut.data(), static_cast<uint32_t>(cut.size()), 0);
    EXPECT_EQ(cutWalker.SubBlocksLength(0), -1);
    EXPECT_EQ(cutWalker.SubBlocksLength(3), -1);
}

TEST(GifWalker, SkipBlock_AcceptsBlockEndingAtDataEnd_RejectsOneBeyond)
{
    const CGifBytes gif = CGifBytes().Header(4, 4).Comment("xy");
    WalkAt exact(gif.Bytes());
    EXPECT_TRUE(exact.walker.SkipBlock());
    EXPECT_EQ(exact.walker.ReadOffset(), gif.Size());
    EXPECT_EQ(exact.walker.PeekBlockKind(), GifBlockKind::Unknown) << "end of data is no block";
    EXPECT_FALSE(exact.walker.SkipBlock());

    for (size_t cut = kHeaderWithTable + 1; cut < gif.Size(); ++cut)
    {
        WalkAt shortened(gif.Truncated(cut));
        EXPECT_FALSE(shortened.walker.SkipBlock()) << "cut at " << cut;
        EXPECT_EQ(shortened.walker.ReadOffset(), kHeaderWithTable) << "a failed skip does not move";
    }

    // The control extension has a fixed length: 8 bytes must be there.
    const CGifBytes control = CGifBytes().Header(4, 4).Control(5, 1);
    WalkAt shortControl(control.Truncated(control.Size() - 1));
    EXPECT_FALSE(shortControl.walker.SkipBlock());
}

// ---- Header ------------------------------------------------------------------------------

TEST(GifWalker, ReadGifHeader_SizesAndGlobalTable)
{
    GifHeader header;
    const CGifBytes gif = CGifBytes().Header(256, 166, 3);
    ASSERT_TRUE(ReadGifHeader(gif.Bytes().data(), gif.Size(), header));
    EXPECT_EQ(header.screenWidth, 256);
    EXPECT_EQ(header.screenHeight, 166);
    EXPECT_EQ(header.globalTableSize, 24u);

    const CGifBytes noTable = CGifBytes().Header(7, 9, 0, "GIF87a");
    ASSERT_TRUE(ReadGifHeader(noTable.Bytes().data(), noTable.Size(), header));
    EXPECT_EQ(header.globalTableSize, 0u);

    EXPECT_FALSE(ReadGifHeader(gif.Bytes().data(), gif.Size() - 1, header)) << "table cut short";
    EXPECT_FALSE(ReadGifHeader(gif.Bytes().data(), 12, header)) << "descriptor cut short";
    const CGifBytes other = CGifBytes().Header(1, 1, 1, "GIF90a");
    EXPECT_FALSE(ReadGifHeader(other.Bytes().data(), other.Size(), header));
    EXPECT_FALSE(HasGifSignature(reinterpret_cast<const uint8_t*>("\x89PNG\r\n"), 6));
}

// ---- Frames ------------------------------------------------------------------------------

namespace {

CGifBytes ThreeFrameGif()
{
    return CGifBytes()
        .Header(20, 10)
        .Netscape()
        .Control(0, 1).Image(0, 0, 20, 10, 0)
        .Comment("between frames")
        .Control(50, 2, true, 1).Comment("inside a frame").Image(3, 4, 5, 6, 1)
        .Control(100, 3).Image(7, 1, 2, 3, 1, 2)
        .Trailer();
}

size_t CountFrames(const std::vector<uint8_t>& bytes)
{
    GifHeader header;
    if (!ReadGifHeader(bytes.data(), bytes.size(), header))
        return 0;
    return CountGifFrames(bytes.data(), static_cast<uint32_t>(bytes.size()), header.globalTableSize);
}

} // namespace

TEST(GifWalker, ExtractFrame_ReportsDelayDisposalAndPosition)
{
    const CGifBytes gif = ThreeFrameGif();
    WalkAt at(gif.Bytes());
    struct Expected { int32_t left, top, width, height, delay, disposal; };
    const Expected expected[] = {{0, 0, 20, 10, 0, 1}, {3, 4, 5, 6, 50, 2}, {7, 1, 2, 3, 100, 3}};
    for (const Expected& e : expected)
    {
        GifFrameFacts facts;
        std::vector<uint8_t> standalone;
        ASSERT_TRUE(at.walker.ExtractFrame(facts, standalone));
        EXPECT_EQ(facts.left, e.left);
        EXPECT_EQ(facts.top, e.top);
        EXPECT_EQ(facts.width, e.width);
        EXPECT_EQ(facts.height, e.height);
        EXPECT_EQ(facts.delay, e.delay);
        EXPECT_EQ(facts.disposal, e.disposal);
    }
    GifFrameFacts facts;
    std::vector<uint8_t> standalone;
    EXPECT_FALSE(at.walker.ExtractFrame(facts, standalone)) << "the trailer ends the walk";
}

TEST(GifWalker, ExtractFrame_BuildsStandaloneGifFromHeaderFrameAndTrailer)
{
    const CGifBytes header = CGifBytes().Header(20, 10);
    const CGifBytes frame = CGifBytes().Control(50, 2, true, 1).Comment("inside").Image(3, 4, 5, 6, 1, 1);
    std::vector<uint8_t> bytes = header.Bytes();
    const std::vector<uint8_t> leading = CGifBytes().Netscape().Comment("before").Bytes();
    bytes.insert(bytes.end(), leading.begin(), leading.end());
    bytes.insert(bytes.end(), frame.Bytes().begin(), frame.Bytes().end());
    bytes.push_back(0x3B);

    WalkAt at(bytes);
    GifFrameFacts facts;
    std::vector<uint8_t> standalone;
    ASSERT_TRUE(at.walker.ExtractFrame(facts, standalone));

    std::vector<uint8_t> expected = header.Bytes();
    expected.insert(expected.end(), frame.Bytes().begin(), frame.Bytes().end());
    expected.push_back(0x3B);
    EXPECT_EQ(standalone, expected) << "leading extensions stay out; the comment inside the frame stays in";
    EXPECT_EQ(CountFrames(standalone), 1u) << "the cut-out is itself a walkable one-frame GIF";
}

TEST(GifWalker, ExtractFrame_WithoutControlExtension_HasNoDelayAndStartsAtImage)
{
    const CGifBytes gif = CGifBytes().Header(8, 8).Comment("c").Image(1, 2, 3, 4).Trailer();
    WalkAt at(gif.Bytes());
    GifFrameFacts facts;
    std::vector<uint8_t> standalone;
    ASSERT_TRUE(at.walker.ExtractFrame(facts, standalone));
    EXPECT_EQ(facts.delay, -1);
    EXPECT_EQ(facts.disposal, 0);
    EXPECT_EQ(facts.left, 1);
    EXPECT_EQ(facts.height, 4);
    const std::vector<uint8_t> image = CGifBytes().Image(1, 2, 3, 4).Bytes();
    EXPECT_EQ(standalone.size(), kHeaderWithTable + image.size() + 1);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), standalone.begin() + kHeaderWithTable));
}

TEST(GifWalker, PlainTextFrame_TakesItsTextGridGeometry)
{
    const CGifBytes gif = CGifBytes().Header(8, 8).Control(7, 0).PlainText(2, 3, 40, 16, "hi").Trailer();
    WalkAt at(gif.Bytes());
    GifFrameFacts facts;
    std::vector<uint8_t> standalone;
    ASSERT_TRUE(at.walker.ExtractFrame(facts, standalone));
    EXPECT_EQ(facts.delay, 7);
    EXPECT_EQ(facts.left, 2);
    EXPECT_EQ(facts.top, 3);
    EXPECT_EQ(facts.width, 40);
    EXPECT_EQ(facts.height, 16);
}

TEST(GifWalker, SkipFrame_BrokenFile_KeepsFramesBeforeTheBreak)
{
    const CGifBytes gif = ThreeFrameGif();
    EXPECT_EQ(CountFrames(gif.Bytes()), 3u);
    // No trailer: the walk ends at the end of the data after three frames.
    EXPECT_EQ(CountFrames(gif.Truncated(gif.Size() - 1)), 3u);
    // Cut inside the third image: two frames stay.
    EXPECT_EQ(CountFrames(gif.Truncated(gif.Size() - 4)), 2u);
    // Garbage after the second frame: two frames.
    std::vector<uint8_t> garbage = CGifBytes().Header(20, 10).Control(0, 0).Image(0, 0, 2, 2)
                                       .Control(0, 0).Image(0, 0, 2, 2).Raw({0x99, 0x21, 0xF9}).Bytes();
    EXPECT_EQ(CountFrames(garbage), 2u);
    // A control extension followed by the trailer is no frame.
    EXPECT_EQ(CountFrames(CGifBytes().Header(2, 2).Control(1, 0).Trailer().Bytes()), 0u);
    // Every shorter cut walks without reading past the data (the fuzzer checks this too).
    for (size_t cut = 0; cut < gif.Size(); ++cut)
        EXPECT_LE(CountFrames(gif.Truncated(cut)), 3u);
}
