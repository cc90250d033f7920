// CString: storage, editing, searching and formatting (see CString.h for the layout rules).
#include "Framework/CString.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int kMaxLength = INT_MAX - 1;   // room for the terminator in an int-sized block

bool IsAsciiSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

int SafeLength(const char* psz)
{
    if (!psz)
        return 0;
    size_t n = strlen(psz);
    return n > size_t(kMaxLength) ? kMaxLength : int(n);
}

bool InSet(const char* pszSet, char c)
{
    return c != '\0' && pszSet && strchr(pszSet, c) != NULL;
}

// Clamp [nFirst, nFirst + nCount) to [0, nLength); returns the clamped count.
int ClampRange(int nLength, int& nFirst, int nCount)
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst > nLength)
        nFirst = nLength;
    if (nCount < 0)
        nCount = 0;
    if (nCount > nLength - nFirst)
        nCount = nLength - nFirst;
    return nCount;
}

}  // namespace

// --- construction and assignment --------------------------------------------------------------

CString::CString(const CString& other) : CString()
{
    AssignChars(other.m_pData, other.m_nLength);
}

CString::CString(CString&& other) noexcept
    : m_pData(other.m_pData), m_nLength(other.m_nLength), m_nCapacity(other.m_nCapacity)
{
    other.m_pData = NULL;
    other.m_nLength = other.m_nCapacity = 0;
}

CString::CString(const char* psz) : CString()
{
    AssignChars(psz, SafeLength(psz));
}

CString::CString(const char* pch, int nLength) : CString()
{
    if (pch && nLength > 0)
        AssignChars(pch, nLength);
}

CString::CString(char ch, int nRepeat) : CString()
{
    if (nRepeat > 0 && nRepeat <= kMaxLength && Reserve(nRepeat)) {
        memset(m_pData, ch, nRepeat);
        m_nLength = nRepeat;
        m_pData[m_nLength] = '\0';
    }
}

CString::~CString()
{
    free(m_pData);
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        AssignChars(other.m_pData, other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        free(m_pData);
        m_pData = other.m_pData;
        m_nLength = other.m_nLength;
        m_nCapacity = other.m_nCapacity;
        other.m_pData = NULL;
        other.m_nLength = other.m_nCapacity = 0;
    }
    return *this;
}

CString& CString::operator=(const char* psz)
{
    AssignChars(psz, SafeLength(psz));
    return *this;
}

CString& CString::operator=(char ch)
{
    AssignChars(&ch, 1);
    return *this;
}

bool CString::Reserve(int nCapacity)
{
    if (nCapacity <= m_nCapacity)
        return true;
    if (nCapacity > kMaxLength)
        return false;
    // Grow by half again, so a loop of appends stays linear.
    int nGrown = m_nCapacity + m_nCapacity / 2;
    if (nGrown < nCapacity || nGrown > kMaxLength)
        nGrown = nCapacity;
    char* p = static_cast<char*>(realloc(m_pData, size_t(nGrown) + 1));
    if (!p && nGrown != nCapacity) {
        nGrown = nCapacity;
        p = static_cast<char*>(realloc(m_pData, size_t(nGrown) + 1));
    }
    if (!p)
        return false;
    if (!m_pData)
        p[0] = '\0';
    m_pData = p;
    m_nCapacity = nGrown;
    return true;
}

// Copies nLength chars from pch, which may point into this string's own block.
void CString::AssignChars(const char* pch, int nLength)
{
    if (!pch || nLength <= 0) {
        if (m_pData) {
            m_nLength = 0;
            m_pData[0] = '\0';
        }
        return;
    }
    if (Aliases(pch)) {   // a tail of our own text: it already fits
        memmove(m_pData, pch, nLength);
    } else {
        if (!Reserve(nLength))
            return;
        memcpy(m_pData, pch, nLength);
    }
    m_nLength = nLength;
    m_pData[m_nLength] = '\0';
}

void CString::Empty() noexcept
{
    free(m_pData);
    m_pData = NULL;
    m_nLength = m_nCapacity = 0;
}

char CString::GetAt(int nIndex) const noexcept
{
    return (nIndex >= 0 && nIndex < m_nLength) ? m_pData[nIndex] : '\0';
}

