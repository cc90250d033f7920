// The registry scan's font ("FNT"), shared-DLL ("SHD"), application-path ("APP") and help-file
// ("HLP") checks, driven through Tarnex.dll with entries planted in the real registry and files
// of the test prefix. Each case runs in a fresh prefix, so the exact set of findings is
// asserted: everything planted as invalid, and nothing else.
#include <gtest/gtest.h>

#include "Support/ProgramBitness.h"
#include "Support/RegistryScanFixture.h"

namespace {

const std::string FontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string SharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::string AppPathsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::string HelpClassesKey = "SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID";
const std::string HelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";
const std::string HtmlHelpKey = "SOFTWARE\\Microsoft\\Windows\\HTML Help";

const DWORD OwnCategories = RegScanUninstall | RegScanFonts | RegScanSharedDlls | RegScanAppPaths |
                            RegScanHelpFiles | RegScanStartupItems | RegScanShortcuts;

std::string Machine(const std::string& key)
{
    return "HKEY_LOCAL_MACHINE\\" + key;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether the platform's font loader also resolves bare font names in a folder of its own
// outside every drive (Wine's installation folder); the scan then leaves such names unjudged.
bool BareFontNamesResolvedElsewhere()
{
    char data[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableA("WINEDATADIR", data, sizeof data);
    return n > 0 && n < sizeof data;
}

}  // namespace

// A scan of these categories on the fresh prefix, with its user folders as the program passes
// them, finds nothing.
TEST(RegistryScanFreshPrefix, FileAndStartupCategoriesReportNothing)
{
    ShortcutFolderMap folders;
    for (int csidl : {CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_FAVORITES,
                      CSIDL_COMMON_VIDEO, CSIDL_COMMON_MUSIC, CSIDL_COMMON_PICTURES,
                      CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_STARTMENU, CSIDL_PERSONAL, CSIDL_FAVORITES,
                      CSIDL_MYVIDEO, CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_DESKTOPDIRECTORY}) {
        std::string folder = ShellFolder(csidl);
        if (!folder.empty())
            folders[CString(folder.c_str())] = 0;
    }
    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, OwnCategories, folders));
    FoundItems found = FoundItemsOf(status);
    EXPECT_TRUE(found.empty()) << "found:\n" << DescribeItems(found);
}

// Fonts: a font file missing from where its value says (a full path, or, where the Fonts
// folder is the only place the loader looks, a bare name) is reported as key, separator, font
// name; a bare name present in the Fonts folder, a font on a drive that is not there, an
// unknown variable and a relative path are not.
TEST(RegistryScanFonts, FontsWhoseFileIsMissingAreReported)
{
    const std::string tag = UniqueTag();
    const std::string base = "c:\\" + tag;
    ScanFixture files;
    ASSERT_TRUE(files.File(WindowsFolder() + "\\Fonts\\" + tag + "here.ttf"));
    ASSERT_TRUE(files.File(base + "\\fonts\\full.ttf"));

    ScanFixture registry;
    const std::vector<std::pair<std::string, std::string>> planted = {
        {tag + " Gone (TrueType)", base + "\\gone.ttf"},
        {tag + " Bare Gone (TrueType)", tag + "gone.ttf"},
        {tag + " Here (TrueType)", tag + "here.ttf"},
        {tag + " Full (TrueType)", base + "\\fonts\\full.ttf"},
        {tag + " Drive (TrueType)", AbsentDrive() + "\\fonts\\x.ttf"},
        {tag + " Var (TrueType)", "%" + tag + "FONTS%\\x.ttf"},
        {tag + " Relative (TrueType)", "fonts\\" + tag + "x.ttf"},
    };
    for (const auto& value : planted)
        ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, FontsKey, value.first, value.second));

    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, RegScanFonts));
    FoundItems expected = {{Machine(FontsKey) + ValueSeparator + tag + " Gone (TrueType)", RegScanFonts}};
    if (!BareFontNamesResolvedElsewhere())
        expected.insert({Machine(FontsKey) + ValueSeparator + tag + " Bare Gone (TrueType)", RegScanFonts});
    FoundItems found = FoundItemsOf(status);
    EXPECT_EQ(found, expected) << "found:\n" << DescribeItems(found) << "expected:\n"
                               << DescribeItems(expected);
    // One progress text per font value, key "/" name.
    int texts = 0;
    for (const StatusCall& call : status.CallsOf("OnStatusText"))
        if (call.stage == "FNT" && call.text.find(FontsKey + "/" + tag) == 0)
            ++texts;
    EXPECT_EQ(texts, static_cast<int>(planted.size()));
}

