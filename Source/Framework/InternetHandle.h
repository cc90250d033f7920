// CInternetHandle: owns one WinINet handle (InternetOpen, InternetOpenUrl, InternetConnect,
// HttpOpenRequest) and closes it with InternetCloseHandle. Whoever uses it links wininet.
//
// Usage: CInternetHandle session(InternetOpenA(agent, INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0));
//        if (!session.IsValid()) return;
// It cannot be copied; Detach() gives the handle back without closing it.
#ifndef VELMORA_FRAMEWORK_INTERNET_HANDLE_H
#define VELMORA_FRAMEWORK_INTERNET_HANDLE_H

#include <windows.h>
#include <wininet.h>

class CInternetHandle {
public:
    CInternetHandle() noexcept : m_handle(NULL) {}
    explicit CInternetHandle(HINTERNET handle) noexcept : m_handle(handle) {}
    ~CInternetHandle() { Close(); }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;

    void Attach(HINTERNET handle) noexcept
    {
        Close();
        m_handle = handle;
    }
    HINTERNET Detach() noexcept
    {
        HINTERNET handle = m_handle;
        m_handle = NULL;
        return handle;
    }
    // Empty afterwards either way.
    void Close() noexcept
    {
        if (m_handle)
            ::InternetCloseHandle(m_handle);
        m_handle = NULL;
    }
    HINTERNET Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return m_handle != NULL; }

private:
    HINTERNET m_handle;
};

#endif
