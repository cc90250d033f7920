// The check-box state images of the HTML tree, drawn at run time in the system's own look.
//
// One image per state index (TVIS_STATEIMAGEMASK): 1 unchecked, 2 checked, 3 partly checked;
// 5-7 the same disabled; 9-11 and 13-15 the hot versions of 1-3 and 5-7 (index + 8); 0, 4, 8
// and 12 stay empty. With visual styles active the boxes are the theme's "BUTTON" check boxes,
// otherwise DrawFrameControl's.
#pragma once

#include <windows.h>

#include "Framework/CImageList.h"

class ThemeApiBinder;

enum CheckBoxState {
    CheckBoxNone = 0,
    CheckBoxUnchecked = 1,
    CheckBoxChecked = 2,
    CheckBoxMixed = 3,
    CheckBoxDisabledOffset = 4,   // added for a disabled item
    CheckBoxHotOffset = 8,        // added while the mouse is over the box
    CheckBoxStateCount = 16
};

const int CheckBoxImageSize = 16;       // each image is square
const COLORREF CheckBoxMaskColour = RGB(255, 0, 255);

// Makes list (emptied first) a 32-bit masked list of the 16 images. *pThemed (optional) tells
// whether the theme drew them. FALSE when the list or its bitmap cannot be made. The button
// theme is opened for no window: a theme opened for a window becomes that window's own
// (GetWindowTheme), and a tree view would then draw its expand buttons from the button class.
BOOL BuildCheckBoxStateImages(CImageList& list, ThemeApiBinder& theme, BOOL* pThemed = NULL);
