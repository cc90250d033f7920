// Application paths ("APP"), help files ("HLP"), fonts ("FNT") and shared DLLs ("SHD") of the
// registry scan: fixed keys under HKEY_LOCAL_MACHINE whose entries name files, reported when
// the file is established missing.
#include "Engine/RegistryScanCategories.h"

#include "Engine/RegistryEntryJudging.h"
#include "Framework/RegistryKeyHandle.h"
#include "Framework/RegistryKeyWalks.h"
#include "Engine/RegistryPathToolkit.h"
#include "Framework/RegistryValueEnumerator.h"
#include "Engine/SSEngineProcess.h"

namespace {

const char FontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char SharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char AppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char HelpClassesKey[] = "SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID";
const char* const HelpFileKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\Help",
    "SOFTWARE\\Microsoft\\Windows\\HTML Help",
};
const char MachineRoot[] = "HKEY_LOCAL_MACHINE";

// Progress-text thresholds.
const int SharedDllTextThreshold = 100;
const int AppPathTextThreshold = 3000;

CString MachinePath(const CString& key)
{
    return CString(MachineRoot) + "\\" + key;
}

bool EndsWith(const CString& text, const char* suffix)
{
    int n = static_cast<int>(strlen(suffix));
    return text.GetLength() >= n && text.Mid(text.GetLength() - n).Compare(suffix) == 0;
}

// --- fonts --------------------------------------------------------------------------------------

