// CPictureEx: animated GIF and still picture control (see PictureEx.h).
#include "Client/Skin/PictureEx.h"

#include <string.h>

#include "Client/Skin/GifBlocks.h"
#include "Framework/CWinApp.h"

// How long Stop waits for the animation thread.
static const DWORD StopWaitMs = 5000;

// Deletes a memory DC and the bitmap selected into it (the old bitmap goes back in first), and
// clears the three handles.
static void DeleteMemoryDC(HDC& dc, HBITMAP& bitmap, HBITMAP& oldBitmap)
{
    if (dc) {
        SelectObject(dc, oldBitmap);
        DeleteDC(dc);
    }
    if (bitmap)
        DeleteObject(bitmap);
    dc = NULL;
    bitmap = oldBitmap = NULL;
}

// Draws the whole picture stretched into the rectangle at left, top.
static void RenderPicture(IPicture* picture, HDC dc, int left, int top, int width, int height)
{
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    picture->Render(dc, left, top, width, height, 0, hmHeight, hmWidth, -hmHeight, NULL);
}

// The picture as shown, the frames that make it and the animation's flags: everything the
// animation thread reads or draws into. The control holds one reference, a running thread
// another; the last to let go deletes it, so a thread that outlives a timed-out stop never
// runs over freed frames or DCs.
class PictureCanvas
{
public:
    PictureCanvas()
        : m_refs(1), m_stopRequested(0), m_animating(0), m_prepared(FALSE),
          m_window(NULL), m_background(RGB(255, 255, 255)), m_current(0),
          m_memDC(NULL), m_memBitmap(NULL), m_oldBitmap(NULL),
          m_saveDC(NULL), m_saveBitmap(NULL), m_oldSaveBitmap(NULL)
    {
        m_stopEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    }
    PictureCanvas(const PictureCanvas&) = delete;
    PictureCanvas& operator=(const PictureCanvas&) = delete;

    void AddRef() { InterlockedIncrement(&m_refs); }
    void Release()
    {
        if (InterlockedDecrement(&m_refs) == 0)
            delete this;
    }

    // Frees the frames and the DCs; only while no thread draws.
    void Clear()
    {
        for (PictureFrame& f : m_frames)
            if (f.picture)
                f.picture->Release();
        m_frames.clear();
        DeleteSaved();
        DeleteMemoryDC(m_memDC, m_memBitmap, m_oldBitmap);
        m_prepared = FALSE;
        m_current = 0;
        m_background = RGB(255, 255, 255);
    }

    void DeleteSaved() { DeleteMemoryDC(m_saveDC, m_saveBitmap, m_oldSaveBitmap); }

    void FillRectangle(int left, int top, int width, int height)
    {
        RECT rc = {left, top, left + width, top + height};
        HBRUSH brush = CreateSolidBrush(m_background);
        FillRect(m_memDC, &rc, brush);
        DeleteObject(brush);
    }

    void SaveArea(const PictureFrame& f)
    {
        DeleteSaved();
        m_saveDC = CreateCompatibleDC(m_memDC);
        m_saveBitmap = CreateCompatibleBitmap(m_memDC, f.width, f.height);
        if (!m_saveDC || !m_saveBitmap) {
            DeleteSaved();
            return;
        }
        m_oldSaveBitmap = HBITMAP(SelectObject(m_saveDC, m_saveBitmap));
        BitBlt(m_saveDC, 0, 0, f.width, f.height, m_memDC, f.left, f.top, SRCCOPY);
    }

    void RestoreArea(const PictureFrame& f)
    {
        if (m_saveDC)
            BitBlt(m_memDC, f.left, f.top, f.width, f.height, m_saveDC, 0, 0, SRCCOPY);
    }

    void Dispose(const PictureFrame& f)
    {
        if (f.disposal == 2)
            FillRectangle(f.left, f.top, f.width, f.height);
        else if (f.disposal == 3)
            RestoreArea(f);
    }

    bool StopRequested() const { return m_stopRequested != 0; }

