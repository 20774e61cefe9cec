// The end guard's argument and the checks a guard makes of the handle it is given before
// it waits on it. The guard's real run (started by the program, waiting for its end) is
// driven end to end in tests/e2e/EndGuardTest.cpp.
#include "app/EndGuardArgument.h"
#include "app/EndGuardHandle.h"
#include "app/EndGuardMode.h"
#include "framework/Handle.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace
{
// ---------------------------------------------------------------------------------------
// The argument
// ---------------------------------------------------------------------------------------

TEST(EndGuardArgument, Make_ThenParse_GivesTheSameHandle)
{
    for (uint32_t value : {1u, 4u, 1234u, 0x7FFFFFFFu, 0xFFFFFFFFu})
    {
        uint32_t parsed = 0;
        EXPECT_TRUE(ParseEndGuardArgument(MakeEndGuardArgument(value), &parsed)) << value;
        EXPECT_EQ(value, parsed);
    }
    EXPECT_EQ(u"--end-guard=1234", MakeEndGuardArgument(1234));
}

TEST(EndGuardArgument, Parse_AnyOtherCommandLine_IsNotAGuardStart)
{
    for (const char16_t* tail :
         {u"", u"--end-guard=", u"--end-guard=0", u"--end-guard=0123", u"--end-guard=-5",
          u"--end-guard=+5", u"--end-guard=4294967296", u"--end-guard=99999999999",
          u"--end-guard=12 ", u" --end-guard=12", u"--end-guard=12 /x", u"--END-GUARD=12",
          u"--end-guard 12", u"--end-guard=0x1F", u"/end-guard=12", u"--end-guard=1\u0662"})
    {
        uint32_t parsed = 77;
        EXPECT_FALSE(ParseEndGuardArgument(tail, &parsed));
        EXPECT_EQ(77u, parsed) << "a refused argument leaves the value alone";
    }
}

TEST(EndGuardHandle, ValueOfAHandle_ComesBackAsTheSameHandle)
{
    // The pseudo handle of the own process is -1: all 64 bits set on x64, which only the
    // sign-extending conversion gives back from its 32-bit value.
    EXPECT_EQ(GetCurrentProcess(), EndGuardHandleOfValue(EndGuardValueOfHandle(GetCurrentProcess())));
    EXPECT_EQ(0xFFFFFFFFu, EndGuardValueOfHandle(GetCurrentProcess()));
    CKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    EXPECT_EQ(event.Get(), EndGuardHandleOfValue(EndGuardValueOfHandle(event.Get())));
    EXPECT_EQ(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-2)), EndGuardHandleOfValue(0xFFFFFFFEu));
}

// ---------------------------------------------------------------------------------------
// The handle a guard is given
// ---------------------------------------------------------------------------------------

// Runs the guard on a thread of its own, left behind should it wait on what it was
// given: such a guard fails the test instead of hanging it.
testing::AssertionResult GuardEndsAtOnce(uint32_t handleValue)
{
    auto ended = std::make_shared<std::promise<void>>();
    std::future<void> done = ended->get_future();
    std::thread([handleValue, ended] {
        RunEndGuard(handleValue);
        ended->set_value();
    }).detach();
    if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
        return testing::AssertionFailure() << "the guard waits on handle " << handleValue;
    return testing::AssertionSuccess();
}

// A process that is not the one that started this test: the boostee helper.
class OtherProcess
{
public:
    OtherProcess()
    {
        const wchar_t* pszBuild = _wgetenv(L"VEXRA_BUILD_DIR");
        if (pszBuild == nullptr)
            return;
        std::wstring path(pszBuild);
        for (wchar_t& c : path)
            c = c == L'/' ? L'\\' : c;
        path = (path[0] == L'\\' ? L"Z:" : L"") + path + L"\\tests\\helpers\\boostee.exe";
        std::vector<wchar_t> command(path.begin(), path.end());
        command.push_back(L'\0');
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        if (CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &m_info))
            CloseHandle(m_info.hThread);
    }
    ~OtherProcess()
    {
        if (m_info.hProcess == nullptr)
            return;
        TerminateProcess(m_info.hProcess, 0);
        WaitForSingleObject(m_info.hProcess, 5000);
        CloseHandle(m_info.hProcess);
    }
    HANDLE Handle() const { return m_info.hProcess; }

private:
    PROCESS_INFORMATION m_info = {};
};

TEST(EndGuardMode, ValueThatIsNoHandle_EndsAtOnce)
{
    EXPECT_TRUE(GuardEndsAtOnce(0x7FFFFFF0u));
    // An event is a handle of this process, but not of a process.
    CKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_TRUE(GuardEndsAtOnce(EndGuardValueOfHandle(event.Get())));
}

TEST(EndGuardMode, HandleOfItsOwnProcess_EndsAtOnceInsteadOfWaitingForItself)
{
    EXPECT_TRUE(GuardEndsAtOnce(EndGuardValueOfHandle(GetCurrentProcess())));
    CKernelHandle self;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(),
                                self.Receive(), SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                FALSE, 0));
    EXPECT_TRUE(GuardEndsAtOnce(EndGuardValueOfHandle(self.Get())));
}

TEST(EndGuardMode, HandleOfAProcessThatDidNotStartIt_EndsAtOnceChangingNothing)
{
    OtherProcess other;
    if (other.Handle() == nullptr)
        GTEST_SKIP() << "the boostee.exe helper could not be started (VEXRA_BUILD_DIR)";
    ASSERT_TRUE(SetPriorityClass(other.Handle(), BELOW_NORMAL_PRIORITY_CLASS));

    EXPECT_TRUE(GuardEndsAtOnce(EndGuardValueOfHandle(other.Handle())));
    EXPECT_EQ(static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS), GetPriorityClass(other.Handle()));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()))
        << "the refused guard raised itself";
}
}  // namespace
