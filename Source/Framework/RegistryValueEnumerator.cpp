// CRegistryValueEnumerator: bounded reads of value names, value data and sub-key names.
#include "Framework/RegistryValueEnumerator.h"

#include <string.h>

namespace {

// A value that keeps outgrowing the buffer between our size query and our read is given up
// after this many reads; registry writers do not race a scan that often.
const int ValueReadAttempts = 4;
// Largest value name the registry stores, in characters.
const DWORD LongestValueName = 16383;

}  // namespace

// The buffers start at sizes most values fit; the key's maxima are asked for only when a value
// does not fit, which saves a registry call for every key enumerated.
CRegistryValueEnumerator::CRegistryValueEnumerator(HKEY key)
    : m_key(key), m_nameBuffer(256 + 1), m_data(1024 + 2), m_type(REG_NONE), m_size(0)
{
}

bool CRegistryValueEnumerator::GrowToKeyMaxima()
{
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (!m_key || RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, &longestName, &longestData, nullptr,
                                   nullptr) != ERROR_SUCCESS)
        return false;
    if (longestName > LongestValueName)
        longestName = LongestValueName;
    if (m_nameBuffer.size() < longestName + 1)
        m_nameBuffer.resize(longestName + 1);
    if (m_data.size() < longestData + 2)
        m_data.resize(longestData + 2);
    return true;
}

void CRegistryValueEnumerator::Forget()
{
    m_name.Empty();
    m_type = REG_NONE;
    m_size = 0;
}

LONG CRegistryValueEnumerator::Read(DWORD index)
{
    Forget();
    if (!m_key)
        return ERROR_INVALID_HANDLE;
    LONG result = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < ValueReadAttempts; ++attempt) {
        DWORD nameChars = static_cast<DWORD>(m_nameBuffer.size());
        DWORD dataBytes = static_cast<DWORD>(m_data.size() - 2);
        DWORD type = REG_NONE;
        result = RegEnumValueA(m_key, index, m_nameBuffer.data(), &nameChars, nullptr, &type,
                               m_data.data(), &dataBytes);
        if (result == ERROR_SUCCESS) {
            if (nameChars >= m_nameBuffer.size())
                nameChars = static_cast<DWORD>(m_nameBuffer.size() - 1);
            if (dataBytes > m_data.size() - 2)
                dataBytes = static_cast<DWORD>(m_data.size() - 2);
            // String data need not carry its terminator: two NULs end it for every reader.
            m_data[dataBytes] = 0;
            m_data[dataBytes + 1] = 0;
            m_name = CString(m_nameBuffer.data(), static_cast<int>(nameChars));
            m_type = type;
            m_size = dataBytes;
            return ERROR_SUCCESS;
        }
        if (result != ERROR_MORE_DATA)
            return result;
        // The value (or its name) is larger than the buffers: ask the key for its maxima, and
        // at least double the data buffer in case the key's answer is no better.
        size_t before = m_data.size();
        GrowToKeyMaxima();
        if (m_data.size() <= before)
            m_data.resize(before * 2 + 16);
        if (m_nameBuffer.size() < LongestValueName + 1 && attempt == ValueReadAttempts - 2)
            m_nameBuffer.resize(LongestValueName + 1);
    }
    return result;
}

CString CRegistryValueEnumerator::Text() const
{
    if (!IsString())
        return CString();
    const char* chars = reinterpret_cast<const char*>(m_data.data());
    return CString(chars, static_cast<int>(strnlen(chars, m_size)));
}

LONG ReadSubKeyName(HKEY key, DWORD index, CString& name, DWORD maxChars)
{
    std::vector<char> buffer(maxChars + 1);
    DWORD chars = maxChars + 1;  // the size given includes the terminator
    LONG result = RegEnumKeyExA(key, index, buffer.data(), &chars, nullptr, nullptr, nullptr,
                                nullptr);
    if (result == ERROR_SUCCESS) {
        if (chars > maxChars)
            chars = maxChars;
        name = CString(buffer.data(), static_cast<int>(chars));
    }
    return result;
}
