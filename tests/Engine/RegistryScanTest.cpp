// The registry scan, task 3, driven through Tarnex.dll: the dispatcher's protocol, and for each
// category the planted invalid entries it must report and the valid look-alikes it must not.
// Every scan here also checks that nothing outside its fixture is reported: the expected list
// is the whole list of findings.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "Support/ProgramBitness.h"
#include "Support/RegistryScanFixture.h"

namespace {

const char* const CategoryCodes[] = {"AXO", "UIE", "FNT", "SHD", "APP", "HLP",
                                     "SUI", "FPR", "SRC", "ERK", "FAS"};

std::vector<std::string> Describe(std::vector<ScanFinding> findings)
{
    std::sort(findings.begin(), findings.end());
    std::vector<std::string> out;
    for (const ScanFinding& f : findings) {
        std::string text = f.first;
        std::replace(text.begin(), text.end(), ValueSeparator, '|');
        char bit[16];
        sprintf(bit, " [%#lx]", static_cast<unsigned long>(f.second));
        out.push_back(text + bit);
    }
    return out;
}

std::vector<std::string> Scan(DWORD mask, const ShortcutFolderMap& folders = {})
{
    return Describe(FindingsOf(RunRegistryScan(mask, folders)));
}

std::string Drive(char letter, const std::string& rest)
{
    return std::string(1, letter) + ":" + rest;
}

// The folders the program hands the scan for its shortcut search.
ShortcutFolderMap ProgramShortcutFolders()
{
    const int folders[] = {CSIDL_PERSONAL, CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO,
                           CSIDL_DESKTOPDIRECTORY, CSIDL_STARTMENU, CSIDL_COMMON_DOCUMENTS,
                           CSIDL_COMMON_MUSIC, CSIDL_COMMON_PICTURES, CSIDL_COMMON_VIDEO,
                           CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_STARTMENU};
    ShortcutFolderMap map;
    for (int csidl : folders) {
        char path[MAX_PATH] = {};
        if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK)
            map[CString(path)] = 1;
    }
    return map;
}

const char* const Missing = "c:\\vtest-regscan\\missing";  // never created

}  // namespace

TEST(RegistryScan, EmptyMaskSendsOnlyTheCategoryTexts)
{
    std::vector<StatusCall> calls = RunRegistryScan(0);
    std::vector<std::string> expected = {StatusCall{"OnProgress", "", "", 0, 0, 0, 0}.Describe()};
    for (const char* code : CategoryCodes)
        expected.push_back(StatusCall{"OnStatusText", "", code, 0, 0, 0, 0}.Describe());
    expected.push_back(StatusCall{"OnStatusText", "", "Scanning", 0, 0, 0, 0}.Describe());
    expected.push_back(StatusCall{"OnTaskFinished", "", "", 3, 0, 0, 0}.Describe());
    std::vector<std::string> got;
    for (const StatusCall& c : calls)
        got.push_back(c.Describe());
    EXPECT_EQ(got, expected);
}

TEST(RegistryScan, FreshPrefixReportsNothingInAnyCategory)
{
    RecordingStatus status;
    std::vector<StatusCall> calls = RunRegistryScan(RegScanAllMask, ProgramShortcutFolders(), &status);
    EXPECT_EQ(Describe(FindingsOf(calls)), std::vector<std::string>());
    // Each category ran: its first entry always shows a progress text.
    std::set<std::string> shown;
    for (const StatusCall& c : calls)
        if (c.slot == "OnStatusText" && !c.text.empty())
            shown.insert(c.stage);
    for (const char* code : {"AXO", "FPR", "ERK", "FAS"})
        EXPECT_TRUE(shown.count(code)) << code;
}

