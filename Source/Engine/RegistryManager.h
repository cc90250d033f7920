// CRegistryManager: writes registry keys into the registry backup document (".rbk") and reads one
// back into the registry, and deletes keys and values named by a full path. CRegistryDocument is
// a document read and checked in full, before anything is written from it.
//
// The document: UTF-8 text, CR LF lines, one tag per line (see CXmlWriter), a root element
// "registry" holding one chain of nested "k" elements (attribute "name") per exported key, and
// inside each key its values as empty "v" elements (attributes "name", "value", "type"), then
// its subkeys.
#ifndef TARNEX_REGISTRY_MANAGER_H
#define TARNEX_REGISTRY_MANAGER_H

#include <windows.h>

#include <set>
#include <vector>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CString.h"

class CXmlWriter;
class CXmlReader;

// A found-item text taken apart: "ROOT\key\path" or "ROOT\key\path" + ValueSeparator + "name".
struct RegistryItemPath {
    CString rootName;  // the full spelling, as the root table writes it
    HKEY root = nullptr;
    CString keyPath;   // never empty, no empty components
    bool namesValue = false;
    CString valueName;
};

// The five root names, compared without regard to case; null for any other text.
HKEY RegistryRootByName(const char* name, CString* canonicalName = nullptr);

// Splits a found-item text. False for a text that is not a registry path (a file path), names
// an unknown root, or names only a root ("HKEY_CURRENT_USER", "HKEY_CURRENT_USER\"): the repair
// and the backup never touch a whole root key.
bool ParseRegistryItem(const char* text, RegistryItemPath& out);

// One value as the document holds it, ready for RegSetValueExA.
struct RegistryDocumentValue {
    CString name;  // empty for the unnamed value
    DWORD type = REG_SZ;
    CString data;  // raw bytes
};

// One "k" element of the document, in document order.
struct RegistryDocumentKey {
    CString rootName;
    HKEY root = nullptr;
    CString keyPath;  // empty for the root element of a chain
    std::vector<RegistryDocumentValue> values;
};

class CRegistryDocument {
public:
    void Clear();
    // Keys are added in document order when their element opens; values as they end.
    size_t AddKey(const RegistryDocumentKey& key);
    void AddValue(size_t keyIndex, const RegistryDocumentValue& value);
    const std::vector<RegistryDocumentKey>& Keys() const { return m_keys; }

    bool HasKey(const CString& rootName, const CString& keyPath) const;
    bool HasValue(const CString& rootName, const CString& keyPath, const CString& valueName) const;
    // True when everything the repair would remove for this item is in the document: the
    // value, or the key with every subkey and value below it as the registry holds them now.
    // A target that does not exist is covered; one that cannot be read is not.
    bool Covers(const RegistryItemPath& item) const;

private:
    bool CoversTree(HKEY root, const CString& rootName, const CString& keyPath, int depth) const;
    bool CoversValue(const RegistryItemPath& item) const;
    static CString Identity(const CString& rootName, const CString& keyPath);

    std::vector<RegistryDocumentKey> m_keys;
    std::set<CString> m_keyIds;    // lower case "ROOT\path"
    std::set<CString> m_valueIds;  // lower case "ROOT\path" + "\n" + value name
};

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

// Document text helpers (escaping and the code-page conversion), shared with the tests.
CString EscapeDocumentText(const CString& ansi);
// Undoes EscapeDocumentText in one left-to-right pass, so "&amp;amp;" gives "&amp;". False
// when the text is not valid UTF-8 or holds a character the ANSI code page cannot represent.
bool UnescapeDocumentText(const CString& utf8, CString& ansi);

#endif
