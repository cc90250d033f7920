// The three XML stores. Placeholder bodies: every store is created empty and holds nothing yet.
#include "Engine/XmlStores.h"

CXmlStoreBase::~CXmlStoreBase() { DeleteDocument(); }
void CXmlStoreBase::DeleteDocument() { m_document = nullptr; m_cursor = nullptr; }

#define PLACEHOLDER_STORE(Store, Record)                                  \
    int Store::Create(const char*) { return 1; }                          \
    int Store::Open(const char*) { return 0; }                            \
    int Store::AddItem(const Record*) { return 0; }                       \
    int Store::GetFirstItem(Record*) { return 0; }                        \
    int Store::GetNextItem(Record*) { return 0; }                         \
    int Store::Save() { return 1; }                                       \
    int Store::Close() { DeleteDocument(); return 1; }

PLACEHOLDER_STORE(CServicesHistory, ServiceItem)
PLACEHOLDER_STORE(CSystemHistory, HistoryItemRecord)
PLACEHOLDER_STORE(CNetSettingsBackup, NetSettingsItem)
