#include "monitor/MonitorView.h"

#include "controls/SkinRepaint.h"

void CDialogMonitorView::SetControlText(int nControlId, const CString& strText)
{
    SetDlgItemTextW(m_hDialog, nControlId, strText);
}

void CDialogMonitorView::InvalidateControlArea(int nControlId)
{
    HWND hControl = GetDlgItem(m_hDialog, nControlId);
    if (hControl == nullptr)
        return;
    RepaintSkinUnder(m_hDialog, hControl);
}

void CDialogMonitorView::UpdateNow()
{
    UpdateWindow(m_hDialog);
}
