// What the boost engine shows: the main dialog implements this (CDialogBoostView does it
// over the dialog's window), the unit tests record it.
#pragma once

#include "framework/Afx.h"

class IBoostView
{
public:
    virtual ~IBoostView() = default;

    // The number of running processes (control 1039), its area repainted with the skin.
    virtual void SetProcessCountText(const CString& text) = 0;

    // The application in focus (control 1041), its area repainted with the skin.
    virtual void SetFocusAppText(const CString& text) = 0;

    // The announcement popup at the bottom right of the screen.
    virtual void ShowBoostPopup(const CString& line1, const CString& line2) = 0;

    // Paints the areas invalidated during the cycle now.
    virtual void UpdateNow() = 0;
};
