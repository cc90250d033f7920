// The value text of each registry type, written and read through one table, and the escaping
// of the document's texts (in the ANSI code page here, UTF-8 in the file).
#include "Engine/RegistryValueText.h"

#include <string.h>

#include "Framework/HexDigit.h"
#include "Framework/TextCodePage.h"

namespace {

// --- rendering: registry data to value text ---------------------------------------------------

// The data as a string ending at its first NUL, never read past its size.
CString RenderString(const BYTE* data, DWORD size)
{
    const void* nul = memchr(data, 0, size);
    const DWORD length = nul ? DWORD(static_cast<const BYTE*>(nul) - data) : size;
    return CString(reinterpret_cast<const char*>(data), int(length));
}

// Every byte as two lower-case digits, separated by one blank.
CString RenderHex(const BYTE* data, DWORD size)
{
    static const char Digits[] = "0123456789abcdef";
    CString text;
    if (size == 0)
        return text;
    const int length = int(size) * 3 - 1;
    char* out = text.GetBufferSetLength(length);
    if (!out)
        return CString();
    for (DWORD i = 0; i < size; ++i) {
        out[i * 3] = Digits[data[i] >> 4];
        out[i * 3 + 1] = Digits[data[i] & 0xF];
        if (i + 1 < size)
            out[i * 3 + 2] = ' ';
    }
    text.ReleaseBuffer(length);
    return text;
}

// Short data is padded with zero bytes.
BYTE ByteAt(const BYTE* data, DWORD size, DWORD index)
{
    return index < size ? data[index] : 0;
}

// "0x" and the four bytes most significant first, then the number in signed decimal. A
// big-endian value stores them in that order already.
CString RenderFourBytes(const BYTE* data, DWORD size, bool bigEndian)
{
    BYTE b[4];
    for (DWORD i = 0; i < 4; ++i)
        b[i] = ByteAt(data, size, bigEndian ? i : 3 - i);
    const DWORD value = DWORD(b[0]) << 24 | DWORD(b[1]) << 16 | DWORD(b[2]) << 8 | DWORD(b[3]);
    CString text;
    text.Format("0x%02x%02x%02x%02x (%d)", b[0], b[1], b[2], b[3], int(value));
    return text;
}

CString RenderDword(const BYTE* data, DWORD size)
{
    return RenderFourBytes(data, size, false);
}

CString RenderBigEndianDword(const BYTE* data, DWORD size)
{
    return RenderFourBytes(data, size, true);
}

CString RenderQword(const BYTE* data, DWORD size)
{
    CString text = "0x";
    for (int i = 7; i >= 0; --i)
        text.AppendFormat("%02x", ByteAt(data, size, DWORD(i)));
    return text;
}

// The UTF-16 target up to its first NUL, in the ANSI code page.
CString RenderLink(const BYTE* data, DWORD size)
{
    const int characters = int(size / sizeof(WCHAR));
    const WCHAR* wide = reinterpret_cast<const WCHAR*>(data);
    int length = 0;
    while (length < characters && wide[length] != 0)
        ++length;
    CString text;
    WideToText(wide, length, CP_ACP, TextStrictness::Lenient, text);
    return text;
}

// The strings one per line, without the two terminators. Only NULs are taken off the end, so
// a list that lacks a terminator keeps its last string.
CString RenderMultiString(const BYTE* data, DWORD size)
{
    CString text;
    DWORD end = size;
    for (int i = 0; i < 2 && end > 0 && data[end - 1] == 0; ++i)
        --end;
    for (DWORD i = 0; i < end; ++i) {
        if (data[i] == 0)
            text += "\r\n";
        else
            text += char(data[i]);
    }
    return text;
}

// --- parsing: value text to registry data -----------------------------------------------------

// The hexadecimal digits after the first two characters ("0x"), at most maxDigits of them,
// ending at the first character that is not one.
unsigned long long ReadHexNumber(const CString& text, int maxDigits)
{
    unsigned long long value = 0;
    for (int i = 2, n = 0; i < text.GetLength() && n < maxDigits; ++i, ++n) {
        const int digit = HexDigit(text[i]);
        if (digit < 0)
            break;
        value = (value << 4) | unsigned(digit);
    }
    return value;
}

// The text and its terminating NUL.
CString ParseString(const CString& text)
{
    CString data = text;
    data.Append("\0", 1);
    return data;
}

// Byte i from the two characters at 3i and 3i + 1 (any other character counts as 0); an empty
// text gives one zero byte.
CString ParseHex(const CString& text)
{
    if (text.IsEmpty())
        return CString("\0", 1);
    CString data;
    const int count = (text.GetLength() + 1) / 3;
    for (int i = 0; i < count; ++i) {
        const int high = HexDigit(text[i * 3]);
        const int low = HexDigit(text[i * 3 + 1]);
        data += char((high < 0 ? 0 : high) << 4 | (low < 0 ? 0 : low));
    }
    return data;
}

// The decimal part after the digits is not read.
CString ParseDword(const CString& text)
{
    const DWORD value = text.IsEmpty() ? 0 : DWORD(ReadHexNumber(text, 8));
    return CString(reinterpret_cast<const char*>(&value), sizeof(value));
}

CString ParseQword(const CString& text)
{
    const unsigned long long value = text.IsEmpty() ? 0 : ReadHexNumber(text, 16);
    return CString(reinterpret_cast<const char*>(&value), sizeof(value));
}

// One string per line, each line break a NUL, then the two terminators; an empty text gives a
// single NUL.
CString ParseMultiString(const CString& text)
{
    if (text.IsEmpty())
        return CString("\0", 1);
    CString data;
    for (int i = 0; i < text.GetLength(); ++i) {
        if (text[i] == '\r')
            continue;
        data += text[i] == '\n' ? '\0' : text[i];
    }
    data.Append("\0\0", 2);
    return data;
}

// --- the table ----------------------------------------------------------------------------------

// The "type" attribute is left out: the value is plain text.
const DWORD PlainText = DWORD(-1);

struct ValueTypeRow {
    DWORD type;
    // The type's name in the document; null for a type written under another type's name.
    const char* name;
    // The type whose name the "type" attribute carries, or PlainText.
    DWORD writtenAs;
    // The type a value that carries this row's name is restored as, and how its text becomes data.
    DWORD readAs;
    CString (*render)(const BYTE* data, DWORD size);
    CString (*parse)(const CString& text);
};

const ValueTypeRow ValueTypes[] = {
    {REG_SZ, "REG_SZ", PlainText, REG_SZ, RenderString, ParseString},
    {REG_NONE, "REG_NONE", PlainText, REG_SZ, RenderString, ParseString},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ", REG_EXPAND_SZ, REG_EXPAND_SZ, RenderString, ParseString},
    {REG_BINARY, "REG_BINARY", REG_BINARY, REG_BINARY, RenderHex, ParseHex},
    {REG_DWORD, "REG_DWORD", REG_DWORD, REG_DWORD, RenderDword, ParseDword},
    {REG_DWORD_BIG_ENDIAN, nullptr, REG_DWORD, REG_DWORD, RenderBigEndianDword, nullptr},
    {REG_LINK, nullptr, REG_SZ, REG_SZ, RenderLink, nullptr},
    {REG_MULTI_SZ, "REG_MULTI_SZ", REG_MULTI_SZ, REG_MULTI_SZ, RenderMultiString, ParseMultiString},
    {REG_RESOURCE_LIST, "REG_RESOURCE_LIST", REG_RESOURCE_LIST, REG_RESOURCE_LIST, RenderHex, ParseHex},
    // Written with an empty "type" attribute, which reads back as text.
    {REG_FULL_RESOURCE_DESCRIPTOR, "", REG_FULL_RESOURCE_DESCRIPTOR, REG_SZ, RenderString, ParseString},
    {REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST", REG_RESOURCE_REQUIREMENTS_LIST,
     REG_RESOURCE_REQUIREMENTS_LIST, RenderHex, ParseHex},
    {REG_QWORD, "REG_QWORD", REG_QWORD, REG_QWORD, RenderQword, ParseQword},
};

// The row of a registry type; a type the document has no name for goes as binary.
const ValueTypeRow& RowOfType(DWORD type)
{
    const ValueTypeRow* binary = nullptr;
    for (const ValueTypeRow& row : ValueTypes) {
        if (row.type == type)
            return row;
        if (row.type == REG_BINARY)
            binary = &row;
    }
    return *binary;
}

}  // namespace

