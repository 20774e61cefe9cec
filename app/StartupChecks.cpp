#include "app/StartupChecks.h"


namespace
{
// GetUserNameW's buffer for the mutex name; a longer name makes the call fail.
constexpr DWORD kMutexUserNameLength = 80;
}

BOOL CWin32StartupSystem::AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pAuthority,
                                                   BYTE nSubAuthorityCount,
                                                   DWORD dwSubAuthority0,
                                                   DWORD dwSubAuthority1, PSID* ppSid)
{
    return ::AllocateAndInitializeSid(pAuthority, nSubAuthorityCount, dwSubAuthority0,
                                      dwSubAuthority1, 0, 0, 0, 0, 0, 0, ppSid);
}

BOOL CWin32StartupSystem::CheckTokenMembership(HANDLE hToken, PSID pSid, PBOOL pbIsMember)
{
    return ::CheckTokenMembership(hToken, pSid, pbIsMember);
}

void CWin32StartupSystem::FreeSid(PSID pSid)
{
    ::FreeSid(pSid);
}

DWORD CWin32StartupSystem::GetExecutablePath(LPWSTR pszPath, DWORD nCount)
{
    return ::GetModuleFileNameW(nullptr, pszPath, nCount);
}

BOOL CWin32StartupSystem::StartShellVerb(SHELLEXECUTEINFOW* pInfo)
{
    return ::ShellExecuteExW(pInfo);
}

void CWin32StartupSystem::ReleaseInstanceMutex(CKernelHandle mutex)
{
    // Created owned and then waited on, the mutex is owned more than once; each ownership
    // needs its own release, or a handle still open elsewhere keeps it held by us.
    while (::ReleaseMutex(mutex.Get()))
    {
    }
}

BOOL IsUserAdministrator(IStartupSystem& system)
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID pAdministratorsGroup = nullptr;
    if (!system.AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, &pAdministratorsGroup))
        return FALSE;

    BOOL bIsMember = FALSE;
    const BOOL bChecked = system.CheckTokenMembership(nullptr, pAdministratorsGroup, &bIsMember);
    system.FreeSid(pAdministratorsGroup);
    return bChecked && bIsMember;
}

bool RelaunchElevatedIfNeeded(IStartupSystem& system, CKernelHandle& instanceMutex)
{
    if (IsUserAdministrator(system))
        return false;

    wchar_t szPath[MAX_PATH] = {};
    const DWORD nLength = system.GetExecutablePath(szPath, MAX_PATH);
    // A path that did not fit comes back cut short, naming some other file: never start
    // that elevated. Without the path there is nothing to relaunch: run unelevated.
    if (nLength == 0 || nLength >= MAX_PATH)
        return false;

    // The elevated copy creates the same mutex; while we still own it, the copy would
    // take us for a running instance and end.
    if (instanceMutex)
        system.ReleaseInstanceMutex(std::move(instanceMutex));

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = L"runas";
    info.lpFile = szPath;
    info.nShow = SW_SHOWNORMAL;
    system.StartShellVerb(&info);  // a refused prompt changes nothing: this copy ends anyway
    return true;
}

CString MakeInstanceMutexName(LPCWSTR pszPrefix, LPCWSTR pszUserName)
{
    CString strName(pszPrefix);
    if (pszUserName != nullptr)
        strName += pszUserName;
    return strName;
}

CString ReadUserNameForInstanceMutex()
{
    wchar_t szUser[kMutexUserNameLength] = {};
    DWORD nLength = kMutexUserNameLength;
    if (!::GetUserNameW(szUser, &nLength))
        return CString();
    return CString(szUser);
}

bool IsInstanceMutexHeldElsewhere(LPCWSTR pszName, CKernelHandle& mutex)
{
    mutex.Reset(::CreateMutexW(nullptr, TRUE, pszName));
    // A zero wait on a NULL handle fails (WAIT_FAILED): counted as another instance.
    return ::WaitForSingleObject(mutex.Get(), 0) != WAIT_OBJECT_0;
}
