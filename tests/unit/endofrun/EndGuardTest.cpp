// The end guard's arguments, the checks the starter and the guard make of the handle they
// are given before they act on it, and the handshake that lets one restore run at a
// time. The real chain (program, starter, guard, waiting for the program's end) is
// driven end to end in tests/e2e/EndGuardTest.cpp.
#include "endofrun/EndGuardArgument.h"
#include "endofrun/EndGuardHandle.h"
#include "endofrun/EndGuardKeeper.h"
#include "endofrun/EndGuardRun.h"
#include "endofrun/ProgramCopy.h"
#include "endofrun/RestoreHandshake.h"
#include "framework/Handle.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace
{
// ---------------------------------------------------------------------------------------
// The argument
// ---------------------------------------------------------------------------------------

TEST(EndGuardArgument, Make_ThenParse_GivesTheSameRoleAndHandle)
{
    for (EndGuardRole role : {EndGuardRole::Starter, EndGuardRole::Guard})
    {
        for (uint32_t value : {1u, 4u, 1234u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        {
            EndGuardRole parsedRole = role == EndGuardRole::Guard ? EndGuardRole::Starter
                                                                  : EndGuardRole::Guard;
            uint32_t parsed = 0;
            EXPECT_TRUE(ParseEndGuardArgument(MakeEndGuardArgument(role, value), &parsedRole, &parsed))
                << value;
            EXPECT_EQ(value, parsed);
            EXPECT_EQ(role, parsedRole);
        }
    }
    EXPECT_EQ(u"--end-guard=1234", MakeEndGuardArgument(EndGuardRole::Guard, 1234));
    EXPECT_EQ(u"--end-guard-start=1234", MakeEndGuardArgument(EndGuardRole::Starter, 1234));
}

TEST(EndGuardArgument, Parse_AnyOtherCommandLine_IsNotAGuardStart)
{
    for (const char16_t* tail :
         {u"", u"--end-guard=", u"--end-guard=0", u"--end-guard=0123", u"--end-guard=-5",
          u"--end-guard=+5", u"--end-guard=4294967296", u"--end-guard=99999999999",
          u"--end-guard=12 ", u" --end-guard=12", u"--end-guard=12 /x", u"--END-GUARD=12",
          u"--end-guard 12", u"--end-guard=0x1F", u"/end-guard=12", u"--end-guard=1\u0662",
          u"--end-guard-start=", u"--end-guard-start=0", u"--end-guard-start", u"--end-guard-starts=12",
          u"--end-guard-start=12 ", u"--end-guard-start=4294967296", u"--end-guard-=12"})
    {
        EndGuardRole role = EndGuardRole::Guard;
        uint32_t parsed = 77;
        EXPECT_FALSE(ParseEndGuardArgument(tail, &role, &parsed));
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

// Names no mutex any run holds: the handshake of a guard that must change nothing.
CRestoreHandshake UnusedHandshake()
{
    return CRestoreHandshake(L"Local\\VexraTestInstanceUnused", L"Local\\VexraTestRestoringUnused");
}

DWORD WINAPI RunGuardThread(LPVOID context)
{
    const uint32_t handleValue = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(context));
    CRestoreHandshake handshake = UnusedHandshake();
    RunEndGuard(handleValue, handshake);
    return 0;
}

// Runs the guard on a thread of its own, left behind should it wait on what it was
// given: such a guard fails the test instead of hanging it. A thread of the system's
// own: a detached library thread left waiting can hold up the start of the next one.
testing::AssertionResult GuardEndsAtOnce(uint32_t handleValue)
{
    CKernelHandle thread(CreateThread(nullptr, 0, RunGuardThread,
                                      reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(handleValue)), 0,
                                      nullptr));
    if (!thread)
        return testing::AssertionFailure() << "no thread for the guard";
    if (WaitForSingleObject(thread.Get(), 10000) != WAIT_OBJECT_0)
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

TEST(EndGuardRun, ValueThatIsNoHandle_EndsAtOnce)
{
    EXPECT_TRUE(GuardEndsAtOnce(0x7FFFFFF0u));
    // An event is a handle of this process, but not of a process.
    CKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_TRUE(GuardEndsAtOnce(EndGuardValueOfHandle(event.Get())));
}

TEST(EndGuardRun, HandleOfItsOwnProcess_EndsAtOnceInsteadOfWaitingForItself)
{
    EXPECT_TRUE(GuardEndsAtOnce(EndGuardValueOfHandle(GetCurrentProcess())));
    CKernelHandle self;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(),
                                self.Receive(), SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                FALSE, 0));
    EXPECT_TRUE(GuardEndsAtOnce(EndGuardValueOfHandle(self.Get())));
}

TEST(EndGuardRun, HandleOfAnotherProgram_EndsAtOnceChangingNothing)
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

// A copy of this test program that lists its tests and ends: a copy of "the program"
// whose run is over before the guard looks at it.
PROCESS_INFORMATION StartEndedCopyOfThisProgram()
{
    PROCESS_INFORMATION info = {};
    wchar_t szPath[MAX_PATH] = {};
    if (GetModuleFileNameW(nullptr, szPath, MAX_PATH) == 0)
        return info;
    std::wstring command = L"\"" + std::wstring(szPath) + L"\" --gtest_list_tests";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(szPath, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return PROCESS_INFORMATION{};
    CloseHandle(info.hThread);
    WaitForSingleObject(info.hProcess, 20000);
    return info;
}

TEST(EndGuardRun, CopyOfTheProgramThatEndedBeforeTheGuardLooked_IsRestoredAfter)
{
    OtherProcess lowered;
    if (lowered.Handle() == nullptr)
        GTEST_SKIP() << "the boostee.exe helper could not be started (VEXRA_BUILD_DIR)";
    ASSERT_TRUE(SetPriorityClass(lowered.Handle(), BELOW_NORMAL_PRIORITY_CLASS));
    const PROCESS_INFORMATION ended = StartEndedCopyOfThisProgram();
    ASSERT_NE(ended.hProcess, nullptr);
    const CKernelHandle program(ended.hProcess);
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(program.Get(), 0));

    EXPECT_TRUE(GuardEndsAtOnce(EndGuardValueOfHandle(program.Get())));

    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(lowered.Handle()))
        << "the guard took the ended program for a wrong argument";
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);   // the guard raised itself
}

