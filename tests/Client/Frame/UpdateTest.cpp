// The update cycle of a copy of the program built to ask this test's own server on 127.0.0.1
// and to trust the test publisher's installers: the check's request and every answer's message,
// the silent check at start, and the download after Yes, which starts only an installer that
// carries the publisher's valid signature. Each case runs in a prefix of its own.
#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "Client/Resources/ControlResources.h"
#include "Frame/FrameResources.h"
#include "ProcessDriver.h"
#include "Support/ScreenshotPause.h"
#include "UpdateServer.h"

namespace {

const DWORD StartTimeout = 30000;
const DWORD BoxTimeout = 20000;
const DWORD QuitTimeout = 15000;

const char* const QuestionText = "A new version of Velmora is available, Do you want to install now?";
const char* const DownloadErrorText =
    "An error occurred while downloading updates, check your internet connection.";
const char* const MarkerName = "velmora-installer-ran.txt";

std::string UpdateFolder() { return TestFolder() + "update\\"; }
std::string ProgramPath() { return UpdateFolder() + "Velmora.exe"; }

std::string InstallerAddress(const char* file)
{
    return "http://127.0.0.1:" + std::to_string(UPDATE_TEST_PORT) + "/" + file;
}

std::string TempFolder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

std::string MarkerPath() { return TempFolder() + MarkerName; }

std::vector<std::string> TempFiles(const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((TempFolder() + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void DeleteTempFiles(const char* pattern)
{
    for (const std::string& name : TempFiles(pattern))
        DeleteFileA((TempFolder() + name).c_str());
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void SetSoftwareUpdate(DWORD on)
{
    HKEY key = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmora\\1.0.1", 0, NULL, 0, KEY_SET_VALUE, NULL,
                              &key, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(key, "SoftwareUpdate", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    RegCloseKey(key);
}

// The test root, in the prefix's LocalMachine Root store only.
void TrustTestRoot()
{
    std::string root = ReadFile(UpdateFolder() + "test-root.cer");
    ASSERT_FALSE(root.empty());
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    ASSERT_NE(store, static_cast<HCERTSTORE>(NULL));
    EXPECT_TRUE(CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                 reinterpret_cast<const BYTE*>(root.data()),
                                                 static_cast<DWORD>(root.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                 NULL));
    CertCloseStore(store, 0);
}

// The program under test with its main window up.
struct Program {
    ChildProcess process;
    HWND main = NULL;

    bool Start(const std::string& arguments = std::string())
    {
        if (!process.Start(ProgramPath(), "\"" + ProgramPath() + "\" " + arguments))
            return false;
        return WaitUntil([&] {
            main = FindMainWindow(process.Id());
            return (main && IsWindowVisible(main)) || !process.Running();
        }, StartTimeout) && main;
    }
    HWND UpdateButton() const { return GetDlgItem(main, IDC_UPDATE); }
    // Presses Update as the user does; the check starts at the next tick of the update timer.
    void PressUpdate() const
    {
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_UPDATE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(UpdateButton()));
    }
    HWND WaitForBox(DWORD timeoutMs = BoxTimeout) const
    {
        HWND box = NULL;
        WaitUntil([&] { return (box = FindMessageBox(process.Id())) != NULL || !process.Running(); }, timeoutMs);
        return box;
    }
    bool UpdateEnabledAgain() const
    {
        return WaitUntil([&] { return IsWindowEnabled(UpdateButton()) != FALSE; }, BoxTimeout);
    }
    // The busy dialog: the top-level window with the busy text.
    HWND BusyDialog() const
    {
        for (HWND window : TopLevelWindows(process.Id()))
            if (IsWindowVisible(window) && GetDlgItem(window, IDC_BUSY_TEXT))
                return window;
        return NULL;
    }
};

// Every request was the check's, exactly as the deployment names it, with the program's agent.
void ExpectCheckRequests(UpdateServer& server, size_t count)
{
    std::vector<UpdateServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), count);
    const std::string line = "GET /" + std::to_string(UPDATE_TEST_FOLDER) +
                             "/kavrenup.php?version=1018601&bf=ORG HTTP/1.1";
    for (const UpdateServer::Request& request : requests) {
        EXPECT_EQ(request.line, line);
        EXPECT_TRUE(std::regex_match(request.userAgent, std::regex("^Velmora v 1018601ORG-[0-9a-f]{15}$")))
            << request.userAgent;
    }
}

// Says Yes to the update question of a check whose server offers installer, and waits until
// the busy dialog is up.
void AcceptOffer(Program& program, UpdateServer& server, const char* installer)
{
    server.SetAnswer("y " + InstallerAddress(installer) + "<br>");
    program.PressUpdate();
    HWND question = program.WaitForBox();
    ASSERT_NE(question, static_cast<HWND>(NULL));
    ASSERT_NE(StaticTexts(question).find(QuestionText), std::string::npos) << StaticTexts(question);
    ASSERT_TRUE(PressButton(question, YesButtons));
}

}  // namespace

TEST(Update, EveryAnswerOfTheServerGivesItsMessage)
{
    SetSoftwareUpdate(0);
    UpdateServer server(UpdateFolder());
    ASSERT_TRUE(server.Start(UPDATE_TEST_PORT));
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.UpdateEnabledAgain());

    struct Row {
        std::string answer;
        bool serverUp;
        const char* box;   // the text shown; NULL: the update question
    };
    const Row rows[] = {
        {"n", true, "You are running latest version (1.0.1.8) of Velmora"},
        {"N", true, "Communication error while checking for software update, make sure you are connected to the internet."},
        {"", true, "Communication error while checking for software update, make sure you are connected to the internet."},
        {"xyz", true, "Communication error while checking for software update, make sure you are connected to the internet."},
        {"y " + InstallerAddress("installer-good.exe") + "<br>", true, NULL},
        // Last: the port stays closed once the server is gone.
        {"n", false, "Error connecting to update server, make sure you are connected to the internet."},
    };
    size_t requests = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer + (row.serverUp ? "" : " (server down)"));
        server.SetAnswer(row.answer);
        if (!row.serverUp)
            server.Stop();
        program.PressUpdate();
        EXPECT_FALSE(IsWindowEnabled(program.UpdateButton()));
        HWND box = program.WaitForBox();
        ASSERT_NE(box, static_cast<HWND>(NULL));
        std::string texts = StaticTexts(box);
        if (row.box) {
            EXPECT_EQ(texts, row.box);
            EXPECT_TRUE(PressButton(box, OkButtons));
        } else {
            EXPECT_EQ(texts, QuestionText);
            PauseForScreenshot("update-question");
            EXPECT_TRUE(PressButton(box, NoButtons));
            // No ends the cycle: the timer is off and nobody asks again.
            ASSERT_TRUE(WaitUntil([&] { return FindMessageBox(program.process.Id()) == NULL; }, BoxTimeout));
            Sleep(3000);
            EXPECT_EQ(FindMessageBox(program.process.Id()), static_cast<HWND>(NULL));
        }
        EXPECT_TRUE(program.UpdateEnabledAgain());
        if (row.serverUp)
            ++requests;
        ExpectCheckRequests(server, requests);
    }
    EXPECT_TRUE(program.process.Running());
}

