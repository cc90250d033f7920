// The contract between Velmora.exe and Tarnex.dll: the abstract classes whose virtual slots are the
// only calls that cross between the two modules, and the records, maps and constants they carry.
//
// The order of the virtual functions in each class IS the interface: both modules are compiled
// from this one header, so a slot must never be moved, removed or inserted in the middle. New
// slots go at the end of a class. Slot 0 of every class is its virtual destructor; deleting an
// object through its abstract pointer runs the destructor of the module that created it, so each
// object is freed by its own module.
//
// No C++ exception crosses these slots: the engine catches everything at its side of every slot.
#ifndef VELMORA_ENGINE_INTERFACES_H
#define VELMORA_ENGINE_INTERFACES_H

#include <windows.h>

#include <list>
#include <map>
#include <utility>

#include "Framework/CString.h"

// ---------------------------------------------------------------------------------------------
// Shared constants

// Separates a key path from a value name in a found-item text ("HKEY_...\key" + 0xAC + "name").
const char ValueSeparator = '\xAC';
// The name a found-item text gives the unnamed value.
#define UNNAMED_VALUE_TEXT "(Default)"

// The repair's status text when its registry backup failed; nothing was repaired then.
#define REGISTRY_BACKUP_FAILED_TEXT "Registry backup failed: no item was repaired"

// The engine's task numbers; the program adds 12-15 for its own phases.
enum EngineTaskType {
    TaskRegistryBackup = 1,
    TaskRegistryRestore = 2,
    TaskRegistryScan = 3,
    TaskRegistryRepair = 4,
    TaskNothing = 5,
    TaskUpdateText = 6,
    TaskTempFileProbe = 7,
    TaskRegistryDefrag = 8,
    TaskJunkScan = 9,
    TaskJunkClean = 10,
    TaskStatusPing = 11,
};

// RegScanTypeMask: one bit per registry scan category.
enum RegScanTypeMask : DWORD {
    RegScanStartupItems = 0x400,       // "SUI"
    RegScanFileAssociations = 0x1000,  // "FAS"
    RegScanFonts = 0x2000,             // "FNT"
    RegScanActiveX = 0x4000,           // "AXO"
    RegScanShortcuts = 0x8000,         // "SRC"
    RegScanAppPaths = 0x40000,         // "APP"
    RegScanSharedDlls = 0x80000,       // "SHD"
    RegScanUninstall = 0x100000,       // "UIE"
    RegScanHelpFiles = 0x200000,       // "HLP"
    RegScanFilePaths = 0x400000,       // "FPR"
    RegScanEmptyKeys = 0x800000,       // "ERK"
};
const DWORD RegScanAllMask = 0xFCF400;
const DWORD RegScanDefaultMask = 0xFCF400;

// JunkScanTypeMask: one bit per junk category, in the groups Windows (1), Internet Explorer (2),
// Firefox (3), Chrome (4) and Edge (5).
enum JunkScanTypeMask : DWORD {
    JunkTempFiles = 0x1,
    JunkExplorerMru = 0x2,
    JunkRunHistory = 0x4,
    JunkRecycleBin = 0x8,
    JunkSearchAutocomplete = 0x10,
    JunkRecentDocuments = 0x20,
    JunkIeCookies = 0x40,
    JunkIeTypedUrls = 0x80,
    JunkIeCache = 0x100,
    JunkIeHistory = 0x200,
    JunkIeFormData = 0x400,
    JunkFirefoxCookies = 0x800,
    JunkFirefoxDownloads = 0x1000,
    JunkFirefoxCache = 0x2000,
    JunkFirefoxHistory = 0x4000,
    JunkFirefoxFormData = 0x8000,
    JunkChromeCookies = 0x10000,
    JunkChromeDownloads = 0x20000,
    JunkChromeCache = 0x40000,
    JunkChromeHistory = 0x80000,
    JunkChromeFormData = 0x100000,
    JunkInstallerCache = 0x200000,
    JunkEdgeCookies = 0x400000,
    JunkEdgeDownloads = 0x800000,
    JunkEdgeCache = 0x1000000,
    JunkEdgeHistory = 0x2000000,
};
const DWORD JunkScanAllMask = 0x3FFFFFF;
const DWORD JunkScanDefaultMask = 0x1A6313F;  // all but cookies, typed URLs, history, form data

