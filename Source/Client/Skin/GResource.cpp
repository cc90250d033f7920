// CGdiPlusBitmap and GResource: loading an image resource through a global-memory stream.
#include "Skin/GResource.h"

#include <string.h>

void CGdiPlusBitmap::Empty()
{
    delete m_pBitmap;
    m_pBitmap = NULL;
}

GResource::~GResource() { Release(); }

void GResource::Release()
{
    Empty();
    if (m_hBuffer) {
        GlobalUnlock(m_hBuffer);
        GlobalFree(m_hBuffer);
        m_hBuffer = NULL;
    }
}

bool GResource::Load(const char* name, const char* type, HMODULE module)
{
    Release();
    if (!module)
        module = GetModuleHandleA(NULL);
    HRSRC res = FindResourceA(module, name, type);
    if (!res)
        return false;
    DWORD size = SizeofResource(module, res);
    if (size == 0)
        return false;
    HGLOBAL loaded = LoadResource(module, res);
    const void* bytes = loaded ? LockResource(loaded) : NULL;
    if (!bytes)
        return false;
    m_hBuffer = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!m_hBuffer)
        return false;
    void* block = GlobalLock(m_hBuffer);
    if (!block) {
        GlobalFree(m_hBuffer);
        m_hBuffer = NULL;
        return false;
    }
    memcpy(block, bytes, size);
    IStream* stream = NULL;
    if (CreateStreamOnHGlobal(m_hBuffer, FALSE, &stream) == S_OK) {
        m_pBitmap = Gdiplus::Bitmap::FromStream(stream);
        stream->Release();
    }
    if (m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok)
        return true;
    Release();
    return false;
}
