// CRegistryManager: progress over a document operation, and the import that writes a document
// into the registry once it has been read and checked in full. The export, the reader and the
// deletions live in RegistryDocumentExport.cpp, RegistryDocumentReader.cpp and
// RegistryKeyDeletion.cpp.
#include "Engine/RegistryManager.h"

#include <set>

#include "Framework/RegistryKeyHandle.h"

CRegistryManager::CRegistryManager(CAbstractStatus* status, volatile LONG* continueFlag)
    : m_status(status), m_ownContinue(1), m_continue(continueFlag ? continueFlag : &m_ownContinue),
      m_keyCount(0), m_showErrors(true), m_incomplete(false)
{
}

void CRegistryManager::CountKey(const RegistryDocumentKey* imported)
{
    ++m_keyCount;
    if (m_keyCount % 5 != 0 || !m_status)
        return;
    if (imported)
        m_status->OnStatusText(imported->rootName + "\\" + imported->keyPath, "Scanning");
    m_status->OnProgress(1);
}

int CRegistryManager::Import(const char* file)
{
    *m_continue = 1;
    CRegistryDocument document;
    int result = 0;
    if (ReadDocument(file, m_showErrors, document))
        result = ApplyDocument(document);
    *m_continue = 0;
    return result;
}

int CRegistryManager::ApplyDocument(const CRegistryDocument& document)
{
    // Every key the document writes into must be there or creatable before the first write,
    // so a refused restore changes nothing.
    std::set<CString> checked;
    for (const RegistryDocumentKey& key : document.Keys()) {
        if (key.keyPath.IsEmpty())
            continue;  // a root: nothing is written into it
        CString id = key.rootName + "\\" + key.keyPath;
        if (!checked.insert(id.MakeLower()).second)
            continue;
        CRegistryKeyHandle probe;
        LONG e = probe.Open(key.root, key.keyPath, KEY_SET_VALUE);
        CString ancestor = key.keyPath;
        while (e == ERROR_FILE_NOT_FOUND) {
            const int slash = ancestor.ReverseFind('\\');
            ancestor = slash < 0 ? CString() : ancestor.Left(slash);
            e = probe.Open(key.root, ancestor, KEY_CREATE_SUB_KEY);
            if (ancestor.IsEmpty())
                break;
        }
        if (e != ERROR_SUCCESS) {
            m_errorText.Format("couldn't create key %s\\%s", key.rootName.GetString(),
                               key.keyPath.GetString());
            return 0;
        }
    }

    m_keyCount = 0;
    bool complete = true;
    for (const RegistryDocumentKey& key : document.Keys()) {
        CountKey(&key);
        if (key.keyPath.IsEmpty())
            continue;
        CRegistryKeyHandle handle;
        if (handle.Create(key.root, key.keyPath, KEY_SET_VALUE | KEY_QUERY_VALUE) != ERROR_SUCCESS) {
            m_errorText.Format("couldn't create key %s\\%s", key.rootName.GetString(),
                               key.keyPath.GetString());
            return 0;
        }
        for (const RegistryDocumentValue& value : key.values) {
            if (value.data.IsEmpty())
                continue;
            if (RegSetValueExA(handle.Get(), value.name.IsEmpty() ? nullptr : value.name.GetString(), 0,
                               value.type, reinterpret_cast<const BYTE*>(value.data.GetString()),
                               DWORD(value.data.GetLength())) != ERROR_SUCCESS) {
                m_errorText.Format("couldn't set value %s", value.name.GetString());
                complete = false;
            }
        }
    }
    return complete ? 1 : 0;
}