// Shared DLLs: the value name is the file. Missing files are reported as key, separator, name
// as stored; files in the native System folder (seen with redirection off), files only in the
// 32-bit System folder under the native name, bare names and missing drives are not.
TEST(RegistryScanSharedDlls, SharedDllsWhoseFileIsMissingAreReported)
{
    const std::string tag = UniqueTag();
    const std::string base = "c:\\" + tag;
    const std::string windows = WindowsFolder();
    ScanFixture files;
    ASSERT_TRUE(files.File(base + "\\here.dll"));
    // From the 32-bit program "system32" is the 32-bit System folder, "sysnative" the native one;
    // the 64-bit program names them "system32" and the WOW64 folder.
    const std::string nativeSystem = windows + (kThirtyTwoBitProgram ? "\\sysnative" : "\\system32");
    const std::string system32Bit = kThirtyTwoBitProgram ? windows + "\\system32" : Wow64SystemFolder();
    ASSERT_FALSE(system32Bit.empty());
    ASSERT_TRUE(files.File(nativeSystem + "\\" + tag + "native.dll"));
    ASSERT_TRUE(files.File(system32Bit + "\\" + tag + "only32.dll"));
    ASSERT_FALSE(FileExists(nativeSystem + "\\" + tag + "only32.dll"));

    const std::string gone = base + "\\gone.dll";
    const std::string quotedGone = "\"" + base + "\\gone2.dll\"";
    ScanFixture registry;
    for (const std::string& name :
         {gone, quotedGone, base + "\\here.dll", windows + "\\system32\\" + tag + "native.dll",
          windows + "\\system32\\" + tag + "only32.dll", tag + "only32.dll",
          AbsentDrive() + "\\shared\\x.dll"})
        ASSERT_TRUE(registry.Dword(HKEY_LOCAL_MACHINE, SharedDllsKey, name, 1)) << name;

    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, RegScanSharedDlls));
    FoundItems expected = {{Machine(SharedDllsKey) + ValueSeparator + gone, RegScanSharedDlls},
                           {Machine(SharedDllsKey) + ValueSeparator + quotedGone, RegScanSharedDlls}};
    // Only under WOW64 is the native name also looked for in the 32-bit folder.
    if (!kThirtyTwoBitProgram)
        expected.insert({Machine(SharedDllsKey) + ValueSeparator + windows + "\\system32\\" + tag + "only32.dll",
                         RegScanSharedDlls});
    FoundItems found = FoundItemsOf(status);
    EXPECT_EQ(found, expected) << "found:\n" << DescribeItems(found);
}

// Application paths: an entry is reported as its key when its program is missing and the
// folders of its "Path" value do not hold it either; the connection manager's entry, programs
// found through "Path" (also in the second of several folders), %ProgramData% paths and
// missing drives are not.
TEST(RegistryScanAppPaths, EntriesWhoseProgramIsMissingAreReported)
{
    const std::string tag = UniqueTag();
    const std::string base = "c:\\" + tag;
    const std::string programData = ShellFolder(CSIDL_COMMON_APPDATA);
    ASSERT_FALSE(programData.empty());
    ScanFixture files;
    ASSERT_TRUE(files.File(base + "\\bin\\" + tag + "bare.exe"));
    ASSERT_TRUE(files.File(base + "\\bin2\\" + tag + "multi.exe"));
    ASSERT_TRUE(files.File(base + "\\full\\here.exe"));
    ASSERT_TRUE(files.File(programData + "\\" + tag + "\\data.exe"));

    struct Entry {
        std::string key;
        std::string program;
        std::string path;  // the "Path" value, none when empty
        DWORD type;
        bool reported;
    };
    const std::string gone = tag + "gone.exe";
    const std::vector<Entry> entries = {
        {gone, base + "\\" + gone, "", REG_SZ, true},
        {tag + "pathgone.exe", tag + "pathgone.exe", base + "\\bin", REG_SZ, true},
        {tag + "fullgone.exe", base + "\\nowhere\\app.exe", base + "\\bin", REG_SZ, true},
        {"cmmgr32.exe", base + "\\cmmgr32.exe", "", REG_SZ, false},
        {tag + "here.exe", "\"" + base + "\\full\\here.exe\"", "", REG_SZ, false},
        {tag + "bare.exe", tag + "bare.exe", base + "\\bin\\", REG_SZ, false},
        {tag + "multi.exe", tag + "multi.exe", base + "\\nowhere;" + base + "\\bin2", REG_SZ, false},
        {tag + "data.exe", "%ProgramData%\\" + tag + "\\data.exe", "", REG_EXPAND_SZ, false},
        {tag + "drive.exe", AbsentDrive() + "\\apps\\drive.exe", "", REG_SZ, false},
        {tag + "var.exe", tag + "var.exe", "%" + tag + "APPS%", REG_SZ, false},
    };
    ScanFixture registry;
    FoundItems expected;
    for (const Entry& e : entries) {
        std::string key = AppPathsKey + "\\" + e.key;
        ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, key, "", e.program, e.type));
        if (!e.path.empty()) {
            ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, key, "Path", e.path));
        }
        if (e.reported)
            expected.insert({Machine(key), RegScanAppPaths});
    }
    // An entry with a value that sorts before the unnamed one and no program at all.
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, AppPathsKey + "\\" + tag + "noprogram.exe",
                                   "Path", base + "\\bin"));

    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, RegScanAppPaths));
    FoundItems found = FoundItemsOf(status);
    EXPECT_EQ(found, expected) << "found:\n" << DescribeItems(found) << "expected:\n"
                               << DescribeItems(expected);
}

