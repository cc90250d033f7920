// The driver-path and program-path checks over the services key, white-box through the
// engine's static library. Each case plants service keys in a prefix of its own and checks that
// exactly the planted services whose image is established missing are reported; nothing else
// of the prefix is, but for one service Wine registers without installing its program.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Engine/ServiceImageChecks.h"
#include "Engine/SSEngineProcess.h"
#include "Support/EngineTestSupport.h"

namespace {

const char* const ServicesKey = "SYSTEM\\CurrentControlSet\\Services";
const std::string ReportPrefix = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";

struct PlantedService {
    const char* name;
    const char* imagePath;
    DWORD type;
    bool missing;   // reported by the check the case runs
};

void PlantService(const PlantedService& service)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(ServicesKey) + "\\" + service.name).c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD start = 3;
    RegSetValueExA(key, "Start", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&start), sizeof start);
    RegSetValueExA(key, "ImagePath", 0, service.type, reinterpret_cast<const BYTE*>(service.imagePath),
                   DWORD(strlen(service.imagePath) + 1));
    RegCloseKey(key);
}

void MakeFile(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

// Runs a check with the busy flag up and returns the texts it reported.
std::set<std::string> Reports(int (*check)(CSSEngineProcess&), int& progress)
{
    RecordingStatus status;
    CSSEngineProcess process(CSSEngineProcess::LightConstruction);
    process.m_status = &status;
    process.m_busy = 1;
    const int count = check(process);
    process.m_status = nullptr;
    std::set<std::string> texts;
    for (const StatusCall& call : status.CallsOf("OnItemFound")) {
        EXPECT_EQ(call.category, 0x400000u) << call.text;
        EXPECT_EQ(call.value, 0) << call.text;
        texts.insert(call.text);
    }
    EXPECT_EQ(count, int(status.CallsOf("OnItemFound").size()));
    std::vector<StatusCall> calls = status.Calls();
    EXPECT_FALSE(calls.empty());
    if (!calls.empty()) {
        EXPECT_EQ(calls[0].slot + ":" + std::to_string(calls[0].value), "OnProgress:1");
    }
    progress = int(status.CallsOf("OnProgress").size());
    return texts;
}

void ExpectReports(int (*check)(CSSEngineProcess&), const std::vector<PlantedService>& planted,
                   const std::set<std::string>& knownInPrefix)
{
    CreateDirectoryA("C:\\vtest", nullptr);
    CreateDirectoryA("C:\\vtest\\drv", nullptr);
    MakeFile("C:\\vtest\\drv\\present.sys");
    MakeFile("C:\\vtest\\here.exe");
    CreateDirectoryA("C:\\vtest\\drv.sysdir", nullptr);
    MakeFile("C:\\vtest\\drv.sysdir\\present.sys");
    CreateDirectoryA("C:\\vtest\\app.exes", nullptr);
    MakeFile("C:\\vtest\\app.exes\\here.exe");
    for (const PlantedService& service : planted)
        PlantService(service);

    std::set<std::string> expected = knownInPrefix;
    for (const PlantedService& service : planted)
        if (service.missing)
            expected.insert(ReportPrefix + service.name);
    int progress = 0;
    EXPECT_EQ(Reports(check, progress), expected);
    EXPECT_GT(progress, int(planted.size()) * 2) << "a step per value with data";
}

// Wine registers this service without its program; the file is really not there.
const char* const FontCacheImage = "C:\\windows\\Microsoft.Net\\Framework\\v3.0\\wpf\\presentationfontcache.exe";

}  // namespace