TEST(RegistryScan, ActiveXReportsMissingServersUnknownClassesAndUnregisteredTypeLibs)
{
    ScanFixture fixture;
    const std::string wow64System = Wow64SystemFolder();
    ASSERT_TRUE(fixture.File(wow64System + "\\vtest_regscan_32only.dll"));
    ASSERT_TRUE(fixture.File("c:\\programdata\\vtest-regscan\\present.dll"));
    char missingDrive = MissingDriveLetter();
    ASSERT_NE(missingDrive, 0);

    // Classes: the in-process server named in many ways, present or not.
    const struct {
        const char* cls;
        std::string server;
        DWORD type;
        bool reported;
    } classes[] = {
        {"{A1A1A1A1-0000-0000-0000-000000000001}", std::string(Missing) + "\\server.dll", REG_SZ, true},
        {"{A1A1A1A1-0000-0000-0000-000000000002}", "shell32.dll", REG_SZ, false},
        {"{A1A1A1A1-0000-0000-0000-000000000003}", "%SystemRoot%\\system32\\shell32.dll", REG_EXPAND_SZ, false},
        // Under WOW64 a bare name is also looked for in the 32-bit System folder; the 64-bit
        // program's classes load from the native one only.
        {"{A1A1A1A1-0000-0000-0000-000000000004}", "vtest_regscan_32only.dll", REG_SZ, !kThirtyTwoBitProgram},
        {"{A1A1A1A1-0000-0000-0000-000000000005}", "vtest_regscan_nowhere.dll", REG_SZ, true},
        {"{A1A1A1A1-0000-0000-0000-000000000006}", "%ProgramData%\\vtest-regscan\\present.dll", REG_EXPAND_SZ, false},
        {"{A1A1A1A1-0000-0000-0000-000000000007}", "%ProgramData%\\vtest-regscan\\gone.dll", REG_EXPAND_SZ, true},
        {"{A1A1A1A1-0000-0000-0000-000000000008}", "%VTestRegScanNoSuchVar%\\x.dll", REG_EXPAND_SZ, false},
        {"{A1A1A1A1-0000-0000-0000-000000000009}", Drive(missingDrive, "\\vtest\\x.ocx"), REG_SZ, false},
        {"{A1A1A1A1-0000-0000-0000-00000000000A}", "\"c:\\windows\\system32\\ole32.dll\"", REG_SZ, false},
        {"{a1a1a1a1-0000-0000-0000-00000000000b}", std::string(Missing) + "\\lower.ocx", REG_SZ, true},
    };
    std::vector<std::string> expected;
    for (const auto& c : classes) {
        std::string key = std::string("CLSID\\") + c.cls;
        ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "", c.server, c.type));
        fixture.String(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel", "Both");
        if (c.reported)
            expected.push_back("HKEY_CLASSES_ROOT\\" + key + " [0x4000]");
    }
    // A reference below a class registration is not examined.
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, "CLSID\\{A1A1A1A1-0000-0000-0000-000000000002}\\Foo\\CLSID",
                               "", "{A1A1A1A1-0000-0000-0000-0000000000EE}"));
    // A class registered only in the 64-bit view.
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, "CLSID\\{A1A1A1A1-0000-0000-0000-000000000064}", "",
                               "64-bit only", REG_SZ, KEY_WOW64_64KEY));

    // Keys that name a class by their "CLSID" sub-key.
    const struct {
        const char* key;
        const char* cls;
        const char* reported;  // the item text, or null
    } references[] = {
        {"VTestRegScan.ProgMissing", "{A1A1A1A1-0000-0000-0000-0000000000FF}", "HKEY_CLASSES_ROOT\\VTestRegScan.ProgMissing"},
        {"VTestRegScan.ProgOk", "{00021401-0000-0000-C000-000000000046}", nullptr},
        {"VTestRegScan.ProgPlanted", "{a1a1a1a1-0000-0000-0000-000000000002}", nullptr},
        {"VTestRegScan.Prog64", "{A1A1A1A1-0000-0000-0000-000000000064}", nullptr},
        {"VTestRegScan.NotAGuid", "no braces here", nullptr},
        // Only the last "\CLSID" goes: the owner is the key that holds the reference.
        {"VTestRegScan.Nest\\CLSIDx", "{A1A1A1A1-0000-0000-0000-0000000000FE}", "HKEY_CLASSES_ROOT\\VTestRegScan.Nest\\CLSIDx"},
        // Names that merely begin like an excluded registration key are examined.
        {"InterfaceVTestRegScan", "{A1A1A1A1-0000-0000-0000-0000000000FD}", "HKEY_CLASSES_ROOT\\InterfaceVTestRegScan"},
        {"CLSIDVTestRegScan", "{A1A1A1A1-0000-0000-0000-0000000000FC}", "HKEY_CLASSES_ROOT\\CLSIDVTestRegScan"},
    };
    for (const auto& r : references) {
        std::string key = r.key;
        std::string top = key.substr(0, key.find('\\'));
        ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, key + "\\CLSID", 0, top));
        ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, key + "\\CLSID", "", r.cls));
        if (r.reported)
            expected.push_back(std::string(r.reported) + " [0x4000]");
    }

    // Interfaces and their type libraries.
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, "Interface\\{B1B1B1B1-0000-0000-0000-000000000001}\\TypeLib",
                               "", "{C1C1C1C1-0000-0000-0000-000000000001}"));
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, "Interface\\{B1B1B1B1-0000-0000-0000-000000000002}\\TypeLib",
                               "", "{00020430-0000-0000-C000-000000000046}"));
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, "Interface\\{B1B1B1B1-0000-0000-0000-000000000003}\\TypeLib",
                               "", "{C1C1C1C1-0000-0000-0000-000000000003}"));
    ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, "TypeLib\\{C1C1C1C1-0000-0000-0000-000000000003}\\1.0"));
    expected.push_back("HKEY_CLASSES_ROOT\\Interface\\{B1B1B1B1-0000-0000-0000-000000000001} [0x4000]");

    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Scan(RegScanActiveX), expected);
}

