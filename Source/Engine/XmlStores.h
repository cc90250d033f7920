// The three XML stores: services states ("SRVS_STATS.xml" of the services booster), cleaning
// history and changed network settings. Each is one tinyxml document with a read cursor.
//
// Records hold ANSI text; the documents declare UTF-8. Text is converted at the store's edge in
// both directions, so what the file says it holds is what it holds, and a name such as "Café"
// reads back as it was written.
#ifndef TARNEX_XML_STORES_H
#define TARNEX_XML_STORES_H

#include "Engine/Interfaces/EngineInterfaces.h"

class TiXmlDocument;
class TiXmlElement;

// The names one store's document uses. `list` is null when the items are children of the root.
struct XmlStoreLayout {
    const char* root;
    const char* list;
    const char* item;
};

// Document, cursor and the element walk common to the stores. Element and attribute names are
// looked up without regard to case; item elements are taken as they come.
class CXmlStoreBase {
protected:
    explicit CXmlStoreBase(const XmlStoreLayout& layout)
        : m_layout(layout), m_document(nullptr), m_cursor(nullptr)
    {
    }
    ~CXmlStoreBase();

    int CreateDocument(const char* file);
    int OpenDocument(const char* file);
    // A new item element appended to the list element; null without a document or a list.
    TiXmlElement* AppendItem();
    // The first item, or the one at the cursor; the cursor moves to the next sibling. Null when
    // there is no document or no such item.
    TiXmlElement* ReadFirstItem();
    TiXmlElement* ReadNextItem();
    int SaveDocument();
    int CloseDocument();

private:
    CXmlStoreBase(const CXmlStoreBase&) = delete;
    CXmlStoreBase& operator=(const CXmlStoreBase&) = delete;

    void DeleteDocument();
    TiXmlElement* ListElement() const;

    const XmlStoreLayout& m_layout;
    TiXmlDocument* m_document;
    TiXmlElement* m_cursor;   // the next item to read; never outlives its document
};

// How each record maps onto its item element (attributes in their written order).
void WriteXmlRecord(TiXmlElement* item, const ServiceItem& record);
void ReadXmlRecord(const TiXmlElement* item, ServiceItem& record);
void WriteXmlRecord(TiXmlElement* item, const HistoryItemRecord& record);
void ReadXmlRecord(const TiXmlElement* item, HistoryItemRecord& record);
void WriteXmlRecord(TiXmlElement* item, const NetSettingsItem& record);
void ReadXmlRecord(const TiXmlElement* item, NetSettingsItem& record);

// The eight slots of a store, the same for the three of them.
template <class Interface, class Record>
class CXmlStore : public Interface, private CXmlStoreBase {
public:
    int Create(const char* file) override;
    int Open(const char* file) override;
    int AddItem(const Record* item) override;
    int GetFirstItem(Record* out) override;
    int GetNextItem(Record* out) override;
    int Save() override;
    int Close() override;

protected:
    explicit CXmlStore(const XmlStoreLayout& layout) : CXmlStoreBase(layout) {}

private:
    int ReadInto(const TiXmlElement* item, Record* out);
};

// "AllServices" / "ServiceItem": the services booster's saved states ("SRVS_STATS.xml").
class CServicesHistory : public CXmlStore<CAbstractServices, ServiceItem> {
public:
    CServicesHistory();
};

// "History" / "HistoryItems" / "HistoryItem": the cleaning history.
class CSystemHistory : public CXmlStore<CAbstractSystemHistory, HistoryItemRecord> {
public:
    CSystemHistory();
};

// "OptimizedSettings" / "ChangedSettings" / "OptimizedItem": network settings changed.
class CNetSettingsBackup : public CXmlStore<CAbstractNetSettings, NetSettingsItem> {
public:
    CNetSettingsBackup();
};

#endif
