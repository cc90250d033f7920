// Helpers of the skin tests: GDI+ for the whole program, a 32-bit memory DIB to paint into and
// probe, window capture.
#pragma once

#include <windows.h>

#include <stdio.h>

#include "Framework/CDC.h"
#include "Framework/CGdiObject.h"
#include "Skin/SkinGdiPlus.h"

// A memory DC with a top-down 32-bit DIB selected; pixels read as 0x00RRGGBB.
class DibCanvas
{
public:
    DibCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : m_width(width), m_height(height)
    {
        dc.CreateCompatibleDC(NULL);
        bitmap.CreateDIBSection32(width, height, &m_bits);
        m_old = dc.SelectObject(bitmap.m_hObject);
        Fill(fill);
    }
    ~DibCanvas() { dc.SelectObject(m_old); }
    void Fill(COLORREF c)
    {
        dc.FillSolidRect(0, 0, m_width, m_height, c);
        GdiFlush();
    }
    DWORD Pixel(int x, int y) const
    {
        GdiFlush();
        return m_bits[size_t(y) * size_t(m_width) + size_t(x)] & 0xFFFFFF;
    }
    // Copies a window's pixels (window coordinates) into the canvas.
    bool CaptureWindow(HWND hwnd)
    {
        HDC wdc = GetWindowDC(hwnd);
        BOOL ok = BitBlt(dc.m_hDC, 0, 0, m_width, m_height, wdc, 0, 0, SRCCOPY);
        ReleaseDC(hwnd, wdc);
        GdiFlush();
        return ok != FALSE;
    }
    // Writes the canvas as a 24-bit BMP file.
    bool SaveBmp(const char* path) const
    {
        FILE* f = fopen(path, "wb");
        if (!f)
            return false;
        int stride = (m_width * 3 + 3) & ~3;
        BITMAPFILEHEADER fh = {};
        BITMAPINFOHEADER ih = {};
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof fh + sizeof ih;
        fh.bfSize = fh.bfOffBits + DWORD(stride * m_height);
        ih.biSize = sizeof ih;
        ih.biWidth = m_width;
        ih.biHeight = m_height;   // bottom-up
        ih.biPlanes = 1;
        ih.biBitCount = 24;
        fwrite(&fh, sizeof fh, 1, f);
        fwrite(&ih, sizeof ih, 1, f);
        unsigned char* row = new unsigned char[size_t(stride)]();
        for (int y = m_height - 1; y >= 0; --y) {
            for (int x = 0; x < m_width; ++x) {
                DWORD p = Pixel(x, y);
                row[x * 3 + 0] = BYTE(p);
                row[x * 3 + 1] = BYTE(p >> 8);
                row[x * 3 + 2] = BYTE(p >> 16);
            }
            fwrite(row, size_t(stride), 1, f);
        }
        delete[] row;
        fclose(f);
        return true;
    }

    CDC dc;
    CBitmap bitmap;

private:
    int m_width, m_height;
    DWORD* m_bits = nullptr;
    HGDIOBJ m_old = NULL;
};

inline int Red(DWORD p) { return int((p >> 16) & 0xFF); }
inline int Green(DWORD p) { return int((p >> 8) & 0xFF); }
inline int Blue(DWORD p) { return int(p & 0xFF); }
// True when every channel of p is within tolerance of rgb (0x00RRGGBB).
inline bool Near(DWORD p, DWORD rgb, int tolerance)
{
    return abs(Red(p) - Red(rgb)) <= tolerance && abs(Green(p) - Green(rgb)) <= tolerance &&
           abs(Blue(p) - Blue(rgb)) <= tolerance;
}