TEST(RegistryScan, FileAssociationsReportEmptyKeysAndMissingOpenCommands)
{
    ScanFixture fixture;
    ASSERT_TRUE(fixture.File("c:\\vtest-regscan\\acme, inc\\tool.exe"));
    ASSERT_TRUE(fixture.File("c:\\program files\\vtest-regscan\\app.exe"));
    ASSERT_TRUE(fixture.File("c:\\program files (x86)\\vtest-regscan\\app32.exe"));
    char missingDrive = MissingDriveLetter();

    ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, ".vtrsempty"));
    ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, ".vtrssub\\ShellNew", 0, ".vtrssub"));
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, ".vtrsvalue", "Content Type", "text/plain"));
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, ".vtrsnocmd", "", "VTestRegScan.NoCmd"));
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, "VTestRegScan.NoCmd", "", "no command"));
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, ".vtrsnoprogid", "", "VTestRegScan.NoSuchProgId"));
    const struct {
        const char* extension;
        std::string command;
        DWORD type;
        bool reported;
    } commands[] = {
        {".vtrsgood", "c:\\windows\\notepad.exe %1", REG_SZ, false},
        {".vtrsbad", "\"" + std::string(Missing) + "\\gone.exe\" \"%1\"", REG_SZ, true},
        {".vtrsbare", std::string(Missing) + "\\bare.exe %1", REG_SZ, true},
        {".vtrsdrive", "\"" + Drive(missingDrive, "\\vtest\\app.exe") + "\" \"%1\"", REG_SZ, false},
        {".vtrscomma", "c:\\vtest-regscan\\acme, inc\\tool.exe %1", REG_SZ, false},
        {".vtrsexpand", "\"%ProgramFiles%\\vtest-regscan\\app.exe\" \"%1\"", REG_EXPAND_SZ, false},
        // Under WOW64 the other Program Files folder is tried too.
        {".vtrsx86", "\"c:\\program files\\vtest-regscan\\app32.exe\" \"%1\"", REG_SZ, !kThirtyTwoBitProgram},
        {".vtrsnoexe", std::string(Missing) + "\\script.cmd %1", REG_SZ, false},
        {".vtrsrundll", "rundll32.exe " + std::string(Missing) + "\\x.dll,Open %1", REG_SZ, false},
    };
    std::vector<std::string> expected = {"HKEY_CLASSES_ROOT\\.vtrsempty [0x1000]"};
    for (const auto& c : commands) {
        std::string progId = std::string("VTestRegScan") + c.extension;
        ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, c.extension, "", progId));
        ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command", 0, progId));
        ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command", "", c.command, c.type));
        if (c.reported)
            expected.push_back(std::string("HKEY_CLASSES_ROOT\\") + c.extension + " [0x1000]");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Scan(RegScanFileAssociations), expected);
}

TEST(RegistryScan, EmptyKeysReportEmptyHelpDirectoriesOnly)
{
    ScanFixture fixture;
    const std::string lib = "TypeLib\\{D1D1D1D1-0000-0000-0000-00000000000";
    ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, lib + "1}\\1.0\\HELPDIR", 0, lib + "1}"));
    ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, lib + "2}\\1.0\\0\\win32", 0, lib + "2}"));
    ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, lib + "2}\\1.0\\helpdir"));
    ASSERT_TRUE(fixture.String(HKEY_CLASSES_ROOT, lib + "3}\\1.0\\HELPDIR", "", "c:\\x"));
    ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, lib + "4}\\1.0\\HELPDIR\\sub", 0, lib + "4}"));
    ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, lib + "5}\\1.0\\NOTHELPDIR", 0, lib + "5}"));
    // Empty keys are only looked for under the type libraries.
    ASSERT_TRUE(fixture.Key(HKEY_CLASSES_ROOT, "VTestRegScan.Help\\HELPDIR", 0, "VTestRegScan.Help"));
    std::vector<std::string> expected = {
        "HKEY_CLASSES_ROOT\\TYPELIB\\{D1D1D1D1-0000-0000-0000-000000000001}\\1.0\\HELPDIR [0x800000]",
        "HKEY_CLASSES_ROOT\\TYPELIB\\{D1D1D1D1-0000-0000-0000-000000000002}\\1.0\\helpdir [0x800000]",
    };
    EXPECT_EQ(Scan(RegScanEmptyKeys), expected);
}

