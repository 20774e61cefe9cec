// A transparent label over a skinned dialog draws no background of its own: after its text
// changes, the dialog must paint the skin under the label again, or the old text stays.
#pragma once

#include <windows.h>

// Invalidates, with erasing, the part of hDialog's client area that hControl covers.
inline void RepaintSkinUnder(HWND hDialog, HWND hControl)
{
    RECT area = {};
    ::GetWindowRect(hControl, &area);
    ::MapWindowPoints(HWND_DESKTOP, hDialog, reinterpret_cast<POINT*>(&area), 2);
    ::InvalidateRect(hDialog, &area, TRUE);
}
