// CXNamedColors: a colour given as text, the way the HTML-like labels write it.
//
// Usage: CXNamedColors("#2ab034").GetColor(), CXNamedColors("10,20,30").GetColor() or
// CXNamedColors("WindowText").GetColor(). A text with a comma is decimal red, green and blue; one
// with "#" is "#RRGGBB" (exactly seven characters); anything else is a colour name, matched
// without regard to case: the 140 classic HTML names and 39 names of system colours. What cannot
// be read (an unknown name, "#0F0") is black. System colours are kept as their COLOR_ index with
// the top bit set and read with GetSysColor when asked, so they follow the user's scheme.
#pragma once

#include <windows.h>

class CXNamedColors
{
public:
    explicit CXNamedColors(const char* colourText);
    virtual ~CXNamedColors() {}

    COLORREF GetColor() const;
    // The stored value: an RGB colour, or 0x80000000 | COLOR_ index for a system colour.
    COLORREF GetValue() const { return m_value; }

    // The colour-name table, in its order (AliceBlue ... YellowGreen, then the system colours).
    static int GetNameCount();
    static const char* GetName(int index);   // NULL out of range

private:
    COLORREF m_value;
};
