// CXHtmlDraw: entity coding, the tag reader and the run painter (see XHtmlDraw.h).
#include "Client/Skin/XHtmlDraw.h"

#include <stdlib.h>
#include <string.h>

#include <string>

#include "Client/Skin/XNamedColors.h"

namespace {

// While tags are read an entity stands in the text as EntityMark followed by its code (the
// row index + 2): neither byte can be taken for "<" or ">", so "&lt;" never opens a tag.
const char EntityMark = '\x01';
const int FirstEntityCode = 2;

struct Entity
{
    const char* name;
    unsigned char character;
};

const Entity Entities[] = {
    {"&amp;", 38},    {"&bull;", 149},   {"&cent;", 162},   {"&copy;", 169},
    {"&deg;", 176},   {"&euro;", 128},   {"&frac12;", 189}, {"&frac14;", 188},
    {"&gt;", 62},     {"&iquest;", 191}, {"&lt;", 60},      {"&micro;", 181},
    {"&middot;", 183}, {"&nbsp;", 32},   {"&para;", 182},   {"&plusmn;", 177},
    {"&pound;", 163}, {"&quot;", 34},    {"&reg;", 174},    {"&sect;", 167},
    {"&sup1;", 185},  {"&sup2;", 178},   {"&times;", 215},  {"&trade;", 153},
};
const int EntityCount = int(sizeof Entities / sizeof Entities[0]);

// The text (at most maxLength bytes) with every entity replaced by its mark and code.
std::string EncodeEntities(const char* text, size_t maxLength)
{
    size_t length = strnlen(text, maxLength);
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length;) {
        if (text[i] == '&') {
            int found = -1;
            size_t nameLength = 0;
            for (int e = 0; e < EntityCount; ++e) {
                size_t n = strlen(Entities[e].name);
                if (i + n <= length && strncmp(text + i, Entities[e].name, n) == 0) {
                    found = e;
                    nameLength = n;
                    break;
                }
            }
            if (found >= 0) {
                out += EntityMark;
                out += char(found + FirstEntityCode);
                i += nameLength;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

// Mark-and-code pairs back to their characters.
std::string DecodeEntities(const char* text, size_t length)
{
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == EntityMark && i + 1 < length) {
            int row = int((unsigned char)text[i + 1]) - FirstEntityCode;
            if (row >= 0 && row < EntityCount) {
                out += char(Entities[row].character);
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// One attribute of a tag: NAME=value, NAME="value" or NAME='value'.
struct Attribute
{
    std::string name;    // upper case
    std::string value;
};

// Reads the next attribute of a tag's inside from pos; false at the end.
bool NextAttribute(const std::string& inside, size_t& pos, Attribute& attribute)
{
    while (pos < inside.size() && IsBlank(inside[pos]))
        ++pos;
    if (pos >= inside.size())
        return false;
    attribute.name.clear();
    attribute.value.clear();
    while (pos < inside.size() && !IsBlank(inside[pos]) && inside[pos] != '=') {
        char c = inside[pos++];
        attribute.name += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    }
    while (pos < inside.size() && IsBlank(inside[pos]))
        ++pos;
    if (pos < inside.size() && inside[pos] == '=') {
        ++pos;
        while (pos < inside.size() && IsBlank(inside[pos]))
            ++pos;
        if (pos < inside.size() && (inside[pos] == '"' || inside[pos] == '\'')) {
            char quote = inside[pos++];
            while (pos < inside.size() && inside[pos] != quote)
                attribute.value += inside[pos++];
            if (pos < inside.size())
                ++pos;   // the closing quote
        } else {
            while (pos < inside.size() && !IsBlank(inside[pos]))
                attribute.value += inside[pos++];
        }
    }
    return true;
}

COLORREF OrDefault(COLORREF colour, int sysColour)
{
    return colour == HtmlDrawDefaultColour ? ::GetSysColor(sysColour) : colour;
}

// The whole state of one Draw call.
struct HtmlDrawState
{
    HDC mem = NULL;
    int width = 0, height = 0;
    int originX = 0;                 // the rectangle's left in the target DC
    UINT format = 0;
    LOGFONTA baseFont = {};
    LOGFONTA font = {};
    int bold = 0, italic = 0, underline = 0, strikeout = 0;
    int subscript = 0, superscript = 0;
    COLORREF defaultText = 0;
    COLORREF text = 0;               // the current text colour
    COLORREF textBackground = HtmlDrawDefaultColour;
    COLORREF runBackground = HtmlDrawDefaultColour;
    COLORREF anchorColour = 0;
    COLORREF textBeforeAnchor = 0;
    bool inAnchor = false;
    bool anchorUnderlined = false;
    int x = 0;                       // reached so far, from the rectangle's left
    HtmlDrawParams* params = nullptr;
};

void DrawRun(HtmlDrawState& s, const char* run, size_t length)
{
    std::string plain = DecodeEntities(run, length);
    if (plain.empty())
        return;
    LOGFONTA lf = s.font;
    lf.lfWeight = s.bold > 0 ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = BYTE(s.italic > 0);
    lf.lfUnderline = BYTE(s.underline > 0);
    lf.lfStrikeOut = BYTE(s.strikeout > 0);
    HFONT font = ::CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = font ? ::SelectObject(s.mem, font) : NULL;

    ::SetTextColor(s.mem, s.text);
    if (s.textBackground == HtmlDrawDefaultColour) {
        ::SetBkMode(s.mem, TRANSPARENT);
    } else {
        ::SetBkMode(s.mem, OPAQUE);
        ::SetBkColor(s.mem, s.textBackground);
    }

    SIZE extent = {};
    ::GetTextExtentPoint32A(s.mem, plain.data(), int(plain.size()), &extent);
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(s.mem, &tm);

    if (s.runBackground != HtmlDrawDefaultColour && s.textBackground == HtmlDrawDefaultColour) {
        int boxWidth = extent.cx + 1;
        if (lf.lfItalic)
            boxWidth += 1;
        if (!(tm.tmPitchAndFamily & TMPF_TRUETYPE))
            boxWidth += 2;
        RECT box = {s.x, 0, s.x + boxWidth, s.height};
        if (box.right > s.width)
            box.right = s.width;
        HBRUSH brush = ::CreateSolidBrush(s.runBackground);
        ::FillRect(s.mem, &box, brush);
        ::DeleteObject(brush);
    }

    RECT rc = {s.x, 0, s.width, s.height};
    int shift = 0;
    if (s.subscript > 0)
        shift += tm.tmAscent / 2;
    if (s.superscript > 0)
        shift -= tm.tmAscent / 2;
    ::OffsetRect(&rc, 0, shift);
    UINT format = s.format | (s.params->bEndEllipsis ? DT_END_ELLIPSIS : 0);
    if (rc.left < rc.right)
        ::DrawTextA(s.mem, plain.data(), int(plain.size()), &rc, format);
    s.x += extent.cx;

    if (oldFont)
        ::SelectObject(s.mem, oldFont);
    if (font)
        ::DeleteObject(font);
}

void GrowFont(LOGFONTA& lf, int by)
{
    // A negative (or zero) height is a character height: more negative is larger.
    if (lf.lfHeight <= 0)
        lf.lfHeight -= by;
    else
        lf.lfHeight += by;
}

void EndAnchor(HtmlDrawState& s)
{
    if (!s.inAnchor)
        return;
    s.inAnchor = false;
    s.text = s.textBeforeAnchor;
    if (s.anchorUnderlined && s.underline > 0)
        --s.underline;
    s.anchorUnderlined = false;
    s.params->nAnchorEnd = s.originX + s.x;
}

// Applies one tag; inside is what lies between "<" and ">".
void ApplyTag(HtmlDrawState& s, const std::string& inside, BOOL underlineLinks)
{
    size_t nameEnd = 0;
    while (nameEnd < inside.size() && !IsBlank(inside[nameEnd]))
        ++nameEnd;
    std::string name = inside.substr(0, nameEnd);
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    auto close = [](int& level) {
        if (level > 0)
            --level;
    };

    if (name == "B") ++s.bold;
    else if (name == "/B") close(s.bold);
    else if (name == "I") ++s.italic;
    else if (name == "/I") close(s.italic);
    else if (name == "U") ++s.underline;
    else if (name == "/U") close(s.underline);
    else if (name == "S") ++s.strikeout;
    else if (name == "/S") close(s.strikeout);
    else if (name == "BIG" || name == "/SMALL") GrowFont(s.font, 2);
    else if (name == "SMALL" || name == "/BIG") GrowFont(s.font, -2);
    else if (name == "SUB") ++s.subscript;
    else if (name == "/SUB") close(s.subscript);
    else if (name == "SUP") ++s.superscript;
    else if (name == "/SUP") close(s.superscript);
    else if (name == "FONT") {
        size_t pos = nameEnd;
        Attribute a;
        while (NextAttribute(inside, pos, a)) {
            if (s.params->bOwnColoursOnly && (a.name == "COLOR" || a.name == "BGCOLOR"))
                continue;
            if (a.name == "COLOR") {
                s.text = CXNamedColors(a.value.c_str()).GetColor();
            } else if (a.name == "BGCOLOR") {
                s.runBackground = CXNamedColors(a.value.c_str()).GetColor();
            } else if (a.name == "FACE") {
                lstrcpynA(s.font.lfFaceName, a.value.c_str(), LF_FACESIZE);
            } else if (a.name == "SIZE") {
                s.font.lfHeight -= atoi(a.value.c_str());
            }
        }
    } else if (name == "/FONT") {
        s.font = s.baseFont;
        s.text = s.inAnchor ? s.anchorColour : s.defaultText;
        s.runBackground = HtmlDrawDefaultColour;
    } else if (name == "A") {
        size_t pos = nameEnd;
        Attribute a;
        bool hasUrl = false;
        std::string url;
        while (NextAttribute(inside, pos, a)) {
            if (a.name == "HREF") {
                hasUrl = true;
                url = a.value;
            }
        }
        if (!hasUrl)
            return;
        EndAnchor(s);
        HtmlDrawParams* p = s.params;
        p->strUrl = url.c_str();
        p->nAnchorStart = s.originX + s.x;
        p->nAnchorEnd = p->nAnchorStart;
        s.inAnchor = true;
        s.textBeforeAnchor = s.text;
        s.text = s.anchorColour;
        // Only an underlined link is one to click: a caller that draws links as plain coloured
        // text gets their URL and place but no link flag.
        if (underlineLinks) {
            ++s.underline;
            s.anchorUnderlined = true;
            p->bHasAnchor = TRUE;
        }
    } else if (name == "/A") {
        EndAnchor(s);
    }
    // Any other tag draws nothing.
}

// Selects a new bitmap of the DC's kind into a new memory DC.
bool MakeMemoryDC(HDC reference, int width, int height, CDC& dc, CBitmap& bitmap, HGDIOBJ& old)
{
    if (!dc.Attach(::CreateCompatibleDC(reference)))
        return false;
    if (!bitmap.Attach(::CreateCompatibleBitmap(reference, width, height))) {
        dc.DeleteDC();
        return false;
    }
    old = ::SelectObject(dc.m_hDC, bitmap.m_hObject);
    return true;
}

}  // namespace

// --- HtmlDrawParams -----------------------------------------------------------------------------

HtmlDrawParams::HtmlDrawParams()
    : crText(HtmlDrawDefaultColour), crAnchorText(HtmlDrawDefaultColour),
      crBackground(HtmlDrawDefaultColour), crTextBackground(HtmlDrawDefaultColour),
      bTransparent(FALSE), nBold(0), nItalic(0), nUnderline(0), nStrikeout(0),
      bOwnColoursOnly(FALSE), bEndEllipsis(FALSE), bUseLogFont(FALSE), lf(), uFormat(DT_LEFT | DT_VCENTER | DT_SINGLELINE),
      rect(), rectDrawn(), nRightX(0), bHasAnchor(FALSE), nAnchorStart(0), nAnchorEnd(0),
      hOldBackground(NULL), sizeBackground()
{
}

HtmlDrawParams::~HtmlDrawParams() { ResetBackground(); }

void HtmlDrawParams::ResetBackground()
{
    if (dcBackground.m_hDC && hOldBackground)
        ::SelectObject(dcBackground.m_hDC, hOldBackground);
    hOldBackground = NULL;
    dcBackground.DeleteDC();
    bmBackground.DeleteObject();
    sizeBackground.cx = sizeBackground.cy = 0;
}

// --- CXHtmlDraw ---------------------------------------------------------------------------------

CXHtmlDraw::CXHtmlDraw(int maxLength) : m_nMaxLength(maxLength > 0 ? maxLength : 0) {}

int CXHtmlDraw::Draw(HDC dc, const char* text, HtmlDrawParams* params, BOOL underlineLinks)
{
    static bool s_drawing = false;
    if (s_drawing)
        return 0;
    if (!dc || !text || !params || !*text || m_nMaxLength == 0)
        return 0;
    HWND window = ::WindowFromDC(dc);
    if (!window || !::IsWindowVisible(window))
        return 0;
    RECT clip;
    int clipType = ::GetClipBox(dc, &clip);
    if (clipType == ERROR || clipType == NULLREGION || ::IsRectEmpty(&clip))
        return 0;
    CRect rc(params->rect);
    if (rc.IsRectEmpty())
        return 0;

    struct Guard
    {
        Guard() { s_drawing = true; }
        ~Guard() { s_drawing = false; }
    } guard;

    int width = rc.Width(), height = rc.Height();
    CDC mem;
    CBitmap bitmap;
    HGDIOBJ oldBitmap = NULL;
    if (!MakeMemoryDC(dc, width, height, mem, bitmap, oldBitmap))
        return 0;

    if (params->bTransparent) {
        if (params->dcBackground.m_hDC &&
            (params->sizeBackground.cx != width || params->sizeBackground.cy != height))
            params->ResetBackground();
        if (!params->dcBackground.m_hDC &&
            MakeMemoryDC(dc, width, height, params->dcBackground, params->bmBackground,
                         params->hOldBackground)) {
            ::BitBlt(params->dcBackground.m_hDC, 0, 0, width, height, dc, rc.left, rc.top, SRCCOPY);
            params->sizeBackground.cx = width;
            params->sizeBackground.cy = height;
        }
        if (params->dcBackground.m_hDC)
            ::BitBlt(mem.m_hDC, 0, 0, width, height, params->dcBackground.m_hDC, 0, 0, SRCCOPY);
        else
            ::BitBlt(mem.m_hDC, 0, 0, width, height, dc, rc.left, rc.top, SRCCOPY);
    } else {
        mem.FillSolidRect(0, 0, width, height, OrDefault(params->crBackground, COLOR_WINDOW));
    }

    std::string coded = EncodeEntities(text, size_t(m_nMaxLength));
    params->strUrl.Empty();
    params->bHasAnchor = FALSE;
    params->nAnchorStart = params->nAnchorEnd = 0;

    HtmlDrawState s;
    s.mem = mem.m_hDC;
    s.width = width;
    s.height = height;
    s.originX = rc.left;
    s.format = params->uFormat;
    s.params = params;
    if (params->bUseLogFont) {
        s.baseFont = params->lf;
    } else {
        HGDIOBJ current = ::GetCurrentObject(dc, OBJ_FONT);
        if (!current || ::GetObjectA(current, sizeof s.baseFont, &s.baseFont) != int(sizeof s.baseFont))
            ::GetObjectA(::GetStockObject(SYSTEM_FONT), sizeof s.baseFont, &s.baseFont);
    }
    s.font = s.baseFont;
    s.bold = params->nBold;
    s.italic = params->nItalic;
    s.underline = params->nUnderline;
    s.strikeout = params->nStrikeout;
    s.defaultText = OrDefault(params->crText, COLOR_WINDOWTEXT);
    s.text = s.defaultText;
    s.textBackground = params->crTextBackground;
    s.anchorColour = OrDefault(params->crAnchorText, COLOR_HOTLIGHT);

    const char* p = coded.c_str();
    const char* end = p + coded.size();
    while (p < end) {
        const char* open = static_cast<const char*>(memchr(p, '<', size_t(end - p)));
        const char* runEnd = open ? open : end;
        DrawRun(s, p, size_t(runEnd - p));
        if (!open)
            break;
        const char* closeTag = static_cast<const char*>(memchr(open, '>', size_t(end - open)));
        if (!closeTag) {
            p = open + 1;   // a "<" that closes no tag is dropped
            continue;
        }
        ApplyTag(s, std::string(open + 1, closeTag), underlineLinks);
        p = closeTag + 1;
    }
    EndAnchor(s);

    ::BitBlt(dc, rc.left, rc.top, width, height, mem.m_hDC, 0, 0, SRCCOPY);
    ::SelectObject(mem.m_hDC, oldBitmap);
    params->rectDrawn = rc;
    params->nRightX = rc.left + s.x;
    return 0;
}

int CXHtmlDraw::GetPlainText(const char* text, char* buffer, int size) const
{
    if (!text) {
        if (buffer && size > 0)
            buffer[0] = 0;
        return 0;
    }
    std::string coded = EncodeEntities(text, strlen(text));
    std::string stripped;
    stripped.reserve(coded.size());
    for (size_t i = 0; i < coded.size();) {
        if (coded[i] == '<') {
            size_t close = coded.find('>', i);
            i = close == std::string::npos ? i + 1 : close + 1;
            continue;
        }
        stripped += coded[i++];
    }
    std::string plain = DecodeEntities(stripped.data(), stripped.size());
    if (buffer && size > 0) {
        size_t n = plain.size() < size_t(size - 1) ? plain.size() : size_t(size - 1);
        memcpy(buffer, plain.data(), n);
        buffer[n] = 0;
    }
    return int(plain.size());
}

CString CXHtmlDraw::GetPlainText(const char* text) const
{
    CString result;
    int n = GetPlainText(text, NULL, 0);
    char* buffer = result.GetBuffer(n);
    if (!buffer)
        return result;
    GetPlainText(text, buffer, n + 1);
    result.ReleaseBuffer(n);
    return result;
}
