// The interface that routes to the internet, its gateway, and the probes' public host.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "Scan/NetworkRoute.h"

#include <vector>

#include "Framework/TextCodePage.h"

const char TweakProbeHostName[] = "www.velmora.com";
const char TweakProbeHostAddress[] = "198.51.100.20";

namespace {

// Kept for the run. The first lookup runs on the internet scan's worker, later ones on the GUI
// thread after the worker has ended, so the two never overlap.
CString s_adapterKey;
DWORD s_adapterIndex = static_cast<DWORD>(-1);
bool s_adapterPinned = false;

CString NarrowText(const WCHAR* text)
{
    CString narrow;
    WideToText(text, -1, CP_ACP, TextStrictness::Lenient, narrow);
    return narrow;
}

// The name GetInterfaceInfo gives the interface with that index; empty when none has it.
CString InterfaceName(DWORD index)
{
    ULONG size = 0;
    if (GetInterfaceInfo(NULL, &size) != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return CString();
    std::vector<BYTE> buffer(size);
    IP_INTERFACE_INFO* info = reinterpret_cast<IP_INTERFACE_INFO*>(buffer.data());
    if (GetInterfaceInfo(info, &size) != NO_ERROR)
        return CString();
    for (LONG i = 0; i < info->NumAdapters; ++i)
        if (info->Adapter[i].Index == index)
            return NarrowText(info->Adapter[i].Name);
    return CString();
}

}  // namespace

CString GetAdapterKey(int refresh)
{
    if (s_adapterPinned)
        return s_adapterKey;
    if (!s_adapterKey.IsEmpty() && !refresh)
        return s_adapterKey;
    s_adapterKey.Empty();
    DWORD index = 0;
    if (GetBestInterface(inet_addr(TweakProbeHostAddress), &index) != NO_ERROR)
        return CString();
    s_adapterIndex = index;
    CString name = InterfaceName(index);
    // The name ends in the interface GUID in braces, the key's name.
    int brace = name.Find('{');
    if (brace > 0)
        name = name.Mid(brace);
    s_adapterKey = name;
    return s_adapterKey;
}

DWORD GetAdapterIndex()
{
    return s_adapterIndex;
}

void SetAdapterKeyForTesting(const char* key, DWORD index)
{
    s_adapterPinned = key != NULL;
    s_adapterKey = key;
    s_adapterIndex = key ? index : static_cast<DWORD>(-1);
}

CString GetDefaultGateway()
{
    CString gateway;
    ULONG size = 0;
    if (GetAdaptersInfo(NULL, &size) == ERROR_BUFFER_OVERFLOW && size > 0) {
        std::vector<BYTE> buffer(size);
        IP_ADAPTER_INFO* adapters = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
        if (GetAdaptersInfo(adapters, &size) == NO_ERROR) {
            if (GetAdapterIndex() == static_cast<DWORD>(-1))
                GetAdapterKey(0);
            for (IP_ADAPTER_INFO* adapter = adapters; adapter; adapter = adapter->Next)
                if (adapter->Index == GetAdapterIndex()) {
                    gateway = adapter->GatewayList.IpAddress.String;
                    break;
                }
        }
    }
    if (gateway == "0.0.0.0")
        gateway = ResolveHostAddress();
    if (gateway.IsEmpty())
        gateway = TweakProbeHostAddress;
    return gateway;
}

CString ResolveHostAddress()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0)
        return CString();
    CString address;
    hostent* host = gethostbyname(TweakProbeHostName);
    if (host && host->h_addrtype == AF_INET && host->h_addr_list && host->h_addr_list[0]) {
        in_addr first;
        memcpy(&first, host->h_addr_list[0], sizeof first);
        address = inet_ntoa(first);
    }
    WSACleanup();
    return address;
}
