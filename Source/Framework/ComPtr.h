// CComPtr: owns one reference to a COM interface and releases it (IUnknown::Release), for the
// objects of CoCreateInstance and QueryInterface.
//
// Usage: CComPtr<IShellLinkA> link;
//        HRESULT hr = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
//                                      IID_IShellLinkA, link.OutVoid());
// Out()/OutVoid() release what is held and hand the slot to a call that fills it. The pointer
// cannot be copied; Detach() hands the reference over without releasing it.
#ifndef VELMORA_FRAMEWORK_COM_PTR_H
#define VELMORA_FRAMEWORK_COM_PTR_H

#include <windows.h>

template <class Interface>
class CComPtr {
public:
    CComPtr() noexcept : m_pointer(NULL) {}
    // Takes over a reference the caller owns (AddRef is not called).
    explicit CComPtr(Interface* pointer) noexcept : m_pointer(pointer) {}
    ~CComPtr() { Release(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    void Release() noexcept
    {
        if (m_pointer) {
            Interface* pointer = m_pointer;
            m_pointer = NULL;
            pointer->Release();
        }
    }
    Interface** Out() noexcept
    {
        Release();
        return &m_pointer;
    }
    void** OutVoid() noexcept { return reinterpret_cast<void**>(Out()); }
    // Releases what is held and takes over a reference the caller owns.
    void Attach(Interface* pointer) noexcept
    {
        Release();
        m_pointer = pointer;
    }
    Interface* Detach() noexcept
    {
        Interface* pointer = m_pointer;
        m_pointer = NULL;
        return pointer;
    }
    Interface* Get() const noexcept { return m_pointer; }
    Interface* operator->() const noexcept { return m_pointer; }
    explicit operator bool() const noexcept { return m_pointer != NULL; }

private:
    Interface* m_pointer;
};

#endif
