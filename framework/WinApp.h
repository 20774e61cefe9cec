// CWinApp: the application object, and the Afx functions that reach it.
//
// AfxWinMain runs the one application object: InitInstance, then (when it returns TRUE)
// a message loop until WM_QUIT; ExitInstance gives the exit code.
#pragma once

#include <windows.h>

#include "framework/CmdTarget.h"
#include "framework/String.h"

class CWnd;

// In m_dwRestartManagerSupportFlags: InitInstance registers the program with Windows'
// restart manager.
constexpr DWORD AFX_RESTART_MANAGER_SUPPORT_RESTART = 0x01;
// The command line a program restarted by the system is given.
constexpr wchar_t AFX_RESTART_COMMAND_LINE[] = L"/restart";

class CWinApp : public CCmdTarget
{
public:
    CWinApp();
    ~CWinApp() override;

    // Registers with the restart manager when m_dwRestartManagerSupportFlags asks for it.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();

    // The program's registry key for settings kept by the framework.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);

    // Asks Windows to start the program again, with this command line, after it crashed,
    // hung or was closed for an update (RegisterApplicationRestart).
    virtual HRESULT RegisterWithRestartManager(LPCWSTR pwzCommandLineArgs, DWORD dwRestartFlags);

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;  // the command line after the executable's name
    DWORD m_dwRestartManagerSupportFlags = 0;
    CString m_strRegistryKey;

protected:
    int m_nExitCode = 0;  // the wParam of WM_QUIT once Run has seen it
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
CWnd* AfxGetMainWnd();
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

// The program hosts no ActiveX controls, so there is no container support to switch on;
// the call is kept so start-up reads as it does in any MFC program.
void AfxEnableControlContainer();
// Initializes OLE for the calling thread; AfxWinMain undoes it when the program ends.
BOOL AfxOleInit();