// InetTweakTypeMask and SysTweakTypeMask.
enum InetTweakTypeMask : DWORD {
    InetTweakTcpIp = 0x1,
    InetTweakWinSock = 0x2,
    InetTweakInternetExplorer = 0x4,
    InetTweakWorkstation = 0x8,
    InetTweakDnsCache = 0x10,
};
const DWORD InetTweakAllMask = 0x1F;
enum SysTweakTypeMask : DWORD {
    SysTweakStartShutdown = 0x1,
    SysTweakStability = 0x2,
    SysTweakDisplay = 0x4,
    SysTweakInputOutput = 0x8,
};
const DWORD SysTweakAllMask = 0xF;

// ---------------------------------------------------------------------------------------------
// Containers that cross the boundary (both modules use the same CString and the same runtime
// heap, msvcrt's).

// The folders the registry scan searches for shortcuts, keyed by folder path (case-sensitive).
typedef std::map<CString, int> ShortcutFolderMap;
// Texts of one found-items category, in stored order.
typedef std::list<CString> ScanItemTextList;
// Ignore-list entries: key ("item text^middle field") to number.
typedef std::map<CString, int> IgnoreEntryMap;

// A category definition record (same fields, same order as the engine's spyware record).
class ScanCategoryInfo {
public:
    virtual ~ScanCategoryInfo() {}

    int Id = 0;
    int Kind = 0;
    CString Name;
    CString Text2;
    CString Text3;
    int Flags = 0;
    std::list<std::pair<int, int>> Pairs;
};

// Records of the three XML stores.
struct ServiceItem {
    CString Name;
    CString DisplayName;
    int Status = 0;
    int StartupType = 0;
};
struct HistoryItemRecord {
    CString DateTime;
    CString FileSizeFound;
    CString FileSizeCleaned;
};
struct NetSettingsItem {
    CString Name;
    CString Description;
    CString RegistryPath;
    int OldValue = 0;
    int NewValue = 0;
};

class CAbstractProcess;
class CAbstractSystemHistory;
class CAbstractServices;
class CAbstractNetSettings;

// ---------------------------------------------------------------------------------------------
// Progress and result callback, implemented by the program's pages. The engine calls it on its
// worker thread.
class CAbstractStatus {
public:
    /* 0 */ virtual ~CAbstractStatus() {}
    /* 1 */ virtual void OnStatusText(const char* text, const char* stage) = 0;
    /* 2 */ virtual void OnProgress(int code) = 0;
    /* 3 */ virtual void OnItemFound(const char* text, DWORD category, int recordId, int reserved) = 0;
    /* 4 */ virtual void OnJunkItem(DWORD category, DWORD sizeLow, DWORD sizeHigh, int reserved1,
                                    int reserved2, const char* text)
    {
        (void)category; (void)sizeLow; (void)sizeHigh; (void)reserved1; (void)reserved2; (void)text;
    }
    /* 5 */ virtual void OnNotify(int code) { (void)code; }
    /* 6 */ virtual int ShouldContinue() { return 1; }
    /* 7 */ virtual int OnTaskFinished(int code) = 0;
    /* 8 */ virtual int OnResult(int code) { (void)code; return 0; }
};

