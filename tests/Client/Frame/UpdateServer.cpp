// The update tests' HTTP server.
#include "UpdateServer.h"

#include <ws2tcpip.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

void SendAll(SOCKET client, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        int n = send(client, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0)
            return;
        sent += static_cast<size_t>(n);
    }
}

// The header's value, or "".
std::string HeaderValue(const std::string& head, const std::string& name)
{
    std::istringstream lines(head);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > name.size() && _strnicmp(line.c_str(), name.c_str(), name.size()) == 0 &&
            line[name.size()] == ':') {
            size_t value = line.find_first_not_of(' ', name.size() + 1);
            return value == std::string::npos ? std::string() : line.substr(value);
        }
    }
    return std::string();
}

bool IsCheckPath(const std::string& path)
{
    // /<ten digits>/kavrenup.php?...
    if (path.size() < 12 || path[0] != '/' || path[11] != '/')
        return false;
    for (int i = 1; i <= 10; ++i)
        if (path[i] < '0' || path[i] > '9')
            return false;
    return path.compare(12, 13, "kavrenup.php?") == 0;
}

}  // namespace

bool UpdateServer::Start(unsigned short port, DWORD waitMs)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    DWORD start = GetTickCount();
    for (;;) {
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        BOOL exclusive = TRUE;
        setsockopt(m_listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                   sizeof exclusive);
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(m_listener, 16) == 0)
            break;
        closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        if (GetTickCount() - start >= waitMs)
            return false;
        Sleep(250);
    }
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void UpdateServer::Stop()
{
    if (m_listener != INVALID_SOCKET) {
        closesocket(m_listener);
        m_listener = INVALID_SOCKET;
    }
    if (m_thread.joinable())
        m_thread.join();
}

void UpdateServer::SetAnswer(const std::string& body)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_answer = body;
}

void UpdateServer::SetDownloadMode(DownloadMode mode)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_mode = mode;
}

std::vector<UpdateServer::Request> UpdateServer::Requests()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_requests;
}

void UpdateServer::Serve()
{
    for (;;) {
        SOCKET client = accept(m_listener, NULL, NULL);
        if (client == INVALID_SOCKET)
            return;   // closed by Stop
        Answer(client);
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}

void UpdateServer::Answer(SOCKET client)
{
    std::string head;
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        head.append(buffer, static_cast<size_t>(n));
    }
    Request request;
    request.line = head.substr(0, head.find("\r\n"));
    request.userAgent = HeaderValue(head, "User-Agent");
    std::string answer;
    DownloadMode mode;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_requests.push_back(request);
        answer = m_answer;
        mode = m_mode;
    }
    std::string path;
    {
        std::istringstream words(request.line);
        std::string method;
        words >> method >> path;
    }

    const std::string ok = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
    if (IsCheckPath(path)) {
        SendAll(client, ok + "Content-Type: text/plain\r\nContent-Length: " + std::to_string(answer.size()) +
                            "\r\n\r\n" + answer);
        return;
    }
    std::string body;
    bool found = path.compare(0, 11, "/installer-") == 0 && path.find_first_of("\\/", 1) == std::string::npos;
    if (found) {
        std::ifstream file(m_files + path.substr(1), std::ios::binary);
        found = file.good();
        body.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (!found) {
        SendAll(client, "HTTP/1.1 404 Not Found\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
        return;
    }
    const std::string type = "Content-Type: application/octet-stream\r\n";
    switch (mode) {
    case WholeBody:
        SendAll(client, ok + type + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
        break;
    case ShortBody:
        SendAll(client, ok + type + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                            body.substr(0, body.size() - 1));
        break;
    case NoContentLength:
        SendAll(client, ok + type + "\r\n" + body);
        break;
    }
}
