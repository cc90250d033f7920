// Tests of the HTML-like text renderer: colour specs and the colour-name table, entities and
// plain text, labels drawn into a visible window (the x reached, fonts, colours, links, the
// kept background, DCs it must not draw into), and what links do when they are opened.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "Client/Skin/HtmlTestSupport.h"
#include "Client/Skin/XHtmlDraw.h"
#include "Client/Skin/XHtmlDrawLink.h"
#include "Client/Skin/XNamedColors.h"

namespace {

const COLORREF Unread = 0x12345678;

TEST(XNamedColors, ColourTextsGiveTheirColours)
{
    const struct {
        const char* text;
        COLORREF colour;
    } cases[] = {
        {"#00FF00", RGB(0, 255, 0)},
        {"#2ab034", RGB(0x2A, 0xB0, 0x34)},
        {"#0F0", 0},               // three digits: black
        {"#00FF0", 0},
        {"#00FF000", 0},
        {"#GG0000", 0},            // not hexadecimal
        {"10,20,30", RGB(10, 20, 30)},
        {"10,20", RGB(10, 20, 0)},
        {"gray", RGB(0x7F, 0x7F, 0x7F)},
        {"BlanchedAlmond", RGB(0xFF, 0xFF, 0xCD)},
        {"YELLOWGREEN", RGB(0x8B, 0xCD, 0x32)},
        {"Red", RGB(255, 0, 0)},
        {"aliceblue", RGB(0xF0, 0xF8, 0xFF)},
        {"DarkSlateGray", RGB(0x2F, 0x4F, 0x4F)},
        {"LightGoldenRodYellow", RGB(0xFA, 0xFA, 0xD2)},
        {"Fuchsia", RGB(255, 0, 255)},
        {"nosuch", 0},
        {"", 0},
        {"Grey", 0},               // only the "Gray" spellings
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.colour, CXNamedColors(c.text).GetColor());
    }
    EXPECT_EQ(COLORREF(0), CXNamedColors(NULL).GetColor());
}

