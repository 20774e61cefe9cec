// Walks the block structure of a GIF file held in memory and cuts single frames out of it
// as stand-alone one-image GIFs. It never decodes image data; the system picture loader
// does that. Portable: no <windows.h>, so the fuzzers build it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class GifBlockKind
{
    ApplicationExtension,
    CommentExtension,
    GraphicControlExtension,
    PlainTextExtension,
    ImageDescriptor,
    Trailer,
    Unknown,
};

// Where a frame sits, how long it stays and what happens to it afterwards.
struct GifFrameFacts
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t delay = -1;   // hundredths of a second; -1 when the frame has no control extension
    int32_t disposal = 0; // 0..7
};

// What the first 13 bytes (and the global colour table behind them) say.
struct GifHeader
{
    uint16_t screenWidth = 0;
    uint16_t screenHeight = 0;
    uint32_t globalTableSize = 0; // bytes; 0 without a global colour table
};

// True when the bytes start with "GIF87a" or "GIF89a".
bool HasGifSignature(const uint8_t* data, size_t dataSize);

// Reads the logical screen descriptor. False when the data is not a GIF or is too short to
// hold the descriptor and the global colour table it announces.
bool ReadGifHeader(const uint8_t* data, size_t dataSize, GifHeader& header);

// How many frames the walk finds from the start of the data; a frame that breaks off ends
// the count.
size_t CountGifFrames(const uint8_t* data, uint32_t dataSize, uint32_t globalTableSize);

class CGifWalker
{
public:
    // The data must outlive the walker. The walk starts right after the global colour table.
    CGifWalker(const uint8_t* data, uint32_t dataSize, uint32_t globalTableSize);

    GifBlockKind PeekBlockKind() const;

    // Length in bytes of the chain of data sub-blocks starting at the position, including the
    // terminating zero; -1 when the chain runs past the end of the data.
    int64_t SubBlocksLength(uint32_t position) const;

    // Length in bytes of the block at the read offset; -1 for an unknown block or one whose
    // length cannot be read from the data.
    int64_t BlockLength() const;

    // Advance past the block at the read offset. A block that ends exactly at the end of the
    // data is accepted; one that would end beyond it is not.
    bool SkipBlock();

    // Advance past one frame (its control extension, any extensions, and its image).
    bool SkipFrame();

    // Like SkipFrame, and also reports the frame's facts and builds a stand-alone GIF made of
    // the source's header and global colour table, the frame's bytes and a trailer.
    bool ExtractFrame(GifFrameFacts& facts, std::vector<uint8_t>& standaloneGif);

    uint32_t ReadOffset() const { return m_nReadOffset; }
    void Rewind() { m_nReadOffset = FirstBlockOffset(); }

private:
    struct FrameSpan
    {
        uint32_t start = 0;
        bool hasControl = false;
        uint32_t graphicBlock = 0; // the image descriptor or plain text extension
        bool isPlainText = false;
    };

    uint32_t FirstBlockOffset() const { return 13 + m_nGlobalTableSize; }
    bool WalkFrame(FrameSpan& span);
    bool SkipWhile(bool (*keepSkipping)(GifBlockKind));
    uint8_t ByteAt(uint32_t position) const { return m_pData[position]; }
    uint16_t WordAt(uint32_t position) const;
    bool HasBytes(uint32_t position, uint32_t count) const;

    const uint8_t* m_pData;
    uint32_t m_nDataSize;
    uint32_t m_nGlobalTableSize;
    uint32_t m_nReadOffset;
};
