// The update installer's download: a new file in the temporary folder filled from the web.
#ifndef VELMORA_FRAME_INSTALLER_DOWNLOAD_H
#define VELMORA_FRAME_INSTALLER_DOWNLOAD_H

#include <windows.h>

#include <functional>

#include "Framework/CString.h"

// DownloadInstaller's answer when the main window began closing during the download.
#define DownloadCancelled "cancel"

// A unique name in the temporary folder: GetTempFileNameA makes "qzk<hex>.tmp" (the system
// creates that file and it stays), the installer's name is the same with ".exe". Empty when the
// system gives no name.
CString UpdateInstallerTempFile();

// One read of the download into buffer (at most size bytes): false when the read failed,
// otherwise *count bytes came (0: the end).
typedef std::function<bool(char* buffer, DWORD size, DWORD* count)> InstallerReader;

enum InstallerWriteResult {
    InstallerWritten,      // the reads ended (or one failed); *total bytes are in the file
    InstallerCancelled,    // *closing was set between two reads
    InstallerNotCreated,   // the file could not be made new (one of that name exists)
    InstallerWriteFailed,  // a write failed
};
// Creates path as a new file (an existing file of that name fails the call and stays as it
// was) and writes to it what reader gives, in reads of up to 4095 bytes. A failed write shows
// the system's "An error occurred.\nCode: <error>" box first. Only bytes written count in *total.
InstallerWriteResult WriteInstallerFile(const CString& path, const InstallerReader& reader,
                                        const volatile int* closing, DWORD* total);

// Downloads address (user agent "Velmora", 15 s time-outs) into UpdateInstallerTempFile's
// ".exe": its path when the body came whole (as many bytes as its Content-Length), ""
// on any failure (no answer, no Content-Length, fewer bytes, a failed write), DownloadCancelled
// when *closing was set. An installer file the download made is deleted on failure and cancel.
CString DownloadInstaller(const CString& address, const volatile int* closing);

#endif
