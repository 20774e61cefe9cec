#include "controls/GifWalker.h"

#include <cstring>

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint32_t kScreenDescriptorEnd = 13;

// Size in bytes of a colour table announced by a packed byte (bit 7 set: present).
uint32_t ColourTableSize(uint8_t packed)
{
    if ((packed & 0x80) == 0)
        return 0;
    return 3u * (1u << ((packed & 7) + 1));
}

bool IsSkippedBeforeFrame(GifBlockKind kind)
{
    return kind == GifBlockKind::ApplicationExtension || kind == GifBlockKind::CommentExtension;
}

bool IsExtensionBeforeImage(GifBlockKind kind)
{
    return kind == GifBlockKind::ApplicationExtension || kind == GifBlockKind::CommentExtension
        || kind == GifBlockKind::GraphicControlExtension;
}

} // namespace

bool HasGifSignature(const uint8_t* data, size_t dataSize)
{
    if (data == nullptr || dataSize < 6)
        return false;
    return std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0;
}

bool ReadGifHeader(const uint8_t* data, size_t dataSize, GifHeader& header)
{
    if (!HasGifSignature(data, dataSize) || dataSize < kScreenDescriptorEnd)
        return false;
    header.screenWidth = static_cast<uint16_t>(data[6] | (data[7] << 8));
    header.screenHeight = static_cast<uint16_t>(data[8] | (data[9] << 8));
    header.globalTableSize = ColourTableSize(data[10]);
    return kScreenDescriptorEnd + header.globalTableSize <= dataSize;
}

size_t CountGifFrames(const uint8_t* data, uint32_t dataSize, uint32_t globalTableSize)
{
    CGifWalker walker(data, dataSize, globalTableSize);
    size_t frames = 0;
    while (walker.SkipFrame())
        ++frames;
    return frames;
}

CGifWalker::CGifWalker(const uint8_t* data, uint32_t dataSize, uint32_t globalTableSize)
    : m_pData(data), m_nDataSize(data ? dataSize : 0), m_nGlobalTableSize(globalTableSize),
      m_nReadOffset(0)
{
    Rewind();
}

bool CGifWalker::HasBytes(uint32_t position, uint32_t count) const
{
    return static_cast<uint64_t>(position) + count <= m_nDataSize;
}

uint16_t CGifWalker::WordAt(uint32_t position) const
{
    return static_cast<uint16_t>(m_pData[position] | (m_pData[position + 1] << 8));
}

GifBlockKind CGifWalker::PeekBlockKind() const
{
    if (!HasBytes(m_nReadOffset, 1))
        return GifBlockKind::Unknown;
    switch (ByteAt(m_nReadOffset))
    {
    case kImageSeparator:
        return GifBlockKind::ImageDescriptor;
    case kTrailer:
        return GifBlockKind::Trailer;
    case kExtensionIntroducer:
        break;
    default:
        return GifBlockKind::Unknown;
    }
    if (!HasBytes(m_nReadOffset, 2))
        return GifBlockKind::Unknown;
    switch (ByteAt(m_nReadOffset + 1))
    {
    case 0xFF: return GifBlockKind::ApplicationExtension;
    case 0xFE: return GifBlockKind::CommentExtension;
    case 0xF9: return GifBlockKind::GraphicControlExtension;
    case 0x01: return GifBlockKind::PlainTextExtension;
    default: return GifBlockKind::Unknown;
    }
}

int64_t CGifWalker::SubBlocksLength(uint32_t position) const
{
    uint64_t cursor = position;
    for (;;)
    {
        if (cursor >= m_nDataSize)
            return -1;
        const uint8_t length = m_pData[cursor];
        cursor += 1;
        if (length == 0)
            return static_cast<int64_t>(cursor - position);
        cursor += length;
    }
}

