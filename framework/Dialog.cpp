#include "framework/Dialog.h"

#include "framework/WinApp.h"
#include "framework/WndInternals.h"

namespace {

// The dialog manager's procedure for our dialogs. Every message reaches the object's
// own window procedure first (the window is subclassed at creation), so what arrives
// here has no handler: FALSE lets the dialog manager do its default processing.
INT_PTR CALLBACK FrameworkDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

bool IsInputMessage(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    { WM_INITDIALOG, 0, 0, AFX_ADAPTER(
        result = AFX_THIS_HANDLER_OBJECT->OnInitDialog(); return true;) },
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

LPCDLGTEMPLATE CDialog::FindTemplate() const
{
    HINSTANCE hResources = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceW(hResources, MAKEINTRESOURCEW(m_nIDHelp), RT_DIALOG);
    if (!hResource)
        return nullptr;
    HGLOBAL hTemplate = ::LoadResource(hResources, hResource);
    return hTemplate ? static_cast<LPCDLGTEMPLATE>(::LockResource(hTemplate)) : nullptr;
}

BOOL CDialog::CreateFromTemplate(LPCDLGTEMPLATE lpTemplate, HWND hWndOwner)
{
    if (!lpTemplate || m_hWnd)
        return FALSE;
    CWndInternals::BeginCreation(this);
    HWND hWnd = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), lpTemplate, hWndOwner,
                                             &FrameworkDialogProc, 0);
    CWndInternals::EndCreation(this);
    if (!hWnd)
        return FALSE;
    if (m_hWnd != hWnd)
    {
        ::DestroyWindow(hWnd);  // created, but never reached its object
        return FALSE;
    }
    CWndInternals::MarkCreatedByFramework(this);
    return TRUE;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDHelp = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = false;
    return CreateFromTemplate(FindTemplate(), pParentWnd ? pParentWnd->m_hWnd : nullptr);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd)
{
    m_pParentWnd = pParentWnd;
    m_bModal = false;
    return CreateFromTemplate(lpDialogTemplate, pParentWnd ? pParentWnd->m_hWnd : nullptr);
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd)
{
    if (!lpDialogTemplate)
        return FALSE;
    m_lpDialogTemplate = lpDialogTemplate;
    m_pParentWnd = pParentWnd;
    return TRUE;
}

HWND CDialog::ModalOwner() const
{
    HWND hWndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hWndParent)
    {
        CWnd* pMainWnd = AfxGetMainWnd();
        if (pMainWnd && pMainWnd != this)
            hWndParent = pMainWnd->m_hWnd;
    }
    return hWndParent ? ::GetAncestor(hWndParent, GA_ROOT) : nullptr;
}

INT_PTR CDialog::DoModal()
{
    LPCDLGTEMPLATE lpTemplate = m_lpDialogTemplate ? m_lpDialogTemplate : FindTemplate();
    if (!lpTemplate || m_hWnd)
        return -1;

    HWND hWndOwner = ModalOwner();
    const bool bOwnerDisabled = hWndOwner && ::IsWindowEnabled(hWndOwner);
    if (bOwnerDisabled)
        ::EnableWindow(hWndOwner, FALSE);

    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;
    INT_PTR nResult = -1;
    if (CreateFromTemplate(lpTemplate, hWndOwner))
        nResult = RunModalLoop();

    // The owner must be enabled again before the dialog goes, or Windows activates some
    // other application's window instead of it.
    if (bOwnerDisabled)
        ::EnableWindow(hWndOwner, TRUE);
    if (m_hWnd)
    {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (hWndOwner && ::GetActiveWindow() == nullptr)
            ::SetActiveWindow(hWndOwner);
        ::DestroyWindow(m_hWnd);
    }
    m_bModal = false;
    return nResult;
}

INT_PTR CDialog::RunModalLoop()
{
    if (!m_bEndModal && m_hWnd && !(GetStyle() & WS_VISIBLE))
        ShowWindow(SW_SHOWNORMAL);
    WPARAM nQuitCode = 0;
    const bool bEnded = CWndInternals::PumpMessages(
        [this] { return !m_bEndModal && m_hWnd != nullptr; }, &nQuitCode);
    if (!bEnded)
    {
        // WM_QUIT ends every loop: pass it on to the one outside.
        ::PostQuitMessage(static_cast<int>(nQuitCode));
        return -1;
    }
    return m_bEndModal ? m_nModalResult : -1;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal)
    {
        m_nModalResult = nResult;
        m_bEndModal = true;
        if (m_hWnd)
            ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wake the loop if it is waiting
    }
    else if (m_hWnd)
    {
        ::EndDialog(m_hWnd, nResult);  // a modeless dialog is hidden, as Windows does it
    }
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* pDX) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // Keyboard navigation (Tab, Enter, Escape, mnemonics) for this dialog's own input.
    if (!m_hWnd || !IsInputMessage(pMsg->message))
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

// A modal dialog ends with the button's code. A modeless one is destroyed: hiding it
// (what EndDialog does to a modeless dialog) would leave a popup that owns itself alive
// and invisible for good.
void CDialog::OnOK()
{
    if (m_bModal)
        EndDialog(IDOK);
    else
        DestroyWindow();
}

void CDialog::OnCancel()
{
    if (m_bModal)
        EndDialog(IDCANCEL);
    else
        DestroyWindow();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (!pDX || !pDX->m_pDlgWnd || rControl.m_hWnd)
        return;  // bound already
    HWND hWndControl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hWndControl)
        rControl.SubclassWindow(hWndControl);
}
