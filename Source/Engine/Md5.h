// CMD5: the MD5 message digest (RFC 1321) of a byte block or a file, and its hexadecimal text.
#ifndef TARNEX_MD5_H
#define TARNEX_MD5_H

#include <windows.h>

#include "Framework/CString.h"

class CMD5 {
public:
    CMD5();
    virtual ~CMD5() {}

    // The 16-byte digest, or null: for null data, or when the file cannot be opened. The
    // pointer refers to this object's digest buffer.
    const BYTE* DigestBlock(const void* data, DWORD length);
    const BYTE* DigestFile(const char* path);

    // 32 lower-case hexadecimal digits; empty when there is no digest.
    static CString DigestText(const void* data, DWORD length);
    static CString FileDigestText(const char* path);
    static CString HexText(const BYTE* digest);

private:
    void Init();
    void Update(const BYTE* data, DWORD length);
    void Final();
    void Transform(const BYTE block[64]);

    DWORD m_count[2];  // bit count, low word first
    DWORD m_state[4];
    BYTE m_buffer[64];
    BYTE m_digest[16];
};

#endif
