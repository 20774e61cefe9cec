// Walks any bytes as a GIF: counts frames, cuts each one out, and checks that every cut-out
// is itself a GIF of exactly one frame. Sanitizers catch any read past the data.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "controls/GifWalker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GifHeader header;
    if (!ReadGifHeader(data, size, header))
        return 0;
    // Copy into a block of exactly the input's size so any overread is caught.
    std::vector<uint8_t> bytes(data, data + size);
    const size_t frames = CountGifFrames(bytes.data(), static_cast<uint32_t>(bytes.size()), header.globalTableSize);

    CGifWalker walker(bytes.data(), static_cast<uint32_t>(bytes.size()), header.globalTableSize);
    GifFrameFacts facts;
    std::vector<uint8_t> standalone;
    size_t extracted = 0;
    while (walker.ExtractFrame(facts, standalone))
    {
        ++extracted;
        if (facts.disposal < 0 || facts.disposal > 7 || facts.delay < -1 || facts.delay > 65535)
            std::abort();
        GifHeader cutHeader;
        if (!ReadGifHeader(standalone.data(), standalone.size(), cutHeader)
            || cutHeader.globalTableSize != header.globalTableSize
            || CountGifFrames(standalone.data(), static_cast<uint32_t>(standalone.size()), cutHeader.globalTableSize) != 1)
            std::abort();
    }
    if (extracted != frames)
        std::abort();
    return 0;
}
