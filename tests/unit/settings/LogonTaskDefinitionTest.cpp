// The logon task's definition, read back by MSXML as the Task Scheduler would read it.
#include <gtest/gtest.h>

#include "ParsedTaskDefinition.h"
#include "settings/LogonTaskDefinition.h"

#include <string>

namespace {

const wchar_t kProgram[] = L"C:\\PROGRA~1\\Vexra\\VEXRA-by-Teskor.exe";

std::u16string U16(const wchar_t* text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

std::wstring Wide(const std::u16string& text)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

}  // namespace

// ---- what the task does ---------------------------------------------------------------

TEST(LogonTaskDefinition, Definition_IsASchema12TaskWithOneDelayedLogonTrigger)
{
    const CParsedTaskDefinition task(MakeLogonTaskDefinition(U16(kProgram)));
    ASSERT_TRUE(task.IsParsed()) << task.Error();

    EXPECT_EQ(task.Text(L"/t:Task/@version"), L"1.2") << "Windows 7 reads schema 1.2";
    EXPECT_EQ(task.Count(L"/t:Task/t:Triggers/*"), 1);
    EXPECT_EQ(task.Text(L"/t:Task/t:Triggers/t:LogonTrigger/t:Delay"), L"PT5M");
    EXPECT_NE(task.Text(L"/t:Task/t:Triggers/t:LogonTrigger/t:Enabled"), L"false");
    // A user named in the trigger would start the task at that user's logon only.
    EXPECT_EQ(task.Count(L"/t:Task/t:Triggers/t:LogonTrigger/t:UserId"), 0);
}

TEST(LogonTaskDefinition, Definition_RunsTheProgramAtTheHighestLevelOfTheRegisteringUser)
{
    const CParsedTaskDefinition task(MakeLogonTaskDefinition(U16(kProgram)));
    ASSERT_TRUE(task.IsParsed()) << task.Error();

    EXPECT_EQ(task.Count(L"/t:Task/t:Principals/t:Principal"), 1);
    EXPECT_EQ(task.Text(L"/t:Task/t:Principals/t:Principal/t:RunLevel"), L"HighestAvailable");
    EXPECT_EQ(task.Text(L"/t:Task/t:Principals/t:Principal/t:LogonType"), L"InteractiveToken");
    EXPECT_EQ(task.Count(L"/t:Task/t:Principals/t:Principal/t:UserId"), 0);
    EXPECT_EQ(task.Count(L"/t:Task/t:Actions/*"), 1);
    EXPECT_EQ(task.Text(L"/t:Task/t:Actions/t:Exec/t:Command"), kProgram);
    EXPECT_EQ(task.Count(L"/t:Task/t:Actions/t:Exec/t:Arguments"), 0);
}

TEST(LogonTaskDefinition, Definition_NeverStoppedForTimeOrBatteryAndASecondStartIgnored)
{
    const CParsedTaskDefinition task(MakeLogonTaskDefinition(U16(kProgram)));
    ASSERT_TRUE(task.IsParsed()) << task.Error();

    EXPECT_EQ(task.Text(L"/t:Task/t:Settings/t:ExecutionTimeLimit"), L"PT0S");
    EXPECT_EQ(task.Text(L"/t:Task/t:Settings/t:DisallowStartIfOnBatteries"), L"false");
    EXPECT_EQ(task.Text(L"/t:Task/t:Settings/t:StopIfGoingOnBatteries"), L"false");
    EXPECT_EQ(task.Text(L"/t:Task/t:Settings/t:MultipleInstancesPolicy"), L"IgnoreNew");
    EXPECT_NE(task.Text(L"/t:Task/t:Settings/t:Enabled"), L"false");
}

// ---- the program path -----------------------------------------------------------------

TEST(LogonTaskDefinition, Definition_PathWithCharactersThatMeanSomethingInXml_ReadsBackTheSame)
{
    for (const wchar_t* path : {L"C:\\Tom & Jerry's\\VEXRA-by-Teskor.exe",
                                L"C:\\a<b>c\\\"quoted\"\\VEXRA-by-Teskor.exe",
                                L"C:\\&amp;\\]]>\\VEXRA-by-Teskor.exe"})
    {
        const CParsedTaskDefinition task(MakeLogonTaskDefinition(U16(path)));
        ASSERT_TRUE(task.IsParsed()) << task.Error();
        EXPECT_EQ(task.Text(L"/t:Task/t:Actions/t:Exec/t:Command"), path);
    }
}

TEST(LogonTaskDefinition, Definition_PathWithBlanksAndCharactersBeyondAscii_ReadsBackTheSame)
{
    // Blanks, Latin, CJK, and one character beyond the first plane (a surrogate pair).
    const std::u16string path =
        u"C:\\Program Files\\Vexra \u00FC\u65E5\u672C \U0001F600\\VEXRA-by-Teskor.exe";
    const CParsedTaskDefinition task(MakeLogonTaskDefinition(path));
    ASSERT_TRUE(task.IsParsed()) << task.Error();
    EXPECT_EQ(task.Text(L"/t:Task/t:Actions/t:Exec/t:Command"), Wide(path));
}

TEST(LogonTaskDefinition, Definition_PathXmlCannotCarry_GivesNoDefinition)
{
    const std::u16string control = u"C:\\a\u0001b\\VEXRA-by-Teskor.exe";
    const std::u16string loneHigh = u"C:\\a" + std::u16string(1, char16_t(0xD800)) + u"\\VEXRA-by-Teskor.exe";
    const std::u16string loneLow = u"C:\\a" + std::u16string(1, char16_t(0xDC00)) + u"b";
    const std::u16string highAtEnd = u"C:\\a" + std::u16string(1, char16_t(0xDBFF));
    for (const std::u16string& path : {control, loneHigh, loneLow, highAtEnd, std::u16string()})
        EXPECT_TRUE(MakeLogonTaskDefinition(path).empty()) << path.size();
}
