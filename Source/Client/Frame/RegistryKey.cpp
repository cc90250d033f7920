// CRegistryKey: one open registry key.
#include "Frame/RegistryKey.h"

#include <string.h>

namespace {

// The largest text GetString hands out, and the buffer it reads into: one byte more than the
// longest text with its terminating zero, so that even a stored value with no terminator of its
// own can be measured without reading past the buffer.
const int MaxStringChars = 255;
const DWORD StringBufferBytes = MaxStringChars + 1;

}  // namespace

int CRegistryKey::Open(HKEY root, const char* path, REGSAM access)
{
    return m_key.Open(root, path, access) == ERROR_SUCCESS;
}

int CRegistryKey::Create(HKEY root, const char* path, REGSAM access)
{
    return m_key.Create(root, path, access) == ERROR_SUCCESS;
}

int CRegistryKey::SetString(const char* name, const char* text)
{
    if (!text)
        text = "";
    // The byte count takes in the terminating zero: a reader of the value (Windows itself for
    // the tweaks' texts) may rely on finding it.
    return RegSetValueExA(m_key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

int CRegistryKey::SetDWORD(const char* name, DWORD value)
{
    return RegSetValueExA(m_key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

int CRegistryKey::GetString(const char* name, CString& out)
{
    out.Empty();
    // The registry does not promise a terminating zero (a writer may store the text without it),
    // so the text is measured within the bytes actually read, never beyond them.
    char buffer[StringBufferBytes] = {};
    DWORD size = StringBufferBytes;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(m_key.Get(), name, NULL, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return 0;
    // Only text values are texts: a number or binary data read as characters means nothing.
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return 0;
    if (size > StringBufferBytes)
        size = StringBufferBytes;
    int length = static_cast<int>(strnlen(buffer, size));
    if (length > MaxStringChars)
        return 0;
    out = CString(buffer, length);
    return 1;
}

int CRegistryKey::GetDWORD(const char* name, DWORD& out)
{
    out = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = REG_NONE;
    // Only a 4-byte REG_DWORD is a number: a text "1" read as bytes would be 49.
    if (RegQueryValueExA(m_key.Get(), name, NULL, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return 0;
    out = value;
    return 1;
}

int CRegistryKey::DeleteKey(HKEY root, const char* path)
{
    return RegDeleteKeyA(root, path) == ERROR_SUCCESS;
}

int CRegistryKey::DeleteValue(const char* name)
{
    return RegDeleteValueA(m_key.Get(), name) == ERROR_SUCCESS;
}

