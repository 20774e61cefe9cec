// A crash of the program returns every process to the normal class before it dies.
#include "Boostee.h"

#include "engine/CrashPriorityGuard.h"

#include <gtest/gtest.h>

#include <exception>

namespace
{
class CrashPriorityGuardTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (HelpersFolder().empty())
            GTEST_SKIP() << "VEXRA_BUILD_DIR is not set: boostee.exe cannot be found";
    }
};

bool SetClass(DWORD pid, DWORD priorityClass)
{
    HANDLE process = OpenProcess(PROCESS_SET_INFORMATION, FALSE, pid);
    if (process == NULL)
        return false;
    const BOOL result = SetPriorityClass(process, priorityClass);
    CloseHandle(process);
    return result != FALSE;
}
}  // namespace

TEST_F(CrashPriorityGuardTest, RestorePrioritiesOnCrash_BoostedAndLoweredProcessesEndNormal)
{
    CBoostee boosted, lowered;
    ASSERT_TRUE(boosted.Start(HelpersFolder() + L"\\boostee.exe", L"crash-boosted"));
    ASSERT_TRUE(lowered.Start(HelpersFolder() + L"\\boostee.exe", L"crash-lowered"));
    ASSERT_TRUE(SetClass(boosted.Pid(), REALTIME_PRIORITY_CLASS));
    ASSERT_TRUE(SetClass(lowered.Pid(), BELOW_NORMAL_PRIORITY_CLASS));

    // The filter lets the system go on ending the process after it has done its work.
    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, RestorePrioritiesOnCrash(nullptr));

    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), ReadPriorityClass(boosted.Pid()));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), ReadPriorityClass(lowered.Pid()));
}

TEST(CrashPriorityGuard, Install_MakesTheRestoreTheUnhandledExceptionFilter)
{
    LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(nullptr);
    InstallCrashPriorityGuard();
    LPTOP_LEVEL_EXCEPTION_FILTER installed = SetUnhandledExceptionFilter(before);
    EXPECT_EQ(reinterpret_cast<void*>(&RestorePrioritiesOnCrash),
              reinterpret_cast<void*>(installed));
    std::set_terminate(nullptr);
}
