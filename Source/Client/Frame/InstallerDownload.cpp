// The installer's download into the temporary folder.
#include "Frame/InstallerDownload.h"

#include <stdio.h>
#include <stdlib.h>
#include <wininet.h>

#include "Framework/Handle.h"
#include "Framework/InternetHandle.h"
#include "Frame/UpdateProtocol.h"

namespace {

const DWORD ReadChunk = 4095;
const DWORD DownloadTimeoutMs = 15000;
const DWORD ConnectRetries = 4;
const DWORD OpenUrlFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;

void SetOption(HINTERNET handle, DWORD option, DWORD value)
{
    ::InternetSetOptionA(handle, option, &value, sizeof value);
}

void ShowWriteError(DWORD error)
{
    char text[64];
    snprintf(text, sizeof text, "An error occurred.\nCode: %d", static_cast<int>(error));
    ::MessageBoxA(NULL, text, NULL, MB_OK);
}

}  // namespace

CString UpdateInstallerTempFile()
{
    char folder[MAX_PATH] = {};
    char name[MAX_PATH] = {};
    DWORD length = ::GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || ::GetTempFileNameA(folder, "qzkt", 0, name) == 0)
        return CString();
    CString path = name;
    path.Replace(".tmp", ".exe");
    return path;
}

InstallerWriteResult WriteInstallerFile(const CString& path, const InstallerReader& reader,
                                        const volatile int* closing, DWORD* total)
{
    *total = 0;
    // New only: a file already there under this name (a planted link too) is never written.
    CHandle file(::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.IsValid())
        return InstallerNotCreated;
    char buffer[ReadChunk + 1];
    for (;;) {
        DWORD count = 0;
        if (!reader(buffer, ReadChunk, &count))
            break;
        if (closing && *closing)
            return InstallerCancelled;
        if (count == 0)
            break;
        DWORD written = 0;
        if (!::WriteFile(file.Get(), buffer, count, &written, NULL) || written != count) {
            DWORD error = ::GetLastError();
            *total += written;
            ShowWriteError(error);
            return InstallerWriteFailed;
        }
        *total += written;
    }
    return InstallerWritten;
}

CString DownloadInstaller(const CString& address, const volatile int* closing)
{
    CString path = UpdateInstallerTempFile();
    if (path.IsEmpty())
        return CString();
    ::DeleteUrlCacheEntryA(address);

    CInternetHandle session(::InternetOpenA(DownloadUserAgent, INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0));
    if (!session.IsValid())
        return CString();
    SetOption(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, DownloadTimeoutMs);
    SetOption(session.Get(), INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, DownloadTimeoutMs);
    SetOption(session.Get(), INTERNET_OPTION_DATA_SEND_TIMEOUT, DownloadTimeoutMs);
    SetOption(session.Get(), INTERNET_OPTION_CONTROL_SEND_TIMEOUT, DownloadTimeoutMs);
    SetOption(session.Get(), INTERNET_OPTION_CONTROL_RECEIVE_TIMEOUT, DownloadTimeoutMs);
    SetOption(session.Get(), INTERNET_OPTION_CONNECT_RETRIES, ConnectRetries);
    DWORD state = 0;
    if (!::InternetGetConnectedState(&state, 0))
        return CString();
    CInternetHandle request(::InternetOpenUrlA(session.Get(), address, NULL, 0, OpenUrlFlags, 0));
    if (!request.IsValid())
        return CString();
    char lengthText[32] = {};
    DWORD lengthSize = sizeof lengthText;
    if (!::HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, NULL))
        return CString();
    long expected = atol(lengthText);

    DWORD total = 0;
    InstallerWriteResult result = WriteInstallerFile(
        path,
        [&](char* buffer, DWORD size, DWORD* count) {
            return ::InternetReadFile(request.Get(), buffer, size, count) != FALSE;
        },
        closing, &total);
    request.Close();
    if (result == InstallerWritten && expected >= 0 && total == static_cast<DWORD>(expected))
        return path;
    // Made by this download (a file that was there already fails the creation and stays):
    // nothing half-written or cut short is left to be started by anyone.
    if (result != InstallerNotCreated)
        ::DeleteFileA(path);
    return result == InstallerCancelled ? CString(DownloadCancelled) : CString();
}
