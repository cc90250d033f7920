// The junk clean's URL-history step, white-box from the engine's static library: the system's
// history object cannot clear anything under Wine, so a recorder takes its place through the
// clean's one factory and shows when, where and how often the clean asks it to.
#include <gtest/gtest.h>

#include <windows.h>
#include <urlhist.h>

#include <atomic>

#include "Engine/JunkCleaner.h"
#include "Engine/JunkScanTestSupport.h"
#include "Engine/SSEngineProcess.h"
#include "Support/HostSafety.h"

using namespace junktest;

namespace {

// What the clean did with the history object.
struct HistoryRecord {
    std::atomic<int> created{0};
    std::atomic<int> cleared{0};
    std::atomic<long> references{0};
    DWORD clearThread = 0;
    HRESULT comOnThread = E_FAIL;  // CoInitializeEx's answer on the clearing thread
    std::vector<std::string> callsBeforeClear;
    RecordingStatus* status = nullptr;
};
HistoryRecord* g_record = nullptr;

class RecordingUrlHistory final : public IUrlHistoryStg2 {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IUrlHistoryStg || iid == IID_IUrlHistoryStg2) {
            *out = static_cast<IUrlHistoryStg2*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++g_record->references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const long left = --g_record->references;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IOleCommandTarget*,
                                              IUnknown*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ClearHistory() override
    {
        ++g_record->cleared;
        g_record->clearThread = GetCurrentThreadId();
        // S_FALSE (or a different model) when the thread had COM already; S_OK when it had not.
        g_record->comOnThread = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(g_record->comOnThread))
            CoUninitialize();
        for (const StatusCall& c : g_record->status->Calls())
            g_record->callsBeforeClear.push_back(c.Describe());
        return S_OK;
    }
};

HRESULT CreateRecordingHistory(IUrlHistoryStg2** history)
{
    ++g_record->created;
    *history = new RecordingUrlHistory;
    (*history)->AddRef();
    return S_OK;
}

}  // namespace

TEST(JunkCleanUrlHistory, TheHistoryIsClearedOnceOnTheWorkerWithComBetweenItsTwoFolders)
{
    hostsafety::AssertSandboxedPrefix();
    HistoryRecord record;
    RecordingStatus status;
    record.status = &status;
    g_record = &record;
    const UrlHistoryFactory system = CreateUrlHistoryStore;
    CreateUrlHistoryStore = CreateRecordingHistory;

    auto* process = new CSSEngineProcess(CSSEngineProcess::FullConstruction);
    ASSERT_EQ(RunTask(process, status, TaskJunkClean,
                      [&] { return process->StartJunkClean(JunkIeHistory, &status); }), 1);
    for (int i = 0; i < 5000 && process->GetThreadHandle(); ++i)
        Sleep(1);
    delete process;
    CreateUrlHistoryStore = system;
    g_record = nullptr;

    EXPECT_EQ(record.created.load(), 1);
    EXPECT_EQ(record.cleared.load(), 1);
    EXPECT_EQ(record.references.load(), 0) << "the history object was not released";
    EXPECT_NE(record.clearThread, 0u);
    EXPECT_NE(record.clearThread, GetCurrentThreadId());
    EXPECT_TRUE(record.comOnThread == S_FALSE || record.comOnThread == RPC_E_CHANGED_MODE)
        << "COM was not initialised on the clearing thread (" << std::hex << record.comOnThread << ")";
    // The history folder first; the bit reports after the history and once more at its end.
    const std::string action =
        StatusCall{"OnStatusText", "Cleaning Internet Explorer Cache...", "Scanning", 0, 0, 0, 0}.Describe();
    std::vector<std::string> opening = {Animation(1, 1), Animation(1, 0), Animation(2, 1), action};
    EXPECT_EQ(record.callsBeforeClear, opening);
    // The result says whether a file in the history folder waits for the restart (the URL
    // cache may hold its index there); the test leaves that to the temporary-folder cases.
    std::vector<std::string> all;
    int results = 0;
    for (const StatusCall& c : status.Calls()) {
        if (c.slot == "OnResult") {
            ++results;
            all.push_back(Result(0));
        } else {
            all.push_back(c.Describe());
        }
    }
    EXPECT_EQ(results, 1);
    std::vector<std::string> expected = opening;
    expected.insert(expected.end(), {JunkItem(JunkIeHistory, 0, ""), JunkItem(JunkIeHistory, 0, ""), Animation(2, 0)});
    for (int group = 3; group <= 5; ++group)
        expected.insert(expected.end(), {Animation(group, 1), Animation(group, 0)});
    expected.insert(expected.end(), {Result(0), Finished(10), EndText(), Finished(10)});
    EXPECT_EQ(all, expected);
}
