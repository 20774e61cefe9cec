// CVersion: the program's own record (this test executable links the program's
// resources), crafted records for the choice of string table, and unreadable files.
#include <gtest/gtest.h>

#include "CStringPrint.h"
#include "VersionRecordBuilder.h"
#include "monitor/Version.h"
#include "framework/Handle.h"

#include <vector>

using namespace testrecord;

namespace {

// A table that passes the check of the choice: it has FileVersion and FileDescription.
Node UsableTable(const std::string& name, const std::string& product)
{
    return Table(name, {String("FileVersion", "1.0", true), String("FileDescription", "d", true),
                        String("ProductName", product, true)});
}

std::vector<CString> Items(const CStringArray* list)
{
    std::vector<CString> items;
    for (INT_PTR i = 0; list != nullptr && i < list->GetSize(); ++i)
        items.push_back((*list)[i]);
    return items;
}

CString ChosenFor(CVersion& version, LANGID language)
{
    CString chosen;
    EXPECT_TRUE(version.ChooseTranslationFor(language, chosen));
    return chosen;
}

CString TempFilePath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    CString path;
    path.Format(L"%s%lu-%s", folder, GetCurrentProcessId(), name);
    return path;
}

}  // namespace

// ---- The program's own record --------------------------------------------------------

TEST(Version, OwnRecord_ReadsVersionStringsAndLists)
{
    CVersion version(nullptr);
    ASSERT_TRUE(version.ReadVersionInfo());
    EXPECT_NE(version.m_tmModified, 0);
    EXPECT_EQ(std::vector<WORD>(version.m_wFileVersion, version.m_wFileVersion + 4),
              (std::vector<WORD>{1, 0, 0, 37}));
    EXPECT_EQ(version.m_strProductName, L"Vexra");
    EXPECT_EQ(version.m_strCompanyName, L"Teskor");
    EXPECT_EQ(version.m_strFileDescription, L"Vexra");
    EXPECT_FALSE(version.m_strLegalCopyright.IsEmpty());
    EXPECT_TRUE(version.m_strBuildDate.IsEmpty()) << "the record has no Build Date";
    EXPECT_EQ(Items(version.m_pTranslations), (std::vector<CString>{L"400904B0"}));
    const std::vector<CString> keys = Items(version.m_pKeys);
    ASSERT_EQ(keys.size(), Items(version.m_pValues).size());
    EXPECT_NE(std::find(keys.begin(), keys.end(), CString(L"400904B0|ProductName")), keys.end());
}

TEST(Version, OwnRecord_EnglishTableChosenForUsAndGermanUsers)
{
    CVersion version(L"");
    ASSERT_TRUE(version.ReadVersionInfo());
    for (LANGID language : {LANGID(0x0409), LANGID(0x0407)})
    {
        EXPECT_EQ(ChosenFor(version, language), L"400904B0") << std::hex << language;
        EXPECT_EQ(version.m_strTranslation, L"400904B0");
        EXPECT_EQ(version.m_dwTranslation, 0x04B04009u);
    }
}

// ---- Choosing the string table ------------------------------------------------------

TEST(Version, ChooseTranslation_FollowsExactThenPrimaryThenNeutralThenEnglishThenFirst)
{
    struct Case
    {
        LANGID user;
        std::vector<std::uint16_t> pairs;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0x0409, {0x0407, 0x04E4, 0x0809, 0x04B0, 0x0409, 0x04B0}, L"040904B0"},  // exact beats primary
        {0x0C09, {0x0407, 0x04E4, 0x0809, 0x04B0, 0x0409, 0x04B0}, L"080904B0"},  // first same primary
        {0x0411, {0x0407, 0x04E4, 0x0000, 0x04B0, 0x0409, 0x04B0}, L"000004B0"},  // neutral
        {0x0411, {0x0407, 0x04E4, 0x0809, 0x04B0}, L"080904B0"},                  // any English
        {0x0411, {0x0407, 0x04E4, 0x040C, 0x04B0}, L"040704E4"},                  // the first entry
    };
    for (const Case& c : cases)
    {
        const Bytes bytes = Record({StringFileInfo({UsableTable("040704E4", "de"), UsableTable("080904B0", "uk"),
                                                    UsableTable("040904B0", "us"), UsableTable("000004B0", "neutral"),
                                                    UsableTable("040C04B0", "fr")}),
                                    VarFileInfo(c.pairs)});
        CVersion version(L"unused.exe");
        ASSERT_TRUE(version.ReadVersionRecord(bytes.data(), static_cast<DWORD>(bytes.size())));
        EXPECT_EQ(ChosenFor(version, c.user), c.expected) << "user language " << std::hex << c.user;
    }
}

