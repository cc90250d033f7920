// The main window's update cycle: the timer, the check worker and its messages, the question,
// and the download under the busy dialog up to the start of the verified installer.
//
// The deployment (update host, folder number, the installer's publisher) is fixed when the
// program is built: VELMORA_UPDATE_HOST, VELMORA_UPDATE_FOLDER, VELMORA_INSTALLER_PUBLISHER.
#include "Frame/ClientDlg.h"

#include <process.h>
#include <shellapi.h>
#include <wininet.h>

#include "Frame/ClientApp.h"
#include "Frame/EngineBinding.h"
#include "Frame/FrameMessages.h"
#include "Frame/InstallerDownload.h"
#include "Frame/InstallerSignature.h"
#include "Frame/ProgramIdentity.h"
#include "Frame/UpdateProtocol.h"
#include "Frame/WaitPumpingMessages.h"
#include "Framework/Handle.h"
#include "Framework/InternetHandle.h"
#include "Framework/ModulePath.h"
#include "Skin/BusyDlg.h"
#include "Skin/MsgBoxDlg.h"

#if !defined(VELMORA_UPDATE_HOST) || !defined(VELMORA_UPDATE_FOLDER) || !defined(VELMORA_INSTALLER_PUBLISHER)
#error "the update deployment settings come from the build (Source/Client/CMakeLists.txt)"
#endif

namespace {

const UINT_PTR UpdateCheckTimer = 3130;
const UINT UpdateCheckPeriodMs = 1000;
const DWORD CheckTimeoutMs = 4000;
const DWORD ConnectRetries = 4;
const DWORD ReadChunk = 4095;
const DWORD OpenUrlFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;

const char* const NoConnectionText =
    "There was an error connecting to internet, please make sure you are connected.";
const char* const NoServerText =
    "Error connecting to update server, make sure you are connected to the internet.";
const char* const InvalidAnswerText =
    "Communication error while checking for software update, make sure you are connected to the internet.";
const char* const DownloadErrorText =
    "An error occurred while downloading updates, check your internet connection.";

void SetOption(HINTERNET handle, DWORD option, DWORD value)
{
    ::InternetSetOptionA(handle, option, &value, sizeof value);
}

// The check's messages: OK boxes over the dimmed main window.
void ShowCheckMessage(const CString& text)
{
    ShowMessageBox(CurrentBusyDialog, text, MessageBoxOk, TRUE);
}

// Asks the update server; 1 with the installer's address when it offers one.
BOOL CheckForUpdate(CString& address, BOOL silent)
{
    CString request = UpdateRequestAddress(VELMORA_UPDATE_HOST, VELMORA_UPDATE_FOLDER);
    CString agent = UpdateUserAgent(BuildInstallId(theApp.m_pProcess, GetProgramPath()));

    CInternetHandle session(::InternetOpenA(agent, INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0));
    if (session.IsValid()) {
        SetOption(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, CheckTimeoutMs);
        SetOption(session.Get(), INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, CheckTimeoutMs);
        SetOption(session.Get(), INTERNET_OPTION_DATA_SEND_TIMEOUT, CheckTimeoutMs);
        SetOption(session.Get(), INTERNET_OPTION_CONTROL_SEND_TIMEOUT, CheckTimeoutMs);
        SetOption(session.Get(), INTERNET_OPTION_CONTROL_RECEIVE_TIMEOUT, CheckTimeoutMs);
        SetOption(session.Get(), INTERNET_OPTION_CONNECT_RETRIES, ConnectRetries);
    }
    DWORD state = 0;
    if (!session.IsValid() || !::InternetGetConnectedState(&state, 0)) {
        if (!silent)
            ShowCheckMessage(NoConnectionText);
        return FALSE;
    }
    CString answer;
    {
        CInternetHandle reply(::InternetOpenUrlA(session.Get(), request, NULL, 0, OpenUrlFlags, 0));
        if (!reply.IsValid()) {
            if (!silent)
                ShowCheckMessage(NoServerText);
            return FALSE;
        }
        char chunk[ReadChunk + 1];
        DWORD count = 0;
        while (::InternetReadFile(reply.Get(), chunk, ReadChunk, &count) && count > 0) {
            chunk[count] = '\0';
            answer += chunk;
        }
    }
    switch (ParseUpdateAnswer(answer, address)) {
    case UpdateAnswerLatest:
        if (!silent)
            ShowCheckMessage("You are running latest version (" + ShortVersionText() + ") of " ProgramDisplayName);
        return FALSE;
    case UpdateAnswerOffer:
        return TRUE;
    default:
        if (!silent)
            ShowCheckMessage(InvalidAnswerText);
        return FALSE;
    }
}

unsigned __stdcall UpdateCheckWorker(void* parameter)
{
    CClientDlg* window = static_cast<CClientDlg*>(parameter);
    CString address;
    BOOL found = CheckForUpdate(address, window->m_silentCheck);
    window->m_updateButton.EnableWindow(TRUE);
    if (found && !address.IsEmpty()) {
        window->m_updateAddress = address;
        window->m_updateFound = 1;
    }
    return 1;
}

// Starts the installer at path when it carries the publisher's valid signature: TRUE when the
// system started it. The file stays open, unchangeable, from the check until the start returned.
BOOL StartVerifiedInstaller(const CString& path)
{
    CHandle held;
    if (!OpenInstallerForStart(path, held) ||
        CheckInstallerSignature(held.Get(), path, VELMORA_INSTALLER_PUBLISHER) != InstallerTrusted)
        return FALSE;
    if (CBusyDlg* busy = CurrentBusyDialog) {
        busy->SetText("Download completed");
        WaitPumpingMessages(1000);
        busy->SetText("Installing updates");
        WaitPumpingMessages(1250);
        busy->Close();
    }
    HINSTANCE started = ::ShellExecuteA(NULL, "open", path, NULL, NULL, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

void ShowDownloadError()
{
    CBusyDlg* busy = CurrentBusyDialog;
    if (busy)
        busy->Animate(false);
    ShowMessageBox(busy, DownloadErrorText, MessageBoxOk, FALSE);
    if (busy && busy == CurrentBusyDialog)
        busy->Close();
}

unsigned __stdcall DownloadThread(void* parameter)
{
    CClientDlg* window = static_cast<CClientDlg*>(parameter);
    if (CBusyDlg* busy = CurrentBusyDialog)
        busy->SetText("Downloading latest version of " ProgramDisplayName);
    CString result = DownloadInstaller(window->m_updateAddress, &window->m_closing);
    if (result == DownloadCancelled)
        return 0;
    if (!result.IsEmpty() && StartVerifiedInstaller(result)) {
        window->QuitApp();
        return 0;
    }
    // Refused or not started: nobody may start it later by mistake either.
    if (!result.IsEmpty())
        ::DeleteFileA(result);
    ShowDownloadError();
    return 0;
}

// Runs a thread procedure on its own thread; the handle is not kept.
void StartThread(unsigned(__stdcall* procedure)(void*), void* parameter)
{
    CHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, procedure, parameter, 0, NULL)));
}

}  // namespace