TEST(XNamedColors, SystemColourNamesFollowTheSystem)
{
    const struct {
        const char* name;
        int index;
    } cases[] = {
        {"WindowText", COLOR_WINDOWTEXT}, {"HotTrack", COLOR_HOTLIGHT}, {"hotlight", COLOR_HOTLIGHT},
        {"Window", COLOR_WINDOW},         {"BtnFace", COLOR_BTNFACE},   {"Control", COLOR_BTNFACE},
        {"ControlDarkDark", COLOR_3DDKSHADOW}, {"InfoBk", COLOR_INFOBK}, {"Info", COLOR_INFOBK},
        {"MenuHilight", COLOR_MENUHILIGHT}, {"ScrollBar", COLOR_SCROLLBAR},
        {"ActiveCaptionText", COLOR_CAPTIONTEXT}, {"InactiveCaptionText", COLOR_INACTIVECAPTIONTEXT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CXNamedColors colour(c.name);
        EXPECT_EQ(0x80000000u | COLORREF(c.index), colour.GetValue()) << "kept as a system colour";
        EXPECT_EQ(GetSysColor(c.index), colour.GetColor());
    }
}

TEST(XNamedColors, TableHoldsTheHtmlNamesThenTheSystemNames)
{
    ASSERT_EQ(179, CXNamedColors::GetNameCount());
    EXPECT_STREQ("AliceBlue", CXNamedColors::GetName(0));
    EXPECT_STREQ("YellowGreen", CXNamedColors::GetName(139));
    EXPECT_STREQ("ActiveBorder", CXNamedColors::GetName(140));
    EXPECT_STREQ("WindowText", CXNamedColors::GetName(178));
    EXPECT_EQ(nullptr, CXNamedColors::GetName(179));
    EXPECT_EQ(nullptr, CXNamedColors::GetName(-1));
    for (int i = 0; i < 179; ++i) {
        const char* name = CXNamedColors::GetName(i);
        bool system = (CXNamedColors(name).GetValue() & 0x80000000u) != 0;
        EXPECT_EQ(i >= 140, system) << name;
        // Alphabetical within each part, and every name finds its own row.
        if (i != 0 && i != 140) {
            EXPECT_LT(_stricmp(CXNamedColors::GetName(i - 1), name), 0) << name;
        }
    }
}

TEST(XHtmlDraw, EntitiesBecomeTheirCharacters)
{
    const struct {
        const char* entity;
        int code;
    } entities[] = {
        {"&amp;", 38},     {"&bull;", 149},  {"&cent;", 162},   {"&copy;", 169},   {"&deg;", 176},
        {"&euro;", 128},   {"&frac12;", 189}, {"&frac14;", 188}, {"&gt;", 62},     {"&iquest;", 191},
        {"&lt;", 60},      {"&micro;", 181}, {"&middot;", 183}, {"&nbsp;", 32},    {"&para;", 182},
        {"&plusmn;", 177}, {"&pound;", 163}, {"&quot;", 34},    {"&reg;", 174},    {"&sect;", 167},
        {"&sup1;", 185},   {"&sup2;", 178},  {"&times;", 215},  {"&trade;", 153},
    };
    CXHtmlDraw html;
    for (const auto& e : entities) {
        SCOPED_TRACE(e.entity);
        std::string text = std::string("a") + e.entity + "b";
        char buffer[16] = {};
        EXPECT_EQ(3, html.GetPlainText(text.c_str(), buffer, sizeof buffer));
        EXPECT_EQ('a', buffer[0]);
        EXPECT_EQ(e.code, int((unsigned char)buffer[1]));
        EXPECT_EQ('b', buffer[2]);
    }
}

TEST(XHtmlDraw, PlainTextLeavesTagsOut)
{
    const struct {
        const char* html;
        const char* plain;
    } cases[] = {
        {"a &amp; b", "a & b"},
        {"&lt;B&gt;x", "<B>x"},                 // entities never make tags
        {"<b>Bold</b> x", "Bold x"},
        {"1 < 2", "1  2"},                      // a "<" without ">" is dropped
        {"a<b", "ab"},
        {"x > y", "x > y"},
        {"&nbsp;", " "},
        {"&euro;", "\x80"},
        {"&trade;", "\x99"},
        {"&unknown; &amp", "&unknown; &amp"},   // only the table's entities
        {"&AMP;", "&AMP;"},
        {"<unknown tag>text</unknown>", "text"},
        {"<font size=\"+1\">file.tmp </font><font size=\"+1\" color=\"#2ab034\">(1.46 KB)</font>",
         "file.tmp (1.46 KB)"},
        {"<a href=\"http://x\">link</a>", "link"},
        {"plain", "plain"},
        {"", ""},
    };
    CXHtmlDraw html;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.html);
        char buffer[128] = {};
        EXPECT_EQ(int(strlen(c.plain)), html.GetPlainText(c.html, buffer, sizeof buffer));
        EXPECT_STREQ(c.plain, buffer);
        EXPECT_STREQ(c.plain, html.GetPlainText(c.html).GetString());
    }
    // A small buffer gets the start; the length is the whole plain text's.
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(6, html.GetPlainText("abcdef", small, sizeof small));
    EXPECT_STREQ("abc", small);
    EXPECT_EQ(6, html.GetPlainText("ab<i>cd</i>ef", NULL, 0));
    EXPECT_EQ(0, html.GetPlainText(NULL, small, sizeof small));
    EXPECT_STREQ("", small);
}

// A visible window to draw labels into, and the fonts to measure them with.
class HtmlDrawWindow : public ::testing::Test
{
protected:
    static const int Width = 600, Height = 40;

