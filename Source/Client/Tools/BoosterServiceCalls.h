// CBoosterServiceCalls: the service control manager's calls as the System Booster makes them,
// one virtual function per advapi32 call. The booster makes every call through one object of
// this class, so a test can make some of them fail the way a locked-down machine does (access
// denied) while the others reach the real manager. Each function returns what its advapi32
// call returns, with its error in GetLastError.
#pragma once

#include <windows.h>

class CBoosterServiceCalls {
public:
    virtual ~CBoosterServiceCalls() {}

    // OpenSCManagerA on the local machine's active database.
    virtual SC_HANDLE OpenManager(DWORD access) { return ::OpenSCManagerA(NULL, NULL, access); }
    // EnumServicesStatusA for SERVICE_WIN32 services in every state, from the first.
    virtual BOOL EnumerateServices(SC_HANDLE manager, ENUM_SERVICE_STATUSA* buffer, DWORD size,
                                   DWORD* needed, DWORD* count)
    {
        DWORD resume = 0;
        return ::EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL, buffer, size, needed,
                                     count, &resume);
    }
    virtual SC_HANDLE OpenNamedService(SC_HANDLE manager, const char* name, DWORD access)
    {
        return ::OpenServiceA(manager, name, access);
    }
    virtual BOOL QueryConfig(SC_HANDLE service, QUERY_SERVICE_CONFIGA* config, DWORD size, DWORD* needed)
    {
        return ::QueryServiceConfigA(service, config, size, needed);
    }
    virtual BOOL Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status)
    {
        return ::ControlService(service, control, status);
    }
    // ChangeServiceConfigA of the start type alone: every other setting unchanged.
    virtual BOOL ChangeStartType(SC_HANDLE service, DWORD startType)
    {
        return ::ChangeServiceConfigA(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, NULL,
                                      NULL, NULL, NULL, NULL, NULL, NULL);
    }
    // StartServiceA without arguments.
    virtual BOOL Start(SC_HANDLE service) { return ::StartServiceA(service, 0, NULL); }
};
