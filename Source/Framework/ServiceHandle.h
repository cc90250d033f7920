// CServiceHandle: owns one handle of the service control manager, of the manager itself
// (OpenSCManager) or of a service (OpenService, CreateService), and closes it
// (CloseServiceHandle).
//
// Usage: CServiceHandle manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
//        if (!manager.IsValid()) return GetLastError();
// It cannot be copied; Detach() gives the handle back without closing it.
#ifndef VELMORA_FRAMEWORK_SERVICE_HANDLE_H
#define VELMORA_FRAMEWORK_SERVICE_HANDLE_H

#include <windows.h>

class CServiceHandle {
public:
    CServiceHandle() noexcept : m_handle(NULL) {}
    explicit CServiceHandle(SC_HANDLE handle) noexcept : m_handle(handle) {}
    ~CServiceHandle() { Close(); }
    CServiceHandle(const CServiceHandle&) = delete;
    CServiceHandle& operator=(const CServiceHandle&) = delete;

    // Closes the handle held (if any) and takes this one.
    void Attach(SC_HANDLE handle) noexcept
    {
        Close();
        m_handle = handle;
    }
    SC_HANDLE Detach() noexcept
    {
        SC_HANDLE handle = m_handle;
        m_handle = NULL;
        return handle;
    }
    // CloseServiceHandle's result; TRUE when empty. Empty afterwards either way.
    BOOL Close() noexcept
    {
        if (!m_handle)
            return TRUE;
        BOOL closed = ::CloseServiceHandle(m_handle);
        m_handle = NULL;
        return closed;
    }
    SC_HANDLE Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return m_handle != NULL; }

private:
    SC_HANDLE m_handle;
};

#endif
