// CFindHandle: one file search (FindFirstFile, FindFirstFileEx, FindNextFile, FindClose), and
// the one-path probes FindFileEntry and FindFileError (FindFirstFile of a path, closed at once).
//
// Usage: CFindHandle find;  WIN32_FIND_DATAA entry;
//        for (BOOL more = find.FindFirst(pattern, entry); more; more = find.FindNext(entry)) ...
// The search is closed in the destructor; it cannot be copied; Detach() hands the search handle
// over without closing it. Every call returns the platform's BOOL with its error in
// GetLastError (ERROR_NO_MORE_FILES at the end of a search); `entry` is unchanged when a call
// fails.
#ifndef VELMORA_FRAMEWORK_FILE_FIND_H
#define VELMORA_FRAMEWORK_FILE_FIND_H

#include <windows.h>

class CFindHandle {
public:
    CFindHandle() noexcept : m_find(INVALID_HANDLE_VALUE) {}
    ~CFindHandle() { Close(); }
    CFindHandle(const CFindHandle&) = delete;
    CFindHandle& operator=(const CFindHandle&) = delete;

    // FindFirstFileA; closes any search held first.
    BOOL FindFirst(const char* pattern, WIN32_FIND_DATAA& entry) noexcept;
    // FindFirstFileExA at the basic information level (no 8.3 names) with the large fetch, for
    // walks that read many entries; falls back to FindFirstFileA on systems without that level.
    BOOL FindFirstBasic(const char* pattern, WIN32_FIND_DATAA& entry) noexcept;
    // FindNextFileA; FALSE (ERROR_INVALID_HANDLE) when no search is open.
    BOOL FindNext(WIN32_FIND_DATAA& entry) noexcept;
    // FindClose's result; TRUE when no search is open. Closed afterwards either way.
    BOOL Close() noexcept;
    HANDLE Detach() noexcept
    {
        HANDLE find = m_find;
        m_find = INVALID_HANDLE_VALUE;
        return find;
    }
    bool IsOpen() const noexcept { return m_find != INVALID_HANDLE_VALUE; }

private:
    BOOL Take(HANDLE find, const WIN32_FIND_DATAA& found, WIN32_FIND_DATAA& entry) noexcept;

    HANDLE m_find;
};

// FindFirstFileA of one path (no wildcards meant): TRUE with its entry, FALSE with the error in
// GetLastError (`entry` then unchanged). Unlike GetFileAttributes this finds a file whose
// attributes the caller may not read, and reports a directory as one.
BOOL FindFileEntry(const char* path, WIN32_FIND_DATAA& entry) noexcept;
// The same probe as an error code: ERROR_SUCCESS when the path is found, else the search's
// error (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME, ...); a failed search
// that names no error gives ERROR_GEN_FAILURE, so a failure never reads as success.
DWORD FindFileError(const char* path) noexcept;

#endif
