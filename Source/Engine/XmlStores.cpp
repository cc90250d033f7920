// The three XML stores on tinyxml: the common document walk and each store's record mapping.
// Every slot catches what tinyxml's allocations may throw; nothing leaves the engine.
#include "Engine/XmlStores.h"

#include <string.h>
#include <stdlib.h>

#include <vector>

#include "Framework/TextCodePage.h"
#include "tinyxml.h"

namespace {

const XmlStoreLayout ServicesLayout = {"AllServices", nullptr, "ServiceItem"};
const XmlStoreLayout HistoryLayout = {"History", "HistoryItems", "HistoryItem"};
const XmlStoreLayout NetSettingsLayout = {"OptimizedSettings", "ChangedSettings", "OptimizedItem"};

CString AnsiToUtf8(const CString& text)
{
    CString out;
    if (!RecodeText(text, -1, CP_ACP, TextStrictness::Lenient, CP_UTF8, TextStrictness::Lenient,
                    out))
        out = text;
    return out;
}

// A file written by hand in the ANSI code page is not valid UTF-8; its bytes are then taken as
// they stand rather than garbled further.
CString Utf8ToAnsi(const char* text)
{
    CString out;
    if (!RecodeText(text, -1, CP_UTF8, TextStrictness::Exact, CP_ACP, TextStrictness::Lenient, out))
        out = text;
    return out;
}

const TiXmlAttribute* FindAttribute(const TiXmlElement* element, const char* name)
{
    for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next())
        if (_stricmp(a->Name(), name) == 0)
            return a;
    return nullptr;
}

TiXmlElement* FindChildElement(TiXmlElement* parent, const char* name)
{
    for (TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement())
        if (_stricmp(e->Value(), name) == 0)
            return e;
    return nullptr;
}

// Runs a slot body; an exception (only an allocation can throw) gives `failure`.
template <class Body>
int Guarded(int failure, Body body)
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

// Attribute access: text is ANSI on the record side, UTF-8 in the document.
void SetText(TiXmlElement* item, const char* name, const CString& text)
{
    item->SetAttribute(name, AnsiToUtf8(text).GetString());
}

CString GetText(const TiXmlElement* item, const char* name)
{
    const TiXmlAttribute* attribute = FindAttribute(item, name);
    return attribute ? Utf8ToAnsi(attribute->Value()) : CString();
}

int GetNumber(const TiXmlElement* item, const char* name)
{
    const TiXmlAttribute* attribute = FindAttribute(item, name);
    return attribute ? atoi(attribute->Value()) : 0;
}

}  // namespace

// --- common document walk -------------------------------------------------------------------

CXmlStoreBase::~CXmlStoreBase()
{
    DeleteDocument();
}

void CXmlStoreBase::DeleteDocument()
{
    // The cursor points into the document, so it goes with it.
    m_cursor = nullptr;
    delete m_document;
    m_document = nullptr;
}

int CXmlStoreBase::CreateDocument(const char* file)
{
    DeleteDocument();
    if (!file)
        return 0;
    m_document = new TiXmlDocument(file);
    m_document->LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", "yes"));
    TiXmlElement* root = new TiXmlElement(m_layout.root);
    m_document->LinkEndChild(root);
    if (m_layout.list)
        root->LinkEndChild(new TiXmlElement(m_layout.list));
    return 1;
}

int CXmlStoreBase::OpenDocument(const char* file)
{
    // Loading replaces the document's content, so a cursor into the old content must go.
    m_cursor = nullptr;
    if (!file) {
        DeleteDocument();
        return 0;
    }
    if (!m_document)
        m_document = new TiXmlDocument(file);
    // A file with no element at all (a declaration alone, say) holds no store either.
    if (!m_document->LoadFile(file) || !m_document->RootElement()) {
        DeleteDocument();
        return 0;
    }
    return 1;
}

TiXmlElement* CXmlStoreBase::ListElement() const
{
    if (!m_document)
        return nullptr;
    TiXmlElement* root = m_document->RootElement();
    if (!root || !m_layout.list)
        return root;
    return FindChildElement(root, m_layout.list);
}

TiXmlElement* CXmlStoreBase::AppendItem()
{
    TiXmlElement* list = ListElement();
    if (!list)
        return nullptr;
    TiXmlElement* item = new TiXmlElement(m_layout.item);
    list->LinkEndChild(item);
    return item;
}

TiXmlElement* CXmlStoreBase::ReadFirstItem()
{
    TiXmlElement* list = ListElement();
    TiXmlElement* item = list ? list->FirstChildElement() : nullptr;
    m_cursor = item ? item->NextSiblingElement() : nullptr;
    return item;
}