void RenderValueText(DWORD type, const BYTE* data, DWORD size, CString& text, const char*& typeName)
{
    const ValueTypeRow& row = RowOfType(type);
    text = row.render(data, size);
    typeName = row.writtenAs == PlainText ? nullptr : RowOfType(row.writtenAs).name;
}

bool ParseValueText(const CString& typeName, const CString& text, DWORD& type, CString& data)
{
    for (const ValueTypeRow& row : ValueTypes) {
        if (row.name && typeName.CompareNoCase(row.name) == 0) {
            type = row.readAs;
            data = row.parse(text);
            return true;
        }
    }
    return false;
}

CString EscapeDocumentText(const CString& ansi)
{
    CString escaped;
    for (int i = 0; i < ansi.GetLength(); ++i) {
        const char c = ansi[i];
        if (c == '&')
            escaped += "&amp;";
        else if (c == '"')
            escaped += "&quot;";
        else if (c == '<')
            escaped += "&lt;";
        else
            escaped += c;
    }
    CString utf8;
    RecodeText(escaped, escaped.GetLength(), CP_ACP, TextStrictness::Lenient, CP_UTF8,
               TextStrictness::Lenient, utf8);
    return utf8;
}

bool UnescapeDocumentText(const CString& utf8, CString& ansi)
{
    CString text;
    if (!RecodeText(utf8, utf8.GetLength(), CP_UTF8, TextStrictness::Exact, CP_ACP, TextStrictness::Exact,
                    text))
        return false;
    static const struct {
        const char* entity;
        int length;
        char c;
    } Entities[] = {{"&lt;", 4, '<'}, {"&quot;", 6, '"'}, {"&amp;", 5, '&'}};
    ansi.Empty();
    const char* p = text.GetString();
    const int length = text.GetLength();
    for (int i = 0; i < length; ++i) {
        bool decoded = false;
        if (p[i] == '&') {
            for (const auto& e : Entities) {
                if (i + e.length <= length && memcmp(p + i, e.entity, e.length) == 0) {
                    ansi += e.c;
                    i += e.length - 1;
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded)
            ansi += p[i];
    }
    return true;
}
