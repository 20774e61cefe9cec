// Who a real process is, under Wine: its executable's name and the account it runs as.
#include "Boostee.h"

#include "engine/ProcessIdentity.h"

#include <gtest/gtest.h>

namespace
{
void ClearIdentity()
{
    g_strProcessName.Empty();
    g_strProcessDomain.Empty();
    g_strProcessUser.Empty();
}

CString RunningUserName()
{
    wchar_t name[1024] = {};
    DWORD count = 1024;
    GetUserNameW(name, &count);
    return CString(name);
}

class ProcessIdentityTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ClearIdentity();
        if (HelpersFolder().empty())
            GTEST_SKIP() << "VEXRA_BUILD_DIR is not set: boostee.exe cannot be found";
        boostee = HelpersFolder() + L"\\boostee.exe";
    }

    std::wstring boostee;
};
}

TEST_F(ProcessIdentityTest, RunningHelper_BaseNameAndRunningUser)
{
    CBoostee app;
    ASSERT_TRUE(app.Start(boostee, L"identity")) << "boostee.exe did not start";

    LookupProcessIdentity(app.Pid());

    EXPECT_EQ(0, _wcsicmp(g_strProcessName, L"boostee.exe")) << g_strProcessName.GetString();
    const CString user = RunningUserName();
    ASSERT_FALSE(user.IsEmpty());
    EXPECT_EQ(0, _wcsicmp(g_strProcessUser, user))
        << "owner " << testing::PrintToString(std::wstring(g_strProcessUser))
        << " running user " << testing::PrintToString(std::wstring(user));
    EXPECT_FALSE(g_strProcessDomain.IsEmpty());
}

TEST_F(ProcessIdentityTest, VanishedProcess_LeavesOwnerEmpty)
{
    CBoostee app;
    ASSERT_TRUE(app.Start(boostee, L"vanishing"));
    const DWORD pid = app.Pid();
    app.End();
    ASSERT_TRUE(WaitUntilProcessGone(pid));

    LookupProcessIdentity(pid);

    EXPECT_TRUE(g_strProcessUser.IsEmpty());
    EXPECT_TRUE(g_strProcessDomain.IsEmpty());
    // Under Wine the name fallback finds nothing either (level 1 is not served).
    EXPECT_TRUE(g_strProcessName.IsEmpty()) << g_strProcessName.GetString();
}

TEST(FindWtsProcessName, PicksTheEntryOfTheProcessNotTheLast)
{
    wchar_t system[] = L"System";
    wchar_t notepad[] = L"notepad.exe";
    wchar_t explorer[] = L"explorer.exe";
    WtsProcessInfoExW entries[3] = {};
    entries[0].ProcessId = 4;
    entries[0].pProcessName = system;
    entries[1].ProcessId = 1200;
    entries[1].pProcessName = notepad;
    entries[2].ProcessId = 1300;
    entries[2].pProcessName = explorer;

    EXPECT_STREQ(L"notepad.exe", FindWtsProcessName(entries, 3, 1200));
    EXPECT_STREQ(L"explorer.exe", FindWtsProcessName(entries, 3, 1300));
    EXPECT_EQ(nullptr, FindWtsProcessName(entries, 3, 1400));
    EXPECT_EQ(nullptr, FindWtsProcessName(entries, 2, 1300)) << "read past the count";
    EXPECT_EQ(nullptr, FindWtsProcessName(nullptr, 3, 1200));
}

TEST(FindWtsProcessName, EntryLayout_MatchesTheSystemsLevel1Record)
{
    // The list is read by stride: a wrong size walks off the system's records. The
    // record holds two pointers, so its layout is the architecture's own.
    const bool x64 = sizeof(void*) == 8;
    EXPECT_EQ(x64 ? 64u : 56u, sizeof(WtsProcessInfoExW));
    EXPECT_EQ(8u, offsetof(WtsProcessInfoExW, pProcessName));
    EXPECT_EQ(x64 ? 16u : 12u, offsetof(WtsProcessInfoExW, pUserSid));
    EXPECT_EQ(x64 ? 48u : 40u, offsetof(WtsProcessInfoExW, UserTime));
}

TEST(GetFallbackProcessName, NoEntryForTheProcess_ChangesNothing)
{
    g_strProcessName = L"kept";
    GetFallbackProcessName(0xFFFFFFF0);
    EXPECT_EQ(L"kept", std::wstring(g_strProcessName));
}
