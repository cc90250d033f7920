// The export of the registry backup document: the found items, one key, or the whole registry,
// each key as a chain of "k" elements with its values and subkeys inside.
#include "Engine/RegistryManager.h"

#include <algorithm>
#include <set>
#include <vector>

#include "Engine/RegistryValueText.h"
#include "Engine/XmlStream.h"
#include "Framework/RegistryKeyHandle.h"
#include "Framework/TextCodePage.h"

struct CRegistryManager::ValueRecord {
    CString name;
    DWORD type;
    CString data;
};

namespace {

// Bounds of the loops that work on a key while it may change under them.
const int MaxEnumAttempts = 4;

// The roots the whole-registry export writes, in this order.
const char* const WholeRegistryRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                          "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

// The lower-case "ROOT\path" of a key, as the exported-keys set holds it.
CString KeyIdentity(const RegistryItemPath& item)
{
    CString id = item.rootName + "\\" + item.keyPath;
    id.MakeLower();
    return id;
}

// True when the key, or a key whose tree holds it, is in the set. Only whole components count:
// "root\a\bc" does not lie inside "root\a\b".
bool InsideExportedTree(const std::set<CString>& exported, const CString& id)
{
    if (exported.empty())
        return false;
    for (int slash = id.Find('\\'); slash >= 0; slash = id.Find('\\', slash + 1))
        if (exported.count(id.Left(slash)))
            return true;
    return exported.count(id) != 0;
}

}  // namespace

int CRegistryManager::ExportFoundItems(CAbstractScanItemsInfo* items, const char* file)
{
    m_keyCount = 0;
    m_incomplete = false;
    CXmlWriter writer;
    writer.SetFileName(file);
    writer.WriteStartTag(CXmlTag("registry"));
    // Every chain holds its key's whole tree, so a key is written once per document: the value
    // items of one key (hundreds of them in a shared-DLL list) would otherwise each repeat it.
    std::set<CString> exported;
    if (items && items->MoveFirst()) {
        do {
            if (!KeepGoing()) {
                m_incomplete = true;
                break;
            }
            if (items->IsCurrentExcluded())
                continue;
            RegistryItemPath item;
            if (!ParseRegistryItem(items->GetItemText(), item))
                continue;  // file items, and texts that name no key below a root
            const CString id = KeyIdentity(item);
            if (InsideExportedTree(exported, id))
                continue;
            if (ExportChain(item.root, item.rootName, item.keyPath, writer) != ExportNotOpened)
                exported.insert(id);
        } while (items->MoveNext());
    }
    writer.WriteEndTag("registry");
    const bool written = writer.Close();
    return written && !m_incomplete ? 1 : 0;
}

int CRegistryManager::ExportKey(const CString& fullPath, CXmlWriter& writer)
{
    RegistryItemPath item;
    if (fullPath.Find(ValueSeparator) >= 0 || !ParseRegistryItem(fullPath, item))
        return 0;
    const bool wasIncomplete = m_incomplete;
    m_incomplete = false;
    const ExportResult result = ExportChain(item.root, item.rootName, item.keyPath, writer);
    m_incomplete = m_incomplete || wasIncomplete;
    return result == ExportDone ? 1 : result == ExportNotOpened ? 0 : -1;
}

int CRegistryManager::ExportEverything(CXmlWriter& writer)
{
    *m_continue = 1;
    m_keyCount = 0;
    m_incomplete = false;
    writer.WriteStartTag(CXmlTag("registry"));
    for (const char* rootName : WholeRegistryRoots) {
        CXmlTag tag("k");
        tag.SetAttribute("name", rootName);
        writer.WriteStartTag(tag);
        const bool go = ExportContents(ItemRootKeyFromName(rootName), CString(), writer, 0);
        writer.WriteEndTag("k");
        if (!go)
            break;
    }
    writer.WriteEndTag("registry");
    *m_continue = 0;
    return m_incomplete || writer.HasFailed() ? 0 : 1;
}

CRegistryManager::ExportResult CRegistryManager::ExportChain(HKEY root, const CString& rootName,
                                                             const CString& keyPath,
                                                             CXmlWriter& writer)
{
    CRegistryKeyHandle key;
    if (key.Open(root, keyPath, KEY_READ) != ERROR_SUCCESS)
        return ExportNotOpened;
    const bool wasIncomplete = m_incomplete;
    m_incomplete = false;
    std::vector<CString> components;
    components.push_back(rootName);
    int start = 0;
    for (int slash; (slash = keyPath.Find('\\', start)) >= 0; start = slash + 1)
        components.push_back(keyPath.Mid(start, slash - start));
    components.push_back(keyPath.Mid(start));
    for (const CString& component : components) {
        CXmlTag tag("k");
        tag.SetAttribute("name", EscapeDocumentText(component));
        writer.WriteStartTag(tag);
    }
    ExportContents(key.Get(), CString(), writer, int(components.size()) - 1);
    // Every element opened here is closed, whatever happened inside: an unclosed element would
    // put the next item's chain inside this one.
    for (size_t i = 0; i < components.size(); ++i)
        writer.WriteEndTag("k");
    const bool complete = !m_incomplete;
    m_incomplete = m_incomplete || wasIncomplete;
    return complete ? ExportDone : ExportIncomplete;
}

