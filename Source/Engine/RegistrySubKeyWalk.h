// CRegistrySubKeyWalk: opens a key and then each of its sub-keys in turn (or one fixed key below
// each), the walk the registry scan makes over the entries of a fixed key.
#ifndef TARNEX_REGISTRY_SUB_KEY_WALK_H
#define TARNEX_REGISTRY_SUB_KEY_WALK_H

#include <windows.h>

#include "Engine/RegistryKeyHandle.h"
#include "Framework/CString.h"

class CSSEngineProcess;

class CRegistrySubKeyWalk {
public:
    // Walks root\key. With `below`, the key opened for each sub-key is sub-key\below.
    CRegistrySubKeyWalk(HKEY root, const char* key, const char* below = nullptr);
    CRegistrySubKeyWalk(const CRegistrySubKeyWalk&) = delete;
    CRegistrySubKeyWalk& operator=(const CRegistrySubKeyWalk&) = delete;

    // RegOpenKeyExA of root\key for reading; the walk finds nothing when this fails.
    LONG Open();

    // Moves to the next sub-key whose key opens for reading: true with the accessors describing
    // it; false at the end of the enumeration, on an enumeration error, and once the process is
    // asked to stop (tested before every sub-key). Names longer than 255 characters and keys
    // that do not open are passed over.
    bool Next(const CSSEngineProcess& process);

    // The sub-key's name.
    const CString& Name() const { return m_name; }
    // key\name: the entry, below the root.
    const CString& EntryPath() const { return m_entryPath; }
    // The path of the key opened for the entry, below the root: EntryPath(), or
    // EntryPath()\below.
    const CString& OpenedPath() const { return m_below ? m_openedPath : m_entryPath; }
    // The key opened for the entry; it stays open until the next call of Next.
    HKEY Key() const { return m_opened.Get(); }

private:
    HKEY m_root;
    const char* m_key;
    const char* m_below;
    CRegistryKeyHandle m_walked;
    CRegistryKeyHandle m_opened;
    DWORD m_index;
    CString m_name;
    CString m_entryPath;
    CString m_openedPath;
};

#endif
