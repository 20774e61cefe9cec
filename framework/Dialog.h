// CDialog: modal and modeless dialog boxes from DLGTEMPLATE resources or from templates
// built in memory.
//
// The dialog window is created modeless in both cases. DoModal runs the framework's own
// modal loop (owner disabled, every message offered to the PreTranslateMessage chain of
// its target window and that window's parents before it is dispatched) until EndDialog.
// OnOK/OnCancel by default end a modal dialog with IDOK/IDCANCEL and destroy a modeless
// one, so a modeless dialog that deletes itself in PostNcDestroy goes away completely.
#pragma once

#include "framework/Wnd.h"

class CDialog;

// The direction and the dialog of one data exchange (UpdateData).
class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Binds the dialog item nIDC to rControl the first time (the control's messages then go
// through rControl's message map); later calls leave the binding as it is.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd
{
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Modeless creation from the RT_DIALOG resource nIDTemplate of AfxGetResourceHandle().
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Modeless creation from a template in memory.
    BOOL CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr);
    // Makes the next DoModal use a template in memory instead of a resource.
    BOOL InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog modally; returns the EndDialog code, or -1 when it cannot be
    // created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDHelp = 0;  // the template resource id
    LPCDLGTEMPLATE m_lpDialogTemplate = nullptr;
    CWnd* m_pParentWnd = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    BOOL CreateFromTemplate(LPCDLGTEMPLATE lpTemplate, HWND hWndOwner);
    LPCDLGTEMPLATE FindTemplate() const;
    HWND ModalOwner() const;
    INT_PTR RunModalLoop();

    bool m_bModal = false;
    bool m_bEndModal = false;
    int m_nModalResult = -1;
};
