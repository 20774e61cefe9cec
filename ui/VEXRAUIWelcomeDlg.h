// The main window: a skinned, borderless 800 x 450 dialog with three pages (Welcome,
// Engine, System). It lives for the whole run of the program and owns what runs in it.
#pragma once

#include "controls/BitmapDialog.h"
#include "controls/GdipButton.h"
#include "controls/PictureBoxEx.h"
#include "framework/Afx.h"
#include "ui/WelcomeDlgTables.h"

class CVEXRAUIWelcomeDlg : public CBitmapDialog
{
public:
    explicit CVEXRAUIWelcomeDlg(CWnd* pParent = nullptr);
    ~CVEXRAUIWelcomeDlg() override;

    // Shows page 0 (Welcome), 1 (Engine) or 2 (System) and hides the others' controls.
    void ShowPage(int nPage);

    static constexpr int kSystemStaticCount = 11;  // ids 1020 to 1030
    static constexpr int kEngineStaticCount = 10;  // ids 1032 to 1041

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnDestroy();
    void OnPaint();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    void PlaceWindow();
    void CreateFonts();
    void LayoutControls();
    CFont* FontFor(WelcomeFont font);
    static CString ReadVersionLine();
    void AttachButtonImages();
    CGdipButton* ImageButtonFor(int nId);
    CPictureBoxEx* PictureBoxFor(int nId);
    void RunPageStep(const PageStep& step);
    void SetTabSelected(int nId, bool bSelected);
    void PlayAnimation(int nId, int nGifId);
    void ShowControl(int nId, int nCmdShow);

public:
    HICON m_hIcon;
    CFont m_fontFooter;
    CFont m_fontTitle;
    CFont m_fontSubtitle;
    CFont m_fontBody;
    CFont m_fontGaugeLabel;

    CStatic m_stWelcome;
    CStatic m_stSlogan;
    CStatic m_stVersion;
    CStatic m_stProductYear;
    CGdipButton m_btnContact;
    CGdipButton m_btnClose;
    CGdipButton m_btnStart;
    CPictureBoxEx m_picWelcome;
    CGdipButton m_btnTabEngine;
    CGdipButton m_btnTabSystem;
    CGdipButton m_btnSystemIcon;
    CStatic m_stSystem[kSystemStaticCount];
    CGdipButton m_btnEngineIcon;
    CStatic m_stEngine[kEngineStaticCount];
    CPictureBoxEx m_picCpuGauge;
    CPictureBoxEx m_picMemGauge;

    CString m_strUserName;  // the user running the program
};
