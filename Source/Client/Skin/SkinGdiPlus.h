// GDI+ for the skin: the header set every skin file uses, and GdiPlusSession, the RAII start
// and shutdown of GDI+ (the program starts it once for its whole run; tests per process).
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

class GdiPlusSession
{
public:
    GdiPlusSession() noexcept
    {
        Gdiplus::GdiplusStartupInput input;
        m_status = Gdiplus::GdiplusStartup(&m_token, &input, NULL);
    }
    ~GdiPlusSession()
    {
        if (m_status == Gdiplus::Ok)
            Gdiplus::GdiplusShutdown(m_token);
    }
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;
    bool IsStarted() const noexcept { return m_status == Gdiplus::Ok; }

private:
    ULONG_PTR m_token = 0;
    Gdiplus::Status m_status;
};
