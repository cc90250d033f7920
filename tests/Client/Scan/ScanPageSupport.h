// Test support of the System Scan page: the page with the real registry and junk results pages,
// the real found-items store (its ignore list in a folder of the test's own) and the real
// engine's process object, in a host window standing for the main window; a loop that
// dispatches the test thread's messages itself and records the page after each one; the
// stored scan choices; and a watcher that answers the page's message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Client/Frame/ProgramSettings.h"
#include "Client/Resources/ControlResources.h"
#include "Client/Resources/ResultsResources.h"
#include "Client/Resources/ScanPageResources.h"
#include "Client/Scan/JunkScanDetailDlg.h"
#include "Client/Scan/RegScanDetailDlg.h"
#include "Client/Scan/ScanItemsInfo.h"
#include "Client/Scan/ScanningDlg.h"
#include "Engine/RegistryFixture.h"
#include "Scan/ResultsPageSupport.h"
#include "Support/EngineTestSupport.h"
#include "Support/ScreenshotPause.h"

// What the page showed after one dispatched message.
struct PageSnapshot {
    int state = 0;
    int activeRow = 0;
    int bar = 0;
    std::string headline;
    std::string results[4];
    std::string counts[4];
    bool scanShown = false, stopShown = false, fixShown = false, fixEnabled = false;
    bool detailsShown[4] = {};
    bool resultsShown[4] = {};
    int gauges[4] = {};
};

inline std::string ControlText(HWND parent, int id)
{
    char text[1024] = {};
    GetDlgItemTextA(parent, id, text, sizeof(text));
    return text;
}

inline bool ControlShown(HWND parent, int id)
{
    return (GetWindowLongA(GetDlgItem(parent, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// Writes the four stored scan choices of the settings key (the 32-bit view, as the program).
inline void StoreScanChoices(DWORD registry, DWORD junk, DWORD internet, DWORD system)
{
    const DWORD values[4] = {registry, junk, internet, system};
    const char* names[4] = {SettingLastSelScanRegTypes, SettingLastSelScanJunkTypes,
                            SettingLastSelScanInetTypes, SettingLastSelScanSysTypes};
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < 4; ++i)
        RegSetValueExA(key, names[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[i]), sizeof(DWORD));
    RegCloseKey(key);
}

// Answers every skinned message box this process shows while it lives ("OK" or "YES" with
// answerYes, else "NO"), recording the box texts.
class BoxAnswerer {
public:
    explicit BoxAnswerer(bool answerYes = true) : m_yes(answerYes), m_running(true), m_thread([this] { Watch(); }) {}
    ~BoxAnswerer()
    {
        m_running = false;
        m_thread.join();
    }
    void AnswerYes(bool yes) { m_yes = yes; }
    // The next box is left up for a screenshot of that name before it is answered.
    void ShootNext(const char* name)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shot = name;
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }
    void Reset()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_texts.clear();
    }

private:
    static BOOL CALLBACK FindBox(HWND window, LPARAM param)
    {
        auto* boxes = reinterpret_cast<std::vector<HWND>*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId() && IsWindowVisible(window) &&
            (GetDlgItem(window, IDC_MSGBOX_LONG_TEXT) || GetDlgItem(window, IDC_MSGBOX_SHORT_TEXT)))
            boxes->push_back(window);
        return TRUE;
    }
    void Watch()
    {
        while (m_running) {
            std::vector<HWND> boxes;
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&boxes));
            for (HWND box : boxes) {
                std::string text = ControlText(box, IDC_MSGBOX_LONG_TEXT);
                if (text.empty())
                    text = ControlText(box, IDC_MSGBOX_SHORT_TEXT);
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_texts.push_back(text);
                }
                std::string shot;
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    shot.swap(m_shot);
                }
                if (!shot.empty())
                    PauseForScreenshot(shot.c_str());
                int button = IDC_MSGBOX_OK;
                if (ControlShown(box, IDC_MSGBOX_YES))
                    button = m_yes ? IDC_MSGBOX_YES : IDC_MSGBOX_NO;
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(box, button)));
                for (int i = 0; i < 200 && IsWindow(box) && IsWindowVisible(box); ++i)
                    Sleep(10);
            }
            Sleep(15);
        }
    }

    std::atomic<bool> m_yes;
    std::atomic<bool> m_running;
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
    std::string m_shot;
    std::thread m_thread;
};

// The page and its partners.
class ScanPageHarness {
public:
    ScanPageHarness() : m_folder("scanpage"), m_store(new CScanItemsInfo(m_folder.Path().c_str()))
    {
        m_process = EngineLibrary::Get().Engine()->NewProcess();
        page.SetProcess(m_process);
        page.SetScanItemsInfo(m_store.get());
        page.SetResultsPages(&registryPage, &junkPage);
        page.SetAutoRegBackupSource(&autoRegBackup);
        page.SetCustomizeScanFunction([this] { ++customizeRuns; });
        registryPage.SetScanItemsInfo(m_store.get());
        registryPage.SetScanPage(&page);
        junkPage.SetScanPage(&page);
    }
    ~ScanPageHarness()
    {
        // A task still running ends first; nothing may call the page afterwards.
        if (m_process) {
            m_process->Stop(1);
            for (int i = 0; i < 500 && m_process->GetThreadHandle() && m_process->IsBusy(); ++i)
                PumpFor(10);
            PumpFor(50);
        }
        junkPage.DestroyWindow();
        registryPage.DestroyWindow();
        page.DestroyWindow();
        if (m_process)
            EngineLibrary::Get().Engine()->DeleteProcess(m_process);
    }

