// Task 8, the hive defragmentation, in a prefix of its own per case: the test writes the hive
// list itself (Wine's is empty), loads small fixture hives, runs the task through the process
// slots and checks what it left in the work folder and which replacements it asked for.
//
// Wine's RegReplaceKeyA returns success and does nothing, so the replacement calls go through
// the defragmenter's replace seam, where a recorder sees them. Wine also cannot save a key with
// security attributes (RegSaveKeyA fails with ERROR_UNKNOWN_REVISION), which the defragmenter
// does on every Windows version but Server 2003; cases that need written copies run in a child
// process that Wine presents Windows Server 2003 to.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <stdio.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "Engine/RegistryDefrag.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"
#include "Support/EngineTestSupport.h"

namespace {

const char* const HiveListKey = "SYSTEM\\CurrentControlSet\\Control\\hivelist";
const char* const WorkFolder = "C:\\windows\\Temp\\Velmora\\TarnexRegDefrag";
const char* const BackupFolder = "C:\\windows\\Temp\\Velmora\\TarnexRegDefrag\\Backup";
const char* const FixtureFolder = "C:\\vtest";

// --- running a case as Windows Server 2003 ----------------------------------------------------

const char* const ChildVariable = "VELMORA_DEFRAG_CHILD";

bool InServer2003Child()
{
    char value[8];
    return GetEnvironmentVariableA(ChildVariable, value, sizeof value) > 0;
}

// Wine reads the Windows version a program sees from its AppDefaults key when it starts.
DWORD RunCurrentCaseAsServer2003()
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string(info->test_suite_name()) + "." + info->name();
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string exe = strrchr(self, '\\') + 1;
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, ("Software\\Wine\\AppDefaults\\" + exe).c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win2003"), 8);
    RegCloseKey(key);

