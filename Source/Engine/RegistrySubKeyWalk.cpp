// CRegistrySubKeyWalk: the walked key, its sub-key names and the key opened for each.
#include "Engine/RegistrySubKeyWalk.h"

#include "Engine/RegistryValueEnumerator.h"
#include "Engine/SSEngineProcess.h"

CRegistrySubKeyWalk::CRegistrySubKeyWalk(HKEY root, const char* key, const char* below)
    : m_root(root), m_key(key), m_below(below), m_index(0)
{
}

LONG CRegistrySubKeyWalk::Open()
{
    m_index = 0;
    return m_walked.Open(m_root, m_key, KEY_READ);
}

bool CRegistrySubKeyWalk::Next(const CSSEngineProcess& process)
{
    m_opened.Close();
    while (process.KeepRunning()) {
        LONG result = ReadSubKeyName(m_walked.Get(), m_index++, m_name);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return false;
        m_entryPath = CString(m_key) + "\\" + m_name;
        if (m_below)
            m_openedPath = m_entryPath + "\\" + m_below;
        if (m_opened.Open(m_root, OpenedPath(), KEY_READ) == ERROR_SUCCESS)
            return true;
    }
    return false;
}
