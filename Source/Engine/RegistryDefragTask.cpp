// Task 8, the hive defragmentation. Not built yet: the task ends at once with result 0.
#include "Engine/SSEngineProcess.h"

int CSSEngineProcess::RunRegistryDefrag() { return 0; }
