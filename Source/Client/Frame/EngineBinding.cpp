// Loading the engine library and the process-wide engine interface.
#include "Frame/EngineBinding.h"

#include "Skin/MsgBoxDlg.h"
#include "Framework/ProcAddress.h"

namespace {

HMODULE g_engineModule = NULL;
CAbstractSSEngineInterface* g_engineInterface = NULL;

const int InstallIdHashEnds = 10;
const int InstallIdLength = 15;

}  // namespace

CString FormatEngineLoadError(DWORD errorCode)
{
    CString text;
    text.Format("Module '%s' failed to load.\nError code: '%d'", ENGINE_MODULE_NAME,
                static_cast<int>(errorCode));
    return text;
}

int LoadEngineLibrary()
{
    g_engineModule = LoadLibraryA(ENGINE_MODULE_NAME);
    DWORD errorCode = g_engineModule ? 0 : GetLastError();
    CAbstractSSEngineInterface* engine = NULL;
    if (g_engineModule) {
        EngineStartFunction start = GetProcAddressAs<EngineStartFunction>(g_engineModule, "Start");
        if (start)
            engine = start();
    }
    g_engineInterface = engine;
    if (g_engineModule && g_engineInterface)
        return 1;
    ShowMessageBox(NULL, FormatEngineLoadError(errorCode), MessageBoxOk, FALSE);
    return 0;
}

CAbstractSSEngineInterface* GetEngineInterface()
{
    return g_engineInterface;
}

CString BuildInstallId(CAbstractProcess* process, const CString& path)
{
    CString id;
    if (!process)
        return id;
    CString hash;
    // A file that cannot be read hashes to an empty text; an id made from it would be the same
    // for every such machine, so there is none.
    if (!process->HashFile(path, &hash) || hash.IsEmpty())
        return id;
    CString ends = hash.Left(InstallIdHashEnds) + "-" + hash.Right(InstallIdHashEnds);
    CString digest;
    process->HashStringEx(ends, &digest);
    return digest.Left(InstallIdLength);
}
