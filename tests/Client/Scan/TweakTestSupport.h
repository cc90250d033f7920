// Test support for the tweak model: a window that records the scans' messages, a scripted ping
// in place of the system's, and registry reads and writes in either view.
#ifndef VELMORA_TESTS_TWEAK_TEST_SUPPORT_H
#define VELMORA_TESTS_TWEAK_TEST_SUPPORT_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Scan/NetworkPing.h"
#include "Scan/TweakScanMessages.h"
#include "Support/ProgramBitness.h"

// The view the program's own keys are in (it opens them without a view flag): the 32-bit one
// for the 32-bit program on 64-bit Windows, the 64-bit one for the 64-bit build.
const REGSAM ProgramView = kThirtyTwoBitProgram ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

// --- the recording window -------------------------------------------------------------------

struct RecordedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool hasText;
    std::string text;
};

class ScanRecorder {
public:
    ScanRecorder()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &ScanRecorder::WindowProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "VelmoraTweakScanRecorder";
        RegisterClassA(&windowClass);
        m_window = CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                 windowClass.hInstance, NULL);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ScanRecorder() { DestroyWindow(m_window); }
    ScanRecorder(const ScanRecorder&) = delete;
    ScanRecorder& operator=(const ScanRecorder&) = delete;

    HWND Window() const { return m_window; }
    const std::vector<RecordedMessage>& Messages() const { return m_messages; }
    void Clear() { m_messages.clear(); }

    // Dispatches this thread's messages until one with that number was recorded (true) or the
    // time ran out (false).
    bool PumpUntil(UINT message, DWORD timeoutMs = 60000)
    {
        DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            for (const RecordedMessage& recorded : m_messages)
                if (recorded.message == message)
                    return true;
            if (GetTickCount() - start > timeoutMs)
                return false;
            MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
        }
    }
    // Dispatches what is queued now.
    void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }

    // The texts of the probe status messages (wParam 0), in order.
    std::vector<std::string> ProbeTexts() const
    {
        std::vector<std::string> texts;
        for (const RecordedMessage& m : m_messages)
            if (m.message == WM_INET_SCAN_STATUS && m.wParam == 0 && m.hasText)
                texts.push_back(m.text);
        return texts;
    }

private:
    HWND m_window;
    std::vector<RecordedMessage> m_messages;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        ScanRecorder* self =
            reinterpret_cast<ScanRecorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        switch (message) {
        case WM_INET_SCAN_STATUS:
        case WM_INET_SCAN_RESULT:
        case WM_INETSCAN_DONE:
        case WM_SYS_SCAN_STATUS:
        case WM_SYS_SCAN_RESULT:
        case WM_SYSSCAN_DONE:
            if (self) {
                RecordedMessage recorded{message, wParam, lParam, false, std::string()};
                // Only the status messages carry texts.
                if ((message == WM_INET_SCAN_STATUS || message == WM_SYS_SCAN_STATUS) && lParam) {
                    recorded.hasText = true;
                    recorded.text = reinterpret_cast<const char*>(lParam);
                }
                self->m_messages.push_back(recorded);
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

// --- the scripted ping ------------------------------------------------------------------------

struct PingReply {
    int result;          // 1 the transport answered, 0 it failed
    int status;          // the ping's status when it answered; -1 leaves the caller's value
    int responseTime;
    const char* error;   // the failure's text
};

// The rule answers each ping from its payload size (-1 for none) and the call's number (0 for the
// first); the script records what was sent.
struct PingScript {
    std::function<PingReply(int size, int call)> rule;
    std::vector<int> sizes;
    std::vector<std::string> addresses;
};

inline PingScript*& CurrentPingScript()
{
    static PingScript* script = nullptr;
    return script;
}

inline int ScriptedPing(const char* address, CString& errorText, int bufferSize, int* statusCode,
                        int* responseTime)
{
    PingScript* script = CurrentPingScript();
    *responseTime = -1;
    int call = static_cast<int>(script->sizes.size());
    script->sizes.push_back(bufferSize);
    script->addresses.push_back(address);
    PingReply reply = script->rule(bufferSize, call);
    if (!reply.result) {
        errorText = reply.error;
        return 0;
    }
    if (reply.status != -1)
        *statusCode = reply.status;
    if (reply.status == 0)
        *responseTime = reply.responseTime;
    return 1;
}

// Puts a script in place of the system's ping for the life of this object.
class ScriptedPingInPlace {
public:
    explicit ScriptedPingInPlace(PingScript& script)
    {
        CurrentPingScript() = &script;
        m_previous = SetPingFunction(&ScriptedPing);
    }
    ~ScriptedPingInPlace()
    {
        SetPingFunction(m_previous);
        CurrentPingScript() = nullptr;
    }
    ScriptedPingInPlace(const ScriptedPingInPlace&) = delete;
    ScriptedPingInPlace& operator=(const ScriptedPingInPlace&) = delete;

private:
    PingFunction m_previous;
};

// Every payload up to maxPass passes, larger ones are too big; latency pings answer in 10 ms.
inline std::function<PingReply(int, int)> PathPassingUpTo(int maxPass)
{
    return [maxPass](int size, int) {
        if (size == -1)
            return PingReply{1, 0, 10, ""};
        return size <= maxPass ? PingReply{1, 0, 1, ""} : PingReply{1, 11009, 0, ""};
    };
}

// --- registry ---------------------------------------------------------------------------------

// A value as the registry holds it; type REG_NONE for a missing value or key.
struct StoredValue {
    DWORD type = REG_NONE;
    std::string data;
    bool operator==(const StoredValue& o) const { return type == o.type && data == o.data; }
};

inline StoredValue ReadStored(HKEY root, const std::string& path, const char* name, REGSAM view)
{
    StoredValue value;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return value;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, NULL, &type, NULL, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        RegQueryValueExA(key, name, NULL, &type,
                         reinterpret_cast<BYTE*>(value.data.empty() ? nullptr : &value.data[0]),
                         &size);
        value.data.resize(size);
        value.type = type;
    }
    RegCloseKey(key);
    return value;
}

inline bool KeyExists(HKEY root, const std::string& path, REGSAM view)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline bool WriteStored(HKEY root, const std::string& path, const char* name, REGSAM view,
                        DWORD type, const std::string& data)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS | view, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

inline StoredValue Dword(DWORD value)
{
    return StoredValue{REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

// A REG_SZ with its terminating zero.
inline StoredValue Text(const std::string& text)
{
    return StoredValue{REG_SZ, text + std::string(1, '\0')};
}

inline bool WriteStored(HKEY root, const std::string& path, const char* name, REGSAM view,
                        const StoredValue& value)
{
    return WriteStored(root, path, name, view, value.type, value.data);
}

inline void DeleteStored(HKEY root, const std::string& path, const char* name, REGSAM view)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

#endif
