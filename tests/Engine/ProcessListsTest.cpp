// The engine's process, module and thread lists, the spyware record and the small toolkit
// operations no task runs (skip list, digest with progress, module walk, process closers),
// white-box through the engine's static library.
#include <gtest/gtest.h>

#include <stdio.h>

#include <atomic>
#include <string>

#include "Engine/IgnoreListManager.h"
#include "Engine/ProcessLists.h"
#include "Engine/ProcessToolkit.h"
#include "Engine/SSEngineProcess.h"
#include "Engine/Spyware.h"
#include "Support/EngineTestSupport.h"

namespace {

std::string OwnImagePath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// The user identifier of this process's token.
std::vector<BYTE> OwnUser()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    return buffer;
}

DWORD WINAPI WaitForStop(void* event)
{
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

// A thread that waits until it is told to end, so its context can be read.
struct WaitingThread {
    WaitingThread() : stop(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        handle = CreateThread(nullptr, 0, WaitForStop, stop, 0, &id);
    }
    ~WaitingThread()
    {
        SetEvent(stop);
        WaitForSingleObject(handle, 5000);
        CloseHandle(handle);
        CloseHandle(stop);
    }
    HANDLE stop;
    HANDLE handle;
    DWORD id = 0;
};

// A process object of the static library, with a recorder as its status and the busy flag up,
// as the operations expect while a task would run.
struct BusyProcess {
    BusyProcess() : process(CSSEngineProcess::LightConstruction)
    {
        process.m_status = &status;
        process.m_busy = 1;
    }
    ~BusyProcess() { process.m_status = nullptr; }
    RecordingStatus status;
    CSSEngineProcess process;
};

}  // namespace

TEST(ProcessLists, OwnProcessIsListedWithItsImagePathAndOwner)
{
    CProcessList list;
    ASSERT_GT(list.GetSize(), 1);
    INT_PTR own = list.FindById(GetCurrentProcessId());
    ASSERT_GE(own, 0);
    const _PROCESS_INFORMATION_EX& record = list[own];
    EXPECT_EQ(Lower(record.ImagePath), Lower(OwnImagePath()));
    ASSERT_NE(record.Owner, nullptr);
    std::vector<BYTE> user = OwnUser();
    EXPECT_TRUE(EqualSid(record.Owner, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid));

    const std::string exe = OwnImagePath().substr(OwnImagePath().rfind('\\') + 1);
    EXPECT_EQ(list.FindByText(exe.c_str()), own) << "found by its executable name";
    EXPECT_EQ(list.FindById(0xFFFFFFF0), -1);
    EXPECT_EQ(list.FindByText("no such process here"), -1);
    EXPECT_GE(list.FindByText("SERVICES.EXE"), 0) << "the system's own processes are listed too";

    // Records own their identifiers: a copy outlives the list it came from.
    _PROCESS_INFORMATION_EX copy = record;
    list.RemoveAll();
    EXPECT_NE(copy.Owner, record.Owner);
    ASSERT_NE(copy.Owner, nullptr);
    EXPECT_TRUE(EqualSid(copy.Owner, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid));
}

TEST(ProcessLists, ModulesOfOwnProcessAndLookupByNamePrefix)
{
    CModuleList modules(GetCurrentProcessId());
    ASSERT_GT(modules.GetSize(), 1);
    EXPECT_EQ(Lower(modules[0].szExePath), Lower(OwnImagePath()));

    MODULEENTRY32 found;
    ASSERT_TRUE(FindProcessModule(GetCurrentProcessId(), "KERNEL32", found));
    EXPECT_EQ(Lower(found.szModule), "kernel32.dll");
    found.szModule[0] = 'x';
    EXPECT_FALSE(FindProcessModule(GetCurrentProcessId(), "no-such-module", found));
    EXPECT_FALSE(FindProcessModule(GetCurrentProcessId(), "", found));
    EXPECT_EQ(found.szModule[0], 'x') << "left unchanged when nothing matched";
}

// The stack and instruction pointers of a thread context, whatever the build's processor.
#ifdef _WIN64
static DWORD64 StackPointer(const CONTEXT& c) { return c.Rsp; }
static DWORD64 InstructionPointer(const CONTEXT& c) { return c.Rip; }
#else
static DWORD StackPointer(const CONTEXT& c) { return c.Esp; }
static DWORD InstructionPointer(const CONTEXT& c) { return c.Eip; }
#endif

