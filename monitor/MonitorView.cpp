#include "monitor/MonitorView.h"

void CDialogMonitorView::SetControlText(int nControlId, const CString& strText)
{
    SetDlgItemTextW(m_hDialog, nControlId, strText);
}

void CDialogMonitorView::InvalidateControlArea(int nControlId)
{
    HWND hControl = GetDlgItem(m_hDialog, nControlId);
    if (hControl == nullptr)
        return;
    RECT rect;
    GetWindowRect(hControl, &rect);
    MapWindowPoints(HWND_DESKTOP, m_hDialog, reinterpret_cast<POINT*>(&rect), 2);
    InvalidateRect(m_hDialog, &rect, TRUE);
}

void CDialogMonitorView::UpdateNow()
{
    UpdateWindow(m_hDialog);
}
