#include "loopback_http_server.h"

#include <algorithm>
#include <ws2tcpip.h>

namespace perchlet::testing {

std::string httpResponse(const std::string& statusLine, const std::string& headers, const std::string& body) {
    return statusLine + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

LoopbackHttpServer::LoopbackHttpServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    stopping_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, SOMAXCONN);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    SetEvent(stopping_);
    closesocket(listener_);
    acceptor_.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> hold(lock_);
        // Closing rather than shutting down: it also wakes a thread that waits in recv or send.
        for (SOCKET client : open_) closesocket(client);
        open_.clear();
        connections.swap(connections_);
    }
    for (std::thread& connection : connections) connection.join();
    CloseHandle(stopping_);
    WSACleanup();
}

std::string LoopbackHttpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackHttpServer::route(const std::string& path, HttpRoute route) {
    std::lock_guard<std::mutex> hold(lock_);
    routes_[path] = std::move(route);
}

int LoopbackHttpServer::requests(const std::string& path) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = counts_.find(path);
    return found == counts_.end() ? 0 : found->second;
}

int LoopbackHttpServer::openConnections() const {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<int>(open_.size());
}

void LoopbackHttpServer::acceptLoop() {
    for (;;) {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;  // the listener was closed
        std::lock_guard<std::mutex> hold(lock_);
        if (WaitForSingleObject(stopping_, 0) == WAIT_OBJECT_0) {
            closesocket(client);
            return;
        }
        open_.push_back(client);
        connections_.emplace_back([this, client] { serve(client); });
    }
}

namespace {

std::string readRequestHead(SOCKET client) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    return head;
}

// The path of the request line; a request sent to the server as a proxy names the whole
// address, of which the path is what counts.
std::string pathOf(const std::string& head) {
    std::size_t start = head.find(' ');
    if (start == std::string::npos) return {};
    std::size_t end = head.find(' ', start + 1);
    std::string target = head.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    if (target.rfind("http://", 0) != 0) return target;
    std::size_t path = target.find('/', 7);
    return path == std::string::npos ? "/" : target.substr(path);
}

bool sendAll(SOCKET client, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        int n = send(client, bytes.data() + sent, static_cast<int>(std::min<std::size_t>(bytes.size() - sent, 65536)), 0);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

void LoopbackHttpServer::serve(SOCKET client) {
    HttpRoute route;
    std::string head = readRequestHead(client);
    std::string path = pathOf(head);
    {
        std::lock_guard<std::mutex> hold(lock_);
        ++counts_[path];
        auto found = routes_.find(path);
        if (found != routes_.end()) route = found->second;
        else route.bytes = httpResponse("HTTP/1.1 404 Not Found", "", "no such page");
    }
    answer(client, route);
    std::lock_guard<std::mutex> hold(lock_);
    auto open = std::find(open_.begin(), open_.end(), client);
    if (open == open_.end()) return;  // the stopping server closed it
    open_.erase(open);
    closesocket(client);
}

void LoopbackHttpServer::answer(SOCKET client, const HttpRoute& route) {
    if (route.then == HttpRoute::Then::CloseAtOnce) return;
    if (route.delayMs && WaitForSingleObject(stopping_, route.delayMs) == WAIT_OBJECT_0) return;
    if (!sendAll(client, route.bytes)) return;
    if (!route.later.empty()) {
        if (WaitForSingleObject(stopping_, route.laterDelayMs) == WAIT_OBJECT_0) return;
        if (!sendAll(client, route.later)) return;
    }
    switch (route.then) {
    case HttpRoute::Then::Hang: {
        // Until the client goes away or the server stops (which shuts the socket down).
        char buffer[256];
        while (recv(client, buffer, sizeof buffer, 0) > 0) {}
        break;
    }
    case HttpRoute::Then::EndlessBody: {
        std::string filler(4096, 'x');
        while (WaitForSingleObject(stopping_, 0) != WAIT_OBJECT_0 && sendAll(client, filler)) {
            endlessBytes_ += static_cast<long long>(filler.size());
        }
        break;
    }
    default:
        shutdown(client, SD_SEND);
        break;
    }
}

}  // namespace perchlet::testing
