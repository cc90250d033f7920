// Closing the browsers before the junk clean (see BrowserCloser.h). The running processes come
// from a Toolhelp snapshot: the system's performance data lists no processes on every system,
// and one way of looking serves them all.
#include "Client/Scan/BrowserCloser.h"

#include <tlhelp32.h>

#include "Client/Skin/MsgBoxDlg.h"
#include "Frame/ProgramIdentity.h"
#include "Frame/WaitPumpingMessages.h"
#include "Framework/Handle.h"

namespace {

struct BrowserName {
    const char* executable;
    const char* shown;
};
const BrowserName Browsers[BrowserCount] = {
    {"chrome", "Chrome\n"},
    {"iexplore", "Internet Explorer\n"},
    {"firefox", "Firefox\n"},
    {"microsoftedge", "Edge\n"},
};

const DWORD BrowserWaitMs = 5000;

// The file name of a snapshot entry without its ".exe".
CString ProcessBaseName(const char* exeFile)
{
    CString name(exeFile);
    const int slash = name.ReverseFind('\\');
    if (slash >= 0)
        name = name.Mid(slash + 1);
    if (name.GetLength() > 4 && name.Right(4).CompareNoCase(".exe") == 0)
        name = name.Left(name.GetLength() - 4);
    return name;
}

// Waits for the process to end, dispatching messages; true when it ended within waitMs.
bool WaitForProcessEnd(HANDLE process, DWORD waitMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return true;
        if (GetTickCount() - start >= waitMs)
            return false;
        WaitPumpingMessages(10);
    }
}

}  // namespace

void GetProcessIdsByName(const char* name, std::vector<DWORD>* ids)
{
    if (!ids)
        return;
    ids->clear();
    if (!name)
        return;
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
        if (ProcessBaseName(entry.szExeFile).CompareNoCase(name) == 0)
            ids->push_back(entry.th32ProcessID);
    }
}

int BrowserProcesses::RunningCount() const
{
    int running = 0;
    for (const std::vector<DWORD>& browser : ids)
        running += browser.empty() ? 0 : 1;
    return running;
}

BrowserProcesses FindRunningBrowsers()
{
    BrowserProcesses browsers;
    for (int i = 0; i < BrowserCount; ++i)
        GetProcessIdsByName(Browsers[i].executable, &browsers.ids[i]);
    return browsers;
}

CString BrowserQuestionText(const BrowserProcesses& browsers)
{
    CString text;
    const int running = browsers.RunningCount();
    if (running == 0)
        return text;
    text = running == 1 ? "Close the following browser for proper cleaning"
                        : "Close the following browsers for proper cleaning";
    text += "\n";
    CString question;
    question.Format("Would you like %s to close them?", ProgramDisplayName);
    text += question;
    text += "\n\n";
    for (int i = 0; i < BrowserCount; ++i)
        if (!browsers.ids[i].empty())
            text += Browsers[i].shown;
    return text;
}

int TerminateBrowserProcesses(const BrowserProcesses& browsers, DWORD waitMs)
{
    int ended = 0;
    for (const std::vector<DWORD>& browser : browsers.ids) {
        for (DWORD id : browser) {
            CHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
            if (!process.IsValid())
                continue;
            if (TerminateProcess(process.Get(), 0) && WaitForProcessEnd(process.Get(), waitMs))
                ++ended;
        }
    }
    return ended;
}

void CloseBrowsersBeforeCleaning(CWnd* owner)
{
    const BrowserProcesses browsers = FindRunningBrowsers();
    if (browsers.RunningCount() == 0)
        return;
    if (ShowMessageBox(owner, BrowserQuestionText(browsers), MessageBoxYesNo, FALSE) == IDYES)
        TerminateBrowserProcesses(browsers, BrowserWaitMs);
}
