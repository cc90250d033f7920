// SkinFont: GDI+ fonts by face name, with an explicit fallback for faces that are not installed.
//
// GDI+ finds a family only when a font of that name is installed; it does not apply the
// system's font substitutes. CreateSkinFont therefore tries, in order: the face itself, the
// substitute the system configures for it (Wine's HKCU\Software\Wine\Fonts\Replacements, then
// the FontSubstitutes key of Windows), the generic sans-serif family, and last a list of faces
// every setup of the program has. The returned font is owned by the caller; it is never NULL,
// but its status is an error when no family at all could be found.
#pragma once

#include <memory>
#include <string>

#include "Skin/SkinGdiPlus.h"

// size in pixels, style = GDI+ FontStyle bits
std::unique_ptr<Gdiplus::Font> CreateSkinFont(const wchar_t* face, float size, int style);
// The family name CreateSkinFont uses for face ("" when none is available).
std::wstring ResolveSkinFontFamily(const wchar_t* face);