TEST(RegistryScan, FilePathReferencesReportStringValuesNamingMissingFiles)
{
    ScanFixture fixture;
    ASSERT_TRUE(fixture.File("c:\\vtest-regscan\\acme, inc\\x.txt"));
    ASSERT_TRUE(fixture.File("c:\\vtest-regscan\\me@corp\\notes.txt"));
    ASSERT_TRUE(fixture.File("c:\\vtest-regscan\\present.txt"));
    char missingDrive = MissingDriveLetter();
    const std::string base = "Software\\VTestRegScan";
    const std::string missingExe = "%ProgramFiles%\\VTestRegScanMissing\\tool.exe";

    struct Planted {
        std::string key;  // below base
        const char* name;
        std::string data;
        DWORD type;
        bool reported;
    };
    const Planted values[] = {
        {"Fpr", "Tool", missingExe, REG_SZ, true},
        {"Fpr", "AsDword", "", REG_DWORD, false},
        {"Fpr", "AsExpand", missingExe, REG_EXPAND_SZ, false},
        {"Fpr", "AsMulti", std::string(Missing) + "\\m.txt", REG_MULTI_SZ, false},
        {"Fpr2", "", std::string(Missing) + "\\gone\\file.txt", REG_SZ, true},
        {"Fpr2", "Quoted", "\"" + std::string(Missing) + "\\app.exe\" /p", REG_SZ, true},
        {"Fpr2", "Mui", "@" + std::string(Missing) + "\\res.dll,-101", REG_SZ, true},
        {"Fpr2", "Upper", "C:\\VTEST-REGSCAN\\MISSING\\UPPER.TXT", REG_SZ, true},
        // Valid look-alikes.
        {"Ok", "Comma", "c:\\vtest-regscan\\acme, inc\\x.txt", REG_SZ, false},
        {"Ok", "CommaMissing", std::string(Missing) + "\\acme, inc\\x.txt", REG_SZ, false},
        {"Ok", "At", "c:\\vtest-regscan\\me@corp\\notes.txt", REG_SZ, false},
        {"Ok", "Percent", std::string(Missing) + "\\app%d.log", REG_SZ, false},
        {"Ok", "ProgramData", "%ProgramData%\\VTestRegScan\\gone.txt", REG_SZ, false},
        {"Ok", "Drive", Drive(missingDrive, "\\photos\\x.jpg"), REG_SZ, false},
        {"Ok", "DotDot", std::string(Missing) + "\\..\\present.txt", REG_SZ, false},
        {"Ok", "Tilde", "c:\\vtest~1\\a|b.txt", REG_SZ, false},
        // "sysnative" is the native System folder only for a program under WOW64.
        {"Ok", "Sysnative", "c:\\windows\\sysnative\\notepad.exe", REG_SZ, !kThirtyTwoBitProgram},
        {"Ok", "QuotedArgs", "\"c:\\vtest-regscan\\present.txt\" \"x\"", REG_SZ, false},
        {"Ok", "Url", "http://example.invalid/c:\\x", REG_SZ, false},
        {"Ok", "Present", "C:\\Windows\\notepad.exe", REG_SZ, false},
        // Under WOW64 a key whose name holds "Wow6432Node" is passed over, but not its later
        // siblings. (A key named just that cannot be planted here: the 32-bit view shows its
        // contents in place of its parent's.) The 64-bit program reads it like any other.
        {"Backup.Wow6432Node\\Inner", "Tool", missingExe, REG_SZ, !kThirtyTwoBitProgram},
        {"Zeta", "Tool", missingExe, REG_SZ, true},
        // The values of a VirtualStore key are read, those of its children are not.
        {"VirtualStore", "Own", std::string(Missing) + "\\own.txt", REG_SZ, true},
        {"VirtualStore\\Child", "Tool", missingExe, REG_SZ, false},
    };
    for (const Planted& v : values) {
        std::string key = base + "\\" + v.key;
        if (v.type == REG_DWORD)
            ASSERT_TRUE(fixture.Dword(HKEY_CURRENT_USER, key, v.name, 0x1f));
        else if (v.type == REG_MULTI_SZ)
            ASSERT_TRUE(fixture.Value(HKEY_CURRENT_USER, key, v.name, v.type, (v.data + '\0').c_str(),
                                      static_cast<DWORD>(v.data.size() + 2)));
        else
            ASSERT_TRUE(fixture.String(HKEY_CURRENT_USER, key, v.name, v.data, v.type));
    }
    // String data written without its terminator.
    const std::string unterminated = std::string(Missing) + "\\raw.txt";
    ASSERT_TRUE(fixture.Value(HKEY_CURRENT_USER, base + "\\Raw", "Raw", REG_SZ, unterminated.data(),
                              static_cast<DWORD>(unterminated.size())));
    // Keys deeper than 100 levels below HKEY_USERS are not visited: HKU\sid is level 1, so the
    // key "d5" below base\Deep is level 100.
    ASSERT_TRUE(fixture.Key(HKEY_CURRENT_USER, base + "\\Deep"));
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (base + "\\Deep").c_str(), 0, KEY_ALL_ACCESS, &parent), ERROR_SUCCESS);
    for (int level = 5; level <= 102; ++level) {
        HKEY child = nullptr;
        ASSERT_EQ(RegCreateKeyExA(parent, ("d" + std::to_string(level)).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS) << level;
        RegCloseKey(parent);
        parent = child;
        if (level == 100 || level == 101) {
            ASSERT_EQ(RegSetValueExA(child, "Tool", 0, REG_SZ, reinterpret_cast<const BYTE*>(missingExe.c_str()),
                                     static_cast<DWORD>(missingExe.size() + 1)), ERROR_SUCCESS);
        }
    }
    RegCloseKey(parent);

    std::string user = CurrentUserUnderUsers(base);
    ASSERT_FALSE(user.empty());
    const std::string prefix = "HKEY_USERS\\" + user + "\\" + base + "\\";
    std::vector<std::string> expected;
    for (const Planted& v : values)
        if (v.reported)
            expected.push_back(prefix + v.key + "|" + (*v.name ? v.name : "(Default)") + " [0x400000]");
    expected.push_back(prefix + "Raw|Raw [0x400000]");
    std::string reportedDeep = prefix + "Deep";
    for (int level = 5; level <= 100; ++level)
        reportedDeep += "\\d" + std::to_string(level);
    expected.push_back(reportedDeep + "|Tool [0x400000]");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Scan(RegScanFilePaths), expected);
}

