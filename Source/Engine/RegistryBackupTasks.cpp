// Tasks 1, 2 and 4 (registry backup, restore, repair) and the synchronous import. Not built
// yet: the tasks end at once with result 0 and the import reports failure.
#include "Engine/SSEngineProcess.h"

int CSSEngineProcess::RunRegistryBackup() { return 0; }
int CSSEngineProcess::RunRegistryRestore() { return 0; }
int CSSEngineProcess::RunRegistryRepair() { return 0; }
int CSSEngineProcess::ImportRegistryFile(CAbstractStatus*, CString) { return 0; }
