// Ownership of GDI objects, DCs and menus: what an object creates or attaches it releases;
// what FromHandle wraps is only borrowed.
#include "FrameworkTestSupport.h"

TEST(GdiOwnership, OwnedObjects_AreDeletedWithTheirWrapper)
{
    HGDIOBJ hBitmap;
    HGDIOBJ hBrush;
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(nullptr, 4, 4));
        CBrush brush(RGB(1, 2, 3));
        hBitmap = bitmap.m_hObject;
        hBrush = brush.m_hObject;
        EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), ::GetObjectType(hBitmap));
    }
    EXPECT_EQ(0u, ::GetObjectType(hBitmap));
    EXPECT_EQ(0u, ::GetObjectType(hBrush));
}

TEST(GdiOwnership, FromHandleWrappers_OnlyBorrow)
{
    CBrush owner(RGB(4, 5, 6));
    CBrush* pBorrowed = CBrush::FromHandle(owner);
    ASSERT_NE(nullptr, pBorrowed);
    EXPECT_NE(&owner, pBorrowed);
    EXPECT_EQ(owner.m_hObject, pBorrowed->m_hObject);
    AfxDeleteTempObjects();
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(owner.m_hObject));
}

TEST(GdiOwnership, DetachAndAttach_MoveOwnership)
{
    CPen pen;
    ASSERT_TRUE(pen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    HGDIOBJ hPen = pen.Detach();
    {
        CPen other;
        EXPECT_FALSE(other.Attach(nullptr));
        ASSERT_TRUE(other.Attach(hPen));
    }
    EXPECT_EQ(0u, ::GetObjectType(hPen));
}

TEST(GdiOwnership, SelectObject_ReturnsThePreviousObject)
{
    CDC memDC;
    ASSERT_TRUE(memDC.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&memDC, 8, 8));
    CBitmap* pPrevious = memDC.SelectObject(&bitmap);
    ASSERT_NE(nullptr, pPrevious);
    EXPECT_NE(bitmap.m_hObject, pPrevious->m_hObject);
    CBitmap* pSelected = memDC.SelectObject(pPrevious);
    ASSERT_NE(nullptr, pSelected);
    EXPECT_EQ(bitmap.m_hObject, pSelected->m_hObject);

    BITMAP info = {};
    EXPECT_EQ(static_cast<int>(sizeof(BITMAP)), bitmap.GetBitmap(&info));
    EXPECT_EQ(8, info.bmWidth);
    EXPECT_EQ(8, info.bmHeight);
}

TEST(GdiOwnership, MemoryDC_IsDeletedWithItsObject)
{
    HDC hDC;
    {
        CDC memDC;
        ASSERT_TRUE(memDC.CreateCompatibleDC(nullptr));
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
