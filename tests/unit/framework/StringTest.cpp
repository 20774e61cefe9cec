// CString: formatting with the Windows C run-time's rules, bounds of the substring
// operations, and the buffer protocol used with Windows calls that fill text.
#include <gtest/gtest.h>

#include "framework/Afx.h"

// ---- Format ----------------------------------------------------------------------------

TEST(CStringFormat, PercentS_IsAWideString)
{
    CString text;
    text.Format(L"[%s]", L"Wide text");
    EXPECT_STREQ(L"[Wide text]", text);
}

TEST(CStringFormat, CStringArgument_IsPassedAsItsText)
{
    const CString name(L"notepad.exe");
    CString text;
    text.Format(L"%s is now", name);
    EXPECT_STREQ(L"notepad.exe is now", text);
}

TEST(CStringFormat, WindowsIntegerFormats_GiveWindowsResults)
{
    CString text;
    text.Format(L"%I64d|%I64u|%04X|%u|%d|%%", -6000000000LL, 18000000000000000000ULL, 0x2A,
                4000000000u, -17);
    EXPECT_STREQ(L"-6000000000|18000000000000000000|002A|4000000000|-17|%", text);
}

TEST(CStringFormat, NarrowStringWithHs_IsWidened)
{
    CString text;
    text.Format(L"%hs/%s", "narrow", L"wide");
    EXPECT_STREQ(L"narrow/wide", text);
}

TEST(CStringFormat, LongResult_IsNotCutAtAnyBuffer)
{
    const std::wstring longText(70000, L'x');
    CString text;
    text.Format(L"<%s>%d", longText.c_str(), 7);
    ASSERT_EQ(70003, text.GetLength());
    EXPECT_EQ(L'<', text[0]);
    EXPECT_EQ(L'>', text[70001]);
    EXPECT_EQ(L'7', text[70002]);
}

// ---- Construction and comparison -----------------------------------------------------

TEST(CStringBasics, NullPointer_GivesEmptyString)
{
    CString text(static_cast<LPCWSTR>(nullptr));
    EXPECT_TRUE(text.IsEmpty());
    text = L"x";
    text = static_cast<LPCWSTR>(nullptr);
    EXPECT_EQ(0, text.GetLength());
    text += static_cast<LPCWSTR>(nullptr);
    EXPECT_STREQ(L"", text);
}

TEST(CStringBasics, CountedConstructor_KeepsExactlyThatMany)
{
    EXPECT_STREQ(L"abc", CString(L"abcdef", 3));
    EXPECT_TRUE(CString(L"abc", 0).IsEmpty());
    EXPECT_TRUE(CString(L"abc", -2).IsEmpty());
}

// ---- Substrings and searching ---------------------------------------------------------

TEST(CStringSubstrings, ArgumentsOutsideTheText_AreClamped)
{
    const CString text(L"Hello");
    EXPECT_STREQ(L"llo", text.Mid(2));
    EXPECT_STREQ(L"Hello", text.Mid(-3));
    EXPECT_STREQ(L"", text.Mid(5));
    EXPECT_STREQ(L"", text.Mid(99));
    EXPECT_STREQ(L"Hel", text.Left(3));
    EXPECT_STREQ(L"Hello", text.Left(10));
    EXPECT_STREQ(L"", text.Left(-1));
}

TEST(CStringSearch, Find_RespectsStartAndBounds)
{
    const CString path(L"C:\\Apps\\tool.exe.exe");
    EXPECT_EQ(12, path.Find(L'.'));
    EXPECT_EQ(16, path.Find(L'.', 13));
    EXPECT_EQ(-1, path.Find(L'.', 17));
    EXPECT_EQ(-1, path.Find(L'A', 100));
    EXPECT_EQ(-1, path.Find(L'A', -1));
    EXPECT_EQ(3, path.Find(L'A'));
    EXPECT_EQ(7, path.ReverseFind(L'\\'));
    EXPECT_EQ(-1, path.ReverseFind(L'/'));
    EXPECT_EQ(-1, CString().Find(L'x'));
}

TEST(CStringEditing, Case)
{
    CString mixed(L"Tool.EXE");
    EXPECT_STREQ(L"tool.exe", mixed.MakeLower());
    EXPECT_STREQ(L"TOOL.EXE", mixed.MakeUpper());
}

// ---- GetBuffer / ReleaseBuffer -------------------------------------------------------

TEST(CStringBuffer, FilledBuffer_TakesLengthUpToTheNull)
{
    CString text(L"old");
    LPWSTR buffer = text.GetBuffer(260);
    const DWORD written = ::GetModuleFileNameW(nullptr, buffer, 260);
    text.ReleaseBuffer();
    ASSERT_GT(written, 0u);
    EXPECT_EQ(static_cast<int>(written), text.GetLength());
    EXPECT_EQ(text.GetLength(), static_cast<int>(wcslen(text)));
}

TEST(CStringBuffer, ExplicitLength_AndRoomForTheTerminator)
{
    CString text;
    LPWSTR buffer = text.GetBuffer(4);
    wcscpy(buffer, L"abcd");  // four characters and the null at [4]
    text.ReleaseBuffer(2);
    EXPECT_STREQ(L"ab", text);

    CString kept(L"keep me");
    kept.GetBuffer(2);  // smaller than the text: the text stays whole
    kept.ReleaseBuffer();
    EXPECT_STREQ(L"keep me", kept);
}
