// Fixtures of the System Booster's tests: services registered with the prefix's real service
// control manager under the booster table's names, all run by the small test service program;
// what the manager and the registry say of a service afterwards; and the services store's file
// read back as its records.
#ifndef VELMORA_TESTS_SERVICE_FIXTURE_H
#define VELMORA_TESTS_SERVICE_FIXTURE_H

#include <windows.h>

#include <string>
#include <vector>

namespace servicefixture {

// Registers name to run the test service program (copied once into a folder of the prefix)
// with this start type, and starts it and waits until it runs when run is set.
bool CreateTestService(const std::string& name, const std::string& displayName, DWORD startType,
                       bool run = false);
// The service's current state (SERVICE_RUNNING, ...), or 0 when it cannot be queried.
DWORD ServiceState(const std::string& name);
bool WaitForState(const std::string& name, DWORD state, DWORD timeoutMs = 10000);
// The "Start" value of the service's registry key, or -1 without one.
int StartValue(const std::string& name);

// One "ServiceItem" of the store's file, as written.
struct StoredService {
    std::string name, displayName;
    int status = 0, startupType = 0;
};
// Every "ServiceItem" of the file in order (display names converted back from UTF-8 to the
// ANSI code page); empty for a missing file.
std::vector<StoredService> ReadStore(const std::string& path);
std::string StoreFileText(const std::string& path);

}  // namespace servicefixture

#endif
