// While a System Scan runs in a copy of Velmora.exe, nothing else starts: System Booster ON and
// OFF and Registry Defrag show their refusals and change nothing (no service, no services
// store, no busy dialog, no logon task, the scan's findings kept), Settings and Restore Center
// do not open. Each is tried as each phase of the scan begins: the registry scan (an engine
// task), the pause before the junk scan (the engine idle between two of its tasks) and the
// internet settings scan (the page's own worker). The system settings scan is not among them:
// it runs in one go on the page's thread, so a click is handled only after it. Services and
// tasks are machine-wide: a prefix and a display of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "Client/Frame/FrameResources.h"
#include "Client/Frame/ProcessDriver.h"
#include "Client/Frame/ProgramSettings.h"
#include "Client/Resources/ScanPageResources.h"
#include "Client/Resources/SystemBoosterResources.h"
#include "Client/Resources/ToolDialogResources.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "RegDefragTestSupport.h"
#include "ServiceFixture.h"
#include "ToolDialogDriver.h"

using namespace servicefixture;

namespace {

const DWORD ScanTimeout = 60000;
const char AppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
// Findings enough for the registry scan and the junk scan to take a while.
const int PlantedKeys = 800;
const int PlantedTempFiles = 3000;
const char ScanningHeadline[] = "Scan in progress";
const char BoosterRefusal[] = "Please stop other active operation before turning ON/OFF System Booster.";
const char DefragRefusal[] = "Please stop other active operation before starting Registry Defragmenter.";

// The phases tried, by their row of the scan page.
const struct {
    int row;
    const char* name;
} Phases[] = {{0, "registry scan"}, {1, "pause before the junk scan"}, {2, "internet settings scan"}};

// What the user tries: a button of a page reached by its navigation button, or a caption
// command of the main window.
struct Attempt {
    const char* label;
    int navigation;       // 0: a caption command
    int page;
    int command;
    const char* refusal;  // the box it shows; NULL: nothing opens
    const char* dialog;   // the dialog that must not open
    bool boosterOn;       // the booster is ON before
};

const Attempt Attempts[] = {
    {"System Booster ON", IDC_NAV_SYSTEM_BOOSTER, IDD_PAGE_SYSTEM_BOOSTER, IDC_BOOSTER_ON, BoosterRefusal, NULL, false},
    {"Registry Defrag", IDC_NAV_REGISTRY_DEFRAG, IDD_PAGE_REGISTRY_DEFRAG, IDC_DEFRAG_BUTTON, DefragRefusal, NULL, false},
    {"Settings", 0, 0, IDC_CAPTION_SETTINGS, NULL, "Settings", false},
    {"Restore Center", 0, 0, IDC_CAPTION_RESTORE, NULL, "Restore Center", false},
    {"System Booster OFF", IDC_NAV_SYSTEM_BOOSTER, IDD_PAGE_SYSTEM_BOOSTER, IDC_BOOSTER_OFF, BoosterRefusal, NULL, true},
};

void StoreDword(const char* name, DWORD value)
{
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, name, REG_DWORD, &value, sizeof value);
}

// App Paths entries naming missing programs: the registry scan's findings.
void PlantKeys()
{
    for (int i = 0; i < PlantedKeys; ++i) {
        const std::string name = "zzVelmoraBusy" + std::to_string(i) + ".exe";
        const std::string target = "C:\\VelmoraNowhere\\" + name;
        ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, (std::string(AppPathsKey) + "\\" + name).c_str(), NULL, REG_SZ,
                                  target.c_str(), DWORD(target.size() + 1)),
                  ERROR_SUCCESS);
    }
}

// Files in a folder of the temporary folder (the copy's too): the junk scan's findings.
void PlantTempFiles()
{
    const std::string folder = MakeScratchFolder("busy-junk");
    for (int i = 0; i < PlantedTempFiles; ++i)
        ASSERT_TRUE(WriteFileBytes(folder + "f" + std::to_string(i) + ".tmp", "junk"));
}

// What the attempts must leave as it is: the services store's file, the booster's service,
// the defragmentation's logon task.
struct MachineState {
    bool storeThere;
    std::string store;
    DWORD serviceState;
    int serviceStart;
    bool defragJob;

    bool operator==(const MachineState& o) const
    {
        return storeThere == o.storeThere && store == o.store && serviceState == o.serviceState &&
               serviceStart == o.serviceStart && defragJob == o.defragJob;
    }
};

// How an attempt went: what came up ("" nothing, else a box's text or the window that
// opened), and whether it was handled while the phase still ran.
struct Outcome {
    std::string shown;
    bool inPhase = false;
};