// Names and texts are read in UTF-16 and converted here, so a character the ANSI code page
// cannot hold is noticed instead of silently becoming "?" in the backup.
bool CRegistryManager::ReadValues(HKEY key, std::vector<ValueRecord>& records)
{
    DWORD maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<WCHAR> name(MaxValueNameLength + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD i = 0;; ++i) {
        LONG e = ERROR_SUCCESS;
        DWORD nameLength = 0, dataLength = 0, type = 0;
        // The value can grow between the size query and the read: grow and read again.
        for (int attempt = 0; attempt < MaxEnumAttempts; ++attempt) {
            nameLength = DWORD(name.size());
            dataLength = DWORD(data.size());
            e = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
            if (e != ERROR_MORE_DATA)
                break;
            data.resize(std::max<size_t>(dataLength, data.size() * 2) + 2);
        }
        if (e == ERROR_NO_MORE_ITEMS)
            return true;
        if (e != ERROR_SUCCESS || dataLength > data.size())
            return false;
        ValueRecord record;
        record.type = type;
        bool exact = WideToText(name.data(), int(nameLength), CP_ACP, TextStrictness::Exact, record.name);
        if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
            exact = exact && dataLength % sizeof(WCHAR) == 0 &&
                    WideToText(reinterpret_cast<const WCHAR*>(data.data()), int(dataLength / sizeof(WCHAR)),
                               CP_ACP, TextStrictness::Exact, record.data);
        } else {
            record.data = CString(reinterpret_cast<const char*>(data.data()), int(dataLength));
        }
        if (!exact) {
            m_incomplete = true;  // the document could not give it back as it is
            continue;
        }
        records.push_back(record);
    }
}

bool CRegistryManager::WriteValue(const ValueRecord& record, CXmlWriter& writer)
{
    // The unnamed value is written only when it holds data.
    if (record.name.IsEmpty() && record.data.IsEmpty())
        return true;
    CString text;
    const char* typeName = nullptr;
    RenderValueText(record.type, reinterpret_cast<const BYTE*>(record.data.GetString()),
                DWORD(record.data.GetLength()), text, typeName);
    const CString escapedText = EscapeDocumentText(text);
    // What the reader would refuse is not written: the document would not restore.
    if (escapedText.GetLength() > XmlMaxAttributeLength)
        return false;
    CXmlTag tag("v");
    tag.SetAttribute("name", EscapeDocumentText(record.name.IsEmpty() ? CString(DefaultValueName) : record.name));
    tag.SetAttribute("value", escapedText);
    if (typeName)
        tag.SetAttribute("type", EscapeDocumentText(typeName));
    writer.WriteEmptyElement(tag);
    return true;
}

bool CRegistryManager::ExportContents(HKEY key, const CString& name, CXmlWriter& writer, int depth)
{
    if (!KeepGoing()) {
        m_incomplete = true;
        return false;
    }
    DWORD subkeyCount = 0, valueCount = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr,
                         &valueCount, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        m_incomplete = true;
        return true;
    }
    // Values and subkey names are read before the element is written, so an element written
    // empty never gets children, even when the key changes meanwhile.
    std::vector<ValueRecord> records;
    if (!ReadValues(key, records))
        m_incomplete = true;
    std::vector<CString> subkeys;
    for (DWORD i = 0;; ++i) {
        WCHAR subkey[MaxKeyNameLength + 2];
        DWORD length = MaxKeyNameLength + 2;
        const LONG e = RegEnumKeyExW(key, i, subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (e == ERROR_NO_MORE_ITEMS)
            break;
        if (e != ERROR_SUCCESS) {
            m_incomplete = true;
            break;
        }
        CString name;
        if (WideToText(subkey, int(length), CP_ACP, TextStrictness::Exact, name))
            subkeys.push_back(name);
        else
            m_incomplete = true;  // a name the ANSI code page cannot hold
    }
    const bool hasContent = subkeyCount || valueCount || !records.empty() || !subkeys.empty();
    if (!name.IsEmpty()) {
        CXmlTag tag("k");
        tag.SetAttribute("name", name);
        if (hasContent)
            writer.WriteStartTag(tag);
        else
            writer.WriteEmptyElement(tag);
    }
    CountKey(nullptr);
    for (const ValueRecord& record : records)
        if (!WriteValue(record, writer))
            m_incomplete = true;
    bool go = true;
    if (depth >= MaxKeyDepth && !subkeys.empty())
        m_incomplete = true;
    else
        for (const CString& subkeyName : subkeys) {
            if (!KeepGoing()) {
                m_incomplete = true;
                go = false;
                break;
            }
            CRegistryKeyHandle subkey;
            if (subkey.Open(key, subkeyName, KEY_READ) != ERROR_SUCCESS) {
                m_incomplete = true;
                continue;
            }
            go = ExportContents(subkey.Get(), EscapeDocumentText(subkeyName), writer, depth + 1);
            if (!go)
                break;
        }
    if (!name.IsEmpty() && hasContent)
        writer.WriteEndTag("k");
    return go;
}
