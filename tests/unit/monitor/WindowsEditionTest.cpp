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
        {Facts(6, 2, kWorkstation, 6), u"Microsoft Windows 8  (build 1234)"},
        {win8, u"Microsoft Windows 8 Professional (build 9200), 64-bit"},
        {blue, u"Microsoft Windows 8.1 Professional (build 1234), 64-bit"},
        {unknownType, u"Microsoft Windows 8  (build 9200), 64-bit"},
        {noProductInfo, u"Microsoft Windows 7  (build 1234), 32-bit"},
    };
    for (const EditionRow& row : rows)
        EXPECT_EQ(Narrow(Edition(row.facts)), Narrow(row.expected));
}

TEST(WindowsEdition, ProductTypeTable_RowsOfVistaAndSevenAreKept)
{
    const std::pair<std::uint32_t, const char16_t*> rows[] = {
        {1, u"Ultimate Edition"}, {2, u"Home Basic Edition"}, {3, u"Home Premium Edition"},
        {4, u"Enterprise Edition"}, {6, u"Business Edition"}, {7, u"Standard Edition"},
        {8, u"Datacenter Edition"}, {9, u"Small Business Server"}, {10, u"Enterprise Edition"},
        {11, u"Starter Edition"}, {12, u"Datacenter Edition (core installation)"},
        {13, u"Standard Edition (core installation)"}, {14, u"Enterprise Edition (core installation)"},
        {15, u"Enterprise Edition for Itanium-based Systems"}, {17, u"Web Server Edition"},
        {18, u"Cluster Server Edition"}, {25, u"Small Business Server Premium Edition"},
        {48, u"Professional"},
    };
    for (const auto& [type, text] : rows)
    {
        WindowsVersionFacts facts = Facts(6, 1, kWorkstation, 7);
        facts.hasProductInfo = true;
        facts.productInfoType = type;
        EXPECT_EQ(Narrow(Edition(facts)),
                  "Microsoft Windows 7 " + Narrow(text) + " (build 1234)") << "type " << type;
    }
}

// The editions of today and the N and E editions of Vista and 7, each on a Windows 11
// workstation and on a Windows Server 2022.
TEST(WindowsEdition, ProductTypeTable_NewRowsOnAWorkstationAndAServer)
{
    const std::pair<std::uint32_t, const char16_t*> rows[] = {
        {0x05, u"Home Basic N Edition"}, {0x10, u"Business N Edition"},
        {0x1A, u"Home Premium N Edition"}, {0x1B, u"Enterprise N Edition"},
        {0x1C, u"Ultimate N Edition"}, {0x2F, u"Starter N Edition"}, {0x31, u"Professional N"},
        {0x42, u"Starter E Edition"}, {0x43, u"Home Basic E Edition"},
        {0x44, u"Home Premium E Edition"}, {0x45, u"Professional E"},
        {0x46, u"Enterprise E Edition"}, {0x47, u"Ultimate E Edition"},
        {0x48, u"Enterprise Evaluation"}, {0x54, u"Enterprise N Evaluation"},
        {0x62, u"Home N"}, {0x63, u"Home China"}, {0x64, u"Home Single Language"},
        {0x65, u"Home"}, {0x79, u"Education"}, {0x7A, u"Education N"},
        {0x7D, u"Enterprise LTSC"}, {0x7E, u"Enterprise LTSC N"},
        {0x81, u"Enterprise LTSC Evaluation"}, {0x82, u"Enterprise LTSC N Evaluation"},
        {0xA1, u"Pro for Workstations"}, {0xA2, u"Pro for Workstations N"},
        {0xA4, u"Pro Education"}, {0xA5, u"Pro Education N"},
        {0x24, u"Standard Edition without Hyper-V"}, {0x25, u"Datacenter Edition without Hyper-V"},
        {0x27, u"Datacenter Edition without Hyper-V (core installation)"},
        {0x28, u"Standard Edition without Hyper-V (core installation)"},
        {0x4F, u"Standard Edition (evaluation installation)"},
        {0x50, u"Datacenter Edition (evaluation installation)"},
        {0x91, u"Datacenter Edition, Semi-Annual Channel (core installation)"},
        {0x92, u"Standard Edition, Semi-Annual Channel (core installation)"},
    };
    for (const auto& [type, text] : rows)
    {
        WindowsVersionFacts workstation = Facts(10, 0, kWorkstation, 9);
        workstation.buildNumber = 22631;
        workstation.hasProductInfo = true;
        workstation.productInfoType = type;
        EXPECT_EQ(Narrow(Edition(workstation)),
                  "Microsoft Windows 11 " + Narrow(text) + " (build 22631), 64-bit") << "type " << type;

        WindowsVersionFacts server = workstation;
        server.productType = kServer;
        server.buildNumber = 20348;
        EXPECT_EQ(Narrow(Edition(server)),
                  "Microsoft Windows Server 2022 " + Narrow(text) + " (build 20348), 64-bit")
            << "type " << type;
    }
}

