// The System page's facts gathered once, on a thread of their own, against stand-in
// sources: one that never answers, one that counts, one that fails first.
#include <gtest/gtest.h>

#include "CStringPrint.h"
#include "RecordingView.h"
#include "monitor/SystemInformation.h"
#include "framework/Handle.h"

#include <atomic>
#include <future>

namespace {

constexpr DWORD kHangWaitMs = 300;      // the bound when the stand-in never answers
constexpr DWORD kAnswerWaitMs = 10000;  // more than a busy machine needs to start a thread

SystemFactValues SomeFacts()
{
    SystemFactValues facts;
    facts.computerSystemRead = true;
    facts.computerName = L"DESK-7";
    facts.manufacturer = L"Maker";
    facts.model = L"Model 3";
    facts.processor = L"A processor";
    facts.edition = L"Microsoft Windows 7 Ultimate";
    facts.versionNumbers = L"6.1.7601 Service Pack 1 Build 7601";
    return facts;
}

// Answers what it is told, after `release` is set; counts the gatherings.
class StandInSource : public ISystemFactsSource
{
public:
    StandInSource() : release(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

    bool Gather(SystemFactValues& facts) override
    {
        WaitForSingleObject(release.Get(), INFINITE);
        ++gatherings;
        if (failuresLeft > 0)
        {
            --failuresLeft;
            return false;
        }
        facts = SomeFacts();
        return true;
    }

    CKernelHandle release;   // reset: a WMI that does not answer until it is set
    std::atomic<int> gatherings{0};
    std::atomic<int> failuresLeft{0};
};

class SystemFactsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < SYSINFO_COUNT; ++i)
            sysInfo[i].Format(L"before %d", i);
    }

    // The page command, on a thread of its own: one that never returns fails the test
    // instead of hanging it.
    testing::AssertionResult PageCommandReturns(CSystemFacts& facts)
    {
        std::promise<void> returned;
        std::future<void> done = returned.get_future();
        std::thread command([&] {
            RefreshSystemInformation(view, sysInfo, facts);
            returned.set_value();
        });
        const bool inTime = done.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        if (!inTime)
        {
            SetEvent(source->release.Get());   // let it finish before the test goes
            command.join();
            return testing::AssertionFailure() << "the page command waited without bound";
        }
        command.join();
        return testing::AssertionSuccess();
    }

    std::shared_ptr<StandInSource> source = std::make_shared<StandInSource>();
    RecordingView view;
    SysInfoStrings sysInfo;
};

}  // namespace

TEST_F(SystemFactsTest, SourceThatNeverAnswers_PageCommandReturnsAndTheTextsStay)
{
    ResetEvent(source->release.Get());
    CSystemFacts facts(source, kHangWaitMs);

    ASSERT_TRUE(PageCommandReturns(facts));
    EXPECT_TRUE(view.calls.empty()) << "texts were set: " << testing::PrintToString(view.calls);
    for (int i = 0; i < SYSINFO_COUNT; ++i)
    {
        CString before;
        before.Format(L"before %d", i);
        EXPECT_EQ(sysInfo[i], before) << "entry " << i;
    }

    // Another click while WMI still hangs starts no second gathering.
    ASSERT_TRUE(PageCommandReturns(facts));
    EXPECT_TRUE(view.calls.empty());

    // Once WMI answers, the next page command shows what the one gathering found.
    SetEvent(source->release.Get());
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (view.calls.empty() && GetTickCount64() < deadline)
    {
        Sleep(20);
        RefreshSystemInformation(view, sysInfo, facts);
    }
    EXPECT_EQ(view.texts[IDC_SYSTEM_COMPUTER_VALUE], L"DESK-7");
    EXPECT_EQ(source->gatherings, 1);
}

TEST_F(SystemFactsTest, SeveralPageCommands_ReadTheFactsOnceAndShowThemEachTime)
{
    CSystemFacts facts(source, kAnswerWaitMs);
    for (int i = 0; i < 3; ++i)
        RefreshSystemInformation(view, sysInfo, facts);

    EXPECT_EQ(source->gatherings, 1);
    EXPECT_EQ(view.calls.size(), 12u) << "four texts for each of the three commands";
    EXPECT_EQ(sysInfo[SYSINFO_COMPUTER_NAME], L"DESK-7");
    EXPECT_EQ(sysInfo[SYSINFO_MANUFACTURER], L"Maker");
    EXPECT_EQ(sysInfo[SYSINFO_MODEL], L"Model 3");
    EXPECT_EQ(sysInfo[SYSINFO_PROCESSOR], L"A processor");
    EXPECT_EQ(sysInfo[SYSINFO_EDITION], L"Microsoft Windows 7 Ultimate");
    EXPECT_EQ(sysInfo[SYSINFO_VERSION_NUMBERS], L"6.1.7601 Service Pack 1 Build 7601");
    EXPECT_EQ(sysInfo[SYSINFO_INSTALLED_MEMORY], L"before 4") << "not the gathering's";
    EXPECT_EQ(sysInfo[SYSINFO_MEMORY_USAGE], L"before 7") << "not the gathering's";
}

TEST_F(SystemFactsTest, GatheringThatFailed_IsTriedAgainAtTheNextPageCommand)
{
    source->failuresLeft = 1;
    CSystemFacts facts(source, kAnswerWaitMs);

    RefreshSystemInformation(view, sysInfo, facts);
    EXPECT_TRUE(view.calls.empty());
    EXPECT_EQ(sysInfo[SYSINFO_COMPUTER_NAME], L"before 0");

    RefreshSystemInformation(view, sysInfo, facts);
    EXPECT_EQ(source->gatherings, 2);
    EXPECT_EQ(sysInfo[SYSINFO_COMPUTER_NAME], L"DESK-7");
    EXPECT_EQ(view.texts[IDC_SYSTEM_TYPE_VALUE], L"6.1.7601 Service Pack 1 Build 7601");
}