    SetEnvironmentVariableA(ChildVariable, "1");
    std::string command = "\"" + std::string(self) + "\" --gtest_filter=" + filter;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    DWORD code = 99;
    if (CreateProcessA(self, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        if (WaitForSingleObject(child.hProcess, 100000) == WAIT_OBJECT_0)
            GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    SetEnvironmentVariableA(ChildVariable, nullptr);
    return code;
}

#define RUN_AS_SERVER_2003()                                                            \
    do {                                                                                \
        if (!InServer2003Child()) {                                                     \
            EXPECT_EQ(RunCurrentCaseAsServer2003(), 0u) << "the case failed in its child"; \
            return;                                                                     \
        }                                                                               \
        ASSERT_EQ(GetWindowsVersion(), 5) << "the child does not see Windows Server 2003"; \
    } while (0)

// --- files and registry -------------------------------------------------------------------

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

ULONGLONG SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return ~0ULL;
    return (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void SetSize(const std::string& path, ULONGLONG size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_EQ(SizeOf(path), size) << path;
}

// Names of the entries directly in a folder, sub-folders with a trailing "\".
std::set<std::string> FolderEntries(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        names.insert(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? name + "\\" : name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

void EnablePrivilege(const char* name)
{
    ASSERT_EQ(CRegistryDefrag::SetPrivilege(name, true), 0u) << name;
}

void SetHiveListValue(const char* name, const std::string& data)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, HiveListKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void DeleteHiveList()
{
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, HiveListKey), ERROR_SUCCESS);
}

// The device form Windows writes into the hive list (\Device\HarddiskVolume1\...).
std::string DeviceForm(const std::string& path)
{
    char device[MAX_PATH] = {};
    EXPECT_TRUE(QueryDosDeviceA(path.substr(0, 2).c_str(), device, MAX_PATH));
    return device + path.substr(2);
}

// A small hive: a key tree saved to `file` and loaded as root\name. Returns the size of the
// copy RegSaveKeyA writes of it, which is what the defragmenter's copy will measure.
ULONGLONG LoadFixtureHive(HKEY root, const char* name, const std::string& file)
{
    EnablePrivilege(SE_BACKUP_NAME);
    EnablePrivilege(SE_RESTORE_NAME);
    CreateDirectoryA(FixtureFolder, nullptr);
    const std::string source = std::string("Software\\VelmoraTest\\Hive_") + name;
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, source.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Marker", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), DWORD(strlen(name) + 1));
    HKEY sub = nullptr;
    RegCreateKeyExA(key, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
    RegCloseKey(sub);
    DeleteFileA(file.c_str());
    EXPECT_EQ(RegSaveKeyA(key, file.c_str(), nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegLoadKeyA(root, name, file.c_str()), ERROR_SUCCESS) << name;

    HKEY loaded = nullptr;
    EXPECT_EQ(RegOpenKeyExA(root, name, 0, KEY_READ | KEY_WOW64_64KEY, &loaded), ERROR_SUCCESS);
    const std::string probe = file + ".probe";
    DeleteFileA(probe.c_str());
    EXPECT_EQ(RegSaveKeyA(loaded, probe.c_str(), nullptr), ERROR_SUCCESS);
    RegCloseKey(loaded);
    ULONGLONG size = SizeOf(probe);
    DeleteFileA(probe.c_str());
    return size;
}

// --- the replace seam's recorder ------------------------------------------------------------

struct ReplaceCall {
    HKEY root;
    std::string key, newFile, oldFile;
    bool operator==(const ReplaceCall& o) const
    {
        return root == o.root && key == o.key && newFile == o.newFile && oldFile == o.oldFile;
    }
};

std::mutex g_replaceMutex;
std::vector<ReplaceCall> g_replaceCalls;
// When set, a replacement does what Windows does: the live hive file moves to the backup name
// and the copy takes the hive file's name (Windows loads it at the next start).
std::string g_liveHiveFile;

LONG WINAPI RecordReplace(HKEY root, LPCSTR key, LPCSTR newFile, LPCSTR oldFile)
{
    std::lock_guard<std::mutex> lock(g_replaceMutex);
    g_replaceCalls.push_back({root, key, newFile, oldFile});
    if (!g_liveHiveFile.empty()) {
        if (!MoveFileA(g_liveHiveFile.c_str(), oldFile) || !MoveFileA(newFile, g_liveHiveFile.c_str()))
            return static_cast<LONG>(GetLastError());
    }
    return ERROR_SUCCESS;
}

std::vector<ReplaceCall> TakeReplaceCalls()
{
    std::lock_guard<std::mutex> lock(g_replaceMutex);
    std::vector<ReplaceCall> calls;
    calls.swap(g_replaceCalls);
    return calls;
}

// --- process objects ----------------------------------------------------------------------

// A process object of the engine library built into the test, so that its replace seam can
// be set; it is driven through the same slots as the library's.
struct CoreProcess {
    CoreProcess()
    {
        CoInitialize(nullptr);
        process = new CSSEngineProcess(CSSEngineProcess::FullConstruction);
        process->m_registryDefrag.SetReplaceKeyFunction(RecordReplace);
    }
    ~CoreProcess()
    {
        for (int i = 0; i < 5000 && process->GetThreadHandle(); ++i)
            Sleep(1);
        delete process;
    }
    CSSEngineProcess* process;
};

// Runs task 8 and returns what the task reported, with OnResult's code.
struct DefragRun {
    int code = -1;
    std::vector<StatusCall> calls;
    int Count(const std::string& slot) const
    {
        return int(std::count_if(calls.begin(), calls.end(), [&](const StatusCall& c) { return c.slot == slot; }));
    }
    std::vector<std::string> Tail(size_t n) const
    {
        std::vector<std::string> out;
        for (size_t i = calls.size() > n ? calls.size() - n : 0; i < calls.size(); ++i)
            out.push_back(calls[i].Describe());
        return out;
    }
};

DefragRun RunDefrag(CAbstractProcess* process, int mode)
{
    RecordingStatus status;
    DefragRun run;
    EXPECT_EQ(RunTask(process, status, TaskRegistryDefrag,
                      [&] { return process->StartRegistryDefrag(mode, &status); }),
              1);
    run.calls = status.Calls();
    std::vector<StatusCall> results = status.CallsOf("OnResult");
    EXPECT_EQ(results.size(), 1u);
    if (!results.empty())
        run.code = int(results[0].value);
    return run;
}

std::string Call(const char* slot, const char* text, const char* stage, long long value)
{
    return StatusCall{slot, text, stage, value, 0, 0, 0}.Describe();
}

std::vector<std::string> EndOfRun(int code)
{
    return {Call("OnResult", "", "", code), Call("OnStatusText", "", "Scanning", 0),
            Call("OnTaskFinished", "", "", TaskRegistryDefrag)};
}

// The fixture of the gain cases: a machine hive and a user hive that were loaded, and entries
// that must neither be saved nor count: a volatile hive (no file), a hive outside both roots, a
// hive that is not loaded and a hive whose file is gone.
struct GainFixture {
    std::string machineFile = std::string(FixtureFolder) + "\\vtesthive.hiv";
    std::string userFile = std::string(FixtureFolder) + "\\vtestuser.hiv";
    ULONGLONG machineCopy = 0;
    ULONGLONG userCopy = 0;

    void Build()
    {
        machineCopy = LoadFixtureHive(HKEY_LOCAL_MACHINE, "VTESTHIVE", machineFile);
        userCopy = LoadFixtureHive(HKEY_USERS, "VTESTUSER", userFile);
        ASSERT_GT(machineCopy, 0u);
        ASSERT_GT(userCopy, 0u);
        SetHiveListValue("\\REGISTRY\\MACHINE\\VTESTHIVE", DeviceForm(machineFile));
        SetHiveListValue("\\REGISTRY\\USER\\VTESTUSER", userFile);
        SetHiveListValue("\\REGISTRY\\MACHINE\\HARDWARE", "");
        const std::string app = std::string(FixtureFolder) + "\\app.hiv";
        const std::string notLoaded = std::string(FixtureFolder) + "\\notloaded.hiv";
        SetSize(app, 4000000);
        SetSize(notLoaded, 3000000);
        SetHiveListValue("\\REGISTRY\\A\\{A1A1A1A1-0000-0000-0000-000000000001}", app);
        SetHiveListValue("\\REGISTRY\\MACHINE\\VTESTNOTLOADED", DeviceForm(notLoaded));
        SetHiveListValue("\\REGISTRY\\MACHINE\\VTESTGONE", std::string(FixtureFolder) + "\\gone.hiv");
    }
    std::string Copy(const char* name) const { return std::string(WorkFolder) + "\\" + name; }
    std::string Backup(const char* name) const { return std::string(BackupFolder) + "\\" + name; }
};

}  // namespace

// Without a hive list there is nothing to analyse: code 1, nothing written, and the work folder
// with its backup folder is still there.
TEST(RegistryDefrag, AnalysisWithoutHiveListFails)
{
    DeleteHiveList();
    EngineProcess holder;
    DefragRun run = RunDefrag(holder.Get(), 0);
    EXPECT_EQ(run.code, DefragListFailed);
    EXPECT_EQ(run.Tail(3), EndOfRun(DefragListFailed));
    EXPECT_EQ(run.calls.size(), 3u);
    EXPECT_EQ(FolderEntries(WorkFolder), std::set<std::string>{"Backup\\"});
    EXPECT_TRUE(FolderEntries(BackupFolder).empty());
}

// Wine's own hive list is empty, and entries that name no loaded hive of either root give no
// copy either: code 2, nothing in the work folder.
TEST(RegistryDefrag, AnalysisWithoutAnyHiveToSaveWritesNoCopy)
{
    EngineProcess holder;
    DefragRun empty = RunDefrag(holder.Get(), 0);
    EXPECT_EQ(empty.code, DefragNoCopy);
    EXPECT_EQ(empty.calls.size(), 3u);

    CreateDirectoryA(FixtureFolder, nullptr);
    SetSize(std::string(FixtureFolder) + "\\app.hiv", 1000);
    SetSize(std::string(FixtureFolder) + "\\notloaded.hiv", 1000);
    SetHiveListValue("\\REGISTRY\\MACHINE\\HARDWARE", "");
    SetHiveListValue("\\REGISTRY\\A\\{A1A1A1A1-0000-0000-0000-000000000001}", std::string(FixtureFolder) + "\\app.hiv");
    SetHiveListValue("\\REGISTRY\\MACHINE\\VTESTNOTLOADED", std::string(FixtureFolder) + "\\notloaded.hiv");
    SetHiveListValue("\\REGISTRY\\MACHINE\\VTESTGONE", std::string(FixtureFolder) + "\\gone.hiv");
    DefragRun run = RunDefrag(holder.Get(), 0);
    EXPECT_EQ(run.code, DefragNoCopy);
    EXPECT_EQ(run.Count("OnProgress"), 4) << "one step per hive list entry (an empty text is data)";
    EXPECT_EQ(run.Count("OnStatusText"), 1);
    EXPECT_EQ(run.Tail(3), EndOfRun(DefragNoCopy));
    EXPECT_EQ(FolderEntries(WorkFolder), std::set<std::string>{"Backup\\"});
}

// A replacement run on a process object that has not analysed anything replaces nothing.
TEST(RegistryDefrag, ReplacementBeforeAnyAnalysisReplacesNothing)
{
    CoreProcess core;
    TakeReplaceCalls();
    DefragRun run = RunDefrag(core.process, 1);
    EXPECT_EQ(run.code, DefragReplaceFailed);
    EXPECT_EQ(run.calls.size(), 3u);
    EXPECT_TRUE(TakeReplaceCalls().empty());
}

// On Windows 7 the copies are saved with the hive file's DACL. Wine cannot save with security
// attributes; then the analysis must say that no copy was written and leave none behind.
TEST(RegistryDefrag, AnalysisReportsSavesThatFailed)
{
    GainFixture fixture;
    fixture.Build();
    SetSize(fixture.machineFile, fixture.machineCopy * 2);
    SetSize(fixture.userFile, fixture.userCopy * 2);

    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoA(fixture.machineFile.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &dacl, nullptr, &descriptor),
              ERROR_SUCCESS);
    LocalFree(descriptor);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "VTESTHIVE", 0, KEY_READ | KEY_WOW64_64KEY, &key), ERROR_SUCCESS);
    const std::string probe = std::string(FixtureFolder) + "\\security.probe";
    const bool canSaveWithSecurity =
        CRegistryDefrag::SaveKeyWithFileSecurity(fixture.machineFile.c_str(), key, probe.c_str()) == ERROR_SUCCESS;
    RegCloseKey(key);
    DeleteFileA(probe.c_str());

    EngineProcess holder;
    DefragRun run = RunDefrag(holder.Get(), 0);
    if (canSaveWithSecurity) {
        EXPECT_EQ(run.code, DefragGain);
        EXPECT_TRUE(Exists(fixture.Copy("LM_VTESTHIVE")));
    } else {
        EXPECT_EQ(run.code, DefragNoCopy);
        EXPECT_EQ(FolderEntries(WorkFolder), std::set<std::string>{"Backup\\"});
    }
}

// The main path. Only the two loaded hives are saved and only they count: a copy half the size
// of what its hive files hold gives 50.00 percent, code 6 and the copies in the work folder. The
// analysis asks for no replacement; the replacement run asks for exactly the hive that gains
// (the user hive's copy is as big as its file), and reports success only when the hive was
// really set aside as its backup.
TEST(RegistryDefrag, GainIsMeasuredPerHiveAndOnlyGainingHivesAreReplaced)
{
    RUN_AS_SERVER_2003();
    GainFixture fixture;
    fixture.Build();
    SetSize(fixture.machineFile, 2 * fixture.machineCopy + fixture.userCopy);
    SetSize(fixture.userFile, fixture.userCopy);

    CoreProcess core;
    TakeReplaceCalls();
    DefragRun analysis = RunDefrag(core.process, 0);
    EXPECT_EQ(analysis.code, DefragGain);
    std::vector<std::string> expected = {Call("OnStatusText", "50.00", "DEFRAG", 0)};
    for (const std::string& call : EndOfRun(DefragGain))
        expected.push_back(call);
    EXPECT_EQ(analysis.Tail(4), expected);
    EXPECT_EQ(analysis.Count("OnProgress"), 6 + 2) << "a step per hive list entry, a save step per loaded hive";
    EXPECT_EQ(FolderEntries(WorkFolder), (std::set<std::string>{"Backup\\", "LM_VTESTHIVE", "USERS_VTESTUSER"}));
    EXPECT_TRUE(FolderEntries(BackupFolder).empty());
    EXPECT_EQ(SizeOf(fixture.Copy("LM_VTESTHIVE")), fixture.machineCopy);
    EXPECT_EQ(SizeOf(fixture.Copy("USERS_VTESTUSER")), fixture.userCopy);
    EXPECT_EQ(core.process->m_registryDefrag.OldTotal(), 2 * fixture.machineCopy + 2 * fixture.userCopy);
    EXPECT_EQ(core.process->m_registryDefrag.NewTotal(), fixture.machineCopy + fixture.userCopy);
    EXPECT_TRUE(TakeReplaceCalls().empty()) << "an analysis replaces nothing";

    const std::vector<ReplaceCall> expectedCalls = {
        {HKEY_LOCAL_MACHINE, "VTESTHIVE", fixture.Copy("LM_VTESTHIVE"), fixture.Backup("LM_VTESTHIVE")}};

    // Like Wine's RegReplaceKeyA: success, and nothing happened.
    DefragRun stub = RunDefrag(core.process, 1);
    EXPECT_EQ(stub.code, DefragReplaceFailed) << "success reported for a replacement that did not happen";
    EXPECT_EQ(TakeReplaceCalls(), expectedCalls);
    EXPECT_EQ(stub.Count("OnProgress"), 4) << "one step per listed hive";
    EXPECT_TRUE(FolderEntries(BackupFolder).empty());

    // Like Windows: the live hive file becomes the backup, the copy takes its place.
    const ULONGLONG oldHiveSize = SizeOf(fixture.machineFile);
    g_liveHiveFile = fixture.machineFile;
    DefragRun replaced = RunDefrag(core.process, 1);
    g_liveHiveFile.clear();
    EXPECT_EQ(replaced.code, DefragReplaced);
    EXPECT_EQ(TakeReplaceCalls(), expectedCalls);
    EXPECT_EQ(FolderEntries(BackupFolder), std::set<std::string>{"LM_VTESTHIVE"});
    EXPECT_EQ(SizeOf(fixture.Backup("LM_VTESTHIVE")), oldHiveSize);
    EXPECT_EQ(SizeOf(fixture.machineFile), fixture.machineCopy);
    EXPECT_EQ(SizeOf(fixture.userFile), fixture.userCopy) << "the user hive gains nothing and stays";
}

// Copies that are not smaller than their hives, or only 4 percent smaller, are not worth a
// replacement: code 8 and no gain text; and with nothing gained a replacement run touches no hive.
TEST(RegistryDefrag, SmallOrNoGainIsNotWorthReplacing)
{
    RUN_AS_SERVER_2003();
    const std::string file = std::string(FixtureFolder) + "\\vtesthive.hiv";
    const ULONGLONG copy = LoadFixtureHive(HKEY_LOCAL_MACHINE, "VTESTHIVE", file);
    SetHiveListValue("\\REGISTRY\\MACHINE\\VTESTHIVE", file);

    struct Case {
        ULONGLONG hiveSize;
        bool nothingGained;
    };
    const Case cases[] = {{copy * 100 / 96, false}, {copy, true}, {copy / 2, true}};
    for (const Case& c : cases) {
        SetSize(file, c.hiveSize);
        CoreProcess core;
        TakeReplaceCalls();
        DefragRun analysis = RunDefrag(core.process, 0);
        EXPECT_EQ(analysis.code, DefragNoGain) << c.hiveSize << " for a copy of " << copy;
        EXPECT_EQ(analysis.Count("OnStatusText"), 1) << "no gain text";
        EXPECT_TRUE(Exists(std::string(WorkFolder) + "\\LM_VTESTHIVE"));
        if (c.nothingGained) {
            DefragRun replace = RunDefrag(core.process, 1);
            EXPECT_EQ(replace.code, DefragReplaceFailed);
            EXPECT_TRUE(TakeReplaceCalls().empty());
            EXPECT_EQ(SizeOf(file), c.hiveSize);
        }
    }
}

// The hives a replacement set aside survive the next start of the program (a new process
// object) and failed analyses; only an analysis that succeeded removes them. Stale copies go
// with every new process object.
TEST(RegistryDefrag, BackupsStayUntilALaterAnalysisSucceeds)
{
    RUN_AS_SERVER_2003();
    CString workFolder;
    ASSERT_TRUE(CRegistryDefrag::PrepareWorkFolder(workFolder));
    EXPECT_EQ(std::string(workFolder), WorkFolder);
    const std::string backup = std::string(BackupFolder) + "\\LM_SOFTWARE";
    const std::string staleCopy = std::string(WorkFolder) + "\\LM_STALE";
    SetSize(backup, 1234);
    SetSize(staleCopy, 99);

    EngineProcess holder;
    EXPECT_FALSE(Exists(staleCopy));
    EXPECT_TRUE(Exists(backup));

    DeleteHiveList();
    EXPECT_EQ(RunDefrag(holder.Get(), 0).code, DefragListFailed);
    EXPECT_TRUE(Exists(backup));
    SetHiveListValue("\\REGISTRY\\MACHINE\\VTESTGONE", std::string(FixtureFolder) + "\\gone.hiv");
    EXPECT_EQ(RunDefrag(holder.Get(), 0).code, DefragNoCopy);
    EXPECT_TRUE(Exists(backup));

    const std::string file = std::string(FixtureFolder) + "\\vtesthive.hiv";
    SetSize(file, LoadFixtureHive(HKEY_LOCAL_MACHINE, "VTESTHIVE", file));
    SetHiveListValue("\\REGISTRY\\MACHINE\\VTESTHIVE", file);
    EXPECT_EQ(RunDefrag(holder.Get(), 0).code, DefragNoGain);
    EXPECT_FALSE(Exists(backup));
    EXPECT_EQ(FolderEntries(WorkFolder), (std::set<std::string>{"Backup\\", "LM_VTESTHIVE"}));
}