    void SetUp() override
    {
        ASSERT_TRUE(m_wnd.CreateEx(0, NULL, "html draw", WS_POPUP | WS_VISIBLE, 40, 420, Width, Height,
                                   NULL, NULL));
        PumpMessages(20);
        m_dc = GetDC(m_wnd.m_hWnd);
        m_base = MakeFont(-16, FW_NORMAL, FALSE);
    }
    void TearDown() override
    {
        ReleaseDC(m_wnd.m_hWnd, m_dc);
        m_wnd.DestroyWindow();
    }
    static LOGFONTA MakeFont(int height, int weight, BOOL italic)
    {
        LOGFONTA lf = {};
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfItalic = BYTE(italic);
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpyA(lf.lfFaceName, "Tahoma");
        return lf;
    }
    int Extent(const char* text, const LOGFONTA& lf) { return TextWidth(m_dc, text, lf); }
    void Prepare(HtmlDrawParams& p, int left = 10)
    {
        p.bUseLogFont = TRUE;
        p.lf = m_base;
        p.crBackground = RGB(255, 255, 255);
        p.crText = RGB(0, 0, 0);
        p.crAnchorText = RGB(0, 0, 255);
        p.uFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
        SetRect(&p.rect, left, 0, Width, Height);
        p.nRightX = -1;
    }

    CWnd m_wnd;
    HDC m_dc = NULL;
    LOGFONTA m_base = {};
};

// Each label is drawn and its x reached compared with the widths of its runs in their fonts;
// a colour it must show is looked for in the window's pixels.
TEST_F(HtmlDrawWindow, LabelsReachTheWidthOfTheirRunsInTheirColours)
{
    struct Run {
        const char* text;
        int heightChange;   // the run's height is -16 + this
        int weight;
        BOOL italic;
    };
    const struct {
        const char* html;
        std::vector<Run> runs;
        DWORD colour;       // 0x00RRGGBB that must show, or 0xFFFFFFFF for none
    } cases[] = {
        {"W<b>W</b>", {{"W", 0, FW_NORMAL, FALSE}, {"W", 0, FW_BOLD, FALSE}}, 0xFFFFFFFF},
        {"</B>WW", {{"WW", 0, FW_NORMAL, FALSE}}, 0xFFFFFFFF},
        {"&lt;B&gt;WW", {{"<B>WW", 0, FW_NORMAL, FALSE}}, 0xFFFFFFFF},
        {"a &amp; b", {{"a & b", 0, FW_NORMAL, FALSE}}, 0xFFFFFFFF},
        {"<B><b>x</b>y</B>z", {{"xy", 0, FW_BOLD, FALSE}, {"z", 0, FW_NORMAL, FALSE}}, 0xFFFFFFFF},
        {"<i>x</i>y", {{"x", 0, FW_NORMAL, TRUE}, {"y", 0, FW_NORMAL, FALSE}}, 0xFFFFFFFF},
        {"<big>A</big>A<small>A</small>", {{"A", -2, FW_NORMAL, FALSE}, {"A", 0, FW_NORMAL, FALSE},
                                           {"A", 2, FW_NORMAL, FALSE}}, 0xFFFFFFFF},
        {"<font size=\"+1\">file.tmp </font><font size=\"+1\" color=\"#2ab034\">(1.46 KB)</font>",
         {{"file.tmp (1.46 KB)", -1, FW_NORMAL, FALSE}}, 0x2AB034},
        {"<font color=\"#ff0000\">XX</font>XX", {{"XXXX", 0, FW_NORMAL, FALSE}}, 0xFF0000},
        {"<FONT COLOR=red>XX</FONT>", {{"XX", 0, FW_NORMAL, FALSE}}, 0xFF0000},
        {"<font bgcolor=\"#00ff00\">XX</font>", {{"XX", 0, FW_NORMAL, FALSE}}, 0x00FF00},
        {"<a href=\"http://x\">link</a> tail", {{"link tail", 0, FW_NORMAL, FALSE}}, 0x0000FF},
        {"1 < 2", {{"1  2", 0, FW_NORMAL, FALSE}}, 0xFFFFFFFF},
        {"<blink>ab</blink>", {{"ab", 0, FW_NORMAL, FALSE}}, 0xFFFFFFFF},
    };
    CXHtmlDraw html;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.html);
        FillRect(m_dc, CRect(0, 0, Width, Height), HBRUSH(GetStockObject(WHITE_BRUSH)));
        HtmlDrawParams p;
        Prepare(p);
        EXPECT_EQ(0, html.Draw(m_dc, c.html, &p, TRUE));
        int expected = p.rect.left;
        for (const Run& run : c.runs) {
            LOGFONTA lf = MakeFont(-16 + run.heightChange, run.weight, run.italic);
            expected += Extent(run.text, lf);
        }
        EXPECT_EQ(expected, p.nRightX);
        EXPECT_TRUE(EqualRect(&p.rect, &p.rectDrawn));

        DibCanvas canvas(Width, Height);
        ASSERT_TRUE(CaptureClient(m_wnd.m_hWnd, canvas, Width, Height));
        CRect drawn(p.rect.left, 0, p.nRightX, Height);
        EXPECT_GT(CountNear(canvas, drawn, 0x000000, 40) + CountNear(canvas, drawn, c.colour, 40), 0)
            << "the text shows";
        if (c.colour != 0xFFFFFFFF) {
            EXPECT_GT(CountNear(canvas, drawn, c.colour, 12), 0) << std::hex << c.colour;
        }
        // Nothing is drawn left of the rectangle.
        EXPECT_EQ(0xFFFFFFu, canvas.Pixel(p.rect.left - 3, Height / 2));
    }
}

