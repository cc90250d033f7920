// ThemeApiBinder: run-time binding of the visual-styles calls (see ThemeApiBinder.h).
#include "Client/Skin/ThemeApiBinder.h"

#include "Framework/ProcAddress.h"

namespace {

// The stand-ins kept where the theme library or a function of it is missing.
HTHEME WINAPI NoOpenThemeData(HWND, LPCWSTR) { return NULL; }
HRESULT WINAPI NoCloseThemeData(HTHEME) { return E_FAIL; }
HRESULT WINAPI NoDrawThemeBackground(HTHEME, HDC, int, int, const RECT*, const RECT*) { return E_FAIL; }
HRESULT WINAPI NoDrawThemeEdge(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*) { return E_FAIL; }
BOOL WINAPI NoIsThemeActive() { return FALSE; }
BOOL WINAPI NoIsAppThemed() { return FALSE; }

// Made at start-up, freed at exit.
ThemeApiBinder g_themeApi("UxTheme.dll");

}  // namespace

ThemeApiBinder& ThemeApi() { return g_themeApi; }

ThemeApiBinder::ThemeApiBinder(const char* moduleName)
    : m_hModule(moduleName ? ::LoadLibraryA(moduleName) : NULL), m_pfnOpenThemeData(nullptr),
      m_pfnCloseThemeData(nullptr), m_pfnDrawThemeBackground(nullptr), m_pfnDrawThemeEdge(nullptr),
      m_pfnIsThemeActive(nullptr), m_pfnIsAppThemed(nullptr)
{
}

ThemeApiBinder::~ThemeApiBinder()
{
    if (m_hModule)
        ::FreeLibrary(m_hModule);
}

template <class Function>
Function ThemeApiBinder::Bind(Function& cached, const char* name, Function fallback)
{
    if (!cached) {
        cached = GetProcAddressAs<Function>(m_hModule, name);
        if (!cached)
            cached = fallback;
    }
    return cached;
}

HTHEME ThemeApiBinder::OpenThemeData(HWND hwnd, LPCWSTR classList)
{
    return Bind(m_pfnOpenThemeData, "OpenThemeData", &NoOpenThemeData)(hwnd, classList);
}

HRESULT ThemeApiBinder::CloseThemeData(HTHEME theme)
{
    return Bind(m_pfnCloseThemeData, "CloseThemeData", &NoCloseThemeData)(theme);
}

HRESULT ThemeApiBinder::DrawThemeBackground(HTHEME theme, HDC dc, int part, int state,
                                            const RECT* rect, const RECT* clip)
{
    return Bind(m_pfnDrawThemeBackground, "DrawThemeBackground", &NoDrawThemeBackground)(
        theme, dc, part, state, rect, clip);
}

HRESULT ThemeApiBinder::DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* dest,
                                      UINT edge, UINT flags, RECT* content)
{
    return Bind(m_pfnDrawThemeEdge, "DrawThemeEdge", &NoDrawThemeEdge)(theme, dc, part, state, dest,
                                                                      edge, flags, content);
}

BOOL ThemeApiBinder::IsThemeActive() { return Bind(m_pfnIsThemeActive, "IsThemeActive", &NoIsThemeActive)(); }

BOOL ThemeApiBinder::IsAppThemed() { return Bind(m_pfnIsAppThemed, "IsAppThemed", &NoIsAppThemed)(); }