TEST(Version, ChooseTranslation_UnusableChoiceFallsBackToTheFirstTable)
{
    const Node firstTable = UsableTable("041104b0", "first");
    const std::vector<std::pair<const char*, Bytes>> records = {
        {"translation names a missing table",
         Record({StringFileInfo({firstTable, UsableTable("040904B0", "us")}), VarFileInfo({0x0409, 0x04E4})})},
        {"chosen table lacks FileDescription",
         Record({StringFileInfo({firstTable, Table("040904B0", {String("FileVersion", "1", true)})}),
                 VarFileInfo({0x0409, 0x04B0})})},
        {"no Translation at all", Record({StringFileInfo({firstTable, UsableTable("040904B0", "us")})})},
    };
    for (const auto& [what, bytes] : records)
    {
        CVersion version(L"unused.exe");
        ASSERT_TRUE(version.ReadVersionRecord(bytes.data(), static_cast<DWORD>(bytes.size()))) << what;
        EXPECT_EQ(ChosenFor(version, 0x0409), L"041104B0") << what;
        EXPECT_EQ(version.m_strTranslation, L"041104B0") << what;
        EXPECT_EQ(version.m_dwTranslation, 0x04B00411u) << what;
        CString product;
        EXPECT_TRUE(version.QueryString(L"ProductName", product));
        EXPECT_EQ(product, L"first") << what;
    }
}

TEST(Version, FindTranslation_PrimaryMatchOnlyWhenAllowed)
{
    const DWORD pairs[] = {0x04E40407, 0x04B00809};
    CVersion version(L"unused.exe");
    DWORD found = 0;
    EXPECT_FALSE(version.FindTranslation(0x0409, pairs, sizeof(pairs), found, FALSE));
    EXPECT_TRUE(version.FindTranslation(0x0409, pairs, sizeof(pairs), found, TRUE));
    EXPECT_EQ(found, 0x04B00809u);
    EXPECT_FALSE(version.FindTranslation(0x0809, pairs, sizeof(pairs) - 1, found, TRUE))
        << "a pair cut short is not a pair";
}

TEST(Version, EmptyAndMissingStrings_ReadAsEmpty)
{
    const Bytes bytes = Record({StringFileInfo({Table("040904B0", {String("FileVersion", "1", true),
                                                                   String("FileDescription", "d", true),
                                                                   String("ProductName", "", true),
                                                                   StringWithoutValue("CompanyName")})}),
                                VarFileInfo({0x0409, 0x04B0})});
    CVersion version(L"unused.exe");
    ASSERT_TRUE(version.ReadVersionRecord(bytes.data(), static_cast<DWORD>(bytes.size())));
    EXPECT_EQ(version.m_strTranslation, L"040904B0");
    EXPECT_TRUE(version.m_strProductName.IsEmpty());
    EXPECT_TRUE(version.m_strCompanyName.IsEmpty());
    EXPECT_TRUE(version.m_strBuildDate.IsEmpty());
    EXPECT_EQ(Items(version.m_pValues), (std::vector<CString>{L"1", L"d", L"", L""}));
}

// ---- Files that cannot be read --------------------------------------------------------

TEST(Version, UnreadableFiles_LeaveEverythingEmpty)
{
    const CString noRecord = TempFilePath(L"no-record.txt");
    {
        const CFileHandle file(
            CreateFileW(noRecord, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        WriteFile(file.Get(), "not a program", 13, &written, nullptr);
    }

    for (const CString& path : {TempFilePath(L"does-not-exist.exe"), noRecord})
    {
        CVersion version(path);
        EXPECT_FALSE(version.ReadVersionInfo()) << NarrowForTest(path);
        EXPECT_EQ(version.m_wFileVersion[0], 0);
        EXPECT_TRUE(version.m_strProductName.IsEmpty());
    }
    DeleteFileW(noRecord);
}

TEST(Version, ModificationTimeZero_CountsAsUnreadable)
{
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const CString copy = TempFilePath(L"epoch.exe");
    ASSERT_TRUE(CopyFileW(self, copy, FALSE));
    {
        CVersion fresh(copy);
        EXPECT_TRUE(fresh.ReadVersionInfo()) << "the copy itself is readable";
    }

    {
        const CFileHandle file(
            CreateFileW(copy, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        const ULONGLONG epoch = 116444736000000000ull;  // 1970-01-01 00:00:00 UTC in FILETIME units
        FILETIME time = {static_cast<DWORD>(epoch), static_cast<DWORD>(epoch >> 32)};
        ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &time));
    }

    CVersion version(copy);
    EXPECT_FALSE(version.ReadVersionInfo());
    EXPECT_EQ(version.m_tmModified, 0);
    EXPECT_TRUE(version.m_strProductName.IsEmpty());
    DeleteFileW(copy);
}
