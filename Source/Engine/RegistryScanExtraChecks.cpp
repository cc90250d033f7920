// Three checks the library keeps but no task runs: class servers under a given key, browser
// helper objects and cookie files. Being built: they report nothing yet.
#include "Engine/RegistryScanCategories.h"

#include "Engine/SSEngineProcess.h"

int CheckClassServers(CSSEngineProcess&, HKEY, const char*, DWORD) { return 0; }

int ScanBrowserHelperObjects(CSSEngineProcess&) { return 0; }

int ScanCookieFiles(CSSEngineProcess&) { return 1; }
