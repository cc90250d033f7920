// The 78 tweak rows and their categories.
#include "Scan/TweakDefinitions.h"

#include <math.h>

#include "Engine/Interfaces/EngineInterfaces.h"

namespace {

const char TcpipParameters[] =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const char TcpipInterface[] =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{0}";
const char AfdParameters[] =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Afd\\Parameters";
const char InternetSettings[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char LanmanServerParameters[] =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\LanmanServer\\Parameters";
const char WorkstationTSKey[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\{D6277990-4C6A-11CF-8D87-00AA0060F5BF}";
const char DnscacheParameters[] =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Dnscache\\Parameters";
const char ControlPanelDesktop[] =
    "HKEY_CURRENT_USER\\Control Panel\\Desktop";
const char MemoryManagement[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
const char Winlogon[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char UserExplorer[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char ErrorReporting[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\PCHealth\\ErrorReporting";
const char ExplorerAdvanced[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
const char WindowMetrics[] =
    "HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics";
const char MachineExplorer[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char ExplorerPolicies[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char AeDebug[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
const char FileSystem[] =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\FileSystem";
const char SessionManager[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char PriorityControl[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl";

}  // namespace

const TweakDefinition TweakDefinitionTable[TweakRowCount] = {
    /*  0 */ {"ArpCacheLife", "ARP Cache Life", TcpipParameters, "TCP/IP",
              "How long, in seconds, an entry stays in the ARP cache.", "all", "dwrd"},
    /*  1 */ {"ArpCacheMinReferencedLife", "ARP Cache Min Referenced Life", TcpipParameters, "TCP/IP",
              "How long, in seconds, a referenced entry stays in the ARP cache.", "all", "dwrd"},
    /*  2 */ {"ArpCacheSize", "ARP Cache Size", TcpipParameters, "TCP/IP",
              "The number of entries the ARP cache holds.", "all", "dwrd"},
    /*  3 */ {"DefaultTTL", "Default TTL", TcpipParameters, "TCP/IP",
              "The time to live set in the header of outgoing IP packets.", "all", "dwrd"},
    /*  4 */ {"DisableTaskOffload", "Disable Task Offload", TcpipParameters, "TCP/IP",
              "Disables  all of the task offloads from the TCP/IP transport.", "all", "dwrd"},
    /*  5 */ {"EnablePMTUBHDetect", "Enable PMTU BH Detect", TcpipParameters, "TCP/IP",
              "Lets TCP find routers that silently drop packets too large for them.", "all", "dwrd"},
    /*  6 */ {"EnablePMTUDiscovery", "Enable PMTU Discovery", TcpipParameters, "TCP/IP",
              "Lets TCP find the largest packet size a path carries.", "all", "dwrd"},
    /*  7 */ {"GlobalMaxTcpWindowSize", "Global Max TCP Window Size", TcpipParameters, "TCP/IP",
              "The largest TCP receive window offered on any connection.", "all", "dwrd"},
    /*  8 */ {"KeepAliveInterval", "Keep Alive Interval", TcpipParameters, "TCP/IP",
              "The interval between keep-alive retransmissions while no answer arrives.", "all", "dwrd"},
    /*  9 */ {"KeepAliveTime", "Keep Alive Time", TcpipParameters, "TCP/IP",
              "How long an idle connection waits before TCP sends a keep-alive packet.", "all", "dwrd"},
    /* 10 */ {"MTU", "Max MTU", TcpipInterface, "TCP/IP",
              "The largest packet size sent over the network interface.", "all", "dwrd"},
    /* 11 */ {"SackOpts", "SACK Enabled", TcpipParameters, "TCP/IP",
              "Enables selective acknowledgements of received TCP segments.", "all", "dwrd"},
    /* 12 */ {"SynAttackProtect", "SYN Attack Protect", TcpipParameters, "TCP/IP",
              "Protects the computer against floods of unanswered connection requests.", "all", "dwrd"},
    /* 13 */ {"Tcp1323Opts", "1323 Opts", TcpipParameters, "TCP/IP",
              "Enables TCP window scaling and time stamps.", "all", "dwrd"},
    /* 14 */ {"TcpAckFrequency", "ACK Frequency", TcpipInterface, "TCP/IP",
              "The number of TCP segments received before an acknowledgement is sent.", "all", "dwrd"},
    /* 15 */ {"TCPCongestionControl", "Congestion Control", TcpipParameters, "TCP/IP",
              "Selects the congestion control algorithm of TCP.", "all", "dwrd"},
    /* 16 */ {"TcpDelAckTicks", "Del ACK Ticks", TcpipInterface, "TCP/IP",
              "The delay before a delayed acknowledgement is sent.", "all", "dwrd"},
    /* 17 */ {"TcpFinWait2Delay", "Fin Wait Delay", TcpipParameters, "TCP/IP",
              "How long a closed connection stays in the FIN_WAIT_2 state.", "all", "dwrd"},
    /* 18 */ {"TCPInitialRtt", "Initial RTT", TcpipInterface, "TCP/IP",
              "The round-trip time TCP assumes for a new connection.", "all", "dwrd"},
    /* 19 */ {"TcpMaxConnectRetransmissions", "Max Connect Retransmissions", TcpipParameters, "TCP/IP",
              "How often a connection request is sent again before TCP gives up.", "all", "dwrd"},
    /* 20 */ {"TcpMaxDataRetransmissions", "Max Data Retransmissions", TcpipParameters, "TCP/IP",
              "How often unacknowledged data is sent again before TCP gives up.", "all", "dwrd"},
    /* 21 */ {"TcpMaxDupAcks", "Max Dup ACKs", TcpipParameters, "TCP/IP",
              "The number of duplicate acknowledgements that start a fast retransmit.", "all", "dwrd"},
    /* 22 */ {"TcpNumConnections", "Num Connections", TcpipParameters, "TCP/IP",
              "The largest number of TCP connections open at one time.", "all", "dwrd"},
    /* 23 */ {"TcpTimedWaitDelay", "Timed Wait Delay", TcpipParameters, "TCP/IP",
              "How long a closed connection stays in the TIME_WAIT state.", "all", "dwrd"},
    /* 24 */ {"TcpUseRFC1122UrgentPointer", "Use RFC1122 Urgent Pointer", TcpipParameters, "TCP/IP",
              "Makes TCP treat urgent data as the old RFC 1122 rules describe.", "all", "dwrd"},
    /* 25 */ {"TcpWindowSize", "TCP Window Size", TcpipInterface, "TCP/IP",
              "The TCP receive window offered on connections of the network interface.", "all", "dwrd"},
    /* 26 */ {"DefaultReceiveWindow", "Default Receive Window", AfdParameters, "WinSock",
              "The receive buffer a new socket gets.", "all", "dwrd"},
    /* 27 */ {"DefaultSendWindow", "Default Send Window", AfdParameters, "WinSock",
              "The send buffer a new socket gets.", "all", "dwrd"},
    /* 28 */ {"LargeBufferSize", "Large Buffer Size", AfdParameters, "WinSock",
              "The size of the large buffers of the socket driver.", "all", "dwrd"},
    /* 29 */ {"MediumBufferSize", "Medium Buffer Size", AfdParameters, "WinSock",
              "The size of the medium buffers of the socket driver.", "all", "dwrd"},
    /* 30 */ {"SmallBufferSize", "Small Buffer Size", AfdParameters, "WinSock",
              "The size of the small buffers of the socket driver.", "all", "dwrd"},
    /* 31 */ {"TransmitWorker", "Transmit Worker", AfdParameters, "WinSock",
              "The number of worker threads that send socket data.", "all", "dwrd"},
    /* 32 */ {"DnsCacheEnabled", "DNS Cache Enabled", InternetSettings, "Internet Explorer",
              "Lets the browser keep resolved host names in a cache.", "all", "dwrd"},
    /* 33 */ {"DnsCacheTimeout", "DNS Cache Timeout", InternetSettings, "Internet Explorer",
              "How long the browser keeps a resolved host name.", "all", "dwrd"},
    /* 34 */ {"KeepAliveTimeout", "KeepAlive Timeout", InternetSettings, "Internet Explorer",
              "How long the browser keeps an idle connection open.", "all", "dwrd"},
    /* 35 */ {"MaxConnectionsPer1_0Server", "Max Connections Per 1_0 Server", InternetSettings, "Internet Explorer",
              "The number of connections the browser opens to one HTTP 1.0 server.", "all", "dwrd"},
    /* 36 */ {"MaxConnectionsPerServer", "Max Connections Per Server", InternetSettings, "Internet Explorer",
              "The number of connections the browser opens to one server.", "all", "dwrd"},
    /* 37 */ {"ReceiveTimeout", "Receive Timeout", InternetSettings, "Internet Explorer",
              "How long the browser waits for a server to answer.", "all", "dwrd"},
    /* 38 */ {"ServerInfoTimeOut", "Server Info Timeout", InternetSettings, "Internet Explorer",
              "How long the browser waits for information about a server.", "all", "dwrd"},
    /* 39 */ {"SocketReceiveBufferLength", "Socket Receive Buffer Length", InternetSettings, "Internet Explorer",
              "The receive buffer of the browser's sockets.", "all", "dwrd"},
    /* 40 */ {"SocketSendBufferLength", "Socket Send Buffer Length", InternetSettings, "Internet Explorer",
              "The send buffer of the browser's sockets.", "all", "dwrd"},
    /* 41 */ {"SizReqBuf", "Request Buffer Size", LanmanServerParameters, "Workstation",
              "The size of the buffer the server service reads requests into.", "all", "dwrd"},
    /* 42 */ {"WorkstationTS", "Use Network Task Scheduler", WorkstationTSKey, "Workstation",
              "Determines weather to use workstation task scheduler.", "all", "dwrd"},
    /* 43 */ {"UseRawRead", "Use Raw Read", LanmanServerParameters, "Workstation",
              "Lets the server service accept raw reads.", "all", "dwrd"},
    /* 44 */ {"UseRawWrite", "Use Raw Write", LanmanServerParameters, "Workstation",
              "Lets the server service accept raw writes.", "all", "dwrd"},
    /* 45 */ {"UseWriteRawData", "Use Write Raw Data", LanmanServerParameters, "Workstation",
              "Lets the server service write raw data.", "all", "dwrd"},
    /* 46 */ {"AdapterTimeoutCacheTime", "Adapter Timeout Time", DnscacheParameters, "DNS Cache",
              "How long the DNS cache keeps an adapter's time-out.", "all", "dwrd"},
    /* 47 */ {"CacheHashTableBucketSize", "Hash Table Bucket Size", DnscacheParameters, "DNS Cache",
              "The number of entries in one bucket of the DNS cache.", "all", "dwrd"},
    /* 48 */ {"CacheHashTableSize", "Hash Table Size", DnscacheParameters, "DNS Cache",
              "The number of buckets in the DNS cache.", "all", "dwrd"},
    /* 49 */ {"MaxCacheEntryTtlLimit", "Max Entry TTL Limit", DnscacheParameters, "DNS Cache",
              "The longest time the DNS cache keeps an answer.", "all", "dwrd"},
    /* 50 */ {"MaxSOACacheEntryTtlLimit", "Max SOA Entry TTL Limit", DnscacheParameters, "DNS Cache",
              "The longest time the DNS cache keeps a start of authority answer.", "all", "dwrd"},
    /* 51 */ {"NegativeCacheTime", "Negative Time", DnscacheParameters, "DNS Cache",
              "How long the DNS cache keeps a failed lookup.", "all", "dwrd"},
    /* 52 */ {"NegativeSOACacheTime", "Negative SOA Time", DnscacheParameters, "DNS Cache",
              "How long the DNS cache keeps a failed start of authority lookup.", "all", "dwrd"},
    /* 53 */ {"NetFailureCacheTime", "Net Failure Time", DnscacheParameters, "DNS Cache",
              "How long the DNS cache waits after a network failure.", "all", "dwrd"},
    /* 54 */ {"WaitToKillAppTimeout", "Wait To Kill App Timeout", ControlPanelDesktop, "StartShutdown",
              "How long Windows waits for programs to close at shutdown.", "all", "str"},
    /* 55 */ {"HungAppTimeout", "Hung App Timeout", ControlPanelDesktop, "StartShutdown",
              "How long Windows waits before it treats a program as not responding.", "all", "str"},
    /* 56 */ {"ClearPageFileAtShutdown", "Clear Page File At Shutdown", MemoryManagement, "StartShutdown",
              "Clears the page file each time Windows shuts down.", "all", "dwrd"},
    /* 57 */ {"AutoEndTasks", "Auto End Tasks", ControlPanelDesktop, "SystemStability",
              "Ends programs that do not respond at shutdown without asking.", "all", "str"},
    /* 58 */ {"AutoRestartShell", "Auto Restart Explorer", Winlogon, "SystemStability",
              "Restarts the desktop shell when it stops.", "64", "dwrd"},
    /* 59 */ {"DesktopProcess", "Separate Explorer Components", UserExplorer, "SystemStability",
              "Runs the desktop and the folder windows in processes of their own.", "all", "dwrd"},
    /* 60 */ {"DoReport", "Do Report", ErrorReporting, "DisplaySpeed",
              "Reports program errors to the maker of Windows.", "64", "dwrd"},
    /* 61 */ {"ShowUI", "Show UI", ErrorReporting, "DisplaySpeed",
              "Shows the error report window when a program fails.", "64", "dwrd"},
    /* 62 */ {"ListviewAlphaSelect", "Alpha Select/Animations", ExplorerAdvanced, "DisplaySpeed",
              "Draws a translucent selection rectangle in folder windows.", "all", "dwrd"},
    /* 63 */ {"TaskbarAnimations", "Taskbar Animations", ExplorerAdvanced, "DisplaySpeed",
              "Animates the buttons of the taskbar.", "all", "dwrd"},
    /* 64 */ {"MinAnimate", "Min/Max Animation", WindowMetrics, "DisplaySpeed",
              "Animates windows when they are minimised and maximised.", "all", "str"},
    /* 65 */ {"DesktopLivePreviewHoverTime", "Desktop LivePreview HoverTime", ExplorerAdvanced, "DisplaySpeed",
              "How long the pointer rests on the taskbar before the desktop preview shows.", "all", "dwrd"},
    /* 66 */ {"ForegroundLockTimeout", "Foreground Apps Lock Timeout", ControlPanelDesktop, "DisplaySpeed",
              "How long a program must wait before it may take the foreground.", "all", "dwrd"},
    /* 67 */ {"Max Cached Icons", "Max Cached Icons", MachineExplorer, "DisplaySpeed",
              "The number of icons Windows keeps in its icon cache.", "64", "str"},
    /* 68 */ {"MenuShowDelay", "System Display Response", ControlPanelDesktop, "DisplaySpeed",
              "How long Windows waits before it opens a submenu.", "all", "str"},
    /* 69 */ {"ExtendedUIHoverTime", "Aero Snap Thumbnail Display", ExplorerAdvanced, "DisplaySpeed",
              "How long the pointer rests on a taskbar button before its thumbnail shows.", "all", "dwrd"},
    /* 70 */ {"NoDriveTypeAutoRun", "Drive Autorun", ExplorerPolicies, "IOSpeed",
              "The drive types on which AutoRun starts programs.", "all", "dwrd"},
    /* 71 */ {"Auto", "Auto Debugger", AeDebug, "IOSpeed",
              "Disable debugger to speed up error processing.", "64", "str"},
    /* 72 */ {"IoPageLockLimit", "Io Page Lock Limit", MemoryManagement, "IOSpeed",
              "How much memory may be locked for input and output.", "all", "dwrd"},
    /* 73 */ {"NtfsDisableLastAccessUpdate", "Ntfs Access Update", FileSystem, "IOSpeed",
              "Whether NTFS records the last access time of files and folders.", "all", "dwrd"},
    /* 74 */ {"NoLowDiskSpaceChecks", "Disk Checks", ExplorerPolicies, "IOSpeed",
              "Turns off the warning that a disk is almost full.", "all", "dwrd"},
    /* 75 */ {"AutoChkTimeOut", "Auto Check Time Out", SessionManager, "IOSpeed",
              "How long Windows waits before a scheduled disk check starts.", "all", "dwrd"},
    /* 76 */ {"Win32PrioritySeparation", "Win32 Priority Separation", PriorityControl, "IOSpeed",
              "How the processor is shared between the foreground and background programs.", "all", "dwrd"},
    /* 77 */ {"Disablepagingexecutive", "Memory Pagination", MemoryManagement, "IOSpeed",
              "Keeps drivers and system code in memory instead of paging them out.", "all", ""},
};

const TweakCategoryRows TweakCategoryTable[TweakCategoryCount] = {
    {ScanKindInternet, InetTweakTcpIp, "TCP/IP", 0, 25},
    {ScanKindInternet, InetTweakWinSock, "WinSock", 26, 31},
    {ScanKindInternet, InetTweakInternetExplorer, "Internet Explorer", 32, 40},
    {ScanKindInternet, InetTweakWorkstation, "Workstation", 41, 45},
    {ScanKindInternet, InetTweakDnsCache, "DNS Cache", 46, 53},
    {ScanKindSystem, SysTweakStartShutdown, "StartShutdown", 54, 56},
    {ScanKindSystem, SysTweakStability, "SystemStability", 57, 59},
    {ScanKindSystem, SysTweakDisplay, "DisplaySpeed", 60, 69},
    {ScanKindSystem, SysTweakInputOutput, "IOSpeed", 70, 77},
};

const TweakCategoryRows* FindTweakCategory(int row)
{
    if (row < 0 || row >= TweakRowCount)
        return nullptr;
    for (const TweakCategoryRows& category : TweakCategoryTable)
        if (lstrcmpiA(category.category, TweakDefinitionTable[row].category) == 0)
            return &category;
    return nullptr;
}

const TweakCategoryRows* FindTweakCategoryByBit(int kind, DWORD bit)
{
    for (const TweakCategoryRows& category : TweakCategoryTable)
        if (category.kind == kind && category.bit == bit)
            return &category;
    return nullptr;
}

bool IsTcpWindowRow(int row)
{
    if (row < 0 || row >= TweakRowCount)
        return false;
    const char* name = TweakDefinitionTable[row].valueName;
    return lstrcmpiA(name, "GlobalMaxTcpWindowSize") == 0 || lstrcmpiA(name, "TcpWindowSize") == 0;
}

float TcpWindowDeviation(int current, int optimal)
{
    double ratio = static_cast<double>(static_cast<float>(static_cast<unsigned>(current))) /
                   static_cast<double>(static_cast<float>(static_cast<unsigned>(optimal)));
    return static_cast<float>(fabs(ratio * 100.0 - 100.0));
}
