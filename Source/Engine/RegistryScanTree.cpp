// The registry scan's generic tree walk and the checks built on it: file path references
// ("FPR") and empty keys ("ERK"). Being built: reports nothing yet.
#include "Engine/RegistryScanCategories.h"

#include "Engine/SSEngineProcess.h"

int WalkRegistryTree(CSSEngineProcess&, const char*, const char*, WalkMode) { return 0; }

int ScanFilePathReferences(CSSEngineProcess&) { return 0; }

int ScanEmptyKeys(CSSEngineProcess&) { return 0; }
