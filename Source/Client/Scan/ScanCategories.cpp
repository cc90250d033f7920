// The scan categories, their masks and the stored choices (see ScanCategories.h).
#include "Client/Scan/ScanCategories.h"

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Frame/ProgramSettings.h"
#include "Frame/RegistryKey.h"

namespace {

// The registry rows: the order of the lists, of the registry results and of the engine's
// dispatch; the display names are strings 102-112.
const ScanCategoryRow RegistryRows[] = {
    {RegScanActiveX, NULL, 102, "Invalid ActiveX / COM entries"},
    {RegScanUninstall, NULL, 103, "Invalid Windows installer entries"},
    {RegScanFonts, NULL, 104, "Keys with missing font files"},
    {RegScanSharedDlls, NULL, 105, "Keys with missing shared DLLs"},
    {RegScanAppPaths, NULL, 106, "Invalid path entries of applications"},
    {RegScanHelpFiles, NULL, 107, "Keys with invalid registered help files"},
    {RegScanStartupItems, NULL, 108, "Startup entries with missing programs"},
    {RegScanFilePaths, NULL, 109, "General invalid paths of various files"},
    {RegScanShortcuts, NULL, 110, "Invalid program shorcuts"},
    {RegScanEmptyKeys, NULL, 111, "Keys containing no data"},
    {RegScanFileAssociations, NULL, 112, "Types associated with invalid programs"},
};

// The junk rows of the Customize Scan list; the three Saved Form Info categories are not
// offered there.
const char CookiesText[] = "Internet cookies data stored by websites";
const char DownloadsText[] = "User download history data";
const char CacheText[] = "Temporary storage of web data";
const char HistoryText[] = "User website browsing history data";
const ScanCategoryRow JunkRows[] = {
    {JunkTempFiles, "Temporary Files", 0, "Windows and user temporary data"},
    {JunkExplorerMru, "Explorer MRUs", 0, "Most recently used lists maintained by Windows"},
    {JunkRunHistory, "Run (in Start Menu)", 0, "Data saved by Run in Start Menu"},
    {JunkRecycleBin, "Recycle Bin", 0, "Windows Recycle bin data"},
    {JunkSearchAutocomplete, "Search Autocomplete", 0, "Autocomplete entries for search and other forms"},
    {JunkRecentDocuments, "Recent Documents", 0, "Recently used documents list data"},
    {JunkInstallerCache, "Installer Cache", 0, "Windows installer cached data"},
    {JunkChromeCookies, "Chrome - Cookies", 0, CookiesText},
    {JunkChromeDownloads, "Chrome - Download History", 0, DownloadsText},
    {JunkChromeCache, "Chrome - Internet Cache", 0, CacheText},
    {JunkChromeHistory, "Chrome - Internet History", 0, HistoryText},
    {JunkFirefoxCookies, "FF - Cookies", 0, CookiesText},
    {JunkFirefoxDownloads, "FF - Download History", 0, DownloadsText},
    {JunkFirefoxCache, "FF - Internet Cache", 0, CacheText},
    {JunkFirefoxHistory, "FF - Internet History", 0, HistoryText},
    {JunkIeCookies, "IE - Cookies", 0, CookiesText},
    {JunkIeTypedUrls, "IE - Typed URLs", 0, "User Typed URLs history"},
    {JunkIeCache, "IE - Internet Cache", 0, CacheText},
    {JunkIeHistory, "IE - Internet History", 0, HistoryText},
    {JunkEdgeCookies, "Edge - Cookies", 0, CookiesText},
    {JunkEdgeDownloads, "Edge - Download History", 0, DownloadsText},
    {JunkEdgeCache, "Edge - Internet Cache", 0, CacheText},
    {JunkEdgeHistory, "Edge - Internet History", 0, HistoryText},
};

const ScanCategoryRow InternetRows[] = {
    {InetTweakTcpIp, "Networking", 0, "General networking related settings"},
    {InetTweakWinSock, "WinSock", 0, "Windows socket parameters"},
    {InetTweakInternetExplorer, "Internet Explorer", 0, "Settings used by IE and other applications"},
    {InetTweakWorkstation, "Workstation", 0, "Performance settings for workstation"},
    {InetTweakDnsCache, "DNS Cache", 0, "DNS related settings"},
};

const ScanCategoryRow SystemRows[] = {
    {SysTweakStartShutdown, "Start/Shutdown Speed", 0, "Settings to improve Startup/Shutdown speed"},
    {SysTweakStability, "System Stability", 0, "Settings for stable system operations"},
    {SysTweakDisplay, "Display Speed", 0, "Settings that improve display performance"},
    {SysTweakInputOutput, "IO Speed", 0, "Settings that effect performance of IO operations"},
};

const struct {
    const ScanCategoryRow* rows;
    int count;
    DWORD all;
    DWORD byDefault;
    const char* valueName;
} Kinds[ScanKindCount] = {
    {RegistryRows, 11, RegScanAllMask, RegScanDefaultMask, SettingLastSelScanRegTypes},
    {JunkRows, 23, JunkScanAllMask, JunkScanDefaultMask, SettingLastSelScanJunkTypes},
    {InternetRows, 5, InetTweakAllMask, InetTweakAllMask, SettingLastSelScanInetTypes},
    {SystemRows, 4, SysTweakAllMask, SysTweakAllMask, SettingLastSelScanSysTypes},
};
static_assert(sizeof RegistryRows / sizeof RegistryRows[0] == 11, "eleven registry rows");
static_assert(sizeof JunkRows / sizeof JunkRows[0] == 23, "23 junk rows");

bool IsKind(int kind) { return kind >= 1 && kind <= ScanKindCount; }

}  // namespace

const ScanCategoryRow* GetScanCategoryRows(int kind, int* count)
{
    *count = IsKind(kind) ? Kinds[kind - 1].count : 0;
    return IsKind(kind) ? Kinds[kind - 1].rows : NULL;
}

DWORD GetAllScanItemsMask(int kind)
{
    return IsKind(kind) ? Kinds[kind - 1].all : 0;
}

DWORD GetDefaultScanItemsMask(int kind)
{
    return IsKind(kind) ? Kinds[kind - 1].byDefault : 0;
}

const char* GetLastSelScanValueName(int kind)
{
    return IsKind(kind) ? Kinds[kind - 1].valueName : NULL;
}

DWORD GetLastSelScanTypes(int kind)
{
    const DWORD fallback = GetDefaultScanItemsMask(kind);
    if (!IsKind(kind))
        return fallback;
    CRegistryKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, ProgramSettingsKey, ProgramSettingsAccess))
        return fallback;
    DWORD stored = 0;
    if (key.GetDWORD(Kinds[kind - 1].valueName, stored))
        return stored;
    // Written back so later readings (and other parts of the program) see the same choice.
    key.SetDWORD(Kinds[kind - 1].valueName, fallback);
    return fallback;
}

DWORD GetLastSelScanRegTypes()
{
    return GetLastSelScanTypes(ScanKindRegistry);
}

void SaveLastSelScanTypes(const DWORD masks[ScanKindCount])
{
    CRegistryKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, ProgramSettingsKey, ProgramSettingsAccess))
        return;
    for (int kind = 1; kind <= ScanKindCount; ++kind)
        key.SetDWORD(Kinds[kind - 1].valueName, masks[kind - 1]);
}
