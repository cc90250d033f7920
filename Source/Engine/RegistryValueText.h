// The texts of the registry backup document: each registry type's value text and "type"
// attribute, both ways, from one table; and the escaping every name and text goes through.
#ifndef TARNEX_REGISTRY_VALUE_TEXT_H
#define TARNEX_REGISTRY_VALUE_TEXT_H

#include <windows.h>

#include "Framework/CString.h"

// The name the document gives the unnamed value.
const char DefaultValueName[] = "(Default)";

// The value's text and its "type" attribute (null: no attribute) as the document writes them.
// A type the document has no name for is written as binary: its bytes survive, its number not.
void RenderValueText(DWORD type, const BYTE* data, DWORD size, CString& text, const char*& typeName);

// The registry type and data for a "type" attribute (empty when there is none) and a value
// text, compared without regard to case. False for a name the document does not have; the
// outputs are unchanged then.
bool ParseValueText(const CString& typeName, const CString& text, DWORD& type, CString& data);

// Document text helpers (escaping and the code-page conversion), shared with the tests.
CString EscapeDocumentText(const CString& ansi);
// Undoes EscapeDocumentText in one left-to-right pass, so "&amp;amp;" gives "&amp;". False
// when the text is not valid UTF-8 or holds a character the ANSI code page cannot represent.
bool UnescapeDocumentText(const CString& utf8, CString& ansi);

#endif