// Driver paths in every form the system accepts. The drivers Wine installs exist only in the
// native System folder, so a check under WOW64 that left redirection on would call them missing.
TEST(ServiceImageChecks, DriverCheckReportsOnlyEstablishedMissingDrivers)
{
    ExpectReports(CheckDriverPaths,
                  {
                      {"VTestDrvMissing", "\\SystemRoot\\System32\\drivers\\vtest_missing.sys", REG_EXPAND_SZ, true},
                      {"VTestDrvNative", "\\SystemRoot\\System32\\drivers\\mountmgr.sys", REG_EXPAND_SZ, false},
                      {"VTestDrvRelative", "System32\\drivers\\mountmgr.sys", REG_EXPAND_SZ, false},
                      {"VTestDrvRelativeGone", "system32\\DRIVERS\\vtest_gone.sys", REG_EXPAND_SZ, true},
                      {"VTestDrvNtPresent", "\\??\\C:\\vtest\\drv\\present.sys", REG_SZ, false},
                      {"VTestDrvNtGone", "\\??\\C:\\vtest\\drv\\gone.sys", REG_SZ, true},
                      {"VTestDrvNoSuchDrive", "\\??\\Q:\\vtest\\gone.sys", REG_SZ, false},
                      {"VTestDrvRootRelative", "\\vtest\\drv\\present.sys", REG_SZ, false},
                      {"VTestDrvExpandGone", "%SystemRoot%\\system32\\drivers\\vtest_x.sys", REG_EXPAND_SZ, true},
                      {"VTestDrvProgram", "C:\\vtest\\gone.exe", REG_SZ, false},
                      // The name ends at its own ".sys", not at a folder's ".systems".
                      {"VTestDrvDottedFolder", "\\??\\C:\\vtest\\drv.sysdir\\present.sys", REG_SZ, false},
                      {"VTestDrvDottedGone", "\\??\\C:\\vtest\\drv.sysdir\\gone.sys", REG_SZ, true},
                      {"VTestDrvQuoted", "\"\\SystemRoot\\System32\\drivers\\mountmgr.sys\"", REG_EXPAND_SZ, false},
                  },
                  {});
}

TEST(ServiceImageChecks, ProgramCheckReportsOnlyEstablishedMissingPrograms)
{
    ASSERT_EQ(GetFileAttributesA(FontCacheImage), INVALID_FILE_ATTRIBUTES);
    ExpectReports(CheckProgramPaths,
                  {
                      {"VTestExeGone", "\"C:\\vtest\\gone.exe\" -k x", REG_SZ, true},
                      {"VTestExePresent", "C:\\vtest\\here.exe /x", REG_SZ, false},
                      {"VTestExeSysRoot", "%SystemRoot%\\system32\\svchost.exe -k netsvcs", REG_EXPAND_SZ, false},
                      {"VTestExeNtSysRoot", "\\SystemRoot\\system32\\svchost.exe", REG_EXPAND_SZ, false},
                      {"VTestExeRelativeGone", "system32\\vtest_nothere.exe", REG_EXPAND_SZ, true},
                      {"VTestExeBare", "svchost.exe", REG_SZ, false},
                      {"VTestExeNoSuchDrive", "Q:\\gone.exe", REG_SZ, false},
                      {"VTestExeDriver", "\\SystemRoot\\System32\\drivers\\vtest_missing.sys", REG_SZ, false},
                      {"VTestExeDottedFolder", "\"C:\\vtest\\app.exes\\here.exe\" /s", REG_SZ, false},
                      {"VTestExeQuotedSysRoot", "\"\\SystemRoot\\system32\\svchost.exe\" -k x", REG_EXPAND_SZ, false},
                  },
                  {ReportPrefix + "FontCache3.0.0.0"});
}

// A stop ends the walk before the first service.
TEST(ServiceImageChecks, StoppedCheckReportsNothing)
{
    PlantService({"VTestDrvMissing", "\\SystemRoot\\System32\\drivers\\vtest_missing.sys", REG_EXPAND_SZ, true});
    RecordingStatus status;
    CSSEngineProcess process(CSSEngineProcess::LightConstruction);
    process.m_status = &status;
    process.m_busy = 0;
    EXPECT_EQ(CheckDriverPaths(process), 0);
    EXPECT_EQ(CheckProgramPaths(process), 0);
    process.m_status = nullptr;
    EXPECT_TRUE(status.CallsOf("OnItemFound").empty());
}
