// The engine's factory and the library's exports. Nothing thrown inside the library leaves it:
// a failed construction gives null.
#include "Engine/SSEngineInterface.h"

#include <new>

#include "Engine/SSEngineProcess.h"
#include "Engine/XmlStores.h"

namespace {

template <class T, class... Args>
T* Construct(Args... args)
{
    try {
        return new (std::nothrow) T(args...);
    } catch (...) {
        return nullptr;
    }
}

template <class T>
void Destroy(T* object)
{
    try {
        delete object;
    } catch (...) {
    }
}

}  // namespace

CAbstractProcess* CSSEngineInterface::NewProcess()
{
    return Construct<CSSEngineProcess>(CSSEngineProcess::FullConstruction);
}

CAbstractProcess* CSSEngineInterface::NewLightProcess()
{
    return Construct<CSSEngineProcess>(CSSEngineProcess::LightConstruction);
}

void CSSEngineInterface::DeleteProcess(CAbstractProcess* process) { Destroy(process); }

CAbstractSystemHistory* CSSEngineInterface::NewSystemHistory() { return Construct<CSystemHistory>(); }
void CSSEngineInterface::DeleteSystemHistory(CAbstractSystemHistory* store) { Destroy(store); }

CAbstractServices* CSSEngineInterface::NewServices() { return Construct<CServicesHistory>(); }
void CSSEngineInterface::DeleteServices(CAbstractServices* store) { Destroy(store); }

CAbstractNetSettings* CSSEngineInterface::NewNetSettings() { return Construct<CNetSettingsBackup>(); }
void CSSEngineInterface::DeleteNetSettings(CAbstractNetSettings* store) { Destroy(store); }

// The library's one application object: it holds no engine state, and loading the library has
// no other effect.
class CSSEngineApp {
public:
    CSSEngineApp() {}
};
static CSSEngineApp theEngineApp;

extern "C" {

__declspec(dllexport) CAbstractSSEngineInterface* __cdecl Start()
{
    return Construct<CSSEngineInterface>();
}

__declspec(dllexport) void __cdecl Mid(CAbstractSSEngineInterface* engine)
{
    Destroy(engine);
}

__declspec(dllexport) void __cdecl End(CAbstractSSEngineInterface* engine)
{
    Destroy(engine);
}

}
