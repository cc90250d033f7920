// ActiveX/COM ("AXO") of the registry scan. Being built: reports nothing yet.
#include "Engine/RegistryScanCategories.h"

#include "Engine/SSEngineProcess.h"

int ScanActiveX(CSSEngineProcess&) { return 0; }

int CheckInterfaceTypeLibs(CSSEngineProcess&) { return 0; }
