// The engine's entry, factory and process object, driven through Tarnex.dll's exports and the
// abstract slots exactly as the program drives them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Support/EngineTestSupport.h"

namespace {

std::vector<std::string> Describe(const std::vector<StatusCall>& calls)
{
    std::vector<std::string> out;
    for (const StatusCall& c : calls)
        out.push_back(c.Describe());
    return out;
}

std::string StatusText(const char* text, const char* stage)
{
    return StatusCall{"OnStatusText", text, stage, 0, 0, 0, 0}.Describe();
}
std::string Progress(int code) { return StatusCall{"OnProgress", "", "", code, 0, 0, 0}.Describe(); }
std::string Finished(int code) { return StatusCall{"OnTaskFinished", "", "", code, 0, 0, 0}.Describe(); }

// A status-ping task on `status` is held in its progress call: `inTask` is set once the worker is
// there, and the worker goes on when `release` is set (at the latest when this ends).
struct HeldPingTask {
    explicit HeldPingTask(RecordingStatus& status)
        : inTask(CreateEventA(nullptr, TRUE, FALSE, nullptr)), release(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        status.onProgress = [this](int) {
            SetEvent(inTask);
            WaitForSingleObject(release, 10000);
        };
        status.ExpectFinal(TaskStatusPing);
    }
    ~HeldPingTask()
    {
        SetEvent(release);
        CloseHandle(inTask);
        CloseHandle(release);
    }
    HeldPingTask(const HeldPingTask&) = delete;
    HeldPingTask& operator=(const HeldPingTask&) = delete;

    HANDLE inTask;
    HANDLE release;
};

}  // namespace

TEST(EngineEntry, ExportsResolveByNameAndOrdinal)
{
    HMODULE module = EngineLibrary::Get().Module();
    ASSERT_NE(module, nullptr);
    const char* names[] = {"End", "Mid", "Start"};
    for (int ordinal = 1; ordinal <= 3; ++ordinal) {
        FARPROC byName = GetProcAddress(module, names[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(byName, GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) << names[ordinal - 1];
    }
}

TEST(EngineEntry, FactoryCreatesAndDeletesEveryObject)
{
    HMODULE module = EngineLibrary::Get().Module();
    auto start = EngineLibrary::Get().StartFunction();
    auto mid = GetProcAddressAs<EngineEndFunction>(module, "Mid");
    auto end = GetProcAddressAs<EngineEndFunction>(module, "End");
    ASSERT_TRUE(start && mid && end);
    mid(nullptr);
    end(nullptr);

    CAbstractSSEngineInterface* a = start();
    CAbstractSSEngineInterface* b = start();
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);

    // Null is ignored by every delete slot.
    a->DeleteProcess(nullptr);
    a->DeleteSystemHistory(nullptr);
    a->DeleteServices(nullptr);
    a->DeleteNetSettings(nullptr);

    // What one interface made, another may delete: the interface keeps no state.
    CAbstractProcess* full = a->NewProcess();
    CAbstractProcess* light = a->NewLightProcess();
    CAbstractSystemHistory* history = a->NewSystemHistory();
    CAbstractServices* services = a->NewServices();
    CAbstractNetSettings* net = a->NewNetSettings();
    ASSERT_TRUE(full && light && history && services && net);
    EXPECT_EQ(full->GetTaskType(), 0);
    EXPECT_EQ(full->GetThreadHandle(), nullptr);
    EXPECT_EQ(light->IsBusy(), 0);
    // A fresh store has no document to read from.
    ServiceItem item;
    EXPECT_EQ(services->GetFirstItem(&item), 0);
    b->DeleteProcess(full);
    b->DeleteProcess(light);
    b->DeleteSystemHistory(history);
    b->DeleteServices(services);
    b->DeleteNetSettings(net);

    // Deleting an interface deletes nothing else.
    CAbstractProcess* survivor = a->NewLightProcess();
    mid(a);
    ASSERT_NE(survivor, nullptr);
    EXPECT_EQ(survivor->IsBusy(), 0);
    b->DeleteProcess(survivor);
    end(b);
}

// The end sequence of every task that is built into the runner: the exact calls in order, all on
// the worker thread, with the busy flag raised during the task and already 0 at OnTaskFinished.
struct EndSequenceCase {
    const char* name;
    int taskType;
    std::function<int(CAbstractProcess*, CAbstractStatus*)> start;
    std::vector<std::string> expected;
};


TEST(EngineTasks, EndSequencesAreExactAndOnTheWorkerThread)
{
    const EndSequenceCase cases[] = {
        {"update text", TaskUpdateText,
         [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartUpdateTask(1, 2, 3, 4, 5, s); },
         {StatusText("Checking For Updates\r\n", "Scanning"), StatusText("", "Scanning"), Finished(6)}},
        {"probe", TaskTempFileProbe,
         [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartProbe(s); },
         {Finished(1), StatusText("", "Scanning"), Finished(7)}},
        {"status ping", TaskStatusPing,
         [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartNotifyTask(s); },
         {Progress(4), StatusText("", "Scanning"), Finished(11)}},
    };
    for (const EndSequenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        EngineProcess process;
        RecordingStatus status(process.Get());
        status.ExpectFinal(c.taskType);
        ASSERT_EQ(c.start(process.Get(), &status), 1);
        // Nothing runs, and nothing is busy, until the worker is resumed.
        EXPECT_EQ(process->IsBusy(), 0);
        EXPECT_NE(process->GetThreadHandle(), nullptr);
        EXPECT_EQ(process->GetTaskType(), c.taskType);
        HANDLE worker = nullptr;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), process->GetThreadHandle(), GetCurrentProcess(),
                                    &worker, 0, FALSE, DUPLICATE_SAME_ACCESS));
        Sleep(20);
        EXPECT_TRUE(status.Calls().empty());

        ASSERT_EQ(process->ResumeTask(), 1);
        ASSERT_TRUE(status.WaitFinished());
        ASSERT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0);
        DWORD exitCode = 99;
        GetExitCodeThread(worker, &exitCode);
        CloseHandle(worker);
        EXPECT_EQ(exitCode, 1u);

        std::vector<StatusCall> calls = status.Calls();
        EXPECT_EQ(Describe(calls), c.expected);
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].threadId, process->GetThreadId()) << i;
            EXPECT_NE(calls[i].threadId, GetCurrentThreadId()) << i;
            bool last = i + 1 == calls.size();
            EXPECT_EQ(calls[i].busy, last ? 0 : 1) << calls[i].Describe();
        }
        EXPECT_EQ(process->IsBusy(), 0);
        EXPECT_EQ(process->GetTaskType(), c.taskType);
    }
}

