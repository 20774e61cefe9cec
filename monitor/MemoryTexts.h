// The memory texts of the Engine and System pages. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <string>

// "Usage:42%"
std::u16string UsageText(long percent);

// "8 GB (3 GB Usable)": whole gibibytes, truncated and then increased by one, so
// 7.9 GiB shows as 8 GB and exactly 8 GiB as 9 GB.
std::u16string InstalledMemoryText(std::uint64_t totalPhysBytes, std::uint64_t availPhysBytes);
