// MD5 as RFC 1321 describes it.
#include "Engine/Md5.h"

#include <stdio.h>
#include <string.h>

#include "Framework/Handle.h"

namespace {

inline DWORD RotateLeft(DWORD x, int n) { return (x << n) | (x >> (32 - n)); }
inline DWORD F(DWORD x, DWORD y, DWORD z) { return (x & y) | (~x & z); }
inline DWORD G(DWORD x, DWORD y, DWORD z) { return (x & z) | (y & ~z); }
inline DWORD H(DWORD x, DWORD y, DWORD z) { return x ^ y ^ z; }
inline DWORD I(DWORD x, DWORD y, DWORD z) { return y ^ (x | ~z); }

// Per-step shift amounts and sine-derived constants of the four rounds.
const int Shifts[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                        5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                        4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                        6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
const DWORD Sines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

const DWORD FileReadChunk = 16384;

}  // namespace

CMD5::CMD5() : m_count(), m_state(), m_buffer(), m_digest() {}

void CMD5::Init()
{
    m_count[0] = m_count[1] = 0;
    m_state[0] = 0x67452301;
    m_state[1] = 0xefcdab89;
    m_state[2] = 0x98badcfe;
    m_state[3] = 0x10325476;
}

void CMD5::Transform(const BYTE block[64])
{
    DWORD x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = block[i * 4] | (block[i * 4 + 1] << 8) | (block[i * 4 + 2] << 16) |
               (static_cast<DWORD>(block[i * 4 + 3]) << 24);
    DWORD a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int i = 0; i < 64; ++i) {
        DWORD f;
        int g;
        if (i < 16) { f = F(b, c, d); g = i; }
        else if (i < 32) { f = G(b, c, d); g = (5 * i + 1) % 16; }
        else if (i < 48) { f = H(b, c, d); g = (3 * i + 5) % 16; }
        else { f = I(b, c, d); g = (7 * i) % 16; }
        DWORD next = b + RotateLeft(a + f + Sines[i] + x[g], Shifts[i]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void CMD5::Update(const BYTE* data, DWORD length)
{
    DWORD index = (m_count[0] >> 3) & 0x3F;
    DWORD bits = length << 3;
    m_count[0] += bits;
    if (m_count[0] < bits)
        ++m_count[1];
    m_count[1] += length >> 29;

    DWORD fill = 64 - index;
    DWORD i = 0;
    if (length >= fill) {
        memcpy(&m_buffer[index], data, fill);
        Transform(m_buffer);
        for (i = fill; i + 63 < length; i += 64)
            Transform(data + i);
        index = 0;
    }
    memcpy(&m_buffer[index], data + i, length - i);
}

void CMD5::Final()
{
    BYTE bits[8];
    for (int i = 0; i < 4; ++i) {
        bits[i] = static_cast<BYTE>(m_count[0] >> (8 * i));
        bits[i + 4] = static_cast<BYTE>(m_count[1] >> (8 * i));
    }
    static const BYTE padding[64] = {0x80};
    DWORD index = (m_count[0] >> 3) & 0x3F;
    DWORD padLength = index < 56 ? 56 - index : 120 - index;
    Update(padding, padLength);
    Update(bits, 8);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m_digest[i * 4 + j] = static_cast<BYTE>(m_state[i] >> (8 * j));
}

const BYTE* CMD5::DigestBlock(const void* data, DWORD length)
{
    if (!data)
        return nullptr;
    Init();
    Update(static_cast<const BYTE*>(data), length);
    Final();
    return m_digest;
}

const BYTE* CMD5::DigestFile(const char* path)
{
    if (!path)
        return nullptr;
    CHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid())
        return nullptr;
    Init();
    BYTE* chunk = static_cast<BYTE*>(malloc(FileReadChunk));
    if (!chunk)
        return nullptr;
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), chunk, FileReadChunk, &got, nullptr)) {
            ok = false;
            break;
        }
        Update(chunk, got);
        if (got < FileReadChunk)
            break;
    }
    free(chunk);
    file.Close();
    if (!ok)
        return nullptr;
    Final();
    return m_digest;
}

CString CMD5::HexText(const BYTE* digest)
{
    CString text;
    if (!digest)
        return text;
    char hex[33];
    for (int i = 0; i < 16; ++i)
        snprintf(hex + i * 2, 3, "%02x", digest[i]);
    text = hex;
    return text;
}

CString CMD5::DigestText(const void* data, DWORD length)
{
    CMD5 md5;
    return HexText(md5.DigestBlock(data, length));
}

CString CMD5::FileDigestText(const char* path)
{
    CMD5 md5;
    return HexText(md5.DigestFile(path));
}
