// Start-up decisions: the per-user instance mutex and the elevation relaunch.
#include "app/StartupChecks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// ---------------------------------------------------------------------------------------
// Instance mutex
// ---------------------------------------------------------------------------------------

const wchar_t kPrefix[] = L"Global\\MutexVexraFC";

// A mutex name no other test or process uses.
CString UniqueMutexName(const wchar_t* pszTag)
{
    CString strName;
    strName.Format(L"Local\\VexraTest_%s_%lu_%lu", pszTag, GetCurrentProcessId(),
                   GetTickCount());
    return strName;
}

TEST(InstanceMutexName, UserNameFollowsPrefixWithoutSeparator)
{
    EXPECT_STREQ(L"Global\\MutexVexraFCuser1", MakeInstanceMutexName(kPrefix, L"user1"));
    EXPECT_STREQ(L"Global\\MutexVexraFC", MakeInstanceMutexName(kPrefix, L""));
    EXPECT_STREQ(L"Global\\MutexVexraFC", MakeInstanceMutexName(kPrefix, nullptr));
    EXPECT_NE(MakeInstanceMutexName(kPrefix, L"alice"), MakeInstanceMutexName(kPrefix, L"bob"));
}

TEST(InstanceMutexName, ReadUserName_NormalName_IsTheLogonName)
{
    wchar_t szUser[256] = {};
    DWORD nLength = 256;
    ASSERT_TRUE(GetUserNameW(szUser, &nLength));
    ASSERT_LT(wcslen(szUser), 80u);
    EXPECT_STREQ(szUser, ReadUserNameForInstanceMutex());
}

// Wine answers GetUserNameW from the WINEUSERNAME variable; that lets this test give the
// process a long user name. On Windows the variable means nothing and the test skips.
TEST(InstanceMutexName, ReadUserName_EightyCharactersOrMore_GivesEmptyUserPart)
{
    wchar_t szOld[512] = {};
    const DWORD nOld = GetEnvironmentVariableW(L"WINEUSERNAME", szOld, 512);
    const std::wstring longName(80, L'u');
    SetEnvironmentVariableW(L"WINEUSERNAME", longName.c_str());

    wchar_t szUser[256] = {};
    DWORD nLength = 256;
    const bool bTookLongName = GetUserNameW(szUser, &nLength) && longName == szUser;
    const CString strRead = ReadUserNameForInstanceMutex();

    const std::wstring exactly79(79, L'v');
    SetEnvironmentVariableW(L"WINEUSERNAME", exactly79.c_str());
    const CString strRead79 = ReadUserNameForInstanceMutex();

    SetEnvironmentVariableW(L"WINEUSERNAME", nOld > 0 ? szOld : nullptr);
    if (!bTookLongName)
        GTEST_SKIP() << "GetUserNameW does not follow WINEUSERNAME here";

    EXPECT_TRUE(strRead.IsEmpty());
    EXPECT_STREQ(L"Global\\MutexVexraFC", MakeInstanceMutexName(kPrefix, strRead));
    EXPECT_STREQ(exactly79.c_str(), strRead79);
}

TEST(InstanceMutex, FirstCreate_OwnsIt_AndASecondCreateInTheSameProcessToo)
{
    const CString strName = UniqueMutexName(L"same");
    CKernelHandle first, second;
    EXPECT_FALSE(IsInstanceMutexHeldElsewhere(strName, first));
    ASSERT_TRUE(first);
    // The owning thread re-acquires its own mutex: not another instance.
    EXPECT_FALSE(IsInstanceMutexHeldElsewhere(strName, second));
    ASSERT_TRUE(second);
    ReleaseMutex(second.Get());
    ReleaseMutex(first.Get());
    ReleaseMutex(first.Get());  // created owned and waited on once more
}

DWORD WINAPI WaitForMutexOnce(LPVOID hMutex)
{
    const DWORD dwResult = WaitForSingleObject(static_cast<HANDLE>(hMutex), 0);
    if (dwResult == WAIT_OBJECT_0 || dwResult == WAIT_ABANDONED)
        ReleaseMutex(static_cast<HANDLE>(hMutex));
    return dwResult;
}

TEST(InstanceMutex, ReleasedForTheElevatedCopy_IsFreeForAnotherThread)
{
    const CString strName = UniqueMutexName(L"release");
    CKernelHandle owned;
    ASSERT_FALSE(IsInstanceMutexHeldElsewhere(strName, owned));
    // Another handle keeps the named mutex alive after ours is closed, as a start of
    // another copy at that moment would.
    const CKernelHandle other(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, strName));
    ASSERT_TRUE(other);

    CWin32StartupSystem system;
    system.ReleaseInstanceMutex(std::move(owned));

    const CKernelHandle thread(CreateThread(nullptr, 0, WaitForMutexOnce, other.Get(), 0, nullptr));
    ASSERT_TRUE(thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Get(), 10000));
    DWORD dwWait = WAIT_FAILED;
    GetExitCodeThread(thread.Get(), &dwWait);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), dwWait);
}

