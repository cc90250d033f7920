// The look the Restore Center and the Settings dialog share: the blue title strip with its icon
// and title, the white body, the "X", the two tab buttons, the list's header strip and its
// divider, and the plain faces of their buttons.
#pragma once

#include <windows.h>

#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Framework/CDC.h"
#include "Framework/CRect.h"
#include "Framework/CWnd.h"

const int GradientHorizontal = 0;
const int GradientVertical = 1;
const int RegularText = 0;
const int BoldText = 1;

// The control's rectangle in the client coordinates of its dialog (empty when it is missing).
CRect DialogControlRect(const CWnd* dialog, int id);

// Each Add* appends its layers to target.
// The title strip over the width of the client area from its top to stripBottom: fill
// 0xFF297CB2, 1-pixel edge 0xFF1167BD, the icon at (6, 9), the title in white Calibri 14 at
// (23, 8).
void AddTitleStrip(Style& target, const CRect& client, int stripBottom, int iconId, const char* title);
// The white body from bodyTop to the bottom of the client area, one pixel narrower.
void AddWhiteBody(Style& target, const CRect& client, int bodyTop);
// The list's header strip over band: top is the gradient fill (a solid fill when it equals
// bottom), a 1-pixel edge and a 1-pixel inner edge (none when 0), and the two column titles in Calibri 14, colour 0xFF505050, at the
// given fractions of the band's width and height.
void AddHeaderStrip(Style& target, const CRect& band, DWORD top, DWORD bottom, DWORD edge, DWORD innerEdge,
                    const char* first, double firstX, const char* second, double secondX,
                    double textY);
// The 1-pixel 0xFFCCCCCC line at x inside band, from 15 % of its height below its top to 20 %
// above its bottom.
void DrawHeaderDivider(CDC* dc, int x, const CRect& band);

// "X" in Arial 13 bold, white, on the red-rimmed glow of the main window's exit button.
void SetCloseButtonFaces(StyleButton& button);
// A tab: its normal face (gradient 0xFFDDDDDD to 0xFFECECEC, text 0xFF9E9E9E) and, as the
// checked and held look that SelectTab gives it, the chosen face (gradient 0xFFDDDDDD to
// white, text 0xFF323232), both in Calibri 18.
void SetTabButtonFaces(StyleButton& button, const char* caption);
// Makes chosen the pressed, disabled tab and other an enabled, released one.
void SelectTab(StyleButton& chosen, StyleButton& other);
// A flat orange button with a white Calibri 14 caption.
void SetActionButtonFaces(StyleButton& button, const char* caption, DWORD fill);
