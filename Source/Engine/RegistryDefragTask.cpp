// Task 8, the hive defragmentation: the process object's defragmenter does the work and sends
// the result code; the task runner adds the end sequence.
#include "Engine/SSEngineProcess.h"

int CSSEngineProcess::RunRegistryDefrag()
{
    return m_registryDefrag.DefragRegistry(*this, m_defragMode);
}