TEST(Update, SilentCheckAtStartOnlyWhenSwitchedOnAndNotDefragmenting)
{
    UpdateServer server(UpdateFolder());
    ASSERT_TRUE(server.Start(UPDATE_TEST_PORT));
    server.SetAnswer("n");
    struct Row {
        DWORD softwareUpdate;
        const char* arguments;
        size_t requests;
    };
    const Row rows[] = {
        {1, "", 1},
        {0, "", 0},
        {1, "DEFRAG", 0},
    };
    size_t before = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.softwareUpdate) + " " + row.arguments);
        SetSoftwareUpdate(row.softwareUpdate);
        Program program;
        ASSERT_TRUE(program.Start(row.arguments));
        if (row.requests) {
            EXPECT_TRUE(WaitUntil([&] { return server.Requests().size() > before; }, BoxTimeout));
        }
        // The check (or its absence) is over: the button is back, and nothing was shown.
        EXPECT_TRUE(program.UpdateEnabledAgain());
        Sleep(3000);
        EXPECT_EQ(FindMessageBox(program.process.Id()), static_cast<HWND>(NULL));
        before += row.requests;
        ExpectCheckRequests(server, before);
        PostMessageA(program.main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.process.WaitForExit(QuitTimeout));
    }
}

TEST(Update, DownloadStartsOnlyTheInstallerThePublisherSigned)
{
    TrustTestRoot();
    SetSoftwareUpdate(0);
    DeleteFileA(MarkerPath().c_str());
    DeleteTempFiles("qzk*");
    UpdateServer server(UpdateFolder());
    ASSERT_TRUE(server.Start(UPDATE_TEST_PORT));
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.UpdateEnabledAgain());

    struct Refused {
        const char* installer;
        UpdateServer::DownloadMode mode;
    };
    const Refused refused[] = {
        {"installer-unsigned.exe", UpdateServer::WholeBody},
        {"installer-selfsigned.exe", UpdateServer::WholeBody},   // the publisher's name, no root
        {"installer-other.exe", UpdateServer::WholeBody},        // another publisher, same root
        {"installer-tampered.exe", UpdateServer::WholeBody},     // a byte changed after signing
        {"installer-good.exe", UpdateServer::ShortBody},
        {"installer-good.exe", UpdateServer::NoContentLength},
    };
    for (const Refused& row : refused) {
        SCOPED_TRACE(std::string(row.installer) + " mode " + std::to_string(row.mode));
        server.SetDownloadMode(row.mode);
        ASSERT_NO_FATAL_FAILURE(AcceptOffer(program, server, row.installer));
        HWND box = program.WaitForBox();
        ASSERT_NE(box, static_cast<HWND>(NULL));
        EXPECT_EQ(StaticTexts(box), DownloadErrorText);
        EXPECT_TRUE(PressButton(box, OkButtons));
        EXPECT_TRUE(WaitUntil([&] { return !program.BusyDialog() && !FindMessageBox(program.process.Id()); },
                              BoxTimeout));
        EXPECT_TRUE(program.process.Running());
        EXPECT_TRUE(TempFiles("qzk*.exe").empty());
        EXPECT_EQ(GetFileAttributesA(MarkerPath().c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(program.UpdateEnabledAgain());
    }
    // The request for the installer itself came with the download's own agent.
    std::vector<UpdateServer::Request> requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().line, "GET /installer-good.exe HTTP/1.1");
    EXPECT_EQ(requests.back().userAgent, "Velmora");

    // The good one: the busy texts in order, the installer started, the program gone.
    server.SetDownloadMode(UpdateServer::WholeBody);
    ASSERT_NO_FATAL_FAILURE(AcceptOffer(program, server, "installer-good.exe"));
    std::vector<std::string> texts;
    WaitUntil([&] {
        HWND busy = program.BusyDialog();
        if (busy) {
            std::string text = WindowText(GetDlgItem(busy, IDC_BUSY_TEXT));
            if (!text.empty() && (texts.empty() || texts.back() != text))
                texts.push_back(text);
        }
        return !program.process.Running();
    }, QuitTimeout + 10000, 5);
    if (!texts.empty() && texts.front() == "Please wait")
        texts.erase(texts.begin());
    EXPECT_EQ(texts, (std::vector<std::string>{"Downloading latest version of Velmora", "Download completed",
                                                "Installing updates"}));
    ASSERT_TRUE(program.process.WaitForExit(QuitTimeout));
    EXPECT_EQ(program.process.ExitCode(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesA(MarkerPath().c_str()) != INVALID_FILE_ATTRIBUTES; },
                          BoxTimeout));
    // The marker names the file that ran: the downloaded qzk*.exe beside its .tmp twin.
    std::vector<std::string> installers = TempFiles("qzk*.exe");
    ASSERT_EQ(installers.size(), 1u);
    EXPECT_EQ(ReadFile(MarkerPath()), TempFolder() + installers[0]);
    std::string twin = installers[0].substr(0, installers[0].size() - 4) + ".tmp";
    EXPECT_NE(GetFileAttributesA((TempFolder() + twin).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFile(TempFolder() + installers[0]), ReadFile(UpdateFolder() + "installer-good.exe"));
}

TEST(Update, InstallerIsRefusedWhileItsRootIsNotTrusted)
{
    SetSoftwareUpdate(0);
    DeleteFileA(MarkerPath().c_str());
    DeleteTempFiles("qzk*");
    UpdateServer server(UpdateFolder());
    ASSERT_TRUE(server.Start(UPDATE_TEST_PORT));
    Program program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.UpdateEnabledAgain());
    ASSERT_NO_FATAL_FAILURE(AcceptOffer(program, server, "installer-good.exe"));
    HWND box = program.WaitForBox();
    ASSERT_NE(box, static_cast<HWND>(NULL));
    EXPECT_EQ(StaticTexts(box), DownloadErrorText);
    EXPECT_TRUE(PressButton(box, OkButtons));
    Sleep(1000);
    EXPECT_TRUE(program.process.Running());
    EXPECT_TRUE(TempFiles("qzk*.exe").empty());
    EXPECT_EQ(GetFileAttributesA(MarkerPath().c_str()), INVALID_FILE_ATTRIBUTES);
    PostMessageA(program.main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.process.WaitForExit(QuitTimeout));
}
