// Tasks 1, 2 and 4 of the process object (registry backup, restore, repair), the synchronous
// import slot, and the deletions the repair makes.
//
// The repair deletes nothing that a backup was asked for but does not hold: the backup is
// written under a temporary name, read back and checked against every registry item about to be
// removed, and only then renamed into place. Any failure on that way cancels the whole repair.
#include "Engine/SSEngineProcess.h"

#include <shlobj.h>
#include <string.h>

#include <new>
#include <vector>

#include "Engine/HardFileDeletion.h"
#include "Engine/ListDeletions.h"
#include "Engine/RegistryManager.h"
#include "Framework/FileFind.h"
#include "Framework/ModulePath.h"
#include "Framework/RegistryKeyHandle.h"

namespace {

const char BackupFolderName[] = "TarnexRegBackup";
const char BackupFileSuffix[] = "_REGBACKUP.rbk";
const char TemporaryFileSuffix[] = "_REGBACKUP.tmp";
// How often a backup whose name another backup of the same second already took tries the name
// of the next second.
const int BackupRenameAttempts = 3;
const DWORD KillRetryWaitMs = 1500;

// Category bits of the found items, as the repair treats them.
const int CategoriesNeedingTextValue = 0x3F7;
const int CategoryCookieFiles = 0x8;
const int CategoriesBeforeShortcuts = 0x400 | 0x800 | 0x1000 | 0x2000 | 0x4000;
const int CategoryShortcuts = 0x8000;
const int CategoriesAfterShortcuts =
    0x10000 | 0x20000 | 0x40000 | 0x80000 | 0x100000 | 0x200000 | 0x400000 | 0x800000;

enum RepairAction { RepairNothing, RepairRegistryItem, RepairFile, RepairFileKillingHolders };

bool StartsWithHkey(const char* text)
{
    return text && strncmp(text, "HKEY", 4) == 0;
}

// What the repair does with one item. A registry item is repaired by its own form: a value
// when its text names one (key, ValueSeparator, name), else the key with everything below it.
RepairAction DecideRepair(CAbstractScanItemsInfo* items, const char* text, int category)
{
    if (!text)
        return RepairNothing;
    if (category & CategoriesNeedingTextValue) {
        if (items->GetTextValue(text) <= 0)
            return RepairNothing;
        return StartsWithHkey(text) ? RepairRegistryItem : RepairFileKillingHolders;
    }
    if (category & CategoryCookieFiles)
        return RepairFile;
    if (category & CategoriesBeforeShortcuts)
        return RepairRegistryItem;
    if (category & CategoryShortcuts)
        return RepairFile;
    if (category & CategoriesAfterShortcuts)
        return RepairRegistryItem;
    return RepairNothing;
}

// The registry items the repair would touch, in list order.
std::vector<RegistryItemPath> RegistryRepairTargets(CAbstractScanItemsInfo* items)
{
    std::vector<RegistryItemPath> targets;
    if (!items || !items->MoveFirst())
        return targets;
    do {
        if (items->IsCurrentExcluded())
            continue;
        const char* text = items->GetItemText();
        RegistryItemPath item;
        if (DecideRepair(items, text, items->GetItemCategory()) == RepairRegistryItem &&
            ParseRegistryItem(text, item))
            targets.push_back(item);
    } while (items->MoveNext());
    return targets;
}

// "<program folder>\TarnexRegBackup\<computer>-<volume serial>-<user>". A part whose query
// fails is left out; the user name is asked for with the size the computer-name query left
// behind (so it appears only when shorter than the computer name), exactly as the Restore
// Center derives the same folder. Empty when the program folder is unknown: a backup written
// anywhere else would never be found again.
CString BackupFolder(CString& root)
{
    const CString program = GetProgramFolder();  // with its trailing "\"
    if (program.IsEmpty())
        return CString();
    root = program + BackupFolderName;
    CString name;
    char computer[1024] = {};
    DWORD size = sizeof(computer);
    if (GetComputerNameA(computer, &size)) {
        name += computer;
        name += "-";
    }
    char windows[MAX_PATH + 1] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_WINDOWS, nullptr, SHGFP_TYPE_CURRENT, windows) == S_OK) {
        const CString drive = CString(windows).Left(3);
        DWORD serial = 0;
        if (GetVolumeInformationA(drive, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
            name.AppendFormat("%u-", unsigned(serial));
    }
    char user[1024] = {};
    if (GetUserNameA(user, &size))
        name += user;
    return root + "\\" + name;
}

CString BackupBaseName(const SYSTEMTIME& time)
{
    CString name;
    name.Format("%02d%02d%02d_%02d%02d%02d", time.wDay, time.wMonth, time.wYear, time.wHour,
                time.wMinute, time.wSecond);
    return name;
}

// A folder is there when a search inside it finds anything ("." at least); otherwise it is made.
bool EnsureFolder(const CString& folder)
{
    WIN32_FIND_DATAA entry;
    return FindFileEntry(folder + "\\*.*", entry) || CreateDirectoryA(folder, nullptr) != FALSE;
}

bool FileFound(const CString& path)
{
    WIN32_FIND_DATAA entry;
    return FindFileEntry(path, entry) != FALSE;
}

void WaitForNextSecond(SYSTEMTIME& time)
{
    SYSTEMTIME now;
    for (int i = 0; i < 40; ++i) {
        GetLocalTime(&now);
        if (now.wSecond != time.wSecond || now.wMinute != time.wMinute || now.wHour != time.wHour)
            break;
        Sleep(50);
    }
    time = now;
}

bool IsDriveLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A file the repair may delete: named by a full path ("X:\..." or "\\server\share\...") and,
// when it is there, a plain file. A relative name would be looked for in whatever folder is
// current; a folder or a link of the file system is not what the scan found.
bool IsDeletableFile(const char* file, bool& present)
{
    present = false;
    if (!file)
        return false;
    const bool drivePath = IsDriveLetter(file[0]) && file[1] == ':' && file[2] == '\\' && file[3];
    const bool uncPath = file[0] == '\\' && file[1] == '\\' && file[2];
    if (!drivePath && !uncPath)
        return false;
    const DWORD attributes = GetFileAttributesA(file);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    present = true;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

bool IsLockError(DWORD error)
{
    // A file held open by another program without delete sharing is as locked as one the
    // system denies access to.
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

// Deletes a value named by its item text; "(Default)" empties the unnamed value instead.
// 1 when the key could be opened.
int DeleteValueByItemText(const RegistryItemPath& item)
{
    CRegistryKeyHandle key;
    if (key.Open(item.root, item.keyPath, KEY_SET_VALUE | KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return 0;
    if (RegDeleteValueA(key.Get(), item.valueName) != ERROR_SUCCESS &&
        item.valueName.CompareNoCase("(default)") == 0)
        RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    return 1;
}

}  // namespace

// --- the backup -----------------------------------------------------------------------------

// Writes the backup of the found items and, when targets are given, checks that it holds every
// one of them. 1 when the backup is complete and in place; 0 when a folder could not be made or
// the document could not be written, read back or renamed (no ".rbk" is left then); -1 when the
// manager could not be made.
static int WriteRegistryBackup(CSSEngineProcess& process, CAbstractScanItemsInfo* items,
                               const std::vector<RegistryItemPath>* targets)
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    CString root;
    const CString folder = BackupFolder(root);
    if (folder.IsEmpty() || !EnsureFolder(root) || !EnsureFolder(folder))
        return 0;

    const CString temporary = folder + "\\" + BackupBaseName(time) + TemporaryFileSuffix;
    // A name already taken belongs to another backup being written: it is neither overwritten
    // nor, when this one fails, deleted.
    if (FileFound(temporary))
        return 0;
    CRegistryManager* manager =
        new (std::nothrow) CRegistryManager(process.Status(), &process.m_documentContinue);
    if (!manager)
        return -1;
    bool complete = manager->ExportFoundItems(items, temporary) == 1;
    if (complete) {
        // Read back: the document must parse in full and hold what is about to be deleted.
        CRegistryDocument document;
        complete = manager->ReadDocument(temporary, false, document);
        if (complete && targets)
            for (const RegistryItemPath& target : *targets)
                if (!document.Covers(target)) {
                    complete = false;
                    break;
                }
    }
    delete manager;

    bool renamed = false;
    for (int attempt = 0; complete && attempt < BackupRenameAttempts; ++attempt) {
        const CString final = folder + "\\" + BackupBaseName(time) + BackupFileSuffix;
        if (MoveFileExA(temporary, final, MOVEFILE_WRITE_THROUGH)) {
            renamed = true;
            break;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
        // Another backup took this second's name: it is never replaced.
        WaitForNextSecond(time);
    }
    if (!renamed)
        DeleteFileA(temporary);
    return renamed ? 1 : 0;
}

int CSSEngineProcess::RunRegistryBackup()
{
    InterlockedExchange(&m_documentContinue, 1);
    // Without a list (no repair was ever started) the document holds an empty root element.
    return WriteRegistryBackup(*this, m_foundItems, nullptr);
}

// --- the restore ----------------------------------------------------------------------------

int CSSEngineProcess::RunRegistryRestore()
{
    if (!FileFound(m_restoreFilePath))
        return -1;
    CRegistryManager* manager = new (std::nothrow) CRegistryManager(m_status, &m_documentContinue);
    if (!manager)
        return -1;
    const int result = manager->Import(m_restoreFilePath);
    delete manager;
    return result;
}

int CSSEngineProcess::ImportRegistryFile(CAbstractStatus* status, CString path)
{
    try {
        CRegistryManager* manager = new (std::nothrow) CRegistryManager(status, nullptr);
        if (!manager)
            return 0;
        const int result = manager->Import(path);
        delete manager;
        return result;
    } catch (...) {
        return 0;
    }
}

// --- the repair -----------------------------------------------------------------------------

// A file that is gone already, or that IsDeletableFile refuses, is left alone; so is a link the
// system shows as a plain file (Wine does so with a host link, and deleting it deletes the file
// it points to).
int DeleteFileHard(CSSEngineProcess& process, const char* file, bool kill)
{
    bool present = false;
    if (!IsDeletableFile(file, present) || !present || !LeadsToItself(file))
        return 1;
    if (DeleteFileA(file) || !IsLockError(GetLastError()) ||
        GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES)
        return 1;
    SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(file) || !IsLockError(GetLastError()))
        return 1;
    if (kill && process.m_processTerminator.TerminateByPath(file)) {
        if (DeleteFileA(file))
            return 1;
        Sleep(KillRetryWaitMs);
        if (DeleteFileA(file) || !IsLockError(GetLastError()))
            return 1;
    }
    if (process.Status())
        process.Status()->OnResult(1);
    MoveFileExA(file, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 1;
}

static void RepairItem(CSSEngineProcess& process, CAbstractScanItemsInfo* items, const char* text,
                       int category)
{
    switch (DecideRepair(items, text, category)) {
    case RepairRegistryItem: {
        RegistryItemPath item;
        if (!ParseRegistryItem(text, item))
            break;  // not a key below a root: never a whole root key
        if (item.namesValue)
            DeleteValueByItemText(item);
        else
            CRegistryManager::DeleteKeyTree(text);
        break;
    }
    case RepairFile:
        DeleteFileHard(process, text, false);
        break;
    case RepairFileKillingHolders:
        DeleteFileHard(process, text, true);
        break;
    case RepairNothing:
        break;
    }
}

int CSSEngineProcess::RunRegistryRepair()
{
    InterlockedExchange(&m_documentContinue, 1);
    CAbstractScanItemsInfo* items = m_foundItems;
    CAbstractStatus* status = m_status;
    if (!items || !status)
        return 0;
    if (m_backupBeforeRepair) {
        status->OnStatusText("Creating registry backup", "Scanning");
        const std::vector<RegistryItemPath> targets = RegistryRepairTargets(items);
        if (WriteRegistryBackup(*this, items, &targets) != 1) {
            status->OnStatusText(REGISTRY_BACKUP_FAILED_TEXT, "Scanning");
            return -1;
        }
    }
    status->OnStatusText("Repairing registry item(s)", "Scanning");
    items->GetCategoryMask();
    if (!items->MoveFirst())
        return 0;
    do {
        if (!KeepRunning())
            break;
        status->OnProgress(1);
        if (items->IsCurrentExcluded())
            continue;
        const char* itemText = items->GetItemText();
        if (!itemText)
            continue;
        // A copy: the deletions call back into the list.
        const CString text(itemText);
        RepairItem(*this, items, text, items->GetItemCategory());
    } while (items->MoveNext());
    return 0;
}
