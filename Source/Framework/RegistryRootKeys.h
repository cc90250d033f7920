// The registry's root names ("HKEY_LOCAL_MACHINE", ...) and their predefined keys
// (HKEY_LOCAL_MACHINE, ...): one table, two lookups.
#ifndef VELMORA_FRAMEWORK_REGISTRY_ROOT_KEYS_H
#define VELMORA_FRAMEWORK_REGISTRY_ROOT_KEYS_H

#include <windows.h>

#include "Framework/CString.h"

// Any of the seven full root names, written exactly ("HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
// "HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG",
// "HKEY_DYN_DATA"): the roots of the engine's own key tables. Null for any other name.
HKEY RootKeyFromName(const char* name);

// The five roots a found-item path or a backup document may name (HKEY_CLASSES_ROOT,
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG), in any case, since
// such texts come from outside. `canonicalName` (when given) receives the name as written in
// the table. Null (and `canonicalName` unchanged) for any other name.
HKEY ItemRootKeyFromName(const char* name, CString* canonicalName = nullptr);

#endif
