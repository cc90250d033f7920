// The kernel wrappers against the real system: a handle closed by its wrapper frees the file it
// held, a detached one does not; a search lists a folder and reports a missing path with the
// platform's error; a COM pointer releases its reference exactly once; a scoped lock excludes
// other threads; the program folder names the folder the program's file is in.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <set>
#include <string>

#include "Framework/ComPtr.h"
#include "Framework/CriticalSection.h"
#include "Framework/FileFind.h"
#include "Framework/Handle.h"
#include "Framework/ModulePath.h"

namespace {

// A folder of its own under the temporary folder, removed with its files afterwards.
class KernelWrappers : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "VelmoraKernelWrappers";
        RemoveFolder();
        ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), NULL));
    }
    void TearDown() override { RemoveFolder(); }

    std::string PathOf(const char* name) const { return m_folder + "\\" + name; }
    void MakeFile(const char* name) const
    {
        HANDLE file = CreateFileA(PathOf(name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    // An open that shares nothing: it fails while another handle to the file is open.
    HANDLE OpenUnshared(const char* name) const
    {
        return CreateFileA(PathOf(name).c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    }

private:
    void RemoveFolder() const
    {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((m_folder + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do
                if (!DeleteFileA(PathOf(entry.cFileName).c_str()))
                    RemoveDirectoryA(PathOf(entry.cFileName).c_str());
            while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryA(m_folder.c_str());
    }

    std::string m_folder;
};

TEST_F(KernelWrappers, HandleClosesWhatItOwnsAndNothingItGaveAway)
{
    MakeFile("held.txt");
    {
        CHandle held(OpenUnshared("held.txt"));
        ASSERT_TRUE(held.IsValid());
        EXPECT_EQ(OpenUnshared("held.txt"), INVALID_HANDLE_VALUE) << "the wrapper holds the file";
    }
    CHandle reopened(OpenUnshared("held.txt"));
    EXPECT_TRUE(reopened.IsValid()) << "the destructor closed the first handle";

    // Attach closes the handle held before taking the new one.
    reopened.Attach(CreateEventA(NULL, TRUE, FALSE, NULL));
    CHandle again(OpenUnshared("held.txt"));
    EXPECT_TRUE(again.IsValid());

    HANDLE given = again.Detach();
    EXPECT_FALSE(again.IsValid());
    EXPECT_TRUE(again.Close()) << "closing an empty wrapper is no error";
    EXPECT_EQ(OpenUnshared("held.txt"), INVALID_HANDLE_VALUE) << "a detached handle stays open";
    EXPECT_TRUE(CloseHandle(given));

    // A failed open (INVALID_HANDLE_VALUE) is an empty wrapper, not a handle to close.
    CHandle missing(OpenUnshared("missing.txt"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(missing.IsValid());
}

TEST_F(KernelWrappers, FindListsTheFolderAndReportsAMissingPath)
{
    MakeFile("a.txt");
    MakeFile("b.txt");
    MakeFile("c.log");
    const std::string pattern = PathOf("*.txt");
    for (int basic = 0; basic < 2; ++basic) {
        SCOPED_TRACE(basic ? "FindFirstBasic" : "FindFirst");
        std::set<std::string> names;
        CFindHandle find;
        WIN32_FIND_DATAA entry;
        BOOL more = basic ? find.FindFirstBasic(pattern.c_str(), entry)
                          : find.FindFirst(pattern.c_str(), entry);
        for (; more; more = find.FindNext(entry))
            names.insert(entry.cFileName);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
        EXPECT_EQ(names, (std::set<std::string>{"a.txt", "b.txt"}));
        EXPECT_TRUE(find.IsOpen()) << "the search stays open until closed";
        EXPECT_TRUE(find.Close());
        EXPECT_FALSE(find.FindNext(entry));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    }

    // The one-path probe, for a file, a folder and a missing path; the entry is unchanged
    // when nothing is found.
    ASSERT_TRUE(CreateDirectoryA(PathOf("sub").c_str(), NULL));
    struct Case {
        const char* name;
        BOOL found;
        bool directory;
        DWORD error;
    } cases[] = {
        {"a.txt", TRUE, false, 0},
        {"sub", TRUE, true, 0},
        {"missing.txt", FALSE, false, ERROR_FILE_NOT_FOUND},
        {"nofolder\\a.txt", FALSE, false, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WIN32_FIND_DATAA entry;
        strcpy(entry.cFileName, "untouched");
        EXPECT_EQ(FindFileEntry(PathOf(c.name).c_str(), entry), c.found);
        if (c.found) {
            EXPECT_STREQ(entry.cFileName, c.name);
            EXPECT_EQ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, c.directory);
        } else {
            EXPECT_EQ(GetLastError(), c.error);
            EXPECT_STREQ(entry.cFileName, "untouched");
        }
    }
}

TEST(ComPtr, ReleasesItsReferenceOnceAndNoneItGaveAway)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(NULL)));
    {
        CComPtr<IShellLinkA> link;
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                               IID_IShellLinkA, link.OutVoid())));
        ASSERT_TRUE(bool(link));
        IShellLinkA* object = link.Get();
        EXPECT_EQ(object->AddRef(), 2u);
        link.Release();
        EXPECT_FALSE(bool(link));
        EXPECT_EQ(object->AddRef(), 2u) << "Release dropped exactly one reference";
        object->Release();

        // Out() releases what it holds before the slot is filled again.
        CComPtr<IShellLinkA> held(object);
        object->AddRef();
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                               IID_IShellLinkA, held.OutVoid())));
        EXPECT_EQ(object->Release(), 0u) << "Out() released the reference held before";

        // A detached reference is the caller's: the wrapper's end leaves it alive.
        IShellLinkA* given = nullptr;
        {
            CComPtr<IShellLinkA> owner;
            ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                                   IID_IShellLinkA, owner.OutVoid())));
            given = owner.Detach();
        }
        EXPECT_EQ(given->AddRef(), 2u);
        given->Release();
        EXPECT_EQ(given->Release(), 0u);
    }
    CoUninitialize();
}

