// System Scan benchmark: the whole scan through the real System Scan page (with the real
// registry and junk results pages, the found-items store and Tarnex.dll; no tweak categories)
// over the registry benchmark's fixture and a tree of temporary files, against the engine's
// registry scan and junk scan run back to back through the interface on the same fixture, with
// the same choices and folders. Prints both times and their ratio (the median of paired runs),
// the messages the page took off its queue (the chain's own and the rest, per second of scan),
// and the worst lateness of a 10 ms timer on the page's thread while the page scanned. For each
// pair it also shows where the time went: when each phase began and ended on both sides, the
// ratio without the page's pause before the junk scan and its internet scan (which the engine's
// two scans do not have), and the page thread's time per kind of message.
// Targets: ratio at most 1.1; timer lateness at most 100 ms; at most 25 messages per second
// besides the chain's own.
//
//   bench\system_scan.exe [scale [files [pairs]]]     default: 0.5 100000 5
// Run it in a prefix of its own from the build folder (scripts/wine-exec --own-prefix <build>
// <build>/bench/system_scan.exe): it writes tens of thousands of keys and files, and removes
// them at the end. The exit code is 1 when a target is missed or the two scans disagree.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "Client/Frame/ProgramSettings.h"
#include "Client/Resources/ResultsResources.h"
#include "Client/Resources/ScanPageResources.h"
#include "Client/Scan/JunkScanDetailDlg.h"
#include "Client/Scan/RegScanDetailDlg.h"
#include "Client/Scan/ScanCategories.h"
#include "Client/Scan/ScanItemsInfo.h"
#include "Client/Scan/ScanPageMessages.h"
#include "Client/Scan/ScanningDlg.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CWnd.h"
#include "Framework/ProcAddress.h"
#include "Support/FolderTree.h"
#include "../registry_scan/RegistryBenchFixture.h"

namespace {

const char* const BenchFolder = "c:\\vbench-sysscan";
const char* const TempRoot = "c:\\vbench-sysscan\\temp";
const int FilesPerFolder = 100;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

// --- the temporary files ------------------------------------------------------------------------

bool MakeTempFiles(int files)
{
    CreateDirectoryA(BenchFolder, nullptr);
    CreateDirectoryA(TempRoot, nullptr);
    for (int i = 0; i < files; ++i) {
        const std::string folder = std::string(TempRoot) + "\\d" + std::to_string(i / FilesPerFolder);
        if (i % FilesPerFolder == 0)
            CreateDirectoryA(folder.c_str(), nullptr);
        const std::string path = folder + "\\cache_" + std::to_string(i) + ".tmp";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        WriteFile(file, "vbench-junk", 1 + i % 11, &written, nullptr);
        CloseHandle(file);
    }
    return true;
}

void StoreChoice(const char* name, DWORD value)
{
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, name, REG_DWORD, &value, sizeof value);
}

// The folders the page gives the registry scan, built the same way.
void BuildFolderMap(ShortcutFolderMap* folders)
{
    const int csidls[] = {
        CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_FAVORITES, CSIDL_COMMON_VIDEO,
        CSIDL_COMMON_MUSIC,     CSIDL_COMMON_PICTURES,  CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_STARTMENU,        CSIDL_PERSONAL,         CSIDL_FAVORITES,
        CSIDL_MYVIDEO,          CSIDL_MYMUSIC,          CSIDL_MYPICTURES,
        CSIDL_DESKTOPDIRECTORY,
    };
    for (int csidl : csidls) {
        char path[MAX_PATH] = "";
        if (SUCCEEDED(SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path)))
            (*folders)[CString(path)] = 1;
    }
}

// --- the baseline: tasks 3 and 9 back to back -----------------------------------------------------

