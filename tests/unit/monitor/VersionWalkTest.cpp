// The hand walk of version records: what it collects from well-formed records in both
// layouts, and that broken records end it without reading outside the bytes.
#include <gtest/gtest.h>

#include "VersionRecordBuilder.h"
#include "monitor/VersionWalk.h"

using namespace testrecord;

namespace {

Bytes TwoTableRecord(bool wide)
{
    return Record({StringFileInfo({Table("040904b0", {String("CompanyName", "Teskor", wide),
                                                       String("ProductName", "Vexra", wide)}),
                                   Table("040704B0", {String("ProductName", "Vexra DE", wide)})}),
                   VarFileInfo({0x0409, 0x04B0, 0x0407, 0x04B0})},
                  wide);
}

VersionWalkResult Walk(const Bytes& bytes, bool firstTableOnly = false)
{
    VersionWalkResult result;
    WalkVersionRecord(bytes.data(), bytes.size(), firstTableOnly, result);
    return result;
}

void ExpectTwoTableContents(const VersionWalkResult& result)
{
    ASSERT_EQ(result.keys.size(), 3u);
    ASSERT_EQ(result.values.size(), 3u);
    EXPECT_EQ(result.keys[0], u"040904B0|CompanyName");
    EXPECT_EQ(result.values[0], u"Teskor");
    EXPECT_EQ(result.keys[1], u"040904B0|ProductName");
    EXPECT_EQ(result.values[1], u"Vexra");
    EXPECT_EQ(result.keys[2], u"040704B0|ProductName");
    EXPECT_EQ(result.values[2], u"Vexra DE");
    EXPECT_EQ(result.translations, (std::vector<std::u16string>{u"040904B0", u"040704B0"}));
    EXPECT_EQ(result.tableName, u"040704B0");
}

}  // namespace

// ---- Well-formed records ---------------------------------------------------------

TEST(VersionWalk, WideLayout_CollectsEveryStringAndTranslation)
{
    ExpectTwoTableContents(Walk(TwoTableRecord(true)));
}

TEST(VersionWalk, NarrowLayout_CollectsTheSameAsTheWideOne)
{
    ExpectTwoTableContents(Walk(TwoTableRecord(false)));
}

TEST(VersionWalk, FirstTableOnly_StopsAtTheFirstTableName)
{
    for (bool wide : {true, false})
    {
        const VersionWalkResult result = Walk(TwoTableRecord(wide), true);
        EXPECT_EQ(result.tableName, u"040904B0") << "wide=" << wide;
        EXPECT_TRUE(result.keys.empty());
        EXPECT_TRUE(result.translations.empty());
    }
}

TEST(VersionWalk, EmptyValueAndMissingValue_BothGiveEmptyText)
{
    for (bool wide : {true, false})
    {
        const Bytes bytes = Record({StringFileInfo({Table(
            "040904B0", {String("Comments", "", wide), StringWithoutValue("Build Date"),
                         String("ProductName", "Vexra", wide)})})},
                                   wide);
        const VersionWalkResult result = Walk(bytes);
        ASSERT_EQ(result.values.size(), 3u) << "wide=" << wide;
        EXPECT_EQ(result.values[0], u"");
        EXPECT_EQ(result.keys[1], u"040904B0|Build Date");
        EXPECT_EQ(result.values[1], u"");
        // The node without a value must not throw the walk off the next string.
        EXPECT_EQ(result.keys[2], u"040904B0|ProductName");
        EXPECT_EQ(result.values[2], u"Vexra");
    }
}

TEST(VersionWalk, ForeignEntryInVarFileInfo_EndsThatChildButNotTheWalk)
{
    const Bytes bytes = Record({VarFileInfo({0x0409, 0x04B0}, "Translations"),
                                StringFileInfo({Table("040904B0", {String("ProductName", "Vexra", true)})})});
    const VersionWalkResult result = Walk(bytes);
    EXPECT_TRUE(result.translations.empty());
    ASSERT_EQ(result.values.size(), 1u);
    EXPECT_EQ(result.values[0], u"Vexra");
}

