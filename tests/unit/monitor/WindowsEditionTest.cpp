// The edition text and version-numbers text, row by row of both tables, from facts given
// as input; and once from the running Windows.
#include <gtest/gtest.h>

#include "monitor/Utf16Text.h"
#include "monitor/WindowsEdition.h"
#include "monitor/WindowsVersionText.h"

namespace {

constexpr std::uint8_t kWorkstation = 1;
constexpr std::uint8_t kServer = 3;

WindowsVersionFacts Facts(std::uint32_t major, std::uint32_t minor, std::uint8_t productType,
                          std::uint16_t architecture = 0, std::uint16_t suite = 0)
{
    WindowsVersionFacts facts;
    facts.platformId = 2;
    facts.majorVersion = major;
    facts.minorVersion = minor;
    facts.buildNumber = 1234;
    facts.productType = productType;
    facts.processorArchitecture = architecture;
    facts.suiteMask = suite;
    return facts;
}

std::u16string Edition(const WindowsVersionFacts& facts)
{
    std::u16string edition = u"unset";
    std::u16string numbers;
    EXPECT_TRUE(BuildWindowsVersionText(facts, edition, numbers));
    return edition;
}

std::string Narrow(const std::u16string& text)
{
    return std::string(text.begin(), text.end());
}

struct EditionRow
{
    WindowsVersionFacts facts;
    const char16_t* expected;
};

}  // namespace

TEST(WindowsEdition, Version6Names_FollowProductTypeAndMinorVersion)
{
    WindowsVersionFacts win8 = Facts(6, 2, kWorkstation, 9);
    win8.buildNumber = 9200;
    win8.hasProductInfo = true;
    win8.productInfoType = 48;
    WindowsVersionFacts blue = Facts(6, 3, kWorkstation, 9);
    blue.hasProductInfo = true;
    blue.productInfoType = 48;
    WindowsVersionFacts unknownType = win8;
    unknownType.productInfoType = 0;
    WindowsVersionFacts noProductInfo = Facts(6, 1, kWorkstation, 0);
    noProductInfo.productInfoType = 1;  // not consulted: GetProductInfo is absent

    const EditionRow rows[] = {
        {Facts(6, 0, kWorkstation, 0), u"Microsoft Windows Vista  (build 1234), 32-bit"},
        {Facts(6, 0, kServer, 0), u"Microsoft Windows Server 2008  (build 1234), 32-bit"},
        {Facts(6, 1, kWorkstation, 9), u"Microsoft Windows 7  (build 1234), 64-bit"},
        {Facts(6, 1, kServer, 9), u"Microsoft Windows Server 2008 R2  (build 1234), 64-bit"},
        {Facts(6, 2, kServer, 6), u"Microsoft Windows 8  (build 1234)"},
        {win8, u"Microsoft Windows 8 Professional (build 9200), 64-bit"},
        {blue, u"Microsoft Professional (build 1234), 64-bit"},
        {unknownType, u"Microsoft Windows 8  (build 9200), 64-bit"},
        {noProductInfo, u"Microsoft Windows 7  (build 1234), 32-bit"},
    };
    for (const EditionRow& row : rows)
        EXPECT_EQ(Narrow(Edition(row.facts)), Narrow(row.expected));
}