// The folder fonts named without a path are loaded from, with its trailing "\".
CString WindowsFontsFolder()
{
    char folder[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return CString();
    CString text(folder);
    text.TrimRight('\\');
    return text + "\\Fonts\\";
}

// Whether the platform's font loader also resolves fonts named without a path in a font
// folder of its own that lies outside every drive. Wine's does (the folder of its installation,
// which it names in the environment as an NT path); the engine does not look outside the
// drives of the system it runs on, so there such a font is not judged when the Windows Fonts
// folder lacks it. On Windows the Fonts folder is the only one.
bool FontLoaderHasFolderOutsideDrives()
{
    char data[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableA("WINEDATADIR", data, sizeof data);
    return n > 0 && n < sizeof data;
}

enum FontFileState { FontPresent, FontMissing, FontNotJudged };

FontFileState JudgeFontFile(CSSEngineProcess& process, CString file, const CString& fontsFolder,
                            bool bareNamesResolvedElsewhere)
{
    file.Trim('"');
    if (file.IsEmpty() || !ExpandForExistenceTest(process, file))
        return FontNotJudged;
    // A bare name lives in a font folder and a full path is where it says; a relative path
    // with folders would depend on the working folder of whoever loads it.
    bool bare = IsBareFileName(file);
    if (!bare && !IsAbsoluteLocalPath(file))
        return FontNotJudged;
    // The swapped test finds whatever a file search for the same path finds (and counts more
    // answers as present), so each place is tested once.
    if (!bare)
        return PathExistsSwapped(process, file) ? FontPresent : FontMissing;
    // Where such a name may live outside every drive, it is not judged whatever the Fonts
    // folder holds.
    if (fontsFolder.IsEmpty() || bareNamesResolvedElsewhere)
        return FontNotJudged;
    if (PathExistsSwapped(process, fontsFolder + file) || PathExistsSwapped(process, file))
        return FontPresent;
    return FontMissing;
}

// --- application paths --------------------------------------------------------------------------

// Whether `program` is found in one of the folders of an App Paths "Path" value (a
// semicolon-separated list). `notJudged` is set when a folder cannot be resolved.
bool FoundInPathFolders(CSSEngineProcess& process, const CString& pathValue,
                        const CString& program, bool& notJudged)
{
    int start = 0;
    while (start >= 0) {
        if (!process.KeepRunning()) {
            notJudged = true;
            return false;
        }
        CString folder = pathValue.Tokenize(";", start);
        if (start < 0)
            break;
        folder.Trim();
        folder.Trim('"');
        if (folder.IsEmpty())
            continue;
        if (!ExpandForExistenceTest(process, folder)) {
            notJudged = true;
            return false;
        }
        folder.TrimRight('\\');
        CString formed = folder + "\\" + program;
        FileSearchOutcome found = SearchFile(formed, true);
        if (found == FileFound) {
            CollectFolder(process, formed);
            return true;
        }
        if (found == FileNotJudged || PathExistsSwapped(process, formed))
            return true;
    }
    return false;
}

// The two values of an App Paths entry that are judged, picked out by name as the entry's
// values are read: the order in which the registry enumerates them says nothing about the
// entry.
struct AppPathValues {
    bool hasProgram = false;
    CString program;    // the unnamed value
    bool hasPath = false;
    CString pathValue;  // "Path"

    void Take(const CRegistryValueEnumerator& value)
    {
        if (!value.IsString())
            return;
        if (value.Name().IsEmpty()) {
            hasProgram = true;
            program = value.Text();
        } else if (value.Name().CompareNoCase("Path") == 0) {
            hasPath = true;
            pathValue = value.Text();
        }
    }
};

// One App Paths entry: the unnamed value names the program; when that is not found as it is,
// it may be a name to look for in the folders of the "Path" value.
bool AppPathEntryIsMissing(CSSEngineProcess& process, const AppPathValues& values,
                           const CString& entryName)
{
    if (!values.hasProgram)
        return false;
    CString program = values.program;
    program.MakeLower();
    program.Trim();
    if (program.GetAt(0) == '"') {
        int closing = program.Find('"', 1);
        program = closing > 0 ? program.Mid(1, closing - 1) : program.Mid(1);
    }
    if (program.IsEmpty())
        return false;
    if (!FileIsEstablishedMissing(process, program))
        return false;

    // The folders of "Path" can only complete a program named without its drive or root; one
    // named by its full path is where it says.
    const bool completable = program.FindOneOf(":%") < 0 && program.GetAt(0) != '\\';
    if (completable && values.hasPath) {
        CString pathValue = values.pathValue;
        pathValue.MakeLower();
        bool notJudged = false;
        if (FoundInPathFolders(process, pathValue, program, notJudged) || notJudged)
            return false;
    }
    // This entry's program is the connection manager's, which is registered without its
    // file on systems that never installed it.
    CString name(entryName);
    name.MakeLower();
    return name.Compare("cmmgr32.exe") != 0;
}

// --- help files ---------------------------------------------------------------------------------

int CheckHelpClassServers(CSSEngineProcess& process)
{
    CRegistrySubKeyWalk classes(HKEY_LOCAL_MACHINE, HelpClassesKey, "InprocServer32");
    if (classes.Open() != ERROR_SUCCESS)
        return 0;
    CAbstractStatus* status = process.Status();
    if (status)
        status->OnProgress(1);
    int reported = 0;
    while (classes.Next(CProcessWalkControl(process))) {
        const CString& classKey = classes.EntryPath();
        CRegistryValueWalk values(classes.Key(), CRegistryValueWalk::ProgressPerValue);
        bool classReported = false;
        while (values.Next(CProcessWalkControl(process))) {
            CString data = values.Text();
            data.MakeLower();
            data.Trim();
            data.Trim('"');
            // Only a text that is a module path is judged; one that goes on after the module
            // name is not a path we can test.
            bool isModule = EndsWith(data, ".dll") || EndsWith(data, ".ocx");
            if (!classReported && isModule && FileIsEstablishedMissing(process, data) &&
                process.KeepRunning() && IsKeyWritable(MachineRoot, classKey)) {
                ReportItem(process, MachinePath(classKey), RegScanHelpFiles);
                classReported = true;
                ++reported;
            }
            if (status)
                status->OnStatusText(classes.OpenedPath(), "HLP");
        }
    }
    return reported;
}

// A help-file key: each value name is a help file, its data the folder that holds it.
int CheckHelpFileKey(CSSEngineProcess& process, const char* key)
{
    CRegistryKeyHandle help;
    if (help.Open(HKEY_LOCAL_MACHINE, key, KEY_READ) != ERROR_SUCCESS)
        return 0;
    CAbstractStatus* status = process.Status();
    CRegistryValueWalk values(help.Get(), CRegistryValueWalk::ProgressPerValue);
    int reported = 0;
    while (values.Next(CProcessWalkControl(process))) {
        CString name(values.Name());
        name.MakeLower();
        CString folder = values.Text();
        folder.MakeLower();
        folder.Trim();
        folder.Trim('"');
        folder.TrimRight('\\');
        // Without a file name or a folder there is nothing to look for.
        if (!name.IsEmpty() && !folder.IsEmpty() && values.IsString() &&
            FileIsEstablishedMissing(process, folder + "\\" + name) && process.KeepRunning() &&
            IsKeyWritable(MachineRoot, key)) {
            ReportItem(process, StoredValueItemText(MachinePath(key), name), RegScanHelpFiles);
            ++reported;
        }
        if (status)
            status->OnStatusText(CString(key) + "\\" + name, "HLP");
    }
    return reported;
}

}  // namespace

int ScanFonts(CSSEngineProcess& process)
{
    CAbstractStatus* status = process.Status();
    if (status)
        status->OnProgress(1);
    CRegistryKeyHandle fonts;
    if (fonts.Open(HKEY_LOCAL_MACHINE, FontsKey, KEY_READ) != ERROR_SUCCESS)
        return 0;
    const CString fontsFolder = WindowsFontsFolder();
    const bool bareNamesResolvedElsewhere = FontLoaderHasFolderOutsideDrives();
    CRegistryValueWalk values(fonts.Get(), CRegistryValueWalk::ProgressPerValue);
    int reported = 0;
    while (values.Next(CProcessWalkControl(process))) {
        if (values.IsString() &&
            JudgeFontFile(process, values.Text(), fontsFolder, bareNamesResolvedElsewhere) == FontMissing &&
            process.KeepRunning() && IsKeyWritable(MachineRoot, FontsKey)) {
            ReportItem(process, StoredValueItemText(MachinePath(FontsKey), values.Name()),
                       RegScanFonts);
            ++reported;
        }
        if (status)
            status->OnStatusText(CString(FontsKey) + "/" + values.Name(), "FNT");
    }
    return reported;
}

int ScanSharedDlls(CSSEngineProcess& process)
{
    CAbstractStatus* status = process.Status();
    if (status)
        status->OnProgress(1);
    CRegistryKeyHandle shared;
    if (shared.Open(HKEY_LOCAL_MACHINE, SharedDllsKey, KEY_READ) != ERROR_SUCCESS)
        return 0;
    CRegistryValueWalk values(shared.Get(), CRegistryValueWalk::ProgressPerValue);
    int reported = 0;
    while (values.Next(CProcessWalkControl(process))) {
        CString path(values.Name());
        path.Trim('"');
        // The name is the file. Only a full local path is judged; a "?" stands for a
        // character the ANSI code page cannot hold, so the real name is unknown.
        if (IsAbsoluteLocalPath(path) && path.FindOneOf("?%") < 0) {
            // The swapped test also finds every file that would open for reading (and counts
            // one it may not open as present), so it is the only test made.
            if (PathExistsSwapped(process, path)) {
                CollectFolder(process, path);
            } else if (process.KeepRunning() && IsKeyWritable(MachineRoot, SharedDllsKey)) {
                ReportItem(process, StoredValueItemText(MachinePath(SharedDllsKey), values.Name()),
                           RegScanSharedDlls);
                ++reported;
            }
        }
        ThrottledStatusText(process, SharedDllTextThreshold,
                            CString(SharedDllsKey) + "/" + values.Name(), "SHD");
    }
    return reported;
}

int ScanAppPaths(CSSEngineProcess& process)
{
    CRegistrySubKeyWalk entries(HKEY_LOCAL_MACHINE, AppPathsKey);
    if (entries.Open() != ERROR_SUCCESS)
        return 0;
    CAbstractStatus* status = process.Status();
    if (status)
        status->OnProgress(1);
    int reported = 0;
    while (entries.Next(CProcessWalkControl(process))) {
        const CString& entryKey = entries.EntryPath();
        // Progress for every value with data, as the program's progress bar expects.
        CRegistryValueWalk values(entries.Key(), CRegistryValueWalk::ProgressPerValue);
        AppPathValues judged;
        while (values.Next(CProcessWalkControl(process))) {
            ThrottledStatusText(process, AppPathTextThreshold, entryKey, "APP");
            judged.Take(values);
        }
        if (process.KeepRunning() && AppPathEntryIsMissing(process, judged, entries.Name()) &&
            process.KeepRunning() && IsKeyWritable(MachineRoot, entryKey)) {
            ReportItem(process, MachinePath(entryKey), RegScanAppPaths);
            ++reported;
        }
    }
    return reported;
}

int ScanHelpFiles(CSSEngineProcess& process)
{
    int reported = CheckHelpClassServers(process);
    for (const char* key : HelpFileKeys) {
        if (!process.KeepRunning())
            break;
        reported += CheckHelpFileKey(process, key);
    }
    return reported;
}
