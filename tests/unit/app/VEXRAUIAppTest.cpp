// The application object's own checks, run against real processes and windows.
#include "app/VEXRAUIApp.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
CString ThisUsersMutexName()
{
    wchar_t szUser[256] = {};
    DWORD nLength = 256;
    GetUserNameW(szUser, &nLength);
    return CString(L"Global\\MutexVexraFC") + szUser;
}

// Runs tests/helpers/mutex_holder.exe, which holds a named mutex until told to quit:
// another instance of this user, as far as the mutex can tell.
class MutexHolder
{
public:
    explicit MutexHolder(const CString& strName)
    {
        const wchar_t* pszBuild = _wgetenv(L"VEXRA_BUILD_DIR");
        if (pszBuild == nullptr)
            return;
        m_hReady = CreateEventW(nullptr, TRUE, FALSE, L"Local\\VexraAppTestReady");
        m_hQuit = CreateEventW(nullptr, TRUE, FALSE, L"Local\\VexraAppTestQuit");
        CString strCommand;
        strCommand.Format(
            L"\"%s\\tests\\helpers\\mutex_holder.exe\" %s Local\\VexraAppTestReady "
            L"Local\\VexraAppTestQuit",
            pszBuild, strName.GetString());
        std::vector<wchar_t> command(strCommand.GetString(),
                                     strCommand.GetString() + strCommand.GetLength() + 1);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &si, &m_pi))
        {
            HANDLE waitFor[2] = {m_hReady, m_pi.hProcess};
            m_bHolding = WaitForMultipleObjects(2, waitFor, FALSE, 30000) == WAIT_OBJECT_0;
        }
    }
    bool Holding() const { return m_bHolding; }
    void Quit()
    {
        if (m_pi.hProcess == nullptr)
            return;
        SetEvent(m_hQuit);
        WaitForSingleObject(m_pi.hProcess, 30000);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
        m_pi = {};
    }
    ~MutexHolder()
    {
        Quit();
        if (m_hReady)
            CloseHandle(m_hReady);
        if (m_hQuit)
            CloseHandle(m_hQuit);
    }

private:
    HANDLE m_hReady = nullptr;
    HANDLE m_hQuit = nullptr;
    PROCESS_INFORMATION m_pi = {};
    bool m_bHolding = false;
};

void CloseInstanceMutex(CVEXRAUIApp& app)
{
    if (app.m_instanceMutex)
    {
        ReleaseMutex(app.m_instanceMutex.Get());
        app.m_instanceMutex.Reset();
    }
}

TEST(VEXRAUIApp, IsAnotherInstanceRunning_WhileThisUsersInstanceHoldsTheMutex)
{
    MutexHolder holder(ThisUsersMutexName());
    ASSERT_TRUE(holder.Holding()) << "mutex_holder.exe did not take " << ThisUsersMutexName()
                                  << " (is a Vexra instance running in this prefix?)";
    {
        CVEXRAUIApp app;
        EXPECT_TRUE(app.IsAnotherInstanceRunning());
        EXPECT_TRUE(app.m_instanceMutex);
    }
    holder.Quit();

    CVEXRAUIApp app;
    EXPECT_FALSE(app.IsAnotherInstanceRunning());
    CloseInstanceMutex(app);
}

// A top-level window standing in for a running instance's main window.
class StandInWindow
{
public:
    explicit StandInWindow(LPCWSTR pszTitle)
    {
        m_hWnd = CreateWindowExW(0, L"STATIC", pszTitle, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~StandInWindow()
    {
        if (m_hWnd)
            DestroyWindow(m_hWnd);
    }
    HWND m_hWnd = nullptr;
};

TEST(VEXRAUIApp, ShowRunningInstance_ShowsAHiddenWindowAndRestoresAMinimisedOne)
{
    CString strTitle;
    strTitle.Format(L"Vexra test stand-in %lu", GetCurrentProcessId());
    StandInWindow window(strTitle);
    ASSERT_NE(nullptr, window.m_hWnd);
    CVEXRAUIApp app;

    ASSERT_FALSE(IsWindowVisible(window.m_hWnd));
    app.ShowRunningInstance(strTitle);
    EXPECT_TRUE(IsWindowVisible(window.m_hWnd));

    ShowWindow(window.m_hWnd, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window.m_hWnd));
    app.ShowRunningInstance(strTitle);
    EXPECT_FALSE(IsIconic(window.m_hWnd));
    EXPECT_TRUE(IsWindowVisible(window.m_hWnd));
}

}  // namespace
