// Ownership of GDI objects, DCs and menus: what an object creates or attaches it releases;
// what FromHandle wraps is only borrowed.
#include "FrameworkTestSupport.h"

TEST(GdiOwnership, OwnedObjects_AreDeletedWithTheirWrapper)
{
    HGDIOBJ hFont;
    HGDIOBJ hBrush;
    HGDIOBJ hPen;
    {
        LOGFONTW logFont = {};
        logFont.lfHeight = -12;
        wcscpy(logFont.lfFaceName, L"Tahoma");
        CFont font;
        ASSERT_TRUE(font.CreateFontIndirect(&logFont));
        CBrush brush(RGB(1, 2, 3));
        CPen pen;
        ASSERT_TRUE(pen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        hFont = font.GetSafeHandle();
        hBrush = brush.GetSafeHandle();
        hPen = pen.GetSafeHandle();
        EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), ::GetObjectType(hFont));
        LOGFONTW readBack = {};
        EXPECT_EQ(static_cast<int>(sizeof(LOGFONTW)), font.GetLogFont(&readBack));
        EXPECT_EQ(-12, readBack.lfHeight);
    }
    EXPECT_EQ(0u, ::GetObjectType(hFont));
    EXPECT_EQ(0u, ::GetObjectType(hBrush));
    EXPECT_EQ(0u, ::GetObjectType(hPen));
}

TEST(GdiOwnership, FromHandleWrappers_OnlyBorrow)
{
    CFont owner;
    LOGFONTW logFont = {};
    logFont.lfHeight = -10;
    ASSERT_TRUE(owner.CreateFontIndirect(&logFont));
    CFont* pBorrowed = CFont::FromHandle(owner);
    ASSERT_NE(nullptr, pBorrowed);
    EXPECT_NE(&owner, pBorrowed);
    EXPECT_EQ(owner.GetSafeHandle(), pBorrowed->GetSafeHandle());
    AfxDeleteTempObjects();
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), ::GetObjectType(owner.GetSafeHandle()));
}

TEST(GdiOwnership, MemoryDC_IsDeletedWithItsObject)
{
    HDC hDC;
    {
        CDC memDC;
        ASSERT_TRUE(memDC.Attach(::CreateCompatibleDC(nullptr)));
        hDC = memDC.m_hDC;
        EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(hDC));
    }
    EXPECT_EQ(0u, ::GetObjectType(hDC));
}

TEST(MenuOwnership, MenuIsDestroyedWithItsObjectUnlessDetached)
{
    HMENU hDestroyed;
    HMENU hKept;
    {
        CMenu destroyed;
        ASSERT_TRUE(destroyed.CreatePopupMenu());
        hDestroyed = destroyed;
        CMenu kept;
        ASSERT_TRUE(kept.CreateMenu());
        hKept = kept.Detach();
        EXPECT_EQ(&destroyed, CMenu::FromHandle(hDestroyed));
        EXPECT_FALSE(kept.Attach(hDestroyed));  // one permanent owner per menu
    }
    EXPECT_FALSE(::IsMenu(hDestroyed));
    EXPECT_TRUE(::IsMenu(hKept));
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(hKept));
    ::DestroyMenu(hKept);
}

// A borrowed wrapper is a type of its own, so a function handed a raw handle can wrap it
// for a scope without the temporaries, and the owner still has it afterwards.
TEST(GdiOwnership, BorrowedWrappers_GiveTheirHandleBack)
{
    CDC memDC;
    ASSERT_TRUE(memDC.Attach(::CreateCompatibleDC(nullptr)));
    CBrush brush(RGB(7, 8, 9));
    {
        CBorrowedDC view(memDC.m_hDC);
        CBorrowedGdiObject<CBrush> brushView(brush.GetSafeHandle());
        EXPECT_EQ(memDC.m_hDC, view.m_hDC);
        EXPECT_EQ(brush.GetSafeHandle(), static_cast<HGDIOBJ>(static_cast<HBRUSH>(brushView)));
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(memDC.m_hDC));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(brush.GetSafeHandle()));
}

// A DC object holds one DC: attaching another over it would either drop the first one
// or, for a window DC, delete what ReleaseDC must give back.
TEST(GdiOwnership, DCHoldingADC_RefusesAnother)
{
    CDC first;
    ASSERT_TRUE(first.Attach(::CreateCompatibleDC(nullptr)));
    HDC hSecond = ::CreateCompatibleDC(nullptr);
    ASSERT_NE(nullptr, hSecond);
    EXPECT_FALSE(first.Attach(hSecond));
    CClientDC screen(nullptr);
    ASSERT_NE(nullptr, screen.m_hDC);
    EXPECT_FALSE(screen.Attach(hSecond));
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(hSecond));
    ::DeleteDC(hSecond);
}

// The temporary wrapper of a menu never becomes its owner: once the temporaries are gone,
// the menu is still there and still has no permanent object.
TEST(MenuOwnership, TemporaryWrapper_LeavesTheMenuAlone)
{
    HMENU hMenu = ::CreatePopupMenu();
    ASSERT_NE(nullptr, hMenu);
    CMenu* pTemporary = CMenu::FromHandle(hMenu);
    ASSERT_NE(nullptr, pTemporary);
    EXPECT_FALSE(pTemporary->Attach(hMenu));
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(hMenu));
    AfxDeleteTempObjects();
    EXPECT_TRUE(::IsMenu(hMenu));
    ::DestroyMenu(hMenu);
}
