// The application object as AfxWinMain runs it: the exit code, the message loop after an
// InitInstance that returns TRUE, OLE undone at the end, and the restart registration.
#include <objbase.h>

#include "FrameworkTestSupport.h"

#include <string>
#include <utility>

namespace {

class CTestApp : public CWinApp
{
public:
    BOOL m_bContinue = FALSE;
    int m_nExitCode = 0;
    bool m_bOleInitialized = false;
    int m_nExitCalls = 0;

    BOOL InitInstance() override
    {
        CWinApp::InitInstance();
        AfxEnableControlContainer();
        m_bOleInitialized = AfxOleInit() != FALSE;
        SetRegistryKey(L"Local AppWizard-Generated Applications");
        if (m_bContinue)
            ::PostQuitMessage(m_nExitCode);
        return m_bContinue;
    }
    int ExitInstance() override
    {
        ++m_nExitCalls;
        const int nFromFramework = CWinApp::ExitInstance();
        return m_bContinue ? nFromFramework : m_nExitCode;
    }
};

// After the program ends, the thread must be free of OLE again: a fresh apartment of
// another kind can only be entered if the framework's OleInitialize was undone.
bool ThreadIsFreeOfOle()
{
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr))
        ::CoUninitialize();
    return hr == S_OK;
}

}  // namespace

TEST(WinApp, InitInstanceFalse_EndsWithTheExitInstanceCode)
{
    CTestApp app;
    app.m_nExitCode = 7;
    EXPECT_EQ(&app, AfxGetApp());
    HINSTANCE hInstance = ::GetModuleHandleW(nullptr);
    EXPECT_EQ(7, AfxWinMain(hInstance, nullptr, const_cast<LPWSTR>(L""), SW_SHOW));
    EXPECT_EQ(1, app.m_nExitCalls);
    EXPECT_EQ(hInstance, AfxGetInstanceHandle());
    EXPECT_STREQ(L"Local AppWizard-Generated Applications", app.m_strRegistryKey);
    EXPECT_TRUE(app.m_bOleInitialized);
    EXPECT_TRUE(ThreadIsFreeOfOle());
}

TEST(WinApp, InitInstanceTrue_RunsTheLoopUntilQuit)
{
    CTestApp app;
    app.m_bContinue = TRUE;
    app.m_nExitCode = 5;
    EXPECT_EQ(5, AfxWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW));
    EXPECT_EQ(1, app.m_nExitCalls);
    EXPECT_TRUE(ThreadIsFreeOfOle());
}

namespace {

// Records the registration instead of making it: Wine accepts it and cannot tell it back.
class CRestartRecordingApp : public CWinApp
{
public:
    HRESULT RegisterWithRestartManager(LPCWSTR pwzCommandLineArgs, DWORD dwRestartFlags) override
    {
        m_registrations.push_back({pwzCommandLineArgs, dwRestartFlags});
        return S_OK;
    }

    std::vector<std::pair<std::wstring, DWORD>> m_registrations;
};

}  // namespace

TEST(WinApp, InitInstance_WithRestartSupport_RegistersOnceForCrashHangAndUpdate)
{
    CRestartRecordingApp app;
    app.m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
    EXPECT_TRUE(app.InitInstance());
    ASSERT_EQ(app.m_registrations.size(), 1u);
    EXPECT_EQ(app.m_registrations[0].first, L"/restart");
    // Crash, hang and update restarts stay on; only the restart after a reboot is left
    // to the program's own start at logon.
    EXPECT_EQ(app.m_registrations[0].second, static_cast<DWORD>(RESTART_NO_REBOOT));
}

TEST(WinApp, InitInstance_WithoutRestartSupport_DoesNotRegister)
{
    CRestartRecordingApp app;
    EXPECT_TRUE(app.InitInstance());
    EXPECT_TRUE(app.m_registrations.empty());
}
