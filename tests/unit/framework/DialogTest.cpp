// Dialogs: binding of controls by DDX_Control, modeless dialogs that delete themselves,
// and the framework's own modal loop (EndDialog code, PreTranslateMessage of controls,
// the owner disabled while it runs, modeless dialogs kept working inside it).
#include <vector>

#include "FrameworkTestSupport.h"

namespace {

constexpr int IDC_ACTION = 11;
constexpr UINT WM_TEST_END = WM_APP + 10;

// A button object that turns a double click into a second press before anything else
// sees it, and records the presses it gets.
class CPressButton : public CButton
{
public:
    int m_nPresses = 0;
    int m_nDoubleClicks = 0;
    int m_nPreSubclass = 0;
    CPoint m_ptLastPress;

    void PreSubclassWindow() override
    {
        ++m_nPreSubclass;
        CButton::PreSubclassWindow();
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_LBUTTONDBLCLK && pMsg->hwnd == m_hWnd)
            pMsg->message = WM_LBUTTONDOWN;
        return CButton::PreTranslateMessage(pMsg);
    }

protected:
    void OnLButtonDown(UINT, CPoint point)
    {
        ++m_nPresses;
        m_ptLastPress = point;
    }
    LRESULT OnDoubleClick(WPARAM, LPARAM)
    {
        ++m_nDoubleClicks;
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPressButton, CButton)
    ON_WM_LBUTTONDOWN()
    ON_MESSAGE(WM_LBUTTONDBLCLK, &CPressButton::OnDoubleClick)
END_MESSAGE_MAP()

DialogTemplate MakeTemplate()
{
    DialogTemplate dlgTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU, 160, 80);
    dlgTemplate.Add(DialogTemplate::kButton, IDC_ACTION, BS_PUSHBUTTON, 5, 5, 60, 14, L"Go");
    return dlgTemplate;
}

class CBoundDlg : public CDialog
{
public:
    CPressButton m_btnAction;
    int m_nInitCalls = 0;
    bool m_bBoundDuringInit = false;

    BOOL OnInitDialog() override
    {
        ++m_nInitCalls;
        CDialog::OnInitDialog();
        m_bBoundDuringInit = m_btnAction.m_hWnd != nullptr;
        return TRUE;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_ACTION, m_btnAction);
    }
};

// Lives on the heap and deletes itself when its window is gone.
class CSelfDeletingDlg : public CDialog
{
public:
    static int s_nDeleted;
    static int s_nPostNcDestroy;

    ~CSelfDeletingDlg() override { ++s_nDeleted; }

protected:
    void PostNcDestroy() override
    {
        ++s_nPostNcDestroy;
        delete this;
    }
};
int CSelfDeletingDlg::s_nDeleted = 0;
int CSelfDeletingDlg::s_nPostNcDestroy = 0;

// Runs modally; ends with m_nEndCode when it receives WM_TEST_END.
class CModalDlg : public CBoundDlg
{
public:
    int m_nEndCode = 42;
    std::function<void(CModalDlg&)> m_onInit;
    std::function<void()> m_onEnd;
    std::vector<UINT> m_seenForAction;  // messages of the button seen in PreTranslateMessage

    BOOL OnInitDialog() override
    {
        CBoundDlg::OnInitDialog();
        if (m_onInit)
            m_onInit(*this);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->hwnd == m_btnAction.m_hWnd)
            m_seenForAction.push_back(pMsg->message);
        return CBoundDlg::PreTranslateMessage(pMsg);
    }

protected:
    LRESULT OnTestEnd(WPARAM, LPARAM)
    {
        if (m_onEnd)
            m_onEnd();
        EndDialog(m_nEndCode);
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalDlg, CBoundDlg)
    ON_MESSAGE(WM_TEST_END, &CModalDlg::OnTestEnd)
END_MESSAGE_MAP()

class DialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DESKTOP();
        CSelfDeletingDlg::s_nDeleted = 0;
        CSelfDeletingDlg::s_nPostNcDestroy = 0;
    }

    DialogTemplate m_template = MakeTemplate();
};

// Subclasses a control of a dialog it does not belong to, and notes at the control's end
// whether that dialog's object could still be reached through the window map.
class CParentWatcher : public CWnd
{
public:
    bool m_bDestroyed = false;
    bool m_bParentReachable = false;

protected:
    void OnDestroy()
    {
        m_bDestroyed = true;
        m_bParentReachable = CWnd::FromHandlePermanent(::GetParent(m_hWnd)) != nullptr;
        CWnd::OnDestroy();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParentWatcher, CWnd)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

}  // namespace

