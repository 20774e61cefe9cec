// Message reflection: WM_CTLCOLOR* and WM_DRAWITEM that a dialog receives about one of
// its controls are offered to the control's own object first.
#include "FrameworkTestSupport.h"

namespace {

constexpr int IDC_LABEL = 10;
constexpr int IDC_OWNERDRAWN = 11;
constexpr int IDC_PUSH = 12;
constexpr int IDC_UNBOUND = 13;

// A control that answers the reflected WM_CTLCOLOR with m_hAnswer (null: no answer).
class CReflectingControl : public CWnd
{
public:
    HBRUSH m_hAnswer = nullptr;
    UINT m_nLastKind = 99;
    HDC m_hLastDC = nullptr;
    int m_nCalls = 0;

protected:
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor)
    {
        ++m_nCalls;
        m_nLastKind = nCtlColor;
        m_hLastDC = pDC->m_hDC;
        return m_hAnswer;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingControl, CWnd)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CRecordingButton : public CButton
{
public:
    int m_nDraws = 0;
    UINT m_nLastCtlID = 0;
    HWND m_hLastItem = nullptr;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        ++m_nDraws;
        m_nLastCtlID = lpDrawItemStruct->CtlID;
        m_hLastItem = lpDrawItemStruct->hwndItem;
    }
};

// A parent without a WM_CTLCOLOR handler of its own.
class CPlainParentDlg : public CDialog
{
public:
    CReflectingControl m_label;
    CReflectingControl m_push;
    CRecordingButton m_ownerDrawn;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_LABEL, m_label);
        DDX_Control(pDX, IDC_PUSH, m_push);
        DDX_Control(pDX, IDC_OWNERDRAWN, m_ownerDrawn);
    }
};

// A parent whose handler asks the framework first, as the program's dialogs do.
class CHandlingParentDlg : public CPlainParentDlg
{
public:
    HBRUSH m_hFromFramework = nullptr;
    int m_nParentCalls = 0;

protected:
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        ++m_nParentCalls;
        m_hFromFramework = CPlainParentDlg::OnCtlColor(pDC, pWnd, nCtlColor);
        return m_hFromFramework;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHandlingParentDlg, CPlainParentDlg)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

DialogTemplate MakeTemplate(DWORD style)
{
    DialogTemplate dlgTemplate(style, 200, 100);
    dlgTemplate.Add(DialogTemplate::kStatic, IDC_LABEL, SS_LEFT, 5, 5, 60, 10, L"Label")
        .Add(DialogTemplate::kButton, IDC_OWNERDRAWN, BS_OWNERDRAW, 5, 20, 60, 20)
        .Add(DialogTemplate::kButton, IDC_PUSH, BS_PUSHBUTTON, 5, 45, 60, 14, L"Push")
        .Add(DialogTemplate::kStatic, IDC_UNBOUND, SS_LEFT, 5, 65, 60, 10, L"Free");
    return dlgTemplate;
}

class CtlColorReflectionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DESKTOP();
        ASSERT_TRUE(m_dlg.CreateIndirect(m_template.Get()));
        m_hDC = ::GetDC(m_dlg);
        m_brush.CreateSolidBrush(RGB(10, 20, 30));
    }
    void TearDown() override
    {
        if (m_hDC)
            ::ReleaseDC(m_dlg, m_hDC);
    }

    HBRUSH Ask(UINT message, int nID)
    {
        return reinterpret_cast<HBRUSH>(::SendMessageW(
            m_dlg, message, reinterpret_cast<WPARAM>(m_hDC),
            reinterpret_cast<LPARAM>(::GetDlgItem(m_dlg, nID))));
    }

    DialogTemplate m_template = MakeTemplate(WS_POPUP);
    CHandlingParentDlg m_dlg;
    HDC m_hDC = nullptr;
    CBrush m_brush;
};

}  // namespace

TEST_F(CtlColorReflectionTest, ChildBrush_IsTheAnswer)
{
    m_dlg.m_label.m_hAnswer = m_brush;
    EXPECT_EQ(static_cast<HBRUSH>(m_brush), Ask(WM_CTLCOLORSTATIC, IDC_LABEL));
    EXPECT_EQ(1, m_dlg.m_label.m_nCalls);
    EXPECT_EQ(static_cast<UINT>(CTLCOLOR_STATIC), m_dlg.m_label.m_nLastKind);
    EXPECT_EQ(m_hDC, m_dlg.m_label.m_hLastDC);
    EXPECT_EQ(1, m_dlg.m_nParentCalls);
}

TEST_F(CtlColorReflectionTest, ButtonKind_IsPassedToTheChild)
{
    m_dlg.m_push.m_hAnswer = m_brush;
    EXPECT_EQ(static_cast<HBRUSH>(m_brush), Ask(WM_CTLCOLORBTN, IDC_PUSH));
    EXPECT_EQ(static_cast<UINT>(CTLCOLOR_BTN), m_dlg.m_push.m_nLastKind);
    EXPECT_EQ(0, m_dlg.m_label.m_nCalls);
}

TEST_F(CtlColorReflectionTest, ChildWithoutBrush_FallsBackToTheParent)
{
    const HBRUSH hAnswer = Ask(WM_CTLCOLORSTATIC, IDC_LABEL);
    EXPECT_EQ(1, m_dlg.m_label.m_nCalls);  // offered once, not again by the fall-back
    EXPECT_EQ(1, m_dlg.m_nParentCalls);
    EXPECT_NE(nullptr, hAnswer);  // the dialog manager's default brush
    EXPECT_EQ(m_dlg.m_hFromFramework, hAnswer);
}

TEST_F(CtlColorReflectionTest, ControlWithoutObject_GetsTheDefault)
{
    EXPECT_NE(nullptr, Ask(WM_CTLCOLORSTATIC, IDC_UNBOUND));
    EXPECT_EQ(0, m_dlg.m_label.m_nCalls);
    EXPECT_EQ(1, m_dlg.m_nParentCalls);
}

TEST(CtlColorReflection, ParentWithoutHandler_StillReflects)
{
    REQUIRE_DESKTOP();
    DialogTemplate dlgTemplate = MakeTemplate(WS_POPUP);
    CPlainParentDlg dlg;
    ASSERT_TRUE(dlg.CreateIndirect(dlgTemplate.Get()));
    CBrush brush(RGB(1, 2, 3));
    dlg.m_label.m_hAnswer = brush;
    CClientDC dc(&dlg);
    const LRESULT answer = dlg.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC),
                                           reinterpret_cast<LPARAM>(dlg.m_label.m_hWnd));
    EXPECT_EQ(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(brush)), answer);
}

TEST(DrawItemReflection, OwnerDrawnButton_PaintsThroughDrawItem)
{
    REQUIRE_DESKTOP();
    DialogTemplate dlgTemplate = MakeTemplate(WS_POPUP | WS_VISIBLE);
    CPlainParentDlg dlg;
    ASSERT_TRUE(dlg.CreateIndirect(dlgTemplate.Get()));
    ::UpdateWindow(dlg.m_hWnd);
    ::RedrawWindow(dlg.m_ownerDrawn, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_TRUE(PumpUntil([&] { return dlg.m_ownerDrawn.m_nDraws > 0; }));
    EXPECT_EQ(static_cast<UINT>(IDC_OWNERDRAWN), dlg.m_ownerDrawn.m_nLastCtlID);
    EXPECT_EQ(dlg.m_ownerDrawn.m_hWnd, dlg.m_ownerDrawn.m_hLastItem);
}
