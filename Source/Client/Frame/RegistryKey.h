// CRegistryKey: holder of one open registry key, through which the program reads and writes its
// settings. Every operation returns 1 on success and 0 on failure, except Close, which returns the
// registry's own result code. The key itself is the framework's CRegistryKeyHandle.
#ifndef VELMORA_FRAME_REGISTRY_KEY_H
#define VELMORA_FRAME_REGISTRY_KEY_H

#include <windows.h>

#include "Framework/CString.h"
#include "Framework/RegistryKeyHandle.h"

class CRegistryKey {
public:
    CRegistryKey() {}
    // The caller closes the key; a holder that goes out of scope still open closes it too, so a
    // forgotten Close never leaks the handle.
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Open an existing key / open or create one. On failure the holder holds nothing.
    int Open(HKEY root, const char* path, REGSAM access);
    int Create(HKEY root, const char* path, REGSAM access);

    // REG_SZ, stored with its terminating zero.
    int SetString(const char* name, const char* text);
    int SetDWORD(const char* name, DWORD value);

    // Up to 255 characters of a REG_SZ or REG_EXPAND_SZ (not expanded). On failure (missing
    // value, another type, or a value too long) out is emptied.
    int GetString(const char* name, CString& out);
    // A 4-byte REG_DWORD; on failure (missing, another type or size) out is 0.
    int GetDWORD(const char* name, DWORD& out);

    // Deletes a key that has no subkeys.
    static int DeleteKey(HKEY root, const char* path);
    int DeleteValue(const char* name);

    // RegCloseKey's result; the holder is empty afterwards (closing an empty holder gives
    // ERROR_INVALID_HANDLE).
    LONG Close() { return m_key.Close(); }

    HKEY Handle() const { return m_key.Get(); }

private:
    CRegistryKeyHandle m_key;
};

#endif
