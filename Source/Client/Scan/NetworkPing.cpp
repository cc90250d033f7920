// The pings of the network probes: through WMI's ping class where the system has it, else
// through the ICMP echo functions, which are looked up at run time so that a system without
// them still starts the program.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <icmpapi.h>
#include <wbemcli.h>

#include "Scan/NetworkPing.h"

#include <atomic>
#include <vector>

#include "Framework/ComPtr.h"
#include "Framework/ProcAddress.h"
#include "Framework/TextCodePage.h"

namespace {

// --- WMI ---------------------------------------------------------------------------------------

// A BSTR of an ANSI text, freed when it goes out of scope.
class WideText {
public:
    explicit WideText(const char* text) : m_text(NULL)
    {
        std::wstring wide;
        if (TextToWide(text, -1, CP_ACP, TextStrictness::Lenient, wide))
            m_text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    ~WideText() { SysFreeString(m_text); }
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;
    BSTR Get() const { return m_text; }

private:
    BSTR m_text;
};

// Connects to the root\cimv2 namespace; 0 with the failure's text otherwise.
int ConnectToCimv2(CComPtr<IWbemLocator>& locator, CComPtr<IWbemServices>& services,
                   CString& errorText)
{
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, NULL, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.OutVoid()))) {
        errorText = "Instantiation of IWbemLocator failed";
        return 0;
    }
    WideText space("root\\cimv2");
    if (FAILED(locator->ConnectServer(space.Get(), NULL, NULL, NULL,
                                      WBEM_FLAG_CONNECT_USE_MAX_WAIT, NULL, NULL, services.Out()))) {
        errorText = "Couldn't connect to service";
        return 0;
    }
    return 1;
}

// A property of the answer as a 32-bit integer: 1 when it was read and is not null, with the
// failure's text otherwise (nullText for a null value).
int GetIntProperty(IWbemClassObject* object, const wchar_t* name, int& out, CString& errorText)
{
    VARIANT value;
    VariantInit(&value);
    if (FAILED(object->Get(name, 0, &value, NULL, NULL))) {
        errorText = "IWbemClassObject::Get failed";
        return 0;
    }
    int read = 0;
    if (value.vt == VT_NULL || value.vt == VT_EMPTY) {
        errorText = "Variant returned NULL";
    } else if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4))) {
        out = value.lVal;
        read = 1;
    } else {
        errorText = "IWbemClassObject::Get failed";
    }
    VariantClear(&value);
    return read;
}

// Whether WMI knows the ping class (it is missing from some systems' WMI).
bool WmiHasPingClass()
{
    // The calling thread may have no apartment yet; a multithreaded one is entered for the test.
    HRESULT entered = CoInitializeEx(NULL, COINIT_MULTITHREADED);
    bool found = false;
    {
        CComPtr<IWbemLocator> locator;
        CComPtr<IWbemServices> services;
        CString errorText;
        if (ConnectToCimv2(locator, services, errorText)) {
            WideText className("Win32_PingStatus");
            CComPtr<IWbemClassObject> pingClass;
            found = SUCCEEDED(services->GetObject(className.Get(), 0, NULL, pingClass.Out(), NULL)) &&
                    pingClass.Get();
        }
    }
    if (SUCCEEDED(entered))
        CoUninitialize();
    return found;
}

// --- ICMP --------------------------------------------------------------------------------------

typedef HANDLE(WINAPI* IcmpCreateFileFunction)();
typedef BOOL(WINAPI* IcmpCloseHandleFunction)(HANDLE);
typedef DWORD(WINAPI* IcmpSendEchoFunction)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION,
                                            LPVOID, DWORD, DWORD);

struct IcmpFunctions {
    IcmpCreateFileFunction createFile = nullptr;
    IcmpCloseHandleFunction closeHandle = nullptr;
    IcmpSendEchoFunction sendEcho = nullptr;
    bool Complete() const { return createFile && closeHandle && sendEcho; }
};

// The echo functions from the first library that has all three; the library stays loaded for
// the run.
const IcmpFunctions& FindIcmpFunctions()
{
    static const IcmpFunctions functions = [] {
        for (const char* library : {"iphlpapi.dll", "icmp.dll"}) {
            HMODULE module = LoadLibraryA(library);
            IcmpFunctions found;
            found.createFile = GetProcAddressAs<IcmpCreateFileFunction>(module, "IcmpCreateFile");
            found.closeHandle = GetProcAddressAs<IcmpCloseHandleFunction>(module, "IcmpCloseHandle");
            found.sendEcho = GetProcAddressAs<IcmpSendEchoFunction>(module, "IcmpSendEcho");
            if (found.Complete())
                return found;
            if (module)
                FreeLibrary(module);
        }
        return IcmpFunctions();
    }();
    return functions;
}

// The payload sent when no size is asked for.
const WORD DefaultEchoBytes = 32;
// The longest wait for one echo's answer.
const DWORD EchoTimeoutMs = 1000;
// The largest payload an echo may carry.
const int LargestEchoBytes = 65500;

// The IPv4 address of a dotted text or a host name; 0 when it has none.
bool ResolveIPv4(const char* address, IPAddr& out)
{
    unsigned long dotted = inet_addr(address);
    if (dotted != INADDR_NONE || lstrcmpA(address, "255.255.255.255") == 0) {
        out = dotted;
        return true;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0)
        return false;
    bool resolved = false;
    hostent* host = gethostbyname(address);
    if (host && host->h_addrtype == AF_INET && host->h_addr_list && host->h_addr_list[0]) {
        memcpy(&out, host->h_addr_list[0], sizeof out);
        resolved = true;
    }
    WSACleanup();
    return resolved;
}

int DefaultPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
                int* responseTime)
{
    return SystemPing(address, errorText, bufferSize, statusCode, responseTime);
}

std::atomic<PingFunction> s_ping{DefaultPing};

}  // namespace

int WmiPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
            int* responseTime)
{
    *responseTime = -1;
    CComPtr<IWbemLocator> locator;
    CComPtr<IWbemServices> services;
    if (!ConnectToCimv2(locator, services, errorText))
        return 0;

    CString query;
    if (bufferSize == -1)
        query.Format("SELECT * FROM Win32_PingStatus WHERE Address='%s'", address);
    else
        query.Format("SELECT * FROM Win32_PingStatus WHERE Address='%s' AND BufferSize = %d AND "
                     "NoFragmentation = TRUE",
                     address, bufferSize);
    WideText language("WQL");
    WideText text(query);
    CComPtr<IEnumWbemClassObject> answers;
    if (FAILED(services->ExecQuery(language.Get(), text.Get(),
                                   WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, NULL,
                                   answers.Out()))) {
        errorText = "Query failed";
        return 0;
    }

    // The answer may take a while: the wait doubles from 1 ms up to a last one of 2048 ms, and
    // an answer still missing then counts as none.
    CComPtr<IWbemClassObject> answer;
    ULONG returned = 0;
    for (LONG waitMs = 1;; waitMs *= 2) {
        HRESULT next = answers->Next(waitMs, 1, answer.Out(), &returned);
        if (next == WBEM_S_TIMEDOUT && waitMs < 2048)
            continue;
        if (FAILED(next)) {
            errorText = "Error in iterating through enumeration";
            return 0;
        }
        break;
    }
    if (returned == 0 || !answer.Get()) {
        errorText = "Enumeration empty";
        return 1;
    }
    int status = 0;
    if (!GetIntProperty(answer.Get(), L"StatusCode", status, errorText))
        return 0;
    *statusCode = status;
    if (status == 0) {
        int time = 0;
        CString ignored;
        if (GetIntProperty(answer.Get(), L"ResponseTime", time, ignored))
            *responseTime = time;
    }
    return 1;
}

int IcmpPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
             int* responseTime)
{
    *responseTime = -1;
    const IcmpFunctions& icmp = FindIcmpFunctions();
    if (!icmp.Complete()) {
        errorText = "ICMP echo functions not found";
        return 0;
    }
    if (bufferSize < -1 || bufferSize > LargestEchoBytes) {
        errorText = "Invalid buffer size";
        return 0;
    }
    IPAddr target = 0;
    if (!ResolveIPv4(address, target)) {
        errorText = "Couldn't resolve address";
        return 0;
    }
    HANDLE echo = icmp.createFile();
    if (echo == INVALID_HANDLE_VALUE || !echo) {
        errorText = "IcmpCreateFile failed";
        return 0;
    }

    const WORD payloadBytes = bufferSize == -1 ? DefaultEchoBytes : static_cast<WORD>(bufferSize);
    std::vector<BYTE> payload(payloadBytes ? payloadBytes : 1, 'a');
    // Room for the answer, its own copy of the payload and an ICMP error's header.
    std::vector<BYTE> reply(sizeof(ICMP_ECHO_REPLY) + payloadBytes + 8 + 64);
    IP_OPTION_INFORMATION options = {};
    options.Ttl = 128;
    options.Flags = IP_FLAG_DF;
    DWORD replies = icmp.sendEcho(echo, target, payload.data(), payloadBytes,
                                  bufferSize == -1 ? NULL : &options, reply.data(),
                                  static_cast<DWORD>(reply.size()), EchoTimeoutMs);
    DWORD error = replies ? ERROR_SUCCESS : GetLastError();
    icmp.closeHandle(echo);

    const ICMP_ECHO_REPLY* answer = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data());
    if (replies) {
        *statusCode = static_cast<int>(answer->Status);
        if (answer->Status == IP_SUCCESS)
            *responseTime = static_cast<int>(answer->RoundTripTime);
        return 1;
    }
    // No answer: an IP status (time-out, too big, unreachable) is the ping's outcome; anything
    // else is the transport's own failure.
    if (error >= IP_STATUS_BASE && error <= IP_GENERAL_FAILURE) {
        *statusCode = static_cast<int>(error);
        return 1;
    }
    if (answer->Status >= IP_STATUS_BASE && answer->Status <= IP_GENERAL_FAILURE) {
        *statusCode = static_cast<int>(answer->Status);
        return 1;
    }
    errorText.Format("IcmpSendEcho failed with error %lu", error);
    return 0;
}

PingTransport ChoosePingTransport()
{
    static std::atomic<int> chosen{-1};
    int transport = chosen.load();
    if (transport < 0) {
        if (WmiHasPingClass())
            transport = PingTransportWmi;
        else if (FindIcmpFunctions().Complete())
            transport = PingTransportIcmp;
        else
            transport = PingTransportNone;
        chosen.store(transport);
    }
    return static_cast<PingTransport>(transport);
}

int SystemPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
               int* responseTime)
{
    switch (ChoosePingTransport()) {
    case PingTransportWmi:
        return WmiPing(address, errorText, bufferSize, statusCode, responseTime);
    case PingTransportIcmp:
        return IcmpPing(address, errorText, bufferSize, statusCode, responseTime);
    default:
        *responseTime = -1;
        errorText = "No ping transport";
        return 0;
    }
}

int SendPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
             int* responseTime)
{
    return s_ping.load()(address, errorText, bufferSize, statusCode, responseTime);
}

PingFunction SetPingFunction(PingFunction ping)
{
    return s_ping.exchange(ping ? ping : DefaultPing);
}
