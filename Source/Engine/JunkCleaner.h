// CJunkCleaner: the process object's member shared by the junk scan and the junk clean. It holds
// the status object of the running junk task, and both tasks work from the same folder roots
// (JunkFolderRoots), so that the clean only ever visits what the scan measured.
#ifndef TARNEX_JUNK_CLEANER_H
#define TARNEX_JUNK_CLEANER_H

#include <windows.h>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CString.h"

class CSSEngineProcess;

// The folders the junk categories read. Every root is an absolute path without a trailing "\"
// or "/", or empty when the shell (or the system) cannot name it; a step whose root is empty
// is skipped, so a missing folder can never turn into the root of a drive or a path relative
// to the current one.
struct JunkFolderRoots {
    CString Windows;        // CSIDL 36
    CString Temp;           // GetTempPathA
    CString Recent;         // CSIDL 8
    CString Cookies;        // CSIDL 33
    CString InternetCache;  // CSIDL 32
    CString History;        // CSIDL 34
    CString AppData;        // CSIDL 26
    CString LocalAppData;   // CSIDL 28
    CString IeFolder;       // LocalAppData\Microsoft\Internet Explorer
    CString IeLowDomStore;  // <parent of LocalAppData>\LocalLow\Microsoft\Internet Explorer\DOMStore
    CString FirefoxProfileRoaming;  // AppData\Mozilla\Firefox\Profiles\<profile>
    CString FirefoxProfileLocal;    // LocalAppData\Mozilla\Firefox\Profiles\<profile>
    CString ChromeDefault;  // LocalAppData\Google\Chrome\User Data\Default
    CString ChromeUserData; // LocalAppData\Google\Chrome\User Data
    CString EdgePackage;    // LocalAppData\Packages\Microsoft.MicrosoftEdge_8wekyb3d8bbwe

    // Reads every root afresh from the shell and the system.
    static JunkFolderRoots Read();
};

// `base` + "\" + `suffix` with exactly one separator; empty when `base` is empty.
CString JoinJunkPath(const CString& base, const char* suffix);

// True for an absolute path that names something below a drive root or a network share:
// "X:\name..." or "\\server\share\name...". Empty, relative, root-relative ("\Temp"),
// drive-relative ("C:Temp") paths and bare roots ("C:\", "\\server\share") are refused.
bool IsJunkFolderUsable(const CString& path);

struct IUrlHistoryStg2;
// Makes the system's URL history object; the clean clears the history through it. The one place
// that object is made, so a test can put a recorder in its place.
typedef HRESULT (*UrlHistoryFactory)(IUrlHistoryStg2** history);
extern UrlHistoryFactory CreateUrlHistoryStore;

class CJunkCleaner {
public:
    CJunkCleaner();
    virtual ~CJunkCleaner();
    CJunkCleaner(const CJunkCleaner&) = delete;
    CJunkCleaner& operator=(const CJunkCleaner&) = delete;

    // Takes the status object of the junk task that is starting.
    void SetStatus(CAbstractStatus* status) { m_status = status; }
    CAbstractStatus* Status() const { return m_status; }

    // Task 9: measures the categories of the process's junk mask and reports every finding
    // through the status object; deletes nothing. Returns -1.
    int ScanJunk(CSSEngineProcess& process);

    // Task 10: removes what the scan measures in the categories of the process's junk mask;
    // files still in use wait for the restart (OnResult(1)). Returns -1.
    int CleanJunk(CSSEngineProcess& process);

    int RestartNeeded() const { return m_restartNeeded; }
    void ResetRestartNeeded() { m_restartNeeded = 0; }
    int StopFlag() const { return m_stopFlag; }
    int Stop(int stop)
    {
        if (stop)
            m_stopFlag = 0;
        return 1;
    }
    // Empties the Recycle Bin of every drive without asking, showing or sounding anything.
    static HRESULT EmptyRecycleBin();

    // A size text of the shell ("1.5 KB", "1,954 KB", "12 bytes") as a byte count. Digit
    // grouping and the decimal separator of the user's locale are understood; 0 for an empty
    // or unreadable text.
    static ULONGLONG ParseSizeText(const char* text);

private:
    int m_stopFlag;               // held for the clean's stop operation
    CAbstractStatus* m_status;    // the running junk task's status object; not owned
    int m_restartNeeded;          // set by the clean when a file must wait for a restart
};

#endif
