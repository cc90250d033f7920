// GDI wrappers: ownership of handles and the DC helpers, on a 32-bit memory DIB.
#include <windows.h>

#include <gtest/gtest.h>

#include "Framework/CDC.h"
#include "Framework/CGdiObject.h"
#include "Framework/CRect.h"

namespace {

TEST(GdiWrappers, ObjectsDeleteTheirHandlesAndDetachedOnesSurvive)
{
    HGDIOBJ kept;
    HGDIOBJ deleted;
    {
        CBrush a, b;
        ASSERT_TRUE(a.CreateSolidBrush(RGB(1, 2, 3)));
        ASSERT_TRUE(b.CreateSolidBrush(RGB(4, 5, 6)));
        EXPECT_FALSE(a.CreateSolidBrush(RGB(7, 8, 9)));   // already holding one
        deleted = a.m_hObject;
        kept = b.Detach();
    }
    EXPECT_EQ(GetObjectType(deleted), 0u);
    EXPECT_EQ(GetObjectType(kept), DWORD(OBJ_BRUSH));
    DeleteObject(kept);
}

TEST(GdiWrappers, MemoryDcDrawsIntoADibAndSelectReturnsThePreviousObject)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(NULL));
    CBitmap bmp;
    DWORD* bits = nullptr;
    ASSERT_TRUE(bmp.CreateDIBSection32(20, 10, &bits));
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bmp.GetSize(), CSize(20, 10));
    CBitmap* old = dc.SelectObject(&bmp);
    ASSERT_NE(old, nullptr);
    EXPECT_NE(old->m_hObject, bmp.m_hObject);

    dc.FillSolidRect(0, 0, 20, 10, RGB(0x10, 0x20, 0x30));
    dc.SetWindowOrg(5, 0);   // logical x 5 is pixel 0
    dc.FillSolidRect(5, 2, 2, 2, RGB(0xFF, 0, 0));
    GdiFlush();
    EXPECT_EQ(bits[0] & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(bits[2 * 20 + 0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(bits[2 * 20 + 2] & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(dc.SelectObject(old)->m_hObject, bmp.m_hObject);
}

TEST(GdiWrappers, RegionsCombine)
{
    CRgn a, b, c;
    ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
    ASSERT_TRUE(b.CreateRectRgn(5, 5, 20, 20));
    ASSERT_TRUE(c.CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(c.CombineRgn(&a, &b, RGN_AND), SIMPLEREGION);
    CRect box;
    c.GetRgnBox(&box);
    EXPECT_EQ(box, CRect(5, 5, 10, 10));
    EXPECT_TRUE(c.PtInRegion(6, 6));
    EXPECT_FALSE(c.PtInRegion(2, 2));
}

TEST(GdiWrappers, RectOperations)
{
    CRect r(10, 20, 110, 60);
    EXPECT_EQ(r.Width(), 100);
    EXPECT_EQ(r.Height(), 40);
    r.DeflateRect(1, 1);
    EXPECT_EQ(r, CRect(11, 21, 109, 59));
    r.OffsetRect(-11, -21);
    EXPECT_EQ(r.TopLeft(), CPoint(0, 0));
    EXPECT_TRUE(r.PtInRect(CPoint(0, 0)));
    EXPECT_FALSE(r.PtInRect(CPoint(98, 0)));   // right edge excluded
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
    EXPECT_EQ(CPoint(LPARAM(MAKELONG(-3, 7))), CPoint(-3, 7));
}

}  // namespace