// Help files: help class servers whose module is missing are reported as the class key; help
// and HTML help values whose file is not in the named folder are reported as key, separator,
// lower-cased file name. Present files, %ProgramData% folders, a 32-bit-only module by bare
// name and missing drives are not.
TEST(RegistryScanHelpFiles, HelpEntriesWhoseFileIsMissingAreReported)
{
    const std::string tag = UniqueTag();
    const std::string base = "c:\\" + tag;
    const std::string programData = ShellFolder(CSIDL_COMMON_APPDATA);
    ASSERT_FALSE(programData.empty());
    const std::string windows = WindowsFolder();
    ScanFixture files;
    ASSERT_TRUE(files.File(base + "\\help\\" + tag + "here.hlp"));
    ASSERT_TRUE(files.File(programData + "\\" + tag + "\\" + tag + "data.chm"));
    ASSERT_TRUE(files.File(base + "\\here.dll"));
    ASSERT_TRUE(files.File(windows + "\\system32\\" + tag + "help32.dll"));  // 32-bit folder only

    const std::string goneClass = "{A1A1A1A1-0000-0000-0000-000000000001}";
    const std::string hereClass = "{A1A1A1A1-0000-0000-0000-000000000002}";
    const std::string bareClass = "{A1A1A1A1-0000-0000-0000-000000000003}";
    const std::string argsClass = "{A1A1A1A1-0000-0000-0000-000000000004}";
    ScanFixture registry;
    auto server = [&](const std::string& cls) { return HelpClassesKey + "\\" + cls + "\\InprocServer32"; };
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, server(goneClass), "", base + "\\gone.dll"));
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, server(goneClass), "ThreadingModel", "Apartment"));
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, server(hereClass), "", base + "\\here.dll"));
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, server(bareClass), "", tag + "help32.dll"));
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, server(argsClass), "", base + "\\gone.dll,1"));

    const std::string drive = AbsentDrive();
    struct HelpValue {
        std::string key;
        std::string file;
        std::string folder;
        bool reported;
    };
    const std::vector<HelpValue> helpValues = {
        {HelpKey, tag + "Gone.hlp", base + "\\nohelp", true},
        {HelpKey, tag + "Here.hlp", base + "\\help\\", false},
        {HelpKey, tag + "Drive.hlp", drive + "\\help", false},
        {HelpKey, tag + "NoFolder.hlp", "", false},
        {HtmlHelpKey, tag + "Gone.chm", base + "\\nohelp", true},
        {HtmlHelpKey, tag + "Data.chm", "%ProgramData%\\" + tag, false},
    };
    FoundItems expected = {{Machine(HelpClassesKey + "\\" + goneClass), RegScanHelpFiles}};
    for (const HelpValue& v : helpValues) {
        ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, v.key, v.file, v.folder));
        if (v.reported) {
            std::string lower = v.file;
            CharLowerA(&lower[0]);
            expected.insert({Machine(v.key) + ValueSeparator + lower, RegScanHelpFiles});
        }
    }

    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, RegScanHelpFiles));
    FoundItems found = FoundItemsOf(status);
    EXPECT_EQ(found, expected) << "found:\n" << DescribeItems(found) << "expected:\n"
                               << DescribeItems(expected);
}
