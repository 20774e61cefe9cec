#include "framework/WinApp.h"

#include <ole2.h>

#include "framework/WndInternals.h"

namespace {

CWinApp* g_pApp = nullptr;
bool g_bOleInitialized = false;

}  // namespace

CWinApp::CWinApp()
{
    g_pApp = this;  // the one application object
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    // Not after a reboot: the program starts at logon by itself, and a second start would
    // only bring the first one's window up.
    if (m_dwRestartManagerSupportFlags & AFX_RESTART_MANAGER_SUPPORT_RESTART)
        RegisterWithRestartManager(AFX_RESTART_COMMAND_LINE, RESTART_NO_REBOOT);
    return TRUE;
}

HRESULT CWinApp::RegisterWithRestartManager(LPCWSTR pwzCommandLineArgs, DWORD dwRestartFlags)
{
    return ::RegisterApplicationRestart(pwzCommandLineArgs, dwRestartFlags);
}
int CWinApp::ExitInstance() { return m_nExitCode; }

int CWinApp::Run()
{
    WPARAM nQuitCode = 0;
    CWndInternals::PumpMessages([] { return true; }, &nQuitCode);
    m_nExitCode = static_cast<int>(nQuitCode);
    return ExitInstance();
}

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey)
{
    m_strRegistryKey = lpszRegistryKey;
}

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetInstanceHandle()
{
    if (g_pApp && g_pApp->m_hInstance)
        return g_pApp->m_hInstance;
    return ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();  // the resources live in the executable itself
}

CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = lpCmdLine;
    int nExitCode;
    if (pApp->InitInstance())
        nExitCode = pApp->Run();
    else
        nExitCode = pApp->ExitInstance();
    if (g_bOleInitialized)
    {
        ::OleUninitialize();
        g_bOleInitialized = false;
    }
    return nExitCode;
}

void AfxEnableControlContainer() {}

BOOL AfxOleInit()
{
    if (g_bOleInitialized)
        return TRUE;
    const HRESULT hr = ::OleInitialize(nullptr);
    if (FAILED(hr))
        return FALSE;
    g_bOleInitialized = true;
    return TRUE;
}