TEST(VersionWalk, KeysCompareCaseSensitively)
{
    const Bytes bytes = Record({Node{"stringfileinfo", {}, 0,
                                     {Table("040904B0", {String("ProductName", "Vexra", true)})}},
                                VarFileInfo({0x0409, 0x04B0}, "translation")});
    const VersionWalkResult result = Walk(bytes);
    EXPECT_TRUE(result.keys.empty());
    EXPECT_TRUE(result.translations.empty());
}

// ---- Broken records ----------------------------------------------------------------

TEST(VersionWalk, WrongRootKeyOrOversizedRoot_YieldsNothing)
{
    EXPECT_TRUE(Walk(Record({VarFileInfo({0x0409, 0x04B0})}, true, "VS_VERSION_INFX")).translations.empty());

    Bytes big = TwoTableRecord(true);
    big.resize(50004, 0);
    PutWord(big, 0, 50004 & 0xFFFF);  // a total above the limit
    EXPECT_TRUE(Walk(big).keys.empty());
}

TEST(VersionWalk, StringRunningPastTheData_EndsTheWalkKeepingEarlierStrings)
{
    Bytes bytes = Record({StringFileInfo({Table("040904B0", {String("CompanyName", "Teskor", true),
                                                              String("ProductName", "Vexra", true)})}),
                          VarFileInfo({0x0409, 0x04B0})});
    // Make the second string claim far more than the record holds; its header starts
    // where the first string's value ends (aligned).
    const std::u16string marker = u"ProductName";
    std::size_t keyAt = 0;
    for (std::size_t i = 0; i + 2 * marker.size() <= bytes.size(); ++i)
    {
        if (bytes[i] == 'P' && bytes[i + 2] == 'r' && bytes[i + 4] == 'o' && bytes[i + 6] == 'd')
        {
            keyAt = i;
            break;
        }
    }
    ASSERT_NE(keyAt, 0u);
    PutWord(bytes, keyAt - 6, 9000);
    const VersionWalkResult result = Walk(bytes);
    ASSERT_EQ(result.values.size(), 1u);
    EXPECT_EQ(result.values[0], u"Teskor");
    EXPECT_TRUE(result.translations.empty()) << "the walk must end at the broken string";
}

TEST(VersionWalk, ValueWithoutTerminator_EndsAtItsNode)
{
    // The value's characters run to the end of the string node with no zero after them.
    Node entry{"ProductName", {'V', 0, 'x', 0}, 2, {}, true};
    const Bytes bytes = Record({StringFileInfo({Table("040904B0", {entry, String("Comments", "ok", true)})})});
    const VersionWalkResult result = Walk(bytes);
    ASSERT_EQ(result.values.size(), 2u);
    EXPECT_EQ(result.values[0], u"Vx");
    EXPECT_EQ(result.values[1], u"ok");
}

TEST(VersionWalk, NodesThatClaimNoLength_StillEndWithinBounds)
{
    // A table whose strings all claim length 0: each string still moves the walk past
    // its own key, so the walk ends and reports each string once.
    Bytes bytes = Record({StringFileInfo({Table("040904B0", {StringWithoutValue("A"), StringWithoutValue("B")})})});
    for (std::size_t i = 0; i + 4 <= bytes.size(); ++i)
    {
        if (bytes[i + 6] == 'A' || bytes[i + 6] == 'B')
        {
            if (bytes[i + 7] == 0 && bytes[i + 8] == 0 && bytes[i + 4] == 1)
                PutWord(bytes, i, 0);
        }
    }
    const VersionWalkResult result = Walk(bytes);
    ASSERT_EQ(result.keys.size(), 2u);
    EXPECT_EQ(result.keys[0], u"040904B0|A");
    EXPECT_EQ(result.keys[1], u"040904B0|B");
}
