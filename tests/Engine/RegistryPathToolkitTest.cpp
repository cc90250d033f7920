// The registry path toolkit, white-box through the engine's static library: folder tokens, path
// extraction from value texts, file location and the 32/64-bit existence tests, on the real
// file system of the WoW64 test prefix with file-system redirection off (as during a scan).
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"
#include "Support/RegistryScanFixture.h"

namespace {

typedef BOOL(WINAPI* RedirectionFunction)(PVOID*);
typedef BOOL(WINAPI* RevertFunction)(PVOID);

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string ShellFolderPath(int csidl)
{
    char buffer[MAX_PATH] = {};
    return SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) == S_OK ? buffer : "";
}

std::string TempPath()
{
    char buffer[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, buffer);
    return buffer;
}

// A process object of the engine's own (light: no probe), with redirection off on this thread
// for the test's duration, and the files the cases look for.
class RegistryPathToolkit : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_process = new CSSEngineProcess(CSSEngineProcess::LightConstruction);
        ASSERT_TRUE(s_process->RunningUnderWow64()) << "the test prefix is a WoW64 prefix";
        s_files = new ScanFixture;
        s_wow64System = Wow64SystemFolder();
        ASSERT_FALSE(s_wow64System.empty());
        // Planted with redirection on: the 32-bit System folder by its own name.
        ASSERT_TRUE(s_files->File(s_wow64System + "\\vtest_toolkit_32only.dll"));
        ASSERT_TRUE(s_files->File("c:\\vtest-toolkit\\present.txt"));
        ASSERT_TRUE(s_files->File("c:\\vtest-toolkit\\acme, inc\\x.txt"));
        ASSERT_TRUE(s_files->File("c:\\vtest-toolkit\\me@corp\\notes.txt"));
        ASSERT_TRUE(s_files->File("c:\\programdata\\vtest-toolkit\\present.dll"));
        ASSERT_TRUE(s_files->File("c:\\program files (x86)\\vtest-toolkit\\x86only.txt"));
        ASSERT_TRUE(SwitchRedirection(true));
        // With redirection off "system32" is the native folder.
        ASSERT_TRUE(s_files->File("c:\\windows\\system32\\vtest_toolkit_native.bin"));
    }
    static void TearDownTestSuite()
    {
        delete s_files;  // with redirection still off, so the native file goes too
        SwitchRedirection(false);
        delete s_process;
    }
    static bool SwitchRedirection(bool off)
    {
        HMODULE kernel = GetModuleHandleA("kernel32");
        if (off)
            return GetProcAddressAs<RedirectionFunction>(kernel, "Wow64DisableWow64FsRedirection")(&s_saved);
        return GetProcAddressAs<RevertFunction>(kernel, "Wow64RevertWow64FsRedirection")(s_saved);
    }
    CSSEngineProcess& Process() { return *s_process; }

    static CSSEngineProcess* s_process;
    static ScanFixture* s_files;
    static std::string s_wow64System;
    static PVOID s_saved;
};

CSSEngineProcess* RegistryPathToolkit::s_process = nullptr;
ScanFixture* RegistryPathToolkit::s_files = nullptr;
std::string RegistryPathToolkit::s_wow64System;
PVOID RegistryPathToolkit::s_saved = nullptr;

struct ExpandCase {
    std::string text;
    std::string expected;
    bool replaced;
};

}  // namespace

TEST_F(RegistryPathToolkit, ExpandFolderTokens)
{
    std::string windows = ShellFolderPath(CSIDL_WINDOWS);
    std::string burn = ShellFolderPath(CSIDL_CDBURN_AREA);
    const ExpandCase cases[] = {
        // Under WOW64 the program-files and System tokens name the native folders.
        {"%ProgramFiles%\\App\\app.exe", "c:\\program files\\app\\app.exe", true},
        {"%CommonProgramFiles%\\x.dll", "c:\\program files\\common files\\x.dll", true},
        {"%SystemDir%\\x.dll", "c:\\windows\\system32\\x.dll", true},
        {"%StartMenuPrograms%\\Foo", Lower(ShellFolderPath(CSIDL_STARTMENU)) + "\\foo", true},
        // Only the first token of the table is expanded; the rest stays, lower-cased.
        {"%WinDir%\\a\\%Temp%\\b", Lower(windows) + "\\a\\%temp%\\b", true},
        // The three special rows keep the folder's own case.
        {"%SystemDrive%\\Foo", windows.substr(0, 2) + "\\foo", true},
        {"%Temp%\\x", TempPath() + "\\x", true},
        {"ABCDEFG", "abcdefg", false},
        {"%ProgramData%\\x.dll", "%programdata%\\x.dll", false},
        {"c:\\Plain\\Path.exe", "c:\\plain\\path.exe", false},
        // A folder the shell cannot name leaves the token in place.
        {"%CDBurnArea%\\x", burn.empty() ? "%cdburnarea%\\x" : Lower(burn) + "\\x", !burn.empty()},
    };
    for (bool cached : {false, true}) {
        if (cached)
            Process().m_pathCache.Enable();
        for (const ExpandCase& c : cases) {
            CString text(c.text.c_str());
            bool replaced = ExpandFolderTokens(Process(), text);
            EXPECT_EQ(std::string(text.GetString()), c.expected) << c.text << " cached " << cached;
            EXPECT_EQ(replaced, c.replaced) << c.text << " cached " << cached;
        }
    }
    Process().m_pathCache.Disable();

    // The scanner's own checks keep the text's case; the folders come in the system's case.
    const ExpandCase keepingCase[] = {
        {"%ProgramFiles%\\App\\App.exe", "C:\\Program Files\\App\\App.exe", true},
        {"%WINDIR%\\Media\\X.wav", windows + "\\Media\\X.wav", true},
        {"%ProgramData%\\X.dll", "%ProgramData%\\X.dll", false},
        {"Short", "Short", false},
    };
    for (const ExpandCase& c : keepingCase) {
        CString text(c.text.c_str());
        EXPECT_EQ(ExpandFolderTokensKeepingCase(Process(), text), c.replaced) << c.text;
        EXPECT_EQ(std::string(text.GetString()), c.expected) << c.text;
    }
}

