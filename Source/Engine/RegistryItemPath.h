// Registry item paths: a found-item text taken apart into root key, key path and value name, and
// the registry's own limits the document keeps to. The root names are the framework's
// (ItemRootKeyFromName in Framework/RegistryRootKeys.h).
#ifndef TARNEX_REGISTRY_ITEM_PATH_H
#define TARNEX_REGISTRY_ITEM_PATH_H

#include <windows.h>

#include "Framework/CString.h"
#include "Framework/RegistryRootKeys.h"

// The registry's own limits: a document that goes beyond them is refused.
const int MaxKeyDepth = 512;
const int MaxKeyNameLength = 255;
const int MaxValueNameLength = 16383;

// A found-item text taken apart: "ROOT\key\path" or "ROOT\key\path" + ValueSeparator + "name".
struct RegistryItemPath {
    CString rootName;  // the full spelling, as the root table writes it
    HKEY root = nullptr;
    CString keyPath;   // never empty, no empty components
    bool namesValue = false;
    CString valueName;
};

// Splits a found-item text. False for a text that is not a registry path (a file path), names
// an unknown root, or names only a root ("HKEY_CURRENT_USER", "HKEY_CURRENT_USER\"): the repair
// and the backup never touch a whole root key.
bool ParseRegistryItem(const char* text, RegistryItemPath& out);

// True for an empty key path and for one with an empty component (a leading, trailing or
// doubled "\"), which would name a different key than it seems to.
bool HasEmptyComponent(const CString& path);

#endif