TEST(WindowsEdition, ProductTypeTable_EveryRowAndTheGaps)
{
    const std::pair<std::uint32_t, const char16_t*> rows[] = {
        {1, u"Ultimate Edition"}, {2, u"Home Basic Edition"}, {3, u"Home Premium Edition"},
        {4, u"Enterprise Edition"}, {6, u"Business Edition"}, {7, u"Standard Edition"},
        {8, u"Datacenter Edition"}, {9, u"Small Business Server"}, {10, u"Enterprise Edition"},
        {11, u"Starter Edition"}, {12, u"Datacenter Edition (core installation)"},
        {13, u"Standard Edition (core installation)"}, {14, u"Enterprise Edition (core installation)"},
        {15, u"Enterprise Edition for Itanium-based Systems"}, {17, u"Web Server Edition"},
        {18, u"Cluster Server Edition"}, {25, u"Small Business Server Premium Edition"},
        {48, u"Professional"}, {0, u""}, {5, u""}, {16, u""}, {19, u""}, {24, u""}, {26, u""},
        {47, u""}, {49, u""}, {0xABCDEF, u""},
    };
    for (const auto& [type, text] : rows) {
        WindowsVersionFacts facts = Facts(6, 1, kWorkstation, 7);
        facts.hasProductInfo = true;
        facts.productInfoType = type;
        EXPECT_EQ(Narrow(Edition(facts)),
                  "Microsoft Windows 7 " + Narrow(text) + " (build 1234)") << "type " << type;
    }
}

TEST(WindowsEdition, Version5Names_FollowSuiteAndArchitecture)
{
    WindowsVersionFacts r2 = Facts(5, 2, kServer, 0, 0x2000);
    r2.serverR2 = true;
    const EditionRow rows[] = {
        {r2, u"Microsoft Windows Server 2003 R2, Standard Edition (build 1234)"},
        {Facts(5, 2, kServer, 0, 0x2000), u"Microsoft Windows Storage Server 2003Standard Edition (build 1234)"},
        {Facts(5, 2, kServer, 0, 0x8000), u"Microsoft Windows Home ServerStandard Edition (build 1234)"},
        {Facts(5, 2, kWorkstation, 9), u"Microsoft Windows XP Professional x64 Edition (build 1234)"},
        {Facts(5, 2, kWorkstation, 0), u"Microsoft Windows Server 2003,  (build 1234)"},
        {Facts(5, 2, kServer, 6, 0x82), u"Microsoft Windows Server 2003, Datacenter Edition for Itanium-based Systems (build 1234)"},
        {Facts(5, 2, kServer, 6, 0x2), u"Microsoft Windows Server 2003, Enterprise Edition for Itanium-based Systems (build 1234)"},
        {Facts(5, 2, kServer, 6), u"Microsoft Windows Server 2003,  (build 1234)"},
        {Facts(5, 2, kServer, 9, 0x80), u"Microsoft Windows Server 2003, Datacenter x64 Edition (build 1234)"},
        {Facts(5, 2, kServer, 9, 0x2), u"Microsoft Windows Server 2003, Enterprise x64 Edition (build 1234)"},
        {Facts(5, 2, kServer, 9), u"Microsoft Windows Server 2003, Standard x64 Edition (build 1234)"},
        {Facts(5, 2, kServer, 0, 0x4082), u"Microsoft Windows Server 2003, Compute Cluster Edition (build 1234)"},
        {Facts(5, 2, kServer, 0, 0x0482), u"Microsoft Windows Server 2003, Datacenter Edition (build 1234)"},
        {Facts(5, 2, kServer, 0, 0x0402), u"Microsoft Windows Server 2003, Enterprise Edition (build 1234)"},
        {Facts(5, 2, kServer, 0, 0x0400), u"Microsoft Windows Server 2003, Web Edition (build 1234)"},
        {Facts(5, 1, kWorkstation, 0, 0x200), u"Microsoft Windows XP Home Edition (build 1234)"},
        {Facts(5, 1, kWorkstation, 0), u"Microsoft Windows XP Professional (build 1234)"},
        {Facts(5, 0, kWorkstation, 0, 0x80), u"Microsoft Windows 2000 Professional (build 1234)"},
        {Facts(5, 0, kServer, 0, 0x82), u"Microsoft Windows 2000 Datacenter Server (build 1234)"},
        {Facts(5, 0, kServer, 0, 0x2), u"Microsoft Windows 2000 Advanced Server (build 1234)"},
        {Facts(5, 0, kServer, 0), u"Microsoft Windows 2000 Server (build 1234)"},
        {Facts(5, 3, kWorkstation, 0), u"Microsoft  (build 1234)"},
        {Facts(10, 0, kWorkstation, 9), u"Microsoft  (build 1234), 64-bit"},
    };
    for (const EditionRow& row : rows)
        EXPECT_EQ(Narrow(Edition(row.facts)), Narrow(row.expected));
}

