// CXNamedColors: parsing of colour specs and the colour-name table (see XNamedColors.h).
#include "Client/Skin/XNamedColors.h"

#include <stdlib.h>
#include <string.h>

#include "Framework/HexDigit.h"

namespace {

const COLORREF SystemColourFlag = 0x80000000u;

struct NamedColour
{
    const char* name;
    COLORREF value;   // RGB, or SystemColourFlag | COLOR_ index
};

#define HEX(rgb) RGB(((rgb) >> 16) & 0xFF, ((rgb) >> 8) & 0xFF, (rgb) & 0xFF)
#define SYS(index) (SystemColourFlag | COLORREF(index))

// The classic HTML names (the "Gray" spellings only), alphabetical, then the system colours.
// Three values are this program's own: BlanchedAlmond, Gray and YellowGreen.
const NamedColour Colours[] = {
    {"AliceBlue", HEX(0xF0F8FF)},
    {"AntiqueWhite", HEX(0xFAEBD7)},
    {"Aqua", HEX(0x00FFFF)},
    {"Aquamarine", HEX(0x7FFFD4)},
    {"Azure", HEX(0xF0FFFF)},
    {"Beige", HEX(0xF5F5DC)},
    {"Bisque", HEX(0xFFE4C4)},
    {"Black", HEX(0x000000)},
    {"BlanchedAlmond", HEX(0xFFFFCD)},
    {"Blue", HEX(0x0000FF)},
    {"BlueViolet", HEX(0x8A2BE2)},
    {"Brown", HEX(0xA52A2A)},
    {"BurlyWood", HEX(0xDEB887)},
    {"CadetBlue", HEX(0x5F9EA0)},
    {"Chartreuse", HEX(0x7FFF00)},
    {"Chocolate", HEX(0xD2691E)},
    {"Coral", HEX(0xFF7F50)},
    {"CornflowerBlue", HEX(0x6495ED)},
    {"Cornsilk", HEX(0xFFF8DC)},
    {"Crimson", HEX(0xDC143C)},
    {"Cyan", HEX(0x00FFFF)},
    {"DarkBlue", HEX(0x00008B)},
    {"DarkCyan", HEX(0x008B8B)},
    {"DarkGoldenRod", HEX(0xB8860B)},
    {"DarkGray", HEX(0xA9A9A9)},
    {"DarkGreen", HEX(0x006400)},
    {"DarkKhaki", HEX(0xBDB76B)},
    {"DarkMagenta", HEX(0x8B008B)},
    {"DarkOliveGreen", HEX(0x556B2F)},
    {"DarkOrange", HEX(0xFF8C00)},
    {"DarkOrchid", HEX(0x9932CC)},
    {"DarkRed", HEX(0x8B0000)},
    {"DarkSalmon", HEX(0xE9967A)},
    {"DarkSeaGreen", HEX(0x8FBC8F)},
    {"DarkSlateBlue", HEX(0x483D8B)},
    {"DarkSlateGray", HEX(0x2F4F4F)},
    {"DarkTurquoise", HEX(0x00CED1)},
    {"DarkViolet", HEX(0x9400D3)},
    {"DeepPink", HEX(0xFF1493)},
    {"DeepSkyBlue", HEX(0x00BFFF)},
    {"DimGray", HEX(0x696969)},
    {"DodgerBlue", HEX(0x1E90FF)},
    {"FireBrick", HEX(0xB22222)},
    {"FloralWhite", HEX(0xFFFAF0)},
    {"ForestGreen", HEX(0x228B22)},
    {"Fuchsia", HEX(0xFF00FF)},
    {"Gainsboro", HEX(0xDCDCDC)},
    {"GhostWhite", HEX(0xF8F8FF)},
    {"Gold", HEX(0xFFD700)},
    {"GoldenRod", HEX(0xDAA520)},
    {"Gray", HEX(0x7F7F7F)},
    {"Green", HEX(0x008000)},
    {"GreenYellow", HEX(0xADFF2F)},
    {"HoneyDew", HEX(0xF0FFF0)},
    {"HotPink", HEX(0xFF69B4)},
    {"IndianRed", HEX(0xCD5C5C)},
    {"Indigo", HEX(0x4B0082)},
    {"Ivory", HEX(0xFFFFF0)},
    {"Khaki", HEX(0xF0E68C)},
    {"Lavender", HEX(0xE6E6FA)},
    {"LavenderBlush", HEX(0xFFF0F5)},
    {"LawnGreen", HEX(0x7CFC00)},
    {"LemonChiffon", HEX(0xFFFACD)},
    {"LightBlue", HEX(0xADD8E6)},
    {"LightCoral", HEX(0xF08080)},
    {"LightCyan", HEX(0xE0FFFF)},
    {"LightGoldenRodYellow", HEX(0xFAFAD2)},
    {"LightGray", HEX(0xD3D3D3)},
    {"LightGreen", HEX(0x90EE90)},
    {"LightPink", HEX(0xFFB6C1)},
    {"LightSalmon", HEX(0xFFA07A)},
    {"LightSeaGreen", HEX(0x20B2AA)},
    {"LightSkyBlue", HEX(0x87CEFA)},
    {"LightSlateGray", HEX(0x778899)},
    {"LightSteelBlue", HEX(0xB0C4DE)},
    {"LightYellow", HEX(0xFFFFE0)},
    {"Lime", HEX(0x00FF00)},
    {"LimeGreen", HEX(0x32CD32)},
    {"Linen", HEX(0xFAF0E6)},
    {"Magenta", HEX(0xFF00FF)},
    {"Maroon", HEX(0x800000)},
    {"MediumAquaMarine", HEX(0x66CDAA)},
    {"MediumBlue", HEX(0x0000CD)},
    {"MediumOrchid", HEX(0xBA55D3)},
    {"MediumPurple", HEX(0x9370DB)},
    {"MediumSeaGreen", HEX(0x3CB371)},
    {"MediumSlateBlue", HEX(0x7B68EE)},
    {"MediumSpringGreen", HEX(0x00FA9A)},
    {"MediumTurquoise", HEX(0x48D1CC)},
    {"MediumVioletRed", HEX(0xC71585)},
    {"MidnightBlue", HEX(0x191970)},
    {"MintCream", HEX(0xF5FFFA)},
    {"MistyRose", HEX(0xFFE4E1)},
    {"Moccasin", HEX(0xFFE4B5)},
    {"NavajoWhite", HEX(0xFFDEAD)},
    {"Navy", HEX(0x000080)},
    {"OldLace", HEX(0xFDF5E6)},
    {"Olive", HEX(0x808000)},
    {"OliveDrab", HEX(0x6B8E23)},
    {"Orange", HEX(0xFFA500)},
    {"OrangeRed", HEX(0xFF4500)},
    {"Orchid", HEX(0xDA70D6)},
    {"PaleGoldenRod", HEX(0xEEE8AA)},
    {"PaleGreen", HEX(0x98FB98)},
    {"PaleTurquoise", HEX(0xAFEEEE)},
    {"PaleVioletRed", HEX(0xDB7093)},
    {"PapayaWhip", HEX(0xFFEFD5)},
    {"PeachPuff", HEX(0xFFDAB9)},
    {"Peru", HEX(0xCD853F)},
    {"Pink", HEX(0xFFC0CB)},
    {"Plum", HEX(0xDDA0DD)},
    {"PowderBlue", HEX(0xB0E0E6)},
    {"Purple", HEX(0x800080)},
    {"Red", HEX(0xFF0000)},
    {"RosyBrown", HEX(0xBC8F8F)},
    {"RoyalBlue", HEX(0x4169E1)},
    {"SaddleBrown", HEX(0x8B4513)},
    {"Salmon", HEX(0xFA8072)},
    {"SandyBrown", HEX(0xF4A460)},
    {"SeaGreen", HEX(0x2E8B57)},
    {"SeaShell", HEX(0xFFF5EE)},
    {"Sienna", HEX(0xA0522D)},
    {"Silver", HEX(0xC0C0C0)},
    {"SkyBlue", HEX(0x87CEEB)},
    {"SlateBlue", HEX(0x6A5ACD)},
    {"SlateGray", HEX(0x708090)},
    {"Snow", HEX(0xFFFAFA)},
    {"SpringGreen", HEX(0x00FF7F)},
    {"SteelBlue", HEX(0x4682B4)},
    {"Tan", HEX(0xD2B48C)},
    {"Teal", HEX(0x008080)},
    {"Thistle", HEX(0xD8BFD8)},
    {"Tomato", HEX(0xFF6347)},
    {"Turquoise", HEX(0x40E0D0)},
    {"Violet", HEX(0xEE82EE)},
    {"Wheat", HEX(0xF5DEB3)},
    {"White", HEX(0xFFFFFF)},
    {"WhiteSmoke", HEX(0xF5F5F5)},
    {"Yellow", HEX(0xFFFF00)},
    {"YellowGreen", HEX(0x8BCD32)},

    {"ActiveBorder", SYS(COLOR_ACTIVEBORDER)},
    {"ActiveCaption", SYS(COLOR_ACTIVECAPTION)},
    {"ActiveCaptionText", SYS(COLOR_CAPTIONTEXT)},
    {"AppWorkspace", SYS(COLOR_APPWORKSPACE)},
    {"Background", SYS(COLOR_BACKGROUND)},
    {"BtnFace", SYS(COLOR_BTNFACE)},
    {"BtnHighlight", SYS(COLOR_BTNHIGHLIGHT)},
    {"BtnHilight", SYS(COLOR_BTNHIGHLIGHT)},
    {"BtnShadow", SYS(COLOR_BTNSHADOW)},
    {"BtnText", SYS(COLOR_BTNTEXT)},
    {"CaptionText", SYS(COLOR_CAPTIONTEXT)},
    {"Control", SYS(COLOR_BTNFACE)},
    {"ControlDark", SYS(COLOR_BTNSHADOW)},
    {"ControlDarkDark", SYS(COLOR_3DDKSHADOW)},
    {"ControlLight", SYS(COLOR_BTNHIGHLIGHT)},
    {"ControlLightLight", SYS(COLOR_BTNHIGHLIGHT)},
    {"ControlText", SYS(COLOR_BTNTEXT)},
    {"Desktop", SYS(COLOR_BACKGROUND)},
    {"GradientActiveCaption", SYS(COLOR_GRADIENTACTIVECAPTION)},
    {"GradientInactiveCaption", SYS(COLOR_GRADIENTINACTIVECAPTION)},
    {"GrayText", SYS(COLOR_GRAYTEXT)},
    {"Highlight", SYS(COLOR_HIGHLIGHT)},
    {"HighlightText", SYS(COLOR_HIGHLIGHTTEXT)},
    {"HotLight", SYS(COLOR_HOTLIGHT)},
    {"HotTrack", SYS(COLOR_HOTLIGHT)},
    {"InactiveBorder", SYS(COLOR_INACTIVEBORDER)},
    {"InactiveCaption", SYS(COLOR_INACTIVECAPTION)},
    {"InactiveCaptionText", SYS(COLOR_INACTIVECAPTIONTEXT)},
    {"Info", SYS(COLOR_INFOBK)},
    {"InfoBk", SYS(COLOR_INFOBK)},
    {"InfoText", SYS(COLOR_INFOTEXT)},
    {"Menu", SYS(COLOR_MENU)},
    {"MenuBar", SYS(COLOR_MENUBAR)},
    {"MenuHilight", SYS(COLOR_MENUHILIGHT)},
    {"MenuText", SYS(COLOR_MENUTEXT)},
    {"ScrollBar", SYS(COLOR_SCROLLBAR)},
    {"Window", SYS(COLOR_WINDOW)},
    {"WindowFrame", SYS(COLOR_WINDOWFRAME)},
    {"WindowText", SYS(COLOR_WINDOWTEXT)},
};

#undef HEX
#undef SYS

const int ColourCount = int(sizeof Colours / sizeof Colours[0]);

// Two hexadecimal digits at p; -1 when either is not one.
int HexByte(const char* p)
{
    int high = HexDigit(p[0]), low = HexDigit(p[1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

}  // namespace

CXNamedColors::CXNamedColors(const char* colourText) : m_value(RGB(0, 0, 0))
{
    if (!colourText)
        return;
    if (const char* comma = strchr(colourText, ',')) {
        int red = atoi(colourText);
        int green = atoi(comma + 1);
        const char* second = strchr(comma + 1, ',');
        int blue = second ? atoi(second + 1) : 0;
        m_value = RGB(BYTE(red), BYTE(green), BYTE(blue));
        return;
    }
    if (const char* hash = strchr(colourText, '#')) {
        if (strlen(colourText) != 7 || hash != colourText)
            return;
        int red = HexByte(colourText + 1), green = HexByte(colourText + 3), blue = HexByte(colourText + 5);
        if (red >= 0 && green >= 0 && blue >= 0)
            m_value = RGB(red, green, blue);
        return;
    }
    for (const NamedColour& c : Colours) {
        if (_stricmp(c.name, colourText) == 0) {
            m_value = c.value;
            return;
        }
    }
}

COLORREF CXNamedColors::GetColor() const
{
    if (m_value & SystemColourFlag)
        return ::GetSysColor(int(m_value & 0xFF));
    return m_value;
}

int CXNamedColors::GetNameCount() { return ColourCount; }

const char* CXNamedColors::GetName(int index)
{
    return index >= 0 && index < ColourCount ? Colours[index].name : NULL;
}
