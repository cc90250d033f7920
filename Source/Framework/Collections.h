// Collections: CArray, CStringArray and CMap, header-only templates over std::vector/std::map.
//
// None of them asserts or throws on a bad index, because no exception may leave the engine
// module. The rules instead:
//   - GetAt/ElementAt/operator[] out of range return a reference to a per-type spare element,
//     reset to a default-constructed value on every such call (reading gives TYPE(); writing
//     through it changes nothing in the array).
//   - SetAt and RemoveAt out of range do nothing; RemoveAt's count is clipped to the end.
//   - InsertAt past the end grows the array first (the gap holds default values), as SetAtGrow.
//   - Negative sizes and indexes are ignored.
// Elements are real C++ objects (constructed, copied and destroyed properly), so a CArray of
// structures holding CStrings is safe.
#pragma once

#include <windows.h>

#include <map>
#include <utility>
#include <vector>

#include "Framework/CString.h"
#include "Framework/Position.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray
{
public:
    CArray() {}
    virtual ~CArray() {}

    INT_PTR GetSize() const { return INT_PTR(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return m_items.empty(); }

    // nGrowBy is accepted for compatibility; the vector chooses its own growth.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1)
    {
        (void)nGrowBy;
        if (nNewSize >= 0)
            m_items.resize(size_t(nNewSize));
    }
    void FreeExtra() { m_items.shrink_to_fit(); }
    void RemoveAll() { m_items.clear(); }

    const TYPE& GetAt(INT_PTR nIndex) const { return InRange(nIndex) ? m_items[nIndex] : Spare(); }
    TYPE& GetAt(INT_PTR nIndex) { return InRange(nIndex) ? m_items[nIndex] : Spare(); }
    const TYPE& ElementAt(INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& ElementAt(INT_PTR nIndex) { return GetAt(nIndex); }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return GetAt(nIndex); }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement)
    {
        if (InRange(nIndex))
            m_items[nIndex] = newElement;
    }

    // NULL for an empty array.
    const TYPE* GetData() const { return m_items.empty() ? NULL : m_items.data(); }
    TYPE* GetData() { return m_items.empty() ? NULL : m_items.data(); }

    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement)
    {
        if (nIndex < 0)
            return;
        TYPE copy(newElement);   // newElement may be one of our own elements
        if (nIndex >= GetSize())
            m_items.resize(size_t(nIndex) + 1);
        m_items[nIndex] = std::move(copy);
    }

    // Returns the index of the new element.
    INT_PTR Add(ARG_TYPE newElement)
    {
        m_items.push_back(newElement);
        return GetSize() - 1;
    }

    // Appends a copy of src (which may be this array); returns the index of its first element.
    INT_PTR Append(const CArray& src)
    {
        INT_PTR nOldSize = GetSize();
        if (&src == this) {
            std::vector<TYPE> copy(m_items);
            m_items.insert(m_items.end(), copy.begin(), copy.end());
        } else {
            m_items.insert(m_items.end(), src.m_items.begin(), src.m_items.end());
        }
        return nOldSize;
    }

    void Copy(const CArray& src)
    {
        if (&src != this)
            m_items = src.m_items;
    }

    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1)
    {
        if (nIndex < 0 || nCount <= 0)
            return;
        TYPE copy(newElement);   // newElement may be one of our own elements
        if (nIndex > GetSize())
            m_items.resize(size_t(nIndex));
        m_items.insert(m_items.begin() + nIndex, size_t(nCount), copy);
    }

    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray)
    {
        if (nStartIndex < 0 || !pNewArray || pNewArray->IsEmpty())
            return;
        std::vector<TYPE> copy(pNewArray->m_items);
        if (nStartIndex > GetSize())
            m_items.resize(size_t(nStartIndex));
        m_items.insert(m_items.begin() + nStartIndex, copy.begin(), copy.end());
    }

    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1)
    {
        if (!InRange(nIndex) || nCount <= 0)
            return;
        if (nCount > GetSize() - nIndex)
            nCount = GetSize() - nIndex;
        m_items.erase(m_items.begin() + nIndex, m_items.begin() + nIndex + nCount);
    }

private:
    bool InRange(INT_PTR nIndex) const { return nIndex >= 0 && nIndex < GetSize(); }
    static TYPE& Spare()
    {
        static TYPE s_spare;
        s_spare = TYPE();
        return s_spare;
    }

    std::vector<TYPE> m_items;
};

class CStringArray : public CArray<CString, const CString&>
{
};

// CMap over std::map: iteration is in key order (operator< of KEY). A POSITION stays valid
// while its element is in the map; removing that element invalidates it.
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap
{
public:
    CMap() {}
    virtual ~CMap() {}

    INT_PTR GetCount() const { return INT_PTR(m_items.size()); }
    INT_PTR GetSize() const { return GetCount(); }
    BOOL IsEmpty() const { return m_items.empty(); }

    // Sizing hints are accepted for compatibility; the tree needs none.
    void InitHashTable(UINT nHashSize, BOOL bAllocNow = TRUE)
    {
        (void)nHashSize;
        (void)bAllocNow;
    }

    // rValue is unchanged when the key is absent.
    BOOL Lookup(ARG_KEY key, VALUE& rValue) const
    {
        typename Items::const_iterator it = m_items.find(KEY(key));
        if (it == m_items.end())
            return FALSE;
        rValue = it->second;
        return TRUE;
    }

    // Inserts a default value when the key is absent.
    VALUE& operator[](ARG_KEY key) { return m_items[KEY(key)]; }
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { m_items[KEY(key)] = newValue; }
    BOOL RemoveKey(ARG_KEY key) { return m_items.erase(KEY(key)) != 0; }
    void RemoveAll() { m_items.clear(); }

    POSITION GetStartPosition() const
    {
        return m_items.empty() ? NULL : ToPosition(*m_items.begin());
    }

    // Fills the element at rNextPosition and moves it on (NULL after the last). With a NULL
    // position nothing is filled.
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const
    {
        if (!rNextPosition)
            return;
        const Entry* pEntry = reinterpret_cast<const Entry*>(rNextPosition);
        typename Items::const_iterator it = m_items.find(pEntry->first);
        if (it == m_items.end()) {
            rNextPosition = NULL;
            return;
        }
        rKey = it->first;
        rValue = it->second;
        ++it;
        rNextPosition = it == m_items.end() ? NULL : ToPosition(*it);
    }

private:
    typedef std::map<KEY, VALUE> Items;
    typedef typename Items::value_type Entry;

    static POSITION ToPosition(const Entry& entry)
    {
        return reinterpret_cast<POSITION>(const_cast<Entry*>(&entry));
    }

    Items m_items;
};
