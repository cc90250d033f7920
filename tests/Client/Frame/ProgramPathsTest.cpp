// The program's path and folder, the free-space test, the message-pumping wait, the engine's
// load-error text and the installation id.
#include <gtest/gtest.h>

#include <string>

#include "Frame/EngineBinding.h"
#include "Frame/ProgramPaths.h"
#include "Frame/WaitPumpingMessages.h"
#include "Support/EngineTestSupport.h"

namespace {

std::string ModulePath()
{
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(NULL, buffer, MAX_PATH);
    return buffer;
}

}  // namespace

TEST(ProgramPaths, ComeFromTheModuleNotTheCommandLine)
{
    // The test program was started by its T: path; whatever argv[0] says, the paths are the
    // module's own.
    std::string module = ModulePath();
    EXPECT_EQ(std::string(GetProgramPath()), module);
    std::string folder = module.substr(0, module.rfind('\\') + 1);
    EXPECT_EQ(std::string(GetProgramFolder()), folder);
    EXPECT_EQ(std::string(GetServicesStatsPath()), folder + "SRVS_STATS.xml");
    EXPECT_EQ(std::string(GetProgramPath()).find(':'), 1u) << "a full path with its drive";
}

TEST(ProgramPaths, FreeDiskSpace)
{
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
    unsigned long long freeMegabytes = free.QuadPart / 1048576ULL;
    EXPECT_TRUE(HasFreeDiskSpace("C:\\", 0));
    EXPECT_TRUE(HasFreeDiskSpace("C:\\", freeMegabytes / 2));
    EXPECT_FALSE(HasFreeDiskSpace("C:\\", freeMegabytes * 4 + 1024));
    EXPECT_FALSE(HasFreeDiskSpace("Q:\\no such drive\\", 0));
}

namespace {

struct PumpProbe {
    int timerTicks = 0;
    int posted = 0;
    DWORD nestedEnd = 0;
};
PumpProbe* g_probe = NULL;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_TIMER) {
        ++g_probe->timerTicks;
        KillTimer(hwnd, wp);
        // The wait is re-entrant: a handler may wait again inside it.
        g_probe->nestedEnd = WaitPumpingMessages(50);
        return 0;
    }
    if (msg == WM_APP) {
        ++g_probe->posted;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

TEST(WaitPumpingMessages, WaitsTheTimeWhileDispatching)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "VelmoraPumpProbe";
    RegisterClassA(&wc);
    HWND probeWindow = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    ASSERT_NE(probeWindow, static_cast<HWND>(NULL));
    PumpProbe probe;
    g_probe = &probe;
    PostMessageA(probeWindow, WM_APP, 0, 0);
    SetTimer(probeWindow, 1, 100, NULL);

    DWORD start = GetTickCount();
    DWORD end = WaitPumpingMessages(400);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 390u);
    EXPECT_LT(elapsed, 1500u);
    EXPECT_GE(end - start, 390u);
    EXPECT_EQ(probe.posted, 1);
    EXPECT_EQ(probe.timerTicks, 1);
    EXPECT_NE(probe.nestedEnd, 0u);

    start = GetTickCount();
    WaitPumpingMessages(0);
    EXPECT_LT(GetTickCount() - start, 100u);
    DestroyWindow(probeWindow);
    g_probe = NULL;
}

namespace {

DWORD g_firstTickAt = 0;

void CALLBACK NoteFirstTick(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!g_firstTickAt)
        g_firstTickAt = GetTickCount();
    KillTimer(NULL, id);
}

}  // namespace

TEST(WaitPumpingMessages, HandlesATimerAlreadyDueWhenTheWaitBegins)
{
    // The caller's loop takes a posted message while a timer is already due: the queue has been
    // looked at, so the timer is no longer news when the handler starts to wait.
    g_firstTickAt = 0;
    const UINT_PTR timer = SetTimer(NULL, 0, 1, NoteFirstTick);
    ASSERT_NE(timer, 0u);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    Sleep(50);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_APP, WM_APP, PM_REMOVE));

    const DWORD start = GetTickCount();
    WaitPumpingMessages(600);
    KillTimer(NULL, timer);
    ASSERT_NE(g_firstTickAt, 0u) << "the due timer was never handled";
    EXPECT_LT(g_firstTickAt - start, 200u) << "the due timer waited for the end of the wait";
}

TEST(EngineBinding, LoadErrorText)
{
    EXPECT_STREQ(FormatEngineLoadError(126), "Module 'Tarnex.dll' failed to load.\nError code: '126'");
    EXPECT_STREQ(FormatEngineLoadError(0), "Module 'Tarnex.dll' failed to load.\nError code: '0'");
}

TEST(EngineBinding, InstallIdFromTheRealEngine)
{
    CAbstractSSEngineInterface* engine = EngineLibrary::Get().Engine();
    ASSERT_NE(engine, nullptr);
    CAbstractProcess* process = engine->NewProcess();
    ASSERT_NE(process, nullptr);

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string file = std::string(temp) + "velmora-install-id.bin";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "abc", 3, &written, NULL);
    CloseHandle(h);

    // MD5("abc") = 900150983cd24fb0d6963f7d28e17f72 -> "900150983c-7d28e17f72" -> its MD5.
    EXPECT_STREQ(BuildInstallId(process, file.c_str()), "91638fb7bcb152c");
    // A file that cannot be read gives no id (not the id of an empty hash).
    EXPECT_STREQ(BuildInstallId(process, (std::string(temp) + "no-such-file.bin").c_str()), "");
    EXPECT_STREQ(BuildInstallId(NULL, file.c_str()), "");
    CString own = BuildInstallId(process, GetProgramPath());
    EXPECT_EQ(own.GetLength(), 15);
    EXPECT_EQ(std::string(own).find_first_not_of("0123456789abcdef"), std::string::npos);

    DeleteFileA(file.c_str());
    engine->DeleteProcess(process);
}
