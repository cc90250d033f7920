// CPictureEx: a static control that shows a picture held in memory or in the program's
// resources: an animated GIF frame by frame on a thread of its own, or a still image of any
// format the system picture loader reads.
//
// Lifetime of the animation (the control and its thread share one PictureCanvas):
//   - Only Stop and UnLoad close the thread's handle, after waiting for the thread; the thread
//     itself never touches it.
//   - A stop whose wait times out keeps the stop request standing. Whatever the thread still
//     uses (the frames, the memory DCs, the stop event) stays alive in the canvas, which the
//     thread frees itself when it ends; the control carries on with a fresh canvas.
//   - Draw starts no second thread while one runs.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <vector>

#include "Framework/CStatic.h"

// One frame of an animated GIF, decoded once at load into a picture object of its own.
struct PictureFrame {
    IPicture* picture;       // owned; NULL when the frame could not be decoded
    int width, height;
    int left, top;           // position on the logical screen
    int delay;               // hundredths of a second; GifDelayNone without a control extension
    int disposal;            // 0-7
};

class PictureCanvas;

class CPictureEx : public CStatic
{
public:
    CPictureEx();
    virtual ~CPictureEx();

    BOOL Load(HGLOBAL data, DWORD size);
    BOOL Load(LPCSTR resourceName, LPCSTR resourceType);
    BOOL Load(UINT resourceId, LPCSTR resourceType) { return Load(MAKEINTRESOURCEA(resourceId), resourceType); }
    BOOL Draw();
    void Stop();
    void UnLoad();
    void SetBkColor(COLORREF colour);

    // --- state, for the owner and for tests ---------------------------------------------------
    BOOL IsGIF() const noexcept { return m_bIsGIF; }
    BOOL IsPrepared() const noexcept;
    BOOL IsAnimating() const noexcept;
    BOOL HasThread() const noexcept { return m_hThread != NULL; }
    DWORD GetAnimationThreadId() const noexcept { return m_hThread ? m_dwThreadId : 0; }
    SIZE GetSize() const noexcept { SIZE s = {m_nWidth, m_nHeight}; return s; }
    COLORREF GetBkColor() const noexcept;
    int GetFrameCount() const noexcept;
    // The frame's description (its picture pointer is the control's; do not release it).
    BOOL GetFrame(int index, PictureFrame* frame) const noexcept;
    int GetCurrentFrame() const noexcept;
    // The part of the window the picture is painted into; an empty rectangle paints it whole.
    void SetPaintRect(const RECT& rect) noexcept { m_PaintRect = rect; }

protected:
    void OnPaint();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    BOOL LoadGifFrames(const BYTE* data, DWORD size);
    BOOL LoadStill(HGLOBAL data, DWORD size);
    BOOL PrepareDC(int width, int height);
    PictureCanvas* Canvas();

    RECT m_PaintRect;
    int m_nWidth, m_nHeight;
    DWORD m_nDataSize;
    BOOL m_bIsGIF;
    HANDLE m_hThread;
    DWORD m_dwThreadId;
    IPicture* m_pPicture;        // still image or one-frame GIF
    PictureCanvas* m_pCanvas;    // frames, memory DCs and animation state, shared with the thread
};
