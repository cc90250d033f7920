// The HTML tree's check-box state images (see CheckBoxImages.h).
#include "Client/Skin/CheckBoxImages.h"

#include <vssym32.h>

#include "Client/Skin/ThemeApiBinder.h"
#include "Framework/CDC.h"
#include "Framework/CGdiObject.h"

namespace {

// The box inside its square image.
const RECT BoxRect = {1, 1, 14, 14};

// DrawFrameControl flags of a state index (1-15); 0 for the empty images.
UINT FrameControlState(int index)
{
    int base = index & 3;
    if (base == 0)
        return 0;
    UINT state = base == CheckBoxMixed ? DFCS_BUTTON3STATE | DFCS_CHECKED
               : base == CheckBoxChecked ? DFCS_BUTTONCHECK | DFCS_CHECKED
                                         : DFCS_BUTTONCHECK;
    if (index & CheckBoxDisabledOffset)
        state |= DFCS_INACTIVE;
    if (index & CheckBoxHotOffset)
        state |= DFCS_HOT;
    return state;
}

// The theme's CBS_ state of a state index (1-15); 0 for the empty images. A disabled box has no
// hot look of its own.
int ThemeState(int index)
{
    int base = index & 3;
    if (base == 0)
        return 0;
    bool disabled = (index & CheckBoxDisabledOffset) != 0;
    bool hot = (index & CheckBoxHotOffset) != 0;
    int first = base == CheckBoxMixed ? CBS_MIXEDNORMAL
              : base == CheckBoxChecked ? CBS_CHECKEDNORMAL
                                        : CBS_UNCHECKEDNORMAL;
    if (disabled)
        return first + 3;   // ..DISABLED
    return hot ? first + 1 : first;
}

}  // namespace

BOOL BuildCheckBoxStateImages(CImageList& list, ThemeApiBinder& theme, BOOL* pThemed)
{
    if (pThemed)
        *pThemed = FALSE;
    list.DeleteImageList();
    const int size = CheckBoxImageSize;
    if (!list.Create(size, size, ILC_COLOR32 | ILC_MASK, CheckBoxStateCount, 0))
        return FALSE;

    CClientDC screen(NULL);
    CDC mem;
    CBitmap strip;
    if (!mem.CreateCompatibleDC(&screen) ||
        !strip.CreateCompatibleBitmap(&screen, size * CheckBoxStateCount, size)) {
        list.DeleteImageList();
        return FALSE;
    }
    CBitmap* old = mem.SelectObject(&strip);
    mem.FillSolidRect(0, 0, size * CheckBoxStateCount, size, CheckBoxMaskColour);

    HTHEME button = theme.IsThemeActive() ? theme.OpenThemeData(NULL, L"BUTTON") : NULL;
    for (int index = 1; index < CheckBoxStateCount; ++index) {
        if ((index & 3) == 0)
            continue;
        RECT box = BoxRect;
        ::OffsetRect(&box, index * size, 0);
        if (button) {
            theme.DrawThemeBackground(button, mem.m_hDC, BP_CHECKBOX, ThemeState(index), &box, NULL);
        } else {
            mem.DrawFrameControl(&box, DFC_BUTTON, FrameControlState(index));
        }
    }
    if (button) {
        theme.CloseThemeData(button);
        if (pThemed)
            *pThemed = TRUE;
    }
    mem.SelectObject(old);

    if (list.Add(&strip, CheckBoxMaskColour) < 0) {
        list.DeleteImageList();
        return FALSE;
    }
    return TRUE;
}
