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

TEST(CArrayEdges, AddAndIndex)
{
    CArray<DWORD, DWORD> pids;
    EXPECT_TRUE(pids.IsEmpty());
    EXPECT_EQ(nullptr, pids.GetData());
    EXPECT_EQ(0, pids.Add(4));
    EXPECT_EQ(1, pids.Add(8));
    pids[1] = 9;
    pids.SetAt(0, 5);
    pids.ElementAt(0) += 1;
    EXPECT_EQ((std::vector<DWORD>{ 6, 9 }), Contents(pids));
    EXPECT_EQ(2, pids.GetCount());
    EXPECT_EQ(6u, pids.GetData()[0]);
}

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

TEST(CStringArrayCopies, ElementsAreIndependentValues)
{
    CStringArray facts;
    CString name(L"PC-1");
    facts.Add(name);
    facts.Add(L"Windows 7");
    name = L"changed";
    CStringArray copy = facts;
    copy[0] = L"other";
    EXPECT_STREQ(L"PC-1", facts.GetAt(0));
    EXPECT_STREQ(L"Windows 7", facts[1]);
    EXPECT_STREQ(L"other", copy[0]);
}