TEST(WindowsEdition, ProductTypeWithoutRow_LeavesTheWordEmptyAsBefore)
{
    for (const std::uint32_t type : {0u, 19u, 24u, 29u, 35u, 38u, 41u, 50u, 65u, 73u, 85u, 97u,
                                     102u, 123u, 131u, 144u, 163u, 166u, 0xABCDABCDu})
    {
        WindowsVersionFacts facts = Facts(10, 0, kWorkstation, 9);
        facts.buildNumber = 19045;
        facts.hasProductInfo = true;
        facts.productInfoType = type;
        EXPECT_EQ(Narrow(Edition(facts)), "Microsoft Windows 10  (build 19045), 64-bit") << "type " << type;
    }
}

TEST(WindowsEdition, Version62To10Names_WorkstationAndServer)
{
    auto facts = [](std::uint32_t major, std::uint32_t minor, std::uint8_t type, std::uint32_t build) {
        WindowsVersionFacts made = Facts(major, minor, type, 9);
        made.buildNumber = build;
        made.hasProductInfo = true;
        made.productInfoType = 48;
        return made;
    };
    const EditionRow rows[] = {
        {facts(6, 2, kWorkstation, 9200), u"Microsoft Windows 8 Professional (build 9200), 64-bit"},
        {facts(6, 2, kServer, 9200), u"Microsoft Windows Server 2012 Professional (build 9200), 64-bit"},
        {facts(6, 3, kWorkstation, 9600), u"Microsoft Windows 8.1 Professional (build 9600), 64-bit"},
        {facts(6, 3, kServer, 9600), u"Microsoft Windows Server 2012 R2 Professional (build 9600), 64-bit"},
        {facts(6, 4, kWorkstation, 9841), u"Microsoft Professional (build 9841), 64-bit"},
        // Windows 11 is version 10.0 too: its build tells it.
        {facts(10, 0, kWorkstation, 10240), u"Microsoft Windows 10 Professional (build 10240), 64-bit"},
        {facts(10, 0, kWorkstation, 21999), u"Microsoft Windows 10 Professional (build 21999), 64-bit"},
        {facts(10, 0, kWorkstation, 22000), u"Microsoft Windows 11 Professional (build 22000), 64-bit"},
        {facts(10, 0, kWorkstation, 26100), u"Microsoft Windows 11 Professional (build 26100), 64-bit"},
        // Servers by build; one between two releases takes the older name.
        {facts(10, 0, kServer, 10586), u"Microsoft Windows Server 2016 Professional (build 10586), 64-bit"},
        {facts(10, 0, kServer, 14393), u"Microsoft Windows Server 2016 Professional (build 14393), 64-bit"},
        {facts(10, 0, kServer, 17762), u"Microsoft Windows Server 2016 Professional (build 17762), 64-bit"},
        {facts(10, 0, kServer, 17763), u"Microsoft Windows Server 2019 Professional (build 17763), 64-bit"},
        {facts(10, 0, kServer, 20348), u"Microsoft Windows Server 2022 Professional (build 20348), 64-bit"},
        {facts(10, 0, kServer, 25398), u"Microsoft Windows Server 2022 Professional (build 25398), 64-bit"},
        {facts(10, 0, kServer, 26100), u"Microsoft Windows Server 2025 Professional (build 26100), 64-bit"},
        {facts(10, 0, kServer, 30000), u"Microsoft Windows Server 2025 Professional (build 30000), 64-bit"},
        // A version no row knows keeps only the edition.
        {facts(10, 1, kWorkstation, 30000), u"Microsoft Professional (build 30000), 64-bit"},
    };
    for (const EditionRow& row : rows)
        EXPECT_EQ(Narrow(Edition(row.facts)), Narrow(row.expected));
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
    EXPECT_EQ(Narrow(Edition(Facts(10, 0, kWorkstation, 12))), "Microsoft Windows 10  (build 1234), 64-bit");
    EXPECT_EQ(Narrow(Edition(Facts(10, 0, kWorkstation, 5))), "Microsoft Windows 10  (build 1234)");
    EXPECT_EQ(Narrow(Edition(Facts(5, 1, kWorkstation, 9))), "Microsoft Windows XP Professional (build 1234)");
}