    // The animation thread's loop, from the current frame until a stop is requested.
    void Animate()
    {
        InterlockedExchange(&m_animating, 1);
        if (!m_frames.empty()) {
            if (m_current >= m_frames.size())
                m_current = 0;
            Dispose(m_frames[m_current]);
            while (!StopRequested()) {
                const PictureFrame& f = m_frames[m_current];
                if (f.picture) {
                    if (f.disposal == 3)
                        SaveArea(f);
                    RenderPicture(f.picture, m_memDC, f.left, f.top, f.width, f.height);
                    // A hidden control paints the current frame when it is shown; until then
                    // each frame would only cost the window system a round trip.
                    if (IsWindowVisible(m_window))
                        InvalidateRect(m_window, NULL, FALSE);
                }
                if (StopRequested())
                    break;
                WaitForSingleObject(m_stopEvent, GetGifFrameWait(f.delay));
                if (StopRequested())
                    break;
                Dispose(f);
                if (++m_current >= m_frames.size()) {
                    m_current = 0;
                    FillRectangle(0, 0, m_width, m_height);
                }
            }
        }
        InterlockedExchange(&m_animating, 0);
    }

    LONG m_refs;
    volatile LONG m_stopRequested;
    volatile LONG m_animating;
    BOOL m_prepared;
    HANDLE m_stopEvent;          // manual reset
    HWND m_window;
    COLORREF m_background;
    std::vector<PictureFrame> m_frames;
    volatile size_t m_current;
    int m_width, m_height;
    HDC m_memDC;
    HBITMAP m_memBitmap, m_oldBitmap;
    HDC m_saveDC;                // the area under the current frame, for disposal 3
    HBITMAP m_saveBitmap, m_oldSaveBitmap;

private:
    ~PictureCanvas()
    {
        Clear();
        if (m_stopEvent)
            CloseHandle(m_stopEvent);
    }
};

// Thread entry: the canvas reference was taken for it by Draw.
static DWORD WINAPI AnimationThread(LPVOID param)
{
    PictureCanvas* canvas = static_cast<PictureCanvas*>(param);
    try {
        canvas->Animate();
    } catch (...) {
        InterlockedExchange(&canvas->m_animating, 0);
    }
    canvas->Release();
    return 0;
}

// Loads a picture with the system loader from a global block, which the stream frees when
// freeBlock is set.
static IPicture* LoadPictureFromBlock(HGLOBAL block, DWORD size, BOOL freeBlock)
{
    IStream* stream = NULL;
    if (FAILED(CreateStreamOnHGlobal(block, freeBlock, &stream))) {
        if (freeBlock)
            GlobalFree(block);
        return NULL;
    }
    IPicture* picture = NULL;
    if (FAILED(OleLoadPicture(stream, LONG(size), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&picture))))
        picture = NULL;
    stream->Release();
    return picture;
}

BEGIN_MESSAGE_MAP(CPictureEx, CStatic)
    ON_WM_PAINT()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CPictureEx::CPictureEx()
    : m_nWidth(0), m_nHeight(0), m_nDataSize(0), m_bIsGIF(FALSE), m_hThread(NULL), m_dwThreadId(0),
      m_pPicture(NULL), m_pCanvas(NULL)
{
    SetRectEmpty(&m_PaintRect);
    m_pCanvas = new PictureCanvas;
}

CPictureEx::~CPictureEx()
{
    UnLoad();
    if (m_pCanvas)
        m_pCanvas->Release();
}

PictureCanvas* CPictureEx::Canvas()
{
    if (!m_pCanvas)
        m_pCanvas = new PictureCanvas;
    return m_pCanvas;
}

BOOL CPictureEx::IsPrepared() const noexcept { return m_pCanvas && m_pCanvas->m_prepared; }
BOOL CPictureEx::IsAnimating() const noexcept { return m_pCanvas && m_pCanvas->m_animating; }
COLORREF CPictureEx::GetBkColor() const noexcept
{
    return m_pCanvas ? m_pCanvas->m_background : RGB(255, 255, 255);
}
int CPictureEx::GetFrameCount() const noexcept
{
    return m_pCanvas ? int(m_pCanvas->m_frames.size()) : 0;
}
int CPictureEx::GetCurrentFrame() const noexcept
{
    return m_pCanvas ? int(m_pCanvas->m_current) : 0;
}
BOOL CPictureEx::GetFrame(int index, PictureFrame* frame) const noexcept
{
    if (!m_pCanvas || index < 0 || size_t(index) >= m_pCanvas->m_frames.size())
        return FALSE;
    *frame = m_pCanvas->m_frames[size_t(index)];
    return TRUE;
}

