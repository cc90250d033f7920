// The look of HTML labels and the HTML tree together: a window with a paragraph of HTML text
// (bold, colours, a link, entities, sizes) and two HTML trees with checked, unchecked and partly
// checked items: one with the check boxes of the theme functions as the program binds them (the
// prefix's theme, when one is active), one bound to a missing theme module (the system's own
// boxes). Saves the window as html-look.bmp in the test folder, for looking at;
// scripts/screenshots takes the same window from the X display as html-labels-and-trees.png.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>

#include "Client/Skin/HtmlTestSupport.h"
#include "Client/Skin/ThemeApiBinder.h"
#include "Client/Skin/XHtmlDraw.h"
#include "Client/Skin/XHtmlTree.h"
#include "Support/ScreenshotPause.h"

namespace {

const char* const Paragraph[] = {
    "<b>Velmora</b> found <font color=\"#1a66a2\"><b>12</b> junk files</font> taking "
    "<font color=\"#2ab034\">1.46 MB</font> &bull; <font color=\"Crimson\">3 errors</font>",
    "Read more on <a href=\"http://example.invalid/help\">the help page</a> &amp; in the "
    "<i>tips</i> &copy; 2024 &lt;not a tag&gt;",
    "<big>Big</big> <small>small</small> <u>underlined</u> <s>struck</s> H<sub>2</sub>O "
    "x<sup>2</sup> <font bgcolor=\"#ffff00\">marked</font> <font face=\"Courier New\">fixed</font>",
};
const int ParagraphLines = 3;
const int LineHeight = 26;

// Draws the paragraph whenever it paints.
class ParagraphWnd : public CWnd
{
public:
    CXHtmlDraw html;
    HtmlDrawParams lines[ParagraphLines];

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_PAINT)
            return CWnd::WindowProc(message, wParam, lParam);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        CRect client;
        GetClientRect(&client);
        FillRect(dc, &client, HBRUSH(GetStockObject(WHITE_BRUSH)));
        for (int i = 0; i < ParagraphLines; ++i) {
            HtmlDrawParams& p = lines[i];
            p.bUseLogFont = TRUE;
            memset(&p.lf, 0, sizeof p.lf);
            p.lf.lfHeight = -16;
            p.lf.lfCharSet = DEFAULT_CHARSET;
            lstrcpyA(p.lf.lfFaceName, "Tahoma");
            p.crBackground = RGB(255, 255, 255);
            p.crAnchorText = RGB(0, 0, 255);
            p.uFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
            SetRect(&p.rect, 10, 8 + i * LineHeight, client.right - 10, 8 + (i + 1) * LineHeight);
            html.Draw(dc, Paragraph[i], &p, TRUE);
        }
        EndPaint(m_hWnd, &ps);
        return 0;
    }
};