class BusyRefusalTest : public ::testing::Test {
protected:
    HWND Main() const { return copy.Main(); }
    HWND ScanPage() const { return GetDlgItem(Main(), IDD_PAGE_SYSTEM_SCAN); }
    HWND BoosterPage() const { return GetDlgItem(Main(), IDD_PAGE_SYSTEM_BOOSTER); }
    std::string Headline() const { return WindowText(GetDlgItem(ScanPage(), IDC_SCAN_HEADLINE)); }
    bool InPhase(int row) const
    {
        return Visible(ScanPage(), IDC_ROW_ANIMATION_FIRST + row) && Headline() == ScanningHeadline;
    }
    std::string Store() const { return copy.Folder() + "SRVS_STATS.xml"; }
    MachineState Machine() const
    {
        return {FileExists(Store()), StoreFileText(Store()), ServiceState("DPS"), StartValue("DPS"),
                FileExists(defrag_test::DefragJobPath())};
    }
    void Navigate(int button)
    {
        SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(Main(), button)));
    }
    // The booster turned ON with no scan running: DPS recorded and stopped.
    void TurnBoosterOn()
    {
        ASSERT_TRUE(copy.Start());
        Navigate(IDC_NAV_SYSTEM_BOOSTER);
        PressPosted(BoosterPage(), IDC_BOOSTER_ON);
        ASSERT_TRUE(WaitUntil([&] {
            return Visible(BoosterPage(), IDC_BOOSTER_OFF) && !defrag_test::FindBusy(copy.ProcessId());
        }, ScanTimeout));
        ASSERT_TRUE(WaitForState("DPS", SERVICE_STOPPED));
        ASSERT_TRUE(copy.Quit());
    }
    // Scan pressed; returns once the row's phase has begun.
    void ScanUntil(int row)
    {
        ASSERT_TRUE(WaitUntil([&] { return Visible(ScanPage(), IDC_SCAN_START); }, ScanTimeout));
        PressPosted(ScanPage(), IDC_SCAN_START);
        ASSERT_TRUE(WaitUntil([&] { return InPhase(row); }, ScanTimeout, 2)) << Headline();
    }

    // Makes the attempt during the row's phase. Whatever opens in place of a refusal is closed
    // without going on.
    Outcome Try(const Attempt& a, int row)
    {
        Outcome outcome;
        if (!a.navigation) {
            // Refused, the command returns at once; a dialog that opens holds it in its loop.
            DWORD_PTR result = 0;
            const bool returned =
                SendMessageTimeoutA(Main(), WM_COMMAND, MAKEWPARAM(a.command, BN_CLICKED),
                                    LPARAM(GetDlgItem(Main(), a.command)), SMTO_NORMAL, 5000, &result) != 0;
            outcome.inPhase = returned && InPhase(row);
            if (HWND dialog = copy.FindDialog(a.dialog)) {
                outcome.shown = a.dialog;
                PressPosted(dialog, IDC_TOOL_CLOSE);
                WaitUntil([&] { return !IsWindow(dialog); }, ToolTimeout);
            } else if (!returned) {
                outcome.shown = "<no answer>";
            }
            return outcome;
        }
        Navigate(a.navigation);
        PressPosted(GetDlgItem(Main(), a.page), a.command);
        HWND box = NULL;
        bool busy = false;
        WaitUntil([&] {
            busy = busy || defrag_test::FindBusy(copy.ProcessId()) != NULL;
            return (box = copy.FindBox()) != NULL || busy;
        }, ToolTimeout, 2);
        if (busy) {
            outcome.shown = "<busy dialog>";
        } else if (!box) {
            outcome.shown = "<nothing>";
            return outcome;
        }
        // The box is modal: its click was handled before it came up.
        outcome.inPhase = box && InPhase(row);
        if (box) {
            const std::string text = StaticTexts(box);
            if (!busy)
                outcome.shown = text;
            // Anything but the refusal is answered with Cancel, where the box has one.
            PressButton(box, text == a.refusal ? OkButtons : std::vector<int>{defrag_test::BoxCancel, 1010});
            WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, ToolTimeout);
        }
        Navigate(IDC_NAV_SYSTEM_SCANNER);
        return outcome;
    }

    ProgramCopy copy;
};

TEST_F(BusyRefusalTest, NothingElseStartsOrOpensWhileASystemScanRuns)
{
    ASSERT_TRUE(CreateTestService("DPS", "Dummy DPS", SERVICE_AUTO_START, true));
    StoreDword(SettingLastSelScanRegTypes, RegScanAppPaths);
    StoreDword(SettingLastSelScanJunkTypes, JunkTempFiles);
    PlantKeys();
    PlantTempFiles();

    bool boosterOn = false;
    for (const Attempt& a : Attempts) {
        if (a.boosterOn && !boosterOn) {
            TurnBoosterOn();
            boosterOn = true;
        }
        for (const auto& phase : Phases) {
            SCOPED_TRACE(std::string(a.label) + " as the " + phase.name + " begins");
            const MachineState before = Machine();
            ASSERT_TRUE(copy.Start());
            ScanUntil(phase.row);
            const Outcome outcome = Try(a, phase.row);
            EXPECT_EQ(outcome.shown, a.refusal ? a.refusal : "");
            EXPECT_TRUE(outcome.inPhase);

            // The scan goes on to its end with every finding.
            ASSERT_TRUE(WaitUntil([&] { return Visible(ScanPage(), IDC_SCAN_FIX); }, ScanTimeout)) << Headline();
            EXPECT_EQ(WindowText(GetDlgItem(ScanPage(), IDC_ROW_COUNT_FIRST)), std::to_string(PlantedKeys));
            EXPECT_TRUE(before == Machine());
            EXPECT_EQ(Visible(BoosterPage(), IDC_BOOSTER_OFF), a.boosterOn);
            EXPECT_EQ(Visible(BoosterPage(), IDC_BOOSTER_ON), !a.boosterOn);
            EXPECT_EQ(defrag_test::FindBusy(copy.ProcessId()), static_cast<HWND>(NULL));
            ASSERT_TRUE(copy.Quit());
        }
    }
}

}  // namespace
