// The registry backup document: export of found items and keys, the checked import, and the
// deletion of keys and values by full path.
#include "Engine/RegistryManager.h"

#include <string.h>

#include <algorithm>
#include <string>

#include "Engine/XmlStream.h"

namespace {

const struct {
    const char* name;
    HKEY key;
} RootKeys[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

// The registry's own limits: the document is refused when it goes beyond them.
const int MaxKeyDepth = 512;
const int MaxKeyNameLength = 255;
const int MaxValueNameLength = 16383;
// Bounds of the loops that work on a key while it may change under them.
const int MaxEnumAttempts = 4;
const DWORD MaxSubkeysDeleted = 1000000;
const char DefaultValueName[] = "(Default)";

// Type names of the document, as the import reads them; anything else is refused.
const struct {
    const char* name;
    DWORD type;
} ImportTypes[] = {
    {"REG_BINARY", REG_BINARY},
    {"REG_DWORD", REG_DWORD},
    {"REG_SZ", REG_SZ},
    {"REG_EXPAND_SZ", REG_EXPAND_SZ},
    {"REG_MULTI_SZ", REG_MULTI_SZ},
    {"REG_QWORD", REG_QWORD},
    {"REG_RESOURCE_LIST", REG_RESOURCE_LIST},
    {"REG_RESOURCE_REQUIREMENTS_LIST", REG_RESOURCE_REQUIREMENTS_LIST},
    // Text values: what the document writes without a type, or with one of these names.
    {"", REG_SZ},
    {"REG_NONE", REG_SZ},
};

// A registry key handle that closes itself.
class CKeyHandle {
public:
    CKeyHandle() : m_key(nullptr) {}
    ~CKeyHandle() { Close(); }
    CKeyHandle(const CKeyHandle&) = delete;
    CKeyHandle& operator=(const CKeyHandle&) = delete;

    LONG Open(HKEY parent, const char* path, REGSAM access)
    {
        Close();
        return RegOpenKeyExA(parent, path, 0, access, &m_key);
    }
    LONG Create(HKEY parent, const char* path, REGSAM access)
    {
        Close();
        return RegCreateKeyExA(parent, path, 0, nullptr, 0, access, nullptr, &m_key, nullptr);
    }
    void Close()
    {
        if (m_key)
            RegCloseKey(m_key);
        m_key = nullptr;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key;
};

CString ConvertCodePage(const CString& text, UINT from, UINT to, bool strict, bool* ok)
{
    *ok = true;
    if (text.IsEmpty())
        return CString();
    const int length = text.GetLength();
    const DWORD toWideFlags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int wide = MultiByteToWideChar(from, toWideFlags, text.GetString(), length, nullptr, 0);
    if (wide <= 0) {
        *ok = false;
        return CString();
    }
    std::vector<WCHAR> buffer(wide);
    MultiByteToWideChar(from, toWideFlags, text.GetString(), length, buffer.data(), wide);
    BOOL usedDefault = FALSE;
    const bool ansiTarget = to != CP_UTF8;
    const DWORD flags = ansiTarget && strict ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL* usedDefaultOut = ansiTarget && strict ? &usedDefault : nullptr;
    const int bytes = WideCharToMultiByte(to, flags, buffer.data(), wide, nullptr, 0, nullptr,
                                          usedDefaultOut);
    if (bytes <= 0) {
        *ok = false;
        return CString();
    }
    CString out;
    char* target = out.GetBufferSetLength(bytes);
    if (!target) {
        *ok = false;
        return CString();
    }
    WideCharToMultiByte(to, flags, buffer.data(), wide, target, bytes, nullptr, usedDefaultOut);
    out.ReleaseBuffer(bytes);
    if (usedDefault)
        *ok = false;
    return out;
}

// Exact conversion only: false when a character has no ANSI form.
bool WideToAnsi(const WCHAR* text, int length, CString& out)
{
    out.Empty();
    if (length <= 0)
        return true;
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, length, nullptr, 0,
                                          nullptr, &usedDefault);
    char* target = bytes > 0 ? out.GetBufferSetLength(bytes) : nullptr;
    if (!target)
        return false;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, length, target, bytes, nullptr, &usedDefault);
    out.ReleaseBuffer(bytes);
    return !usedDefault;
}

CString HexBytes(const BYTE* data, DWORD size)
{
    static const char Digits[] = "0123456789abcdef";
    CString text;
    if (size == 0)
        return text;
    const int length = int(size) * 3 - 1;
    char* out = text.GetBufferSetLength(length);
    if (!out)
        return CString();
    for (DWORD i = 0; i < size; ++i) {
        out[i * 3] = Digits[data[i] >> 4];
        out[i * 3 + 1] = Digits[data[i] & 0xF];
        if (i + 1 < size)
            out[i * 3 + 2] = ' ';
    }
    text.ReleaseBuffer(length);
    return text;
}

// The data as a string ending at its first NUL, never read past its size.
CString BoundedString(const BYTE* data, DWORD size)
{
    const void* nul = memchr(data, 0, size);
    const DWORD length = nul ? DWORD(static_cast<const BYTE*>(nul) - data) : size;
    return CString(reinterpret_cast<const char*>(data), int(length));
}

// Short data is padded with zero bytes.
BYTE ByteAt(const BYTE* data, DWORD size, DWORD index)
{
    return index < size ? data[index] : 0;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The hexadecimal digits after the first two characters ("0x"), at most maxDigits of them,
// ending at the first character that is not one.
unsigned long long ReadHexNumber(const CString& text, int maxDigits)
{
    unsigned long long value = 0;
    for (int i = 2, n = 0; i < text.GetLength() && n < maxDigits; ++i, ++n) {
        const int digit = HexDigit(text[i]);
        if (digit < 0)
            break;
        value = (value << 4) | unsigned(digit);
    }
    return value;
}

// The value's text and its "type" attribute (null: no attribute) as the document writes them.
void RenderValue(DWORD type, const BYTE* data, DWORD size, CString& text, const char*& typeName)
{
    typeName = nullptr;
    switch (type) {
    case REG_NONE:
    case REG_SZ:
        text = BoundedString(data, size);
        break;
    case REG_EXPAND_SZ:
        text = BoundedString(data, size);
        typeName = "REG_EXPAND_SZ";
        break;
    case REG_FULL_RESOURCE_DESCRIPTOR:
        text = BoundedString(data, size);
        typeName = "";
        break;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        const BYTE b0 = ByteAt(data, size, 0), b1 = ByteAt(data, size, 1);
        const BYTE b2 = ByteAt(data, size, 2), b3 = ByteAt(data, size, 3);
        if (type == REG_DWORD) {
            const DWORD value = DWORD(b0) | DWORD(b1) << 8 | DWORD(b2) << 16 | DWORD(b3) << 24;
            text.Format("0x%02x%02x%02x%02x (%d)", b3, b2, b1, b0, int(value));
        } else {
            const DWORD value = DWORD(b3) | DWORD(b2) << 8 | DWORD(b1) << 16 | DWORD(b0) << 24;
            text.Format("0x%02x%02x%02x%02x (%d)", b0, b1, b2, b3, int(value));
        }
        typeName = "REG_DWORD";
        break;
    }
    case REG_LINK: {
        const int characters = int(size / sizeof(WCHAR));
        const WCHAR* wide = reinterpret_cast<const WCHAR*>(data);
        int length = 0;
        while (length < characters && wide[length] != 0)
            ++length;
        text.Empty();
        if (length > 0) {
            const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
            char* out = bytes > 0 ? text.GetBufferSetLength(bytes) : nullptr;
            if (out) {
                WideCharToMultiByte(CP_ACP, 0, wide, length, out, bytes, nullptr, nullptr);
                text.ReleaseBuffer(bytes);
            }
        }
        typeName = "REG_SZ";
        break;
    }
    case REG_MULTI_SZ: {
        text.Empty();
        // The strings one per line, without the two terminators. Only NULs are taken off the
        // end, so a list that lacks a terminator keeps its last string.
        DWORD end = size;
        for (int i = 0; i < 2 && end > 0 && data[end - 1] == 0; ++i)
            --end;
        for (DWORD i = 0; i < end; ++i) {
            if (data[i] == 0)
                text += "\r\n";
            else
                text += char(data[i]);
        }
        typeName = "REG_MULTI_SZ";
        break;
    }
    case REG_QWORD: {
        text = "0x";
        for (int i = 7; i >= 0; --i)
            text.AppendFormat("%02x", ByteAt(data, size, DWORD(i)));
        typeName = "REG_QWORD";
        break;
    }
    case REG_RESOURCE_LIST:
        text = HexBytes(data, size);
        typeName = "REG_RESOURCE_LIST";
        break;
    case REG_RESOURCE_REQUIREMENTS_LIST:
        text = HexBytes(data, size);
        typeName = "REG_RESOURCE_REQUIREMENTS_LIST";
        break;
    default:
        // REG_BINARY, and types the document has no name for: the bytes survive, the type
        // number of an unnamed type does not.
        text = HexBytes(data, size);
        typeName = "REG_BINARY";
        break;
    }
}

// The registry data for a value text of the document.
CString ValueData(DWORD type, const CString& text)
{
    CString data;
    switch (type) {
    case REG_BINARY:
    case REG_RESOURCE_LIST:
    case REG_RESOURCE_REQUIREMENTS_LIST: {
        if (text.IsEmpty())
            return CString("\0", 1);
        const int count = (text.GetLength() + 1) / 3;
        for (int i = 0; i < count; ++i) {
            const int high = HexDigit(text[i * 3]);
            const int low = HexDigit(text[i * 3 + 1]);
            data += char((high < 0 ? 0 : high) << 4 | (low < 0 ? 0 : low));
        }
        return data;
    }
    case REG_DWORD: {
        const DWORD value = text.IsEmpty() ? 0 : DWORD(ReadHexNumber(text, 8));
        return CString(reinterpret_cast<const char*>(&value), sizeof(value));
    }
    case REG_QWORD: {
        const unsigned long long value = text.IsEmpty() ? 0 : ReadHexNumber(text, 16);
        return CString(reinterpret_cast<const char*>(&value), sizeof(value));
    }
    case REG_MULTI_SZ: {
        if (text.IsEmpty())
            return CString("\0", 1);
        for (int i = 0; i < text.GetLength(); ++i) {
            if (text[i] == '\r')
                continue;
            data += text[i] == '\n' ? '\0' : text[i];
        }
        data.Append("\0\0", 2);
        return data;
    }
    default:  // REG_SZ, REG_EXPAND_SZ
        data = text;
        data.Append("\0", 1);
        return data;
    }
}

bool HasEmptyComponent(const CString& path)
{
    return path.IsEmpty() || path[0] == '\\' || path[path.GetLength() - 1] == '\\' ||
           path.Find("\\\\") >= 0;
}

}  // namespace

