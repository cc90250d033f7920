// TempObjectMap: the per-thread store behind FromHandle() of CWnd, CDC and the GDI objects.
//
// FromHandle(h) on a handle that no C++ object owns returns a temporary wrapper that holds only
// the handle. The wrapper for a given handle is reused, so the map grows only with the number of
// distinct handles a thread looked at. Wrappers never own (never close) their handle. They are
// deleted only by PurgeDead(), for handles that no longer exist, at the safe points the
// framework chooses (the message loop when the thread's queue is idle); a pointer from
// FromHandle must therefore not be kept beyond the handler that obtained it.
// Internal to the framework.
#pragma once

#include <unordered_map>

template <class HANDLE_TYPE, class WRAPPER>
class TempObjectMap
{
public:
    ~TempObjectMap()
    {
        for (auto& entry : m_items)
            Release(entry.second);
    }

    // The wrapper for h, created on first use with make(h).
    template <class MAKE>
    WRAPPER* Get(HANDLE_TYPE h, MAKE make)
    {
        auto it = m_items.find(h);
        if (it != m_items.end())
            return it->second;
        WRAPPER* w = make(h);
        m_items.emplace(h, w);
        return w;
    }

    // Deletes the wrappers whose handle is gone (alive(h) false).
    template <class ALIVE>
    void PurgeDead(ALIVE alive)
    {
        for (auto it = m_items.begin(); it != m_items.end();) {
            if (!alive(it->first)) {
                Release(it->second);
                it = m_items.erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    static void Release(WRAPPER* w)
    {
        w->DetachTemporary();
        delete w;
    }
    std::unordered_map<HANDLE_TYPE, WRAPPER*> m_items;
};