void CClientDlg::StartUpdateCycle(int silent)
{
    m_silentCheck = silent;
    m_updateStart = 1;
    m_updateFound = 0;
    m_updateTimer = SetTimer(UpdateCheckTimer, UpdateCheckPeriodMs);
    m_updateButton.EnableWindow(FALSE);
}

void CClientDlg::OnUpdate()
{
    StartUpdateCycle(0);
}

void CClientDlg::OnTimer(UINT_PTR id)
{
    if (id == UpdateCheckTimer) {
        if (m_updateStart) {
            m_updateStart = 0;
            StartThread(UpdateCheckWorker, this);
        } else if (m_updateFound) {
            m_updateFound = 0;
            KillTimer(m_updateTimer);
            int answer = ShowMessageBox(NULL,
                                        "A new version of " ProgramDisplayName " is available, Do you want to install now?",
                                        MessageBoxYesNo, TRUE, m_notifyWindow);
            if (answer == IDYES) {
                WaitPumpingMessages(200);
                CBusyDlg busy(NULL, WM_START_DOWNLOAD, m_hWnd, "Please wait", TRUE);
                busy.DoModalWithOverlay(m_notifyWindow, FALSE, SW_SHOW);
            }
        }
    }
    Default();
}

LRESULT CClientDlg::OnStartDownload(WPARAM, LPARAM)
{
    StartThread(DownloadThread, this);
    return 1;
}
