// CRegistryKeyHandle: the owned key and its bounded value reads.
#include "Framework/RegistryKeyHandle.h"

#include <string.h>

namespace {

// A value that keeps growing between our size query and our read is read this many times
// before we give up on it; registry writers do not race that often.
const int ValueReadAttempts = 4;
const DWORD SmallValueLength = 512;

}  // namespace

LONG CRegistryKeyHandle::Open(HKEY parent, const char* subKey, REGSAM access)
{
    Close();
    if (!parent)
        return ERROR_INVALID_HANDLE;
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(parent, subKey ? subKey : "", 0, access, &key);
    if (result == ERROR_SUCCESS)
        m_key = key;
    return result;
}

LONG CRegistryKeyHandle::Create(HKEY parent, const char* subKey, REGSAM access, bool* created)
{
    Close();
    if (!parent)
        return ERROR_INVALID_HANDLE;
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExA(parent, subKey ? subKey : "", 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
    if (result == ERROR_SUCCESS) {
        m_key = key;
        if (created)
            *created = disposition == REG_CREATED_NEW_KEY;
    }
    return result;
}

void CRegistryKeyHandle::Attach(HKEY key)
{
    Close();
    m_key = key;
}

LONG CRegistryKeyHandle::Close()
{
    if (!m_key)
        return ERROR_INVALID_HANDLE;
    LONG result = RegCloseKey(m_key);
    m_key = nullptr;
    return result;
}

HKEY CRegistryKeyHandle::Detach()
{
    HKEY key = m_key;
    m_key = nullptr;
    return key;
}

LONG CRegistryKeyHandle::QueryValueOf(HKEY key, const char* name, std::vector<BYTE>& data,
                                      DWORD& size, DWORD& type)
{
    if (!key)
        return ERROR_INVALID_HANDLE;
    // Most values are small: one read into a block of our own answers them without a size
    // query first.
    BYTE small[SmallValueLength + 2];
    DWORD needed = SmallValueLength;
    DWORD valueType = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &valueType, small, &needed);
    if (result == ERROR_SUCCESS) {
        if (needed > SmallValueLength)
            needed = SmallValueLength;
        data.assign(small, small + needed);
        data.push_back(0);
        data.push_back(0);
        size = needed;
        type = valueType;
        return ERROR_SUCCESS;
    }
    if (result != ERROR_MORE_DATA)
        return result;
    std::vector<BYTE> buffer;
    for (int attempt = 0; attempt < ValueReadAttempts; ++attempt) {
        buffer.assign(needed + 2, 0);
        DWORD got = needed;
        result = RegQueryValueExA(key, name, nullptr, &valueType, buffer.data(), &got);
        if (result == ERROR_SUCCESS) {
            if (got > needed)
                got = needed;
            buffer.resize(got + 2);
            buffer[got] = 0;
            buffer[got + 1] = 0;
            data.swap(buffer);
            size = got;
            type = valueType;
            return ERROR_SUCCESS;
        }
        if (result != ERROR_MORE_DATA)
            return result;
        // The value grew: the failed read reported the new size.
        needed = got > needed ? got : needed * 2 + 16;
    }
    return ERROR_MORE_DATA;
}

LONG CRegistryKeyHandle::QueryStringOf(HKEY key, const char* name, CString& text, DWORD* type)
{
    std::vector<BYTE> data;
    DWORD size = 0;
    DWORD valueType = 0;
    LONG result = QueryValueOf(key, name, data, size, valueType);
    if (result != ERROR_SUCCESS)
        return result;
    if (type)
        *type = valueType;
    if (valueType != REG_SZ && valueType != REG_EXPAND_SZ)
        return ERROR_INVALID_DATATYPE;
    const char* chars = reinterpret_cast<const char*>(data.data());
    text = CString(chars, static_cast<int>(strnlen(chars, size)));
    return ERROR_SUCCESS;
}
