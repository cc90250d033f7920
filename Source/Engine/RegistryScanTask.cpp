// Task 3, the registry scan. Not built yet: the task ends at once with result 0.
#include "Engine/SSEngineProcess.h"

int CSSEngineProcess::RunRegistryScan() { return 0; }
