// CRegistryManager: writes registry keys into the registry backup document (".rbk") and reads one
// back into the registry, and deletes keys and values named by a full path. The document as read
// is CRegistryDocument (RegistryDocument.h); item paths and value texts have headers of their own.
//
// The document: UTF-8 text, CR LF lines, one tag per line (see CXmlWriter), a root element
// "registry" holding one chain of nested "k" elements (attribute "name") per exported key, and
// inside each key its values as empty "v" elements (attributes "name", "value", "type"), then
// its subkeys.
#ifndef TARNEX_REGISTRY_MANAGER_H
#define TARNEX_REGISTRY_MANAGER_H

#include <windows.h>

#include <vector>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Engine/RegistryDocument.h"
#include "Engine/RegistryItemPath.h"
#include "Engine/RegistryValueText.h"
#include "Framework/CString.h"

class CXmlWriter;

class CRegistryManager {
public:
    // The continue flag belongs to the caller (the process object keeps the one Stop clears);
    // null gives the manager a flag of its own.
    CRegistryManager(CAbstractStatus* status, volatile LONG* continueFlag);
    virtual ~CRegistryManager() {}
    CRegistryManager(const CRegistryManager&) = delete;
    CRegistryManager& operator=(const CRegistryManager&) = delete;

    // Writes the whole document for the found items, each key once: an item whose key, or a
    // key above it, already has its chain in the document adds nothing (a chain holds the whole
    // tree). Chains come in the order the list first names their keys. 1 only when the file is
    // complete: every exported key read in full, nothing stopped, every byte written and flushed.
    int ExportFoundItems(CAbstractScanItemsInfo* items, const char* file);
    // Writes one chain with the key's contents: 1 done, 0 when the key cannot be opened (nothing
    // written), -1 when something below it could not be read or the export was stopped.
    int ExportKey(const CString& fullPath, CXmlWriter& writer);
    // The five root keys whole, under the root element (not used by the tasks).
    int ExportEverything(CXmlWriter& writer);

    // Reads and checks the whole document without writing anything. False on a parse or
    // structure error (shown in a message box when showErrors is set) or an unreadable file;
    // GetErrorText then says why.
    bool ReadDocument(const char* file, bool showErrors, CRegistryDocument& document);
    // Reads the document, then writes it into the registry: 1 when every key and value was
    // written, 0 when the document was refused (nothing written) or a key or value failed.
    // A refused document is shown in a message box unless SetShowErrors(false) was called.
    int Import(const char* file);
    void SetShowErrors(bool show) { m_showErrors = show; }
    const CString& GetErrorText() const { return m_errorText; }

    // 1 when the key and everything below it is gone (a missing key counts as gone). A
    // symbolic link is never deleted nor followed: a link, or a tree holding one, gives 0 (what
    // lies beside the link in the tree may be gone by then).
    static int DeleteKeyTree(const CString& fullPath);
    // "ROOT\key\path\valuename": 1 when the value was deleted.
    static int DeleteValue(const CString& fullPath);
    static bool KeyExists(const CString& fullPath);

private:
    struct ValueRecord;
    enum ExportResult { ExportDone, ExportNotOpened, ExportIncomplete };

    bool KeepGoing() const { return *m_continue != 0; }
    void CountKey(const RegistryDocumentKey* imported);
    ExportResult ExportChain(HKEY root, const CString& rootName, const CString& keyPath,
                             CXmlWriter& writer);
    bool ExportContents(HKEY key, const CString& name, CXmlWriter& writer, int depth);
    bool ReadValues(HKEY key, std::vector<ValueRecord>& records);
    bool WriteValue(const ValueRecord& record, CXmlWriter& writer);
    int ApplyDocument(const CRegistryDocument& document);

    CAbstractStatus* m_status;
    volatile LONG m_ownContinue;
    volatile LONG* m_continue;
    int m_keyCount;
    bool m_showErrors;
    bool m_incomplete;  // the export left something out
    CString m_errorText;
};

#endif
