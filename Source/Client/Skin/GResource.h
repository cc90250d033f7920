// CGdiPlusBitmap and GResource: a GDI+ bitmap, and one loaded from a resource of the program
// (PNG images are resources of type "PNG").
//
// Usage: GResource img; if (img.Load(MAKEINTRESOURCEA(208), "PNG")) g.DrawImage(img.m_pBitmap, ...);
// The resource bytes are copied into a movable global block that lives as long as the bitmap
// (a stream-based GDI+ bitmap may read from it at any time); both are released by the
// destructor or the next Load.
#pragma once

#include "Skin/SkinGdiPlus.h"

class CGdiPlusBitmap
{
public:
    CGdiPlusBitmap() noexcept : m_pBitmap(NULL) {}
    virtual ~CGdiPlusBitmap() { Empty(); }
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    void Empty();
    operator Gdiplus::Bitmap*() const noexcept { return m_pBitmap; }
    Gdiplus::Bitmap* m_pBitmap;
};

class GResource : public CGdiPlusBitmap
{
public:
    GResource() noexcept : m_hBuffer(NULL) {}
    ~GResource() override;

    // name: MAKEINTRESOURCE(id) or a name; type e.g. "PNG"; module NULL = the program itself.
    // FALSE when the resource is missing or empty or is no image GDI+ can read; nothing is
    // held then.
    bool Load(const char* name, const char* type, HMODULE module = NULL);
    void Release();

private:
    HGLOBAL m_hBuffer;
};
