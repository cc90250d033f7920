// Tests of the theme-function binder and the check-box images drawn through it: the stand-ins
// where the module is missing, the real functions where it is there, and the system's own boxes
// for every state when the binder has no theme functions (the path of systems without visual
// styles; the themed path is tested in ThemedCheckBoxesTest.cpp).
#include <gtest/gtest.h>

#include <windows.h>

#include "Client/Skin/CheckBoxImages.h"
#include "Client/Skin/HtmlTestSupport.h"
#include "Client/Skin/ThemeApiBinder.h"

namespace {

TEST(ThemeApiBinder, MissingModuleAnswersNoTheme)
{
    ThemeApiBinder missing("VelmoraNoSuchTheme.dll");
    EXPECT_TRUE(missing.GetModule() == NULL);
    RECT rc = {0, 0, 10, 10};
    HDC dc = GetDC(NULL);
    for (int round = 0; round < 2; ++round) {   // the stand-ins are kept, not looked up again
        EXPECT_TRUE(missing.OpenThemeData(GetDesktopWindow(), L"BUTTON") == NULL);
        EXPECT_EQ(E_FAIL, missing.CloseThemeData(HTHEME(1)));
        EXPECT_EQ(E_FAIL, missing.DrawThemeBackground(HTHEME(1), dc, 3, 1, &rc, NULL));
        EXPECT_EQ(E_FAIL, missing.DrawThemeEdge(HTHEME(1), dc, 3, 1, &rc, EDGE_RAISED, BF_RECT, NULL));
        EXPECT_FALSE(missing.IsThemeActive());
        EXPECT_FALSE(missing.IsAppThemed());
        EXPECT_FALSE(missing.IsThemed());
    }
    ReleaseDC(NULL, dc);

    // A module that is there but has none of the functions gets the stand-ins as well.
    ThemeApiBinder wrongModule("kernel32.dll");
    EXPECT_TRUE(wrongModule.GetModule() != NULL);
    EXPECT_TRUE(wrongModule.OpenThemeData(GetDesktopWindow(), L"BUTTON") == NULL);
    EXPECT_EQ(E_FAIL, wrongModule.DrawThemeBackground(NULL, NULL, 3, 1, &rc, NULL));
    EXPECT_FALSE(wrongModule.IsThemeActive());
}

TEST(ThemeApiBinder, ProgramBinderCallsTheThemeLibrary)
{
    ThemeApiBinder& api = ThemeApi();
    ASSERT_TRUE(api.GetModule() != NULL);
    EXPECT_TRUE(api.GetModule() == GetModuleHandleA("uxtheme.dll"));
    // The library itself answers a call without a theme handle, and not with the stand-in's
    // E_FAIL.
    RECT rc = {0, 0, 10, 10};
    HRESULT hr = api.DrawThemeBackground(NULL, NULL, 3, 1, &rc, NULL);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(E_FAIL, hr);
}

// Draws image index of list onto white and returns the canvas.
void DrawImage(CImageList& list, int index, DibCanvas& canvas)
{
    canvas.Fill(RGB(255, 255, 255));
    ImageList_Draw(list.GetSafeHandle(), index, canvas.dc.m_hDC, 0, 0, ILD_TRANSPARENT);
    GdiFlush();
}

bool SameImage(CImageList& list, int a, int b)
{
    DibCanvas first(CheckBoxImageSize, CheckBoxImageSize), second(CheckBoxImageSize, CheckBoxImageSize);
    DrawImage(list, a, first);
    DrawImage(list, b, second);
    for (int y = 0; y < CheckBoxImageSize; ++y)
        for (int x = 0; x < CheckBoxImageSize; ++x)
            if (first.Pixel(x, y) != second.Pixel(x, y))
                return false;
    return true;
}

int DarkPixels(CImageList& list, int index, const RECT& rc)
{
    DibCanvas canvas(CheckBoxImageSize, CheckBoxImageSize);
    DrawImage(list, index, canvas);
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += Red(canvas.Pixel(x, y)) + Green(canvas.Pixel(x, y)) + Blue(canvas.Pixel(x, y)) < 3 * 128;
    return n;
}

TEST(CheckBoxImages, WithoutAThemeTheSystemDrawsEveryState)
{
    ThemeApiBinder missing("VelmoraNoSuchTheme.dll");
    CImageList list;
    BOOL themed = TRUE;
    ASSERT_TRUE(BuildCheckBoxStateImages(list, missing, &themed));
    EXPECT_FALSE(themed);
    ASSERT_EQ(int(CheckBoxStateCount), list.GetImageCount());
    int w = 0, h = 0;
    ImageList_GetIconSize(list.GetSafeHandle(), &w, &h);
    EXPECT_EQ(CheckBoxImageSize, w);
    EXPECT_EQ(CheckBoxImageSize, h);

    DibCanvas strip(CheckBoxImageSize * CheckBoxStateCount, CheckBoxImageSize);
    for (int i = 0; i < CheckBoxStateCount; ++i)
        ImageList_Draw(list.GetSafeHandle(), i, strip.dc.m_hDC, i * CheckBoxImageSize, 0, ILD_TRANSPARENT);
    strip.SaveBmp("check-boxes.bmp");

    // The unused images are empty (the mask colour is transparent); the others are boxes.
    DibCanvas canvas(CheckBoxImageSize, CheckBoxImageSize);
    for (int index = 0; index < CheckBoxStateCount; ++index) {
        SCOPED_TRACE(index);
        DrawImage(list, index, canvas);
        bool blank = true;
        for (int y = 0; y < CheckBoxImageSize; ++y)
            for (int x = 0; x < CheckBoxImageSize; ++x) {
                DWORD p = canvas.Pixel(x, y);
                EXPECT_NE(0xFF00FFu, p) << "no mask colour shows";
                blank = blank && p == 0xFFFFFFu;
            }
        EXPECT_EQ((index & 3) == 0, blank);
    }
    // The inside of the box: empty when unchecked, a mark when checked or partly checked.
    RECT inside = {4, 4, 11, 11};
    EXPECT_EQ(0, DarkPixels(list, CheckBoxUnchecked, inside));
    EXPECT_GT(DarkPixels(list, CheckBoxChecked, inside), 5);
    EXPECT_FALSE(SameImage(list, CheckBoxChecked, CheckBoxMixed));
    EXPECT_FALSE(SameImage(list, CheckBoxUnchecked, CheckBoxMixed));
    for (int base = CheckBoxUnchecked; base <= CheckBoxMixed; ++base) {
        SCOPED_TRACE(base);
        EXPECT_FALSE(SameImage(list, base, base + CheckBoxDisabledOffset)) << "disabled looks different";
    }
}

}  // namespace
