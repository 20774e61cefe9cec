#include "Boostee.h"
#include "framework/Handle.h"

#include <cstdlib>

std::wstring HelpersFolder()
{
    const wchar_t* build = _wgetenv(L"VEXRA_BUILD_DIR");
    if (build == nullptr || *build == L'\0')
        return std::wstring();
    // VEXRA_BUILD_DIR is the Unix path of the build; Wine shows the root as drive Z:.
    std::wstring folder = build;
    if (folder[0] == L'/')
        folder = L"Z:" + folder;
    for (wchar_t& ch : folder)
    {
        if (ch == L'/')
            ch = L'\\';
    }
    return folder + L"\\tests\\helpers";
}

namespace
{
struct WINDOW_SEARCH
{
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND hWnd, LPARAM context)
{
    auto* search = reinterpret_cast<WINDOW_SEARCH*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(hWnd, &owner);
    if (owner == search->pid && IsWindowVisible(hWnd))
    {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}
}

bool CBoostee::Start(const std::wstring& exePath, const std::wstring& title)
{
    End();
    std::wstring commandLine = L"\"" + exePath + L"\" " + title;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exePath.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &m_info))
    {
        m_info = PROCESS_INFORMATION();
        return false;
    }
    return PollUntil([this] {
        WINDOW_SEARCH search = {m_info.dwProcessId, NULL};
        EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
        m_hWnd = search.found;
        return m_hWnd != NULL;
    });
}

void CBoostee::End()
{
    if (m_info.hProcess != NULL)
    {
        TerminateProcess(m_info.hProcess, 0);
        WaitForSingleObject(m_info.hProcess, 10000);
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
    }
    m_info = PROCESS_INFORMATION();
    m_hWnd = NULL;
}

DWORD ReadPriorityClass(DWORD pid)
{
    const CKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
    return process ? GetPriorityClass(process.Get()) : 0;
}

bool WaitUntilProcessGone(DWORD pid)
{
    return PollUntil([pid] {
        return !CKernelHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    });
}