void CString::SetAt(int nIndex, char ch) noexcept
{
    if (nIndex >= 0 && nIndex < m_nLength)
        m_pData[nIndex] = ch;
}

// --- appending --------------------------------------------------------------------------------

void CString::Append(const char* pch, int nLength)
{
    if (!pch || nLength <= 0 || nLength > kMaxLength - m_nLength)
        return;
    size_t nOffset = Aliases(pch) ? size_t(pch - m_pData) : size_t(-1);
    if (!Reserve(m_nLength + nLength))
        return;
    if (nOffset != size_t(-1))   // our own block may have moved
        pch = m_pData + nOffset;
    memmove(m_pData + m_nLength, pch, nLength);
    m_nLength += nLength;
    m_pData[m_nLength] = '\0';
}

void CString::Append(const char* psz)
{
    Append(psz, SafeLength(psz));
}

void CString::AppendChar(char ch)
{
    Append(&ch, 1);
}

CString& CString::operator+=(const CString& str)
{
    Append(str.m_pData, str.m_nLength);
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    Append(psz);
    return *this;
}

CString& CString::operator+=(char ch)
{
    AppendChar(ch);
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, const char* b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const char* a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, char b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(char a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(CString&& a, const CString& b)
{
    a += b;
    return static_cast<CString&&>(a);
}

CString operator+(CString&& a, const char* b)
{
    a += b;
    return static_cast<CString&&>(a);
}

CString operator+(CString&& a, char b)
{
    a += b;
    return static_cast<CString&&>(a);
}

// --- formatting -------------------------------------------------------------------------------

// The msvcrt functions are called by their own names: with __USE_MINGW_ANSI_STDIO the standard
// names route to MinGW's printf, and the Microsoft %I64 modifiers are what callers write.
void CString::AppendFormatV(const char* pszFormat, va_list args)
{
    if (!pszFormat)
        return;
    va_list sizing;
    va_copy(sizing, args);
    int nNeeded = _vscprintf(pszFormat, sizing);
    va_end(sizing);
    if (nNeeded <= 0 || nNeeded > kMaxLength - m_nLength)
        return;
    // Format into a block of our own first: an argument may point into this string.
    char* pBuffer = static_cast<char*>(malloc(size_t(nNeeded) + 1));
    if (!pBuffer)
        return;
    va_list writing;
    va_copy(writing, args);
    int nWritten = _vsnprintf(pBuffer, size_t(nNeeded) + 1, pszFormat, writing);
    va_end(writing);
    if (nWritten > 0 && nWritten <= nNeeded)
        Append(pBuffer, nWritten);
    free(pBuffer);
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    CString result;
    result.AppendFormatV(pszFormat, args);
    *this = static_cast<CString&&>(result);
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormat(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

BOOL CString::LoadString(UINT nID)
{
    return LoadString(GetModuleHandleA(NULL), nID);
}

BOOL CString::LoadString(HINSTANCE hInstance, UINT nID)
{
    // A string resource holds at most 65535 characters; grow until the text fits.
    for (int nSize = 256; nSize <= 65536; nSize *= 4) {
        char* p = GetBuffer(nSize);
        if (!p)
            break;
        int n = ::LoadStringA(hInstance, nID, p, nSize + 1);
        if (n < nSize || nSize == 65536) {
            ReleaseBuffer(n > 0 ? n : 0);
            if (n <= 0)
                Empty();
            return n > 0;
        }
    }
    Empty();
    return FALSE;
}

// --- comparison -------------------------------------------------------------------------------

int CString::Compare(const char* psz) const noexcept
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(GetString());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(psz ? psz : "");
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return (*a > *b) - (*a < *b);
}

int CString::CompareNoCase(const char* psz) const noexcept
{
    const char* a = GetString();
    const char* b = psz ? psz : "";
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(AsciiLower(*a));
        unsigned char cb = static_cast<unsigned char>(AsciiLower(*b));
        if (ca != cb || ca == 0)
            return (ca > cb) - (ca < cb);
    }
}

// --- extraction -------------------------------------------------------------------------------

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, m_nLength);
}

CString CString::Mid(int nFirst, int nCount) const
{
    nCount = ClampRange(m_nLength, nFirst, nCount);
    return CString(GetString() + nFirst, nCount);
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount > m_nLength)
        nCount = m_nLength;
    return CString(GetString() + (m_nLength - nCount), nCount);
}