TEST(EngineTasks, StartWhileAWorkerExistsIsRefusedAndKeepsTheRunningTask)
{
    EngineProcess process;
    RecordingStatus first(process.Get()), second(process.Get());
    first.ExpectFinal(TaskStatusPing);
    ASSERT_EQ(process->StartNotifyTask(&first), 1);
    HANDLE worker = process->GetThreadHandle();
    DWORD workerId = process->GetThreadId();

    EXPECT_EQ(process->StartUpdateTask(0, 0, 0, 0, 0, &second), -1);
    EXPECT_EQ(process->StartJunkScan(JunkScanAllMask, &second), -1);
    ShortcutFolderMap folders;
    folders["C:\\somewhere"] = 1;
    EXPECT_EQ(process->StartRegistryScan(&folders, RegScanAllMask, &second, 0), -1);
    EXPECT_EQ(process->GetTaskType(), TaskStatusPing);
    EXPECT_EQ(process->GetThreadHandle(), worker);
    EXPECT_EQ(process->GetThreadId(), workerId);

    ASSERT_EQ(process->ResumeTask(), 1);
    ASSERT_TRUE(first.WaitFinished());
    EXPECT_EQ(Describe(first.Calls()), (std::vector<std::string>{Progress(4), StatusText("", "Scanning"), Finished(11)}));
    EXPECT_TRUE(second.Calls().empty());
}

