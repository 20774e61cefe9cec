// Stems tie namesake processes together; display names are what the announcement shows.
#include "engine/ProcessNameText.h"

#include <gtest/gtest.h>

TEST(GetImageStem, DevicePathWithSeveralDots_KeepsTextBeforeFirstDotOfLastComponent)
{
    EXPECT_EQ(u"my", GetImageStem(u"\\Device\\HarddiskVolume2\\Program Files\\App\\my.app.exe"));
    // A dot in a folder name must not cut the file name.
    EXPECT_EQ(u"tool", GetImageStem(u"\\Device\\HarddiskVolume2\\v1.2\\tool.exe"));
}

TEST(GetImageStem, NoDotOrNoBackslash_KeepsWholeComponent)
{
    EXPECT_EQ(u"tool", GetImageStem(u"\\Device\\HarddiskVolume2\\bin\\tool"));
    EXPECT_EQ(u"notepad", GetImageStem(u"notepad.exe"));
    EXPECT_EQ(u"", GetImageStem(u"\\Device\\HarddiskVolume2\\bin\\"));
    EXPECT_EQ(u"", GetImageStem(u""));
}

TEST(MakeDisplayName, ProductOrProcessName_CutAtLastBackslashAndFirstDot)
{
    EXPECT_EQ(u"Editor 2", MakeDisplayName(u"Editor 2.1"));
    EXPECT_EQ(u"notepad", MakeDisplayName(u"notepad.exe"));
    EXPECT_EQ(u"calc", MakeDisplayName(u"\\Device\\HarddiskVolume2\\Windows\\calc.exe"));
}

TEST(MakeDisplayName, LongNames_CutTo35Characters)
{
    const std::u16string forty = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    ASSERT_EQ(40u, forty.size());
    EXPECT_EQ(forty.substr(0, 35), MakeDisplayName(forty));

    const std::u16string exactly35 = forty.substr(0, 35);
    EXPECT_EQ(exactly35, MakeDisplayName(exactly35));
    const std::u16string just34 = forty.substr(0, 34);
    EXPECT_EQ(just34, MakeDisplayName(just34));
}

TEST(MakeDisplayName, CutInsideSurrogatePair_DropsTheWholeCharacter)
{
    // 34 letters, then U+1F600 as a pair straddling the 35-unit cut.
    std::u16string name(34, u'a');
    name += u"\xD83D\xDE00";
    name += u"tail";
    EXPECT_EQ(std::u16string(34, u'a'), MakeDisplayName(name));
}
