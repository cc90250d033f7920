// junk_task.exe: runs one junk scan or junk clean through Tarnex.dll, as the program does, and
// prints every status call on a line of its own, in the order the engine makes them.
//   junk_task.exe scan|clean <mask>      (the mask in decimal or as 0x...)
// The clean deletes what it finds: run it in a prefix of its own (scripts/wine-exec
// --own-prefix <build> <build>/tests/junk_task.exe clean 0x1).
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Engine/Interfaces/EngineInterfaces.h"

namespace {

// Prints each call at once; texts in double quotes, bits in hex.
class PrintingStatus : public CAbstractStatus {
public:
    PrintingStatus() : finished(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~PrintingStatus() override { CloseHandle(finished); }

    void OnStatusText(const char* text, const char* stage) override
    {
        Print("OnStatusText(\"%s\", \"%s\")\n", Text(text), Text(stage));
        m_runnerEnd = text && !*text;
    }
    void OnProgress(int code) override { Print("OnProgress(%d)\n", code); }
    void OnItemFound(const char* text, DWORD category, int a, int b) override
    {
        Print("OnItemFound(\"%s\", %lu, %d, %d)\n", Text(text), static_cast<unsigned long>(category), a, b);
    }
    void OnJunkItem(DWORD category, DWORD low, DWORD high, int a, int b, const char* text) override
    {
        Print("OnJunkItem(0x%lx, %lu, %lu, %d, %d, \"%s\")\n", static_cast<unsigned long>(category),
              static_cast<unsigned long>(low), static_cast<unsigned long>(high), a, b, Text(text));
    }
    int OnTaskFinished(int code) override
    {
        // The task runner's own end comes last: its empty text, then this call.
        const bool runnerEnd = m_runnerEnd;
        Print("OnTaskFinished(%d)\n", code);
        if (runnerEnd)
            SetEvent(finished);
        return 0;
    }
    int OnResult(int code) override
    {
        Print("OnResult(%d)\n", code);
        return 0;
    }

    HANDLE finished;

private:
    static const char* Text(const char* text) { return text ? text : "(null)"; }
    void Print(const char* format, ...) __attribute__((format(ms_printf, 2, 3)))
    {
        m_runnerEnd = false;
        va_list args;
        va_start(args, format);
        vprintf(format, args);
        va_end(args);
        fflush(stdout);
    }
    bool m_runnerEnd = false;
};

int Usage()
{
    fprintf(stderr, "usage: junk_task.exe scan|clean <mask>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return Usage();
    const bool clean = strcmp(argv[1], "clean") == 0;
    if (!clean && strcmp(argv[1], "scan") != 0)
        return Usage();
    char* end = nullptr;
    const unsigned long mask = strtoul(argv[2], &end, 0);
    if (!*argv[2] || *end)
        return Usage();

    CoInitialize(nullptr);
    HMODULE engine = LoadLibraryA(ENGINE_MODULE_NAME);
    auto start = engine ? reinterpret_cast<EngineStartFunction>(reinterpret_cast<void*>(GetProcAddress(engine, "Start")))
                        : nullptr;
    CAbstractSSEngineInterface* factory = start ? start() : nullptr;
    CAbstractProcess* process = factory ? factory->NewProcess() : nullptr;
    if (!process) {
        fprintf(stderr, "junk_task: %s could not be loaded\n", ENGINE_MODULE_NAME);
        return 2;
    }
    PrintingStatus status;
    const int started = clean ? process->StartJunkClean(mask, &status) : process->StartJunkScan(mask, &status);
    if (started != 1 || !process->ResumeTask()) {
        fprintf(stderr, "junk_task: the task did not start\n");
        return 1;
    }
    if (WaitForSingleObject(status.finished, 600000) != WAIT_OBJECT_0) {
        fprintf(stderr, "junk_task: the task did not end\n");
        return 1;
    }
    for (int i = 0; i < 5000 && process->GetThreadHandle(); ++i)
        Sleep(1);
    factory->DeleteProcess(process);
    return 0;
}
