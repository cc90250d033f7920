// Task 10, the junk clean. Not built yet: the task ends at once with result 0.
#include "Engine/SSEngineProcess.h"

int CSSEngineProcess::RunJunkClean() { return 0; }