BOOL CPictureEx::Load(HGLOBAL data, DWORD size)
{
    UnLoad();
    const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(data));
    if (!bytes)
        return FALSE;
    DWORD blockSize = DWORD(GlobalSize(data));
    if (size > blockSize)
        size = blockSize;
    m_nDataSize = size;

    if (!IsGifData(bytes, size)) {
        GlobalUnlock(data);
        return LoadStill(data, size);
    }
    m_bIsGIF = TRUE;
    GifScreen screen;
    std::vector<GifFrameSpan> spans;
    if (!ReadGifScreen(bytes, size, &screen) || WalkGifFrames(bytes, size, screen, &spans) == 0) {
        GlobalUnlock(data);
        return FALSE;
    }
    if (spans.size() == 1) {
        GlobalUnlock(data);
        return LoadStill(data, size);
    }
    m_nWidth = screen.width;
    m_nHeight = screen.height;
    PictureCanvas* canvas = Canvas();
    int decoded = 0;
    for (const GifFrameSpan& span : spans) {
        // A one-frame GIF: header, screen descriptor and global table, the frame's own blocks,
        // the trailer.
        DWORD head = screen.firstBlock, body = span.end - span.start;
        DWORD frameSize = head + body + 1;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, frameSize);
        if (!block)
            break;
        BYTE* out = static_cast<BYTE*>(GlobalLock(block));
        memcpy(out, bytes, head);
        memcpy(out + head, bytes + span.start, body);
        out[head + body] = 0x3B;
        GlobalUnlock(block);
        PictureFrame frame;
        frame.picture = LoadPictureFromBlock(block, frameSize, TRUE);
        frame.left = span.left;
        frame.top = span.top;
        frame.width = span.width;
        frame.height = span.height;
        frame.delay = span.delay;
        frame.disposal = span.disposal;
        if (frame.picture)
            ++decoded;
        canvas->m_frames.push_back(frame);
    }
    GlobalUnlock(data);
    if (decoded == 0) {
        UnLoad();
        return FALSE;
    }
    return PrepareDC(m_nWidth, m_nHeight);
}

BOOL CPictureEx::LoadStill(HGLOBAL data, DWORD size)
{
    m_pPicture = LoadPictureFromBlock(data, size, FALSE);
    if (!m_pPicture)
        return FALSE;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    m_pPicture->get_Width(&hmWidth);
    m_pPicture->get_Height(&hmHeight);
    HDC dc = ::GetDC(m_hWnd);
    if (!dc)
        return FALSE;
    m_nWidth = MulDiv(hmWidth, GetDeviceCaps(dc, LOGPIXELSX), 2540);
    m_nHeight = MulDiv(hmHeight, GetDeviceCaps(dc, LOGPIXELSY), 2540);
    ::ReleaseDC(m_hWnd, dc);
    return PrepareDC(m_nWidth, m_nHeight);
}

BOOL CPictureEx::Load(LPCSTR resourceName, LPCSTR resourceType)
{
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC found = FindResourceA(module, resourceName, resourceType);
    if (!found)
        return FALSE;
    HGLOBAL loaded = LoadResource(module, found);
    DWORD size = SizeofResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : NULL;
    if (!bytes || size == 0)
        return FALSE;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return FALSE;
    void* out = GlobalLock(copy);
    if (!out) {
        GlobalFree(copy);
        return FALSE;
    }
    memcpy(out, bytes, size);
    GlobalUnlock(copy);
    BOOL loadedOk = Load(copy, size);
    GlobalFree(copy);
    return loadedOk;
}

