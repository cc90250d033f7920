// CRegistryDefrag: compacts the registry hives. An analysis run writes a compacted copy of every
// loaded hive (RegSaveKeyA) into the work folder and measures the gain; a later replacement run
// on the same object hands the smaller copies to RegReplaceKeyA, so that Windows loads them at
// the next start and keeps the old hive files as backups in the work folder's "Backup".
//
// Sizes and gains are judged per hive: a hive counts only when its copy was written, and only a
// hive whose copy is smaller than its file is replaced.
#ifndef TARNEX_REGISTRY_DEFRAG_H
#define TARNEX_REGISTRY_DEFRAG_H

#include <windows.h>

#include <vector>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CriticalSection.h"

class CSSEngineProcess;

// The result codes of task 8, sent with OnResult.
enum DefragResult {
    DefragListFailed = 1,     // analysis: the hive list could not be read
    DefragNoCopy = 2,         // analysis: no compacted copy could be written
    DefragReplaceFailed = 3,  // replacement: nothing was replaced
    DefragGain = 6,           // analysis: the gain is above 4 percent; its text was sent
    DefragReplaced = 7,       // replacement: at least one hive was replaced
    DefragNoGain = 8,         // analysis: copies written, gain not above 4 percent
};

struct HiveRecord {
    CString KeyName;      // last component of the hive's registry name, case as listed
    CString HiveFile;     // the hive's file, drive-letter form, lower case
    CString BackupFile;   // work folder\Backup\copy name (empty without a root)
    CString CopyFile;     // work folder\copy name (empty without a root)
    HKEY Root;            // HKEY_LOCAL_MACHINE, HKEY_USERS, or null for any other hive
    ULONGLONG HiveSize;   // size of the hive file when it was listed
    ULONGLONG CopySize;   // size of the copy the last analysis wrote
    bool CopyWritten;     // the last analysis wrote this hive's copy
};

class CRegistryDefrag {
public:
    // RegReplaceKeyA's shape. The defragmenter calls the system's own function; a test may put
    // a recorder in its place (see SetReplaceKeyFunction).
    typedef LONG(WINAPI* ReplaceKeyFunction)(HKEY root, LPCSTR subKey, LPCSTR newFile,
                                              LPCSTR oldFile);

    // Builds the work folder and removes the copies an earlier run left in it. The backups of
    // replaced hives stay: they are the only way back until a later analysis has succeeded.
    CRegistryDefrag();
    virtual ~CRegistryDefrag();

    // Task 8's body: mode 1 replaces, any other mode analyses. Returns the DefragResult code,
    // which it has also sent with OnResult.
    int DefragRegistry(CSSEngineProcess& process, int mode);

    bool ListHives();
    bool SaveCompactedHives(int windowsVersion);
    bool ReplaceHives();

    // The code an analysis ends with for the two totals, and the gain text it sends with
    // code 6 ("%2.2f" of the percentage saved).
    static int AnalysisResult(ULONGLONG oldTotal, ULONGLONG newTotal, CString& gainText);

    // "<Windows>\Temp\Velmora\TarnexRegDefrag", created with its "Backup" folder. False when a
    // folder could not be created; `path` is set either way.
    static bool PrepareWorkFolder(CString& path);
    // Deletes every file directly inside the folder; sub-folders and failures are left.
    static void PurgeFolder(const CString& folder);
    // Enables or disables one privilege of the process token; 0 or the system's error.
    static DWORD SetPrivilege(const char* name, bool enable);
    // Rewrites a path that begins with a drive's device name (\Device\HarddiskVolume1\...)
    // with the drive letter.
    static void DevicePathToDosPath(CString& path);
    // The drive-letter form of `path` when it begins with `device` followed by "\" (or ends
    // there); false and `path` unchanged otherwise.
    static bool ReplaceDevicePrefix(CString& path, const char* device, const char* drive);
    // Saves the key into the copy file with the DACL of the hive file.
    static LONG SaveKeyWithFileSecurity(const CString& hiveFile, HKEY key, const CString& copyFile);

    // Test seam: the function the replacement calls in place of RegReplaceKeyA. Null restores
    // the system's function. Only tests set it; the program never does.
    void SetReplaceKeyFunction(ReplaceKeyFunction function);

    const std::vector<HiveRecord>& Hives() const { return m_hives; }
    ULONGLONG OldTotal() const { return m_oldTotal; }
    ULONGLONG NewTotal() const { return m_newTotal; }
    const CString& WorkFolder() const { return m_workFolder; }

private:
    CRegistryDefrag(const CRegistryDefrag&) = delete;
    CRegistryDefrag& operator=(const CRegistryDefrag&) = delete;

    void Progress();
    bool AddHive(const char* valueName, CString hiveFile);
    bool SaveHive(HiveRecord& hive, int windowsVersion);
    bool ReplaceHive(const HiveRecord& hive);
    REGSAM ViewFlag() const { return m_onWow64 ? KEY_WOW64_64KEY : 0; }

    CAbstractStatus* m_status;
    int m_onWow64;
    CCriticalSection m_lock;   // held while one hive is flushed and saved, or replaced
    std::vector<HiveRecord> m_hives;
    ULONGLONG m_oldTotal;   // hive files whose copies the last analysis wrote
    ULONGLONG m_newTotal;   // the copies the last analysis wrote
    CString m_workFolder;
    ReplaceKeyFunction m_replaceKey;
};

#endif
