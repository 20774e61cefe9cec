#include "monitor/WindowsEdition.h"

namespace {

constexpr std::uint32_t kPlatformNt = 2;
constexpr std::uint8_t kWorkstation = 1;
constexpr std::uint16_t kArchIntel = 0;
constexpr std::uint16_t kArchIa64 = 6;
constexpr std::uint16_t kArchAmd64 = 9;
constexpr std::uint16_t kArchArm64 = 12;

constexpr std::uint16_t kSuiteEnterprise = 0x0002;
constexpr std::uint16_t kSuiteDatacenter = 0x0080;
constexpr std::uint16_t kSuitePersonal = 0x0200;
constexpr std::uint16_t kSuiteBlade = 0x0400;
constexpr std::uint16_t kSuiteStorageServer = 0x2000;
constexpr std::uint16_t kSuiteComputeServer = 0x4000;
constexpr std::uint16_t kSuiteHomeServer = 0x8000;

bool Has(const WindowsVersionFacts& facts, std::uint16_t suite)
{
    return (facts.suiteMask & suite) != 0;
}

bool IsWorkstation(const WindowsVersionFacts& facts)
{
    return facts.productType == kWorkstation;
}

// GetProductInfo's edition types. The names of editions that grew out of an older one
// (its N and E forms, a server's core and evaluation installations) follow that row;
// editions that came with Windows 8 and 10 carry the names Microsoft gives them. Some
// types are newer than mingw-w64's winnt.h: PRODUCT_DATACENTER_A_SERVER_CORE (0x91),
// PRODUCT_STANDARD_A_SERVER_CORE (0x92), PRODUCT_PRO_WORKSTATION (0xA1, N 0xA2),
// PRODUCT_PRO_EDUCATION (0xA4, N 0xA5).
const char16_t* ProductTypeText(std::uint32_t type)
{
    switch (type)
    {
    case 1: return u"Ultimate Edition";
    case 2: return u"Home Basic Edition";
    case 3: return u"Home Premium Edition";
    case 4: return u"Enterprise Edition";
    case 5: return u"Home Basic N Edition";
    case 6: return u"Business Edition";
    case 7: return u"Standard Edition";
    case 8: return u"Datacenter Edition";
    case 9: return u"Small Business Server";
    case 10: return u"Enterprise Edition";
    case 11: return u"Starter Edition";
    case 12: return u"Datacenter Edition (core installation)";
    case 13: return u"Standard Edition (core installation)";
    case 14: return u"Enterprise Edition (core installation)";
    case 15: return u"Enterprise Edition for Itanium-based Systems";
    case 16: return u"Business N Edition";
    case 17: return u"Web Server Edition";
    case 18: return u"Cluster Server Edition";
    case 25: return u"Small Business Server Premium Edition";
    case 26: return u"Home Premium N Edition";
    case 27: return u"Enterprise N Edition";
    case 28: return u"Ultimate N Edition";
    case 36: return u"Standard Edition without Hyper-V";
    case 37: return u"Datacenter Edition without Hyper-V";
    case 39: return u"Datacenter Edition without Hyper-V (core installation)";
    case 40: return u"Standard Edition without Hyper-V (core installation)";
    case 47: return u"Starter N Edition";
    case 48: return u"Professional";
    case 49: return u"Professional N";
    case 66: return u"Starter E Edition";
    case 67: return u"Home Basic E Edition";
    case 68: return u"Home Premium E Edition";
    case 69: return u"Professional E";
    case 70: return u"Enterprise E Edition";
    case 71: return u"Ultimate E Edition";
    case 72: return u"Enterprise Evaluation";
    case 79: return u"Standard Edition (evaluation installation)";
    case 80: return u"Datacenter Edition (evaluation installation)";
    case 84: return u"Enterprise N Evaluation";
    case 98: return u"Home N";
    case 99: return u"Home China";
    case 100: return u"Home Single Language";
    case 101: return u"Home";
    case 121: return u"Education";
    case 122: return u"Education N";
    case 125: return u"Enterprise LTSC";
    case 126: return u"Enterprise LTSC N";
    case 129: return u"Enterprise LTSC Evaluation";
    case 130: return u"Enterprise LTSC N Evaluation";
    case 145: return u"Datacenter Edition, Semi-Annual Channel (core installation)";
    case 146: return u"Standard Edition, Semi-Annual Channel (core installation)";
    case 161: return u"Pro for Workstations";
    case 162: return u"Pro for Workstations N";
    case 164: return u"Pro Education";
    case 165: return u"Pro Education N";
    default: return u"";
    }
}

// Windows 11 kept version 10.0; only its build tells it from Windows 10.
constexpr std::uint32_t kFirstWindows11Build = 22000;

struct ServerRelease
{
    std::uint32_t firstBuild;
    const char16_t* name;
};

// The servers of version 10.0, newest first. A build between two releases is named after
// the older one; a build newer than every release, after the newest.
constexpr ServerRelease kVersion10Servers[] = {
    {26100, u"Windows Server 2025 "},
    {20348, u"Windows Server 2022 "},
    {17763, u"Windows Server 2019 "},
    {0, u"Windows Server 2016 "},  // 14393, and the previews before it
};

const char16_t* Version10Name(const WindowsVersionFacts& facts)
{
    if (IsWorkstation(facts))
        return facts.buildNumber >= kFirstWindows11Build ? u"Windows 11 " : u"Windows 10 ";
    for (const ServerRelease& release : kVersion10Servers)
    {
        if (facts.buildNumber >= release.firstBuild)
            return release.name;
    }
    return u"";
}

const char16_t* Version6Name(const WindowsVersionFacts& facts)
{
    const bool workstation = IsWorkstation(facts);
    switch (facts.minorVersion)
    {
    case 0: return workstation ? u"Windows Vista " : u"Windows Server 2008 ";
    case 1: return workstation ? u"Windows 7 " : u"Windows Server 2008 R2 ";
    case 2: return workstation ? u"Windows 8 " : u"Windows Server 2012 ";
    case 3: return workstation ? u"Windows 8.1 " : u"Windows Server 2012 R2 ";
    default: return u"";
    }
}

// Version 6 and later: the version's name, then the edition that GetProductInfo tells.
std::u16string ProductVersionName(const WindowsVersionFacts& facts)
{
    std::u16string text;
    if (facts.majorVersion == 6)
        text = Version6Name(facts);
    else if (facts.majorVersion == 10 && facts.minorVersion == 0)
        text = Version10Name(facts);
    if (facts.hasProductInfo)
        text += ProductTypeText(facts.productInfoType);
    return text;
}

std::u16string Server2003Edition(const WindowsVersionFacts& facts)
{
    const bool datacenter = Has(facts, kSuiteDatacenter);
    const bool enterprise = Has(facts, kSuiteEnterprise);
    if (facts.processorArchitecture == kArchIa64)
    {
        if (datacenter)
            return u"Datacenter Edition for Itanium-based Systems";
        return enterprise ? u"Enterprise Edition for Itanium-based Systems" : u"";
    }
    if (facts.processorArchitecture == kArchAmd64)
    {
        if (datacenter)
            return u"Datacenter x64 Edition";
        return enterprise ? u"Enterprise x64 Edition" : u"Standard x64 Edition";
    }
    if (Has(facts, kSuiteComputeServer))
        return u"Compute Cluster Edition";
    if (datacenter)
        return u"Datacenter Edition";
    if (enterprise)
        return u"Enterprise Edition";
    return Has(facts, kSuiteBlade) ? u"Web Edition" : u"Standard Edition";
}

std::u16string Version52Name(const WindowsVersionFacts& facts)
{
    std::u16string text;
    if (facts.serverR2)
        text = u"Windows Server 2003 R2, ";
    else if (Has(facts, kSuiteStorageServer))
        text = u"Windows Storage Server 2003";
    else if (Has(facts, kSuiteHomeServer))
        text = u"Windows Home Server";
    else if (IsWorkstation(facts) && facts.processorArchitecture == kArchAmd64)
        text = u"Windows XP Professional x64 Edition";
    else
        text = u"Windows Server 2003, ";
    if (!IsWorkstation(facts))
        text += Server2003Edition(facts);
    return text;
}

std::u16string Version51Name(const WindowsVersionFacts& facts)
{
    return std::u16string(u"Windows XP ") + (Has(facts, kSuitePersonal) ? u"Home Edition" : u"Professional");
}

std::u16string Version50Name(const WindowsVersionFacts& facts)
{
    std::u16string text = u"Windows 2000 ";
    if (IsWorkstation(facts))
        return text + u"Professional";
    if (Has(facts, kSuiteDatacenter))
        return text + u"Datacenter Server";
    return text + (Has(facts, kSuiteEnterprise) ? u"Advanced Server" : u"Server");
}

std::u16string VersionName(const WindowsVersionFacts& facts)
{
    if (facts.majorVersion >= 6)
        return ProductVersionName(facts);
    if (facts.majorVersion == 5 && facts.minorVersion == 2)
        return Version52Name(facts);
    if (facts.majorVersion == 5 && facts.minorVersion == 1)
        return Version51Name(facts);
    if (facts.majorVersion == 5 && facts.minorVersion == 0)
        return Version50Name(facts);
    return u"";
}

std::u16string Decimal(std::int64_t number)
{
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

// Windows hands these numbers over as DWORDs and the text prints them signed.
std::u16string Signed(std::uint32_t number)
{
    return Decimal(static_cast<std::int32_t>(number));
}

}  // namespace

bool BuildWindowsVersionText(const WindowsVersionFacts& facts, std::u16string& edition,
                             std::u16string& numbers)
{
    if (facts.platformId != kPlatformNt || facts.majorVersion <= 4)
        return false;

    std::u16string text = u"Microsoft " + VersionName(facts);
    if (!facts.csdVersion.empty())
        text += u" " + facts.csdVersion;
    text += u" (build " + Decimal(facts.buildNumber) + u")";
    if (facts.majorVersion >= 6)
    {
        if (facts.processorArchitecture == kArchAmd64 || facts.processorArchitecture == kArchArm64)
            text += u", 64-bit";
        else if (facts.processorArchitecture == kArchIntel)
            text += u", 32-bit";
    }
    edition = text;
    numbers = Signed(facts.majorVersion) + u"." + Signed(facts.minorVersion) + u"." +
              Signed(facts.buildNumber) + u" Service Pack " + Decimal(facts.servicePackMajor) +
              u" Build " + Signed(facts.buildNumber);
    return true;
}
