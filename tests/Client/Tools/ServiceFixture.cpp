// Fixtures of the System Booster's tests (see ServiceFixture.h).
#include "ServiceFixture.h"

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace servicefixture {

namespace {

const char ServiceFolder[] = "C:\\velmora-test-services";

// The test service program, copied from beside the test into the prefix's own drive.
std::string ServiceProgram()
{
    char module[MAX_PATH] = {};
    GetModuleFileNameA(NULL, module, MAX_PATH);
    std::string source = module;
    source = source.substr(0, source.rfind('\\') + 1) + "velmora_test_service.exe";
    const std::string target = std::string(ServiceFolder) + "\\velmora_test_service.exe";
    CreateDirectoryA(ServiceFolder, NULL);
    if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        CopyFileA(source.c_str(), target.c_str(), TRUE);
    return target;
}

std::string Attribute(const std::string& element, const char* name)
{
    const std::regex pattern(std::string(" ") + name + "=\"([^\"]*)\"");
    std::smatch match;
    return std::regex_search(element, match, pattern) ? match[1].str() : std::string();
}

std::string Utf8ToAnsi(const std::string& text)
{
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, NULL, 0);
    if (wide <= 0)
        return text;
    std::wstring w(size_t(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &w[0], wide);
    const int narrow = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, NULL, 0, NULL, NULL);
    std::string out(size_t(narrow > 0 ? narrow : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, &out[0], narrow, NULL, NULL);
    out.resize(out.size() - 1);
    return out;
}

}  // namespace

bool CreateTestService(const std::string& name, const std::string& displayName, DWORD startType, bool run)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return false;
    const std::string program = "\"" + ServiceProgram() + "\"";
    SC_HANDLE service = CreateServiceA(manager, name.c_str(), displayName.c_str(), SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_NORMAL,
                                       program.c_str(), NULL, NULL, NULL, NULL, NULL);
    bool done = service != NULL;
    if (service && run)
        done = StartServiceA(service, 0, NULL) != FALSE;
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return done && (!run || WaitForState(name, SERVICE_RUNNING));
}

DWORD ServiceState(const std::string& name)
{
    DWORD state = 0;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS) : NULL;
    SERVICE_STATUS status = {};
    if (service && QueryServiceStatus(service, &status))
        state = status.dwCurrentState;
    if (service)
        CloseServiceHandle(service);
    if (manager)
        CloseServiceHandle(manager);
    return state;
}

bool WaitForState(const std::string& name, DWORD state, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    do {
        if (ServiceState(name) == state)
            return true;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

int StartValue(const std::string& name)
{
    DWORD value = 0, size = sizeof value;
    const std::string key = "SYSTEM\\CurrentControlSet\\Services\\" + name;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "Start", RRF_RT_REG_DWORD, NULL, &value, &size) !=
        ERROR_SUCCESS)
        return -1;
    return int(value);
}

std::string StoreFileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<StoredService> ReadStore(const std::string& path)
{
    std::vector<StoredService> items;
    const std::string text = StoreFileText(path);
    const std::regex element("<ServiceItem[^>]*>");
    for (std::sregex_iterator it(text.begin(), text.end(), element), end; it != end; ++it) {
        const std::string e = it->str();
        StoredService s;
        s.name = Attribute(e, "Name");
        s.displayName = Utf8ToAnsi(Attribute(e, "DisplayName"));
        s.status = std::atoi(Attribute(e, "Status").c_str());
        s.startupType = std::atoi(Attribute(e, "StartupType").c_str());
        items.push_back(s);
    }
    return items;
}

}  // namespace servicefixture
