// CClientApp: the program's application object. It owns everything that lives as long as the
// process: the engine's process object, the found-items store, the command-line switches and
// the settings record.
#ifndef VELMORA_FRAME_CLIENT_APP_H
#define VELMORA_FRAME_CLIENT_APP_H

#include <windows.h>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Frame/CommandLineInfoEx.h"
#include "Frame/ProgramSettings.h"

class CClientApp {
public:
    CClientApp();

    // The whole start-up; the main window's modal loop runs inside it. Always FALSE.
    BOOL InitInstance();
    int ExitInstance();

    void LoadSettings();
    void SaveSettings();

    ULONG_PTR m_gdiplusToken;
    CAbstractProcess* m_pProcess;                // never deleted
    CAbstractScanItemsInfo* m_pScanItemsInfo;    // never deleted
    CCommandLineInfoEx m_commandLine;
    SettingsRecord m_settings;
    HCURSOR m_handCursor;
};

extern CClientApp theApp;

#endif
