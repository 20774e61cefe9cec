#include "app/VEXRAUIApp.h"

#include "app/EndGuardArgument.h"
#include "app/EndGuardMode.h"
#include "app/EndGuardProcess.h"
#include "app/StartupChecks.h"
#include "engine/CrashPriorityGuard.h"
#include "engine/Utf16Bridge.h"
#include "ui/VEXRAUIWelcomeDlg.h"

#include <commctrl.h>
#include <objidl.h>  // gdiplus.h needs it under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <cstdlib>
#include <memory>

CString g_strInstanceMutexName(L"Global\\MutexVexraFC");
ULONG_PTR g_gdiplusToken = 0;

namespace
{
const wchar_t kMainWindowTitle[] = L"Vexra";
// An unelevated start that hands over to its elevated copy ends with this code.
constexpr int kExitCodeRelaunched = 1;
}

CVEXRAUIApp::CVEXRAUIApp()
{
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
}

BOOL CVEXRAUIApp::InitInstance()
{
    // A copy the program started to watch over its end: no instance check, no elevation,
    // nothing shown. Any other command line starts the program as it always does.
    uint32_t guardHandle = 0;
    if (ParseEndGuardArgument(ToU16(m_lpCmdLine), &guardHandle))
    {
        RunEndGuard(guardHandle);
        return FALSE;
    }

    if (IsAnotherInstanceRunning())
    {
        ShowRunningInstance(kMainWindowTitle);
        return FALSE;
    }

    CWin32StartupSystem system;
    if (RelaunchElevatedIfNeeded(system, m_instanceMutex))
        std::exit(kExitCodeRelaunched);

    // From here on this process changes other processes' classes; should it crash, it
    // returns them to normal before it dies.
    InstallCrashPriorityGuard();

    Gdiplus::GdiplusStartupInput gdiplusInput;  // version 1, no debug callback
    Gdiplus::GdiplusStartup(&g_gdiplusToken, &gdiplusInput, nullptr);

    INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&commonControls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    AfxOleInit();

    auto pShellManager = std::make_unique<CShellManager>();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    CEndGuardProcess endGuard;  // outlives the dialog, whose orderly end stands it down
    CVEXRAUIWelcomeDlg dlg;
    dlg.SetEndGuard(&endGuard);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    pShellManager.reset();
    return FALSE;
}

bool CVEXRAUIApp::IsAnotherInstanceRunning()
{
    const CString strName =
        MakeInstanceMutexName(g_strInstanceMutexName, ReadUserNameForInstanceMutex());
    return IsInstanceMutexHeldElsewhere(strName, m_instanceMutex);
}

void CVEXRAUIApp::ShowRunningInstance(LPCWSTR pszTitle)
{
    HWND hWnd = ::FindWindowW(nullptr, pszTitle);
    if (hWnd == nullptr)
        return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(hWnd, &placement);
    // The running window may be hidden in the notification area: show it, then undo a
    // minimise, then bring it forward.
    ::ShowWindow(hWnd, SW_SHOW);
    ::ShowWindow(hWnd, SW_RESTORE);
    ::SetForegroundWindow(hWnd);
}

BOOL CVEXRAUIApp::IsUserAdministrator()
{
    CWin32StartupSystem system;
    return ::IsUserAdministrator(system);
}
