// The small skinned popup at the bottom right of the screen that shows two lines of text
// (a boost announcement, or the notice that the program runs on in the background) and
// closes itself after a while. It lives on the heap and deletes itself when its window goes.
#pragma once

#include "controls/BitmapDialog.h"
#include "framework/Afx.h"

constexpr UINT_PTR TIMER_POPUP_CLOSE = 300;
constexpr UINT POPUP_CLOSE_DELAY_MS = 12000;

class CVEXRAUIDlg : public CBitmapDialog
{
public:
    explicit CVEXRAUIDlg(CWnd* pParent = nullptr);

    // Creates the modeless window with the two lines and shows it. From then on the popup
    // owns itself. FALSE when no window could be made (the object is then still the
    // caller's).
    BOOL Open(const CString& strLine1, const CString& strLine2);

    CFont m_fontText;
    CStatic m_staticLine1;
    CStatic m_staticLine2;
    CString m_strLine1;
    CString m_strLine2;
    UINT m_nCloseDelayMs = POPUP_CLOSE_DELAY_MS; // how long the popup stays

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void PostNcDestroy() override;
    void OnTimer(UINT_PTR nIDEvent);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    void CreateTextFont();
    CWnd* m_pOwner;
    // Set once the window is fully made; from then on the window's end deletes the object.
    // A window that fails during creation leaves the object to the caller.
    bool m_bOwnsItself = false;
};

// Shows a new, independent popup over pParent's screen corner with the two lines; it closes
// itself after nCloseDelayMs. Returns its window (null when none could be made); the
// caller keeps no reference to the popup.
HWND ShowNotifyPopup(CWnd* pParent, const CString& strLine1, const CString& strLine2,
                     UINT nCloseDelayMs = POPUP_CLOSE_DELAY_MS);
