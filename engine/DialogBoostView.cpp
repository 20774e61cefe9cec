#include "engine/DialogBoostView.h"

#include "controls/SkinRepaint.h"

namespace
{
bool LabelShows(HWND hLabel, const CString& text)
{
    const int length = ::GetWindowTextLengthW(hLabel);
    if (length != text.GetLength())
        return false;
    CString shown;
    ::GetWindowTextW(hLabel, shown.GetBuffer(length + 1), length + 1);
    shown.ReleaseBuffer(length);
    return shown == text;
}
}  // namespace

void CDialogBoostView::SetLabelText(int controlId, const CString& text)
{
    HWND hLabel = ::GetDlgItem(m_hDialog, controlId);
    if (hLabel == NULL)
        return;
    // The count is written on every cycle and seldom changes: repainting the skin under
    // an unchanged text would cost the window a paint every 50 ms for nothing.
    if (LabelShows(hLabel, text))
        return;
    ::SetWindowTextW(hLabel, text);
    RepaintSkinUnder(m_hDialog, hLabel);
}

void CDialogBoostView::SetProcessCountText(const CString& text)
{
    SetLabelText(IDC_PROCESS_COUNT, text);
}

void CDialogBoostView::SetFocusAppText(const CString& text)
{
    SetLabelText(IDC_FOCUS_APP, text);
}

void CDialogBoostView::ShowBoostPopup(const CString& line1, const CString& line2)
{
    if (m_showPopup)
        m_showPopup(line1, line2);
}

void CDialogBoostView::UpdateNow()
{
    ::UpdateWindow(m_hDialog);
}