TEST_F(RegistryPathToolkit, CheckPathInText)
{
    char missingDrive = MissingDriveLetter();
    ASSERT_NE(missingDrive, 0);
    const std::string longMissing = "c:\\nowhere\\" + std::string(250, 'x') + ".exe";
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {"\"c:\\windows\\notepad.exe\" /p", true},
        {"\"c:\\vtest-toolkit\\nowhere\\app.exe\" /p", false},
        {"rundll32.exe shell32.dll,Control_RunDLL", true},
        // Only the first of two comma-separated paths is tested.
        {"c:\\windows\\notepad.exe,c:\\nowhere\\x.exe", true},
        {"c:\\nowhere\\x.exe,c:\\windows\\notepad.exe", false},
        // A resource index behind a module name.
        {"c:\\windows\\system32\\shell32.dll\\123", true},
        {"c:\\nowhere\\x.dll\\5", false},
        {"@c:\\windows\\system32\\shell32.dll,-21", true},
        {"@c:\\nowhere\\res.dll,-12", false},
        {"c:\\nowhere\\x.exe -arg", false},
        {"c:\\nowhere\\gone.txt", false},
        {"C:\\NOWHERE\\GONE.TXT", false},
        {"", true},
        {longMissing, true},
        {"q:\\missing.exe", true},
        {std::string(1, missingDrive) + ":\\photos\\x.jpg", true},
        {"%programdata%\\x.exe", true},
        {"\\\\server\\share\\x.exe", true},
        // Commas, semicolons, "@" and "%" that belong to the file name.
        {"c:\\vtest-toolkit\\acme, inc\\x.txt", true},
        {"c:\\nowhere\\acme, inc\\x.txt", true},
        {"c:\\nowhere\\a;b\\x.txt", true},
        {"c:\\logs\\app%d.log", true},
        {"c:\\vtest-toolkit\\me@corp\\notes.txt", true},
        // Not a path at all, with or without a short-name tilde.
        {"c:\\vtest~1\\a|b.txt", true},
        {"c:\\nowhere\\a*b.txt", true},
        // Quoted paths with quoted arguments, "..", "sysnative", the 32-bit System folder.
        {"\"c:\\vtest-toolkit\\present.txt\" \"arg\"", true},
        {"c:\\vtest-toolkit\\present.txt \"arg\"", true},
        {"\"c:\\vtest-toolkit\\gone.txt\" \"arg\"", false},
        {"c:\\nowhere\\..\\windows\\notepad.exe", true},
        {"c:\\windows\\sysnative\\notepad.exe", true},
        {"c:\\windows\\system32\\vtest_toolkit_32only.dll", true},
        {"c:\\program files\\vtest-toolkit\\x86only.txt", true},
        {"c:\\windows\\notepad.exe %1", true},
        // Any case: every rule is case-blind.
        {"C:\\Windows\\SysNative\\notepad.exe", true},
        {"\"C:\\VTEST-TOOLKIT\\Present.txt\" \"Arg\"", true},
        {"\"C:\\Nowhere\\App.EXE\" /S", false},
        {"C:\\Windows\\System32\\VTEST_TOOLKIT_32ONLY.DLL", true},
        {"\"c:\\nowhere\\app.exe\" \"%1\"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckPathInText(Process(), c.text.c_str()), c.valid) << c.text;
}

TEST_F(RegistryPathToolkit, LocateFile)
{
    char missingDrive = MissingDriveLetter();
    std::string windows = Lower(ShellFolderPath(CSIDL_WINDOWS));
    const struct {
        std::string text;
        bool found;
        std::string path;  // the text afterwards, lower-cased; empty: not checked
    } cases[] = {
        {"notepad.exe", true, windows + "\\notepad.exe"},
        {"shell32.dll", true, windows + "\\system32\\shell32.dll"},
        // A 32-bit-only module registered by bare name.
        {"vtest_toolkit_32only.dll", true, Lower(s_wow64System) + "\\vtest_toolkit_32only.dll"},
        {"vtest_toolkit_nowhere.dll", false, ""},
        {"\"%SystemRoot%\\notepad.exe\"", true, windows + "\\notepad.exe"},
        // Variables the token table does not know come from the environment.
        {"%ProgramData%\\vtest-toolkit\\present.dll", true, "c:\\programdata\\vtest-toolkit\\present.dll"},
        {"%ProgramData%\\vtest-toolkit\\gone.dll", false, "c:\\programdata\\vtest-toolkit\\gone.dll"},
        {"%VTestNoSuchVariable%\\x.dll", true, ""},
        {std::string(1, missingDrive) + ":\\x.dll", true, ""},
        {"c:\\nowhere\\x.dll", false, ""},
        {"file:///c:\\windows\\notepad.exe", true, "c:\\windows\\notepad.exe"},
        {"file:///c:\\nowhere\\x.dll", false, ""},
        {"c:\\windows\\sysnative\\notepad.exe", true, "c:\\windows\\system32\\notepad.exe"},
    };
    for (const auto& c : cases) {
        CString path(c.text.c_str());
        EXPECT_EQ(LocateFile(Process(), path), c.found) << c.text;
        if (!c.path.empty()) {
            EXPECT_EQ(Lower(path.GetString()), c.path) << c.text;
        }
    }
}

TEST_F(RegistryPathToolkit, PathExistsSwapped)
{
    char missingDrive = MissingDriveLetter();
    const struct {
        std::string path;
        bool exists;
        bool existsBack;
    } cases[] = {
        {"c:\\windows\\system32\\vtest_toolkit_native.bin", true, true},
        {"c:\\windows\\system32\\vtest_toolkit_32only.dll", true, false},
        {s_wow64System + "\\vtest_toolkit_32only.dll", true, true},
        {"c:\\windows\\syswow64\\vtest_toolkit_native.bin", false, true},
        {"c:\\program files\\vtest-toolkit\\x86only.txt", true, false},
        {"c:\\program files (x86)\\vtest-toolkit\\x86only.txt", true, true},
        {"vtest_toolkit_32only.dll", true, true},
        {"c:\\nowhere\\gone.dll", false, false},
        {std::string(1, missingDrive) + ":\\gone.dll", true, true},
        {"c:\\windows\\sysnative\\vtest_toolkit_native.bin", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PathExistsSwapped(Process(), c.path.c_str()), c.exists) << c.path;
        EXPECT_EQ(PathExistsSwappedBack(Process(), c.path.c_str()), c.existsBack) << c.path;
    }
}

TEST_F(RegistryPathToolkit, FormatValueTextRendersOnlyStringsAsText)
{
    const BYTE dword[] = {0x1f, 0, 0, 0};
    const BYTE shortDword[] = {0xcd, 0xab};
    const char unterminated[] = {'c', ':', '\\', 'x'};
    const BYTE bytes[] = {1, 2, 0xff};
    std::string many = "hexvalueinreg--:";
    BYTE run[23];
    for (int i = 0; i < 23; ++i) {
        run[i] = static_cast<BYTE>(i);
        char piece[8];
        sprintf(piece, "%02x,", i);
        many += piece;
        if (i > 0 && i % 21 == 0)
            many += "\\\n";
    }
    many += "\n";
    const struct {
        DWORD type;
        const void* data;
        DWORD length;
        std::string expected;
    } cases[] = {
        {REG_SZ, "c:\\a.exe", 9, "c:\\a.exe"},
        {REG_SZ, unterminated, 4, "c:\\x"},
        {REG_DWORD, dword, 4, "dword:0000001f\n"},
        {REG_DWORD, shortDword, 2, "dword:0000abcd\n"},
        {REG_DWORD, nullptr, 0, "dword:00000000\n"},
        {REG_BINARY, bytes, 3, "hexvalueinreg--:01,02,ff,\n"},
        {REG_BINARY, run, 23, many},
        {REG_EXPAND_SZ, "%a%", 4, "hexvalueinreg--(2):25,61,25,00,\n"},
        {REG_MULTI_SZ, "a\0", 3, "hexvalueinreg--(7):61,00,00,\n"},
        {REG_QWORD, dword, 4, ""},
    };
    for (const auto& c : cases) {
        CString out("stale");
        FormatValueText(c.length, out, c.type, static_cast<const BYTE*>(c.data));
        EXPECT_EQ(std::string(out.GetString()), c.expected) << c.type;
    }
}

TEST_F(RegistryPathToolkit, IsKeyWritableIsFalseOnlyWhenDenied)
{
    EXPECT_TRUE(IsKeyWritable("HKEY_CURRENT_USER", "Software\\VTestToolkitNoSuchKey"));
    EXPECT_TRUE(IsKeyWritable("HKLM", "Software"));
    EXPECT_TRUE(IsKeyWritable("HKEY_CURRENT_USER", "Software"));
    // Names are the full root names, compared exactly.
    EXPECT_TRUE(IsKeyWritable("hkey_current_user", "Software"));
}
