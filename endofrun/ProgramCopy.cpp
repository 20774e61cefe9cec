#include "endofrun/ProgramCopy.h"

#include "endofrun/EndGuardHandle.h"
#include "engine/Utf16Bridge.h"

#include <vector>

namespace
{
bool FileIdentity(const wchar_t* pszPath, BY_HANDLE_FILE_INFORMATION& info)
{
    // No access asked for: only the file's identity is read, and a running executable
    // can be opened so.
    CFileHandle file(::CreateFileW(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    return file && ::GetFileInformationByHandle(file.Get(), &info) != FALSE;
}

bool IsSameFile(const wchar_t* pszFirst, const wchar_t* pszSecond)
{
    BY_HANDLE_FILE_INFORMATION first = {}, second = {};
    if (!FileIdentity(pszFirst, first) || !FileIdentity(pszSecond, second))
        return false;
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

CString ImagePathOf(HANDLE hProcess)
{
    wchar_t szPath[MAX_PATH * 2] = {};
    DWORD nLength = ARRAYSIZE(szPath);
    if (!::QueryFullProcessImageNameW(hProcess, 0, szPath, &nLength))
        return CString();
    return CString(szPath);
}

bool IsProcessInAJob()
{
    BOOL inJob = FALSE;
    return ::IsProcessInJob(::GetCurrentProcess(), nullptr, &inJob) && inJob;
}

// An attribute list naming the one handle the copy may inherit.
class CInheritOnly
{
public:
    explicit CInheritOnly(HANDLE& handle)
    {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_buffer.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data());
        if (size == 0 || !::InitializeProcThreadAttributeList(list, 1, 0, &size))
            return;
        m_initialised = true;
        m_ready = ::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle,
                                              sizeof(handle), nullptr, nullptr) != FALSE;
    }
    ~CInheritOnly()
    {
        if (m_initialised)
            ::DeleteProcThreadAttributeList(List());
    }
    CInheritOnly(const CInheritOnly&) = delete;
    CInheritOnly& operator=(const CInheritOnly&) = delete;

    bool IsReady() const { return m_ready; }
    LPPROC_THREAD_ATTRIBUTE_LIST List()
    {
        return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data());
    }

private:
    std::vector<unsigned char> m_buffer;
    bool m_initialised = false;
    bool m_ready = false;
};
}  // namespace

CString ThisProgramPath()
{
    wchar_t szPath[MAX_PATH] = {};
    const DWORD nLength = ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return CString();
    return CString(szPath);
}

bool IsRunningCopyOfThisProgram(HANDLE hProcess)
{
    return IsCopyOfThisProgram(hProcess) && ::WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT;
}

bool IsCopyOfThisProgram(HANDLE hProcess)
{
    const DWORD pid = ::GetProcessId(hProcess);
    if (pid == 0 || pid == ::GetCurrentProcessId())
        return false;
    const CString strImage = ImagePathOf(hProcess);
    const CString strSelf = ThisProgramPath();
    return !strImage.IsEmpty() && !strSelf.IsEmpty() &&
           IsSameFile(strImage.GetString(), strSelf.GetString());
}

ULONGLONG ProcessCreationTime(HANDLE hProcess)
{
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    if (!::GetProcessTimes(hProcess, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

bool StartCopyOfThisProgram(EndGuardRole role, HANDLE hProgram, PROCESS_INFORMATION& info)
{
    const CString strPath = ThisProgramPath();
    if (strPath.IsEmpty())
        return false;
    CString strCommandLine;
    strCommandLine.Format(
        L"\"%s\" %s", strPath.GetString(),
        FromU16(MakeEndGuardArgument(role, EndGuardValueOfHandle(hProgram))).GetString());
    std::vector<wchar_t> writable(strCommandLine.GetString(),
                                  strCommandLine.GetString() + strCommandLine.GetLength() + 1);

    HANDLE inherited = hProgram;
    CInheritOnly inheritOnly(inherited);
    if (!inheritOnly.IsReady())
        return false;
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    // The copy shows nothing: no busy pointer waiting for a window that never comes.
    startup.StartupInfo.dwFlags = STARTF_FORCEOFFFEEDBACK;
    startup.lpAttributeList = inheritOnly.List();

    const DWORD flags = EXTENDED_STARTUPINFO_PRESENT | REALTIME_PRIORITY_CLASS;
    // A job that does not let its processes leave refuses the whole start: the copy then
    // starts inside it, which is still better than no guard.
    if (IsProcessInAJob() &&
        ::CreateProcessW(strPath.GetString(), writable.data(), nullptr, nullptr, TRUE,
                         flags | CREATE_BREAKAWAY_FROM_JOB, nullptr, nullptr,
                         &startup.StartupInfo, &info))
        return true;
    return ::CreateProcessW(strPath.GetString(), writable.data(), nullptr, nullptr, TRUE, flags,
                            nullptr, nullptr, &startup.StartupInfo, &info) != FALSE;
}
