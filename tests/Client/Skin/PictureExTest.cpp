// Tests of the animated picture control in a real static control on the test display: frames
// decoded from GIF data, the animation advancing on the frames' delays, stopping, restarting and
// unloading with no thread left behind, a stop that times out, and data that must not load.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "Client/Resources/ControlResources.h"
#include "Client/Skin/GifFixture.h"
#include "Client/Skin/MessagePump.h"
#include "Client/Skin/PictureEx.h"

namespace {

// TRUE when the thread has ended (or is gone altogether).
bool ThreadEnded(DWORD id)
{
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    if (!thread)
        return true;
    bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

// Threads of this process that did not exist in `before`.
std::vector<DWORD> NewThreads(const std::vector<DWORD>& before)
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId())
            continue;
        bool old = false;
        for (DWORD id : before)
            old = old || id == entry.th32ThreadID;
        if (!old)
            found.push_back(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return found;
}

std::vector<DWORD> OwnThreads() { return NewThreads({}); }

// Waits (pumping) until cond() holds or ms pass; returns cond().
template <class COND>
bool WaitFor(COND cond, DWORD ms)
{
    DWORD end = GetTickCount() + ms;
    while (!cond() && int(end - GetTickCount()) > 0)
        PumpMessages(10);
    return cond();
}

class PictureExTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        m_host = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 40, 40, 200, 120,
                                 NULL, NULL, GetModuleHandleA(NULL), NULL);
        HWND control = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50,
                                       m_host, HMENU(1117), GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(m_picture.SubclassWindow(control));
    }
    void TearDown() override
    {
        m_picture.UnLoad();
        m_picture.DestroyWindow();
        DestroyWindow(m_host);
    }

    BOOL LoadBytes(const std::vector<BYTE>& data)
    {
        HGLOBAL block = GifFixture::ToGlobal(data);
        BOOL ok = m_picture.Load(block, DWORD(data.size()));
        GlobalFree(block);
        return ok;
    }

    // The colour the control shows at a point of its client area, after painting it.
    COLORREF ShownPixel(int x, int y)
    {
        m_picture.Invalidate(FALSE);
        m_picture.UpdateWindow();
        HDC dc = ::GetDC(m_picture.m_hWnd);
        COLORREF c = GetPixel(dc, x, y);
        ::ReleaseDC(m_picture.m_hWnd, dc);
        return c;
    }

    HWND m_host = NULL;
    CPictureEx m_picture;
};

const COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255), Green = RGB(0, 255, 0);
const COLORREF FrameColours[4] = {RGB(255, 255, 255), Red, Blue, Green};

}  // namespace

TEST_F(PictureExTest, MultiFrameGifLoadsEveryFrameAndSizesTheControl)
{
    ASSERT_TRUE(LoadBytes(GifFixture(20, 16).Frame(1, 8).Frame(2, 12, 2).SubFrame(3, 30, 4, 2, 8, 6).Bytes()));
    EXPECT_TRUE(m_picture.IsGIF());
    EXPECT_TRUE(m_picture.IsPrepared());
    ASSERT_EQ(3, m_picture.GetFrameCount());
    const struct { int delay, disposal, left, top, width, height; } expected[3] = {
        {8, 1, 0, 0, 20, 16}, {12, 2, 0, 0, 20, 16}, {30, 1, 4, 2, 8, 6}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        PictureFrame f;
        ASSERT_TRUE(m_picture.GetFrame(i, &f));
        EXPECT_TRUE(f.picture != NULL);
        EXPECT_EQ(expected[i].delay, f.delay);
        EXPECT_EQ(expected[i].disposal, f.disposal);
        EXPECT_EQ(expected[i].left, f.left);
        EXPECT_EQ(expected[i].top, f.top);
        EXPECT_EQ(expected[i].width, f.width);
        EXPECT_EQ(expected[i].height, f.height);
    }
    RECT rc;
    m_picture.GetWindowRect(&rc);
    EXPECT_EQ(20, rc.right - rc.left);
    EXPECT_EQ(16, rc.bottom - rc.top);
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), m_picture.GetBkColor());
    EXPECT_FALSE(m_picture.HasThread());
}

