#include "app/VEXRAUIApp.h"

#include "app/StartupChecks.h"
#include "endofrun/EndGuardArgument.h"
#include "endofrun/EndGuardKeeper.h"
#include "endofrun/EndGuardRun.h"
#include "endofrun/RestoreHandshake.h"
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
// Prefix of the per-user mutex that a guard holds while it restores.
const wchar_t kRestoringMutexPrefix[] = L"Global\\VexraRestoringFC";

CRestoreHandshake MakeRestoreHandshake()
{
    const CString strUser = ReadUserNameForInstanceMutex();
    return CRestoreHandshake(MakeInstanceMutexName(g_strInstanceMutexName, strUser),
                             MakeInstanceMutexName(kRestoringMutexPrefix, strUser));
}
}  // namespace

CVEXRAUIApp::CVEXRAUIApp()
{
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
}

BOOL CVEXRAUIApp::InitInstance()
{
    // A copy the program started to watch over its end: no instance check, no elevation,
    // nothing shown. Any other command line starts the program as it always does.
    EndGuardRole role = EndGuardRole::Guard;
    uint32_t guardHandle = 0;
    if (ParseEndGuardArgument(ToU16(m_lpCmdLine), &role, &guardHandle))
    {
        // The starter ends at once; its exit code tells the program its guard's id.
        if (role == EndGuardRole::Starter)
            std::exit(static_cast<int>(RunEndGuardStarter(guardHandle)));
        CRestoreHandshake handshake = MakeRestoreHandshake();
        RunEndGuard(guardHandle, handshake);
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

    // The guard of an earlier run that did not end in order may still be putting the
    // processes back to normal: it stops as soon as it sees this run, and this run
    // changes nothing before it has.
    MakeRestoreHandshake().WaitForEarlierRestore(EARLIER_RESTORE_WAIT_MS);

    Gdiplus::GdiplusStartupInput gdiplusInput;  // version 1, no debug callback
    Gdiplus::GdiplusStartup(&g_gdiplusToken, &gdiplusInput, nullptr);

    INITCOMMONCONTROLSEX commonControls = {sizeof(commonControls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&commonControls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    AfxOleInit();

    auto pShellManager = std::make_unique<CShellManager>();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    CVEXRAUIWelcomeDlg dlg;
    dlg.UseEndGuard(std::make_unique<CEndGuardKeeper>());
    // From here on this process changes other processes' classes; should it crash, it
    // returns them to normal before it dies.
    dlg.EndOfRun().InstallCrashRestore();
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
