// CButton: a push button control. An owner-drawn button draws itself in DrawItem, which
// the framework calls when the button's parent receives WM_DRAWITEM for it.
#pragma once

#include "framework/Wnd.h"

class CButton : public CWnd
{
public:
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
