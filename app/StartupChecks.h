// The two checks that decide whether this process may run: one instance per user
// (a named mutex) and administrator rights (else an elevated copy is started).
// The Windows calls of the elevation decision sit behind IStartupSystem so that the
// non-administrator path can run in a test: under Wine every user is an administrator.
#pragma once

#include "framework/Afx.h"
#include "framework/Handle.h"

#include <shellapi.h>

// The Windows calls the elevation decision makes.
class IStartupSystem
{
public:
    virtual ~IStartupSystem() = default;

    virtual BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pAuthority,
                                          BYTE nSubAuthorityCount, DWORD dwSubAuthority0,
                                          DWORD dwSubAuthority1, PSID* ppSid) = 0;
    virtual BOOL CheckTokenMembership(HANDLE hToken, PSID pSid, PBOOL pbIsMember) = 0;
    virtual void FreeSid(PSID pSid) = 0;
    virtual DWORD GetExecutablePath(LPWSTR pszPath, DWORD nCount) = 0;
    virtual BOOL StartShellVerb(SHELLEXECUTEINFOW* pInfo) = 0;
    // Gives up ownership of the instance mutex and closes the handle.
    virtual void ReleaseInstanceMutex(CKernelHandle mutex) = 0;
};

// The real calls.
class CWin32StartupSystem : public IStartupSystem
{
public:
    BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pAuthority, BYTE nSubAuthorityCount,
                                  DWORD dwSubAuthority0, DWORD dwSubAuthority1,
                                  PSID* ppSid) override;
    BOOL CheckTokenMembership(HANDLE hToken, PSID pSid, PBOOL pbIsMember) override;
    void FreeSid(PSID pSid) override;
    DWORD GetExecutablePath(LPWSTR pszPath, DWORD nCount) override;
    BOOL StartShellVerb(SHELLEXECUTEINFOW* pInfo) override;
    void ReleaseInstanceMutex(CKernelHandle mutex) override;
};

// Whether the calling thread's token is a member of the built-in Administrators group.
// When the group's SID cannot be built or the membership cannot be tested, the user
// counts as not an administrator.
BOOL IsUserAdministrator(IStartupSystem& system);

// Starts an elevated copy of this executable ("runas", no command line) when the user is
// not an administrator. The instance mutex is released and closed first, so the copy
// starts as the only instance; instanceMutex is then empty. Returns true when this process
// must end now (with exit code 1), whether or not the copy really started; false when it
// may go on (administrator, or the executable's path cannot be read).
bool RelaunchElevatedIfNeeded(IStartupSystem& system, CKernelHandle& instanceMutex);

// The name of the per-user instance mutex: the prefix followed directly by the user name,
// with no separator. An empty user name gives the bare prefix.
CString MakeInstanceMutexName(LPCWSTR pszPrefix, LPCWSTR pszUserName);

// The user name as the instance mutex uses it: read into 80 characters, so a longer name
// (or any failure) gives the empty string.
CString ReadUserNameForInstanceMutex();

// Creates (or opens) the instance mutex, asking for ownership, and keeps its handle in
// mutex. Returns true when another instance holds it: anything but WAIT_OBJECT_0 from a
// zero wait, including a mutex that could not be created at all.
bool IsInstanceMutexHeldElsewhere(LPCWSTR pszName, CKernelHandle& mutex);
