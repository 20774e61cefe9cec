// Decides the Windows edition text and the version-numbers text from the facts Windows
// reports about itself. Portable: no <windows.h>, so every row can be tested anywhere.
#pragma once

#include <cstdint>
#include <string>

struct WindowsVersionFacts
{
    std::uint32_t platformId = 0;     // 2 = VER_PLATFORM_WIN32_NT
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    std::u16string csdVersion;        // service-pack text, e.g. "Service Pack 1"
    std::uint16_t servicePackMajor = 0;
    std::uint16_t suiteMask = 0;
    std::uint8_t productType = 0;     // 1 = VER_NT_WORKSTATION
    std::uint16_t processorArchitecture = 0;  // native when the system can tell
    bool hasProductInfo = false;      // kernel32 exports GetProductInfo
    std::uint32_t productInfoType = 0;
    bool serverR2 = false;            // GetSystemMetrics(SM_SERVERR2) != 0
};

// Builds both texts; false (texts untouched) for a platform other than NT or a major
// version of 4 or lower.
bool BuildWindowsVersionText(const WindowsVersionFacts& facts, std::u16string& edition,
                             std::u16string& numbers);