TEST(RegistryScan, StopEndsTheScanAtTheNextItem)
{
    ScanFixture fixture;
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(fixture.String(HKEY_CURRENT_USER, "Software\\VTestRegScanStop\\K" + std::to_string(i),
                                   "Tool", std::string(Missing) + "\\tool.exe"));
    EngineProcess process;
    RecordingStatus status;
    status.onItemFound = [&](const char*) { process->Stop(1); };
    ShortcutFolderMap folders = ProgramShortcutFolders();
    RunTask(process.Get(), status, TaskRegistryScan,
            [&] { return process->StartRegistryScan(&folders, RegScanAllMask, &status, 0); });
    std::vector<StatusCall> calls = status.Calls();
    EXPECT_EQ(FindingsOf(calls).size(), 1u);
    // Every later category still announces itself, runs nothing, and the end sequence comes once.
    std::vector<std::string> tail;
    bool afterItem = false;
    for (const StatusCall& c : calls) {
        if (c.slot == "OnItemFound")
            afterItem = true;
        else if (afterItem)
            tail.push_back(c.Describe());
    }
    std::vector<std::string> expected;
    for (const char* code : {"SRC", "ERK", "FAS"})
        expected.push_back(StatusCall{"OnStatusText", "", code, 0, 0, 0, 0}.Describe());
    expected.push_back(StatusCall{"OnStatusText", "", "Scanning", 0, 0, 0, 0}.Describe());
    expected.push_back(StatusCall{"OnTaskFinished", "", "", 3, 0, 0, 0}.Describe());
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(status.CallsOf("OnTaskFinished").size(), 1u);
}
