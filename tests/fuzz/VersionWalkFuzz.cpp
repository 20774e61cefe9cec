// Feeds arbitrary bytes to the version record walk, in both of its modes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "monitor/VersionWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A private copy, so that AddressSanitizer sees any read past the given size.
    std::vector<std::uint8_t> bytes(data, data + size);
    VersionWalkResult all;
    WalkVersionRecord(bytes.data(), bytes.size(), false, all);
    if (all.keys.size() != all.values.size())
        std::abort();
    VersionWalkResult first;
    WalkVersionRecord(bytes.data(), bytes.size(), true, first);
    if (!first.keys.empty())
        std::abort();
    return 0;
}
