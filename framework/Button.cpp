#include "framework/Button.h"

void CButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    // An owner-drawn button class draws itself; the plain class draws nothing.
}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_DRAWITEM)
    {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (pResult)
            *pResult = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}
