// What the main dialog's tests look at of the state the dialog keeps to itself.
#pragma once

#include "ui/VEXRAUIWelcomeDlg.h"

class CWelcomeDlgTestAccess
{
public:
    static CBoostEngine& Engine(CVEXRAUIWelcomeDlg& dlg) { return dlg.m_engine; }
    static bool IsTrayIconAdded(const CVEXRAUIWelcomeDlg& dlg) { return dlg.m_bTrayIconAdded; }
    static HFONT BodyFont(const CVEXRAUIWelcomeDlg& dlg) { return dlg.m_fontBody; }
    static HFONT FittedEditionFont(const CVEXRAUIWelcomeDlg& dlg)
    {
        return dlg.m_fontEditionFitted.Get();
    }
    static CGdipButton& EngineTab(CVEXRAUIWelcomeDlg& dlg) { return dlg.m_btnTabEngine; }
    static CGdipButton& SystemTab(CVEXRAUIWelcomeDlg& dlg) { return dlg.m_btnTabSystem; }
    static CPictureBoxEx& WelcomePicture(CVEXRAUIWelcomeDlg& dlg) { return dlg.m_picWelcome; }
    static CPictureBoxEx& CpuGauge(CVEXRAUIWelcomeDlg& dlg) { return dlg.m_picCpuGauge; }
    static CPictureBoxEx& MemoryGauge(CVEXRAUIWelcomeDlg& dlg) { return dlg.m_picMemGauge; }
};