TiXmlElement* CXmlStoreBase::ReadNextItem()
{
    if (!m_document || !m_cursor)
        return nullptr;
    TiXmlElement* item = m_cursor;
    m_cursor = item->NextSiblingElement();
    return item;
}

int CXmlStoreBase::SaveDocument()
{
    // tinyxml reports a failed open or write; an unsaved document is not reported as saved.
    return m_document && m_document->SaveFile() ? 1 : 0;
}

int CXmlStoreBase::CloseDocument()
{
    DeleteDocument();
    return 1;
}

// --- the eight slots -------------------------------------------------------------------------

template <class Interface, class Record>
int CXmlStore<Interface, Record>::Create(const char* file)
{
    return Guarded(0, [&] { return CreateDocument(file); });
}

template <class Interface, class Record>
int CXmlStore<Interface, Record>::Open(const char* file)
{
    return Guarded(0, [&] { return OpenDocument(file); });
}

template <class Interface, class Record>
int CXmlStore<Interface, Record>::AddItem(const Record* item)
{
    return Guarded(0, [&] {
        if (!item)
            return 0;
        TiXmlElement* element = AppendItem();
        if (!element)
            return 0;
        WriteXmlRecord(element, *item);
        return 1;
    });
}

template <class Interface, class Record>
int CXmlStore<Interface, Record>::ReadInto(const TiXmlElement* item, Record* out)
{
    // The record is filled completely or not at all.
    Record record;
    ReadXmlRecord(item, record);
    *out = record;
    return 1;
}

template <class Interface, class Record>
int CXmlStore<Interface, Record>::GetFirstItem(Record* out)
{
    return Guarded(0, [&] {
        if (!out)
            return 0;
        TiXmlElement* item = ReadFirstItem();
        return item ? ReadInto(item, out) : 0;
    });
}

template <class Interface, class Record>
int CXmlStore<Interface, Record>::GetNextItem(Record* out)
{
    return Guarded(0, [&] {
        if (!out)
            return 0;
        TiXmlElement* item = ReadNextItem();
        return item ? ReadInto(item, out) : 0;
    });
}

template <class Interface, class Record>
int CXmlStore<Interface, Record>::Save()
{
    return Guarded(0, [&] { return SaveDocument(); });
}

template <class Interface, class Record>
int CXmlStore<Interface, Record>::Close()
{
    return Guarded(1, [&] { return CloseDocument(); });
}

// --- record mappings (attributes in their written order) ------------------------------------

void WriteXmlRecord(TiXmlElement* item, const ServiceItem& record)
{
    SetText(item, "Name", record.Name);
    SetText(item, "DisplayName", record.DisplayName);
    item->SetAttribute("Status", record.Status);
    item->SetAttribute("StartupType", record.StartupType);
}

void ReadXmlRecord(const TiXmlElement* item, ServiceItem& record)
{
    record.Name = GetText(item, "Name");
    record.DisplayName = GetText(item, "DisplayName");
    record.Status = GetNumber(item, "Status");
    record.StartupType = GetNumber(item, "StartupType");
}

void WriteXmlRecord(TiXmlElement* item, const HistoryItemRecord& record)
{
    SetText(item, "DateTime", record.DateTime);
    SetText(item, "FileSizeFound", record.FileSizeFound);
    SetText(item, "FileSizeCleaned", record.FileSizeCleaned);
}

void ReadXmlRecord(const TiXmlElement* item, HistoryItemRecord& record)
{
    record.DateTime = GetText(item, "DateTime");
    record.FileSizeFound = GetText(item, "FileSizeFound");
    record.FileSizeCleaned = GetText(item, "FileSizeCleaned");
}

void WriteXmlRecord(TiXmlElement* item, const NetSettingsItem& record)
{
    SetText(item, "Description", record.Description);
    SetText(item, "Name", record.Name);
    SetText(item, "RegistryPath", record.RegistryPath);
    item->SetAttribute("OldValue", record.OldValue);
    item->SetAttribute("NewValue", record.NewValue);
}

void ReadXmlRecord(const TiXmlElement* item, NetSettingsItem& record)
{
    record.Name = GetText(item, "Name");
    record.Description = GetText(item, "Description");
    record.RegistryPath = GetText(item, "RegistryPath");
    record.OldValue = GetNumber(item, "OldValue");
    record.NewValue = GetNumber(item, "NewValue");
}

template class CXmlStore<CAbstractServices, ServiceItem>;
template class CXmlStore<CAbstractSystemHistory, HistoryItemRecord>;
template class CXmlStore<CAbstractNetSettings, NetSettingsItem>;

CServicesHistory::CServicesHistory() : CXmlStore(ServicesLayout) {}
CSystemHistory::CSystemHistory() : CXmlStore(HistoryLayout) {}
CNetSettingsBackup::CNetSettingsBackup() : CXmlStore(NetSettingsLayout) {}
