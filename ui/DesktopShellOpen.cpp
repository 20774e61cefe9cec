#include "ui/DesktopShellOpen.h"

#include "framework/Handle.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

namespace
{
// A VARIANT cleared when it goes.
class CVariant
{
public:
    CVariant() { VariantInit(&m_value); }
    explicit CVariant(const wchar_t* text) : CVariant()
    {
        m_value.vt = VT_BSTR;
        m_value.bstrVal = SysAllocString(text);
    }
    explicit CVariant(LONG number) : CVariant()
    {
        m_value.vt = VT_I4;
        m_value.lVal = number;
    }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
    ~CVariant() { VariantClear(&m_value); }

    VARIANT& Get() { return m_value; }

private:
    VARIANT m_value;
};

// The desktop's folder view, found through the shell's list of its windows.
CComPtr<IShellFolderViewDual> DesktopFolderView(HWND* phDesktop)
{
    CComPtr<IShellFolderViewDual> folderView;
    CComPtr<IShellWindows> shellWindows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                shellWindows.ReceiveVoid())))
        return folderView;
    CVariant desktopLocation(static_cast<LONG>(CSIDL_DESKTOP));
    CVariant noRoot;
    long hDesktop = 0;
    CComPtr<IDispatch> desktop;
    if (shellWindows->FindWindowSW(&desktopLocation.Get(), &noRoot.Get(), SWC_DESKTOP, &hDesktop,
                                   SWFO_NEEDDISPATCH, desktop.Receive()) != S_OK ||
        desktop.Get() == nullptr)
        return folderView;
    *phDesktop = reinterpret_cast<HWND>(static_cast<LONG_PTR>(hDesktop));

    CComPtr<IServiceProvider> services;
    CComPtr<IShellBrowser> browser;
    CComPtr<IShellView> view;
    CComPtr<IDispatch> background;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.ReceiveVoid())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.ReceiveVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Receive())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.ReceiveVoid())))
        return folderView;
    background->QueryInterface(IID_IShellFolderViewDual, folderView.ReceiveVoid());
    return folderView;
}

// The shell's automation object of the desktop shell process.
CComPtr<IShellDispatch2> DesktopShellDispatch(HWND* phDesktop)
{
    CComPtr<IShellDispatch2> shell;
    CComPtr<IShellFolderViewDual> folderView = DesktopFolderView(phDesktop);
    if (folderView.Get() == nullptr)
        return shell;
    CComPtr<IDispatch> application;
    if (FAILED(folderView->get_Application(application.Receive())) || application.Get() == nullptr)
        return shell;
    application->QueryInterface(IID_IShellDispatch2, shell.ReceiveVoid());
    return shell;
}
}  // namespace

bool CWin32DesktopShell::OpenThroughDesktopShell(LPCWSTR pszAddress)
{
    HWND hDesktop = nullptr;
    CComPtr<IShellDispatch2> shell = DesktopShellDispatch(&hDesktop);
    if (shell.Get() == nullptr)
        return false;
    // The user just clicked, so this program may bring a window to the front; the shell,
    // which starts the browser, may not unless it is let.
    DWORD shellPid = 0;
    if (hDesktop != nullptr && ::GetWindowThreadProcessId(hDesktop, &shellPid) != 0)
        ::AllowSetForegroundWindow(shellPid);

    CVariant noArguments(L"");
    CVariant noFolder(L"");
    CVariant verb(L"open");
    CVariant show(static_cast<LONG>(SW_SHOW));
    const CBstr address(SysAllocString(pszAddress));
    return SUCCEEDED(shell->ShellExecute(address.Get(), noArguments.Get(), noFolder.Get(),
                                         verb.Get(), show.Get()));
}

void CWin32DesktopShell::OpenFromThisProcess(LPCWSTR pszAddress)
{
    ::ShellExecuteW(nullptr, L"open", pszAddress, nullptr, nullptr, SW_SHOW);
}

void OpenAsDesktopUser(IDesktopShell& shell, LPCWSTR pszAddress)
{
    if (!shell.OpenThroughDesktopShell(pszAddress))
        shell.OpenFromThisProcess(pszAddress);
}