TEST_F(HtmlDrawWindow, LinksReportTheirUrlAndPlace)
{
    CXHtmlDraw html;
    HtmlDrawParams p;
    Prepare(p);
    html.Draw(m_dc, "go <A HREF=\"http://example.invalid/a b\">here</a> now", &p, TRUE);
    EXPECT_TRUE(p.bHasAnchor);
    EXPECT_STREQ("http://example.invalid/a b", p.strUrl.GetString());
    EXPECT_EQ(p.rect.left + Extent("go ", m_base), p.nAnchorStart);
    LOGFONTA underlined = m_base;
    underlined.lfUnderline = TRUE;
    EXPECT_EQ(p.nAnchorStart + Extent("here", underlined), p.nAnchorEnd);

    // The underline ends with the link: the rest is drawn as before it.
    DibCanvas canvas(Width, Height);
    ASSERT_TRUE(CaptureClient(m_wnd.m_hWnd, canvas, Width, Height));
    CRect link(p.nAnchorStart, 0, p.nAnchorEnd, Height);
    CRect after(p.nAnchorEnd + Extent(" ", m_base), 0, p.nRightX, Height);
    EXPECT_GT(CountNear(canvas, link, 0x0000FF, 12), 0) << "in the link colour";
    EXPECT_EQ(0, CountNear(canvas, after, 0x0000FF, 60)) << "the colour ends with the link";
    auto longestRun = [&](const CRect& rc) {
        int best = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            int run = 0;
            for (int x = rc.left; x < rc.right; ++x) {
                run = Near(canvas.Pixel(x, y), 0xFFFFFF, 60) ? 0 : run + 1;
                best = run > best ? run : best;
            }
        }
        return best;
    };
    EXPECT_GE(longestRun(link), link.Width() - 2) << "the link is underlined";
    EXPECT_LT(longestRun(after), after.Width() - 4) << "the text after it is not";

    // A link without HREF is no link; each draw starts with no link.
    html.Draw(m_dc, "<a name=x>here</a>", &p, TRUE);
    EXPECT_FALSE(p.bHasAnchor);
    EXPECT_TRUE(p.strUrl.IsEmpty());
    // Without underlining the link keeps its colour, URL and place, but is no link to click.
    html.Draw(m_dc, "go <a href='u'>x</a>", &p, FALSE);
    EXPECT_FALSE(p.bHasAnchor);
    EXPECT_STREQ("u", p.strUrl.GetString());
    EXPECT_EQ(p.rect.left + Extent("go ", m_base), p.nAnchorStart);
    EXPECT_EQ(p.nAnchorStart + Extent("x", m_base), p.nAnchorEnd);
    EXPECT_EQ(p.nAnchorEnd, p.nRightX) << "not underlined: the regular font's width";
}

