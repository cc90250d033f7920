// CRegistryValueEnumerator (RegEnumValue): reads the values of an open key one index at a time,
// each name and its data in buffers that grow (a bounded number of times) when a value is larger
// than the key said; and ReadSubKeyName (RegEnumKeyEx), the bounded read of one sub-key name.
#ifndef VELMORA_FRAMEWORK_REGISTRY_VALUE_ENUMERATOR_H
#define VELMORA_FRAMEWORK_REGISTRY_VALUE_ENUMERATOR_H

#include <windows.h>

#include <vector>

#include "Framework/CString.h"

class CRegistryValueEnumerator {
public:
    // The key stays owned by the caller and must stay open while the enumerator is used.
    explicit CRegistryValueEnumerator(HKEY key);
    CRegistryValueEnumerator(const CRegistryValueEnumerator&) = delete;
    CRegistryValueEnumerator& operator=(const CRegistryValueEnumerator&) = delete;

    // Reads the value at `index`: ERROR_SUCCESS, ERROR_NO_MORE_ITEMS past the last one, or the
    // registry's error. After a failure the accessors describe no value (empty name, no data).
    LONG Read(DWORD index);

    const CString& Name() const { return m_name; }
    DWORD Type() const { return m_type; }
    // Data bytes of the value read; 0 for a value without data.
    DWORD Size() const { return m_size; }
    bool HasData() const { return m_size > 0; }
    // The data bytes of the value read (Size() of them), followed by two NULs.
    const BYTE* Data() const { return m_data.data(); }
    bool IsString() const { return m_type == REG_SZ || m_type == REG_EXPAND_SZ; }
    // The data of a REG_SZ or REG_EXPAND_SZ value up to its first NUL; empty for other types.
    CString Text() const;

private:
    void Forget();
    bool GrowToKeyMaxima();

    HKEY m_key;
    std::vector<char> m_nameBuffer;
    std::vector<BYTE> m_data;  // always two NUL bytes longer than the longest data read
    CString m_name;
    DWORD m_type;
    DWORD m_size;
};

// RegEnumKeyExA for the name at `index` into a buffer of `maxChars` characters: ERROR_SUCCESS,
// ERROR_MORE_DATA for a longer name (skipped by the callers), ERROR_NO_MORE_ITEMS, or another
// error. `name` is unchanged unless the call succeeds.
LONG ReadSubKeyName(HKEY key, DWORD index, CString& name, DWORD maxChars = 256);

#endif