class CountingStatus : public CAbstractStatus {
public:
    CountingStatus() : m_finished(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~CountingStatus() override { CloseHandle(m_finished); }
    void OnStatusText(const char*, const char*) override {}
    void OnProgress(int) override {}
    void OnItemFound(const char*, DWORD category, int, int) override
    {
        if (category > 5)
            ++registryItems;
    }
    void OnJunkItem(DWORD, DWORD low, DWORD high, int, int, const char*) override
    {
        const LONGLONG size = LONGLONG((ULONGLONG(high) << 32) | low);
        junkSize += size;
        if (size > 0)
            ++junkItems;
    }
    int OnTaskFinished(int) override
    {
        SetEvent(m_finished);
        return 0;
    }
    bool Wait() { return WaitForSingleObject(m_finished, 900000) == WAIT_OBJECT_0; }

    long registryItems = 0;
    LONGLONG junkItems = 0, junkSize = 0;

private:
    HANDLE m_finished;
};

struct Outcome {
    double seconds = 0;
    double registrySeconds = 0;  // the registry phase: to the end of task 3
    long registryItems = 0;
    LONGLONG junkItems = 0, junkSize = 0;
};

bool WaitIdle(CAbstractProcess* process)
{
    for (int i = 0; i < 10000 && process->IsBusy(); ++i)
        Sleep(1);
    return !process->IsBusy();
}

Outcome RunBaseline(CAbstractSSEngineInterface* engine, DWORD registryMask, DWORD junkMask)
{
    Outcome outcome;
    ShortcutFolderMap folders;
    BuildFolderMap(&folders);
    CAbstractProcess* process = engine->NewProcess();
    CountingStatus status;
    const double start = Now();
    if (process->StartRegistryScan(&folders, registryMask, &status, 0) == 1) {
        process->ResumeTask();
        status.Wait();
    }
    outcome.registrySeconds = Now() - start;
    WaitIdle(process);
    if (process->StartJunkScan(junkMask, &status)) {
        process->ResumeTask();
        status.Wait();
    }
    outcome.seconds = Now() - start;
    WaitIdle(process);
    for (int i = 0; i < 5000 && process->GetThreadHandle(); ++i)
        Sleep(1);
    engine->DeleteProcess(process);
    outcome.registryItems = status.registryItems;
    outcome.junkItems = status.junkItems;
    outcome.junkSize = status.junkSize;
    return outcome;
}

// --- the page -----------------------------------------------------------------------------------

HWND g_page = NULL;
long g_chainMessages = 0, g_otherMessages = 0;
double g_lastTick = 0, g_worstLateness = 0, g_worstAt = 0, g_start = 0;
int g_worstBar = 0;
UINT g_dispatching = 0, g_worstDuring = 0;  // the message the loop was handling, and at the late tick
double g_longestDispatch = 0;
UINT g_longestMessage = 0;
// When each phase message came, seconds into the page's scan.
struct PhaseMark {
    UINT message;
    const char* name;
    double at;
};
PhaseMark g_phases[] = {{WM_REGSCAN_DONE, "registry done", 0}, {WM_JUNKSCAN_START, "junk start", 0},
                        {WM_SCAN_TASK_ENDED, "junk task ended", 0}, {WM_JUNKSCAN_DONE, "junk done", 0},     {WM_INETSCAN_START, "internet start", 0},
                        {WM_INETSCAN_DONE, "internet done", 0}, {WM_SYSSCAN_START, "system start", 0},
                        {WM_SYSSCAN_DONE, "system done", 0}};

// The page waits this long before it starts the junk scan.
const double JunkScanPauseSeconds = 0.5;

double PhaseAt(UINT message)
{
    for (const PhaseMark& phase : g_phases) {
        if (phase.message == message)
            return phase.at;
    }
    return 0;
}

// Time the page's thread spent handling messages, by kind: where the page's own work goes.
struct HandlingTime {
    const char* name;
    double seconds;
    long count;
};
HandlingTime g_handling[] = {{"status refresh", 0, 0}, {"task ended", 0, 0}, {"WM_TIMER", 0, 0},
                             {"WM_PAINT", 0, 0},       {"chain", 0, 0},      {"other", 0, 0}};

// Paints by the painted window's control id (0 for the page and windows without one).
std::map<int, long> g_paintsById;

HandlingTime& HandlingOf(const MSG& msg)
{
    if (msg.message == WM_SCAN_STATUS_REFRESH)
        return g_handling[0];
    if (msg.message == WM_SCAN_TASK_ENDED)
        return g_handling[1];
    if (msg.message == WM_TIMER)
        return g_handling[2];
    if (msg.message == WM_PAINT)
        return g_handling[3];
    if (msg.message >= WM_REGSCAN_DONE && msg.message <= WM_CLEAN_DONE)
        return g_handling[4];
    return g_handling[5];
}
bool g_measuring = false;
CScanningDlg* g_scanPage = nullptr;

LRESULT CALLBACK CountPageMessages(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg && msg->hwnd == g_page && g_measuring) {
        const bool chain = (msg->message >= WM_REGSCAN_DONE && msg->message <= WM_CLEAN_DONE &&
                            msg->message != WM_SCAN_STATUS_REFRESH) ||
                           msg->message == WM_INETSCAN_DONE || msg->message == WM_SYSSCAN_DONE;
        ++(chain ? g_chainMessages : g_otherMessages);
        for (PhaseMark& phase : g_phases) {
            // The task-ended mark is the junk scan's (the registry scan's end comes before).
            const bool junkEnd = msg->message != WM_SCAN_TASK_ENDED || msg->wParam == TaskJunkScan;
            if (phase.message == msg->message && phase.at == 0 && junkEnd)
                phase.at = Now() - g_start;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK TimerTick(HWND, UINT, UINT_PTR, DWORD)
{
    const double now = Now();
    if (g_measuring && g_lastTick > 0 && (now - g_lastTick) * 1000.0 - 10.0 > g_worstLateness) {
        g_worstLateness = (now - g_lastTick) * 1000.0 - 10.0;
        // Where the page was when the late tick came: seconds into the scan and the bar.
        g_worstAt = g_lastTick - g_start;
        g_worstBar = g_scanPage ? g_scanPage->GetOverallProgress() : 0;
        g_worstDuring = g_dispatching;
    }
    g_lastTick = now;
}

// The page and its partners in a host window standing for the main window.
class PageRig {
public:
    explicit PageRig(CAbstractSSEngineInterface* engine)
        : m_engine(engine), m_store(new CScanItemsInfo((std::string(BenchFolder)).c_str()))
    {
        InitCommonControls();
        m_host.CreateEx(0, NULL, "system scan bench", WS_POPUP | WS_VISIBLE, 20, 20, 760, 520, NULL, NULL);
        m_process = engine->NewProcess();
        page.SetProcess(m_process);
        page.SetScanItemsInfo(m_store);
        page.SetResultsPages(&m_registryPage, &m_junkPage);
        page.SetAutoRegBackupSource(&m_autoRegBackup);
        m_registryPage.SetScanItemsInfo(m_store);
        m_registryPage.SetScanPage(&page);
        m_junkPage.SetScanPage(&page);
        m_created = page.Create(IDD_PAGE_SYSTEM_SCAN, &m_host) &&
                    m_registryPage.Create(IDD_PAGE_REGISTRY_RESULTS, &m_host) &&
                    m_junkPage.Create(IDD_PAGE_JUNK_RESULTS, &m_host);
        if (m_created)
            page.ShowWindow(SW_SHOW);
    }
    ~PageRig()
    {
        WaitIdle(m_process);
        m_junkPage.DestroyWindow();
        m_registryPage.DestroyWindow();
        page.DestroyWindow();
        m_host.DestroyWindow();
        for (int i = 0; i < 5000 && m_process->GetThreadHandle(); ++i)
            Sleep(1);
        m_engine->DeleteProcess(m_process);
        delete m_store;
    }
    bool Created() const { return m_created; }

    Outcome Run()
    {
        Outcome outcome;
        g_page = page.m_hWnd;
        g_scanPage = &page;
        HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, CountPageMessages, nullptr, GetCurrentThreadId());
        const UINT_PTR timer = SetTimer(NULL, 0, 10, TimerTick);
        g_measuring = true;
        const double start = Now();
        g_start = start;
        // What the page does in the Scan click counts too.
        g_lastTick = start;
        if (page.StartScan() == 1) {
            MSG msg;
            while (!Settled() && GetMessageA(&msg, NULL, 0, 0) > 0) {
                const double before = Now();
                g_dispatching = msg.message;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
                g_dispatching = 0;
                if (msg.message == WM_PAINT)
                    ++g_paintsById[GetDlgCtrlID(msg.hwnd)];
                HandlingTime& handling = HandlingOf(msg);
                const double took = Now() - before;
                handling.seconds += took;
                if (took > g_longestDispatch) {
                    g_longestDispatch = took;
                    g_longestMessage = msg.message;
                }
                ++handling.count;
            }
        }
        outcome.seconds = Now() - start;
        g_measuring = false;
        KillTimer(NULL, timer);
        UnhookWindowsHookEx(hook);
        outcome.registryItems = page.GetRegistryCount();
        outcome.junkItems = page.GetJunkCount();
        outcome.junkSize = page.GetJunkSize();
        return outcome;
    }

    CScanningDlg page;

private:
    // The end of the scan: the chain has come to rest on the end-of-scan look, the bar at 99.
    bool Settled()
    {
        const int state = page.GetScanState();
        return (state == ScanStateScanned || state == ScanStateStopped) && !m_process->IsBusy() &&
               !page.IsTweakScanRunning() && (state != ScanStateScanned || page.GetOverallProgress() == 99);
    }

    CAbstractSSEngineInterface* m_engine;
    CScanItemsInfo* m_store;
    CAbstractProcess* m_process = nullptr;
    CWnd m_host;
    CRegScanDetailDlg m_registryPage;
    CJunkScanDetailDlg m_junkPage;
    int m_autoRegBackup = 1;
    bool m_created = false;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    CoInitialize(nullptr);
    const double scale = argc > 1 ? atof(argv[1]) : 0.5;
    const int files = argc > 2 ? atoi(argv[2]) : 100000;
    const int pairs = std::max(1, argc > 3 ? atoi(argv[3]) : 5);

    HMODULE module = LoadLibraryA(ENGINE_MODULE_NAME);
    auto startEngine = GetProcAddressAs<EngineStartFunction>(module, "Start");
    CAbstractSSEngineInterface* engine = startEngine ? startEngine() : nullptr;
    if (!engine) {
        fprintf(stderr, "system_scan: %s could not be loaded\n", ENGINE_MODULE_NAME);
        return 1;
    }

    // Both scans see the bench's temporary folder and the page's stored choices.
    RemoveFolderTree(BenchFolder);
    const std::string temp = std::string(TempRoot) + "\\";
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    const DWORD registryMask = RegScanAllMask;
    const DWORD junkMask = GetDefaultScanItemsMask(ScanKindJunk);
    StoreChoice(SettingLastSelScanRegTypes, registryMask);
    StoreChoice(SettingLastSelScanJunkTypes, junkMask);
    StoreChoice(SettingLastSelScanInetTypes, 0);
    StoreChoice(SettingLastSelScanSysTypes, 0);

    const FixtureSize size = SizeFor(scale);
    double built = Now();
    BuildFixture(size);
    if (!MakeTempFiles(files)) {
        fprintf(stderr, "system_scan: the temporary files could not be made\n");
        return 1;
    }
    printf("fixture x%.2f (%d classes, %d user keys) and %d temporary files, built in %.1f s\n", scale,
           size.classes, size.groups * 1000, files, Now() - built);

    int exitCode = 0;
    {
        PageRig rig(engine);
        if (!rig.Created()) {
            fprintf(stderr, "system_scan: the page could not be created\n");
            return 1;
        }
        printf("%4s %10s %10s %7s %9s %9s %10s %10s %8s\n", "pair", "page s", "engine s", "ratio", "reg items",
               "junk", "chain msg", "other/s", "late ms");
        std::vector<double> ratios, ratiosBesideWaits;
        double worstLateness = 0, worstRate = 0;
        bool same = true;
        for (int pair = 0; pair < pairs; ++pair) {
            const Outcome base = RunBaseline(engine, registryMask, junkMask);
            g_chainMessages = g_otherMessages = 0;
            g_worstLateness = g_worstAt = 0;
            g_worstBar = 0;
            g_longestDispatch = 0;
            for (PhaseMark& phase : g_phases)
                phase.at = 0;
            for (HandlingTime& handling : g_handling)
                handling.seconds = 0, handling.count = 0;
            const Outcome paged = rig.Run();
            const double ratio = paged.seconds / std::max(base.seconds, 1e-6);
            const double rate = g_otherMessages / std::max(paged.seconds, 1e-6);
            ratios.push_back(ratio);
            worstLateness = std::max(worstLateness, g_worstLateness);
            worstRate = std::max(worstRate, rate);
            // The page counts what the engine reported: the same items, the same junk.
            const bool agree = paged.registryItems == base.registryItems && paged.junkItems == base.junkItems &&
                               paged.junkSize == base.junkSize;
            same = same && agree;
            printf("%4d %10.2f %10.2f %7.2f %9ld %9lld %10ld %10.1f %8.0f%s\n", pair + 1, paged.seconds,
                   base.seconds, ratio, paged.registryItems, static_cast<long long>(paged.junkItems),
                   g_chainMessages, rate, g_worstLateness,
                   agree ? "" : "  (the counts differ from the engine's)");
            printf("     the worst late tick came %.1f s into the page's scan, the bar at %d, in message 0x%X; "
                   "the longest message 0x%X took %.0f ms\n",
                   g_worstAt, g_worstBar, g_worstDuring, g_longestMessage, g_longestDispatch * 1000);
            printf("     engine: registry %.2f s, junk %.2f s; page:", base.registrySeconds,
                   base.seconds - base.registrySeconds);
            for (const PhaseMark& phase : g_phases)
                printf(" %s %.2f s", phase.name, phase.at);
            printf("\n");
            // The page's scan also holds a pause before the junk scan and the internet scan
            // (whose network probes wait for answers); without them:
            const double internet = PhaseAt(WM_INETSCAN_DONE) - PhaseAt(WM_INETSCAN_START);
            const double besideWaits = (paged.seconds - JunkScanPauseSeconds - internet) / std::max(base.seconds, 1e-6);
            ratiosBesideWaits.push_back(besideWaits);
            printf("     without the %.1f s pause and the %.2f s internet scan: ratio %.2f\n", JunkScanPauseSeconds,
                   internet, besideWaits);
            printf("     the page's thread handling:");
            for (const HandlingTime& handling : g_handling)
                printf(" %s %.2f s (%ld)", handling.name, handling.seconds, handling.count);
            printf("\n     paints by control id:");
            for (const auto& paints : g_paintsById)
                printf(" %d:%ld", paints.first, paints.second);
            printf("\n");
            g_paintsById.clear();
            if (!agree)
                printf("     engine: %ld registry items, %lld junk items, %lld bytes; page: %lld bytes\n",
                       base.registryItems, static_cast<long long>(base.junkItems),
                       static_cast<long long>(base.junkSize), static_cast<long long>(paged.junkSize));
        }
        const double ratio = Median(ratios);
        printf("\npage/engine ratio (median of %d pairs): %.2f (target at most 1.10)\n", pairs, ratio);
        printf("the same without the pause before the junk scan and the internet scan: %.2f\n",
               Median(ratiosBesideWaits));
        printf("worst lateness of the page thread's 10 ms timer: %.0f ms (target at most 100)\n", worstLateness);
        printf("messages besides the chain's own: at most %.1f per second (target at most 25)\n", worstRate);
        printf("counts agree with the engine's: %s\n", same ? "yes" : "NO");
        if (ratio > 1.10 || worstLateness > 100 || worstRate > 25 || !same)
            exitCode = 1;
    }
    RemoveFixture(size);
    RemoveFolderTree(BenchFolder);
    return exitCode;
}
