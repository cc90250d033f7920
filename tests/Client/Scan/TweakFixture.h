// The 78 tweak values as Windows has them by default and as the optimiser leaves them (speed
// class 0, no probe results), typed here from the product's table; with helpers that plant the
// defaults, remove every value, and read a row back.
#ifndef VELMORA_TESTS_TWEAK_FIXTURE_H
#define VELMORA_TESTS_TWEAK_FIXTURE_H

#include <windows.h>

#include <string>

#include "TweakTestSupport.h"

namespace tweakfixture {

struct Place {
    HKEY root;
    const char* path;   // "{0}" stands for the interface key
};

const Place TcpipParameters = {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Tcpip\\Parameters"};
const Place TcpipInterface = {HKEY_LOCAL_MACHINE,
                              "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{0}"};
const Place AfdParameters = {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Afd\\Parameters"};
const Place InternetSettings = {HKEY_CURRENT_USER,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"};
const Place LanmanServer = {HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\Services\\LanmanServer\\Parameters"};
const Place WorkstationTS = {HKEY_LOCAL_MACHINE,
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\"
                             "NameSpace\\{D6277990-4C6A-11CF-8D87-00AA0060F5BF}"};
const Place Dnscache = {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Dnscache\\Parameters"};
const Place Desktop = {HKEY_CURRENT_USER, "Control Panel\\Desktop"};
const Place MemoryManagement = {HKEY_LOCAL_MACHINE,
                                "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management"};
const Place Winlogon = {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"};
const Place UserExplorer = {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"};
const Place ErrorReporting = {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\PCHealth\\ErrorReporting"};
const Place ExplorerAdvanced = {HKEY_CURRENT_USER,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"};
const Place WindowMetrics = {HKEY_CURRENT_USER, "Control Panel\\Desktop\\WindowMetrics"};
const Place MachineExplorer = {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"};
const Place ExplorerPolicies = {HKEY_CURRENT_USER,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"};
const Place AeDebug = {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug"};
const Place FileSystem = {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\FileSystem"};
const Place SessionManager = {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager"};
const Place PriorityControl = {HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\PriorityControl"};

// "all" rows are opened in the program's own view, "64" rows in the 64-bit one.
const REGSAM ViewAll = ProgramView;
const REGSAM View64 = KEY_WOW64_64KEY;

enum Kind { Dw, Sz, Key };
const long long Absent = -900;
// Apply leaves the row as it was (the probed rows without probe results).
const long long Untouched = -1000;

struct Row {
    const char* name;
    Place place;
    REGSAM view;
    Kind kind;
    long long windowsDefault;
    long long optimal;
};

const Row Rows[78] = {
    {"ArpCacheLife", TcpipParameters, ViewAll, Dw, 120, 1800},  // 0
    {"ArpCacheMinReferencedLife", TcpipParameters, ViewAll, Dw, 600, 3600},  // 1
    {"ArpCacheSize", TcpipParameters, ViewAll, Dw, 62, 200},  // 2
    {"DefaultTTL", TcpipParameters, ViewAll, Dw, 128, 64},  // 3
    {"DisableTaskOffload", TcpipParameters, ViewAll, Dw, 0, 1},  // 4
    {"EnablePMTUBHDetect", TcpipParameters, ViewAll, Dw, 0, 1},  // 5
    {"EnablePMTUDiscovery", TcpipParameters, ViewAll, Dw, 1, 1},  // 6
    {"GlobalMaxTcpWindowSize", TcpipParameters, ViewAll, Dw, 65536, Untouched},  // 7
    {"KeepAliveInterval", TcpipParameters, ViewAll, Dw, 1000, 1000},  // 8
    {"KeepAliveTime", TcpipParameters, ViewAll, Dw, 7200000, 7200000},  // 9
    {"MTU", TcpipInterface, ViewAll, Dw, 1500, Untouched},  // 10
    {"SackOpts", TcpipParameters, ViewAll, Dw, 1, 1},  // 11
    {"SynAttackProtect", TcpipParameters, ViewAll, Dw, 1, 1},  // 12
    {"Tcp1323Opts", TcpipParameters, ViewAll, Dw, 3, 1},  // 13
    {"TcpAckFrequency", TcpipInterface, ViewAll, Dw, 2, 0},  // 14
    {"TCPCongestionControl", TcpipParameters, ViewAll, Dw, 0, 0},  // 15
    {"TcpDelAckTicks", TcpipInterface, ViewAll, Dw, 2, 2},  // 16
    {"TcpFinWait2Delay", TcpipParameters, ViewAll, Dw, 120, 30},  // 17
    {"TCPInitialRtt", TcpipInterface, ViewAll, Dw, 3, 2},  // 18
    {"TcpMaxConnectRetransmissions", TcpipParameters, ViewAll, Dw, 3, 3},  // 19
    {"TcpMaxDataRetransmissions", TcpipParameters, ViewAll, Dw, 2, 5},  // 20
    {"TcpMaxDupAcks", TcpipParameters, ViewAll, Dw, 2, 2},  // 21
    {"TcpNumConnections", TcpipParameters, ViewAll, Dw, 16777214, 16777214},  // 22
    {"TcpTimedWaitDelay", TcpipParameters, ViewAll, Dw, 120, 30},  // 23
    {"TcpUseRFC1122UrgentPointer", TcpipParameters, ViewAll, Dw, 0, 0},  // 24
    {"TcpWindowSize", TcpipInterface, ViewAll, Dw, 65536, Untouched},  // 25
    {"DefaultReceiveWindow", AfdParameters, ViewAll, Dw, 8192, 393216},  // 26
    {"DefaultSendWindow", AfdParameters, ViewAll, Dw, 8192, 131072},  // 27
    {"LargeBufferSize", AfdParameters, ViewAll, Dw, 4096, 32768},  // 28
    {"MediumBufferSize", AfdParameters, ViewAll, Dw, 1504, 12032},  // 29
    {"SmallBufferSize", AfdParameters, ViewAll, Dw, 128, 1024},  // 30
    {"TransmitWorker", AfdParameters, ViewAll, Dw, 16, 16},  // 31
    {"DnsCacheEnabled", InternetSettings, ViewAll, Dw, 1, 1},  // 32
    {"DnsCacheTimeout", InternetSettings, ViewAll, Dw, 3600, 7200},  // 33
    {"KeepAliveTimeout", InternetSettings, ViewAll, Dw, 60000, 300000},  // 34
    {"MaxConnectionsPer1_0Server", InternetSettings, ViewAll, Dw, 4, 8},  // 35
    {"MaxConnectionsPerServer", InternetSettings, ViewAll, Dw, 2, 8},  // 36
    {"ReceiveTimeout", InternetSettings, ViewAll, Dw, 60000, 60000},  // 37
    {"ServerInfoTimeOut", InternetSettings, ViewAll, Dw, 120000, 300000},  // 38
    {"SocketReceiveBufferLength", InternetSettings, ViewAll, Dw, 8192, 65536},  // 39
    {"SocketSendBufferLength", InternetSettings, ViewAll, Dw, 8192, 65536},  // 40
    {"SizReqBuf", LanmanServer, ViewAll, Dw, 4356, 16384},  // 41
    // The key's existence; Apply deletes it.
    {NULL, WorkstationTS, ViewAll, Key, 1, 0},  // 42
    {"UseRawRead", LanmanServer, ViewAll, Dw, 1, 1},  // 43
    {"UseRawWrite", LanmanServer, ViewAll, Dw, 1, 1},  // 44
    {"UseWriteRawData", LanmanServer, ViewAll, Dw, 1, 1},  // 45
    {"AdapterTimeoutCacheTime", Dnscache, ViewAll, Dw, 300, 300},  // 46
    {"CacheHashTableBucketSize", Dnscache, ViewAll, Dw, 10, 10},  // 47
    {"CacheHashTableSize", Dnscache, ViewAll, Dw, 211, 211},  // 48
    {"MaxCacheEntryTtlLimit", Dnscache, ViewAll, Dw, 86400, 86400},  // 49
    {"MaxSOACacheEntryTtlLimit", Dnscache, ViewAll, Dw, 120, 120},  // 50
    {"NegativeCacheTime", Dnscache, ViewAll, Dw, 300, 300},  // 51
    {"NegativeSOACacheTime", Dnscache, ViewAll, Dw, 120, 120},  // 52
    {"NetFailureCacheTime", Dnscache, ViewAll, Dw, 30, 30},  // 53
    {"WaitToKillAppTimeout", Desktop, ViewAll, Sz, Absent, 10000},  // 54
    {"HungAppTimeout", Desktop, ViewAll, Sz, Absent, 3000},  // 55
    {"ClearPageFileAtShutdown", MemoryManagement, ViewAll, Dw, 0, 0},  // 56
    {"AutoEndTasks", Desktop, ViewAll, Sz, Absent, 1},  // 57
    {"AutoRestartShell", Winlogon, View64, Dw, 1, 1},  // 58
    {"DesktopProcess", UserExplorer, ViewAll, Dw, Absent, 1},  // 59
    {"DoReport", ErrorReporting, View64, Dw, Absent, 0},  // 60
    {"ShowUI", ErrorReporting, View64, Dw, Absent, 0},  // 61
    {"ListviewAlphaSelect", ExplorerAdvanced, ViewAll, Dw, 1, 0},  // 62
    {"TaskbarAnimations", ExplorerAdvanced, ViewAll, Dw, 1, 0},  // 63
    {"MinAnimate", WindowMetrics, ViewAll, Sz, 1, 0},  // 64
    {"DesktopLivePreviewHoverTime", ExplorerAdvanced, ViewAll, Dw, Absent, 0},  // 65
    {"ForegroundLockTimeout", Desktop, ViewAll, Dw, 200000, 0},  // 66
    {"Max Cached Icons", MachineExplorer, View64, Sz, 500, 2000},  // 67
    {"MenuShowDelay", Desktop, ViewAll, Sz, 400, 0},  // 68
    {"ExtendedUIHoverTime", ExplorerAdvanced, ViewAll, Dw, Absent, 0},  // 69
    {"NoDriveTypeAutoRun", ExplorerPolicies, ViewAll, Dw, 145, 221},  // 70
    {"Auto", AeDebug, View64, Sz, Absent, 0},  // 71
    {"IoPageLockLimit", MemoryManagement, ViewAll, Dw, Absent, 134217728},  // 72
    // Before Windows 10 build 17134 (the test prefix is a Windows 7).
    {"NtfsDisableLastAccessUpdate", FileSystem, ViewAll, Dw, 1, 1},  // 73
    {"NoLowDiskSpaceChecks", ExplorerPolicies, ViewAll, Dw, Absent, 1},  // 74
    {"AutoChkTimeOut", SessionManager, ViewAll, Dw, 8, 5},  // 75
    {"Win32PrioritySeparation", PriorityControl, ViewAll, Dw, 2, 38},  // 76
    {"Disablepagingexecutive", MemoryManagement, ViewAll, Dw, 0, 1},  // 77
};

// The interface key the fixture's per-interface rows live under.
const char AdapterKey[] = "{5C3D9A10-7E42-4B1F-9C21-3A8E0F6B7D11}";

inline std::string PathOf(const Row& row)
{
    std::string path = row.place.path;
    size_t at = path.find("{0}");
    if (at != std::string::npos)
        path.replace(at, 3, AdapterKey);
    return path;
}

// The value a row's number is stored as.
inline StoredValue Stored(const Row& row, long long number)
{
    if (number == Absent)
        return StoredValue();
    if (row.kind == Sz)
        return Text(std::to_string(number));
    return Dword(static_cast<DWORD>(number));
}

// The text the workstation task scheduler key holds in the fixture.
const char WorkstationTSText[] = "Workstation task scheduler";

// What the registry holds for a row now; the key row reads as its unnamed value, or as REG_NONE
// when the key is missing.
inline StoredValue Current(const Row& row)
{
    if (row.kind == Key) {
        if (!KeyExists(row.place.root, PathOf(row), row.view))
            return StoredValue{REG_NONE, "missing key"};
        return ReadStored(row.place.root, PathOf(row), NULL, row.view);
    }
    return ReadStored(row.place.root, PathOf(row), row.name, row.view);
}

// Every value removed (the key row's key too).
inline void RemoveAll()
{
    for (const Row& row : Rows) {
        if (row.kind == Key)
            RegDeleteKeyExA(row.place.root, PathOf(row).c_str(), row.view, 0);
        else
            DeleteStored(row.place.root, PathOf(row), row.name, row.view);
    }
}

// Every row at its Windows default: absent values removed, the key with its text.
inline bool PlantDefaults()
{
    RemoveAll();
    for (const Row& row : Rows) {
        bool written;
        if (row.kind == Key)
            written = WriteStored(row.place.root, PathOf(row), NULL, row.view, Text(WorkstationTSText));
        else if (row.windowsDefault == Absent)
            written = true;
        else
            written = WriteStored(row.place.root, PathOf(row), row.name, row.view,
                                  Stored(row, row.windowsDefault));
        if (!written)
            return false;
    }
    return true;
}

}  // namespace tweakfixture

#endif
