// What the monitoring code needs from the main dialog: set a control's text, repaint the
// dialog's skin under a control, paint now. The dialog's own data it touches are its
// eight system-information strings.
#pragma once

#include "framework/Afx.h"
#include "res/resource.h"

// Entries of the main dialog's system-information strings (m_astrSysInfo).
enum SysInfoEntry
{
    SYSINFO_COMPUTER_NAME = 0,
    SYSINFO_MANUFACTURER = 1,
    SYSINFO_MODEL = 2,
    SYSINFO_PROCESSOR = 3,
    SYSINFO_INSTALLED_MEMORY = 4,
    SYSINFO_EDITION = 5,
    SYSINFO_VERSION_NUMBERS = 6,
    SYSINFO_MEMORY_USAGE = 7,
    SYSINFO_COUNT = 8
};

using SysInfoStrings = CString[SYSINFO_COUNT];

class IMonitorView
{
public:
    virtual void SetControlText(int nControlId, const CString& strText) = 0;
    // Invalidates the dialog's area under the control (its window rectangle in the
    // dialog's client coordinates), background erased, so the skin is painted again
    // under the transparent text.
    virtual void InvalidateControlArea(int nControlId) = 0;
    virtual void UpdateNow() = 0;

protected:
    ~IMonitorView() = default;
};

// The view over a real dialog window.
class CDialogMonitorView : public IMonitorView
{
public:
    explicit CDialogMonitorView(HWND hDialog) : m_hDialog(hDialog) {}

    void SetControlText(int nControlId, const CString& strText) override;
    void InvalidateControlArea(int nControlId) override;
    void UpdateNow() override;

private:
    HWND m_hDialog;
};