TEST(InstanceMutex, NameThatCannotBeCreated_CountsAsAnotherInstance)
{
    CKernelHandle handle;
    // A backslash outside the Global/Local namespaces names a path that does not exist.
    EXPECT_TRUE(IsInstanceMutexHeldElsewhere(L"NoSuchNamespace\\VexraTest", handle));
    EXPECT_FALSE(handle);
}

// ---------------------------------------------------------------------------------------
// Elevation
// ---------------------------------------------------------------------------------------

// Records every call; answers as configured. The SID comes from the real call so that the
// test can check which group is asked about.
class FakeStartupSystem : public IStartupSystem
{
public:
    BOOL bAllocateSucceeds = TRUE;
    BOOL bCheckSucceeds = TRUE;
    BOOL bIsMember = TRUE;
    std::wstring modulePath = L"C:\\Program Files\\Vexra\\VEXRA-by-Teskor.exe";

    std::vector<std::string> calls;
    bool bSidWasAdministrators = false;
    int nSidsFreed = 0;
    SHELLEXECUTEINFOW executed = {};
    std::wstring executedVerb, executedFile;
    CKernelHandle releasedMutex;

    BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pAuthority, BYTE nCount,
                                  DWORD dwSub0, DWORD dwSub1, PSID* ppSid) override
    {
        calls.push_back("AllocateAndInitializeSid");
        if (!bAllocateSucceeds)
            return FALSE;
        if (!::AllocateAndInitializeSid(pAuthority, nCount, dwSub0, dwSub1, 0, 0, 0, 0, 0, 0,
                                        ppSid))
            return FALSE;
        BYTE wellKnown[SECURITY_MAX_SID_SIZE];
        DWORD cbWellKnown = sizeof(wellKnown);
        bSidWasAdministrators =
            CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, wellKnown, &cbWellKnown) &&
            EqualSid(*ppSid, wellKnown);
        return TRUE;
    }
    BOOL CheckTokenMembership(HANDLE, PSID, PBOOL pbIsMember) override
    {
        calls.push_back("CheckTokenMembership");
        if (!bCheckSucceeds)
            return FALSE;
        *pbIsMember = bIsMember;
        return TRUE;
    }
    void FreeSid(PSID pSid) override
    {
        calls.push_back("FreeSid");
        ++nSidsFreed;
        ::FreeSid(pSid);
    }
    DWORD GetExecutablePath(LPWSTR pszPath, DWORD nCount) override
    {
        calls.push_back("GetExecutablePath");
        if (modulePath.empty())
            return 0;
        if (modulePath.size() >= nCount)
        {
            // What Windows does with a path that does not fit: cut it, return the size.
            wcsncpy(pszPath, modulePath.c_str(), nCount - 1);
            pszPath[nCount - 1] = L'\0';
            return nCount;
        }
        wcscpy(pszPath, modulePath.c_str());
        return static_cast<DWORD>(modulePath.size());
    }
    BOOL StartShellVerb(SHELLEXECUTEINFOW* pInfo) override
    {
        calls.push_back("StartShellVerb");
        executed = *pInfo;
        executedVerb = pInfo->lpVerb ? pInfo->lpVerb : L"";
        executedFile = pInfo->lpFile ? pInfo->lpFile : L"";
        return FALSE;  // as if the user declined the prompt
    }
    void ReleaseInstanceMutex(CKernelHandle mutex) override
    {
        calls.push_back("ReleaseInstanceMutex");
        releasedMutex = std::move(mutex);
    }
};

