// The boost engine's view over the main dialog's window: the two labels it writes and
// the announcement popup.
#pragma once

#include "engine/BoostView.h"

#include <functional>

const int IDC_PROCESS_COUNT = 1039;
const int IDC_FOCUS_APP = 1041;

class CDialogBoostView : public IBoostView
{
public:
    typedef std::function<void(const CString& line1, const CString& line2)> PopupHandler;

    // The dialog's window exists only from its initialisation on: a view made with the
    // dialog object gets its window then.
    explicit CDialogBoostView(HWND hDialog = NULL) : m_hDialog(hDialog) {}
    void SetDialogWindow(HWND hDialog) { m_hDialog = hDialog; }

    // The announcement popup plugs in here: the dialog hands over what shows it.
    // Until a handler is set, announcements only update the focus label.
    void SetPopupHandler(PopupHandler showPopup) { m_showPopup = std::move(showPopup); }

    void SetProcessCountText(const CString& text) override;
    void SetFocusAppText(const CString& text) override;
    void ShowBoostPopup(const CString& line1, const CString& line2) override;
    void UpdateNow() override;

private:
    void SetLabelText(int controlId, const CString& text);

    HWND m_hDialog;
    PopupHandler m_showPopup;
};
