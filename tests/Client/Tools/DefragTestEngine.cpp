// Test engines named like the real one, for a copy of the program to load in its place; built
// from the engine's static library, with their own factory:
//   - the recorder (DEFRAG_ENGINE_NO_PROCESS 0): real process objects whose hive replacement
//     goes through a recorder instead of RegReplaceKeyA (a no-op under Wine). The recorder does
//     what Windows does at once: the live hive file (found in the machine's hive list) becomes
//     the backup and the copy takes its name. Each call is appended as one line to
//     "replace-calls.txt" beside the library: "<root>|<key>|<new file>|<old file>|<result>".
//   - no process (DEFRAG_ENGINE_NO_PROCESS 1): the factory gives no process object.
#include <windows.h>

#include <new>
#include <string>

#include "Engine/SSEngineProcess.h"
#include "Engine/XmlStores.h"

namespace {

#if !DEFRAG_ENGINE_NO_PROCESS
std::string LibraryFolder()
{
    HMODULE self = NULL;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&LibraryFolder), &self);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

// The hive file the machine's hive list names for root\key ("" when none).
std::string ListedHiveFile(HKEY root, const char* key)
{
    const std::string name = std::string(root == HKEY_USERS ? "\\REGISTRY\\USER\\" : "\\REGISTRY\\MACHINE\\") + key;
    HKEY list = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\hivelist", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &list) != ERROR_SUCCESS)
        return std::string();
    char data[MAX_PATH] = {};
    DWORD size = sizeof data - 1, type = 0;
    const LONG read = RegQueryValueExA(list, name.c_str(), NULL, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(list);
    if (read != ERROR_SUCCESS || type != REG_SZ)
        return std::string();
    return data;
}

LONG WINAPI RecordReplace(HKEY root, LPCSTR key, LPCSTR newFile, LPCSTR oldFile)
{
    const std::string live = ListedHiveFile(root, key);
    LONG result = ERROR_SUCCESS;
    if (live.empty())
        result = ERROR_FILE_NOT_FOUND;
    else if (!MoveFileA(live.c_str(), oldFile) || !MoveFileA(newFile, live.c_str()))
        result = LONG(GetLastError());
    const std::string line = std::string(root == HKEY_LOCAL_MACHINE ? "HKLM" : root == HKEY_USERS ? "HKU" : "?") +
                             "|" + key + "|" + newFile + "|" + oldFile + "|" + std::to_string(result) + "\r\n";
    HANDLE log = CreateFileA((LibraryFolder() + "replace-calls.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                             NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(log, line.data(), DWORD(line.size()), &written, NULL);
        CloseHandle(log);
    }
    return result;
}
#endif

class TestEngine : public CAbstractSSEngineInterface {
public:
    CAbstractProcess* NewProcess() override
    {
#if DEFRAG_ENGINE_NO_PROCESS
        return NULL;
#else
        CSSEngineProcess* process = new (std::nothrow) CSSEngineProcess(CSSEngineProcess::FullConstruction);
        if (process)
            process->m_registryDefrag.SetReplaceKeyFunction(RecordReplace);
        return process;
#endif
    }
    void DeleteProcess(CAbstractProcess* process) override { delete process; }
    CAbstractSystemHistory* NewSystemHistory() override { return new (std::nothrow) CSystemHistory(); }
    void DeleteSystemHistory(CAbstractSystemHistory* store) override { delete store; }
    CAbstractServices* NewServices() override { return new (std::nothrow) CServicesHistory(); }
    void DeleteServices(CAbstractServices* store) override { delete store; }
    CAbstractNetSettings* NewNetSettings() override { return new (std::nothrow) CNetSettingsBackup(); }
    void DeleteNetSettings(CAbstractNetSettings* store) override { delete store; }
    CAbstractProcess* NewLightProcess() override { return NULL; }
};

}  // namespace

extern "C" {

__declspec(dllexport) CAbstractSSEngineInterface* __cdecl Start()
{
    return new (std::nothrow) TestEngine();
}

__declspec(dllexport) void __cdecl Mid(CAbstractSSEngineInterface* engine)
{
    delete engine;
}

__declspec(dllexport) void __cdecl End(CAbstractSSEngineInterface* engine)
{
    delete engine;
}

}  // extern "C"
