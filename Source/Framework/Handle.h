// CHandle: owns one kernel handle and closes it (CloseHandle). For the handles of CreateFile,
// CreateToolhelp32Snapshot, OpenProcess, OpenThread, CreateEvent, CreateThread, OpenProcessToken.
//
// Usage: CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
//        if (!snapshot.IsValid()) return GetLastError();
// Both "no handle" values the platform uses (NULL and INVALID_HANDLE_VALUE) count as empty, so
// the wrapper takes whatever the opening call returned. It cannot be copied; Detach() gives the
// handle back without closing it.
#ifndef VELMORA_FRAMEWORK_HANDLE_H
#define VELMORA_FRAMEWORK_HANDLE_H

#include <windows.h>

class CHandle {
public:
    CHandle() noexcept : m_handle(NULL) {}
    explicit CHandle(HANDLE handle) noexcept : m_handle(Owned(handle)) {}
    ~CHandle() { Close(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    // Closes the handle held (if any) and takes this one.
    void Attach(HANDLE handle) noexcept
    {
        Close();
        m_handle = Owned(handle);
    }
    HANDLE Detach() noexcept
    {
        HANDLE handle = m_handle;
        m_handle = NULL;
        return handle;
    }
    // CloseHandle's result (its error in GetLastError); TRUE when empty. Empty afterwards
    // either way: a handle whose close failed is not valid any more.
    BOOL Close() noexcept
    {
        if (!m_handle)
            return TRUE;
        BOOL closed = ::CloseHandle(m_handle);
        m_handle = NULL;
        return closed;
    }
    HANDLE Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return m_handle != NULL; }

private:
    static HANDLE Owned(HANDLE handle) noexcept
    {
        return handle == INVALID_HANDLE_VALUE ? NULL : handle;
    }

    HANDLE m_handle;
};

#endif
