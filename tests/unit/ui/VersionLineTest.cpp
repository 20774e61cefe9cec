// The footer's version line.
#include "ui/VersionLine.h"

#include <gtest/gtest.h>

namespace
{
const WORD kVersion[4] = {1, 0, 0, 37};

TEST(VersionLine, NoUsableBuildDate_EndsWithABlankAfterTheVersion)
{
    EXPECT_STREQ(L"VERSION: 1.0.0.37 ", MakeVersionLine(kVersion, L""));
    EXPECT_STREQ(L"VERSION: 1.0.0.37 ", MakeVersionLine(kVersion, L"-2018-05-01"));
    EXPECT_STREQ(L"VERSION: 1.0.0.37 ", MakeVersionLine(kVersion, L"7-05"));
    EXPECT_STREQ(L"VERSION: 1.0.0.37 ", MakeVersionLine(kVersion, L"7"));
}

TEST(VersionLine, BuildDate_IsCutBeforeItsFirstDash)
{
    EXPECT_STREQ(L"VERSION: 1.0.0.37 Build date: 2018",
                 MakeVersionLine(kVersion, L"2018-05-01"));
    EXPECT_STREQ(L"VERSION: 1.0.0.37 Build date: May 1 2018",
                 MakeVersionLine(kVersion, L"May 1 2018"));
    EXPECT_STREQ(L"VERSION: 1.0.0.37 Build date: 12", MakeVersionLine(kVersion, L"12-"));
}

TEST(VersionLine, FullRangeVersionNumbers_AreUnsigned)
{
    const WORD wide[4] = {65535, 32768, 0, 1};
    EXPECT_STREQ(L"VERSION: 65535.32768.0.1 ", MakeVersionLine(wide, L""));
}
}  // namespace
