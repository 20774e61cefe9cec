// CDialogEx: the dialog base the program's dialogs derive from. Its background, control
// colours and destruction are the framework defaults of CDialog/CWnd (OnCtlColor,
// OnEraseBkgnd, OnDestroy).
#pragma once

#include "framework/Dialog.h"

class CDialogEx : public CDialog
{
public:
    CDialogEx() = default;
    explicit CDialogEx(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : CDialog(nIDTemplate, pParentWnd)
    {
    }
};
