// A crash of the program returns every process to the normal class before it dies.
#include "Boostee.h"

#include "endofrun/CrashRestore.h"
#include "endofrun/EndOfRun.h"
#include "engine/Win32ProcessSystem.h"
#include "framework/Handle.h"

#include <gtest/gtest.h>

#include <exception>

namespace
{
class CrashRestoreTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (HelpersFolder().empty())
            GTEST_SKIP() << "VEXRA_BUILD_DIR is not set: boostee.exe cannot be found";
        m_previousFilter = SetUnhandledExceptionFilter(nullptr);
        endOfRun.InstallCrashRestore();
    }
    void TearDown() override
    {
        SetUnhandledExceptionFilter(m_previousFilter);
        std::set_terminate(nullptr);
    }

    CWin32ProcessSystem system;
    CEndOfRun endOfRun{system};

private:
    LPTOP_LEVEL_EXCEPTION_FILTER m_previousFilter = nullptr;
};

bool SetClass(DWORD pid, DWORD priorityClass)
{
    const CKernelHandle process(OpenProcess(PROCESS_SET_INFORMATION, FALSE, pid));
    return process && SetPriorityClass(process.Get(), priorityClass);
}
}  // namespace

TEST_F(CrashRestoreTest, RestorePrioritiesOnCrash_BoostedAndLoweredProcessesEndNormal)
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
    EXPECT_TRUE(endOfRun.HasRestoreBegun()) << "a cycle after the crash restore could raise again";
}

TEST_F(CrashRestoreTest, EndOfRunThatIsGone_CrashRestoreChangesNothing)
{
    CBoostee boosted;
    ASSERT_TRUE(boosted.Start(HelpersFolder() + L"\\boostee.exe", L"crash-gone"));
    ASSERT_TRUE(SetClass(boosted.Pid(), REALTIME_PRIORITY_CLASS));
    {
        CEndOfRun shortLived(system);
        shortLived.InstallCrashRestore();
    }

    EXPECT_EQ(EXCEPTION_CONTINUE_SEARCH, RestorePrioritiesOnCrash(nullptr));
    EXPECT_EQ(static_cast<DWORD>(REALTIME_PRIORITY_CLASS), ReadPriorityClass(boosted.Pid()));
}

// Uses up this thread's stack until only `margin` bytes are left above its lowest
// address, as after a stack overflow, then runs the crash restore there.
static __attribute__((noinline)) LONG RestoreWithLittleStack(ULONG_PTR margin)
{
    volatile char frame[1024];
    frame[0] = 0;
    // The stack's reservation begins at its lowest address.
    MEMORY_BASIC_INFORMATION stack = {};
    VirtualQuery(const_cast<char*>(&frame[0]), &stack, sizeof(stack));
    const ULONG_PTR low = reinterpret_cast<ULONG_PTR>(stack.AllocationBase);
    if (reinterpret_cast<ULONG_PTR>(&frame[0]) - low > margin)
        return RestoreWithLittleStack(margin) + frame[0];
    return RestorePrioritiesOnCrash(nullptr);
}

static DWORD WINAPI RestoreWithLittleStackThread(LPVOID margin)
{
    return static_cast<DWORD>(RestoreWithLittleStack(reinterpret_cast<ULONG_PTR>(margin)));
}

TEST_F(CrashRestoreTest, RestorePrioritiesOnCrash_AfterStackOverflow_StillRestores)
{
    CBoostee boosted;
    ASSERT_TRUE(boosted.Start(HelpersFolder() + L"\\boostee.exe", L"crash-overflow"));
    ASSERT_TRUE(SetClass(boosted.Pid(), REALTIME_PRIORITY_CLASS));

    // What a thread has left when the system hands it a stack overflow: a few pages.
    const ULONG_PTR margin = 16 * 1024;
    const CKernelHandle thread(CreateThread(NULL, 0, RestoreWithLittleStackThread,
                                            reinterpret_cast<LPVOID>(margin), 0, NULL));
    ASSERT_TRUE(thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Get(), 20000));
    DWORD exitCode = 0;
    GetExitCodeThread(thread.Get(), &exitCode);

    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_CONTINUE_SEARCH), exitCode);
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), ReadPriorityClass(boosted.Pid()));
}

TEST(CrashRestore, Install_MakesTheRestoreTheUnhandledExceptionFilter)
{
    CWin32ProcessSystem system;
    CEndOfRun endOfRun(system);
    LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(nullptr);
    endOfRun.InstallCrashRestore();
    LPTOP_LEVEL_EXCEPTION_FILTER installed = SetUnhandledExceptionFilter(before);
    EXPECT_EQ(reinterpret_cast<void*>(&RestorePrioritiesOnCrash),
              reinterpret_cast<void*>(installed));
    std::set_terminate(nullptr);
}