// ---------------------------------------------------------------------------------------------
// The found-items list, implemented by the program; the engine walks it to back up and repair.
class CAbstractScanItemsInfo {
public:
    /* 0 */ virtual ~CAbstractScanItemsInfo() {}
    /* 1 */ virtual void Clear() = 0;
    /* 2 */ virtual int AddItem(CString text, int category, int reserved1, int reserved2) = 0;
    /* 3 */ virtual int HasItems(int category) = 0;
    /* 4 */ virtual int GetTextValue(const char* text) = 0;
    /* 5 */ virtual int GetCount(int category) = 0;
    /* 6 */ virtual int GetCategoryMask() = 0;
    /* 7 */ virtual int GetCategoryItems(ScanItemTextList* out, int category) = 0;
    /* 8 */ virtual int MoveFirst() = 0;
    /* 9 */ virtual int MoveNext() = 0;
    /* 10 */ virtual const char* GetItemText() = 0;
    /* 11 */ virtual int GetItemCategory() = 0;
    /* 12 */ virtual void AddPendingIgnore(const char* key, int category, int reserved) = 0;
    /* 13 */ virtual int SetOption(int value) = 0;
    /* 14 */ virtual int LoadIgnoreList() = 0;
    /* 15 */ virtual int AppendIgnoreList() = 0;
    /* 16 */ virtual int Reserved16() = 0;
    /* 17 */ virtual void GetCategoryRecord(int id, ScanCategoryInfo* out) = 0;
    /* 18 */ virtual int IsCurrentExcluded() = 0;
    /* 19 */ virtual int GetIgnoreMap(IgnoreEntryMap* out) = 0;
    /* 20 */ virtual int ReloadIgnoreList() = 0;
    /* 21 */ virtual int RewriteIgnoreList(const IgnoreEntryMap* entries) = 0;
    /* 22 */ virtual int WriteScanLog() = 0;
    /* 23 */ virtual int IsIgnored(CString text, int category, ScanCategoryInfo* record) = 0;
    /* 24 */ virtual int UpdateIgnoreEntry(CString itemText, CString secondText, int category,
                                           int reserved) = 0;
};

// ---------------------------------------------------------------------------------------------
// The engine's process object: one numbered task at a time on a worker thread of its own.
// A start slot records the task and creates the worker suspended (1, or -1 / 0 when refused);
// ResumeTask lets it run. Every task ends with OnStatusText("", "Scanning") and then
// OnTaskFinished(task type), with IsBusy already 0.
class CAbstractProcess {
public:
    /* 0 */ virtual ~CAbstractProcess() {}
    /* 1 */ virtual int IsBusy() = 0;
    /* 2 */ virtual int Stop(int stop) = 0;
    /* 3 */ virtual int TerminateCleaning() = 0;
    /* 4 */ virtual int WaitOrSignal(int wait) = 0;
    /* 5 */ virtual int ResumeTask() = 0;
    /* 6 */ virtual HANDLE GetThreadHandle() = 0;
    /* 7 */ virtual DWORD GetThreadId() = 0;
    /* 8 */ virtual int GetTaskType() = 0;
    /* 9 */ virtual int ReservedSlot9(int value) = 0;
    /* 10 */ virtual int StartRegistryBackup(const char* file, CAbstractStatus* status) = 0;
    /* 11 */ virtual int StartRegistryRestore(const char* file, CAbstractStatus* status) = 0;
    /* 12 */ virtual int StartRegistryScan(const ShortcutFolderMap* folders, DWORD mask,
                                           CAbstractStatus* status, int option) = 0;
    /* 13 */ virtual int StartRegistryRepair(CAbstractScanItemsInfo* items, CAbstractStatus* status,
                                             int backupFirst) = 0;
    /* 14 */ virtual int StartUpdateTask(int a, int b, int c, int d, int e, CAbstractStatus* status) = 0;
    /* 15 */ virtual int HashString(CString* text, CString* out) = 0;
    /* 16 */ virtual int HashFile(CString path, CString* out) = 0;
    /* 17 */ virtual int HashStringEx(CString text, CString* out) = 0;
    /* 18 */ virtual int ReservedSlot18(CString text, int value) = 0;
    /* 19 */ virtual CString GetInvalidId(CString* out) = 0;
    /* 20 */ virtual int StartProbe(CAbstractStatus* status) = 0;
    /* 21 */ virtual int ImportRegistryFile(CAbstractStatus* status, CString path) = 0;
    /* 22 */ virtual int StartRegistryDefrag(int mode, CAbstractStatus* status) = 0;
    /* 23 */ virtual int StartJunkScan(DWORD mask, CAbstractStatus* status) = 0;
    /* 24 */ virtual int StartJunkClean(DWORD mask, CAbstractStatus* status) = 0;
    /* 25 */ virtual int StartNotifyTask(CAbstractStatus* status) = 0;
};