TEST(ProcessLists, ThreadContextsAreReadFromOtherThreadsOnly)
{
    WaitingThread other;
    ASSERT_NE(other.handle, nullptr);
    CThreadList plain;
    ASSERT_EQ(plain.Fill(GetCurrentProcessId(), false), 1);
    CThreadList withContexts;
    ASSERT_EQ(withContexts.Fill(GetCurrentProcessId(), true), 1);

    bool sawOther = false, sawSelf = false;
    for (INT_PTR i = 0; i < withContexts.GetSize(); ++i) {
        const _THREAD_INFORMATION_EX& t = withContexts[i];
        EXPECT_EQ(t.Entry.th32OwnerProcessID, GetCurrentProcessId());
        if (t.Entry.th32ThreadID == other.id) {
            sawOther = true;
            EXPECT_NE(StackPointer(t.Context), 0u);
            EXPECT_NE(InstructionPointer(t.Context), 0u);
        }
        if (t.Entry.th32ThreadID == GetCurrentThreadId()) {
            sawSelf = true;
            EXPECT_EQ(StackPointer(t.Context), 0u) << "the calling thread is not suspended";
        }
    }
    EXPECT_TRUE(sawOther && sawSelf);
    for (INT_PTR i = 0; i < plain.GetSize(); ++i)
        EXPECT_EQ(InstructionPointer(plain[i].Context), 0u);
    EXPECT_EQ(WaitForSingleObject(other.handle, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the thread runs on";

    CThreadList none;
    EXPECT_EQ(none.Fill(0xFFFFFFF0, true), 1);
    EXPECT_EQ(none.GetSize(), 0);
}

TEST(ProcessLists, SpywareRecordCopiesEveryField)
{
    CSpyware empty;
    EXPECT_EQ(empty.GetId(), 0);
    EXPECT_EQ(empty.GetKind(), 0);
    EXPECT_TRUE(empty.GetName().IsEmpty() && empty.GetText2().IsEmpty() && empty.GetText3().IsEmpty());
    EXPECT_EQ(empty.GetFlags(), 0);
    EXPECT_TRUE(empty.GetPairs().empty());

    CSpyware record;
    record.SetText3("third");
    CSpyware copy(record);
    CSpyware assigned;
    assigned = copy;
    record.SetText3("changed");
    EXPECT_EQ(copy.GetText3(), "third");
    EXPECT_EQ(assigned.GetText3(), "third");

    CIgnoreListManager* manager = new CIgnoreListManager;
    delete manager;
}

// The skip list: ";"-ended entries, trimmed and without regard to case; the first empty entry
// ends the list and a last piece without ";" is no entry. The file is created when missing.
TEST(ProcessToolkit, SkipListMatchesTrimmedEntries)
{
    const CString folder = "C:\\VelmoraSkipListTest";
    const std::string file = std::string(folder) + "\\LW.wth";
    CreateDirectoryA(folder, nullptr);
    DeleteFileA(file.c_str());
    EXPECT_EQ(IsOnSkipListIn(folder, "anything"), 0);
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "created when missing";

    struct Case {
        std::string list;
        const char* text;
        int expected;
    } cases[] = {
        {"foo;", "HKEY_X\\FOO\\bar", 1},
        {"  Spaced Entry ;other;", "c:\\spaced entry\\x", 1},
        {"a1;b2;", "xxb2xx", 1},
        {"a1;b2", "xxb2xx", 0},          // the last piece has no ";"
        {"a1;;b2;", "xxb2xx", 0},        // an empty entry ends the list
        {"a1; ;b2;", "xxb2xx", 0},
        {"", "anything", 0},
        {std::string(600, 'q') + ";far;", "so far", 1},  // entries beyond the first 499 bytes
        {"x;", "", 0},
    };
    for (const Case& c : cases) {
        FILE* f = fopen(file.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(c.list.data(), 1, c.list.size(), f);
        fclose(f);
        EXPECT_EQ(IsOnSkipListIn(folder, c.text), c.expected) << "[" << c.list.substr(0, 40) << "] " << c.text;
    }
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder);
}

TEST(ProcessToolkit, DigestWithProgressAndModuleWalk)
{
    BusyProcess busy;
    const std::string file = "C:\\VelmoraDigestTest.txt";
    FILE* f = fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("abc", f);
    fclose(f);
    EXPECT_EQ(std::string(DigestFileWithProgress(busy.process, file.c_str())), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(busy.status.CallsOf("OnProgress").size(), 1u);
    DeleteFileA(file.c_str());
    EXPECT_EQ(std::string(DigestFileWithProgress(busy.process, file.c_str())), "");

    EXPECT_GT(WalkProcessModules(busy.process), 2);
    busy.process.m_busy = 0;
    EXPECT_EQ(WalkProcessModules(busy.process), 0) << "a stop ends the walk";
}

TEST(ProcessToolkit, ProcessClosersEndTheProcessAndCloseItsWindows)
{
    // A child that would wait for a minute.
    char command[] = "cmd.exe /c ping -n 60 127.0.0.1 >nul";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &child));
    CloseHandle(child.hThread);
    HANDLE watch = nullptr;
    DuplicateHandle(GetCurrentProcess(), child.hProcess, GetCurrentProcess(), &watch, SYNCHRONIZE, FALSE, 0);
    EXPECT_TRUE(TerminateAndCloseProcess(child.hProcess));
    EXPECT_EQ(WaitForSingleObject(watch, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(watch);
    EXPECT_FALSE(TerminateAndCloseProcess(nullptr));

    HWND window = CreateWindowExA(0, "STATIC", "closer test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EnumWindows(PostCloseToProcessWindows, static_cast<LPARAM>(GetCurrentProcessId()));
    MSG message;
    for (int i = 0; i < 100 && IsWindow(window); ++i) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    EXPECT_FALSE(IsWindow(window)) << "the posted close message destroyed the window";
}