    bool Create()
    {
        return page.Create(IDD_PAGE_SYSTEM_SCAN, m_host.Window()) &&
               registryPage.Create(IDD_PAGE_REGISTRY_RESULTS, m_host.Window()) &&
               junkPage.Create(IDD_PAGE_JUNK_RESULTS, m_host.Window()) && page.ShowWindow(SW_SHOW) >= 0;
    }

    PageSnapshot Take()
    {
        PageSnapshot s;
        HWND w = page.m_hWnd;
        s.state = page.GetScanState();
        s.activeRow = page.GetActiveRow();
        s.bar = page.GetOverallProgress();
        s.headline = ControlText(w, IDC_SCAN_HEADLINE);
        for (int row = 0; row < 4; ++row) {
            s.results[row] = ControlText(w, IDC_ROW_RESULT_FIRST + row);
            s.counts[row] = ControlText(w, IDC_ROW_COUNT_FIRST + row);
            s.detailsShown[row] = ControlShown(w, IDC_ROW_DETAILS_FIRST + row);
            s.resultsShown[row] = ControlShown(w, IDC_ROW_RESULT_FIRST + row);
            s.gauges[row] = page.GetRowGauge(row);
        }
        s.scanShown = ControlShown(w, IDC_SCAN_START);
        s.stopShown = ControlShown(w, IDC_SCAN_STOP);
        s.fixShown = ControlShown(w, IDC_SCAN_FIX);
        s.fixEnabled = IsWindowEnabled(GetDlgItem(w, IDC_SCAN_FIX)) != FALSE;
        return s;
    }

    // Dispatches this thread's messages, recording the page after each, until done() holds
    // (then a little longer, for posts still on their way) or timeoutMs pass. False on time-out.
    bool RunUntil(const std::function<bool()>& done, DWORD timeoutMs = 60000)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            MSG msg;
            bool any = false;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
                any = true;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
                history.push_back(Take());
                if (onDispatched)
                    onDispatched();
            }
            if (done()) {
                PumpRecording(150);
                return true;
            }
            if (!any)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return false;
    }
    void PumpRecording(DWORD ms)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
                history.push_back(Take());
            }
            Sleep(2);
        }
    }

    // The whole chain has come to rest: no engine task, no tweak scan.
    bool Settled()
    {
        const int state = page.GetScanState();
        return (state == ScanStateScanned || state == ScanStateStopped || state == ScanStateFixed ||
                state == ScanStateIdle) &&
               !m_process->IsBusy() && !page.IsTweakScanRunning();
    }
    bool ScanEnded()
    {
        return Settled() && page.GetScanState() != ScanStateFixed && page.GetOverallProgress() == 99;
    }
    // Starts a scan and runs it to its end.
    bool Scan()
    {
        history.clear();
        if (!page.StartScan())
            return false;
        return RunUntil([this] { return Settled() && page.GetScanState() != ScanStateScanning &&
                                        (page.GetScanState() != ScanStateScanned || page.GetOverallProgress() == 99); });
    }
    bool Fix()
    {
        history.clear();
        if (!page.StartCleaning())
            return false;
        return RunUntil([this] { return Settled() && page.GetScanState() != ScanStateFixing &&
                                        (page.GetScanState() != ScanStateFixed || page.GetOverallProgress() == 99); });
    }
    // The distinct values a field took, in order.
    std::vector<int> Sequence(const std::function<int(const PageSnapshot&)>& field) const
    {
        std::vector<int> values;
        for (const PageSnapshot& s : history)
            if (values.empty() || values.back() != field(s))
                values.push_back(field(s));
        return values;
    }
    // The snapshot right after the active row first became row.
    const PageSnapshot* WhenRowBecame(int row) const
    {
        for (const PageSnapshot& s : history)
            if (s.activeRow == row)
                return &s;
        return nullptr;
    }

    // A new store over the same folder, as the program's start makes it (it reads the ignore
    // list when made).
    void ReopenStore()
    {
        m_store.reset(new CScanItemsInfo(m_folder.Path().c_str()));
        page.SetScanItemsInfo(m_store.get());
        registryPage.SetScanItemsInfo(m_store.get());
    }

    CAbstractProcess* Process() { return m_process; }
    CScanItemsInfo& Store() { return *m_store; }
    const TempFolder& Folder() const { return m_folder; }

    CScanningDlg page;
    CRegScanDetailDlg registryPage;
    CJunkScanDetailDlg junkPage;
    int autoRegBackup = 0;
    int customizeRuns = 0;
    std::vector<PageSnapshot> history;
    std::function<void()> onDispatched;

private:
    TempFolder m_folder;
    HostWindow m_host;
    std::unique_ptr<CScanItemsInfo> m_store;
    CAbstractProcess* m_process = nullptr;
};