CString CString::SpanIncluding(const char* pszCharSet) const
{
    int n = 0;
    while (n < m_nLength && InSet(pszCharSet, m_pData[n]))
        ++n;
    return Left(n);
}

CString CString::SpanExcluding(const char* pszCharSet) const
{
    int n = 0;
    while (n < m_nLength && !InSet(pszCharSet, m_pData[n]))
        ++n;
    return Left(n);
}

CString CString::Tokenize(const char* pszTokens, int& iStart) const
{
    if (iStart < 0 || iStart >= m_nLength) {
        iStart = -1;
        return CString();
    }
    if (!pszTokens || !*pszTokens) {
        CString rest = Mid(iStart);
        iStart = m_nLength;
        return rest;
    }
    int nFirst = iStart;
    while (nFirst < m_nLength && InSet(pszTokens, m_pData[nFirst]))
        ++nFirst;
    if (nFirst >= m_nLength) {
        iStart = -1;
        return CString();
    }
    int nEnd = nFirst;
    while (nEnd < m_nLength && !InSet(pszTokens, m_pData[nEnd]))
        ++nEnd;
    iStart = nEnd < m_nLength ? nEnd + 1 : m_nLength;
    return Mid(nFirst, nEnd - nFirst);
}

// --- searching --------------------------------------------------------------------------------

int CString::Find(char ch, int nStart) const noexcept
{
    if (nStart < 0)
        nStart = 0;
    for (int i = nStart; i < m_nLength; ++i)
        if (m_pData[i] == ch)
            return i;
    return -1;
}

int CString::Find(const char* pszSub, int nStart) const noexcept
{
    if (!pszSub)
        return -1;
    if (nStart < 0)
        nStart = 0;
    if (nStart > m_nLength)
        return -1;
    const char* p = strstr(GetString() + nStart, pszSub);
    return p ? int(p - GetString()) : -1;
}

int CString::ReverseFind(char ch) const noexcept
{
    for (int i = m_nLength - 1; i >= 0; --i)
        if (m_pData[i] == ch)
            return i;
    return -1;
}

int CString::FindOneOf(const char* pszCharSet) const noexcept
{
    for (int i = 0; i < m_nLength; ++i)
        if (InSet(pszCharSet, m_pData[i]))
            return i;
    return -1;
}

// --- changing in place ------------------------------------------------------------------------

CString& CString::MakeUpper() noexcept
{
    for (int i = 0; i < m_nLength; ++i)
        m_pData[i] = AsciiUpper(m_pData[i]);
    return *this;
}

CString& CString::MakeLower() noexcept
{
    for (int i = 0; i < m_nLength; ++i)
        m_pData[i] = AsciiLower(m_pData[i]);
    return *this;
}

CString& CString::MakeReverse() noexcept
{
    for (int i = 0, j = m_nLength - 1; i < j; ++i, --j) {
        char c = m_pData[i];
        m_pData[i] = m_pData[j];
        m_pData[j] = c;
    }
    return *this;
}

int CString::Replace(char chOld, char chNew) noexcept
{
    int nCount = 0;
    if (chOld == chNew)
        return 0;
    for (int i = 0; i < m_nLength; ++i) {
        if (m_pData[i] == chOld) {
            m_pData[i] = chNew;
            ++nCount;
        }
    }
    return nCount;
}

int CString::Replace(const char* pszOld, const char* pszNew)
{
    int nOld = SafeLength(pszOld);
    if (nOld == 0 || m_nLength == 0)
        return 0;
    int nCount = 0;
    for (int i = Find(pszOld); i >= 0; i = Find(pszOld, i + nOld))
        ++nCount;
    if (nCount == 0)
        return 0;
    // Build the result apart: the arguments may point into this string.
    CString result;
    const char* pszSource = GetString();
    int nNew = SafeLength(pszNew);
    long long nResult = m_nLength + (long long)nCount * (nNew - nOld);
    if (nResult > kMaxLength || (nResult > 0 && !result.Reserve(int(nResult))))
        return 0;
    int nFrom = 0;
    for (int i = Find(pszOld); i >= 0; i = Find(pszOld, nFrom)) {
        result.Append(pszSource + nFrom, i - nFrom);
        result.Append(pszNew, nNew);
        nFrom = i + nOld;
    }
    result.Append(pszSource + nFrom, m_nLength - nFrom);
    *this = static_cast<CString&&>(result);
    return nCount;
}

