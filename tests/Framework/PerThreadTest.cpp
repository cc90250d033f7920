// Tests of the framework's per-thread state on worker threads: every thread gets its own value,
// deleted when the thread ends, and workers that used the framework's per-thread maps (as a
// message box on a download thread does) end without corrupting the heap.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "Framework/CDC.h"
#include "Framework/CMenu.h"
#include "Framework/CWinApp.h"
#include "Framework/CWnd.h"
#include "Framework/PerThread.h"

namespace {

std::atomic<int> g_made{0}, g_deleted{0};

struct Counted {
    Counted() { ++g_made; }
    ~Counted() { ++g_deleted; }
    int value = 0;
};

DWORD WINAPI UseCounted(LPVOID)
{
    PerThread<Counted>().value = 7;
    return PerThread<Counted>().value == 7 ? 0 : 1;
}

// What a worker's message loop does to the per-thread state: temporary wrappers of windows,
// DCs, GDI objects and menus, the idle purge, a window made through the creation hook.
void UseFrameworkState()
{
    CWnd::FromHandle(::GetDesktopWindow());
    HDC dc = ::GetDC(NULL);
    CDC::FromHandle(dc);
    ::ReleaseDC(NULL, dc);
    CGdiObject::FromHandle(::GetStockObject(BLACK_BRUSH));
    HMENU menu = ::CreatePopupMenu();
    CMenu::FromHandle(menu);
    ::DestroyMenu(menu);
    CWnd window;
    window.CreateEx(0, NULL, "worker window", WS_POPUP, 0, 0, 10, 10, NULL, NULL);
    window.DestroyWindow();
    AfxPurgeTemporaryObjects();
}

DWORD WINAPI UseFrameworkStateThread(LPVOID)
{
    UseFrameworkState();
    return 0;
}

}  // namespace

TEST(PerThread, EachThreadHasItsOwnValueDeletedWhenItEnds)
{
    int made = g_made, deleted = g_deleted;
    PerThread<Counted>().value = 1;
    for (int i = 0; i < 5; ++i) {
        std::thread([] { PerThread<Counted>().value = 2; }).join();
        HANDLE thread = CreateThread(NULL, 0, UseCounted, NULL, 0, NULL);
        ASSERT_TRUE(thread != NULL);
        WaitForSingleObject(thread, INFINITE);
        DWORD code = 1;
        GetExitCodeThread(thread, &code);
        CloseHandle(thread);
        EXPECT_EQ(0u, code);
    }
    EXPECT_EQ(1, PerThread<Counted>().value) << "another thread's value leaked into this one";
    EXPECT_EQ(made + 11, g_made.load());     // this thread's (if new) and the ten workers'
    EXPECT_EQ(deleted + 10, g_deleted.load());
}

TEST(PerThread, WorkersThatUsedTheFrameworkEndCleanly)
{
    for (int i = 0; i < 10; ++i) {
        std::thread(UseFrameworkState).join();
        HANDLE thread = CreateThread(NULL, 0, UseFrameworkStateThread, NULL, 0, NULL);
        ASSERT_TRUE(thread != NULL);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    // A corrupted heap shows at the latest when it is used and checked again.
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, NULL));
    void* block = malloc(64);
    EXPECT_TRUE(block != NULL);
    free(block);
}
