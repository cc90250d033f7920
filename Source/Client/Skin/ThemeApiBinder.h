// ThemeApiBinder: the visual-styles calls, bound at run time so that the program also runs
// where the theme library or one of its functions is missing.
//
// The module is loaded when the binder is made and freed with it; each function is looked up
// by name the first time it is called and kept. Where the module or the function is missing a
// stand-in is kept instead, which answers "no theme": OpenThemeData gives NULL, IsThemeActive
// and IsAppThemed FALSE, the others E_FAIL. ThemeApi() is the program's binder of
// "UxTheme.dll", made at start-up. GUI thread only.
#pragma once

#include <windows.h>
#include <uxtheme.h>

class ThemeApiBinder
{
public:
    explicit ThemeApiBinder(const char* moduleName);
    virtual ~ThemeApiBinder();
    ThemeApiBinder(const ThemeApiBinder&) = delete;
    ThemeApiBinder& operator=(const ThemeApiBinder&) = delete;

    HMODULE GetModule() const { return m_hModule; }

    HTHEME OpenThemeData(HWND hwnd, LPCWSTR classList);
    HRESULT CloseThemeData(HTHEME theme);
    HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                const RECT* clip);
    HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* dest, UINT edge,
                          UINT flags, RECT* content);
    BOOL IsThemeActive();
    BOOL IsAppThemed();

    // Visual styles are in use for this program (both of the last two say so).
    BOOL IsThemed() { return IsThemeActive() && IsAppThemed(); }

private:
    typedef HTHEME(WINAPI* OpenThemeDataFn)(HWND, LPCWSTR);
    typedef HRESULT(WINAPI* CloseThemeDataFn)(HTHEME);
    typedef HRESULT(WINAPI* DrawThemeBackgroundFn)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    typedef HRESULT(WINAPI* DrawThemeEdgeFn)(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*);
    typedef BOOL(WINAPI* IsThemeActiveFn)();
    typedef BOOL(WINAPI* IsAppThemedFn)();

    template <class Function>
    Function Bind(Function& cached, const char* name, Function fallback);

    HMODULE m_hModule;
    OpenThemeDataFn m_pfnOpenThemeData;
    CloseThemeDataFn m_pfnCloseThemeData;
    DrawThemeBackgroundFn m_pfnDrawThemeBackground;
    DrawThemeEdgeFn m_pfnDrawThemeEdge;
    IsThemeActiveFn m_pfnIsThemeActive;
    IsAppThemedFn m_pfnIsAppThemed;
};

// The program's binder of "UxTheme.dll".
ThemeApiBinder& ThemeApi();
