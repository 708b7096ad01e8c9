#include "web/http_head_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <winhttp.h>

#include <memory>
#include <optional>

#include "shell/text_win.h"
#include "web/http_head.h"
#include "web/update_decision.h"

namespace perchlet {

namespace {

constexpr int kMaxRedirects = 10;
constexpr std::size_t kMaxHeadBytes = 64 * 1024;

class Deadline {
public:
    explicit Deadline(DWORD milliseconds) : start_(GetTickCount()), length_(milliseconds) {}
    DWORD left() const {
        DWORD spent = GetTickCount() - start_;
        return spent >= length_ ? 0 : length_ - spent;
    }

private:
    DWORD start_;
    DWORD length_;
};

bool isSet(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

ResponseHead endedAs(ResponseHead::Outcome outcome, std::string text = {}) { return {outcome, std::move(text)}; }

enum class Waited { Events, TimedOut, Stopped, Failed };

// A non-blocking socket whose network events set one event object, so that a wait can
// also end at the stop event or the deadline.
class EventSocket {
public:
    EventSocket() : event_(WSACreateEvent()) {}
    ~EventSocket() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        WSACloseEvent(event_);
    }
    EventSocket(const EventSocket&) = delete;
    EventSocket& operator=(const EventSocket&) = delete;

    Waited connectTo(const addrinfo& address, HANDLE stop, const Deadline& deadline) {
        socket_ = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
        if (socket_ == INVALID_SOCKET || event_ == WSA_INVALID_EVENT ||
            WSAEventSelect(socket_, event_, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0)
            return Waited::Failed;
        if (connect(socket_, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) return Waited::Events;
        if (WSAGetLastError() != WSAEWOULDBLOCK) return Waited::Failed;
        while (!(happened_ & FD_CONNECT)) {
            Waited waited = wait(stop, deadline);
            if (waited != Waited::Events) return waited;
        }
        return connectError_ == 0 ? Waited::Events : Waited::Failed;
    }

    Waited sendAll(const std::string& bytes, HANDLE stop, const Deadline& deadline) {
        for (std::size_t sent = 0; sent < bytes.size();) {
            int now = send(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (now > 0) {
                sent += static_cast<std::size_t>(now);
                continue;
            }
            if (WSAGetLastError() != WSAEWOULDBLOCK) return Waited::Failed;
            Waited waited = wait(stop, deadline);
            if (waited != Waited::Events) return waited;
        }
        return Waited::Events;
    }

    // Appends what has come; Events with nothing appended means the server closed.
    Waited receive(std::string& into, HANDLE stop, const Deadline& deadline) {
        char chunk[4096];
        for (;;) {
            int got = recv(socket_, chunk, sizeof chunk, 0);
            if (got > 0) {
                into.append(chunk, static_cast<std::size_t>(got));
                return Waited::Events;
            }
            if (got == 0) return Waited::Events;
            if (WSAGetLastError() != WSAEWOULDBLOCK) return Waited::Failed;
            Waited waited = wait(stop, deadline);
            if (waited != Waited::Events) return waited;
        }
    }

private:
    Waited wait(HANDLE stop, const Deadline& deadline) {
        HANDLE handles[] = {event_, stop};
        DWORD result = WaitForMultipleObjects(stop ? 2 : 1, handles, FALSE, deadline.left());
        if (result == WAIT_TIMEOUT) return Waited::TimedOut;
        if (result == WAIT_OBJECT_0 + 1) return Waited::Stopped;
        if (result != WAIT_OBJECT_0) return Waited::Failed;
        WSANETWORKEVENTS events{};
        if (WSAEnumNetworkEvents(socket_, event_, &events) != 0) return Waited::Failed;
        happened_ |= events.lNetworkEvents;
        if (events.lNetworkEvents & FD_CONNECT) connectError_ = events.iErrorCode[FD_CONNECT_BIT];
        return Waited::Events;
    }

    SOCKET socket_ = INVALID_SOCKET;
    WSAEVENT event_;
    long happened_ = 0;
    int connectError_ = 0;
};

// Lines end in CRLF, as the headers WinHTTP gives back do.
std::string withCrlf(std::string_view head) {
    std::string text;
    for (std::size_t pos = 0; pos < head.size(); ++pos) {
        if (head[pos] == '\n' && (pos == 0 || head[pos - 1] != '\r')) text += '\r';
        text += head[pos];
    }
    return text;
}

ResponseHead readHead(EventSocket& connection, HANDLE stop, const Deadline& deadline) {
    std::string received;
    for (;;) {
        std::size_t before = received.size();
        Waited waited = connection.receive(received, stop, deadline);
        if (waited == Waited::Stopped) return endedAs(ResponseHead::Outcome::Stopped);
        if (waited != Waited::Events) return endedAs(ResponseHead::Outcome::Unreachable);
        std::size_t end = responseHeadEnd(received);
        if (end != std::string::npos) return endedAs(ResponseHead::Outcome::Answered, withCrlf(received.substr(0, end)));
        bool closed = received.size() == before;
        if (closed || received.size() >= kMaxHeadBytes) {
            // A connection closed without a word answered nothing.
            if (received.empty()) return endedAs(ResponseHead::Outcome::Unreachable);
            return endedAs(ResponseHead::Outcome::Answered, withCrlf(received));
        }
    }
}

struct AddressesFreer {
    void operator()(addrinfo* addresses) const { freeaddrinfo(addresses); }
};

ResponseHead viaSocket(const HttpAddress& address, HANDLE stop, const Deadline& deadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found) != 0)
        return endedAs(ResponseHead::Outcome::Unreachable);
    std::unique_ptr<addrinfo, AddressesFreer> held(found);
    for (const addrinfo* candidate = found; candidate; candidate = candidate->ai_next) {
        EventSocket connection;
        Waited waited = connection.connectTo(*candidate, stop, deadline);
        if (waited == Waited::Failed) continue;  // the next address of the host may answer
        if (waited == Waited::Events) waited = connection.sendAll(responseHeadRequest(address), stop, deadline);
        if (waited == Waited::Events) return readHead(connection, stop, deadline);
        return endedAs(waited == Waited::Stopped ? ResponseHead::Outcome::Stopped : ResponseHead::Outcome::Unreachable);
    }
    return endedAs(ResponseHead::Outcome::Unreachable);
}

struct WinHttpCloser {
    void operator()(void* handle) const { WinHttpCloseHandle(handle); }
};
using WinHttpHandle = std::unique_ptr<void, WinHttpCloser>;

std::string rawHeadersOf(HINTERNET request) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (size == 0) return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, text.data(),
                             &size, WINHTTP_NO_HEADER_INDEX))
        return {};
    text.resize(size / sizeof(wchar_t));
    return narrow(text);
}

