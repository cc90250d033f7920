// SkinFont: the face lookup with substitutes and the generic fallback.
#include "Skin/SkinFont.h"

#include <string>

#include "Framework/RegistryKeyHandle.h"

namespace {

bool FamilyExists(const wchar_t* name)
{
    if (!name || !*name)
        return false;
    Gdiplus::FontFamily family(name);
    return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable();
}

std::wstring ReadSubstitute(HKEY root, const char* path, const wchar_t* face)
{
    CRegistryKeyHandle key;
    if (key.Open(root, path, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return std::wstring();
    wchar_t value[LF_FACESIZE * 2] = {};
    DWORD type = 0;
    DWORD size = sizeof value - sizeof(wchar_t);
    LONG rc = RegQueryValueExW(key.Get(), face, NULL, &type, reinterpret_cast<BYTE*>(value), &size);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    std::wstring s(value);
    size_t comma = s.find(L',');   // "Face,charset" in FontSubstitutes
    if (comma != std::wstring::npos)
        s.resize(comma);
    return s;
}

}  // namespace

std::wstring ResolveSkinFontFamily(const wchar_t* face)
{
    if (FamilyExists(face))
        return face;
    if (face && *face) {
        std::wstring sub = ReadSubstitute(HKEY_CURRENT_USER, "Software\\Wine\\Fonts\\Replacements", face);
        if (FamilyExists(sub.c_str()))
            return sub;
        sub = ReadSubstitute(HKEY_LOCAL_MACHINE,
                             "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", face);
        if (FamilyExists(sub.c_str()))
            return sub;
    }
    // The generic sans-serif family, when the system has one, else a face every setup of the
    // program has.
    if (const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif()) {
        wchar_t name[LF_FACESIZE] = {};
        if (generic->GetLastStatus() == Gdiplus::Ok && generic->GetFamilyName(name) == Gdiplus::Ok && name[0])
            return name;
    }
    static const wchar_t* const fallbacks[] = {L"Tahoma", L"Liberation Sans", L"DejaVu Sans", L"Arial"};
    for (const wchar_t* f : fallbacks)
        if (FamilyExists(f))
            return f;
    return std::wstring();
}

std::unique_ptr<Gdiplus::Font> CreateSkinFont(const wchar_t* face, float size, int style)
{
    std::wstring name = ResolveSkinFontFamily(face);
    Gdiplus::FontFamily family(name.c_str());
    return std::unique_ptr<Gdiplus::Font>(new Gdiplus::Font(&family, size, style, Gdiplus::UnitPixel));
}
