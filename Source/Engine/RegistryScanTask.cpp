// Task 3, the registry scan: the dispatcher that runs the selected categories in their fixed
// order, and the reporting helpers the category checks share.
#include "Engine/RegistryScanCategories.h"

#include <objbase.h>

#include "Engine/SSEngineProcess.h"

namespace {

enum CategoryRun { RunsOnce, RunsPerShortcutFolder };

struct RegistryScanCategory {
    const char* code;
    DWORD bit;
    int (*check)(CSSEngineProcess&);
    CategoryRun run;
};

// The dispatch order.
const RegistryScanCategory Categories[] = {
    {"AXO", RegScanActiveX, ScanActiveX, RunsOnce},
    {"UIE", RegScanUninstall, ScanUninstallEntries, RunsOnce},
    {"FNT", RegScanFonts, ScanFonts, RunsOnce},
    {"SHD", RegScanSharedDlls, ScanSharedDlls, RunsOnce},
    {"APP", RegScanAppPaths, ScanAppPaths, RunsOnce},
    {"HLP", RegScanHelpFiles, ScanHelpFiles, RunsOnce},
    {"SUI", RegScanStartupItems, ScanStartupItems, RunsOnce},
    {"FPR", RegScanFilePaths, ScanFilePathReferences, RunsOnce},
    {"SRC", RegScanShortcuts, nullptr, RunsPerShortcutFolder},
    {"ERK", RegScanEmptyKeys, ScanEmptyKeys, RunsOnce},
    {"FAS", RegScanFileAssociations, ScanFileAssociations, RunsOnce},
};

// Scan-wide set-up undone on every way out: COM for the shell calls of the worker thread, a shell
// link object of the worker's own apartment (the one the constructor made belongs to the thread
// that created the process object; it stays the fallback when this one can't be made), and the
// path toolkit's folder cache, which only lives as long as one scan.
class ScanScope {
public:
    explicit ScanScope(CSSEngineProcess& process)
        : m_process(process), m_com(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)),
          m_ownerLink(process.m_shellLink)
    {
        void* link = nullptr;
        if (SUCCEEDED(m_com) &&
            SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &link)))
            m_process.m_shellLink = static_cast<IShellLinkA*>(link);
        m_process.m_pathCache.Enable();
    }
    ~ScanScope()
    {
        m_process.m_pathCache.Disable();
        if (m_process.m_shellLink != m_ownerLink) {
            m_process.m_shellLink->Release();
            m_process.m_shellLink = m_ownerLink;
        }
        if (SUCCEEDED(m_com))
            CoUninitialize();
    }
    ScanScope(const ScanScope&) = delete;
    ScanScope& operator=(const ScanScope&) = delete;

private:
    CSSEngineProcess& m_process;
    HRESULT m_com;
    IShellLinkA* m_ownerLink;
};

}  // namespace

int ScanRegistry(CSSEngineProcess& process)
{
    CAbstractStatus* status = process.Status();
    if (!status)
        return 0;
    ScanScope scope(process);
    status->OnProgress(0);
    for (const RegistryScanCategory& category : Categories) {
        process.StatusTextCounter = StatusTextCounterStart;
        status->OnStatusText("", category.code);
        if (!(process.m_regScanMask & category.bit) || !process.KeepRunning())
            continue;
        if (category.run == RunsOnce) {
            category.check(process);
            continue;
        }
        // The map is the scan's own copy, so the caller cannot change it under us.
        for (const auto& folder : process.m_folderMap) {
            if (!process.KeepRunning())
                break;
            ScanShortcutFolder(process, folder.first);
        }
    }
    return 0;
}

int CSSEngineProcess::RunRegistryScan()
{
    return ScanRegistry(*this);
}

// --- shared by the checks ---------------------------------------------------------------------

bool StatusTextDue(CSSEngineProcess& process, int threshold)
{
    bool due = process.StatusTextCounter > threshold;
    if (due)
        process.StatusTextCounter = 0;
    ++process.StatusTextCounter;
    return due;
}

void ThrottledStatusText(CSSEngineProcess& process, int threshold, const char* text,
                         const char* code)
{
    if (StatusTextDue(process, threshold) && process.Status())
        process.Status()->OnStatusText(text, code);
}

void ReportItem(CSSEngineProcess& process, const CString& text, DWORD category)
{
    if (process.Status())
        process.Status()->OnItemFound(text, category, 0, 0);
}

CString ValueItemText(const CString& keyPath, const char* valueName)
{
    CString text(keyPath);
    text += ValueSeparator;
    text += (valueName && *valueName) ? valueName : UNNAMED_VALUE_TEXT;
    return text;
}