// --- names and item texts -------------------------------------------------------------------

HKEY RegistryRootByName(const char* name, CString* canonicalName)
{
    for (const auto& root : RootKeys) {
        if (CString(name).CompareNoCase(root.name) == 0) {
            if (canonicalName)
                *canonicalName = root.name;
            return root.key;
        }
    }
    return nullptr;
}

bool ParseRegistryItem(const char* text, RegistryItemPath& out)
{
    if (!text)
        return false;
    const CString item(text);
    CString keyText = item;
    out.namesValue = false;
    out.valueName.Empty();
    const int separator = item.Find(ValueSeparator);
    if (separator > 0) {
        keyText = item.Left(separator);
        out.namesValue = true;
        out.valueName = item.Mid(separator + 1);
        if (out.valueName.IsEmpty())
            return false;
    }
    const int slash = keyText.Find('\\');
    if (slash <= 0)
        return false;
    out.root = RegistryRootByName(keyText.Left(slash), &out.rootName);
    out.keyPath = keyText.Mid(slash + 1);
    return out.root != nullptr && !HasEmptyComponent(out.keyPath);
}

CString EscapeDocumentText(const CString& ansi)
{
    CString escaped;
    for (int i = 0; i < ansi.GetLength(); ++i) {
        const char c = ansi[i];
        if (c == '&')
            escaped += "&amp;";
        else if (c == '"')
            escaped += "&quot;";
        else if (c == '<')
            escaped += "&lt;";
        else
            escaped += c;
    }
    bool ok = false;
    return ConvertCodePage(escaped, CP_ACP, CP_UTF8, false, &ok);
}