// ---- DDX_Control ----------------------------------------------------------------------

TEST_F(DialogTest, DdxControl_MemberHandlesTheControlsMessages)
{
    CBoundDlg dlg;
    ASSERT_TRUE(dlg.CreateIndirect(m_template.Get()));
    EXPECT_EQ(1, dlg.m_nInitCalls);
    EXPECT_TRUE(dlg.m_bBoundDuringInit);
    HWND hButton = ::GetDlgItem(dlg, IDC_ACTION);
    EXPECT_EQ(hButton, dlg.m_btnAction.m_hWnd);
    EXPECT_EQ(&dlg.m_btnAction, CWnd::FromHandlePermanent(hButton));

    ::SendMessageW(hButton, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 4));
    EXPECT_EQ(1, dlg.m_btnAction.m_nPresses);
    EXPECT_EQ(3, dlg.m_btnAction.m_ptLastPress.x);
    EXPECT_EQ(4, dlg.m_btnAction.m_ptLastPress.y);
    // The control's own procedure still runs for what the object does not handle.
    ::SetWindowTextW(hButton, L"Again");
    wchar_t text[16] = {};
    ::GetWindowTextW(hButton, text, 16);
    EXPECT_STREQ(L"Again", text);
}

TEST_F(DialogTest, DdxControl_BindsOnlyOnce)
{
    CBoundDlg dlg;
    ASSERT_TRUE(dlg.CreateIndirect(m_template.Get()));
    dlg.UpdateData(FALSE);
    dlg.UpdateData(TRUE);
    EXPECT_EQ(1, dlg.m_btnAction.m_nPreSubclass);
    ::SendMessageW(dlg.m_btnAction, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(1, dlg.m_btnAction.m_nPresses);  // not dispatched twice through a chain
}

TEST_F(DialogTest, DestroyedDialog_LeavesNoObjectsInTheMap)
{
    HWND hDlg;
    HWND hButton;
    {
        CBoundDlg dlg;
        ASSERT_TRUE(dlg.CreateIndirect(m_template.Get()));
        hDlg = dlg.m_hWnd;
        hButton = dlg.m_btnAction.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hDlg));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hDlg));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hButton));
}

TEST_F(DialogTest, DialogObjectEndingFirst_ItsWindowIsDestroyedOutsideTheObject)
{
    CParentWatcher watcher;
    HWND hDlg;
    {
        CDialog dlg;
        ASSERT_TRUE(dlg.CreateIndirect(m_template.Get()));
        hDlg = dlg.m_hWnd;
        ASSERT_TRUE(watcher.SubclassWindow(::GetDlgItem(hDlg, IDC_ACTION)));
    }
    EXPECT_FALSE(::IsWindow(hDlg));
    EXPECT_TRUE(watcher.m_bDestroyed);
    EXPECT_FALSE(watcher.m_bParentReachable)
        << "the window of a half-destroyed object was destroyed through the object";
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hDlg));
    EXPECT_EQ(nullptr, watcher.m_hWnd);
}

// ---- Self-deleting modeless dialogs ---------------------------------------------------

TEST_F(DialogTest, SelfDeletingModeless_DestroyWindowDeletesItOnce)
{
    auto* pPopup = new CSelfDeletingDlg;
    ASSERT_TRUE(pPopup->CreateIndirect(m_template.Get()));
    HWND hPopup = pPopup->m_hWnd;
    EXPECT_EQ(pPopup, CWnd::FromHandlePermanent(hPopup));
    ::DestroyWindow(hPopup);
    EXPECT_EQ(1, CSelfDeletingDlg::s_nPostNcDestroy);
    EXPECT_EQ(1, CSelfDeletingDlg::s_nDeleted);
    EXPECT_FALSE(::IsWindow(hPopup));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hPopup));
}

TEST_F(DialogTest, SelfDeletingModeless_CancelClosesAndDeletesIt)
{
    auto* pPopup = new CSelfDeletingDlg;
    ASSERT_TRUE(pPopup->CreateIndirect(m_template.Get()));
    HWND hPopup = pPopup->m_hWnd;
    // Alt+F4 arrives as WM_CLOSE, which the dialog manager turns into IDCANCEL.
    ::SendMessageW(hPopup, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([] { return CSelfDeletingDlg::s_nDeleted == 1; }));
    EXPECT_FALSE(::IsWindow(hPopup));
    EXPECT_EQ(1, CSelfDeletingDlg::s_nPostNcDestroy);
}

