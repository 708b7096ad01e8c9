// A real HTTP server on 127.0.0.1 for the tests and benchmarks: it listens on a port the
// system chooses and answers each path as the test sets it up, one request per connection.
#pragma once
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <winsock2.h>
#include <windows.h>

namespace perchlet::testing {

struct HttpRoute {
    enum class Then { Close, Hang, EndlessBody, CloseAtOnce };
    HttpRoute(std::string bytes = "", Then then = Then::Close, DWORD delayMs = 0)
        : bytes(std::move(bytes)), delayMs(delayMs), then(then) {}

    std::string bytes;  // sent as they are: status line, headers, body
    DWORD delayMs = 0;  // before anything is sent
    Then then = Then::Close;
    std::string later;   // sent after laterDelayMs more, before what `then` says
    DWORD laterDelayMs = 0;
};

// A whole response with Content-Length and "Connection: close" added.
std::string httpResponse(const std::string& statusLine, const std::string& headers, const std::string& body);

class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path) const;
    void route(const std::string& path, HttpRoute route);
    // How many requests for this path have arrived.
    int requests(const std::string& path) const;
    // How many accepted connections neither side has closed yet.
    int openConnections() const;
    // How many bytes of endless bodies have been sent so far, to all clients.
    long long endlessBytesSent() const { return endlessBytes_; }

private:
    void acceptLoop();
    void serve(SOCKET client);
    void answer(SOCKET client, const HttpRoute& route);

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    HANDLE stopping_ = nullptr;
    std::thread acceptor_;
    mutable std::mutex lock_;
    std::map<std::string, HttpRoute> routes_;
    std::map<std::string, int> counts_;
    std::vector<std::thread> connections_;
    std::vector<SOCKET> open_;
    std::atomic<long long> endlessBytes_{0};
};

}  // namespace perchlet::testing
