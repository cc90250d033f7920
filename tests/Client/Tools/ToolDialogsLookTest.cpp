// The look of both dialogs as the screen shows it: the blue title strip, the Restore Center's
// grey header band over its list, and the blue "Show more" link of both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/Resources/ToolDialogResources.h"
#include "Frame/FrameResources.h"
#include "ToolDialogDriver.h"

namespace {

// The screen's pixels over a rectangle in the client coordinates of window, as COLORREFs.
std::vector<COLORREF> ScreenPixels(HWND window, RECT r)
{
    MapWindowPoints(window, NULL, reinterpret_cast<POINT*>(&r), 2);
    const int width = r.right - r.left, height = r.bottom - r.top;
    std::vector<COLORREF> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD* raw = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i)
        pixels.push_back(RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return pixels;
}

COLORREF ScreenPixel(HWND window, int x, int y)
{
    const std::vector<COLORREF> one = ScreenPixels(window, RECT{x, y, x + 1, y + 1});
    return one.empty() ? CLR_INVALID : one[0];
}

RECT ControlRect(HWND dialog, int id)
{
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(NULL, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Waits until the pixel has that colour (the dialog may still be painting).
bool PaintedAs(HWND window, int x, int y, COLORREF colour)
{
    return WaitUntil([&] { return ScreenPixel(window, x, y) == colour; }, ToolTimeout, 100);
}

// The skin paints every caption itself: a standard title bar would sit above it.
bool HasStandardCaption(HWND window)
{
    return (GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

bool LinkIsBlue(HWND dialog)
{
    const COLORREF link = RGB(17, 85, 204);
    return WaitUntil([&] {
        for (COLORREF pixel : ScreenPixels(dialog, ControlRect(dialog, IDC_TOOL_SHOW_MORE)))
            if (pixel == link)
                return true;
        return false;
    }, ToolTimeout, 100);
}

// The static's text in that font has room in it on one line: neither wrapped nor cut.
bool TextFitsItsStatic(HWND dialog, int id, const char* face, int height)
{
    HWND label = GetDlgItem(dialog, id);
    RECT client = {};
    GetClientRect(label, &client);
    const std::string text = WindowText(label);
    HDC screen = GetDC(NULL);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    HGDIOBJ old = SelectObject(screen, font);
    SIZE size = {};
    GetTextExtentPoint32A(screen, text.c_str(), int(text.size()), &size);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(NULL, screen);
    EXPECT_EQ(text, "Show more");
    return size.cx <= client.right && size.cy <= client.bottom;
}

}  // namespace

TEST(ToolDialogsLook, TitleStripHeaderBandAndShowMoreLink)
{
    ProgramCopy copy;
    const std::string folder = copy.BackupFolder(true);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(WriteFileBytes(folder + "\\backup" + std::to_string(i) + ".rbk", "<backup/>"));
    std::string records;
    for (int i = 0; i < 8; ++i)
        records += "Key" + std::to_string(i) + "^Category^16384;\r\n";
    ASSERT_TRUE(WriteFileBytes(copy.Folder() + "LI.irg", records));
    ASSERT_TRUE(copy.Start());

    EXPECT_FALSE(HasStandardCaption(copy.Main()));
    HWND restore = copy.Open(IDC_CAPTION_RESTORE, "Restore Center");
    ASSERT_NE(restore, static_cast<HWND>(NULL));
    EXPECT_FALSE(HasStandardCaption(restore));
    RECT client;
    GetClientRect(restore, &client);
    EXPECT_TRUE(PaintedAs(restore, client.right / 2, 3, RGB(0x29, 0x7C, 0xB2)));
    const RECT band = ControlRect(restore, IDC_RESTORE_HEADER_COVER);
    EXPECT_TRUE(PaintedAs(restore, band.left + (band.right - band.left) * 2 / 5,
                          band.top + (band.bottom - band.top) * 7 / 10, RGB(0xF3, 0xF3, 0xF3)));
    EXPECT_TRUE(LinkIsBlue(restore));
    EXPECT_TRUE(TextFitsItsStatic(restore, IDC_TOOL_SHOW_MORE, "Arial", 14));
    PressPosted(restore, IDC_TOOL_CLOSE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(restore); }, ToolTimeout));
    Sleep(400);   // the main window's pause after the Restore Center

    HWND settings = copy.Open(IDC_CAPTION_SETTINGS, "Settings");
    ASSERT_NE(settings, static_cast<HWND>(NULL));
    EXPECT_FALSE(HasStandardCaption(settings));
    GetClientRect(settings, &client);
    EXPECT_TRUE(PaintedAs(settings, client.right / 2, 3, RGB(0x29, 0x7C, 0xB2)));
    Press(settings, IDC_SETTINGS_TAB_IGNORE);
    EXPECT_TRUE(LinkIsBlue(settings));
    PressPosted(settings, IDC_TOOL_CLOSE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(settings); }, ToolTimeout));
}
