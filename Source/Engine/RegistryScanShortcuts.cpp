// Program shortcuts ("SRC") of the registry scan. Not built yet: the check reports nothing.
#include "Engine/RegistryScanCategories.h"

#include "Engine/SSEngineProcess.h"

int ScanShortcutFolder(CSSEngineProcess&, const CString&) { return 0; }
