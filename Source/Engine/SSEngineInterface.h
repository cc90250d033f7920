// CSSEngineInterface: the factory the export Start hands out. It keeps no state: any instance
// may delete what another created.
#ifndef TARNEX_SS_ENGINE_INTERFACE_H
#define TARNEX_SS_ENGINE_INTERFACE_H

#include "Engine/Interfaces/EngineInterfaces.h"

class CSSEngineInterface : public CAbstractSSEngineInterface {
public:
    CAbstractProcess* NewProcess() override;
    void DeleteProcess(CAbstractProcess* process) override;
    CAbstractSystemHistory* NewSystemHistory() override;
    void DeleteSystemHistory(CAbstractSystemHistory* store) override;
    CAbstractServices* NewServices() override;
    void DeleteServices(CAbstractServices* store) override;
    CAbstractNetSettings* NewNetSettings() override;
    void DeleteNetSettings(CAbstractNetSettings* store) override;
    CAbstractProcess* NewLightProcess() override;
};

#endif