TEST(EngineTasks, MissingArgumentsAreRefusedWithoutAWorker)
{
    EngineProcess process;
    RecordingStatus status;
    ShortcutFolderMap folders;
    CAbstractStatus* s = &status;
    // Never called: a start with a missing argument must refuse before it touches the list.
    CAbstractScanItemsInfo* items = reinterpret_cast<CAbstractScanItemsInfo*>(&folders);
    const struct {
        const char* slot;
        std::function<int()> call;
        int expected;
    } cases[] = {
        {"StartRegistryBackup(null file)", [&] { return process->StartRegistryBackup(nullptr, s); }, -1},
        {"StartRegistryBackup(null status)", [&] { return process->StartRegistryBackup("x.rbk", nullptr); }, -1},
        {"StartRegistryRestore(null file)", [&] { return process->StartRegistryRestore(nullptr, s); }, -1},
        {"StartRegistryRestore(empty file)", [&] { return process->StartRegistryRestore("", s); }, -1},
        {"StartRegistryRestore(null status)", [&] { return process->StartRegistryRestore("x.rbk", nullptr); }, -1},
        {"StartRegistryScan", [&] { return process->StartRegistryScan(&folders, RegScanAllMask, nullptr, 0); }, -1},
        {"StartRegistryRepair(null list)", [&] { return process->StartRegistryRepair(nullptr, s, 1); }, -1},
        {"StartRegistryRepair(null status)", [&] { return process->StartRegistryRepair(items, nullptr, 1); }, -1},
        {"StartUpdateTask", [&] { return process->StartUpdateTask(0, 0, 0, 0, 0, nullptr); }, -1},
        {"StartProbe", [&] { return process->StartProbe(nullptr); }, -1},
        {"StartRegistryDefrag", [&] { return process->StartRegistryDefrag(0, nullptr); }, -1},
        {"StartJunkScan", [&] { return process->StartJunkScan(JunkScanAllMask, nullptr); }, 0},
        {"StartJunkClean", [&] { return process->StartJunkClean(JunkScanAllMask, nullptr); }, 0},
        {"StartNotifyTask", [&] { return process->StartNotifyTask(nullptr); }, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.call(), c.expected) << c.slot;
        EXPECT_EQ(process->GetThreadHandle(), nullptr) << c.slot;
        EXPECT_EQ(process->GetTaskType(), 0) << c.slot;
    }
    // Resuming with no worker fails harmlessly, as the program's unconditional resume expects.
    EXPECT_EQ(process->ResumeTask(), 0);
    EXPECT_TRUE(status.Calls().empty());
}

TEST(EngineTasks, TwoProcessObjectsRunIndependently)
{
    EngineProcess one, two;
    RecordingStatus s1(one.Get()), s2(two.Get());
    s1.ExpectFinal(TaskStatusPing);
    s2.ExpectFinal(TaskStatusPing);
    ASSERT_EQ(one->StartNotifyTask(&s1), 1);
    ASSERT_EQ(two->StartNotifyTask(&s2), 1);
    EXPECT_NE(one->GetThreadId(), two->GetThreadId());
    ASSERT_EQ(two->ResumeTask(), 1);
    ASSERT_TRUE(s2.WaitFinished());
    EXPECT_TRUE(s1.Calls().empty());
    ASSERT_EQ(one->ResumeTask(), 1);
    ASSERT_TRUE(s1.WaitFinished());
    const std::vector<std::string> expected = {Progress(4), StatusText("", "Scanning"), Finished(11)};
    EXPECT_EQ(Describe(s1.Calls()), expected);
    EXPECT_EQ(Describe(s2.Calls()), expected);
}

// The program starts its next phase from a message that OnTaskFinished posted. That start comes
// while the finished worker may still be handing over its handle, and must be accepted.
TEST(EngineTasks, StartFromPostedFinishMessageIsAccepted)
{
    EngineProcess process;
    RecordingStatus status(process.Get());
    const DWORD mainThread = GetCurrentThreadId();
    const UINT WM_TASK_DONE = WM_APP + 1;
    int insideStart = 0;
    status.onFinished = [&](int code) {
        // A start from the worker itself, inside its own OnTaskFinished, is still refused.
        insideStart = process->StartNotifyTask(&status);
        PostThreadMessageA(mainThread, WM_TASK_DONE, code, 0);
    };
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make sure the thread has a queue

    const int rounds = 30;
    int accepted = 0;
    ASSERT_EQ(process->StartNotifyTask(&status), 1);
    process->ResumeTask();
    for (int round = 0; round < rounds; ++round) {
        DWORD deadline = GetTickCount() + 10000;
        bool got = false;
        while (!got && GetTickCount() < deadline) {
            if (PeekMessageA(&msg, nullptr, WM_TASK_DONE, WM_TASK_DONE, PM_REMOVE))
                got = true;
            else
                Sleep(0);
        }
        ASSERT_TRUE(got) << "round " << round;
        EXPECT_EQ(insideStart, -1) << "round " << round;
        if (round + 1 == rounds)
            break;
        int r = round % 2 ? process->StartNotifyTask(&status) : process->StartUpdateTask(0, 0, 0, 0, 0, &status);
        EXPECT_EQ(r, 1) << "round " << round;
        if (r == 1) {
            ++accepted;
            process->ResumeTask();
        }
    }
    EXPECT_EQ(accepted, rounds - 1);
    EXPECT_EQ(status.CallsOf("OnTaskFinished").size(), static_cast<size_t>(rounds));
}

