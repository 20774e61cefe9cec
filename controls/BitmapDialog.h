// A dialog painted from a skin bitmap: the bitmap fills the whole client area in place of
// the dialog background, static texts are drawn transparently over it and, when the
// derived dialog asks for it, a left-button press anywhere moves the window.
#pragma once

#include "framework/Afx.h"

#include <memory>

class CBitmapDialog : public CDialogEx
{
public:
    CBitmapDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~CBitmapDialog() override;

    // Makes BITMAP resource nIDResource the skin, releasing the previous one first. A
    // missing resource returns FALSE and leaves no skin: the default background shows.
    BOOL LoadSkinBitmap(UINT nIDResource);

    // Static controls and the dialog background answer WM_CTLCOLOR with m_hHollowBrush
    // and a transparent text background, so they show the skin beneath them.
    BOOL m_bTransparentControls = TRUE;
    HBRUSH m_hHollowBrush;  // the stock null brush; never deleted
    // A left-button press in the client area starts moving the window.
    BOOL m_bDragAnywhere = FALSE;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

    BOOL m_bOwnsSkin = FALSE;  // m_pSkinBitmap was loaded here and is released here
    BOOL m_bHasSkin = FALSE;   // the background is painted from m_pSkinBitmap
    std::unique_ptr<CBitmap> m_pSkinBitmap;

private:
    void ReleaseSkin();
};
