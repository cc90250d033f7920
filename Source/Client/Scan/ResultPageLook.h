// The look the registry and junk results pages share: their place over the scan page's result
// area, the header band with the page's picture, the light grey lines around the result area,
// the button faces and the fonts and colours of the heading and result texts.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "Client/Scan/ScanResultsOwner.h"
#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Framework/CDC.h"
#include "Framework/CGdiObject.h"
#include "Framework/CRect.h"
#include "Framework/CStatic.h"
#include "Framework/CWnd.h"

// Text colours of the statics (COLORREF).
const COLORREF ResultHeadingColour = RGB(45, 45, 45);
const COLORREF ResultTextColour = RGB(234, 113, 0);

// The scan page's result area in page's client coordinates; without a scan page, the same
// place in page's own dialog units.
CRect GetResultArea(CWnd* page, CScanResultsOwner* scanPage);

// The band above the result area, 17.85 % to 6.46 % of its height above its top and as wide,
// with the picture at its left, 10.53 % of the band's height down.
Style BuildResultHeaderBand(const CRect& area, int pictureId);

// 1-pixel light grey lines: under the header band and around the result area.
void DrawResultPageLines(CDC* dc, const CRect& area);

// A face from a PNG picture with the caption over it in Arial.
void SetResultButtonFace(StyleButton& button, int pictureId, const char* caption);

// The fonts: the heading Arial 20 bold, the other statics Arial 18.
void CreateResultFonts(CFont& heading, CFont& total, CFont& result);

// The width of a static's text in its font.
int TextWidth(CStatic& control);

// A heading whose text is wider than its static (the heading font is larger than the template's)
// is widened to its text, and the statics that follow it on its line move right by as much and a small gap, so
// the heading is never wrapped or cut.
void FitHeadingToText(CStatic& heading, std::initializer_list<CWnd*> followers);