// Stop clears the busy flag at once; the task still ends with its one end sequence.
// Hashing during a task leaves the task's busy flag alone.
TEST(EngineTasks, StopAndHashingDuringATask)
{
    EngineProcess process;
    RecordingStatus status(process.Get());
    HeldPingTask held(status);
    ASSERT_EQ(process->StartNotifyTask(&status), 1);
    process->ResumeTask();
    ASSERT_EQ(WaitForSingleObject(held.inTask, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(process->IsBusy(), 1);

    CString text("abc"), digest;
    EXPECT_EQ(process->HashString(&text, &digest), 1);
    EXPECT_STREQ(digest.GetString(), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(process->IsBusy(), 1) << "hashing must not end the running task";

    EXPECT_EQ(process->Stop(0), 1);
    EXPECT_EQ(process->IsBusy(), 1);
    EXPECT_EQ(process->Stop(1), 1);
    EXPECT_EQ(process->IsBusy(), 0);
    // Hashing must not raise the flag of a stopped task again.
    EXPECT_EQ(process->HashString(&text, &digest), 1);
    EXPECT_EQ(process->IsBusy(), 0);
    SetEvent(held.release);
    ASSERT_TRUE(status.WaitFinished());
    EXPECT_EQ(status.CallsOf("OnTaskFinished").size(), 1u);
    EXPECT_EQ(status.CallsOf("OnStatusText").size(), 1u);
}

namespace {
DWORD WINAPI ReleaseSoon(void* event)
{
    Sleep(10);
    SetEvent(static_cast<HANDLE>(event));
    return 0;
}
}  // namespace

// A task that ends while HashString works leaves the object idle: the flag the task lowered is
// not put back to the value it had when hashing began.
TEST(EngineTasks, TaskEndingDuringHashingLeavesTheObjectIdle)
{
    EngineProcess process;
    RecordingStatus status(process.Get());
    HeldPingTask held(status);
    ASSERT_EQ(process->StartNotifyTask(&status), 1);
    process->ResumeTask();
    ASSERT_EQ(WaitForSingleObject(held.inTask, 10000), WAIT_OBJECT_0);
    ASSERT_EQ(process->IsBusy(), 1);

    // The task is let go shortly after hashing of a long text has begun.
    CString text('m', 64 * 1024 * 1024), digest;
    HANDLE releaser = CreateThread(nullptr, 0, ReleaseSoon, held.release, 0, nullptr);
    ASSERT_NE(releaser, nullptr);
    EXPECT_EQ(process->HashString(&text, &digest), 1);
    EXPECT_EQ(digest.GetLength(), 32);
    ASSERT_TRUE(status.WaitFinished());
    for (int i = 0; i < 2000 && process->GetThreadHandle(); ++i)
        Sleep(1);
    EXPECT_EQ(process->GetThreadHandle(), nullptr);
    EXPECT_EQ(process->IsBusy(), 0);
    WaitForSingleObject(releaser, 10000);
    CloseHandle(releaser);
}

// TerminateCleaning acts on a junk clean only: it ends the worker without an end sequence,
// closes the worker's handle and lets the next start in.
TEST(EngineTasks, TerminateCleaningEndsOnlyAJunkClean)
{
    EngineProcess process;
    RecordingStatus other(process.Get());
    other.ExpectFinal(TaskStatusPing);
    ASSERT_EQ(process->StartNotifyTask(&other), 1);
    HANDLE ping = process->GetThreadHandle();
    EXPECT_EQ(process->TerminateCleaning(), 1);
    EXPECT_EQ(process->GetThreadHandle(), ping) << "not a junk clean: left alone";
    ASSERT_EQ(process->ResumeTask(), 1);
    ASSERT_TRUE(other.WaitFinished());
    for (int i = 0; i < 2000 && process->GetThreadHandle(); ++i)
        Sleep(1);

    RecordingStatus clean(process.Get());
    ASSERT_EQ(process->StartJunkClean(0, &clean), 1);  // suspended: it never gets to run
    HANDLE worker = process->GetThreadHandle();
    ASSERT_NE(worker, nullptr);
    HANDLE watch = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), worker, GetCurrentProcess(), &watch, SYNCHRONIZE,
                                FALSE, 0));
    EXPECT_EQ(process->TerminateCleaning(), 1);
    EXPECT_EQ(process->GetThreadHandle(), nullptr);
    EXPECT_EQ(process->IsBusy(), 0);
    EXPECT_EQ(WaitForSingleObject(watch, 5000), WAIT_OBJECT_0) << "the worker has ended";
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(worker, &flags)) << "the dropped handle is closed";
    CloseHandle(watch);
    EXPECT_TRUE(clean.Calls().empty());

    RecordingStatus next(process.Get());
    ASSERT_EQ(RunTask(process.Get(), next, TaskStatusPing, [&] { return process->StartNotifyTask(&next); }), 1);
    EXPECT_EQ(next.CallsOf("OnTaskFinished").size(), 1u);
}

