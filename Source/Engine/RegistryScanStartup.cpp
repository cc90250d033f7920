// Startup items ("SUI") and uninstall entries ("UIE") of the registry scan. Not built yet:
// both checks report nothing.
#include "Engine/RegistryScanCategories.h"

#include "Engine/SSEngineProcess.h"

int ScanStartupItems(CSSEngineProcess&) { return 0; }

int ScanUninstallEntries(CSSEngineProcess&) { return 0; }