TEST(EndGuardStarter, HandleThatNamesNoCopyOfTheProgram_StartsNoGuard)
{
    EXPECT_EQ(0u, RunEndGuardStarter(0x7FFFFFF0u));
    EXPECT_EQ(0u, RunEndGuardStarter(EndGuardValueOfHandle(GetCurrentProcess())));
    OtherProcess other;
    if (other.Handle() == nullptr)
        GTEST_SKIP() << "the boostee.exe helper could not be started (VEXRA_BUILD_DIR)";
    EXPECT_EQ(0u, RunEndGuardStarter(EndGuardValueOfHandle(other.Handle())));
}

TEST(ProgramCopy, OnlyARunningProcessOfThisExecutableOtherThanThisOneIsACopy)
{
    EXPECT_FALSE(IsRunningCopyOfThisProgram(GetCurrentProcess()));
    EXPECT_FALSE(IsRunningCopyOfThisProgram(nullptr));
    OtherProcess other;
    if (other.Handle() == nullptr)
        GTEST_SKIP() << "the boostee.exe helper could not be started (VEXRA_BUILD_DIR)";
    EXPECT_FALSE(IsRunningCopyOfThisProgram(other.Handle())) << "another executable";
    EXPECT_NE(0u, ProcessCreationTime(other.Handle()));
}

// ---------------------------------------------------------------------------------------
// One restore at a time
// ---------------------------------------------------------------------------------------

TEST(RestoreHandshake, NewRunBegins_WhenTheInstanceMutexExists)
{
    CRestoreHandshake handshake(L"Local\\VexraTestInstanceA", L"Local\\VexraTestRestoringA");
    EXPECT_FALSE(handshake.HasNewRunBegun());
    CKernelHandle instance(CreateMutexW(nullptr, TRUE, L"Local\\VexraTestInstanceA"));
    ASSERT_TRUE(instance);
    EXPECT_TRUE(handshake.HasNewRunBegun());
    instance.Reset();
    EXPECT_FALSE(handshake.HasNewRunBegun()) << "the mutex of an ended run is gone with it";
}

DWORD WINAPI WaitForRestoreThread(LPVOID context)
{
    static_cast<const CRestoreHandshake*>(context)->WaitForEarlierRestore(20000);
    return 0;
}

TEST(RestoreHandshake, NewStart_WaitsUntilTheRestoringGuardIsDone)
{
    CRestoreHandshake guard(L"Local\\VexraTestInstanceB", L"Local\\VexraTestRestoringB");
    CRestoreHandshake newRun(L"Local\\VexraTestInstanceB", L"Local\\VexraTestRestoringB");
    ASSERT_TRUE(guard.BeginRestore());

    CKernelHandle waiter(CreateThread(nullptr, 0, WaitForRestoreThread, &newRun, 0, nullptr));
    ASSERT_TRUE(waiter);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(waiter.Get(), 300))
        << "the new start went on while the guard restored";
    guard.EndRestore();
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(waiter.Get(), 10000));
}

TEST(RestoreHandshake, NoGuardRestoring_NewStartGoesOnAtOnce)
{
    CRestoreHandshake newRun(L"Local\\VexraTestInstanceC", L"Local\\VexraTestRestoringC");
    CKernelHandle waiter(CreateThread(nullptr, 0, WaitForRestoreThread, &newRun, 0, nullptr));
    ASSERT_TRUE(waiter);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(waiter.Get(), 10000));
}
}  // namespace
