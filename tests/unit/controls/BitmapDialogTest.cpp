// The skinned dialog base: loading and replacing skins, painting the skin over the whole
// client area, transparent statics and dragging by the client area.
#include "controls/BitmapDialog.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace
{
constexpr UINT kNoSuchBitmap = 9999;
// The popup skin is 350 x 120.
constexpr int kSkinWidth = 350;
constexpr int kSkinHeight = 120;

// Opens the skin state to the tests and records the caption-drag requests the dialog
// posts to itself (without letting the system start a real move loop).
class CSkinProbeDialog : public CBitmapDialog
{
public:
    CSkinProbeDialog() : CBitmapDialog(IDD_POPUP, nullptr) {}

    HBITMAP SkinHandle() const
    {
        return m_pSkinBitmap ? static_cast<HBITMAP>(m_pSkinBitmap->GetSafeHandle()) : nullptr;
    }
    bool HoldsNothing() const { return !m_pSkinBitmap && !m_bHasSkin && !m_bOwnsSkin; }

    int m_nDragRequests = 0;
    WPARAM m_dragHitTest = 0;
    LPARAM m_dragPoint = 0;

protected:
    LRESULT OnNcLButtonDown(WPARAM wParam, LPARAM lParam)
    {
        ++m_nDragRequests;
        m_dragHitTest = wParam;
        m_dragPoint = lParam;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSkinProbeDialog, CBitmapDialog)
    ON_MESSAGE(WM_NCLBUTTONDOWN, &CSkinProbeDialog::OnNcLButtonDown)
END_MESSAGE_MAP()

class BitmapDialogTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dlg.Create(IDD_POPUP, nullptr)); }
    void TearDown() override
    {
        if (m_dlg.GetSafeHwnd() != nullptr)
            m_dlg.DestroyWindow();
    }

    void PumpPostedMessages()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    CSkinProbeDialog m_dlg;
};

// ---------------------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------------------

TEST_F(BitmapDialogTest, LoadSkin_MissingResource_ReturnsFalseAndHoldsNothing)
{
    EXPECT_FALSE(m_dlg.LoadSkinBitmap(kNoSuchBitmap));
    EXPECT_TRUE(m_dlg.HoldsNothing());
}

TEST_F(BitmapDialogTest, LoadSkin_SecondSkin_ReplacesAndFreesTheFirst)
{
    ASSERT_TRUE(m_dlg.LoadSkinBitmap(IDB_SKIN_MAIN));
    HBITMAP hFirst = m_dlg.SkinHandle();
    ASSERT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(hFirst)));

    ASSERT_TRUE(m_dlg.LoadSkinBitmap(IDB_SKIN_POPUP));
    EXPECT_EQ(0u, GetObjectType(hFirst)) << "the first skin's bitmap was not deleted";
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectW(m_dlg.SkinHandle(), sizeof(bm), &bm));
    EXPECT_EQ(kSkinWidth, bm.bmWidth);
    EXPECT_EQ(kSkinHeight, bm.bmHeight);
}

TEST_F(BitmapDialogTest, LoadSkin_FailureAfterASkin_ReleasesTheOldOne)
{
    ASSERT_TRUE(m_dlg.LoadSkinBitmap(IDB_SKIN_POPUP));
    HBITMAP hOld = m_dlg.SkinHandle();
    EXPECT_FALSE(m_dlg.LoadSkinBitmap(kNoSuchBitmap));
    EXPECT_TRUE(m_dlg.HoldsNothing());
    EXPECT_EQ(0u, GetObjectType(hOld));
}

// ---------------------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------------------

// Draws the dialog's background into a bitmap of the client's size and reads it back.
class ErasedBackground
{
public:
    ErasedBackground(HWND hDlg, int cx, int cy, COLORREF fill)
    {
        HDC hScreen = GetDC(nullptr);
        m_hdc = CreateCompatibleDC(hScreen);
        m_hBitmap = CreateCompatibleBitmap(hScreen, cx, cy);
        ReleaseDC(nullptr, hScreen);
        m_hOld = SelectObject(m_hdc, m_hBitmap);
        HBRUSH hFill = CreateSolidBrush(fill);
        RECT rc = {0, 0, cx, cy};
        FillRect(m_hdc, &rc, hFill);
        DeleteObject(hFill);
        m_result = SendMessageW(hDlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(m_hdc), 0);
    }
    ~ErasedBackground()
    {
        SelectObject(m_hdc, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hdc);
    }
    COLORREF At(int x, int y) const { return GetPixel(m_hdc, x, y); }
    LRESULT Result() const { return m_result; }

private:
    HDC m_hdc;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    LRESULT m_result;
};

