// CFindHandle and the one-path probes.
#include "Framework/FileFind.h"

BOOL CFindHandle::Take(HANDLE find, const WIN32_FIND_DATAA& found, WIN32_FIND_DATAA& entry) noexcept
{
    if (find == INVALID_HANDLE_VALUE)
        return FALSE;
    m_find = find;
    entry = found;
    return TRUE;
}

BOOL CFindHandle::FindFirst(const char* pattern, WIN32_FIND_DATAA& entry) noexcept
{
    Close();
    WIN32_FIND_DATAA found;
    return Take(::FindFirstFileA(pattern, &found), found, entry);
}

BOOL CFindHandle::FindFirstBasic(const char* pattern, WIN32_FIND_DATAA& entry) noexcept
{
    Close();
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileExA(pattern, FindExInfoBasic, &found, FindExSearchNameMatch,
                                     NULL, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_INVALID_PARAMETER)
        find = ::FindFirstFileA(pattern, &found);
    return Take(find, found, entry);
}

BOOL CFindHandle::FindNext(WIN32_FIND_DATAA& entry) noexcept
{
    if (!IsOpen()) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    WIN32_FIND_DATAA found;
    if (!::FindNextFileA(m_find, &found))
        return FALSE;
    entry = found;
    return TRUE;
}

BOOL CFindHandle::Close() noexcept
{
    if (!IsOpen())
        return TRUE;
    BOOL closed = ::FindClose(m_find);
    m_find = INVALID_HANDLE_VALUE;
    return closed;
}

BOOL FindFileEntry(const char* path, WIN32_FIND_DATAA& entry) noexcept
{
    CFindHandle find;
    return find.FindFirst(path, entry);
}

DWORD FindFileError(const char* path) noexcept
{
    WIN32_FIND_DATAA entry;
    ::SetLastError(ERROR_SUCCESS);
    if (FindFileEntry(path, entry))
        return ERROR_SUCCESS;
    const DWORD error = ::GetLastError();
    return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
}