bool UnescapeDocumentText(const CString& utf8, CString& ansi)
{
    bool ok = false;
    const CString text = ConvertCodePage(utf8, CP_UTF8, CP_ACP, true, &ok);
    if (!ok)
        return false;
    static const struct {
        const char* entity;
        int length;
        char c;
    } Entities[] = {{"&lt;", 4, '<'}, {"&quot;", 6, '"'}, {"&amp;", 5, '&'}};
    ansi.Empty();
    const char* p = text.GetString();
    const int length = text.GetLength();
    for (int i = 0; i < length; ++i) {
        bool decoded = false;
        if (p[i] == '&') {
            for (const auto& e : Entities) {
                if (i + e.length <= length && memcmp(p + i, e.entity, e.length) == 0) {
                    ansi += e.c;
                    i += e.length - 1;
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded)
            ansi += p[i];
    }
    return true;
}

// --- CRegistryDocument ----------------------------------------------------------------------

CString CRegistryDocument::Identity(const CString& rootName, const CString& keyPath)
{
    CString id = rootName + "\\" + keyPath;
    id.MakeLower();
    return id;
}

void CRegistryDocument::Clear()
{
    m_keys.clear();
    m_keyIds.clear();
    m_valueIds.clear();
}

size_t CRegistryDocument::AddKey(const RegistryDocumentKey& key)
{
    RegistryDocumentKey added = key;
    added.values.clear();
    m_keys.push_back(added);
    m_keyIds.insert(Identity(key.rootName, key.keyPath));
    for (const RegistryDocumentValue& value : key.values)
        AddValue(m_keys.size() - 1, value);
    return m_keys.size() - 1;
}

void CRegistryDocument::AddValue(size_t keyIndex, const RegistryDocumentValue& value)
{
    if (keyIndex >= m_keys.size())
        return;
    RegistryDocumentKey& key = m_keys[keyIndex];
    key.values.push_back(value);
    CString name = value.name;
    m_valueIds.insert(Identity(key.rootName, key.keyPath) + "\n" + name.MakeLower());
}

bool CRegistryDocument::HasKey(const CString& rootName, const CString& keyPath) const
{
    return m_keyIds.count(Identity(rootName, keyPath)) != 0;
}

bool CRegistryDocument::HasValue(const CString& rootName, const CString& keyPath,
                                 const CString& valueName) const
{
    CString name = valueName;
    return m_valueIds.count(Identity(rootName, keyPath) + "\n" + name.MakeLower()) != 0;
}

bool CRegistryDocument::Covers(const RegistryItemPath& item) const
{
    if (item.namesValue)
        return CoversValue(item);
    return CoversTree(item.root, item.rootName, item.keyPath, 0);
}

bool CRegistryDocument::CoversValue(const RegistryItemPath& item) const
{
    CKeyHandle key;
    const LONG opened = key.Open(item.root, item.keyPath, KEY_QUERY_VALUE);
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS)
        return false;
    // "(Default)" stands for the unnamed value, which the repair empties.
    const bool unnamed = item.valueName.CompareNoCase(DefaultValueName) == 0;
    const char* name = unnamed ? "" : item.valueName.GetString();
    DWORD size = 0;
    const LONG queried = RegQueryValueExA(key.Get(), name, nullptr, nullptr, nullptr, &size);
    if (queried == ERROR_FILE_NOT_FOUND || (unnamed && queried == ERROR_SUCCESS && size == 0))
        return true;
    if (queried != ERROR_SUCCESS && queried != ERROR_MORE_DATA)
        return false;
    return HasValue(item.rootName, item.keyPath, name);
}

bool CRegistryDocument::CoversTree(HKEY root, const CString& rootName, const CString& keyPath,
                                   int depth) const
{
    CKeyHandle key;
    const LONG opened = key.Open(root, keyPath, KEY_READ);
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS || depth > MaxKeyDepth || !HasKey(rootName, keyPath))
        return false;
    std::vector<char> name(MaxValueNameLength * 2 + 2);
    for (DWORD i = 0;; ++i) {
        DWORD length = DWORD(name.size());
        DWORD size = 0;
        const LONG e = RegEnumValueA(key.Get(), i, name.data(), &length, nullptr, nullptr, nullptr, &size);
        if (e == ERROR_NO_MORE_ITEMS)
            break;
        if (e != ERROR_SUCCESS)
            return false;
        const CString valueName(name.data(), int(length));
        if (valueName.IsEmpty() && size == 0)
            continue;  // an unnamed value without data is not part of a document
        if (!HasValue(rootName, keyPath, valueName))
            return false;
    }
    for (DWORD i = 0;; ++i) {
        char subkey[1024];
        DWORD length = sizeof(subkey);
        const LONG e = RegEnumKeyExA(key.Get(), i, subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (e == ERROR_NO_MORE_ITEMS)
            break;
        if (e != ERROR_SUCCESS)
            return false;
        if (!CoversTree(root, rootName, keyPath + "\\" + CString(subkey, int(length)), depth + 1))
            return false;
    }
    return true;
}

// --- CRegistryManager: export ---------------------------------------------------------------

struct CRegistryManager::ValueRecord {
    CString name;
    DWORD type;
    CString data;
};

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

namespace {

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
    for (const auto& root : RootKeys) {
        CXmlTag tag("k");
        tag.SetAttribute("name", root.name);
        writer.WriteStartTag(tag);
        const bool go = ExportContents(root.key, CString(), writer, 0);
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
    CKeyHandle key;
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
        bool exact = WideToAnsi(name.data(), int(nameLength), record.name);
        if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
            exact = exact && dataLength % sizeof(WCHAR) == 0 &&
                    WideToAnsi(reinterpret_cast<const WCHAR*>(data.data()), int(dataLength / sizeof(WCHAR)),
                               record.data);
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
    RenderValue(record.type, reinterpret_cast<const BYTE*>(record.data.GetString()),
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
        if (WideToAnsi(subkey, int(length), name))
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
            CKeyHandle subkey;
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

// --- CRegistryManager: import ---------------------------------------------------------------

bool CRegistryManager::ReadDocument(const char* file, bool showErrors, CRegistryDocument& document)
{
    document.Clear();
    m_errorText.Empty();
    CXmlReader reader;
    reader.SetFileName(file);
    reader.SetShowErrors(showErrors);

    enum Element { ElementRegistry, ElementKey, ElementValue };
    enum TagOwner { OwnerNone, OwnerDeclaration, OwnerElement };
    std::vector<Element> elements;
    std::vector<RegistryDocumentKey> keys;  // the open "k" elements that have their name
    std::vector<size_t> keyIndexes;         // their places in the document
    std::vector<bool> keyNamed;             // one per open "k" element
    std::vector<bool> keyHasChild;          // the element holds a "k" element
    bool rootClosed = false;
    TagOwner owner = OwnerNone;
    int valueStage = 0;  // 1 after "name", 2 after "value", 3 after "type"
    RegistryDocumentValue value;
    CString valueText;
    CString typeName;

    // Refuses the document with a message in the reader's format.
    auto refuse = [&](const char* message) {
        reader.ReportError(message);
        m_errorText = reader.GetErrorText();
        reader.Close();
        document.Clear();
        return false;
    };

    while (reader.Read()) {
        switch (reader.GetNodeKind()) {
        case CXmlReader::NodeDeclaration:
            if (!elements.empty() || rootClosed)
                return refuse("Unexpected markup");
            owner = OwnerDeclaration;
            break;
        case CXmlReader::NodeText: {
            const CString& text = reader.GetText();
            for (int i = 0; i < text.GetLength(); ++i)
                if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n')
                    return refuse("Unexpected text");
            break;
        }
        case CXmlReader::NodeStartTag: {
            const CString& name = reader.GetElementName();
            owner = OwnerElement;
            if (rootClosed)
                return refuse("Content after the end of the document");
            if (elements.empty()) {
                if (name.CompareNoCase("registry") != 0)
                    return refuse("Missing registry element");
                elements.push_back(ElementRegistry);
                break;
            }
            const Element top = elements.back();
            if (top == ElementValue)
                return refuse("Unexpected element inside a value");
            if (top == ElementKey && !keyNamed.back())
                return refuse("Key without a name");
            if (name.CompareNoCase("k") == 0) {
                if (top == ElementKey)
                    keyHasChild.back() = true;
                elements.push_back(ElementKey);
                keyNamed.push_back(false);
                keyHasChild.push_back(false);
            } else if (name.CompareNoCase("v") == 0) {
                if (top != ElementKey)
                    return refuse("Value outside a key");
                if (keys.size() < 2)
                    return refuse("Value directly below a root key");
                elements.push_back(ElementValue);
                valueStage = 0;
                value = RegistryDocumentValue();
                valueText.Empty();
                typeName.Empty();
            } else {
                return refuse("Unexpected element");
            }
            break;
        }
        case CXmlReader::NodeAttribute: {
            if (owner == OwnerDeclaration)
                break;
            if (owner != OwnerElement || elements.empty())
                return refuse("Unexpected attribute");
            const CString& attribute = reader.GetAttributeName();
            CString text;
            if (!UnescapeDocumentText(reader.GetAttributeValue(), text))
                return refuse("Invalid character");
            if (memchr(text.GetString(), 0, size_t(text.GetLength())))
                return refuse("Invalid character");
            const Element top = elements.back();
            if (top == ElementKey) {
                if (attribute.CompareNoCase("name") != 0 || keyNamed.back())
                    return refuse("Unexpected attribute");
                if (text.IsEmpty() || text.Find('\\') >= 0 || text.GetLength() > MaxKeyNameLength)
                    return refuse("Invalid key name");
                RegistryDocumentKey key;
                if (keys.empty()) {
                    key.root = RegistryRootByName(text, &key.rootName);
                    if (!key.root)
                        return refuse("Unknown root key");
                } else {
                    if (keys.size() > size_t(MaxKeyDepth))
                        return refuse("Keys nested too deeply");
                    key.root = keys.front().root;
                    key.rootName = keys.front().rootName;
                    key.keyPath = keys.size() == 1 ? text : keys.back().keyPath + "\\" + text;
                }
                keys.push_back(key);
                keyIndexes.push_back(document.AddKey(key));
                keyNamed.back() = true;
            } else if (top == ElementValue) {
                if (attribute.CompareNoCase("name") == 0 && valueStage == 0) {
                    if (text.GetLength() > MaxValueNameLength)
                        return refuse("Invalid value name");
                    value.name = text.CompareNoCase(DefaultValueName) == 0 ? CString() : text;
                    valueStage = 1;
                } else if (attribute.CompareNoCase("value") == 0 && valueStage == 1) {
                    valueText = text;
                    valueStage = 2;
                } else if (attribute.CompareNoCase("type") == 0 && valueStage == 2) {
                    typeName = text;
                    valueStage = 3;
                } else {
                    return refuse("Unexpected attribute");
                }
            } else {
                return refuse("Unexpected attribute");
            }
            break;
        }
        case CXmlReader::NodeEndTag: {
            owner = OwnerNone;
            if (elements.empty())
                return refuse("Unbalanced end tag");
            const CString& name = reader.GetElementName();
            const Element top = elements.back();
            const char* expected = top == ElementRegistry ? "registry" : top == ElementKey ? "k" : "v";
            if (name.CompareNoCase(expected) != 0)
                return refuse("Unbalanced end tag");
            elements.pop_back();
            if (top == ElementRegistry) {
                rootClosed = true;
            } else if (top == ElementKey) {
                if (!keyNamed.back())
                    return refuse("Key without a name");
                // A chain names a key below its root; one that stops at the root names none.
                if (keys.size() == 1 && !keyHasChild.back())
                    return refuse("Key path is only a root key");
                keyNamed.pop_back();
                keyHasChild.pop_back();
                keys.pop_back();
                keyIndexes.pop_back();
            } else {
                if (valueStage < 2)
                    return refuse("Value without a text");
                bool known = false;
                for (const auto& t : ImportTypes) {
                    if (typeName.CompareNoCase(t.name) == 0) {
                        value.type = t.type;
                        known = true;
                        break;
                    }
                }
                if (!known)
                    return refuse("Unknown value type");
                value.data = ValueData(value.type, valueText);
                document.AddValue(keyIndexes.back(), value);
            }
            break;
        }
        default:
            break;
        }
    }
    if (!reader.GetErrorText().IsEmpty()) {
        m_errorText = reader.GetErrorText();
        reader.Close();
        document.Clear();
        return false;
    }
    if (reader.IsInsideMarkup() || !elements.empty() || !rootClosed)
        return refuse("Unexpected end of the document");
    reader.Close();
    return true;
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
        CKeyHandle probe;
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
        CKeyHandle handle;
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

// --- deletion -------------------------------------------------------------------------------

namespace {

enum KeyKind { KeyMissing, KeyPlain, KeyLink, KeyUnknown };

// What a key is, without following it when it is a symbolic link.
KeyKind ExamineKey(HKEY root, const std::wstring& keyPath)
{
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExW(root, keyPath.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return KeyMissing;
    if (opened != ERROR_SUCCESS)
        return KeyUnknown;
    DWORD type = 0, size = 0;
    const LONG queried = RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, &size);
    RegCloseKey(key);
    return (queried == ERROR_SUCCESS || queried == ERROR_MORE_DATA) && type == REG_LINK ? KeyLink : KeyPlain;
}

// Names are handled in UTF-16, so a subkey whose name the ANSI code page cannot hold is
// deleted as it is, not looked for under a "?" spelling.
bool DeleteTree(HKEY root, const std::wstring& keyPath, int depth)
{
    // A link is never deleted nor entered: through it the keys it points to would go.
    switch (ExamineKey(root, keyPath)) {
    case KeyMissing:
        return true;
    case KeyLink:
    case KeyUnknown:
        return false;
    case KeyPlain:
        break;
    }
    if (RegDeleteKeyW(root, keyPath.c_str()) == ERROR_SUCCESS)
        return true;
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND;
    // Always index 0: every pass removes the first subkey. The cap ends a loop that a key
    // re-created by someone else as fast as it is deleted would otherwise never leave.
    for (DWORD pass = 0; pass < MaxSubkeysDeleted; ++pass) {
        WCHAR subkey[MaxKeyNameLength + 2];
        DWORD length = MaxKeyNameLength + 2;
        const LONG e = RegEnumKeyExW(key, 0, subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (e != ERROR_SUCCESS)
            break;
        if (depth >= MaxKeyDepth ||
            !DeleteTree(root, keyPath + L"\\" + std::wstring(subkey, length), depth + 1))
            break;
    }
    RegCloseKey(key);
    return RegDeleteKeyW(root, keyPath.c_str()) == ERROR_SUCCESS;
}

std::wstring AnsiToWide(const CString& text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text.GetString(), text.GetLength(), nullptr, 0);
    std::wstring wide(size_t(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.GetString(), text.GetLength(), &wide[0], length);
    return wide;
}

}  // namespace

int CRegistryManager::DeleteKeyTree(const CString& fullPath)
{
    RegistryItemPath item;
    // Refuses a bare root ("HKEY_CURRENT_USER\"): no root key is ever emptied.
    if (fullPath.Find(ValueSeparator) >= 0 || !ParseRegistryItem(fullPath, item))
        return 0;
    return DeleteTree(item.root, AnsiToWide(item.keyPath), 0) ? 1 : 0;
}

int CRegistryManager::DeleteValue(const CString& fullPath)
{
    const int first = fullPath.Find('\\');
    const int last = fullPath.ReverseFind('\\');
    if (first <= 0 || last <= first)
        return 0;
    const HKEY root = RegistryRootByName(fullPath.Left(first));
    const CString keyPath = fullPath.Mid(first + 1, last - first - 1);
    const CString valueName = fullPath.Mid(last + 1);
    if (!root || valueName.IsEmpty() || HasEmptyComponent(keyPath))
        return 0;
    CKeyHandle key;
    if (key.Open(root, keyPath, KEY_SET_VALUE) != ERROR_SUCCESS)
        return 0;
    return RegDeleteValueA(key.Get(), valueName) == ERROR_SUCCESS ? 1 : 0;
}

bool CRegistryManager::KeyExists(const CString& fullPath)
{
    const int first = fullPath.Find('\\');
    if (first <= 0)
        return false;
    const HKEY root = RegistryRootByName(fullPath.Left(first));
    if (!root)
        return false;
    CKeyHandle key;
    return key.Open(root, fullPath.Mid(first + 1), KEY_READ) == ERROR_SUCCESS;
}