BOOL CPictureEx::PrepareDC(int width, int height)
{
    if (!m_hWnd || width <= 0 || height <= 0)
        return FALSE;
    ::SetWindowPos(m_hWnd, NULL, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PictureCanvas* canvas = Canvas();
    HDC windowDC = ::GetDC(m_hWnd);
    if (!windowDC)
        return FALSE;
    canvas->m_memDC = CreateCompatibleDC(windowDC);
    canvas->m_memBitmap = CreateCompatibleBitmap(windowDC, width, height);
    ::ReleaseDC(m_hWnd, windowDC);
    if (!canvas->m_memDC || !canvas->m_memBitmap) {
        canvas->Clear();
        return FALSE;
    }
    canvas->m_oldBitmap = HBITMAP(SelectObject(canvas->m_memDC, canvas->m_memBitmap));
    canvas->m_window = m_hWnd;
    canvas->m_width = width;
    canvas->m_height = height;
    canvas->m_background = GetSysColor(COLOR_3DFACE);
    RECT all = {0, 0, width, height};
    FillRect(canvas->m_memDC, &all, HBRUSH(COLOR_MENU + 1));
    canvas->m_prepared = TRUE;
    return TRUE;
}

BOOL CPictureEx::Draw()
{
    if (!IsPrepared())
        return FALSE;
    PictureCanvas* canvas = m_pCanvas;
    if (m_bIsGIF && canvas->m_frames.size() > 1) {
        // One animation thread per control: a second Draw while it runs changes nothing.
        if (m_hThread)
            return FALSE;
        canvas->AddRef();
        m_hThread = CreateThread(NULL, 0, AnimationThread, canvas, CREATE_SUSPENDED, &m_dwThreadId);
        if (!m_hThread) {
            canvas->Release();
            return FALSE;
        }
        ResumeThread(m_hThread);
        return FALSE;
    }
    if (!m_pPicture)
        return FALSE;
    RenderPicture(m_pPicture, canvas->m_memDC, 0, 0, m_nWidth, m_nHeight);
    ::InvalidateRect(m_hWnd, NULL, FALSE);
    return TRUE;
}

void CPictureEx::Stop()
{
    PictureCanvas* canvas = m_pCanvas;
    if (!canvas)
        return;
    InterlockedExchange(&canvas->m_animating, 0);
    InterlockedExchange(&canvas->m_stopRequested, 1);
    SetEvent(canvas->m_stopEvent);
    if (m_hThread) {
        if (WaitForSingleObject(m_hThread, StopWaitMs) != WAIT_OBJECT_0)
            return;   // still running: the request stands and the thread keeps its canvas
        CloseHandle(m_hThread);
        m_hThread = NULL;
    }
    ResetEvent(canvas->m_stopEvent);
    InterlockedExchange(&canvas->m_stopRequested, 0);
}

void CPictureEx::UnLoad()
{
    Stop();
    if (m_hThread) {
        // The thread did not end in time. It holds its own reference to the canvas and frees
        // it when it ends; this control lets go of both and starts over with a new canvas.
        CloseHandle(m_hThread);
        m_hThread = NULL;
        m_pCanvas->Release();
        m_pCanvas = NULL;
    }
    if (m_pPicture) {
        m_pPicture->Release();
        m_pPicture = NULL;
    }
    if (m_pCanvas)
        m_pCanvas->Clear();
    SetRectEmpty(&m_PaintRect);
    m_nWidth = m_nHeight = 0;
    m_nDataSize = 0;
    m_bIsGIF = FALSE;
}

void CPictureEx::SetBkColor(COLORREF colour)
{
    if (!IsPrepared())
        return;
    m_pCanvas->m_background = colour;
    m_pCanvas->FillRectangle(0, 0, m_pCanvas->m_width, m_pCanvas->m_height);
}

void CPictureEx::OnPaint()
{
    CPaintDC dc(this);
    if (!IsPrepared())
        return;
    int width = m_PaintRect.right - m_PaintRect.left;
    if (width < 1)
        BitBlt(dc, 0, 0, m_nWidth, m_nHeight, m_pCanvas->m_memDC, 0, 0, SRCCOPY);
    else
        BitBlt(dc, 0, 0, width, m_PaintRect.bottom - m_PaintRect.top, m_pCanvas->m_memDC,
               m_PaintRect.left, m_PaintRect.top, SRCCOPY);
}

void CPictureEx::OnDestroy()
{
    Stop();
    CStatic::OnDestroy();
}