// The proxy the user set for the system's browsing (Internet Options), if any.
struct ProxySetting {
    std::wstring proxy;
    std::wstring bypass;
};

std::optional<ProxySetting> userProxy() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return std::nullopt;
    std::optional<ProxySetting> setting;
    if (config.lpszProxy && *config.lpszProxy)
        setting = ProxySetting{config.lpszProxy, config.lpszProxyBypass ? config.lpszProxyBypass : L""};
    for (LPWSTR text : {config.lpszProxy, config.lpszProxyBypass, config.lpszAutoConfigUrl})
        if (text) GlobalFree(text);
    return setting;
}

HINTERNET openSession(const std::optional<ProxySetting>& proxy) {
    if (proxy)
        return WinHttpOpen(L"Perchlet", WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy->proxy.c_str(),
                           proxy->bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : proxy->bypass.c_str(), 0);
    return WinHttpOpen(L"Perchlet", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                       WINHTTP_NO_PROXY_BYPASS, 0);
}

// https, and anything that goes through a proxy: WinHTTP keeps its time-outs under Wine (with
// the response time-out set apart), but a waiting call cannot be broken off, so a stop takes
// effect when the call returns.
ResponseHead viaWinHttp(const HttpAddress& address, const std::optional<ProxySetting>& proxy, HANDLE stop,
                        const Deadline& deadline) {
    WinHttpHandle session(openSession(proxy));
    if (!session) return endedAs(ResponseHead::Outcome::Unreachable);
    int timeout = static_cast<int>(deadline.left());
    WinHttpSetTimeouts(session.get(), timeout, timeout, timeout, timeout);
    WinHttpHandle connection(
        WinHttpConnect(session.get(), widen(address.host).c_str(), static_cast<INTERNET_PORT>(address.port), 0));
    DWORD flags = WINHTTP_FLAG_REFRESH | (address.secure ? WINHTTP_FLAG_SECURE : 0);
    WinHttpHandle request(connection ? WinHttpOpenRequest(connection.get(), L"GET", widen(address.target).c_str(),
                                                          nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                          flags)
                                     : nullptr);
    if (!request) return endedAs(ResponseHead::Outcome::Unreachable);
    DWORD responseTimeout = deadline.left();
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);
    bool answered = WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
                    WinHttpReceiveResponse(request.get(), nullptr);
    if (isSet(stop)) return endedAs(ResponseHead::Outcome::Stopped);
    if (!answered) return endedAs(ResponseHead::Outcome::Unreachable);
    return endedAs(ResponseHead::Outcome::Answered, rawHeadersOf(request.get()));
}

class WinsockUse {
public:
    WinsockUse() { started_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
    ~WinsockUse() {
        if (started_) WSACleanup();
    }

private:
    WSADATA data_{};
    bool started_ = false;
};

}  // namespace

ResponseHead fetchResponseHead(const std::string& address, DWORD timeoutMs, HANDLE stopEvent) {
    WinsockUse winsock;
    Deadline deadline(timeoutMs);
    // A user behind a proxy reaches plain http through it too.
    std::optional<ProxySetting> proxy = userProxy();
    std::string current = address;
    for (int hop = 0;; ++hop) {
        std::optional<HttpAddress> parsed = parseHttpAddress(current);
        if (!parsed) return endedAs(ResponseHead::Outcome::Unreachable);
        // WinHTTP follows its own redirects.
        if (parsed->secure || proxy) return viaWinHttp(*parsed, proxy, stopEvent, deadline);
        ResponseHead head = viaSocket(*parsed, stopEvent, deadline);
        if (head.outcome != ResponseHead::Outcome::Answered || hop == kMaxRedirects) return head;
        if (!isRedirectStatus(statusCodeOf(head.text))) return head;
        std::optional<std::string> next = redirectAddress(*parsed, headerValue(head.text, "Location"));
        if (!next) return head;
        current = *next;
    }
}

}  // namespace perchlet
