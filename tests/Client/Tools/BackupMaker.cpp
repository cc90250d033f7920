// A helper the Restore Center tests copy beside their copy of the program: it has Tarnex.dll
// repair one registry key with a backup first, as the program's repair does, so the backup
// lands in the folder the engine names after the module that hosts it, the program's folder.
//   tool_backup_maker.exe <key text, e.g. HKEY_CURRENT_USER\Software\X>
// Exit code: 0 when the repair ran to its end, 1 when the engine or its task did not start.
#include <windows.h>

#include <objbase.h>

#include <string>

#include "Client/Scan/ScanItemsInfo.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/ProcAddress.h"

namespace {

// Empty keys are deleted with their tree whatever the found-items list says of them.
const int EmptyKeyCategory = 0x800000;

class FinishedStatus : public CAbstractStatus {
public:
    FinishedStatus() : m_finished(CreateEventA(NULL, TRUE, FALSE, NULL)) {}
    ~FinishedStatus() override { CloseHandle(m_finished); }
    void OnStatusText(const char*, const char*) override {}
    void OnProgress(int) override {}
    void OnItemFound(const char*, DWORD, int, int) override {}
    int OnTaskFinished(int) override
    {
        SetEvent(m_finished);
        return 1;
    }
    bool Wait(DWORD ms) const { return WaitForSingleObject(m_finished, ms) == WAIT_OBJECT_0; }

private:
    HANDLE m_finished;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 1;
    CoInitialize(NULL);
    HMODULE engineModule = LoadLibraryA(ENGINE_MODULE_NAME);
    EngineStartFunction start = GetProcAddressAs<EngineStartFunction>(engineModule, "Start");
    CAbstractSSEngineInterface* engine = start ? start() : NULL;
    CAbstractProcess* process = engine ? engine->NewProcess() : NULL;
    if (!process)
        return 1;
    char module[MAX_PATH] = {};
    GetModuleFileNameA(NULL, module, MAX_PATH);
    std::string folder = module;
    folder = folder.substr(0, folder.rfind('\\') + 1);
    CScanItemsInfo store(folder.c_str());
    store.AddItem(argv[1], EmptyKeyCategory, 0, 0);
    FinishedStatus status;
    if (process->StartRegistryRepair(&store, &status, 1) != 1)
        return 1;
    process->ResumeTask();
    if (!status.Wait(60000))
        return 1;
    for (int i = 0; i < 5000 && process->GetThreadHandle(); ++i)
        Sleep(1);
    return 0;
}
