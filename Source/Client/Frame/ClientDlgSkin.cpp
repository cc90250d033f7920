// The main window's look: the frame, the page area, the navigation column, the caption logo and
// the faces of its buttons.
#include "Frame/ClientDlg.h"

#include <vector>

#include "Frame/FrameResources.h"
#include "Resources/SkinResources.h"

namespace {

const DWORD White = 0xFFFFFFFF;
const int RegularText = 0;
const int BoldText = 1;
const int GradientHorizontal = 0;
const int RectangleShape = 1;
const int RoundedShape = 2;

// A glowing face: border colour and fill of BuildGlowButtonStyle.
struct Glow {
    DWORD border, fill;
};

struct NavigationLook {
    const char* label;
    int icon;
};
const NavigationLook NavigationLooks[CClientDlg::NavigationButtonCount] = {
    {"System Scanner", IDR_PNG_NAV_SYSTEM_SCANNER},
    {"System Booster", IDR_PNG_NAV_SYSTEM_BOOSTER},
    {"Registry Defrag", IDR_PNG_NAV_REGISTRY_DEFRAG},
    {"Startup Manager", IDR_PNG_NAV_STARTUP_MANAGER},
    {"Uninstaller", IDR_PNG_NAV_UNINSTALLER},
};
const Glow NavigationNormal = {0xFF235A96, 0xFF1A66A2};
const Glow NavigationHover = {0xFF235A96, 0xFF297CB2};
const Glow NavigationPressed = {0xFF235A96, 0xFF234B87};
const Glow UninstallerPressed = {0xFF0B54A2, 0xFF234B87};
const Glow CaptionHover = {0xFF5B96D2, 0xFF4685C8};
const Glow CaptionPressed = {0xFF5B96D2, 0xFF4989CD};
const Glow UpdateNormal = {0xFFFAB20A, 0xFFF1A912};
const Glow UpdateActive = {0xFFE68C0A, 0xFFDE830F};
const Glow ExitNormal = {0xFF6DA7E5, 0xFFD27350};
const Glow ExitActive = {0xFF6DA7E5, 0xFFBE1E3C};
const Glow MinimizeNormal = {0xFF1859AB, 0xFF1859AB};
const Glow MinimizeActive = {0xFF4989CD, 0xFF4989CD};
const int NavigationIconSize = 40;
const int CaptionIconSize = 16;

CRect ClientRectOf(CWnd& window)
{
    CRect rect;
    window.GetClientRect(&rect);
    return rect;
}

// The shared glow builder reads the glow's colour as a COLORREF, which turns this window's ARGB
// blues brown and its orange blue; every face here glows in its own colour instead.
Style GlowFace(const CRect& r, const Glow& glow, int shape, int radius)
{
    Style face = BuildGlowButtonStyle(0, 0, r.Width(), r.Height(), glow.fill, glow.border, shape, radius);
    std::vector<StyleElement>& glowing = face.layers[1].elements;
    if (!glowing.empty())
        glowing.back().colour1 = glow.fill;
    return face;
}

// A navigation button: its icon centred in the upper part, its label below.
Style NavigationFace(const CRect& r, const Glow& glow, const NavigationLook& look, int textStyle)
{
    Style face = GlowFace(r, glow, RectangleShape, 0);
    int iconTop = (r.Height() - NavigationIconSize - 20) / 2;
    StyleLayer icon((r.Width() - NavigationIconSize) / 2, iconTop, NavigationIconSize, NavigationIconSize);
    icon.AddImageElement(0, 0, look.icon, "PNG", 0, 0);
    StyleLayer label(0, iconTop + NavigationIconSize + 2, r.Width(), 18);
    label.AddTextElement(look.label, 1, 0, 0, White, 11, textStyle, "Arial");
    face.layers[2] = icon;
    face.layers[3] = label;
    return face;
}

// A caption-strip button: the icon on the left, the label beside it; no face of its own until
// the mouse is over it.
Style CaptionFace(const CRect& r, const Glow* glow, const char* text, int iconId, int textStyle)
{
    Style face = glow ? GlowFace(r, *glow, RoundedShape, 3) : Style();
    if (!glow)
        face.AddLayer(StyleLayer(0, 0, r.Width(), r.Height()));
    StyleLayer icon(3, (r.Height() - CaptionIconSize) / 2, CaptionIconSize, CaptionIconSize);
    icon.AddImageElement(0, 0, iconId, "PNG", 0, 0);
    StyleLayer label(CaptionIconSize + 4, 0, r.Width() - CaptionIconSize - 5, r.Height());
    label.AddTextElement(text, 1, 0, 0, White, 11, textStyle, "Arial");
    face.AddLayer(icon);
    face.AddLayer(label);
    return face;
}

// A face with one centred text: the window buttons and Update.
Style TextFace(const CRect& r, const Glow& glow, int shape, const char* text, int size, int textStyle)
{
    Style face = GlowFace(r, glow, shape, shape == RoundedShape ? 3 : 0);
    StyleLayer label(0, 0, r.Width(), r.Height());
    label.AddTextElement(text, 1, 0, 0, White, size, textStyle, "Arial");
    face.layers[2] = label;
    return face;
}

void SetFaces(StyleButton& button, const Style& normal, const Style& hover, const Style& pressed)
{
    button.SetFaceStyle(normal);
    button.SetHoverStyle(hover);
    button.SetPressedStyle(pressed);
}

}  // namespace

void CClientDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    CRect content;
    GetContentRect(&content);

    // Frame: the gradient over the whole window with a thin border, and a second layer with the
    // same border so it stays sharp over what the pages paint.
    m_frameSkin = Style();
    StyleLayer gradient(client.left, client.top, client.Width(), client.Height());
    gradient.AddThreeColourElement(GradientHorizontal, 0xFF1A66A2, 0xFF52B9FA, 0xFF59C8EE, 0.5f);
    gradient.SetAttributes(1, 0xFF52B9DC);
    m_frameSkin.AddLayer(gradient);
    StyleLayer edge(client.left, client.top, client.Width(), client.Height());
    edge.SetAttributes(1, 0xFF52B9DC);
    m_frameSkin.AddLayer(edge);
    SetFrameStyle(m_frameSkin);

    // Content: the white page area, the navigation column over its left end, the caption logo.
    m_contentStyle = Style();
    StyleLayer pageArea(client.left + 1, content.top, client.Width() - 2, content.Height(), White);
    m_contentStyle.AddLayer(pageArea);
    StyleLayer column(client.left, content.top - 1, content.left - client.left, client.bottom - content.top + 1,
                      0xFF1A66A2);
    column.SetAttributes(1, 0xFF0B54A2);
    m_contentStyle.AddLayer(column);
    m_logoSkin = Style();
    if (CWnd* logoArea = GetDlgItem(IDC_CAPTION_LOGO)) {
        CRect logo;
        logoArea->GetWindowRect(&logo);
        ScreenToClient(&logo);
        StyleLayer image(logo.left, logo.top, logo.Width(), logo.Height());
        image.AddImageElement(0, 0, IDR_PNG_LOGO, "PNG", 0, 0);
        m_logoSkin.AddLayer(image);
        m_contentStyle.AddLayer(image);
    }

    for (int i = 0; i < NavigationButtonCount; ++i) {
        StyleButton& button = m_navigationButtons[i];
        CRect r = ClientRectOf(button);
        const NavigationLook& look = NavigationLooks[i];
        const Glow& pressed = i == 4 ? UninstallerPressed : NavigationPressed;
        SetFaces(button, NavigationFace(r, NavigationNormal, look, RegularText),
                 NavigationFace(r, NavigationHover, look, RegularText),
                 NavigationFace(r, pressed, look, BoldText));
    }

    struct CaptionButton {
        StyleButton& button;
        const char* text;
        int icon;
    };
    CaptionButton captionButtons[] = {
        {m_settingsButton, "Settings", IDR_PNG_CAPTION_SETTINGS},
        {m_aboutButton, "About", IDR_PNG_CAPTION_ABOUT},
        {m_restoreButton, "Restore", IDR_PNG_CAPTION_RESTORE},
    };
    for (CaptionButton& c : captionButtons) {
        CRect r = ClientRectOf(c.button);
        SetFaces(c.button, CaptionFace(r, NULL, c.text, c.icon, RegularText),
                 CaptionFace(r, &CaptionHover, c.text, c.icon, RegularText),
                 CaptionFace(r, &CaptionPressed, c.text, c.icon, BoldText));
    }

    CRect r = ClientRectOf(m_minimizeButton);
    SetFaces(m_minimizeButton, TextFace(r, MinimizeNormal, RectangleShape, "\x97", 14, BoldText),
             TextFace(r, MinimizeActive, RectangleShape, "\x97", 14, BoldText),
             TextFace(r, MinimizeActive, RectangleShape, "\x97", 14, BoldText));
    r = ClientRectOf(m_exitButton);
    SetFaces(m_exitButton, TextFace(r, ExitNormal, RectangleShape, "X", 14, BoldText),
             TextFace(r, ExitActive, RectangleShape, "X", 14, BoldText),
             TextFace(r, ExitActive, RectangleShape, "X", 14, BoldText));
    r = ClientRectOf(m_updateButton);
    SetFaces(m_updateButton, TextFace(r, UpdateNormal, RoundedShape, "UPDATE", 11, RegularText),
             TextFace(r, UpdateActive, RoundedShape, "UPDATE", 11, RegularText),
             TextFace(r, UpdateActive, RoundedShape, "UPDATE", 11, BoldText));
}