COLORREF SkinPixel(HBITMAP hSkin, int x, int y)
{
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, hSkin);
    const COLORREF colour = GetPixel(hdc, x, y);
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
    return colour;
}

TEST_F(BitmapDialogTest, EraseBackground_ScalesTheSkinOverTheWholeClientArea)
{
    ASSERT_TRUE(m_dlg.LoadSkinBitmap(IDB_SKIN_POPUP));
    // A client area twice the skin's size: each skin pixel covers two by two.
    RECT rc = {0, 0, 2 * kSkinWidth, 2 * kSkinHeight};
    AdjustWindowRectEx(&rc, GetWindowLongW(m_dlg.GetSafeHwnd(), GWL_STYLE), FALSE,
                       GetWindowLongW(m_dlg.GetSafeHwnd(), GWL_EXSTYLE));
    m_dlg.MoveWindow(0, 0, rc.right - rc.left, rc.bottom - rc.top, FALSE);
    RECT client = {};
    GetClientRect(m_dlg.GetSafeHwnd(), &client);
    ASSERT_EQ(2 * kSkinWidth, client.right);
    ASSERT_EQ(2 * kSkinHeight, client.bottom);

    const COLORREF kFill = RGB(255, 0, 255);
    ErasedBackground painted(m_dlg.GetSafeHwnd(), client.right, client.bottom, kFill);
    EXPECT_NE(0, painted.Result());

    const HBITMAP hSkin = m_dlg.SkinHandle();
    const POINT samples[] = {{0, 0}, {kSkinWidth - 1, kSkinHeight - 1}, {100, 60}, {300, 13},
                             {kSkinWidth / 2, 0}, {0, kSkinHeight / 2}};
    for (const POINT& p : samples)
    {
        const COLORREF expected = SkinPixel(hSkin, p.x, p.y);
        EXPECT_EQ(expected, painted.At(2 * p.x, 2 * p.y)) << p.x << "," << p.y;
        EXPECT_EQ(expected, painted.At(2 * p.x + 1, 2 * p.y + 1)) << p.x << "," << p.y;
    }
}

// ---------------------------------------------------------------------------------------
// Transparent statics and dragging
// ---------------------------------------------------------------------------------------

TEST_F(BitmapDialogTest, CtlColorStatic_WithoutSkin_IsStillTransparent)
{
    ASSERT_TRUE(m_dlg.HoldsNothing());
    HDC hdc = CreateCompatibleDC(nullptr);
    SetBkMode(hdc, OPAQUE);
    HWND hStatic = GetDlgItem(m_dlg.GetSafeHwnd(), IDC_POPUP_LINE1);
    ASSERT_NE(nullptr, hStatic);
    const LRESULT brush = SendMessageW(m_dlg.GetSafeHwnd(), WM_CTLCOLORSTATIC,
                                       reinterpret_cast<WPARAM>(hdc),
                                       reinterpret_cast<LPARAM>(hStatic));
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), brush);
    EXPECT_EQ(TRANSPARENT, GetBkMode(hdc));

    m_dlg.m_bTransparentControls = FALSE;
    SetBkMode(hdc, OPAQUE);
    const LRESULT plain = SendMessageW(m_dlg.GetSafeHwnd(), WM_CTLCOLORSTATIC,
                                       reinterpret_cast<WPARAM>(hdc),
                                       reinterpret_cast<LPARAM>(hStatic));
    EXPECT_NE(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), plain);
    EXPECT_EQ(OPAQUE, GetBkMode(hdc));
    DeleteDC(hdc);
}

TEST_F(BitmapDialogTest, LeftButtonDown_StartsACaptionDragOnlyWhenAsked)
{
    const LPARAM click = MAKELPARAM(37, 81);
    SendMessageW(m_dlg.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, click);
    PumpPostedMessages();
    EXPECT_EQ(0, m_dlg.m_nDragRequests);

    m_dlg.m_bDragAnywhere = TRUE;
    SendMessageW(m_dlg.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, click);
    // Posted, not sent: nothing arrives before the queue is pumped.
    EXPECT_EQ(0, m_dlg.m_nDragRequests);
    PumpPostedMessages();
    EXPECT_EQ(1, m_dlg.m_nDragRequests);
    EXPECT_EQ(static_cast<WPARAM>(HTCAPTION), m_dlg.m_dragHitTest);
    EXPECT_EQ(click, m_dlg.m_dragPoint);
}
}  // namespace
