// File associations ("FAS") of the registry scan. Being built: reports nothing yet.
#include "Engine/RegistryScanCategories.h"

#include "Engine/SSEngineProcess.h"

int ScanFileAssociations(CSSEngineProcess&) { return 0; }

int CheckExtensionKey(CSSEngineProcess&, const CString&) { return 0; }