int CString::Remove(char ch) noexcept
{
    int nKept = 0;
    for (int i = 0; i < m_nLength; ++i)
        if (m_pData[i] != ch)
            m_pData[nKept++] = m_pData[i];
    int nRemoved = m_nLength - nKept;
    m_nLength = nKept;
    if (m_pData)
        m_pData[m_nLength] = '\0';
    return nRemoved;
}

int CString::Insert(int nIndex, char ch)
{
    return Insert(nIndex, CString(ch).GetString());
}

int CString::Insert(int nIndex, const char* psz)
{
    int n = SafeLength(psz);
    if (n == 0 || n > kMaxLength - m_nLength)
        return m_nLength;
    if (Aliases(psz)) {   // inserting a part of ourselves: take a copy first
        CString copy(psz, n);
        return Insert(nIndex, copy.GetString());
    }
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > m_nLength)
        nIndex = m_nLength;
    if (!Reserve(m_nLength + n))
        return m_nLength;
    memmove(m_pData + nIndex + n, m_pData + nIndex, m_nLength - nIndex + 1);
    memcpy(m_pData + nIndex, psz, n);
    m_nLength += n;
    return m_nLength;
}

int CString::Delete(int nIndex, int nCount) noexcept
{
    nCount = ClampRange(m_nLength, nIndex, nCount);
    if (nCount > 0) {
        memmove(m_pData + nIndex, m_pData + nIndex + nCount, m_nLength - nIndex - nCount + 1);
        m_nLength -= nCount;
    }
    return m_nLength;
}

CString& CString::TrimLeft()
{
    int n = 0;
    while (n < m_nLength && IsAsciiSpace(static_cast<unsigned char>(m_pData[n])))
        ++n;
    Delete(0, n);
    return *this;
}

CString& CString::TrimLeft(const char* pszTargets)
{
    int n = 0;
    while (n < m_nLength && InSet(pszTargets, m_pData[n]))
        ++n;
    Delete(0, n);
    return *this;
}

CString& CString::TrimLeft(char chTarget)
{
    int n = 0;
    while (n < m_nLength && m_pData[n] == chTarget)
        ++n;
    Delete(0, n);
    return *this;
}

CString& CString::TrimRight()
{
    int n = m_nLength;
    while (n > 0 && IsAsciiSpace(static_cast<unsigned char>(m_pData[n - 1])))
        --n;
    Delete(n, m_nLength - n);
    return *this;
}

CString& CString::TrimRight(const char* pszTargets)
{
    int n = m_nLength;
    while (n > 0 && InSet(pszTargets, m_pData[n - 1]))
        --n;
    Delete(n, m_nLength - n);
    return *this;
}

CString& CString::TrimRight(char chTarget)
{
    int n = m_nLength;
    while (n > 0 && m_pData[n - 1] == chTarget)
        --n;
    Delete(n, m_nLength - n);
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(char chTarget)
{
    return TrimRight(chTarget).TrimLeft(chTarget);
}

CString& CString::Trim(const char* pszTargets)
{
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

// --- raw buffer access ------------------------------------------------------------------------

char* CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength < m_nLength)
        nMinBufLength = m_nLength;
    if (nMinBufLength < 1)
        nMinBufLength = 1;   // always a real block, even for an empty string
    if (!Reserve(nMinBufLength))
        return NULL;
    return m_pData;
}

char* CString::GetBufferSetLength(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = 0;
    char* p = GetBuffer(nNewLength);
    if (p) {
        m_nLength = nNewLength;
        p[m_nLength] = '\0';
    }
    return p;
}

void CString::ReleaseBuffer(int nNewLength) noexcept
{
    if (!m_pData)
        return;
    if (nNewLength < 0) {
        // The caller may have filled the whole block without a terminator: look no further.
        const void* pNul = memchr(m_pData, '\0', size_t(m_nCapacity));
        nNewLength = pNul ? int(static_cast<const char*>(pNul) - m_pData) : m_nCapacity;
    }
    if (nNewLength > m_nCapacity)
        nNewLength = m_nCapacity;
    m_nLength = nNewLength;
    m_pData[m_nLength] = '\0';
}
