// Task 9, the junk scan. Not built yet: the task ends at once with result 0.
#include "Engine/SSEngineProcess.h"

int CSSEngineProcess::RunJunkScan() { return 0; }