// Stands for the instance mutex: any handle of this process that can be closed.
CKernelHandle SomeMutex()
{
    return CKernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

TEST(IsUserAdministrator, AsksAboutTheBuiltinAdministratorsGroup_AndFreesTheSid)
{
    FakeStartupSystem system;
    EXPECT_TRUE(IsUserAdministrator(system));
    EXPECT_TRUE(system.bSidWasAdministrators);
    EXPECT_EQ(1, system.nSidsFreed);

    system.bIsMember = FALSE;
    EXPECT_FALSE(IsUserAdministrator(system));
    EXPECT_EQ(2, system.nSidsFreed);
}

TEST(IsUserAdministrator, FailingChecks_CountAsNotAdministrator)
{
    FakeStartupSystem allocateFails;
    allocateFails.bAllocateSucceeds = FALSE;
    EXPECT_FALSE(IsUserAdministrator(allocateFails));
    EXPECT_EQ(std::vector<std::string>{"AllocateAndInitializeSid"}, allocateFails.calls);

    FakeStartupSystem checkFails;
    checkFails.bCheckSucceeds = FALSE;
    checkFails.bIsMember = TRUE;  // whatever the flag holds, a failed check decides nothing
    EXPECT_FALSE(IsUserAdministrator(checkFails));
    EXPECT_EQ(1, checkFails.nSidsFreed);
}

TEST(IsUserAdministrator, RealCalls_AgreeWithTheWellKnownAdministratorsSid)
{
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD cbSid = sizeof(administrators);
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &cbSid));
    BOOL bExpected = FALSE;
    ASSERT_TRUE(CheckTokenMembership(nullptr, administrators, &bExpected));

    CWin32StartupSystem system;
    EXPECT_EQ(bExpected != FALSE, IsUserAdministrator(system) != FALSE);
}

TEST(RelaunchElevated, Administrator_GoesOnWithoutRelaunch)
{
    FakeStartupSystem system;
    CKernelHandle mutex = SomeMutex();
    const HANDLE hMutex = mutex.Get();
    EXPECT_FALSE(RelaunchElevatedIfNeeded(system, mutex));
    EXPECT_EQ(hMutex, mutex.Get());
    EXPECT_FALSE(system.releasedMutex);
    for (const std::string& call : system.calls)
        EXPECT_NE("StartShellVerb", call);
}

TEST(RelaunchElevated, NotAdministrator_ClosesTheMutexThenRunsItselfAsAdministrator)
{
    FakeStartupSystem system;
    system.bIsMember = FALSE;
    CKernelHandle mutex = SomeMutex();
    const HANDLE hMutex = mutex.Get();
    EXPECT_TRUE(RelaunchElevatedIfNeeded(system, mutex));

    EXPECT_FALSE(mutex);
    EXPECT_EQ(hMutex, system.releasedMutex.Get());
    const std::vector<std::string> tail(system.calls.end() - 3, system.calls.end());
    EXPECT_EQ((std::vector<std::string>{"GetExecutablePath", "ReleaseInstanceMutex",
                                        "StartShellVerb"}),
              tail);

    // The structure of the build's own architecture: 60 bytes on x86, 112 on x64.
    EXPECT_EQ(sizeof(SHELLEXECUTEINFOW), system.executed.cbSize);
    EXPECT_EQ(sizeof(void*) == 8 ? 112u : 60u, system.executed.cbSize);
    EXPECT_EQ(0u, system.executed.fMask);
    EXPECT_EQ(nullptr, system.executed.hwnd);
    EXPECT_EQ(L"runas", system.executedVerb);
    EXPECT_EQ(system.modulePath, system.executedFile);
    EXPECT_EQ(nullptr, system.executed.lpParameters);
    EXPECT_EQ(nullptr, system.executed.lpDirectory);
    EXPECT_EQ(SW_SHOWNORMAL, system.executed.nShow);
}

TEST(RelaunchElevated, FailedMembershipCheck_Relaunches)
{
    FakeStartupSystem system;
    system.bCheckSucceeds = FALSE;
    CKernelHandle mutex = SomeMutex();
    EXPECT_TRUE(RelaunchElevatedIfNeeded(system, mutex));
    EXPECT_EQ(L"runas", system.executedVerb);
}

TEST(RelaunchElevated, PathUnreadable_GoesOnUnelevatedAndKeepsTheMutex)
{
    FakeStartupSystem system;
    system.bIsMember = FALSE;
    system.modulePath.clear();
    CKernelHandle mutex = SomeMutex();
    const HANDLE hMutex = mutex.Get();
    EXPECT_FALSE(RelaunchElevatedIfNeeded(system, mutex));
    EXPECT_EQ(hMutex, mutex.Get());
    EXPECT_FALSE(system.releasedMutex);
    EXPECT_EQ(L"", system.executedVerb);
}

TEST(RelaunchElevated, PathLongerThanTheBuffer_IsNotStartedCutShort)
{
    FakeStartupSystem system;
    system.bIsMember = FALSE;
    system.modulePath = L"C:\\" + std::wstring(300, L'd') + L"\\VEXRA-by-Teskor.exe";
    CKernelHandle mutex = SomeMutex();
    const HANDLE hMutex = mutex.Get();
    EXPECT_FALSE(RelaunchElevatedIfNeeded(system, mutex));
    EXPECT_EQ(hMutex, mutex.Get());
    EXPECT_EQ(L"", system.executedVerb);
}
}  // namespace