// The animation walks the frames in order and never faster than their delays, and shows the
// frame it stopped on. The bounds are loose on purpose: a loaded machine may run the thread
// late, and the observer may miss a frame, so only the counted steps and their pace are pinned.
TEST_F(PictureExTest, AnimationAdvancesOnTheFrameDelaysAndStopsOnAShownFrame)
{
    ASSERT_TRUE(LoadBytes(GifFixture(16, 16).Frame(1, 20).Frame(2, 20).Frame(3, 20).Bytes()));
    EXPECT_FALSE(m_picture.Draw());   // an animation reports FALSE, a still picture TRUE
    EXPECT_TRUE(m_picture.HasThread());
    DWORD thread = m_picture.GetAnimationThreadId();
    EXPECT_NE(0u, thread);
    EXPECT_TRUE(WaitFor([&] { return m_picture.IsAnimating() != FALSE; }, 5000));

    int steps = 0, last = m_picture.GetCurrentFrame();
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000 && steps < 4) {
        PumpMessages(5);
        int now = m_picture.GetCurrentFrame();
        steps += (now - last + 3) % 3;
        last = now;
    }
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(steps, 4) << "the frame index did not advance";
    // Four 200 ms frames take at least 600 ms from the first change seen to the fourth.
    EXPECT_GE(elapsed + 50, DWORD(steps - 1) * 200u) << steps << " steps in " << elapsed << " ms";

    m_picture.Stop();
    EXPECT_FALSE(m_picture.HasThread());
    EXPECT_FALSE(m_picture.IsAnimating());
    EXPECT_TRUE(ThreadEnded(thread));
    int shown = m_picture.GetCurrentFrame();
    EXPECT_EQ(FrameColours[shown + 1], ShownPixel(8, 8)) << "frame " << shown;
}

TEST_F(PictureExTest, StopDuringALongDelayReturnsAtOnceAndRestartPlaysAgain)
{
    ASSERT_TRUE(LoadBytes(GifFixture(8, 8).Frame(1, 500).Frame(2, 500).Bytes()));
    m_picture.Draw();
    DWORD first = m_picture.GetAnimationThreadId();
    ASSERT_TRUE(WaitFor([&] { return m_picture.IsAnimating() != FALSE; }, 5000));
    PumpMessages(100);
    DWORD t0 = GetTickCount();
    m_picture.Stop();
    DWORD took = GetTickCount() - t0;
    EXPECT_LT(took, 2500u) << "Stop waited out the 5 s frame";
    EXPECT_FALSE(m_picture.HasThread());
    EXPECT_TRUE(ThreadEnded(first));
    EXPECT_EQ(0, m_picture.GetCurrentFrame());

    // Restart: a new thread picks up at the frame it stopped on and plays on.
    m_picture.Draw();
    EXPECT_TRUE(m_picture.HasThread());
    DWORD second = m_picture.GetAnimationThreadId();
    EXPECT_TRUE(WaitFor([&] { return m_picture.IsAnimating() != FALSE; }, 5000));
    EXPECT_FALSE(ThreadEnded(second));
    m_picture.UnLoad();
    EXPECT_FALSE(m_picture.HasThread());
    EXPECT_FALSE(m_picture.IsPrepared());
    EXPECT_EQ(0, m_picture.GetFrameCount());
    EXPECT_EQ(RGB(255, 255, 255), m_picture.GetBkColor());
    EXPECT_TRUE(ThreadEnded(second)) << "unloading left the thread running";
}

