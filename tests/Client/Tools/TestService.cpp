// A service program for tests: it runs as whatever service the manager starts it for (one
// program serves every name), reports running at once and stops when asked. Started by hand it
// only says it needs the service control manager.
#include <windows.h>

#include <cstdio>

namespace {

SERVICE_STATUS_HANDLE g_status = NULL;
HANDLE g_stop = NULL;

void Report(DWORD state)
{
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    SetServiceStatus(g_status, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*)
{
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        Report(SERVICE_STOP_PENDING);
        SetEvent(g_stop);
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD argc, char** argv)
{
    g_status = RegisterServiceCtrlHandlerExA(argc ? argv[0] : "", Handler, NULL);
    if (!g_status)
        return;
    Report(SERVICE_RUNNING);
    WaitForSingleObject(g_stop, INFINITE);
    Report(SERVICE_STOPPED);
}

}  // namespace

int main()
{
    g_stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    char empty[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{empty, ServiceMain}, {NULL, NULL}};
    if (!StartServiceCtrlDispatcherA(table)) {
        std::printf("not started by the service control manager (error %lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
