// CSpyware: a category definition record of the engine's toolkit, with the same fields in the
// same order as the program's ScanCategoryInfo, so the two can describe the same thing.
#ifndef TARNEX_SPYWARE_H
#define TARNEX_SPYWARE_H

#include <list>
#include <utility>

#include "Engine/Interfaces/EngineInterfaces.h"

class CSpyware {
public:
    typedef std::list<std::pair<int, int>> PairList;

    CSpyware() : m_id(0), m_kind(0), m_flags(0) {}
    CSpyware(const CSpyware& other) = default;
    CSpyware& operator=(const CSpyware& other) = default;
    virtual ~CSpyware() {}

    int GetId() const { return m_id; }
    int GetKind() const { return m_kind; }
    const CString& GetName() const { return m_name; }
    const CString& GetText2() const { return m_text2; }
    const CString& GetText3() const { return m_text3; }
    int GetFlags() const { return m_flags; }
    const PairList& GetPairs() const { return m_pairs; }
    void SetText3(const CString& text) { m_text3 = text; }

private:
    int m_id;
    int m_kind;
    CString m_name;
    CString m_text2;
    CString m_text3;
    int m_flags;
    PairList m_pairs;
};

static_assert(sizeof(CSpyware) == sizeof(ScanCategoryInfo), "CSpyware and ScanCategoryInfo must match");

#endif
