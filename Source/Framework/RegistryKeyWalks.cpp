// CRegistrySubKeyWalk: the walked key, its sub-key names and the key opened for each;
// CRegistryValueWalk: the values with data, with their progress steps.
#include "Framework/RegistryKeyWalks.h"

CRegistrySubKeyWalk::CRegistrySubKeyWalk(HKEY root, const char* key, const char* below)
    : m_root(root), m_key(key), m_below(below), m_index(0)
{
}

LONG CRegistrySubKeyWalk::Open()
{
    m_index = 0;
    return m_walked.Open(m_root, m_key, KEY_READ);
}

bool CRegistrySubKeyWalk::Next(const CRegistryWalkControl& control)
{
    m_opened.Close();
    while (control.KeepWalking()) {
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

CRegistryValueWalk::CRegistryValueWalk(HKEY key, Progress progress)
    : CRegistryValueEnumerator(key), m_next(0), m_progress(progress)
{
}

bool CRegistryValueWalk::Next(const CRegistryWalkControl& control)
{
    while (control.KeepWalking()) {
        if (Read(m_next++) != ERROR_SUCCESS)
            return false;
        if (!HasData())
            continue;
        if (m_progress == ProgressPerValue)
            control.OnValueWalked();
        return true;
    }
    return false;
}
