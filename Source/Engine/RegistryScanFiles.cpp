// Application paths ("APP"), help files ("HLP"), fonts ("FNT") and shared DLLs ("SHD") of the
// registry scan. Not built yet: the checks report nothing.
#include "Engine/RegistryScanCategories.h"

#include "Engine/SSEngineProcess.h"

int ScanAppPaths(CSSEngineProcess&) { return 0; }

int ScanHelpFiles(CSSEngineProcess&) { return 0; }

int ScanFonts(CSSEngineProcess&) { return 0; }

int ScanSharedDlls(CSSEngineProcess&) { return 0; }