TEST_F(HtmlDrawWindow, NothingIsDrawnWithoutAVisibleWindowOrText)
{
    CXHtmlDraw html;
    HtmlDrawParams p;
    Prepare(p);
    // A memory DC belongs to no window.
    DibCanvas memory(Width, Height, RGB(1, 2, 3));
    EXPECT_EQ(0, html.Draw(memory.dc.m_hDC, "<b>text</b>", &p, TRUE));
    EXPECT_EQ(-1, p.nRightX);
    EXPECT_EQ(0x010203u, memory.Pixel(20, Height / 2));

    m_wnd.ShowWindow(SW_HIDE);
    html.Draw(m_dc, "text", &p, TRUE);
    EXPECT_EQ(-1, p.nRightX) << "hidden window";
    m_wnd.ShowWindow(SW_SHOWNA);

    html.Draw(m_dc, "", &p, TRUE);
    html.Draw(m_dc, NULL, &p, TRUE);
    html.Draw(NULL, "text", &p, TRUE);
    SetRect(&p.rect, 10, 10, 10, 30);
    html.Draw(m_dc, "text", &p, TRUE);
    EXPECT_EQ(-1, p.nRightX) << "empty text, no text, no DC, empty rectangle";
    EXPECT_EQ(0, html.Draw(m_dc, "text", NULL, TRUE));

    // The length limit: only the first bytes are read.
    CXHtmlDraw shortLimit(3);
    Prepare(p);
    shortLimit.Draw(m_dc, "WWWWWW", &p, TRUE);
    EXPECT_EQ(p.rect.left + Extent("WWW", m_base), p.nRightX);
}

TEST_F(HtmlDrawWindow, TransparentDrawsStartFromTheFirstBackground)
{
    CXHtmlDraw html;
    HtmlDrawParams p;
    Prepare(p);
    p.bTransparent = TRUE;
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(m_dc, CRect(0, 0, Width, Height), red);
    html.Draw(m_dc, "x", &p, TRUE);
    FillRect(m_dc, CRect(0, 0, Width, Height), blue);
    html.Draw(m_dc, "x", &p, TRUE);
    DibCanvas canvas(Width, Height);
    ASSERT_TRUE(CaptureClient(m_wnd.m_hWnd, canvas, Width, Height));
    EXPECT_EQ(0xFF0000u, canvas.Pixel(Width - 5, 2)) << "the kept (red) background";
    EXPECT_EQ(0x0000FFu, canvas.Pixel(3, 2)) << "outside the rectangle";

    p.ResetBackground();
    FillRect(m_dc, CRect(0, 0, Width, Height), blue);
    html.Draw(m_dc, "x", &p, TRUE);
    ASSERT_TRUE(CaptureClient(m_wnd.m_hWnd, canvas, Width, Height));
    EXPECT_EQ(0x0000FFu, canvas.Pixel(Width - 5, 2)) << "a new copy after the reset";
    DeleteObject(red);
    DeleteObject(blue);
}

// --- links ----------------------------------------------------------------------------------