TEST(EngineTasks, SmallSlots)
{
    EngineProcess process;
    CString out("unchanged");
    CString id = process->GetInvalidId(&out);
    EXPECT_STREQ(out.GetString(), "-1");
    EXPECT_STREQ(id.GetString(), "-1");
    EXPECT_EQ(process->ReservedSlot9(5), 0);
    EXPECT_EQ(process->ReservedSlot18(CString("x"), 5), 0);
    // No worker yet: no events to wait on or signal, nothing to terminate.
    EXPECT_EQ(process->WaitOrSignal(0), 0);
    EXPECT_EQ(process->TerminateCleaning(), 1);

    RecordingStatus status(process.Get());
    ASSERT_EQ(RunTask(process.Get(), status, TaskStatusPing, [&] { return process->StartNotifyTask(&status); }), 1);
    // The worker's event survives it: signalling then waiting returns at once.
    EXPECT_EQ(process->WaitOrSignal(0), 1);
    EXPECT_EQ(process->WaitOrSignal(1), 1);
}

namespace {
std::multiset<std::string> FolderNames(const std::string& folder)
{
    std::multiset<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do
            names.insert(data.cFileName);
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return names;
}

// Points this process's temporary folder at a folder of its own, so tests running in parallel
// in the same prefix can't change what the probe test sees.
struct PrivateTempFolder {
    PrivateTempFolder()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "velmora-probe-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        SetEnvironmentVariableA("TMP", folder.c_str());
        SetEnvironmentVariableA("TEMP", folder.c_str());
        // Something already there, which the probe must leave alone too.
        HANDLE f = CreateFileA((folder + "keep.tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(f);
    }
    ~PrivateTempFolder()
    {
        DeleteFileA((folder + "keep.tmp").c_str());
        RemoveDirectoryA(folder.c_str());
    }
    std::string folder;
};
}  // namespace

TEST(EngineTasks, TemporaryFileProbeLeavesTheTempFolderAsItWas)
{
    PrivateTempFolder temp;
    char seen[MAX_PATH];
    GetTempPathA(MAX_PATH, seen);
    ASSERT_EQ(std::string(seen), temp.folder);
    const std::multiset<std::string> before = FolderNames(temp.folder);
    ASSERT_EQ(before.count("keep.tmp"), 1u);
    {
        EngineProcess process;  // the full constructor runs the probe
        EXPECT_EQ(FolderNames(temp.folder), before);
        RecordingStatus status(process.Get());
        ASSERT_EQ(RunTask(process.Get(), status, TaskTempFileProbe, [&] { return process->StartProbe(&status); }), 1);
        EXPECT_EQ(FolderNames(temp.folder), before);
    }
}