// ---- The modal loop ------------------------------------------------------------------

TEST_F(DialogTest, DoModal_ReturnsTheEndDialogCode)
{
    CModalDlg dlg;
    dlg.m_nEndCode = 1234;
    ASSERT_TRUE(dlg.InitModalIndirect(m_template.Get()));
    dlg.m_onInit = [](CModalDlg& self) { self.PostMessage(WM_TEST_END); };
    EXPECT_EQ(1234, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.m_hWnd);  // the window is gone after the loop
}

TEST_F(DialogTest, DoModal_DefaultCancelEndsWithIdCancel)
{
    CModalDlg dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(m_template.Get()));
    dlg.m_onInit = [](CModalDlg& self) { self.PostMessage(WM_COMMAND, IDCANCEL); };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
}

TEST_F(DialogTest, DoModal_ControlMessagesPassThePreTranslateChain)
{
    CModalDlg dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(m_template.Get()));
    dlg.m_onInit = [](CModalDlg& self) {
        ::PostMessageW(self.m_btnAction, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 3));
        self.PostMessage(WM_TEST_END);
    };
    EXPECT_EQ(42, dlg.DoModal());
    // The button's own PreTranslateMessage ran first and rewrote the double click; the
    // dialog, its parent in the chain, saw the rewritten message.
    EXPECT_EQ(std::vector<UINT>{ WM_LBUTTONDOWN }, dlg.m_seenForAction);
    EXPECT_EQ(1, dlg.m_btnAction.m_nPresses);
    EXPECT_EQ(0, dlg.m_btnAction.m_nDoubleClicks);
    EXPECT_EQ(2, dlg.m_btnAction.m_ptLastPress.x);
    EXPECT_EQ(3, dlg.m_btnAction.m_ptLastPress.y);
}

TEST_F(DialogTest, DoModal_DisablesTheOwnerWhileItRuns)
{
    CBoundDlg owner;
    DialogTemplate ownerTemplate = MakeTemplate();
    ASSERT_TRUE(owner.CreateIndirect(ownerTemplate.Get()));
    ASSERT_TRUE(::IsWindowEnabled(owner));

    CModalDlg dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(m_template.Get(), &owner));
    bool bOwnerEnabledInside = true;
    HWND hOwnerSeen = nullptr;
    dlg.m_onInit = [&](CModalDlg& self) {
        bOwnerEnabledInside = ::IsWindowEnabled(owner) != FALSE;
        hOwnerSeen = ::GetWindow(self, GW_OWNER);
        self.PostMessage(WM_TEST_END);
    };
    EXPECT_EQ(42, dlg.DoModal());
    EXPECT_FALSE(bOwnerEnabledInside);
    EXPECT_EQ(owner.m_hWnd, hOwnerSeen);
    EXPECT_TRUE(::IsWindowEnabled(owner));
}

TEST_F(DialogTest, DoModal_ModelessPopupKeepsItsKeyboardHandling)
{
    CModalDlg dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(m_template.Get()));
    HWND hPopup = nullptr;
    bool bPopupAliveAtEnd = true;
    DialogTemplate popupTemplate = MakeTemplate();
    dlg.m_onEnd = [&] { bPopupAliveAtEnd = ::IsWindow(hPopup) != FALSE; };
    dlg.m_onInit = [&](CModalDlg& self) {
        auto* pPopup = new CSelfDeletingDlg;
        ASSERT_TRUE(pPopup->CreateIndirect(popupTemplate.Get(), &self));
        hPopup = pPopup->m_hWnd;
        // Escape reaches the popup only through IsDialogMessage, which makes it a cancel.
        ::PostMessageW(hPopup, WM_KEYDOWN, VK_ESCAPE, 0);
        self.PostMessage(WM_TEST_END);
    };
    EXPECT_EQ(42, dlg.DoModal());
    EXPECT_FALSE(bPopupAliveAtEnd);  // closed by its Escape, not by the end of its owner
    EXPECT_EQ(1, CSelfDeletingDlg::s_nDeleted);
}

TEST_F(DialogTest, DoModal_MissingTemplateFails)
{
    CDialog dlg(0xFFF0);  // no such dialog resource
    EXPECT_EQ(-1, dlg.DoModal());
}
