// The real readers of processor time, against real processes under Wine. (Wine reports
// another process's kernel and user time as fixed values that never grow, so how much a
// helper uses cannot be checked here; our own process's times do grow.)
#include "Boostee.h"

#include "engine/Win32ProcessSystem.h"

#include <gtest/gtest.h>

namespace
{
class Win32TimesReaderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (HelpersFolder().empty())
            GTEST_SKIP() << "VEXRA_BUILD_DIR is not set: boostee.exe cannot be found";
        boostee = HelpersFolder() + L"\\boostee.exe";
    }

    std::wstring boostee;
    CWin32ProcessSystem system;
};
}  // namespace

TEST_F(Win32TimesReaderTest, ReaderOfARunningProcess_ReadsUntilItEnds)
{
    CBoostee helper;
    ASSERT_TRUE(helper.Start(boostee, L"times-reader"));
    ULONGLONG creationTime = 0;
    const TIMES_READER reader = system.OpenTimesReader(helper.Pid(), &creationTime);
    ASSERT_NE(0u, reader);
    EXPECT_NE(0u, creationTime) << "the reader tells which process it holds";

    ULONGLONG processorTime = 0;
    EXPECT_TRUE(system.ReadProcessorTime(reader, &processorTime));

    helper.End();
    // The handle still opens the ended process's times: the reader must say it has ended.
    EXPECT_FALSE(system.ReadProcessorTime(reader, &processorTime));
    system.CloseTimesReader(reader);
    EXPECT_FALSE(system.ReadProcessorTime(reader, &processorTime)) << "a closed reader reads nothing";
}

TEST_F(Win32TimesReaderTest, OpenTimesReader_CreationTimeOfAnotherProcess_OpensNothing)
{
    CBoostee helper;
    ASSERT_TRUE(helper.Start(boostee, L"times-reader-other"));
    ULONGLONG creationTime = 0;
    const TIMES_READER first = system.OpenTimesReader(helper.Pid(), &creationTime);
    ASSERT_NE(0u, first);

    ULONGLONG otherTime = creationTime + 1;
    EXPECT_EQ(0u, system.OpenTimesReader(helper.Pid(), &otherTime));
    ULONGLONG sameTime = creationTime;
    const TIMES_READER second = system.OpenTimesReader(helper.Pid(), &sameTime);
    EXPECT_NE(0u, second);
    EXPECT_NE(first, second) << "each reader is one of its own";
    system.CloseTimesReader(first);
    system.CloseTimesReader(second);
}

TEST_F(Win32TimesReaderTest, OpenTimesReader_NoSuchProcess_OpensNothing)
{
    CBoostee helper;
    ASSERT_TRUE(helper.Start(boostee, L"times-reader-gone"));
    const DWORD pid = helper.Pid();
    helper.End();
    ASSERT_TRUE(WaitUntilProcessGone(pid));
    ULONGLONG creationTime = 0;
    EXPECT_EQ(0u, system.OpenTimesReader(pid, &creationTime));
}

TEST_F(Win32TimesReaderTest, ReaderOfOurOwnProcess_CountsTheTimeWeUse)
{
    ULONGLONG creationTime = 0;
    const TIMES_READER reader = system.OpenTimesReader(GetCurrentProcessId(), &creationTime);
    ASSERT_NE(0u, reader);
    ULONGLONG before = 0;
    ASSERT_TRUE(system.ReadProcessorTime(reader, &before));

    // Busy until the reading shows it; the bound only keeps a broken reader from hanging.
    ULONGLONG after = before;
    const ULONGLONG deadline = GetTickCount64() + 10000;
    volatile unsigned long long work = 0;
    while (after == before && GetTickCount64() < deadline)
    {
        for (int i = 0; i < 1000000; ++i)
            work = work + 1;
        ASSERT_TRUE(system.ReadProcessorTime(reader, &after));
    }
    EXPECT_GT(after, before);
    system.CloseTimesReader(reader);
}
