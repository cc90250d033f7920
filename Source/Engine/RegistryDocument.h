// CRegistryDocument: a registry backup document as read and checked in full, before anything is
// written from it, and the check that it holds everything a repair is about to remove.
#ifndef TARNEX_REGISTRY_DOCUMENT_H
#define TARNEX_REGISTRY_DOCUMENT_H

#include <windows.h>

#include <set>
#include <vector>

#include "Engine/RegistryItemPath.h"
#include "Framework/CString.h"

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

#endif
