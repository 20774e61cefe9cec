// CArray and CStringArray: growth, removal and insertion at the edges.
#include <gtest/gtest.h>

#include "framework/Afx.h"

namespace {

std::vector<DWORD> Contents(const CArray<DWORD, DWORD>& array)
{
    std::vector<DWORD> values;
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        values.push_back(array[i]);
    return values;
}

}  // namespace

TEST(CArrayEdges, SetSize_GrowsWithZeroesAndShrinks)
{
    CArray<DWORD, DWORD> values;
    values.Add(7);
    values.SetSize(3);
    EXPECT_EQ((std::vector<DWORD>{ 7, 0, 0 }), Contents(values));
    values.SetSize(1);
    EXPECT_EQ((std::vector<DWORD>{ 7 }), Contents(values));
    values.SetSize(-1);
    EXPECT_TRUE(values.IsEmpty());
}

TEST(CArrayEdges, RemoveAt_CutsARangePastTheEnd)
{
    CArray<DWORD, DWORD> values;
    for (DWORD v = 1; v <= 5; ++v)
        values.Add(v);
    values.RemoveAt(3, 10);
    EXPECT_EQ((std::vector<DWORD>{ 1, 2, 3 }), Contents(values));
    values.RemoveAt(0);
    EXPECT_EQ((std::vector<DWORD>{ 2, 3 }), Contents(values));
    values.RemoveAt(5);  // outside: nothing happens
    values.RemoveAt(-1);
    EXPECT_EQ((std::vector<DWORD>{ 2, 3 }), Contents(values));
    values.RemoveAll();
    EXPECT_EQ(0, values.GetSize());
}

TEST(CArrayEdges, InsertAt_BeyondTheEndGrowsFirst)
{
    CArray<DWORD, DWORD> values;
    values.Add(1);
    values.InsertAt(3, 9, 2);
    EXPECT_EQ((std::vector<DWORD>{ 1, 0, 0, 9, 9 }), Contents(values));
    values.InsertAt(0, 5);
    EXPECT_EQ((std::vector<DWORD>{ 5, 1, 0, 0, 9, 9 }), Contents(values));
}

TEST(CArrayEdges, InsertAt_ElementOfTheSameArray)
{
    // The element passed by reference lives in the array that grows under it.
    CStringArray names;
    names.Add(L"first");
    for (int i = 0; i < 40; ++i)
        names.InsertAt(0, names[names.GetSize() - 1]);
    ASSERT_EQ(41, names.GetSize());
    for (INT_PTR i = 0; i < names.GetSize(); ++i)
        EXPECT_STREQ(L"first", names[i]);
}

