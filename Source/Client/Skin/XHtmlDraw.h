// CXHtmlDraw: draws one line of ANSI text with a few HTML-like tags and character entities.
//
// Tags (any case): <B> <I> <U> <S> and their closing tags add and remove a level of bold,
// italic, underline and strikeout; <BIG>/<SMALL> change the font height by 2; <SUB>/<SUP>
// lower and raise the text; <FONT COLOR="..." BGCOLOR="..." FACE="..." SIZE="n"> changes the
// colours (names or "#RRGGBB", see CXNamedColors), the face and the height, </FONT> restores
// them; <A HREF="..."> starts a link in the link colour, </A> ends it. Any other "<...>" draws
// nothing, and a "<" with no ">" after it is dropped, exactly as GetPlainText leaves them out.
// Entities such as "&amp;", "&lt;" or "&euro;" stand for one character each.
//
// Usage: fill an HtmlDrawParams (colours, base font, rectangle), call Draw with a DC of a
// visible window (nothing is drawn into a DC of no window, such as a memory DC), then read the
// x position reached and the link state from the parameters. GUI thread only: Draw is not
// re-entrant (a nested call draws nothing).
#pragma once

#include <windows.h>

#include "Framework/CDC.h"
#include "Framework/CGdiObject.h"
#include "Framework/CString.h"

// A colour field with this value takes its default (see HtmlDrawParams).
const COLORREF HtmlDrawDefaultColour = 0xFFFFFFFFu;

// What one Draw call reads and reports; owned by the caller, reused from draw to draw.
struct HtmlDrawParams
{
    HtmlDrawParams();
    virtual ~HtmlDrawParams();
    HtmlDrawParams(const HtmlDrawParams&) = delete;
    HtmlDrawParams& operator=(const HtmlDrawParams&) = delete;

    // Forgets the background kept for transparent drawing (the next draw takes a new copy).
    void ResetBackground();

    // Colours; HtmlDrawDefaultColour gives COLOR_WINDOWTEXT for the text, COLOR_HOTLIGHT for
    // links, COLOR_WINDOW for the background, and no text background (text drawn transparently).
    COLORREF crText;
    COLORREF crAnchorText;
    COLORREF crBackground;
    COLORREF crTextBackground;
    // Transparent: the background is not filled. The first draw keeps a copy of the pixels under
    // the rectangle and every later draw starts from that copy (a new copy is taken when the
    // rectangle's size changes).
    BOOL bTransparent;
    // Levels the text starts with.
    int nBold, nItalic, nUnderline, nStrikeout;
    BOOL bOwnColoursOnly;       // FONT COLOR and BGCOLOR change nothing (a selected label
                                // keeps the selection colours)
    BOOL bEndEllipsis;          // adds DT_END_ELLIPSIS to every run
    BOOL bUseLogFont;           // lf is the base font; otherwise the DC's current font
    LOGFONTA lf;
    UINT uFormat;               // DrawText flags of every run
    RECT rect;                  // where to draw, in the DC's coordinates

    // --- results of the last draw -------------------------------------------------------------
    RECT rectDrawn;             // the rectangle drawn in
    int nRightX;                // rect.left + the width of all runs (may lie past rect.right
                                // when the text was clipped)
    CString strUrl;             // the URL of the last link (<A HREF=...>)
    BOOL bHasAnchor;            // the text has a link, drawn underlined (Draw's underlineLinks)
    int nAnchorStart;           // the x range of the last link
    int nAnchorEnd;

    // --- the kept background (transparent drawing) --------------------------------------------
    CDC dcBackground;
    CBitmap bmBackground;
    HGDIOBJ hOldBackground;
    SIZE sizeBackground;
};

class CXHtmlDraw
{
public:
    // Draw reads at most maxLength bytes of a text.
    explicit CXHtmlDraw(int maxLength = 1000);
    virtual ~CXHtmlDraw() {}

    // Draws text into params->rect of dc; fills the result fields of params. Always 0.
    int Draw(HDC dc, const char* text, HtmlDrawParams* params, BOOL underlineLinks);

    // The text as it reads: entities replaced by their characters, every "<...>" removed (a "<"
    // with no ">" after it is dropped). Copies at most size - 1 bytes and a NUL into buffer when
    // one is given; returns the length of the whole plain text.
    int GetPlainText(const char* text, char* buffer, int size) const;
    CString GetPlainText(const char* text) const;

    int GetMaxLength() const { return m_nMaxLength; }

private:
    int m_nMaxLength;
};
