// What each junk category reads (one table for the scan and the clean) and the folder walk
// both run over it. The clean deletes exactly what the scan of the same categories reports:
// the same roots, the same entries passed over, the same skip rules, the same links refused.
#ifndef TARNEX_JUNK_STEPS_H
#define TARNEX_JUNK_STEPS_H

#include <windows.h>

#include <vector>

#include "Engine/JunkCleaner.h"
#include "Framework/FinalPath.h"

class CSSEngineProcess;

enum JunkStepKind {
    StepFolder,      // every file below a folder, optionally only those with one extension
    StepFile,        // one file
    StepValues,      // the named values of a key under HKEY_CURRENT_USER
    StepRecycleBin,  // the Recycle Bin's items
};

struct JunkStep {
    DWORD bit;
    JunkStepKind kind;
    CString JunkFolderRoots::*root;  // StepFolder, StepFile
    const char* path;                // below the root; StepValues: the key
    const char* filter;              // StepFolder: the extension; StepValues: the list value left out
};

// In the order the steps of one category run.
extern const JunkStep JunkSteps[];
extern const size_t JunkStepCount;

// The full path of a folder or file step; empty when its root is.
CString JunkStepPath(const JunkFolderRoots& roots, const JunkStep& step);

// Whether the file of file step `index` is left to a later step of another category in `mask`
// that names the same file: a file is measured (and cleaned) once, by the last category that
// names it. Chrome's "History" thus belongs to its history, which deletes the file, when both
// that and the download history (which deletes rows in it) are selected.
bool IsFileLeftToLaterStep(size_t index, DWORD mask);

// Walks the folders of one category after another. Entries no ANSI path reaches (a name outside
// the code page, a path of MAX_PATH or more), junctions and symbolic links are passed over,
// and so is the defragmenter's work folder. A folder measured earlier for the same category is
// not walked again.
class CJunkFolderWalk {
public:
    // `cleaning`: the clean's walk, which also refuses folders whose final path is not their
    // own and leaves files in use to its own deletion (the scan leaves them out).
    CJunkFolderWalk(CSSEngineProcess& process, bool cleaning);
    virtual ~CJunkFolderWalk() {}
    CJunkFolderWalk(const CJunkFolderWalk&) = delete;
    CJunkFolderWalk& operator=(const CJunkFolderWalk&) = delete;

    // Forgets the folders walked for the category before.
    void BeginCategory() { m_walked.clear(); }
    // Hands every file of `folder` that the category counts to OnFile, and every folder below it
    // to OnFolderDone once its contents were walked. The folder itself stays out of both.
    void Walk(const CString& folder, DWORD bit, const char* filter);

protected:
    virtual void OnEntry(const char* path) = 0;
    virtual void OnFile(const char* path, ULONGLONG size, DWORD bit) = 0;
    virtual void OnFolderDone(const char* path, const char* filter) { (void)path; (void)filter; }
    // The clean's walk: whether `handle`, opened by the path of an entry handed to OnFile, ended
    // at that path (the walked folder was checked whole, so one name query tells).
    bool ReachesWalkedEntry(HANDLE handle, const char* path) const;

    CSSEngineProcess& m_process;
    const int m_state;
    const bool m_cleaning;

private:
    struct WalkedFolder {
        CString lowerPath;
        const char* filter;
    };
    void WalkInto(int length, DWORD bit, const char* filter);
    bool IsFileSkipped(const WIN32_FIND_DATAA& data, ULONGLONG size, DWORD bit, const char* filter) const;
    bool IsWalked(const CString& lowerPath, const char* filter, bool orBelow) const;
    bool IsWorkFolder(int length) const;
    bool IsWalkedFolderOwn() const;

    std::vector<WalkedFolder> m_walked;  // the folders walked so far for the current category
    CString m_workFolder;                // lower case, without trailing "\"; empty when unknown
    char m_path[MAX_PATH + 8];           // the walk's current path
    CFolderFinalPath m_rootFinalPath;    // the clean's walk: the walked folder, checked
    int m_rootLength;                    // the walked folder's length in m_path
};

#endif