const int CountsPerThread = 5000;

struct SharedCounter {
    CCriticalSection section{4000};
    volatile LONG value = 0;
    volatile LONG inside = 0;
    volatile LONG overlaps = 0;
};

DWORD WINAPI CountUnderLock(LPVOID parameter)
{
    SharedCounter& counter = *static_cast<SharedCounter*>(parameter);
    for (int i = 0; i < CountsPerThread; ++i) {
        CCriticalSectionLock hold(counter.section);
        if (InterlockedIncrement(&counter.inside) != 1)
            InterlockedIncrement(&counter.overlaps);
        counter.value = counter.value + 1;  // a read and a write the lock must keep together
        InterlockedDecrement(&counter.inside);
    }
    return 0;
}

DWORD WINAPI TryTheSection(LPVOID parameter)
{
    CCriticalSection& section = *static_cast<CCriticalSection*>(parameter);
    if (!section.TryEnter())
        return 1;
    section.Leave();
    return 0;
}

TEST(CriticalSection, ScopedLockExcludesOtherThreadsUntilItsScopeEnds)
{
    SharedCounter counter;
    HANDLE threads[4];
    for (HANDLE& thread : threads)
        thread = CreateThread(NULL, 0, CountUnderLock, &counter, 0, NULL);
    // Waited for without a limit: the threads use the counter on this stack, so the test must
    // not leave before they end (the test run's own time-out bounds a hang).
    EXPECT_EQ(WaitForMultipleObjects(4, threads, TRUE, INFINITE), WAIT_OBJECT_0);
    for (HANDLE thread : threads)
        CloseHandle(thread);
    EXPECT_EQ(counter.value, 4 * CountsPerThread);
    EXPECT_EQ(counter.overlaps, 0);

    DWORD whileHeld = 0, afterwards = 0;
    {
        CCriticalSectionLock hold(counter.section);
        CHandle probe(CreateThread(NULL, 0, TryTheSection, &counter.section, 0, NULL));
        WaitForSingleObject(probe.Get(), INFINITE);
        GetExitCodeThread(probe.Get(), &whileHeld);
    }
    CHandle probe(CreateThread(NULL, 0, TryTheSection, &counter.section, 0, NULL));
    WaitForSingleObject(probe.Get(), INFINITE);
    GetExitCodeThread(probe.Get(), &afterwards);
    EXPECT_EQ(whileHeld, 1u) << "another thread cannot enter while the lock is held";
    EXPECT_EQ(afterwards, 0u) << "the lock's end left the section";
}

TEST(ModulePath, ProgramFolderEndsInABackslashAndHoldsTheProgram)
{
    const CString folder = GetProgramFolder();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(folder[folder.GetLength() - 1], '\\');
    const CString path = GetProgramPath();
    EXPECT_EQ(path.Left(folder.GetLength()), folder);
    EXPECT_EQ(path.Mid(folder.GetLength()).Find('\\'), -1) << "the program's own folder";
    WIN32_FIND_DATAA entry;
    EXPECT_TRUE(FindFileEntry(folder + path.Mid(folder.GetLength()), entry));
    EXPECT_EQ(GetModuleFilePath(GetModuleHandleA("kernel32")).Right(13).MakeLower(),
              CString("\\kernel32.dll"));
}

}  // namespace
