// The root-name table.
#include "Framework/RegistryRootKeys.h"

#include <string.h>

namespace {

const struct RootKeyRow {
    const char* name;
    HKEY key;
    bool itemRoot;  // may be named by a found-item path or a backup document
} RootKeys[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT, true},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER, true},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, true},
    {"HKEY_USERS", HKEY_USERS, true},
    {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA, false},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG, true},
    {"HKEY_DYN_DATA", HKEY_DYN_DATA, false},
};

}  // namespace

HKEY RootKeyFromName(const char* name)
{
    if (!name)
        return nullptr;
    for (const RootKeyRow& root : RootKeys)
        if (strcmp(root.name, name) == 0)
            return root.key;
    return nullptr;
}

HKEY ItemRootKeyFromName(const char* name, CString* canonicalName)
{
    if (!name)
        return nullptr;
    for (const RootKeyRow& root : RootKeys) {
        if (root.itemRoot && CString(name).CompareNoCase(root.name) == 0) {
            if (canonicalName)
                *canonicalName = root.name;
            return root.key;
        }
    }
    return nullptr;
}
