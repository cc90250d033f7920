// Unit tests of CArray, CStringArray and CMap: element lifetime, bad indexes, iteration.
#include "Framework/Collections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ServiceRow {
    CString name;
    int state = 0;
};

std::vector<std::string> Names(const CArray<ServiceRow, ServiceRow&>& a)
{
    std::vector<std::string> v;
    for (INT_PTR i = 0; i < a.GetSize(); ++i)
        v.push_back(a[i].name.GetString());
    return v;
}

TEST(CArray, HoldsObjectsWithStrings)
{
    CArray<ServiceRow, ServiceRow&> a;
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetData(), nullptr);
    for (int i = 0; i < 50; ++i) {   // several reallocations
        ServiceRow r;
        r.name.Format("svc%d", i);
        r.state = i;
        EXPECT_EQ(a.Add(r), i);
    }
    EXPECT_EQ(a.GetCount(), 50);
    EXPECT_EQ(a.GetUpperBound(), 49);
    EXPECT_EQ(a.GetAt(49).name, "svc49");
    EXPECT_EQ(a.GetData()[7].state, 7);

    a.ElementAt(3).name = "changed";
    a.Add(a[3]);   // an element of its own
    EXPECT_EQ(a[50].name, "changed");

    CArray<ServiceRow, ServiceRow&> copy;
    copy.Copy(a);
    copy[0].name.SetAt(0, 'S');
    EXPECT_EQ(a[0].name, "svc0");
    EXPECT_EQ(copy[0].name, "Svc0");

    a.RemoveAt(1, 48);
    EXPECT_EQ(Names(a), (std::vector<std::string>{"svc0", "svc49", "changed"}));
    a.RemoveAll();
    EXPECT_TRUE(a.IsEmpty());
}

TEST(CArray, BadIndexesNeitherReadNorWriteOutside)
{
    CArray<int, int> a;
    a.Add(1);
    a.Add(2);
    const INT_PTR bad[] = {-1, 2, 1000, -100000};
    for (INT_PTR i : bad) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a.GetAt(i), 0);
        a.ElementAt(i) = 99;   // lands in the spare element, not in the array
        EXPECT_EQ(a[i], 0);
        a.SetAt(i, 77);
        a.RemoveAt(i);
        EXPECT_EQ(a.GetSize(), 2);
        EXPECT_EQ(a[0], 1);
        EXPECT_EQ(a[1], 2);
    }
    a.RemoveAt(1, 100);   // the count is clipped to the end
    EXPECT_EQ(a.GetSize(), 1);
    a.SetSize(-4);
    EXPECT_EQ(a.GetSize(), 1);
    a.InsertAt(-1, 5);
    EXPECT_EQ(a.GetSize(), 1);
}

TEST(CArray, InsertGrowAndAppend)
{
    CArray<int, int> a;
    a.InsertAt(0, 1);
    a.InsertAt(0, 0);
    a.InsertAt(1, 7, 2);
    a.InsertAt(6, 9);   // past the end: grows, the gap holds defaults
    const int expected[] = {0, 7, 7, 1, 0, 0, 9};
    ASSERT_EQ(a.GetSize(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(a[i], expected[i]) << i;

    a.SetSize(2);
    a.SetAtGrow(3, 4);
    EXPECT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a[2], 0);
    EXPECT_EQ(a[3], 4);
    EXPECT_EQ(a.Append(a), 4);   // appending itself doubles it
    EXPECT_EQ(a.GetSize(), 8);
    EXPECT_EQ(a[7], 4);
    CArray<int, int> head;
    head.Add(-1);
    a.InsertAt(0, &head);
    EXPECT_EQ(a[0], -1);
    EXPECT_EQ(a.GetSize(), 9);
}

TEST(CStringArray, ParallelArraysByIndex)
{
    CStringArray names, values;
    EXPECT_EQ(names.Add("first"), 0);
    EXPECT_EQ(names.Add(CString("second")), 1);
    values.SetSize(names.GetSize());
    values.SetAt(1, "two");
    EXPECT_EQ(values[0], "");
    EXPECT_EQ(values[1], "two");
    EXPECT_EQ(names.GetAt(5), "");   // out of range reads an empty string
    names.SetAt(5, "ignored");
    EXPECT_EQ(names.GetSize(), 2);
}

TEST(CMap, LookupSetRemoveAndIterate)
{
    CMap<CString, LPCSTR, int, int> m;
    m.InitHashTable(17);
    int v = -1;
    EXPECT_FALSE(m.Lookup("absent", v));
    EXPECT_EQ(v, -1);   // unchanged on a miss

    m.SetAt("Browser", 1);
    m["Windows"] = 2;
    m.SetAt("Browser", 3);   // replaces
    m.SetAt("browser", 4);   // keys are case-sensitive
    EXPECT_EQ(m.GetCount(), 3);
    ASSERT_TRUE(m.Lookup("Browser", v));
    EXPECT_EQ(v, 3);

    std::vector<std::string> seen;
    int sum = 0;
    for (POSITION pos = m.GetStartPosition(); pos != NULL;) {
        CString key;
        int value = 0;
        m.GetNextAssoc(pos, key, value);
        seen.push_back(key.GetString());
        sum += value;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Browser", "Windows", "browser"}));
    EXPECT_EQ(sum, 9);

    EXPECT_TRUE(m.RemoveKey("Windows"));
    EXPECT_FALSE(m.RemoveKey("Windows"));
    EXPECT_EQ(m.GetCount(), 2);
    m.RemoveAll();
    EXPECT_TRUE(m.IsEmpty());
    EXPECT_EQ(m.GetStartPosition(), nullptr);

    CMap<HANDLE, HANDLE, void*, void*> handles;   // pointer keys
    handles[reinterpret_cast<HANDLE>(8)] = &v;
    void* p = NULL;
    EXPECT_TRUE(handles.Lookup(reinterpret_cast<HANDLE>(8), p));
    EXPECT_EQ(p, &v);
}

}  // namespace
