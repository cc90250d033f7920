// The three checks the engine keeps but no task runs, white-box through the static library:
// class servers of listed classes, browser helper objects and cookie file names.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "Engine/RegistryScanCategories.h"
#include "Engine/SSEngineProcess.h"
#include "Support/RegistryScanFixture.h"

namespace {

// A process object whose scan state is set by hand, as the task runner would set it.
struct CheckProcess {
    CheckProcess() : process(CSSEngineProcess::LightConstruction)
    {
        process.m_status = &status;
        process.m_busy = 1;
    }
    ~CheckProcess()
    {
        process.m_busy = 0;
        process.m_status = nullptr;
    }
    RecordingStatus status;
    CSSEngineProcess process;
};

std::string ShellFolderPath(int csidl)
{
    char buffer[MAX_PATH] = {};
    return SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) == S_OK ? buffer : "";
}

}  // namespace

TEST(RegistryExtraChecks, ClassServersReportListedClassesWhoseServerIsMissing)
{
    ScanFixture fixture;
    const std::string list = "Software\\VTestRegScanExtra\\Classes";
    const struct {
        const char* cls;
        const char* server;
        bool reported;
    } classes[] = {
        {"{A1A1A1A1-0000-0000-0000-0000000000E1}", "c:\\vtest-regscan\\missing\\gone.dll", true},
        {"{A1A1A1A1-0000-0000-0000-0000000000E2}", "c:\\windows\\system32\\shell32.dll", false},
        {"{A1A1A1A1-0000-0000-0000-0000000000E3}", "shell32.dll", false},
        {"{A1A1A1A1-0000-0000-0000-0000000000E4}", "%SystemRoot%\\vtest\\gone.dll", false},
        {"{A1A1A1A1-0000-0000-0000-0000000000E5}", ".dll", false},
        {"{A1A1A1A1-0000-0000-0000-0000000000E6}", "c:\\vtest-regscan\\missing\\gone.ocx", true},
    };
    std::vector<std::string> expected;
    for (const auto& c : classes) {
        ASSERT_TRUE(fixture.Key(HKEY_CURRENT_USER, list + "\\" + c.cls));
        ASSERT_TRUE(fixture.String(HKEY_LOCAL_MACHINE,
                                   std::string("Software\\Classes\\CLSID\\") + c.cls + "\\InprocServer32",
                                   "", c.server));
        if (c.reported)
            expected.push_back("HKEY_LOCAL_MACHINE\\" + list + "\\" + c.cls);
    }
    // A listed class without a server key is skipped.
    ASSERT_TRUE(fixture.Key(HKEY_CURRENT_USER, list + "\\{A1A1A1A1-0000-0000-0000-0000000000E7}"));

    CheckProcess check;
    EXPECT_EQ(CheckClassServers(check.process, HKEY_CURRENT_USER, list.c_str(), RegScanActiveX), 2);
    std::vector<std::string> found;
    for (const StatusCall& c : check.status.CallsOf("OnItemFound")) {
        EXPECT_EQ(c.category, DWORD(RegScanActiveX));
        found.push_back(c.text);
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(check.status.CallsOf("OnProgress").size(), 1u);
    EXPECT_TRUE(check.status.CallsOf("OnStatusText").empty());
    // Nothing is read once a stop was requested.
    check.process.m_busy = 0;
    check.status.Reset();
    EXPECT_EQ(CheckClassServers(check.process, HKEY_CURRENT_USER, list.c_str(), RegScanActiveX), 0);
    EXPECT_TRUE(check.status.CallsOf("OnItemFound").empty());
}

TEST(RegistryExtraChecks, BrowserHelperObjectsAreCountedNotReported)
{
    ScanFixture fixture;
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
    HKEY existing = nullptr;
    size_t before = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &existing) == ERROR_SUCCESS) {
        DWORD count = 0;
        RegQueryInfoKeyA(existing, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
        before = count;
        RegCloseKey(existing);
    }
    ASSERT_TRUE(fixture.Key(HKEY_LOCAL_MACHINE, key + "\\{A1A1A1A1-0000-0000-0000-0000000000B1}"));
    ASSERT_TRUE(fixture.Key(HKEY_LOCAL_MACHINE, key + "\\{A1A1A1A1-0000-0000-0000-0000000000B2}"));
    CheckProcess check;
    EXPECT_EQ(ScanBrowserHelperObjects(check.process), 1);
    EXPECT_EQ(check.status.CallsOf("OnProgress").size(), before + 2);
    EXPECT_TRUE(check.status.CallsOf("OnItemFound").empty());
}

TEST(RegistryExtraChecks, CookieFilesAreReportedByName)
{
    std::string cookies = ShellFolderPath(CSIDL_COOKIES);
    ASSERT_FALSE(cookies.empty());
    ScanFixture fixture;
    const struct {
        const char* name;
        bool reported;
    } files[] = {
        {"vtest@site.txt", true}, {"VTEST@SITE2.TXT", true}, {"vtest-plain.txt", false},
        {"@vtest.txt", false},    {"vtest@site.dat", false}, {"vtest@x.txt.bak", false},
    };
    std::vector<std::string> expected;
    for (const auto& f : files) {
        ASSERT_TRUE(fixture.File(cookies + "\\" + f.name));
        if (f.reported)
            expected.push_back(cookies + "\\" + f.name);
    }
    // A folder with a cookie-like name, and what is inside it, are not looked at.
    ASSERT_TRUE(fixture.File(cookies + "\\vtest@folder.txt\\inner@x.txt"));
    std::sort(expected.begin(), expected.end());

    CheckProcess check;
    EXPECT_EQ(ScanCookieFiles(check.process), 1);
    std::vector<std::string> found;
    for (const StatusCall& c : check.status.CallsOf("OnItemFound")) {
        EXPECT_EQ(c.category, 8u);
        found.push_back(c.text);
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
}
