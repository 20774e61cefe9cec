#include "engine/ProcessIdentity.h"

#include "engine/ProcessAccess.h"
#include "engine/ProcessSystem.h"
#include "framework/Handle.h"

#include <aclapi.h>
#include <psapi.h>
#include <wtsapi32.h>

#include <cstddef>
#include <vector>

// The level-1 record is declared here by hand, so it is checked against the system's own
// layout for the architecture being built: its first four fields are those of the level-0
// record WTS_PROCESS_INFOW, which the SDK declares, and the rest are laid out as Windows
// documents them (56 bytes on x86, 64 on x64, the times 8-aligned).
static_assert(offsetof(WtsProcessInfoExW, SessionId) == offsetof(WTS_PROCESS_INFOW, SessionId), "");
static_assert(offsetof(WtsProcessInfoExW, ProcessId) == offsetof(WTS_PROCESS_INFOW, ProcessId), "");
static_assert(offsetof(WtsProcessInfoExW, pProcessName) == offsetof(WTS_PROCESS_INFOW, pProcessName),
              "");
static_assert(offsetof(WtsProcessInfoExW, pUserSid) == offsetof(WTS_PROCESS_INFOW, pUserSid), "");
static_assert(offsetof(WtsProcessInfoExW, NumberOfThreads) == sizeof(WTS_PROCESS_INFOW), "");
static_assert(offsetof(WtsProcessInfoExW, UserTime) == (sizeof(void*) == 8 ? 48 : 40), "");
static_assert(sizeof(WtsProcessInfoExW) == (sizeof(void*) == 8 ? 64 : 56), "");

CString g_strProcessName;
CString g_strProcessDomain;
CString g_strProcessUser;

namespace
{
const DWORD ACCOUNT_NAME_CAPACITY = 255;

CString ReadExecutableName(HANDLE process)
{
    wchar_t name[IMAGE_NAME_CAPACITY] = {};
    // The first module is the executable. A 32-bit program sees no modules of a 64-bit
    // process, which then gets its device path instead.
    HMODULE firstModule = NULL;
    DWORD bytesNeeded = 0;
    if (EnumProcessModules(process, &firstModule, sizeof(firstModule), &bytesNeeded)
        && firstModule != NULL)
        GetModuleBaseNameW(process, firstModule, name, IMAGE_NAME_CAPACITY);
    else
        GetProcessImageFileNameW(process, name, IMAGE_NAME_CAPACITY);
    name[IMAGE_NAME_CAPACITY - 1] = L'\0';
    return CString(name);
}

// Names the account of a SID into the owner strings; FALSE when the SID has no name here.
BOOL StoreAccountOfSid(PSID sid)
{
    wchar_t name[ACCOUNT_NAME_CAPACITY] = {};
    wchar_t domain[ACCOUNT_NAME_CAPACITY] = {};
    DWORD nameCount = ACCOUNT_NAME_CAPACITY;
    DWORD domainCount = ACCOUNT_NAME_CAPACITY;
    SID_NAME_USE use = SidTypeUnknown;
    if (!LookupAccountSidW(NULL, sid, name, &nameCount, domain, &domainCount, &use))
        return FALSE;
    g_strProcessUser = name;
    g_strProcessDomain = domain;
    return TRUE;
}

// The user the process runs as. FALSE when its token cannot be read.
BOOL LookupTokenUser(HANDLE process)
{
    CKernelHandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.Receive()))
        return FALSE;
    DWORD length = 0;
    GetTokenInformation(token.Get(), TokenUser, NULL, 0, &length);
    if (length < sizeof(TOKEN_USER))
        return FALSE;
    std::vector<BYTE> buffer(length);
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), length, &length))
        return FALSE;
    StoreAccountOfSid(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    return TRUE;
}

// The owner recorded in the process object's security descriptor. Elevated processes
// are owned by Administrators, so this cannot tell users apart; it is the last resort.
void LookupDescriptorOwner(HANDLE process)
{
    PSID owner = NULL;
    COwned<CLocalMemoryTraits> descriptor;  // the owner SID points into it
    if (GetSecurityInfo(process, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, NULL,
                        NULL, NULL, descriptor.Receive()) != ERROR_SUCCESS)
        return;
    if (owner != NULL)
        StoreAccountOfSid(owner);
}

typedef BOOL(WINAPI* EnumerateProcessesExFn)(HANDLE server, DWORD* level, DWORD sessionId,
                                             LPWSTR* processInfo, DWORD* count);
typedef BOOL(WINAPI* FreeMemoryExFn)(int typeClass, PVOID memory, ULONG count);
const DWORD WTS_PROCESS_INFO_LEVEL_1 = 1;
const int WTS_TYPE_PROCESS_INFO_LEVEL_1 = 1;   // WTS_TYPE_CLASS WTSTypeProcessInfoLevel1

// wtsapi32 stays loaded for the rest of the program once the fallback is needed.
HMODULE WtsApiModule()
{
    static HMODULE module = LoadLibraryW(L"wtsapi32.dll");
    return module;
}
}

LPCWSTR FindWtsProcessName(const WtsProcessInfoExW* entries, DWORD count, DWORD pid)
{
    for (DWORD i = 0; entries != NULL && i < count; ++i)
    {
        if (entries[i].ProcessId == pid)
            return entries[i].pProcessName;
    }
    return NULL;
}

void GetFallbackProcessName(DWORD pid)
{
    HMODULE module = WtsApiModule();
    if (module == NULL)
        return;
    auto enumerate = reinterpret_cast<EnumerateProcessesExFn>(
        GetProcAddress(module, "WTSEnumerateProcessesExW"));
    auto freeEx = reinterpret_cast<FreeMemoryExFn>(GetProcAddress(module, "WTSFreeMemoryExW"));
    if (enumerate == NULL)
        return;

    DWORD level = WTS_PROCESS_INFO_LEVEL_1;
    LPWSTR list = NULL;
    DWORD count = 0;
    if (!enumerate(WTS_CURRENT_SERVER_HANDLE, &level, WTS_CURRENT_SESSION, &list, &count)
        || list == NULL)
        return;

    const auto* entries = reinterpret_cast<const WtsProcessInfoExW*>(list);
    LPCWSTR name = FindWtsProcessName(entries, count, pid);
    if (name != NULL)
        g_strProcessName = name;

    // A level-1 list holds separate allocations (names, SIDs); only the Ex call frees all.
    if (freeEx != NULL)
        freeEx(WTS_TYPE_PROCESS_INFO_LEVEL_1, list, count);
    else
        WTSFreeMemory(list);
}

void LookupProcessOwner(DWORD pid)
{
    CKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS_VISTA, FALSE, pid));
    if (!process)
        return;
    if (!LookupTokenUser(process.Get()))
        LookupDescriptorOwner(process.Get());
}

void LookupProcessIdentity(DWORD pid)
{
    {
        CKernelHandle process(OpenProcess(PROCESS_READ_NAME_ACCESS, FALSE, pid));
        g_strProcessName = process ? ReadExecutableName(process.Get()) : CString();
    }
    if (g_strProcessName.IsEmpty())
        GetFallbackProcessName(pid);
    LookupProcessOwner(pid);
}