class AppCommandWnd : public CWnd
{
public:
    std::vector<MSG> got;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_APP && message < WM_APP + 16) {
            MSG m = {m_hWnd, message, wParam, lParam, 0, {0, 0}};
            got.push_back(m);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(XHtmlDrawLink, AppLinksSendTheirCommandToTheFirstLiveWindow)
{
    CXHtmlDrawLink link;
    link.SetLaunchFunctions(RecordShellExecute, RecordWinExec);
    Launches().Clear();
    AppCommandWnd dead, live;
    ASSERT_TRUE(dead.CreateEx(0, NULL, "dead", WS_POPUP, 0, 0, 10, 10, NULL, NULL));
    ASSERT_TRUE(live.CreateEx(0, NULL, "live", WS_POPUP, 0, 0, 10, 10, NULL, NULL));

    link.GotoURL("APP:Refresh", SW_SHOW, 5);
    link.AddAppCommand(dead.m_hWnd, WM_APP + 1, 11, "Refresh");
    link.AddAppCommand(live.m_hWnd, WM_APP + 2, 22, "Refresh");
    link.AddAppCommand(live.m_hWnd, WM_APP + 3, 33, "Other");
    dead.DestroyWindow();

    link.GotoURL("APP:refresh", SW_SHOW, 7);
    link.GotoURL("\"APP:REFRESH\"", SW_SHOW, 8);
    link.GotoURL("app:Other", SW_SHOW, 9);
    link.GotoURL("APP:Missing", SW_SHOW, 10);
    ASSERT_EQ(3u, live.got.size());
    EXPECT_EQ(UINT(WM_APP + 2), live.got[0].message);
    EXPECT_EQ(WPARAM(22), live.got[0].wParam);
    EXPECT_EQ(LPARAM(7), live.got[0].lParam);
    EXPECT_EQ(LPARAM(8), live.got[1].lParam);
    EXPECT_EQ(UINT(WM_APP + 3), live.got[2].message);
    EXPECT_TRUE(dead.got.empty());
    EXPECT_TRUE(Launches().shellFiles.empty()) << "application commands never reach the shell";

    // With only a destroyed window left, nothing happens.
    link.RemoveAllAppCommands();
    AppCommandWnd gone;
    ASSERT_TRUE(gone.CreateEx(0, NULL, "gone", WS_POPUP, 0, 0, 10, 10, NULL, NULL));
    link.AddAppCommand(gone.m_hWnd, WM_APP + 4, 0, "Refresh");
    gone.DestroyWindow();
    link.GotoURL("APP:Refresh", SW_SHOW, 0);
    EXPECT_TRUE(gone.got.empty());
    EXPECT_EQ(3u, live.got.size());
    live.DestroyWindow();
}

TEST(XHtmlDrawLink, OtherLinksGoToTheShell)
{
    CXHtmlDrawLink link;
    link.SetLaunchFunctions(RecordShellExecute, RecordWinExec);
    Launches().Clear();
    link.GotoURL("http://example.invalid/", SW_SHOWMAXIMIZED, 0);
    ASSERT_EQ(1u, Launches().shellFiles.size());
    EXPECT_EQ("open", Launches().shellVerbs[0]);
    EXPECT_EQ("http://example.invalid/", Launches().shellFiles[0]);
    EXPECT_EQ(SW_SHOWMAXIMIZED, Launches().shellShows[0]);
    EXPECT_TRUE(Launches().winExecCommands.empty()) << "the shell opened it";
    link.GotoURL("", SW_SHOW, 0);
    link.GotoURL(NULL, SW_SHOW, 0);
    EXPECT_EQ(1u, Launches().shellFiles.size());

    EXPECT_TRUE(link.GetLinkCursor() != NULL);
    EXPECT_TRUE(link.SetLinkCursor());
}

TEST(XHtmlDrawLink, HandlerCommandTakesTheUrlInPlaceOfItsArgument)
{
    const struct {
        const char* handler;
        const char* command;
    } cases[] = {
        {"prog \"%1\"", "prog \"http://x\""},
        {"\"C:\\Program Files\\b.exe\" -nohome \"%1\" -x", "\"C:\\Program Files\\b.exe\" -nohome \"http://x\" -x"},
        {"prog %1 -new", "prog http://x -new"},
        {"prog", "prog http://x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handler);
        EXPECT_STREQ(c.command, CXHtmlDrawLink::MakeHandlerCommand(c.handler, "http://x").GetString());
    }
}

}  // namespace