TEST_F(PictureExTest, SecondDrawWhileAnimatingStartsNoSecondThread)
{
    ASSERT_TRUE(LoadBytes(GifFixture(8, 8).Frame(1, 10).Frame(2, 10).Bytes()));
    std::vector<DWORD> before = OwnThreads();
    m_picture.Draw();
    DWORD thread = m_picture.GetAnimationThreadId();
    ASSERT_TRUE(WaitFor([&] { return m_picture.IsAnimating() != FALSE; }, 5000));
    m_picture.Draw();
    m_picture.Draw();
    EXPECT_EQ(thread, m_picture.GetAnimationThreadId());
    // Other threads of the process may come and go; none of the new ones may be a second
    // animation, which would still be running after the stop.
    std::vector<DWORD> added = NewThreads(before);
    m_picture.Stop();
    EXPECT_TRUE(ThreadEnded(thread));
    for (DWORD id : added) {
        if (id != thread) {
            EXPECT_TRUE(WaitFor([&] { return ThreadEnded(id); }, 3000)) << "thread " << id;
        }
    }
}

// A thread that does not answer within the stop's wait keeps everything it uses: the control
// keeps the handle (no second thread can start), unloading lets go without freeing the
// thread's frames, and the thread, once it runs again, ends cleanly on the standing request.
TEST_F(PictureExTest, TimedOutStopFreesNothingTheThreadUses)
{
    // Long frames, so the thread is suspended while it waits (never inside a system call that
    // holds a lock the test thread needs).
    ASSERT_TRUE(LoadBytes(GifFixture(8, 8).Frame(1, 300).Frame(2, 300).Bytes()));
    m_picture.Draw();
    DWORD id = m_picture.GetAnimationThreadId();
    ASSERT_TRUE(WaitFor([&] { return m_picture.IsAnimating() != FALSE; }, 5000));
    PumpMessages(150);
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | SYNCHRONIZE, FALSE, id);
    ASSERT_TRUE(thread != NULL);
    ASSERT_NE(DWORD(-1), SuspendThread(thread));

    DWORD t0 = GetTickCount();
    m_picture.Stop();
    EXPECT_GE(GetTickCount() - t0, 4500u);
    EXPECT_TRUE(m_picture.HasThread()) << "the handle of a running thread was closed";
    m_picture.Draw();
    EXPECT_EQ(id, m_picture.GetAnimationThreadId()) << "a second thread started";

    m_picture.UnLoad();
    EXPECT_FALSE(m_picture.HasThread());
    EXPECT_EQ(0, m_picture.GetFrameCount());
    // The control loads and plays again at once, with a canvas of its own.
    ASSERT_TRUE(LoadBytes(GifFixture(8, 8).Frame(2, 10).Frame(3, 10).Bytes()));
    EXPECT_EQ(2, m_picture.GetFrameCount());

    ResumeThread(thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000)) << "the thread did not end";
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(0u, code);
    CloseHandle(thread);
}

TEST_F(PictureExTest, DestroyingTheWindowStopsTheAnimation)
{
    ASSERT_TRUE(LoadBytes(GifFixture(8, 8).Frame(1, 300).Frame(2, 300).Bytes()));
    m_picture.Draw();
    DWORD thread = m_picture.GetAnimationThreadId();
    ASSERT_TRUE(WaitFor([&] { return m_picture.IsAnimating() != FALSE; }, 5000));
    m_picture.DestroyWindow();
    EXPECT_FALSE(m_picture.HasThread());
    EXPECT_TRUE(ThreadEnded(thread));
}

