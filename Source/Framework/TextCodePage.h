// Text in a code page to UTF-16 and back (MultiByteToWideChar, WideCharToMultiByte), and the
// re-encoding of text from one code page to another through UTF-16.
//
// Strictness is a named argument of every call:
//   TextStrictness::Lenient  the platform's own replacements stand: malformed input becomes
//                            U+FFFD, a character the target code page lacks becomes its best
//                            fit or the default character.
//   TextStrictness::Exact    the call fails instead: on malformed input (reading), on a
//                            character without an exact form in the code page (writing).
//                            UTF-8 holds every character, so writing UTF-8 never fails for it.
// Lengths are in characters of the input; -1 reads up to (not including) the first NUL. On
// failure the output is unchanged, the result is false, and GetLastError says why
// (ERROR_NO_UNICODE_TRANSLATION for a text that is not exact).
#ifndef VELMORA_FRAMEWORK_TEXT_CODE_PAGE_H
#define VELMORA_FRAMEWORK_TEXT_CODE_PAGE_H

#include <windows.h>

#include <string>

#include "Framework/CString.h"

enum class TextStrictness { Lenient, Exact };

// MultiByteToWideChar: `text` in `codePage` (CP_ACP, CP_UTF8, ...) as UTF-16.
bool TextToWide(const char* text, int length, UINT codePage, TextStrictness strictness,
                std::wstring& out);
// WideCharToMultiByte: UTF-16 `text` in `codePage`.
bool WideToText(const wchar_t* text, int length, UINT codePage, TextStrictness strictness,
                CString& out);
// `text` read from code page `from` (with its strictness) and written in code page `to` (with
// its own).
bool RecodeText(const char* text, int length, UINT from, TextStrictness readStrictness, UINT to,
                TextStrictness writeStrictness, CString& out);

#endif
