// CSSEngineProcess: the engine's one working object. It runs one numbered task at a time on a
// worker thread of its own and reports through the caller's CAbstractStatus.
//
// The task bodies live in the files of their own subsystems (registry scan, repair and backup,
// defragmentation, junk scan); each is a member function declared here.
#ifndef TARNEX_SS_ENGINE_PROCESS_H
#define TARNEX_SS_ENGINE_PROCESS_H

#include <windows.h>
#include <shlobj.h>

#include <set>
#include <vector>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Engine/JunkCleaner.h"
#include "Engine/ProcessTerminator.h"
#include "Engine/RegistryDefrag.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SmartThread.h"
#include "Framework/RegistryKeyWalks.h"

class CSSEngineProcess : public CAbstractProcess, public CSmartThread {
public:
    enum ConstructionKind { FullConstruction, LightConstruction };
    explicit CSSEngineProcess(ConstructionKind kind);
    ~CSSEngineProcess() override;

    // CAbstractProcess
    int IsBusy() override;
    int Stop(int stop) override;
    int TerminateCleaning() override;
    int WaitOrSignal(int wait) override;
    int ResumeTask() override;
    HANDLE GetThreadHandle() override;
    DWORD GetThreadId() override;
    int GetTaskType() override;
    int ReservedSlot9(int value) override;
    int StartRegistryBackup(const char* file, CAbstractStatus* status) override;
    int StartRegistryRestore(const char* file, CAbstractStatus* status) override;
    int StartRegistryScan(const ShortcutFolderMap* folders, DWORD mask, CAbstractStatus* status,
                          int option) override;
    int StartRegistryRepair(CAbstractScanItemsInfo* items, CAbstractStatus* status,
                            int backupFirst) override;
    int StartUpdateTask(int a, int b, int c, int d, int e, CAbstractStatus* status) override;
    int HashString(CString* text, CString* out) override;
    int HashFile(CString path, CString* out) override;
    int HashStringEx(CString text, CString* out) override;
    int ReservedSlot18(CString text, int value) override;
    CString GetInvalidId(CString* out) override;
    int StartProbe(CAbstractStatus* status) override;
    int ImportRegistryFile(CAbstractStatus* status, CString path) override;
    int StartRegistryDefrag(int mode, CAbstractStatus* status) override;
    int StartJunkScan(DWORD mask, CAbstractStatus* status) override;
    int StartJunkClean(DWORD mask, CAbstractStatus* status) override;
    int StartNotifyTask(CAbstractStatus* status) override;

    // Slot 26, reachable only through the concrete class (the junk scan asks it).
    virtual int GetStateFlag();

    // CSmartThread
    int Run() override;

    // The stop test of every task loop: false once Stop(1) was called or the task ended.
    bool KeepRunning() const { return m_busy != 0; }
    CAbstractStatus* Status() const { return m_status; }
    bool RunningUnderWow64() const { return m_wow64 != 0; }
    const CString& SystemFolder() const { return m_systemFolder; }
    const CString& ProgramFilesFolder() const { return m_programFilesFolder; }

    // The temporary-file probe: leaves the temporary folder exactly as it found it.
    static void ProbeTempFolder();

private:
    // Shared by every start slot: refuses while a worker exists, stores the task and creates the
    // worker suspended. `store` records the slot's arguments once the start is accepted.
    template <class StoreArguments>
    int StartTask(int taskType, CAbstractStatus* status, StoreArguments store);
    bool WaitForFinishedWorker();
    void SetBusy(LONG value) { InterlockedExchange(&m_busy, value); }
    void SetUp();
    bool SwitchRedirectionOff();
    void SwitchRedirectionBack();

    // Task bodies (results become the worker's exit code).
    int RunRegistryBackup();
    int RunRegistryRestore();
    int RunRegistryScan();
    int RunRegistryRepair();
    int RunRegistryDefrag();
    int RunJunkScan();
    int RunJunkClean();

public:
    // --- task arguments and state --------------------------------------------------------
    int CollectMode;
    int m_backupBeforeRepair;
    int m_wow64;
    CString m_systemFolder;        // lower case
    CString m_programFilesFolder;  // lower case; empty when the shell cannot name it
    DWORD m_junkMask;
    int m_defragMode;
    int m_state;
    volatile LONG m_busy;
    int m_taskType;
    CAbstractStatus* volatile m_status;
    CAbstractScanItemsInfo* m_foundItems;
    CString m_backupFilePath;
    CString m_restoreFilePath;
    DWORD m_regScanMask;
    ShortcutFolderMap m_folderMap;
    IShellLinkA* m_shellLink;
    PVOID m_savedRedirection;
    int StatusTextCounter;
    // Set once the running worker has reached OnTaskFinished; a start from another thread then
    // waits briefly for the worker to hand its handle over instead of being refused.
    volatile LONG m_endDelivered;
    // The continue flag of the registry document being written or read. It lives here, not in
    // the document object, so Stop never writes into an object the worker may be freeing.
    volatile LONG m_documentContinue;

    // --- registry scan state ----------------------------------------------------------------
    // Lower-case names of the registered COM classes (both views under WOW64), filled by the
    // class check and read by the walk for keys that name a class.
    std::set<CString> m_clsidSet;
    // Emptied by every file-association run; nothing else uses it.
    std::map<CString, CString> m_fileAssociations;
    // Folders and drive types the path toolkit reads once per scan.
    CRegistryPathCache m_pathCache;
    // The startup-item check's working list of Run keys, rebuilt by every run of that check.
    struct StartupKeyEntry {
        StartupKeyEntry() : kind(3), root(nullptr) {}
        StartupKeyEntry(const char* keyPath, int entryKind, HKEY rootKey)
            : key(keyPath), kind(entryKind), root(rootKey)
        {
        }
        CString key;
        int kind;  // kept with the entry; no check reads it
        HKEY root;
    };
    std::vector<StartupKeyEntry> m_startupKeys;
    // Whether the target of a shortcut file is present, read through the shell link object.
    // True also whenever the target cannot be judged (no link object, a file that does not
    // load, no file-system target, a name outside the ANSI code page, a stop request): the
    // shortcut check deletes what this calls missing.
    bool CheckShortcutTarget(const CString& path);

    // --- registry backup, restore and repair ------------------------------------------------
    // Ends the programs that hold a file the repair must delete.
    CProcessTerminator m_processTerminator;

    // --- hive defragmentation ---------------------------------------------------------------
    // Its work folder is built and its lock set up with the process object.
    CRegistryDefrag m_registryDefrag;

    // --- junk scan and clean ----------------------------------------------------------------
    CJunkCleaner m_junkCleaner;
};

// The process as the registry walks see it: they stop with the task, and each value a walk with
// progress finds is one progress step.
class CProcessWalkControl : public CRegistryWalkControl {
public:
    explicit CProcessWalkControl(const CSSEngineProcess& process) : m_process(process) {}
    bool KeepWalking() const override { return m_process.KeepRunning(); }
    void OnValueWalked() const override
    {
        if (m_process.Status())
            m_process.Status()->OnProgress(1);
    }

private:
    const CSSEngineProcess& m_process;
};

#endif
