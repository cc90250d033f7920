// The System Booster in a running copy of Velmora.exe (from a scratch folder of the prefix, so
// its "SRVS_STATS.xml" is its own), driven from the outside: the program killed the moment ON
// has stopped the first service still finds every record at its next start, and OFF there gives
// the services back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "Client/Frame/FrameResources.h"
#include "Client/Resources/ControlResources.h"
#include "Client/Resources/SystemBoosterResources.h"
#include "ProcessDriver.h"
#include "ServiceFixture.h"

using namespace servicefixture;

namespace {

const DWORD StartTimeout = 20000;
const DWORD RunTimeout = 60000;

// Velmora.exe and Tarnex.dll copied into a scratch folder.
std::string CopyOfTheProgram()
{
    const std::string folder = MakeScratchFolder("booster-program");
    const std::string built = BuiltProgramPath();
    const std::string bin = built.substr(0, built.rfind('\\') + 1);
    for (const char* file : {"Velmora.exe", "Tarnex.dll"})
        if (!CopyFileA((bin + file).c_str(), (folder + file).c_str(), FALSE))
            return std::string();
    return folder;
}

class RunningProgram {
public:
    bool Start(const std::string& folder)
    {
        const std::string path = folder + "Velmora.exe";
        if (!process.Start(path, "\"" + path + "\"", folder))
            return false;
        if (!WaitUntil([&] { return (main = FindMainWindow(process.Id())) != NULL || !process.Running(); },
                       StartTimeout) ||
            !main || !WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, StartTimeout))
            return false;
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_NAV_SYSTEM_BOOSTER, BN_CLICKED),
                     LPARAM(GetDlgItem(main, IDC_NAV_SYSTEM_BOOSTER)));
        return IsWindowVisible(Page()) != FALSE;
    }
    HWND Page() const { return GetDlgItem(main, IDD_PAGE_SYSTEM_BOOSTER); }
    bool Shown(int id) const { return IsWindowVisible(GetDlgItem(Page(), id)) != FALSE; }
    // Posted: the run goes on inside the program's busy dialog.
    void Press(int id)
    {
        PostMessageA(Page(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(Page(), id)));
    }
    bool BusyDialogOpen() const
    {
        for (HWND window : TopLevelWindows(process.Id()))
            if (GetDlgItem(window, IDC_BUSY_TEXT) && IsWindowVisible(window))
                return true;
        return false;
    }
    bool Quit()
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        return process.WaitForExit(15000);
    }

    ChildProcess process;
    HWND main = NULL;
};

}  // namespace

TEST(BoosterProgram, KilledDuringOnItKeepsEveryRecordAndOffAfterARestartGivesTheServicesBack)
{
    ASSERT_TRUE(CreateTestService("DPS", "Dummy DPS", SERVICE_AUTO_START, true));
    ASSERT_TRUE(CreateTestService("Browser", "Dummy Browser", SERVICE_DEMAND_START, true));
    ASSERT_TRUE(CreateTestService("WerSvc", "Dummy WerSvc", SERVICE_AUTO_START, true));
    const std::string folder = CopyOfTheProgram();
    ASSERT_FALSE(folder.empty());
    const std::string store = folder + "SRVS_STATS.xml";
    {
        RunningProgram program;
        ASSERT_TRUE(program.Start(folder));
        ASSERT_TRUE(program.Shown(IDC_BOOSTER_ON));
        program.Press(IDC_BOOSTER_ON);
        ASSERT_TRUE(WaitUntil([] { return ServiceState("DPS") == SERVICE_STOPPED; }, RunTimeout, 2));
        program.process.Kill();
        ASSERT_TRUE(program.process.WaitForExit(5000));
    }
    // Every record was written before the first service was stopped.
    const std::vector<StoredService> stored = ReadStore(store);
    ASSERT_EQ(stored.size(), 42u);
    EXPECT_EQ(stored[0].name, "DPS");
    EXPECT_EQ(stored[0].status, 4);
    EXPECT_EQ(stored[0].startupType, 2);
    EXPECT_EQ(ServiceState("WerSvc"), DWORD(SERVICE_RUNNING));
    {
        RunningProgram program;
        ASSERT_TRUE(program.Start(folder));
        EXPECT_TRUE(program.Shown(IDC_BOOSTER_OFF));
        EXPECT_FALSE(program.Shown(IDC_BOOSTER_ON));
        program.Press(IDC_BOOSTER_OFF);
        ASSERT_TRUE(WaitUntil([&] { return program.Shown(IDC_BOOSTER_ON) && !program.BusyDialogOpen(); },
                              RunTimeout));
        EXPECT_FALSE(program.Shown(IDC_BOOSTER_OFF));
        EXPECT_TRUE(program.Quit());
    }
    EXPECT_TRUE(WaitForState("DPS", SERVICE_RUNNING));
    EXPECT_EQ(StartValue("DPS"), SERVICE_AUTO_START);
    EXPECT_TRUE(WaitForState("WerSvc", SERVICE_RUNNING));
    EXPECT_EQ(StartValue("WerSvc"), SERVICE_AUTO_START);
    EXPECT_EQ(ServiceState("Browser"), DWORD(SERVICE_RUNNING));
    EXPECT_EQ(StartValue("Browser"), SERVICE_DEMAND_START);
    EXPECT_TRUE(ReadStore(store).empty());
    EXPECT_NE(StoreFileText(store).find("<AllServices />"), std::string::npos);
}