TEST(WindowsEdition, ServicePack_AppearsInBothTextsOnlyWhenPresent)
{
    WindowsVersionFacts facts = Facts(6, 1, kWorkstation, 9);
    facts.buildNumber = 7601;
    facts.hasProductInfo = true;
    facts.productInfoType = 1;
    facts.csdVersion = u"Service Pack 1";
    facts.servicePackMajor = 1;
    std::u16string edition;
    std::u16string numbers;
    ASSERT_TRUE(BuildWindowsVersionText(facts, edition, numbers));
    EXPECT_EQ(Narrow(edition), "Microsoft Windows 7 Ultimate Edition Service Pack 1 (build 7601), 64-bit");
    EXPECT_EQ(Narrow(numbers), "6.1.7601 Service Pack 1 Build 7601");

    facts.csdVersion.clear();
    facts.servicePackMajor = 0;
    ASSERT_TRUE(BuildWindowsVersionText(facts, edition, numbers));
    EXPECT_EQ(Narrow(edition), "Microsoft Windows 7 Ultimate Edition (build 7601), 64-bit");
    EXPECT_EQ(Narrow(numbers), "6.1.7601 Service Pack 0 Build 7601");
}

TEST(WindowsEdition, Bitness_OnlyFromVersion6AndOnlyForKnownArchitectures)
{
    EXPECT_EQ(Narrow(Edition(Facts(6, 1, kWorkstation, 9))), "Microsoft Windows 7  (build 1234), 64-bit");
    EXPECT_EQ(Narrow(Edition(Facts(6, 1, kWorkstation, 0))), "Microsoft Windows 7  (build 1234), 32-bit");
    EXPECT_EQ(Narrow(Edition(Facts(6, 1, kWorkstation, 6))), "Microsoft Windows 7  (build 1234)");
    EXPECT_EQ(Narrow(Edition(Facts(5, 1, kWorkstation, 9))), "Microsoft Windows XP Professional (build 1234)");
}

TEST(WindowsEdition, OldOrForeignPlatform_FailsAndLeavesTextsAlone)
{
    WindowsVersionFacts nt4 = Facts(4, 0, kWorkstation);
    WindowsVersionFacts win9x = Facts(6, 1, kWorkstation);
    win9x.platformId = 1;
    for (const WindowsVersionFacts& facts : {nt4, win9x}) {
        std::u16string edition = u"before";
        std::u16string numbers = u"before";
        EXPECT_FALSE(BuildWindowsVersionText(facts, edition, numbers));
        EXPECT_EQ(edition, u"before");
        EXPECT_EQ(numbers, u"before");
    }
}

TEST(WindowsVersionText, RunningWindows_FillsBothTextsFromItsOwnFacts)
{
    WindowsVersionFacts facts;
    ASSERT_TRUE(GatherWindowsVersionFacts(facts));
    OsVersionText text;
    ASSERT_TRUE(GetWindowsVersionText(text));
    const std::string numbers = std::to_string(facts.majorVersion) + "." +
                                std::to_string(facts.minorVersion) + "." +
                                std::to_string(facts.buildNumber) + " Service Pack " +
                                std::to_string(facts.servicePackMajor) + " Build " +
                                std::to_string(facts.buildNumber);
    EXPECT_EQ(Narrow(ToU16String(text.numbers)), numbers);
    EXPECT_EQ(text.edition.Find(L"Microsoft "), 0);
    EXPECT_GE(text.edition.Find(L"(build "), 0);
}
