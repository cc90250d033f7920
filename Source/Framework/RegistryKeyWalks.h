// Walks over a registry key (RegEnumKeyEx, RegEnumValue): CRegistrySubKeyWalk opens a key and
// then each of its sub-keys in turn (or one fixed key below each); CRegistryValueWalk reads the
// values with data of an open key in turn. Whoever runs a walk is a CRegistryWalkControl: it is
// asked before every entry whether to go on, and told of every value a walk with progress finds.
#ifndef VELMORA_FRAMEWORK_REGISTRY_KEY_WALKS_H
#define VELMORA_FRAMEWORK_REGISTRY_KEY_WALKS_H

#include <windows.h>

#include "Framework/CString.h"
#include "Framework/RegistryKeyHandle.h"
#include "Framework/RegistryValueEnumerator.h"

class CRegistryWalkControl {
public:
    // False once the walk should stop (a task asked to stop); tested before every entry.
    virtual bool KeepWalking() const = 0;
    // One value found by a walk with ProgressPerValue.
    virtual void OnValueWalked() const = 0;

protected:
    ~CRegistryWalkControl() = default;
};

class CRegistrySubKeyWalk {
public:
    // Walks root\key. With `below`, the key opened for each sub-key is sub-key\below.
    CRegistrySubKeyWalk(HKEY root, const char* key, const char* below = nullptr);
    CRegistrySubKeyWalk(const CRegistrySubKeyWalk&) = delete;
    CRegistrySubKeyWalk& operator=(const CRegistrySubKeyWalk&) = delete;

    // RegOpenKeyExA of root\key for reading; the walk finds nothing when this fails.
    LONG Open();

    // Moves to the next sub-key whose key opens for reading: true with the accessors describing
    // it; false at the end of the enumeration, on an enumeration error, and once the control
    // says to stop (tested before every sub-key). Names longer than 255 characters and keys
    // that do not open are passed over.
    bool Next(const CRegistryWalkControl& control);

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

class CRegistryValueWalk : public CRegistryValueEnumerator {
public:
    enum Progress { NoProgress, ProgressPerValue };

    // The key stays owned by the caller and must stay open while the walk is used. With
    // ProgressPerValue every value found is told to the control (OnValueWalked).
    CRegistryValueWalk(HKEY key, Progress progress);

    // Reads the next value that has data: true with the enumerator's accessors describing it;
    // false after the last value, on a read error, and once the control says to stop (tested
    // before every value).
    bool Next(const CRegistryWalkControl& control);

private:
    DWORD m_next;
    Progress m_progress;
};

#endif
