// Message maps: a derived class's map chained to its base's, handlers called with their
// real arguments, unhandled messages reaching the window's default procedure, and no
// exception escaping into user32.
#include <stdexcept>
#include <thread>

#include "FrameworkTestSupport.h"

namespace {

constexpr UINT WM_TEST_SUM = WM_APP + 1;
constexpr UINT WM_TEST_THROW = WM_APP + 2;
constexpr int IDC_START = 1001;
constexpr int ID_TRAY_OPEN = 2001;

class CBaseTestDlg : public CDialog
{
public:
    CPoint m_ptDown{ 999, 999 };
    UINT m_nDownFlags = 0;
    UINT_PTR m_nBaseTimer = 0;
    int m_nTrayOpens = 0;

protected:
    void OnLButtonDown(UINT nFlags, CPoint point)
    {
        m_nDownFlags = nFlags;
        m_ptDown = point;
    }
    void OnTimer(UINT_PTR nIDEvent) { m_nBaseTimer = nIDEvent; }
    LRESULT OnSum(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam) + lParam; }
    void OnTrayOpen() { ++m_nTrayOpens; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestDlg, CDialog)
    ON_WM_LBUTTONDOWN()
    ON_WM_TIMER()
    ON_MESSAGE(WM_TEST_SUM, &CBaseTestDlg::OnSum)
    ON_COMMAND(ID_TRAY_OPEN, &CBaseTestDlg::OnTrayOpen)
END_MESSAGE_MAP()

class CDerivedTestDlg : public CBaseTestDlg
{
public:
    UINT_PTR m_nDerivedTimer = 0;
    int m_nStarts = 0;
    int m_nThrows = 0;

protected:
    void OnTimer(UINT_PTR nIDEvent)
    {
        m_nDerivedTimer = nIDEvent;
        CBaseTestDlg::OnTimer(nIDEvent);
    }
    void OnStart() { ++m_nStarts; }
    LRESULT OnThrow(WPARAM, LPARAM)
    {
        ++m_nThrows;
        throw std::runtime_error("handler failure");
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTestDlg, CBaseTestDlg)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_START, &CDerivedTestDlg::OnStart)
    ON_MESSAGE(WM_TEST_THROW, &CDerivedTestDlg::OnThrow)
END_MESSAGE_MAP()

class MessageMapTest : public testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DESKTOP();
        m_template.Add(DialogTemplate::kButton, IDC_START, BS_PUSHBUTTON, 5, 5, 50, 14, L"Start");
        ASSERT_TRUE(m_dlg.CreateIndirect(m_template.Get()));
        ASSERT_NE(nullptr, m_dlg.m_hWnd);
    }

    DialogTemplate m_template{ WS_POPUP | DS_MODALFRAME, 200, 100 };
    CDerivedTestDlg m_dlg;
};

}  // namespace

TEST_F(MessageMapTest, BaseMapEntry_GetsTheRealArguments)
{
    // Client coordinates left of the window are negative; they must stay signed.
    m_dlg.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 7));
    EXPECT_EQ(-5, m_dlg.m_ptDown.x);
    EXPECT_EQ(7, m_dlg.m_ptDown.y);
    EXPECT_EQ(static_cast<UINT>(MK_LBUTTON | MK_SHIFT), m_dlg.m_nDownFlags);
    EXPECT_EQ(12, m_dlg.SendMessage(WM_TEST_SUM, 5, 7));
}

TEST_F(MessageMapTest, DerivedEntry_WinsAndCanCallTheBaseHandler)
{
    m_dlg.SendMessage(WM_TIMER, 200, 0);
    EXPECT_EQ(200u, m_dlg.m_nDerivedTimer);
    EXPECT_EQ(200u, m_dlg.m_nBaseTimer);
}

TEST_F(MessageMapTest, RealTimer_ReachesTheHandler)
{
    m_dlg.SetTimer(100, 10, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return m_dlg.m_nDerivedTimer == 100; }));
    m_dlg.KillTimer(100);
}

TEST_F(MessageMapTest, Commands_MatchIdAndNotificationCode)
{
    HWND hButton = ::GetDlgItem(m_dlg, IDC_START);
    m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
    m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_START, BN_SETFOCUS), reinterpret_cast<LPARAM>(hButton));
    m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_START + 1, BN_CLICKED), 0);
    EXPECT_EQ(1, m_dlg.m_nStarts);

    // A menu item (code 0) and an accelerator (code 1, no control) are both commands.
    m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(ID_TRAY_OPEN, 0), 0);
    m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(ID_TRAY_OPEN, 1), 0);
    EXPECT_EQ(2, m_dlg.m_nTrayOpens);

    // A real click on the button arrives as BN_CLICKED.
    ::SendMessageW(hButton, BM_CLICK, 0, 0);
    EXPECT_EQ(2, m_dlg.m_nStarts);
}

TEST_F(MessageMapTest, UnhandledMessages_ReachTheDefaultProcedure)
{
    m_dlg.SetWindowText(L"Vexra");
    CString title;
    m_dlg.GetWindowText(title);
    EXPECT_STREQ(L"Vexra", title);
    EXPECT_EQ(::GetDlgItem(m_dlg, IDC_START), m_dlg.GetDlgItem(IDC_START)->m_hWnd);
}

TEST_F(MessageMapTest, ThrowingHandler_DoesNotUnwindIntoTheSystem)
{
    EXPECT_EQ(0, m_dlg.SendMessage(WM_TEST_THROW, 1, 2));
    EXPECT_EQ(1, m_dlg.m_nThrows);
    EXPECT_EQ(3, m_dlg.SendMessage(WM_TEST_SUM, 1, 2));
}

// The window and menu maps have no lock because they belong to the window thread; another
// thread finds nothing in them and cannot enter anything, so none can read them half-changed.
TEST_F(MessageMapTest, PermanentMaps_BelongToTheWindowThread)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    CWnd* pSeen = reinterpret_cast<CWnd*>(1);
    CMenu* pMenuSeen = reinterpret_cast<CMenu*>(1);
    BOOL bAttached = TRUE;
    HWND hOther = ::GetDesktopWindow();
    std::thread worker([&] {
        pSeen = CWnd::FromHandlePermanent(m_dlg.m_hWnd);
        pMenuSeen = CMenu::FromHandlePermanent(menu);
        CWnd other;
        bAttached = other.SubclassWindow(hOther);
    });
    worker.join();
    EXPECT_EQ(nullptr, pSeen);
    EXPECT_EQ(nullptr, pMenuSeen);
    EXPECT_FALSE(bAttached);
    EXPECT_EQ(&m_dlg, CWnd::FromHandlePermanent(m_dlg.m_hWnd));
    EXPECT_EQ(&menu, CMenu::FromHandlePermanent(menu));
}

