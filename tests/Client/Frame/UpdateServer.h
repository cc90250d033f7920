// The update tests' stand-in for the maker's server: plain HTTP on 127.0.0.1 in a thread of the
// test, one request per connection. It answers the check (any /<folder>/kavrenup.php) with the
// body it was given and /installer-*.exe with that file of its folder, as its download mode
// says, and records every request line and User-Agent.
#ifndef VELMORA_TESTS_FRAME_UPDATE_SERVER_H
#define VELMORA_TESTS_FRAME_UPDATE_SERVER_H

#include <winsock2.h>
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class UpdateServer {
public:
    enum DownloadMode {
        WholeBody,          // Content-Length and every byte
        ShortBody,          // Content-Length of the file, one byte less, then the end
        NoContentLength,    // the bytes without a length, ended by closing the connection
    };
    struct Request {
        std::string line;        // "GET /... HTTP/1.1"
        std::string userAgent;
    };

    // files: the folder (with its trailing "\") the installers are read from.
    explicit UpdateServer(const std::string& files) : m_files(files) {}
    ~UpdateServer() { Stop(); }

    // Listens on the port; another run may hold it for a while, so this waits for it up to
    // waitMs. False when it never became free.
    bool Start(unsigned short port, DWORD waitMs = 120000);
    void Stop();

    void SetAnswer(const std::string& body);
    void SetDownloadMode(DownloadMode mode);
    std::vector<Request> Requests();

private:
    void Serve();
    void Answer(SOCKET client);

    std::string m_files;
    SOCKET m_listener = INVALID_SOCKET;
    std::thread m_thread;
    std::mutex m_lock;
    std::string m_answer;
    DownloadMode m_mode = WholeBody;
    std::vector<Request> m_requests;
};

#endif
