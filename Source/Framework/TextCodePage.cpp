// The code-page conversions.
#include "Framework/TextCodePage.h"

#include <string.h>
#include <wchar.h>

namespace {

int LengthOf(const char* text, int length)
{
    return length < 0 ? static_cast<int>(strlen(text)) : length;
}

int LengthOf(const wchar_t* text, int length)
{
    return length < 0 ? static_cast<int>(wcslen(text)) : length;
}

}  // namespace

bool TextToWide(const char* text, int length, UINT codePage, TextStrictness strictness,
                std::wstring& out)
{
    if (!text)
        text = "";
    length = LengthOf(text, length);
    if (length == 0) {
        out.clear();
        return true;
    }
    const DWORD flags = strictness == TextStrictness::Exact ? MB_ERR_INVALID_CHARS : 0;
    const int count = ::MultiByteToWideChar(codePage, flags, text, length, NULL, 0);
    if (count <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(count), L'\0');
    if (::MultiByteToWideChar(codePage, flags, text, length, &wide[0], count) != count)
        return false;
    out.swap(wide);
    return true;
}

bool WideToText(const wchar_t* text, int length, UINT codePage, TextStrictness strictness,
                CString& out)
{
    if (!text)
        text = L"";
    length = LengthOf(text, length);
    if (length == 0) {
        out.Empty();
        return true;
    }
    // UTF-8 (and UTF-7) take neither flags nor the default-character test; every character has
    // a form there anyway.
    const bool unicodeTarget = codePage == CP_UTF8 || codePage == CP_UTF7;
    const bool exact = strictness == TextStrictness::Exact && !unicodeTarget;
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = exact ? &usedDefault : NULL;
    const int bytes =
        ::WideCharToMultiByte(codePage, flags, text, length, NULL, 0, NULL, usedDefaultOut);
    if (bytes <= 0)
        return false;
    if (usedDefault) {
        ::SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    CString result;
    char* target = result.GetBufferSetLength(bytes);
    if (!target) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    const int written =
        ::WideCharToMultiByte(codePage, flags, text, length, target, bytes, NULL, usedDefaultOut);
    result.ReleaseBuffer(written > 0 ? written : 0);
    if (written != bytes || usedDefault) {
        if (usedDefault)
            ::SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    out = result;
    return true;
}

bool RecodeText(const char* text, int length, UINT from, TextStrictness readStrictness, UINT to,
                TextStrictness writeStrictness, CString& out)
{
    std::wstring wide;
    if (!TextToWide(text, length, from, readStrictness, wide))
        return false;
    return WideToText(wide.data(), static_cast<int>(wide.size()), to, writeStrictness, out);
}
