// The registry scan's category checks, called by the dispatcher (CSSEngineProcess::
// RunRegistryScan) in its fixed order, and the small reporting helpers they share.
//
// Every check reports an entry only when it has established that what the entry refers to is
// missing; when it cannot judge (the path cannot be resolved, the drive is not there, the
// enumeration failed, a stop was requested) it reports nothing. Each returns the number of
// items it reported and leaves its loops at the next test once the busy flag is cleared.
#ifndef TARNEX_REGISTRY_SCAN_CATEGORIES_H
#define TARNEX_REGISTRY_SCAN_CATEGORIES_H

#include <windows.h>

#include "Framework/CString.h"

class CSSEngineProcess;

// Task 3's body: the selected categories in their fixed order. Returns 0.
int ScanRegistry(CSSEngineProcess& process);

// "AXO" 0x4000: COM classes whose in-process server is gone, interfaces whose type library is
// not registered, keys whose "CLSID" sub-key names an unregistered class.
int ScanActiveX(CSSEngineProcess& process);
// The interface and type-library step of ScanActiveX.
int CheckInterfaceTypeLibs(CSSEngineProcess& process);
// "UIE" 0x100000: uninstall entries and installer folders.
int ScanUninstallEntries(CSSEngineProcess& process);
// "FNT" 0x2000: fonts.
int ScanFonts(CSSEngineProcess& process);
// "SHD" 0x80000: shared DLLs.
int ScanSharedDlls(CSSEngineProcess& process);
// "APP" 0x40000: application paths.
int ScanAppPaths(CSSEngineProcess& process);
// "HLP" 0x200000: help files.
int ScanHelpFiles(CSSEngineProcess& process);
// "SUI" 0x400: startup items.
int ScanStartupItems(CSSEngineProcess& process);
// "FPR" 0x400000: string values under HKEY_USERS that name a missing file.
int ScanFilePathReferences(CSSEngineProcess& process);
// "SRC" 0x8000: shortcuts below one folder of the folder map.
int ScanShortcutFolder(CSSEngineProcess& process, const CString& folder);
// "ERK" 0x800000: empty HELPDIR keys under HKEY_CLASSES_ROOT\TYPELIB.
int ScanEmptyKeys(CSSEngineProcess& process);
// "FAS" 0x1000: extension keys that are empty or whose open command names a missing program.
int ScanFileAssociations(CSSEngineProcess& process);
int CheckExtensionKey(CSSEngineProcess& process, const CString& extension);

// The generic walk of the AXO, FPR and ERK checks.
enum WalkMode { WalkFilePaths = 1, WalkEmptyKeys = 2, WalkActiveX = 3 };
int WalkRegistryTree(CSSEngineProcess& process, const char* rootName, const char* subKey,
                     WalkMode mode);

// Checks that no task runs, kept with the library.
int CheckClassServers(CSSEngineProcess& process, HKEY root, const char* keyPath, DWORD category);
int ScanBrowserHelperObjects(CSSEngineProcess& process);
int ScanCookieFiles(CSSEngineProcess& process);

// --- shared by the checks ---------------------------------------------------------------------

// The progress-text counter's value at the start of each category: above every threshold, so
// the first entry of a category is always shown.
const int StatusTextCounterStart = 3001;

// The progress-text throttle: true when the text of this entry is to be shown, which is when
// more than `threshold` entries passed since the last one shown (the dispatcher primes the
// counter so that the first entry of every category is shown). Counts the entry.
bool StatusTextDue(CSSEngineProcess& process, int threshold);
// StatusTextDue, and the text shown under `code` when due.
void ThrottledStatusText(CSSEngineProcess& process, int threshold, const char* text,
                         const char* code);
// OnItemFound(text, category, 0, 0).
void ReportItem(CSSEngineProcess& process, const CString& text, DWORD category);
// A found-item text naming a value: key path, the separator byte, the value name or
// "(Default)" for the unnamed value.
CString ValueItemText(const CString& keyPath, const char* valueName);

#endif
