// Tests of the check-box images drawn by a real theme. The prefix's own "Light" theme is made
// the user's active theme (whatever the template prefix says); the theme library reads that
// when a process starts, so a second run of this program (which finds VELMORA_THEMED_RUN set
// before main) draws and compares the images and answers with its exit code, leaving both image
// sets in themed-check-boxes.bmp. The case has a prefix of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>

#include "Client/Skin/CheckBoxImages.h"
#include "Client/Skin/HtmlTestSupport.h"
#include "Client/Skin/ThemeApiBinder.h"

namespace {

const char ThemedRunVariable[] = "VELMORA_THEMED_RUN";

bool SameImage(CImageList& first, int a, CImageList& second, int b)
{
    DibCanvas one(CheckBoxImageSize, CheckBoxImageSize), two(CheckBoxImageSize, CheckBoxImageSize);
    ImageList_Draw(first.GetSafeHandle(), a, one.dc.m_hDC, 0, 0, ILD_TRANSPARENT);
    ImageList_Draw(second.GetSafeHandle(), b, two.dc.m_hDC, 0, 0, ILD_TRANSPARENT);
    for (int y = 0; y < CheckBoxImageSize; ++y)
        for (int x = 0; x < CheckBoxImageSize; ++x)
            if (one.Pixel(x, y) != two.Pixel(x, y))
                return false;
    return true;
}

// The second run: 0 when the theme drew every state in a look of its own.
int DrawWithTheTheme()
{
    ThemeApiBinder theme("UxTheme.dll");
    if (!theme.IsThemeActive())
        return 2;
    CImageList themed, plain;
    BOOL byTheme = FALSE;
    if (!BuildCheckBoxStateImages(themed, theme, &byTheme) || !byTheme)
        return 3;
    ThemeApiBinder missing("VelmoraNoSuchTheme.dll");
    if (!BuildCheckBoxStateImages(plain, missing))
        return 4;
    // Both sets side by side, for looking at: the theme's above, the system's below.
    DibCanvas strip(CheckBoxImageSize * CheckBoxStateCount, 2 * CheckBoxImageSize);
    for (int i = 0; i < CheckBoxStateCount; ++i) {
        ImageList_Draw(themed.GetSafeHandle(), i, strip.dc.m_hDC, i * CheckBoxImageSize, 0, ILD_TRANSPARENT);
        ImageList_Draw(plain.GetSafeHandle(), i, strip.dc.m_hDC, i * CheckBoxImageSize, CheckBoxImageSize,
                       ILD_TRANSPARENT);
    }
    strip.SaveBmp("themed-check-boxes.bmp");
    if (SameImage(themed, CheckBoxChecked, plain, CheckBoxChecked))
        return 5;   // the theme's box is not the system's
    const int pairs[][2] = {
        {CheckBoxUnchecked, CheckBoxChecked},
        {CheckBoxChecked, CheckBoxMixed},
        {CheckBoxUnchecked, CheckBoxMixed},
        {CheckBoxChecked, CheckBoxChecked + CheckBoxDisabledOffset},
        {CheckBoxUnchecked, CheckBoxUnchecked + CheckBoxHotOffset},
    };
    for (const auto& pair : pairs)
        if (SameImage(themed, pair[0], themed, pair[1]))
            return 10 + pair[1];
    return 0;
}

struct ThemedRun
{
    ThemedRun()
    {
        if (getenv(ThemedRunVariable))
            ExitProcess(UINT(DrawWithTheTheme()));
    }
} g_themedRun;

bool SetUserValue(HKEY key, const char* name, DWORD type, const char* value)
{
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value), DWORD(strlen(value) + 1)) ==
           ERROR_SUCCESS;
}

TEST(ThemedCheckBoxes, TheUsersThemeDrawsEveryState)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager",
                                             0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL));
    EXPECT_TRUE(SetUserValue(key, "ThemeActive", REG_SZ, "1"));
    EXPECT_TRUE(SetUserValue(key, "DllName", REG_EXPAND_SZ, "%SystemRoot%\\resources\\themes\\light\\light.msstyles"));
    RegCloseKey(key);

    char exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(NULL, exe, MAX_PATH), 0u);
    SetEnvironmentVariableA(ThemedRunVariable, "1");
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    char command[MAX_PATH + 8];
    wsprintfA(command, "\"%s\"", exe);
    BOOL started = CreateProcessA(exe, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi);
    SetEnvironmentVariableA(ThemedRunVariable, NULL);
    ASSERT_TRUE(started);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code) << "2: no active theme, 3: not drawn by the theme, 5: the system's look, "
                           "10 + n: state n looks like another";
}

}  // namespace