TEST(WindowsEdition, OldOrForeignPlatform_FailsAndLeavesTextsAlone)
{
    WindowsVersionFacts nt4 = Facts(4, 0, kWorkstation);
    WindowsVersionFacts win9x = Facts(6, 1, kWorkstation);
    win9x.platformId = 1;
    for (const WindowsVersionFacts& facts : {nt4, win9x})
    {
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
    EXPECT_EQ(text.edition.str().rfind(L"Microsoft ", 0), 0u);
    EXPECT_NE(text.edition.str().find(L"(build "), std::wstring::npos);
}

// ---- Where the version comes from ----------------------------------------------------

namespace {

// What Windows 10 tells a program whose manifest declares no supported systems.
BOOL WINAPI GetVersionExSaysWindows8(OSVERSIONINFOW* info)
{
    auto* version = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    version->dwMajorVersion = 6;
    version->dwMinorVersion = 2;
    version->dwBuildNumber = 9200;
    version->dwPlatformId = 2;
    version->wProductType = 1;
    return TRUE;
}

LONG WINAPI RtlGetVersionSaysWindows10(OSVERSIONINFOW* info)
{
    auto* version = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    if (version->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))
        return static_cast<LONG>(0xC000000D);  // STATUS_INVALID_PARAMETER
    version->dwMajorVersion = 10;
    version->dwMinorVersion = 0;
    version->dwBuildNumber = 19045;
    version->dwPlatformId = 2;
    version->wProductType = 1;
    return 0;
}

LONG WINAPI RtlGetVersionFails(OSVERSIONINFOW* info)
{
    reinterpret_cast<OSVERSIONINFOEXW*>(info)->dwMajorVersion = 99;  // must not survive
    return static_cast<LONG>(0xC0000001);  // STATUS_UNSUCCESSFUL
}

struct VersionTexts
{
    bool built = false;
    std::string edition;
    std::string numbers;
};

VersionTexts TextsFrom(const WindowsVersionCalls& calls)
{
    VersionTexts texts;
    WindowsVersionFacts facts;
    if (!GatherWindowsVersionFacts(facts, calls))
        return texts;
    std::u16string edition;
    std::u16string numbers;
    texts.built = BuildWindowsVersionText(facts, edition, numbers);
    texts.edition = Narrow(edition);
    texts.numbers = Narrow(numbers);
    return texts;
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

}  // namespace

TEST(WindowsVersionSource, RtlGetVersionPresent_WinsOverGetVersionEx)
{
    const VersionTexts texts = TextsFrom({&RtlGetVersionSaysWindows10, &GetVersionExSaysWindows8});
    ASSERT_TRUE(texts.built);
    EXPECT_TRUE(StartsWith(texts.edition, "Microsoft Windows 10 ")) << texts.edition;
    EXPECT_NE(texts.edition.find(" (build 19045)"), std::string::npos) << texts.edition;
    EXPECT_EQ(texts.numbers, "10.0.19045 Service Pack 0 Build 19045");
}

TEST(WindowsVersionSource, RtlGetVersionMissingOrFailing_FallsBackToGetVersionEx)
{
    for (const WindowsVersionCalls& calls :
         {WindowsVersionCalls{nullptr, &GetVersionExSaysWindows8},
          WindowsVersionCalls{&RtlGetVersionFails, &GetVersionExSaysWindows8}})
    {
        const VersionTexts texts = TextsFrom(calls);
        ASSERT_TRUE(texts.built);
        EXPECT_TRUE(StartsWith(texts.edition, "Microsoft Windows 8 ")) << texts.edition;
        EXPECT_EQ(texts.numbers, "6.2.9200 Service Pack 0 Build 9200");
    }
}

TEST(WindowsVersionSource, NeitherCallTells_GivesNoFacts)
{
    OSVERSIONINFOEXW version;
    EXPECT_FALSE(ReadRunningWindowsVersion(version, {&RtlGetVersionFails, nullptr}));
    WindowsVersionFacts facts;
    EXPECT_FALSE(GatherWindowsVersionFacts(facts, {nullptr, nullptr}));
}

TEST(WindowsVersionSource, RunningWindows_RtlGetVersionIsFoundAndAgreesWithTheFacts)
{
    const WindowsVersionCalls calls = SystemWindowsVersionCalls();
    ASSERT_NE(calls.rtlGetVersion, nullptr) << "ntdll exports RtlGetVersion on every NT";
    OSVERSIONINFOEXW direct = {};
    direct.dwOSVersionInfoSize = sizeof(direct);
    ASSERT_EQ(calls.rtlGetVersion(reinterpret_cast<OSVERSIONINFOW*>(&direct)), 0);
    WindowsVersionFacts facts;
    ASSERT_TRUE(GatherWindowsVersionFacts(facts));
    EXPECT_EQ(facts.majorVersion, direct.dwMajorVersion);
    EXPECT_EQ(facts.minorVersion, direct.dwMinorVersion);
    EXPECT_EQ(facts.buildNumber, direct.dwBuildNumber);
}
