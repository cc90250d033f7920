// CRegistryKeyHandle: owns one open registry key (RegOpenKeyEx, RegCreateKeyEx, RegCloseKey) and
// reads its values with bounded retries (RegQueryValueEx). Shared by the engine and the program.
//
// Usage: CRegistryKeyHandle key;
//        if (key.Open(HKEY_CURRENT_USER, "Software\\Velmora", KEY_READ) == ERROR_SUCCESS) ...
// Every call returns the registry's LONG; the key cannot be copied; Detach() hands the HKEY over
// without closing it. RegistryRootKeys.h maps root names to keys; RegistryKeyWalks.h walks the
// sub-keys and values of a key.
#ifndef VELMORA_FRAMEWORK_REGISTRY_KEY_HANDLE_H
#define VELMORA_FRAMEWORK_REGISTRY_KEY_HANDLE_H

#include <windows.h>

#include <vector>

#include "Framework/CString.h"

class CRegistryKeyHandle {
public:
    CRegistryKeyHandle() : m_key(nullptr) {}
    ~CRegistryKeyHandle() { Close(); }
    CRegistryKeyHandle(const CRegistryKeyHandle&) = delete;
    CRegistryKeyHandle& operator=(const CRegistryKeyHandle&) = delete;

    // RegOpenKeyExA; the handle is unchanged (closed) when the call fails.
    LONG Open(HKEY parent, const char* subKey, REGSAM access);
    // RegCreateKeyExA (a non-volatile key, opened when it exists already); `created` (when
    // given) tells whether the key is new. The handle is closed when the call fails.
    LONG Create(HKEY parent, const char* subKey, REGSAM access, bool* created = nullptr);
    // Closes the key held first, then takes this one.
    void Attach(HKEY key);
    // RegCloseKey's result; ERROR_INVALID_HANDLE when no key is held. Empty afterwards.
    LONG Close();
    HKEY Get() const { return m_key; }
    bool IsOpen() const { return m_key != nullptr; }
    HKEY Detach();

    // Reads one value with its type. The data grows and the read is retried a few times when
    // the value grows between the size query and the read. The buffer always holds two NUL
    // bytes after the data, so string data without a terminator can be read as text.
    // `size` receives the data length in bytes (without the added NULs). On failure the
    // outputs are unchanged and the registry error is returned.
    LONG QueryValue(const char* name, std::vector<BYTE>& data, DWORD& size, DWORD& type) const
    {
        return QueryValueOf(m_key, name, data, size, type);
    }
    // A REG_SZ or REG_EXPAND_SZ value as text (up to its first NUL); ERROR_INVALID_DATATYPE
    // for other types; `type` (when given) receives the type either way.
    LONG QueryString(const char* name, CString& text, DWORD* type = nullptr) const
    {
        return QueryStringOf(m_key, name, text, type);
    }
    // The same reads on a key this object does not own.
    static LONG QueryValueOf(HKEY key, const char* name, std::vector<BYTE>& data, DWORD& size,
                             DWORD& type);
    static LONG QueryStringOf(HKEY key, const char* name, CString& text, DWORD* type = nullptr);

private:
    HKEY m_key;
};

#endif
