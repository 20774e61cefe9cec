// The engine's view over a real window: label texts, and the repaint of the skin
// behind them in the parent's own coordinates.
#include "engine/DialogBoostView.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// A visible parent window with the two labels at places of their own, away from the
// parent's origin so a wrong coordinate mapping shows.
class LabelWindow
{
public:
    LabelWindow()
    {
        m_hWnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 150, 120, 800, 450,
                                 NULL, NULL, GetModuleHandleW(NULL), NULL);
        CreateLabel(IDC_PROCESS_COUNT, 533, 326, 106, 32);
        CreateLabel(IDC_FOCUS_APP, 403, 360, 256, 32);
    }
    ~LabelWindow() { DestroyWindow(m_hWnd); }

    HWND Handle() const { return m_hWnd; }

    std::wstring TextOf(int id) const
    {
        wchar_t text[256] = {};
        GetDlgItemTextW(m_hWnd, id, text, 256);
        return text;
    }

    // Lets the parent paint everything pending, so only new invalidation remains.
    void PaintAll()
    {
        UpdateWindow(m_hWnd);
        ValidateRect(m_hWnd, NULL);
    }

private:
    void CreateLabel(int id, int x, int y, int width, int height)
    {
        CreateWindowExW(0, L"STATIC", L"0", WS_CHILD | WS_VISIBLE, x, y, width, height, m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(NULL),
                        NULL);
    }

    HWND m_hWnd = NULL;
};
}

TEST(DialogBoostView, SetTexts_WriteLabelsAndInvalidateTheirAreaOfTheParent)
{
    LabelWindow window;
    ASSERT_TRUE(window.Handle() != NULL);
    CDialogBoostView view(window.Handle());

    window.PaintAll();
    view.SetProcessCountText(L"42");
    EXPECT_EQ(L"42", window.TextOf(IDC_PROCESS_COUNT));
    RECT dirty = {};
    ASSERT_TRUE(GetUpdateRect(window.Handle(), &dirty, FALSE));
    EXPECT_EQ(533, dirty.left);
    EXPECT_EQ(326, dirty.top);
    EXPECT_EQ(533 + 106, dirty.right);
    EXPECT_EQ(326 + 32, dirty.bottom);

    window.PaintAll();
    view.SetFocusAppText(L"notepad");
    EXPECT_EQ(L"notepad", window.TextOf(IDC_FOCUS_APP));
    ASSERT_TRUE(GetUpdateRect(window.Handle(), &dirty, FALSE));
    EXPECT_EQ(403, dirty.left);
    EXPECT_EQ(360, dirty.top);

    view.UpdateNow();
    EXPECT_FALSE(GetUpdateRect(window.Handle(), &dirty, FALSE));
}

TEST(DialogBoostView, SameTextAgain_LeavesTheSkinUnpainted)
{
    LabelWindow window;
    ASSERT_TRUE(window.Handle() != NULL);
    CDialogBoostView view(window.Handle());
    view.SetProcessCountText(L"42");
    window.PaintAll();

    // The cycle writes the count 20 times a second; an unchanged count costs no paint.
    view.SetProcessCountText(L"42");
    RECT dirty = {};
    EXPECT_FALSE(GetUpdateRect(window.Handle(), &dirty, FALSE));

    view.SetProcessCountText(L"421");
    EXPECT_TRUE(GetUpdateRect(window.Handle(), &dirty, FALSE));
    EXPECT_EQ(L"421", window.TextOf(IDC_PROCESS_COUNT));
}