TEST(HtmlLook, ParagraphAndTreeWithEveryCheckState)
{
    InitCommonControls();
    HtmlHostWnd host;
    ASSERT_TRUE(host.CreateHost(20, 20, 720, 560));
    ParagraphWnd paragraph;
    ASSERT_TRUE(paragraph.CreateEx(0, NULL, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 720, 96), &host, 1));
    CXHtmlTree tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                                TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                            CRect(10, 100, 710, 430), &host, 1032));
    tree.Initialize(TRUE, FALSE);
    tree.SetSmartCheck(TRUE);
    tree.SetItemHeight(22);

    HTREEITEM system = tree.InsertItem("<b>Windows System</b> <font color=\"#1a66a2\">(4 items, 7.91 KB)</font>");
    HTREEITEM temp = tree.InsertItem("<font size=\"+1\">Temporary Files </font><font size=\"+1\" "
                                     "color=\"#1a66a2\">(3 files found , a total of 6.45 KB)</font>", system);
    const char* files[] = {"C:\\Windows\\Temp\\a.tmp", "C:\\Windows\\Temp\\b.log", "C:\\Windows\\Temp\\c.dmp"};
    const char* sizes[] = {"1.46 KB", "2.99 KB", "2.00 KB"};
    for (int i = 0; i < 3; ++i) {
        CString label;
        label.Format("<font size=\"+1\">%s </font><font size=\"+1\" color=\"#2ab034\">(%s)</font>", files[i], sizes[i]);
        HTREEITEM f = tree.InsertItem(label, temp);
        tree.SetCheck(f, TRUE);
        tree.SetItemValue(f, XHtmlTreeEnabled, 0);
    }
    HTREEITEM recycle = tree.InsertItem("<font size=\"+1\">Recycle Bin </font><font size=\"+1\" "
                                        "color=\"#2ab034\">(No junk found)</font>", system);
    HTREEITEM browser = tree.InsertItem("<b>Mozilla Firefox</b> <font color=\"#1a66a2\">(2 items)</font>");
    HTREEITEM cache = tree.InsertItem("<font size=\"+1\">Internet Cache </font><font size=\"+1\" "
                                      "color=\"#1a66a2\">(2 files found , a total of 1.46 KB)</font>", browser);
    HTREEITEM c1 = tree.InsertItem("cache2\\entries\\0A1B <a href=\"http://example.invalid/why\">why?</a>", cache);
    tree.InsertItem("cache2\\entries\\9F8E", cache);
    tree.SetCheck(c1, TRUE);
    HTREEITEM note = tree.InsertItem("<i>Cookies were not scanned</i>");
    tree.SetItemValue(note, XHtmlTreeReadOnly, 1);
    tree.Expand(system, TVE_EXPAND);
    tree.Expand(temp, TVE_EXPAND);
    tree.Expand(browser, TVE_EXPAND);
    tree.Expand(cache, TVE_EXPAND);
    tree.SelectItem(recycle);

    // The same states in the system's look.
    ThemeApiBinder missing("VelmoraNoSuchTheme.dll");
    CXHtmlTree plain;
    ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                                 TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                             CRect(10, 436, 710, 550), &host, 1033));
    plain.SetThemeBinder(&missing);
    plain.Initialize(TRUE, FALSE);
    plain.SetSmartCheck(TRUE);
    plain.SetItemHeight(22);
    HTREEITEM group = plain.InsertItem("<b>Without a theme</b> <font color=\"#1a66a2\">(partly checked)</font>");
    HTREEITEM on = plain.InsertItem("<font color=\"#2ab034\">checked</font>", group);
    plain.InsertItem("unchecked", group);
    HTREEITEM off = plain.InsertItem("<i>checked, disabled</i>", group);
    plain.SetCheck(on, TRUE);
    plain.SetCheck(off, TRUE);
    plain.SetItemValue(off, XHtmlTreeEnabled, 0);
    plain.Expand(group, TVE_EXPAND);
    EXPECT_EQ(CheckBoxMixed, plain.GetCheckState(group));

    EXPECT_EQ(CheckBoxMixed, tree.GetCheckState(system));
    EXPECT_EQ(CheckBoxChecked, tree.GetCheckState(temp));
    EXPECT_EQ(CheckBoxUnchecked, tree.GetCheckState(recycle));
    EXPECT_EQ(CheckBoxMixed, tree.GetCheckState(browser));
    EXPECT_EQ(CheckBoxMixed, tree.GetCheckState(cache));

    host.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages(100);
    CRect w;
    host.GetWindowRect(&w);
    DibCanvas canvas(w.Width(), w.Height());
    ASSERT_TRUE(canvas.CaptureWindow(host.m_hWnd));
    ASSERT_TRUE(canvas.SaveBmp("html-look.bmp"));

    // The paragraph: its colours, the link colour under the link, and the marked box.
    CRect text(0, 0, 720, 96);
    EXPECT_GT(CountNear(canvas, text, 0x1A66A2, 12), 10);
    EXPECT_GT(CountNear(canvas, text, 0x2AB034, 12), 10);
    EXPECT_GT(CountNear(canvas, text, 0xFFFF00, 0), 100);
    HtmlDrawParams& second = paragraph.lines[1];
    EXPECT_TRUE(second.bHasAnchor);
    CRect link(second.nAnchorStart, second.rect.top, second.nAnchorEnd, second.rect.bottom);
    EXPECT_GT(CountNear(canvas, link, 0x0000FF, 12), 10);
    // The tree: the size colours of the labels.
    CRect treeArea(10, 100, 710, 430);
    EXPECT_GT(CountNear(canvas, treeArea, 0x2AB034, 12), 10);
    EXPECT_GT(CountNear(canvas, treeArea, 0x1A66A2, 12), 10);

    PauseForScreenshot("html-labels-and-trees");

    plain.DestroyWindow();
    tree.DestroyWindow();
    paragraph.DestroyWindow();
    host.DestroyWindow();
}

}  // namespace
