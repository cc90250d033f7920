// CCriticalSection: owns one critical section (InitializeCriticalSectionAndSpinCount,
// DeleteCriticalSection); CCriticalSectionLock holds it for one scope (EnterCriticalSection,
// LeaveCriticalSection).
//
// Usage: CCriticalSection m_lock;   ...   { CCriticalSectionLock hold(m_lock); m_count++; }
// Neither can be copied. A critical section cannot be handed to another owner (it is not a
// handle but the memory itself), so it has no Detach.
#ifndef VELMORA_FRAMEWORK_CRITICAL_SECTION_H
#define VELMORA_FRAMEWORK_CRITICAL_SECTION_H

#include <windows.h>

class CCriticalSection {
public:
    // The spin count is how often a waiter spins before it sleeps; a section held for a few
    // instructions at a time is best served by a spin count.
    explicit CCriticalSection(DWORD spinCount = 0) noexcept
    {
        ::InitializeCriticalSectionAndSpinCount(&m_section, spinCount);
    }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() noexcept { ::EnterCriticalSection(&m_section); }
    void Leave() noexcept { ::LeaveCriticalSection(&m_section); }
    // TryEnterCriticalSection: TRUE when the section is now held by this thread.
    BOOL TryEnter() noexcept { return ::TryEnterCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

class CCriticalSectionLock {
public:
    explicit CCriticalSectionLock(CCriticalSection& section) noexcept : m_section(section)
    {
        m_section.Enter();
    }
    ~CCriticalSectionLock() { m_section.Leave(); }
    CCriticalSectionLock(const CCriticalSectionLock&) = delete;
    CCriticalSectionLock& operator=(const CCriticalSectionLock&) = delete;

private:
    CCriticalSection& m_section;
};

#endif
