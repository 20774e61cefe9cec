#include "monitor/WindowsEdition.h"

namespace {

constexpr std::uint32_t kPlatformNt = 2;
constexpr std::uint8_t kWorkstation = 1;
constexpr std::uint16_t kArchIntel = 0;
constexpr std::uint16_t kArchIa64 = 6;
constexpr std::uint16_t kArchAmd64 = 9;

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

const char16_t* ProductTypeText(std::uint32_t type)
{
    switch (type) {
    case 1: return u"Ultimate Edition";
    case 2: return u"Home Basic Edition";
    case 3: return u"Home Premium Edition";
    case 4: return u"Enterprise Edition";
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
    case 17: return u"Web Server Edition";
    case 18: return u"Cluster Server Edition";
    case 25: return u"Small Business Server Premium Edition";
    case 48: return u"Professional";
    default: return u"";
    }
}

std::u16string Version6Name(const WindowsVersionFacts& facts)
{
    std::u16string text;
    if (facts.minorVersion == 0)
        text = IsWorkstation(facts) ? u"Windows Vista " : u"Windows Server 2008 ";
    else if (facts.minorVersion == 1)
        text = IsWorkstation(facts) ? u"Windows 7 " : u"Windows Server 2008 R2 ";
    else if (facts.minorVersion == 2)
        text = u"Windows 8 ";
    if (facts.hasProductInfo)
        text += ProductTypeText(facts.productInfoType);
    return text;
}

std::u16string Server2003Edition(const WindowsVersionFacts& facts)
{
    const bool datacenter = Has(facts, kSuiteDatacenter);
    const bool enterprise = Has(facts, kSuiteEnterprise);
    if (facts.processorArchitecture == kArchIa64) {
        if (datacenter)
            return u"Datacenter Edition for Itanium-based Systems";
        return enterprise ? u"Enterprise Edition for Itanium-based Systems" : u"";
    }
    if (facts.processorArchitecture == kArchAmd64) {
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
    if (facts.majorVersion == 6)
        return Version6Name(facts);
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
    if (facts.majorVersion >= 6) {
        if (facts.processorArchitecture == kArchAmd64)
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
