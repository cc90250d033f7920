// CString: the framework's narrow (ANSI, char) string.
//
// CString objects cross the boundary between Tarnex.dll and Velmora.exe. Each module links its
// own C++ runtime statically, but both use msvcrt.dll's heap, so the class is built to be safe
// under those conditions:
//
//   Layout (fixed; both modules compile this same header):
//     char* m_pData      NULL, or a block from malloc/realloc of m_nCapacity + 1 bytes holding
//                        m_nLength characters followed by a NUL. Freed with free().
//     int   m_nLength    number of characters, 0 <= m_nLength <= m_nCapacity
//     int   m_nCapacity  characters the block can hold without the terminator (0 when NULL)
//
//   - A default-constructed or emptied string has a NULL data pointer. GetString() and the
//     const char* conversion then return a pointer to a constant "" literal: there is no shared
//     per-module "empty" object that could be freed or compared by address in the other module.
//   - Every copy is a deep copy: no reference counting, no copy-on-write, so two threads may
//     each own and change their own copies freely (a single object is not locked).
//   - Out-of-range or negative positions and counts are clamped; GetAt/SetAt/operator[] out of
//     range return 0 / do nothing. Nothing asserts or throws: no exception may leave the engine.
//   - When an allocation fails the string is left unchanged (GetBuffer returns NULL).
//   - Case folding (MakeLower, MakeUpper, CompareNoCase) and the default white space of Trim
//     act on ASCII only; bytes from 0x80 upwards are preserved unchanged.
//
// A CString is not a plain pointer, so it cannot be passed to Format's "..." directly: pass
// str.GetString() or (const char*)str (the format attribute makes the compiler flag a mistake).
#pragma once

#include <windows.h>
#include <stdarg.h>

class CString
{
public:
    CString() noexcept : m_pData(NULL), m_nLength(0), m_nCapacity(0) {}
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString(const char* psz);                      // NULL gives an empty string
    CString(const char* pch, int nLength);         // nLength bytes (may hold NULs); <0 gives ""
    explicit CString(char ch, int nRepeat = 1);    // ch repeated; nRepeat <= 0 gives ""
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* psz);
    CString& operator=(char ch);

    // --- size and access --------------------------------------------------------------------
    int GetLength() const noexcept { return m_nLength; }
    bool IsEmpty() const noexcept { return m_nLength == 0; }
    void Empty() noexcept;                         // frees the storage
    const char* GetString() const noexcept { return m_pData ? m_pData : ""; }
    operator const char*() const noexcept { return GetString(); }
    char GetAt(int nIndex) const noexcept;         // 0 when out of range
    char operator[](int nIndex) const noexcept { return GetAt(nIndex); }
    void SetAt(int nIndex, char ch) noexcept;      // ignored when out of range

    // --- appending --------------------------------------------------------------------------
    CString& operator+=(const CString& str);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);
    void Append(const char* psz);
    void Append(const char* pch, int nLength);
    void AppendChar(char ch);

    // --- formatting (msvcrt printf: accepts %I64d, %I64u, %I64x; output of any length) ------
    void Format(const char* pszFormat, ...) __attribute__((format(ms_printf, 2, 3)));
    void AppendFormat(const char* pszFormat, ...) __attribute__((format(ms_printf, 2, 3)));
    void FormatV(const char* pszFormat, va_list args) __attribute__((format(ms_printf, 2, 0)));
    void AppendFormatV(const char* pszFormat, va_list args) __attribute__((format(ms_printf, 2, 0)));

    // Loads string resource nID from the program's own module (or from hInstance). Returns
    // FALSE and leaves the string empty when there is no such string.
    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    // --- comparison (case-sensitive byte order, as strcmp) ---------------------------------
    int Compare(const char* psz) const noexcept;
    int CompareNoCase(const char* psz) const noexcept;   // ASCII letters folded

    // --- extraction -------------------------------------------------------------------------
    CString Mid(int nFirst) const;                 // from nFirst (clamped) to the end
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(const char* pszCharSet) const;  // leading run of chars in the set
    CString SpanExcluding(const char* pszCharSet) const;  // leading run of chars not in the set
    // Next token delimited by any of pszTokens, starting at iStart; leading delimiters are
    // skipped. Advances iStart past the token's delimiter; when no token is left, returns ""
    // and sets iStart to -1. An empty delimiter set returns the rest of the string as one token.
    CString Tokenize(const char* pszTokens, int& iStart) const;

    // --- searching (-1 when not found) ------------------------------------------------------
    int Find(char ch, int nStart = 0) const noexcept;
    int Find(const char* pszSub, int nStart = 0) const noexcept;
    int ReverseFind(char ch) const noexcept;
    int FindOneOf(const char* pszCharSet) const noexcept;

    // --- changing in place ------------------------------------------------------------------
    CString& MakeUpper() noexcept;
    CString& MakeLower() noexcept;
    CString& MakeReverse() noexcept;
    int Replace(char chOld, char chNew) noexcept;           // returns the number replaced
    int Replace(const char* pszOld, const char* pszNew);    // non-overlapping, left to right
    int Remove(char ch) noexcept;                           // returns the number removed
    int Insert(int nIndex, char ch);                        // returns the new length
    int Insert(int nIndex, const char* psz);
    int Delete(int nIndex, int nCount = 1) noexcept;        // returns the new length

    CString& Trim();                               // white space from both ends
    CString& Trim(char chTarget);
    CString& Trim(const char* pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(const char* pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(const char* pszTargets);

    // --- raw buffer access for API calls ----------------------------------------------------
    // GetBuffer returns a writable block of at least nMinBufLength characters plus a
    // terminator, holding the current text; NULL only when memory runs out. Call
    // ReleaseBuffer(n) afterwards; with -1 the length is taken up to the first NUL (never
    // beyond the block). Other members must not be used between the two calls.
    char* GetBuffer(int nMinBufLength = 0);
    char* GetBufferSetLength(int nNewLength);      // the length becomes nNewLength
    void ReleaseBuffer(int nNewLength = -1) noexcept;

private:
    bool Reserve(int nCapacity);                   // false when memory runs out
    void AssignChars(const char* pch, int nLength);
    bool Aliases(const char* p) const noexcept
    {
        return m_pData && p >= m_pData && p <= m_pData + m_nCapacity;
    }

    char* m_pData;
    int m_nLength;
    int m_nCapacity;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);
CString operator+(CString&& a, const CString& b);
CString operator+(CString&& a, const char* b);
CString operator+(CString&& a, char b);

inline bool operator==(const CString& a, const CString& b) noexcept
{
    return a.GetLength() == b.GetLength() && a.Compare(b) == 0;
}
inline bool operator==(const CString& a, const char* b) noexcept { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) noexcept { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) noexcept { return !(a == b); }
inline bool operator!=(const CString& a, const char* b) noexcept { return !(a == b); }
inline bool operator!=(const char* a, const CString& b) noexcept { return !(a == b); }
// Plain strcmp order, so CString can key a std::map or std::set.
inline bool operator<(const CString& a, const CString& b) noexcept { return a.Compare(b) < 0; }
inline bool operator<(const CString& a, const char* b) noexcept { return a.Compare(b) < 0; }
inline bool operator<(const char* a, const CString& b) noexcept { return b.Compare(a) > 0; }
inline bool operator>(const CString& a, const CString& b) noexcept { return b < a; }
inline bool operator<=(const CString& a, const CString& b) noexcept { return !(b < a); }
inline bool operator>=(const CString& a, const CString& b) noexcept { return !(a < b); }
