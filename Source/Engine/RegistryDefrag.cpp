// The hive defragmenter: hive list, compacted copies, gain, replacement, and the work folder.
#include "Engine/RegistryDefrag.h"

#include <aclapi.h>
#include <shlobj.h>
#include <string.h>

#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"
#include "Framework/FileFind.h"
#include "Framework/Handle.h"
#include "Framework/RegistryKeyHandle.h"
#include "Framework/SystemInfo.h"

namespace {

const char* const ProductDisplayName = "Velmora";
const char* const WorkFolderName = "TarnexRegDefrag";
const char* const HiveListKey = "SYSTEM\\CurrentControlSet\\Control\\hivelist";
const DWORD LockSpinCount = 0x80000400;
// Far more values than a hive list holds; ends the walk should the enumeration never fail.
const DWORD MaxHiveListValues = 100000;

bool FileExists(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The size a find-first search reports, all 64 bits of it.
bool FileSize(const char* path, ULONGLONG& size)
{
    WIN32_FIND_DATAA data;
    if (!FindFileEntry(path, data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

// Creates a folder that a search does not find; an existing folder is fine, anything else
// that stops the creation fails.
bool EnsureFolder(const CString& folder)
{
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

CRegistryDefrag::CRegistryDefrag()
    : m_status(nullptr), m_onWow64(0), m_lock(LockSpinCount), m_oldTotal(0), m_newTotal(0),
      m_replaceKey(RegReplaceKeyA)
{
    if (PrepareWorkFolder(m_workFolder))
        PurgeFolder(m_workFolder);
}

CRegistryDefrag::~CRegistryDefrag() = default;

void CRegistryDefrag::SetReplaceKeyFunction(ReplaceKeyFunction function)
{
    m_replaceKey = function ? function : RegReplaceKeyA;
}

void CRegistryDefrag::Progress()
{
    if (m_status)
        m_status->OnProgress(1);
}

int CRegistryDefrag::DefragRegistry(CSSEngineProcess& process, int mode)
{
    m_onWow64 = IsWow64() ? 1 : 0;
    m_status = process.Status();

    int code;
    if (mode == 1) {
        code = ReplaceHives() ? DefragReplaced : DefragReplaceFailed;
    } else if (!ListHives()) {
        code = DefragListFailed;
    } else if (!SaveCompactedHives(GetWindowsVersion())) {
        code = DefragNoCopy;
    } else {
        CString gain;
        code = AnalysisResult(m_oldTotal, m_newTotal, gain);
        if (code == DefragGain && m_status)
            m_status->OnStatusText(gain, "DEFRAG");
        // The registry was read and copied in full, so the hives the last replacement set
        // aside are no longer the only good copy: their backups may go now.
        PurgeFolder(m_workFolder + "\\Backup");
    }
    if (m_status)
        m_status->OnResult(code);
    // The status object is the program's and lives no longer than this task.
    m_status = nullptr;
    return code;
}

int CRegistryDefrag::AnalysisResult(ULONGLONG oldTotal, ULONGLONG newTotal, CString& gainText)
{
    if (newTotal >= oldTotal)
        return DefragNoGain;
    // "Above 4 percent" is decided in whole numbers (new / old < 24 / 25), so a copy of exactly
    // 96 percent never passes on a rounding error; the text shows the percentage itself.
    const bool worthIt = oldTotal <= ~0ULL / 25 ? newTotal * 25 < oldTotal * 24
                                                : newTotal / 24 < oldTotal / 25;
    if (!worthIt)
        return DefragNoGain;
    long double gain = 100.0L - static_cast<long double>(newTotal) / oldTotal * 100.0L;
    gainText.Format("%2.2f", static_cast<double>(gain));
    return DefragGain;
}

// --- analysis -------------------------------------------------------------------------------

bool CRegistryDefrag::ListHives()
{
    m_hives.clear();
    m_oldTotal = 0;
    m_newTotal = 0;
    if (PrepareWorkFolder(m_workFolder))
        PurgeFolder(m_workFolder);

    CRegistryKeyHandle list;
    if (list.Open(HKEY_LOCAL_MACHINE, HiveListKey, KEY_READ | ViewFlag()) != ERROR_SUCCESS)
        return false;
    for (DWORD index = 0; index < MaxHiveListValues; ++index) {
        char name[261];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        DWORD size = 0;
        LONG result = RegEnumValueA(list.Get(), index, name, &nameLength, nullptr, &type, nullptr, &size);
        // A name longer than any hive's is not a hive; the walk goes on past it.
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        if (size == 0)
            continue;
        Progress();
        CString hiveFile;
        if (list.QueryString(name, hiveFile) != ERROR_SUCCESS)
            continue;
        hiveFile.MakeLower();
        if (!hiveFile.IsEmpty())
            AddHive(name, hiveFile);
    }
    return true;
}

bool CRegistryDefrag::AddHive(const char* valueName, CString hiveFile)
{
    if (!FileExists(hiveFile))
        DevicePathToDosPath(hiveFile);
    ULONGLONG size = 0;
    if (!FileExists(hiveFile) || !FileSize(hiveFile, size))
        return false;

    HiveRecord hive;
    CString registryName(valueName);
    hive.KeyName = registryName.Mid(registryName.ReverseFind('\\') + 1);
    hive.HiveFile = hiveFile;
    hive.Root = nullptr;
    hive.HiveSize = size;
    hive.CopySize = 0;
    hive.CopyWritten = false;
    registryName.MakeLower();
    CString copyName;
    // A hive without a name of its own would open its root itself; it is listed, never saved.
    if (!hive.KeyName.IsEmpty()) {
        if (registryName.Find("\\registry\\machine") >= 0) {
            copyName.Format("LM_%s", hive.KeyName.GetString());
            hive.Root = HKEY_LOCAL_MACHINE;
        } else if (registryName.Find("\\registry\\user") >= 0) {
            copyName.Format("USERS_%s", hive.KeyName.GetString());
            hive.Root = HKEY_USERS;
        }
    }
    if (!copyName.IsEmpty()) {
        hive.CopyFile.Format("%s\\%s", m_workFolder.GetString(), copyName.GetString());
        hive.BackupFile.Format("%s\\Backup\\%s", m_workFolder.GetString(), copyName.GetString());
        // An old copy goes; an old backup stays until this analysis has succeeded.
        DeleteFileA(hive.CopyFile);
    }
    m_hives.push_back(hive);
    return true;
}

bool CRegistryDefrag::SaveCompactedHives(int windowsVersion)
{
    m_oldTotal = 0;
    m_newTotal = 0;
    for (HiveRecord& hive : m_hives) {
        hive.CopyWritten = false;
        hive.CopySize = 0;
    }
    if (SetPrivilege(SE_BACKUP_NAME, true) != ERROR_SUCCESS)
        return false;
    int written = 0;
    for (HiveRecord& hive : m_hives) {
        if (!SaveHive(hive, windowsVersion))
            continue;
        // Both totals take the hive only now: a hive without a copy says nothing of the gain.
        m_oldTotal += hive.HiveSize;
        m_newTotal += hive.CopySize;
        ++written;
    }
    const DWORD disabled = SetPrivilege(SE_BACKUP_NAME, false);
    return written > 0 && disabled == ERROR_SUCCESS;
}

bool CRegistryDefrag::SaveHive(HiveRecord& hive, int windowsVersion)
{
    if (!hive.Root || hive.CopyFile.IsEmpty())
        return false;
    CRegistryKeyHandle key;
    if (key.Open(hive.Root, hive.KeyName, KEY_READ | ViewFlag()) != ERROR_SUCCESS)
        return false;
    Progress();

    CCriticalSectionLock hold(m_lock);
    if (RegFlushKey(key.Get()) != ERROR_SUCCESS)
        return false;
    DeleteFileA(hive.CopyFile);
    LONG result = windowsVersion == 5 ? RegSaveKeyA(key.Get(), hive.CopyFile, nullptr)
                                      : SaveKeyWithFileSecurity(hive.HiveFile, key.Get(), hive.CopyFile);
    ULONGLONG size = 0;
    if (result != ERROR_SUCCESS || !FileSize(hive.CopyFile, size)) {
        DeleteFileA(hive.CopyFile);
        return false;
    }
    hive.CopySize = size;
    hive.CopyWritten = true;
    return true;
}

LONG CRegistryDefrag::SaveKeyWithFileSecurity(const CString& hiveFile, HKEY key, const CString& copyFile)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR hiveSecurity = nullptr;
    DWORD result = GetNamedSecurityInfoA(hiveFile, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, &dacl, nullptr, &hiveSecurity);
    if (result != ERROR_SUCCESS)
        return static_cast<LONG>(result);
    SECURITY_DESCRIPTOR descriptor;
    LONG saved;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE)) {
        saved = static_cast<LONG>(GetLastError());
    } else {
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, TRUE};
        saved = RegSaveKeyA(key, copyFile, &attributes);
    }
    LocalFree(hiveSecurity);
    return saved;
}

// --- replacement ----------------------------------------------------------------------------

bool CRegistryDefrag::ReplaceHives()
{
    // Nothing analysed, or nothing to gain.
    if (m_newTotal >= m_oldTotal)
        return false;
    if (SetPrivilege(SE_RESTORE_NAME, true) != ERROR_SUCCESS)
        return false;
    int replaced = 0;
    for (const HiveRecord& hive : m_hives) {
        Progress();
        if (ReplaceHive(hive))
            ++replaced;
    }
    const DWORD disabled = SetPrivilege(SE_RESTORE_NAME, false);
    return replaced > 0 && disabled == ERROR_SUCCESS;
}

bool CRegistryDefrag::ReplaceHive(const HiveRecord& hive)
{
    // Only a hive whose own copy is smaller gains anything from being replaced.
    if (!hive.Root || !hive.CopyWritten || hive.CopySize >= hive.HiveSize || !FileExists(hive.CopyFile))
        return false;
    CCriticalSectionLock hold(m_lock);
    DeleteFileA(hive.BackupFile);
    LONG result = m_replaceKey(hive.Root, hive.KeyName, hive.CopyFile, hive.BackupFile);
    // The system moves the live hive file to the backup name at once and loads the copy at the
    // next start. A call that reports success but leaves no backup has replaced nothing.
    if (result == ERROR_SUCCESS && FileExists(hive.BackupFile))
        return true;
    DeleteFileA(hive.BackupFile);
    return false;
}

// --- helpers --------------------------------------------------------------------------------

bool CRegistryDefrag::PrepareWorkFolder(CString& path)
{
    CString windows = GetSpecialFolder(CSIDL_WINDOWS);
    windows.TrimRight('\\');
    CString base;
    bool ready = true;
    if (windows.IsEmpty()) {
        base.Format("C:\\%s", ProductDisplayName);
    } else {
        CString temp = windows + "\\Temp";
        ready = EnsureFolder(temp);
        base.Format("%s\\%s", temp.GetString(), ProductDisplayName);
    }
    ready = ready && EnsureFolder(base);
    path.Format("%s\\%s", base.GetString(), WorkFolderName);
    ready = ready && EnsureFolder(path);
    CString backup;
    backup.Format("%s\\Backup", path.GetString());
    return ready && EnsureFolder(backup);
}

void CRegistryDefrag::PurgeFolder(const CString& folder)
{
    // Never a drive's root or the current drive's ("\*.*" when the name is empty).
    if (folder.GetLength() <= 3)
        return;
    CString pattern;
    pattern.Format("%s\\*.*", folder.GetString());
    WIN32_FIND_DATAA data;
    CFindHandle find;
    for (BOOL more = find.FindFirst(pattern, data); more; more = find.FindNext(data)) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        CString file;
        file.Format("%s\\%s", folder.GetString(), data.cFileName);
        DeleteFileA(file);
    }
}

DWORD CRegistryDefrag::SetPrivilege(const char* name, bool enable)
{
    LUID luid;
    if (!LookupPrivilegeValueA(nullptr, name, &luid))
        return GetLastError();
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened))
        return GetLastError();
    CHandle token(opened);

    TOKEN_PRIVILEGES request = {};
    request.PrivilegeCount = 1;
    request.Privileges[0].Luid = luid;
    TOKEN_PRIVILEGES previous = {};
    DWORD previousSize = sizeof previous;
    // The first adjustment reads the privilege's current state; the second sets it from there.
    AdjustTokenPrivileges(token.Get(), FALSE, &request, sizeof request, &previous, &previousSize);
    DWORD error = GetLastError();
    if (error == ERROR_SUCCESS) {
        previous.PrivilegeCount = 1;
        previous.Privileges[0].Luid = luid;
        if (enable)
            previous.Privileges[0].Attributes |= SE_PRIVILEGE_ENABLED;
        else
            previous.Privileges[0].Attributes &= ~static_cast<DWORD>(SE_PRIVILEGE_ENABLED);
        AdjustTokenPrivileges(token.Get(), FALSE, &previous, sizeof previous, nullptr, nullptr);
        error = GetLastError();
    }
    return error;
}

bool CRegistryDefrag::ReplaceDevicePrefix(CString& path, const char* device, const char* drive)
{
    const int length = static_cast<int>(strlen(device));
    if (length == 0 || path.GetLength() < length || _strnicmp(path, device, length) != 0)
        return false;
    // \Device\HarddiskVolume1 is not the start of \Device\HarddiskVolume10\...
    const char next = path.GetAt(length);
    if (next != '\0' && next != '\\')
        return false;
    path = CString(drive) + path.Mid(length);
    return true;
}

void CRegistryDefrag::DevicePathToDosPath(CString& path)
{
    char drives[512] = {};
    DWORD length = GetLogicalDriveStringsA(sizeof drives - 1, drives);
    if (length == 0 || length >= sizeof drives - 1)
        return;
    for (const char* root = drives; *root; root += strlen(root) + 1) {
        const char drive[3] = {root[0], ':', '\0'};
        char device[MAX_PATH + 1] = {};
        if (!QueryDosDeviceA(drive, device, MAX_PATH) || strlen(device) >= MAX_PATH)
            continue;
        if (ReplaceDevicePrefix(path, device, drive))
            return;
    }
}
