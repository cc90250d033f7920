// Program shortcuts ("SRC") of the registry scan: the shortcut files (*.lnk) below the folders
// of the scan's folder map whose target is gone, and the shortcut-target test of the process.
//
// The repair deletes every shortcut file reported here, and no backup covers files, so a
// shortcut is reported only when its file loaded, its target is a file-system path we could
// read exactly, and the system said that path does not exist on a fixed drive.
#include "Engine/RegistryScanCategories.h"

#include <shlobj.h>

#include "Engine/RegistryEntryJudging.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"
#include "Framework/ComPtr.h"
#include "Framework/FileFind.h"
#include "Framework/TextCodePage.h"

namespace {

// Progress-text threshold.
const int ShortcutTextThreshold = 3000;
// Shortcut files outside this size range are not examined.
const DWORD LargestShortcutFile = 4096;

// What the shell link object leaves in the buffer when GetPath writes nothing.
const char NoTargetSentinel[] = "NoNe";

bool IsShortcutFile(const WIN32_FIND_DATAA& entry)
{
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    if (entry.nFileSizeHigh != 0 || entry.nFileSizeLow == 0 ||
        entry.nFileSizeLow > LargestShortcutFile)
        return false;
    CString name(entry.cFileName);
    int dot = name.ReverseFind('.');
    return dot > 0 && name.Mid(dot).CompareNoCase(".lnk") == 0;
}

// Whether the link's other forms of its target confirm the ANSI answer exactly: the wide
// path, converted to ANSI only when every character has an exact ANSI form, must be the same
// text, and the item list (which keeps the name in full) must name the same path when it
// names one at all. A shortcut file keeps its path in ANSI too, and a loader that reads that
// copy may hand back a near-miss of a name the code page cannot hold, for a file that exists.
bool TargetFormsAgree(IShellLinkA* link, const CString& ansiTarget)
{
    CComPtr<IShellLinkW> wide;
    if (FAILED(link->QueryInterface(IID_IShellLinkW, wide.OutVoid())) || !wide)
        return false;
    WCHAR path[MAX_PATH + 1] = {};
    if (wide->GetPath(path, MAX_PATH, nullptr, SLGP_UNCPRIORITY) != S_OK || path[0] == 0)
        return false;
    CString ansi;
    if (!WideToText(path, -1, CP_ACP, TextStrictness::Exact, ansi) ||
        ansiTarget.CompareNoCase(ansi) != 0)
        return false;

    LPITEMIDLIST items = nullptr;
    if (wide->GetIDList(&items) == S_OK && items) {
        WCHAR itemPath[MAX_PATH + 1] = {};
        bool named = SHGetPathFromIDListW(items, itemPath) && itemPath[0] != 0;
        CoTaskMemFree(items);
        if (named && lstrcmpiW(itemPath, path) != 0)
            return false;
    }
    return true;
}

int WalkShortcutFolder(CSSEngineProcess& process, const CString& folder)
{
    CString pattern = folder + "\\*.*";
    if (pattern.GetLength() >= MAX_PATH)
        return 0;
    WIN32_FIND_DATAA entry;
    CFindHandle find;
    if (!find.FindFirst(pattern, entry))
        return 0;
    CAbstractStatus* status = process.Status();
    int reported = 0;
    do {
        if (!process.KeepRunning())
            break;
        CString name(entry.cFileName);
        if (name == "." || name == "..")
            continue;
        CString path = folder + "\\" + name;
        // A linked folder is not walked: it may lead back into a folder already walked, or
        // to files that belong somewhere else.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            reported += WalkShortcutFolder(process, path);
        if (!process.KeepRunning())
            break;
        ThrottledStatusText(process, ShortcutTextThreshold, path, "SRC");
        if (!IsShortcutFile(entry))
            continue;
        if (status)
            status->OnProgress(1);
        // A "?" in the name stands for a character the ANSI code page cannot hold: the file
        // cannot be opened, or deleted, by this name.
        if (name.Find('?') >= 0)
            continue;
        if (!process.CheckShortcutTarget(path) && process.KeepRunning()) {
            ReportItem(process, path, RegScanShortcuts);
            ++reported;
        }
    } while (find.FindNext(entry));
    return reported;
}

}  // namespace

int ScanShortcutFolder(CSSEngineProcess& process, const CString& folder)
{
    // Without the shell link object no target can be read, and nothing is judged.
    if (!process.m_shellLink)
        return 0;
    // Only a folder named by its full path is walked: an empty or relative one would search
    // wherever the working folder happens to be.
    CString start(folder);
    bool unc = start.GetAt(0) == '\\' && start.GetAt(1) == '\\';
    if (!IsAbsoluteLocalPath(start) && !unc && !(start.GetLength() == 3 && start.Find(":\\") == 1))
        return 0;
    start.TrimRight('\\');
    return WalkShortcutFolder(process, start);
}

bool CSSEngineProcess::CheckShortcutTarget(const CString& path)
{
    if (!KeepRunning() || !m_shellLink)
        return true;
    CComPtr<IPersistFile> file;
    if (FAILED(m_shellLink->QueryInterface(IID_IPersistFile, file.OutVoid())) || !file)
        return true;
    std::wstring widePath;
    if (!TextToWide(path, -1, CP_ACP, TextStrictness::Lenient, widePath) ||
        widePath.size() >= MAX_PATH)
        return true;
    // A file the shell cannot load now (locked, unreadable, of a form it does not know) says
    // nothing about its target.
    if (FAILED(file->Load(widePath.c_str(), STGM_READ)))
        return true;
    if (!KeepRunning())
        return true;

    char target[MAX_PATH] = "NoNe";
    if (m_shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_UNCPRIORITY) != S_OK)
        return true;
    CString ansiTarget(target);
    // No file-system target (a link to a shell object), or nothing written at all.
    if (ansiTarget.IsEmpty() || ansiTarget == NoTargetSentinel)
        return true;
    // An unexpanded variable, a relative target or a network path cannot be looked for here.
    if (ansiTarget.Find('%') >= 0 || !IsAbsoluteLocalPath(ansiTarget))
        return true;

    // The existence test of the path itself and of its 64-bit folder name; it counts only "file
    // not found" and "path not found" on a fixed drive as missing.
    if (PathExistsSwappedBack(*this, ansiTarget))
        return true;
    // The ANSI answer may have lost characters the code page cannot hold, and then names
    // another file: a target looking missing counts only when the link's other forms confirm
    // that answer exactly.
    if (!TargetFormsAgree(m_shellLink, ansiTarget))
        return true;
    // A stop during the check leaves the shortcut unjudged.
    return !KeepRunning();
}