TEST_F(PictureExTest, StillPicturesDrawAtOnceWithoutAThread)
{
    // One GIF frame shows as a still picture.
    ASSERT_TRUE(LoadBytes(GifFixture(12, 10).Frame(2, 50).Bytes()));
    EXPECT_EQ(0, m_picture.GetFrameCount());
    EXPECT_TRUE(m_picture.Draw());
    EXPECT_FALSE(m_picture.HasThread());
    EXPECT_EQ(Blue, ShownPixel(5, 5));
    SIZE size = m_picture.GetSize();
    EXPECT_EQ(12, size.cx);
    EXPECT_EQ(10, size.cy);

    // Data that is not GIF goes to the system loader: a 16 x 10 green 24-bit BMP.
    std::vector<BYTE> bmp(54 + 16 * 10 * 3);
    BITMAPFILEHEADER* file = reinterpret_cast<BITMAPFILEHEADER*>(bmp.data());
    BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(bmp.data() + 14);
    file->bfType = 0x4D42;
    file->bfSize = DWORD(bmp.size());
    file->bfOffBits = 54;
    info->biSize = 40;
    info->biWidth = 16;
    info->biHeight = 10;
    info->biPlanes = 1;
    info->biBitCount = 24;
    for (size_t i = 54; i + 2 < bmp.size(); i += 3)
        bmp[i + 1] = 255;
    ASSERT_TRUE(LoadBytes(bmp));
    EXPECT_FALSE(m_picture.IsGIF());
    size = m_picture.GetSize();
    HDC screen = ::GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(NULL, screen);
    EXPECT_NEAR(16 * dpi / 96, size.cx, 1);
    EXPECT_NEAR(10 * dpi / 96, size.cy, 1);
    EXPECT_TRUE(m_picture.Draw());
    EXPECT_EQ(Green, ShownPixel(3, 3));
}

TEST_F(PictureExTest, MalformedGifsFailToLoadCleanly)
{
    std::vector<BYTE> good = GifFixture(8, 8).Frame(1, 10).Frame(2, 10).Frame(3, 10).Bytes();
    std::vector<BYTE> headerOnly(good.begin(), good.begin() + 25);
    std::vector<BYTE> zeroFrames = headerOnly;
    zeroFrames.push_back(0x3B);
    std::vector<BYTE> cutInFirst(good.begin(), good.begin() + 40);
    const struct {
        const char* name;
        std::vector<BYTE> data;
    } bad[] = {
        {"zero frames", zeroFrames},
        {"header only", headerOnly},
        {"cut inside the first frame", cutInFirst},
        {"GIF and garbage", {'G', 'I', 'F', 0x13, 0x37, 0x42}},
        {"not a picture at all", {'n', 'o', 'p', 'e', 0, 1, 2, 3, 4, 5, 6, 7}},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(LoadBytes(c.data));
        EXPECT_FALSE(m_picture.Draw());
        EXPECT_FALSE(m_picture.HasThread());
        EXPECT_EQ(0, m_picture.GetFrameCount());
    }
    // Cut inside the third frame: the two complete frames still play.
    std::vector<BYTE> cutInThird(good.begin(), good.end() - 6);
    ASSERT_TRUE(LoadBytes(cutInThird));
    EXPECT_EQ(2, m_picture.GetFrameCount());
}

// The program's own artwork: the busy spinner and the scan-row animation really animate.
TEST_F(PictureExTest, ProgramAnimationsHaveRealFramesAndDelays)
{
    const struct {
        UINT id;
        int size, frames, delay;
    } gifs[] = {{IDR_GIF_BUSY, 32, 8, 8}, {IDR_GIF_SCAN_ROW, 12, 8, 10}};
    for (const auto& g : gifs) {
        SCOPED_TRACE(g.id);
        ASSERT_TRUE(m_picture.Load(g.id, "GIF"));
        EXPECT_EQ(g.frames, m_picture.GetFrameCount());
        EXPECT_EQ(g.size, m_picture.GetSize().cx);
        EXPECT_EQ(g.size, m_picture.GetSize().cy);
        for (int i = 0; i < m_picture.GetFrameCount(); ++i) {
            PictureFrame f;
            ASSERT_TRUE(m_picture.GetFrame(i, &f));
            EXPECT_TRUE(f.picture != NULL);
            EXPECT_EQ(g.delay, f.delay);
        }
    }
    EXPECT_FALSE(m_picture.Load(4242, "GIF"));
}