int64_t CGifWalker::BlockLength() const
{
    // Fixed parts: application 3 + 11 bytes, comment 2, plain text 3 + 12, image descriptor
    // 10 plus the LZW minimum code size byte; then the sub-block chain.
    auto withSubBlocks = [this](uint64_t fixedLength) -> int64_t {
        const uint64_t chainStart = m_nReadOffset + fixedLength;
        if (chainStart > UINT32_MAX)
            return -1;
        const int64_t chain = SubBlocksLength(static_cast<uint32_t>(chainStart));
        return chain < 0 ? -1 : static_cast<int64_t>(fixedLength) + chain;
    };
    switch (PeekBlockKind())
    {
    case GifBlockKind::ApplicationExtension:
        return withSubBlocks(14);
    case GifBlockKind::CommentExtension:
        return withSubBlocks(2);
    case GifBlockKind::GraphicControlExtension:
        return 8;
    case GifBlockKind::PlainTextExtension:
        return withSubBlocks(15);
    case GifBlockKind::ImageDescriptor:
        if (!HasBytes(m_nReadOffset, 10))
            return -1;
        return withSubBlocks(11 + ColourTableSize(ByteAt(m_nReadOffset + 9)));
    case GifBlockKind::Trailer:
        return 1;
    case GifBlockKind::Unknown:
        break;
    }
    return -1;
}

bool CGifWalker::SkipBlock()
{
    const int64_t length = BlockLength();
    if (length <= 0 || static_cast<uint64_t>(m_nReadOffset) + length > m_nDataSize)
        return false;
    m_nReadOffset += static_cast<uint32_t>(length);
    return true;
}

bool CGifWalker::SkipWhile(bool (*keepSkipping)(GifBlockKind))
{
    while (keepSkipping(PeekBlockKind()))
    {
        if (!SkipBlock())
            return false;
    }
    return true;
}

bool CGifWalker::WalkFrame(FrameSpan& span)
{
    if (!SkipWhile(IsSkippedBeforeFrame))
        return false;
    span.start = m_nReadOffset;
    span.hasControl = PeekBlockKind() == GifBlockKind::GraphicControlExtension;
    if (span.hasControl && !SkipWhile(IsExtensionBeforeImage))
        return false;
    const GifBlockKind kind = PeekBlockKind();
    if (kind != GifBlockKind::ImageDescriptor && kind != GifBlockKind::PlainTextExtension)
        return false;
    span.graphicBlock = m_nReadOffset;
    span.isPlainText = kind == GifBlockKind::PlainTextExtension;
    return SkipBlock();
}

bool CGifWalker::SkipFrame()
{
    FrameSpan span;
    return WalkFrame(span);
}

bool CGifWalker::ExtractFrame(GifFrameFacts& facts, std::vector<uint8_t>& standaloneGif)
{
    FrameSpan span;
    if (!WalkFrame(span))
        return false;

    facts = GifFrameFacts();
    if (span.hasControl)
    {
        // The control extension's 8 bytes were checked when it was skipped.
        facts.delay = WordAt(span.start + 4);
        facts.disposal = (ByteAt(span.start + 3) >> 2) & 7;
    }
    // An image descriptor and a plain text extension's text grid both hold left, top,
    // width and height as 16-bit words; the image's are one byte in, the grid's three.
    const uint32_t geometry = span.graphicBlock + (span.isPlainText ? 3 : 1);
    facts.left = WordAt(geometry);
    facts.top = WordAt(geometry + 2);
    facts.width = WordAt(geometry + 4);
    facts.height = WordAt(geometry + 6);

    const uint32_t headerLength = FirstBlockOffset();
    const uint32_t frameLength = m_nReadOffset - span.start;
    standaloneGif.resize(static_cast<size_t>(headerLength) + frameLength + 1);
    std::memcpy(standaloneGif.data(), m_pData, headerLength);
    std::memcpy(standaloneGif.data() + headerLength, m_pData + span.start, frameLength);
    standaloneGif.back() = kTrailer;
    return true;
}