// ---------------------------------------------------------------------------------------------
// The three XML stores share one protocol.
class CAbstractSystemHistory {
public:
    /* 0 */ virtual ~CAbstractSystemHistory() {}
    /* 1 */ virtual int Create(const char* file) = 0;
    /* 2 */ virtual int Open(const char* file) = 0;
    /* 3 */ virtual int AddItem(const HistoryItemRecord* item) = 0;
    /* 4 */ virtual int GetFirstItem(HistoryItemRecord* out) = 0;
    /* 5 */ virtual int GetNextItem(HistoryItemRecord* out) = 0;
    /* 6 */ virtual int Save() = 0;
    /* 7 */ virtual int Close() = 0;
};

class CAbstractServices {
public:
    /* 0 */ virtual ~CAbstractServices() {}
    /* 1 */ virtual int Create(const char* file) = 0;
    /* 2 */ virtual int Open(const char* file) = 0;
    /* 3 */ virtual int AddItem(const ServiceItem* item) = 0;
    /* 4 */ virtual int GetFirstItem(ServiceItem* out) = 0;
    /* 5 */ virtual int GetNextItem(ServiceItem* out) = 0;
    /* 6 */ virtual int Save() = 0;
    /* 7 */ virtual int Close() = 0;
};

class CAbstractNetSettings {
public:
    /* 0 */ virtual ~CAbstractNetSettings() {}
    /* 1 */ virtual int Create(const char* file) = 0;
    /* 2 */ virtual int Open(const char* file) = 0;
    /* 3 */ virtual int AddItem(const NetSettingsItem* item) = 0;
    /* 4 */ virtual int GetFirstItem(NetSettingsItem* out) = 0;
    /* 5 */ virtual int GetNextItem(NetSettingsItem* out) = 0;
    /* 6 */ virtual int Save() = 0;
    /* 7 */ virtual int Close() = 0;
};

// ---------------------------------------------------------------------------------------------
// The engine's factory, returned by the export Start. It keeps no record of what it created.
class CAbstractSSEngineInterface {
public:
    /* 0 */ virtual ~CAbstractSSEngineInterface() {}
    /* 1 */ virtual CAbstractProcess* NewProcess() = 0;
    /* 2 */ virtual void DeleteProcess(CAbstractProcess* process) = 0;
    /* 3 */ virtual CAbstractSystemHistory* NewSystemHistory() = 0;
    /* 4 */ virtual void DeleteSystemHistory(CAbstractSystemHistory* store) = 0;
    /* 5 */ virtual CAbstractServices* NewServices() = 0;
    /* 6 */ virtual void DeleteServices(CAbstractServices* store) = 0;
    /* 7 */ virtual CAbstractNetSettings* NewNetSettings() = 0;
    /* 8 */ virtual void DeleteNetSettings(CAbstractNetSettings* store) = 0;
    /* 9 */ virtual CAbstractProcess* NewLightProcess() = 0;
};

// The engine's exports (plain names, caller cleans the stack).
extern "C" {
typedef CAbstractSSEngineInterface* (__cdecl* EngineStartFunction)();
typedef void (__cdecl* EngineEndFunction)(CAbstractSSEngineInterface* engine);
}
#define ENGINE_MODULE_NAME "Tarnex.dll"

#endif
