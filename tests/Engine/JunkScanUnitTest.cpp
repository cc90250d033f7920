// The junk scan's inner pieces, linked in from the engine's static library: size texts, the
// roots it accepts, and the scan after a clean (the process's state word at 0).
#include <gtest/gtest.h>

#include "Engine/JunkCleaner.h"
#include "Engine/JunkScanTestSupport.h"
#include "Engine/SSEngineProcess.h"

using namespace junktest;

TEST(JunkSizeText, ParsesShellSizeTexts)
{
    const struct {
        const char* text;
        unsigned long long bytes;
    } cases[] = {
        {"1.5 KB", 1536},
        {"2 KB", 2048},
        {"1,954 KB", 1954ULL * 1024},  // digit grouping of the user's locale
        {"1,234,567 KB", 1234567ULL * 1024},
        {"12 bytes", 12},
        {"0 bytes", 0},
        {"1 MB", 1048576},
        {"2.50 GB", 2684354560ULL},
        {"1 TB", 1099511627776ULL},
        {"3 PB", 3ULL << 50},
        {"1 EB", 1ULL << 60},
        {"  7 kb ", 7168},
        {"512", 512},
        {"", 0},
        {"abc", 0},
        {"KB", 0},
        {"-5 KB", 0},
        {"1e400 KB", 0},  // out of range
    };
    for (const auto& c : cases)
        EXPECT_EQ(CJunkCleaner::ParseSizeText(c.text), c.bytes) << '"' << c.text << '"';
    EXPECT_EQ(CJunkCleaner::ParseSizeText(nullptr), 0u);
}

TEST(JunkRoots, OnlyFoldersBelowADriveOrShareAreUsable)
{
    const struct {
        const char* path;
        bool usable;
    } cases[] = {
        {"C:\\Users\\me\\Temp", true},
        {"c:/users/me", true},
        {"\\\\server\\share\\profile", true},
        {"", false},
        {"\\Temp", false},          // relative to the current drive's root
        {"C:Temp", false},          // relative to the current folder of C:
        {"Temp", false},
        {"C:\\", false},
        {"C:", false},
        {"\\\\server\\share", false},
        {"\\\\server\\share\\", false},
        {"\\\\?\\C:\\Temp", false},
        {"\\\\.\\C:\\Temp", false},
        {"C:\\Temp\\..", false},    // leads back to the root
        {"C:\\Temp\\.\\x", false},
        {"C:\\a\\\\b", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsJunkFolderUsable(CString(c.path)), c.usable) << c.path;

    EXPECT_STREQ(JoinJunkPath("C:\\a\\", "\\b"), "C:\\a\\b");
    EXPECT_STREQ(JoinJunkPath("C:\\a/", "b\\c"), "C:\\a\\b\\c");
    EXPECT_STREQ(JoinJunkPath("C:\\a", nullptr), "C:\\a");
    EXPECT_STREQ(JoinJunkPath("", "Temp"), "");
    EXPECT_STREQ(JoinJunkPath("\\\\", "Temp"), "");
}

TEST(JunkScanAfterClean, FilesThatCannotBeOpenedForUpdateAreLeftOut)
{
    CoInitialize(nullptr);
    const std::string cache = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Google\\Chrome\\User Data\\Default\\Cache";
    ASSERT_TRUE(WriteSizedFile(cache + "\\free.bin", 10));
    ASSERT_TRUE(WriteSizedFile(cache + "\\held.bin", 20));
    HANDLE held = HoldFileExclusively(cache + "\\held.bin");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    std::vector<Finding> everything, openable;
    for (const ListedFile& f : ListFiles(cache)) {
        everything.push_back({JunkChromeCache, f.size, f.path});
        if (Lower(f.path).find("held.bin") == std::string::npos)
            openable.push_back({JunkChromeCache, f.size, f.path});
    }
    ASSERT_EQ(everything.size(), 2u);

    {
        CSSEngineProcess process(CSSEngineProcess::LightConstruction);
        // Before any clean a held file outside the temporary folder still counts.
        EXPECT_EQ(ScanReports(RunJunkScan(&process, JunkChromeCache)),
                  ExpectedScan({{JunkChromeCache, everything}}));
        // A clean leaves the state word at 0: from then on only what could be deleted counts.
        process.m_state = 0;
        EXPECT_EQ(ScanReports(RunJunkScan(&process, JunkChromeCache)),
                  ExpectedScan({{JunkChromeCache, openable}}));
    }
    CloseHandle(held);
    DeleteFileA((cache + "\\free.bin").c_str());
    DeleteFileA((cache + "\\held.bin").c_str());
}

// The clean empties the temporary folder, so a temporary folder that is really the Windows
// folder, the user's profile (where the system falls back when TMP and TEMP are not set) or a
// drive's root is never used.
TEST(JunkRoots, TemporaryFolderIsNeverTheWindowsFolderTheProfileOrARoot)
{
    char savedTmp[MAX_PATH + 1] = {}, savedTemp[MAX_PATH + 1] = {};
    GetEnvironmentVariableA("TMP", savedTmp, sizeof savedTmp);
    GetEnvironmentVariableA("TEMP", savedTemp, sizeof savedTemp);
    const std::string windows = ShellFolder(CSIDL_WINDOWS), profile = ShellFolder(CSIDL_PROFILE);
    ASSERT_FALSE(windows.empty());
    ASSERT_FALSE(profile.empty());
    const struct {
        std::string tmp;
        std::string expected;
    } cases[] = {
        {windows + "\\", ""},
        {windows, ""},
        {Lower(windows) + "\\", ""},
        {profile + "\\", ""},
        {"C:\\", ""},
        {"C:\\JunkTemporaryCheck\\", "C:\\JunkTemporaryCheck"},
        {windows + "\\Temp\\", windows + "\\Temp"},
    };
    for (const auto& c : cases) {
        SetEnvironmentVariableA("TMP", c.tmp.c_str());
        SetEnvironmentVariableA("TEMP", c.tmp.c_str());
        EXPECT_STREQ(JunkFolderRoots::Read().Temp, c.expected.c_str()) << c.tmp;
    }
    SetEnvironmentVariableA("TMP", savedTmp);
    SetEnvironmentVariableA("TEMP", savedTemp);

    JunkFolderRoots roots = JunkFolderRoots::Read();
    EXPECT_STREQ(roots.Temp, TempFolder().c_str());
    EXPECT_STREQ(roots.Recent, ShellFolder(CSIDL_RECENT).c_str());
    const std::string local = ShellFolder(CSIDL_LOCAL_APPDATA);
    EXPECT_STREQ(roots.IeFolder, (local + "\\Microsoft\\Internet Explorer").c_str());
    EXPECT_STREQ(roots.IeLowDomStore,
                 (ParentOf(local) + "\\LocalLow\\Microsoft\\Internet Explorer\\DOMStore").c_str());
    EXPECT_STREQ(roots.ChromeDefault, (local + "\\Google\\Chrome\\User Data\\Default").c_str());
    EXPECT_STREQ(roots.EdgePackage, (local + "\\Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe").c_str());
    // No profile whose name holds ".default": no Firefox root at all, rather than the
    // Profiles folder itself.
    EXPECT_STREQ(roots.FirefoxProfileRoaming, "");
    EXPECT_STREQ(roots.FirefoxProfileLocal, "");
}
