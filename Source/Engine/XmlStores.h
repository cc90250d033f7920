// The three XML stores: services states, cleaning history, changed network settings.
#ifndef TARNEX_XML_STORES_H
#define TARNEX_XML_STORES_H

#include "Engine/Interfaces/EngineInterfaces.h"

class TiXmlDocument;
class TiXmlElement;

// Common machinery of the stores; each store names its elements and maps its record.
class CXmlStoreBase {
protected:
    CXmlStoreBase() : m_document(nullptr), m_cursor(nullptr) {}
    ~CXmlStoreBase();
    void DeleteDocument();

    TiXmlDocument* m_document;
    TiXmlElement* m_cursor;
};

class CServicesHistory : public CAbstractServices, private CXmlStoreBase {
public:
    int Create(const char* file) override;
    int Open(const char* file) override;
    int AddItem(const ServiceItem* item) override;
    int GetFirstItem(ServiceItem* out) override;
    int GetNextItem(ServiceItem* out) override;
    int Save() override;
    int Close() override;
};

class CSystemHistory : public CAbstractSystemHistory, private CXmlStoreBase {
public:
    int Create(const char* file) override;
    int Open(const char* file) override;
    int AddItem(const HistoryItemRecord* item) override;
    int GetFirstItem(HistoryItemRecord* out) override;
    int GetNextItem(HistoryItemRecord* out) override;
    int Save() override;
    int Close() override;
};

class CNetSettingsBackup : public CAbstractNetSettings, private CXmlStoreBase {
public:
    int Create(const char* file) override;
    int Open(const char* file) override;
    int AddItem(const NetSettingsItem* item) override;
    int GetFirstItem(NetSettingsItem* out) override;
    int GetNextItem(NetSettingsItem* out) override;
    int Save() override;
    int Close() override;
};

#endif
