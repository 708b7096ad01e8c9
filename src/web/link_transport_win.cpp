#include "web/link_transport_win.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

namespace perchlet {

struct WinHttpLinkTransport::Mailbox {
    struct Letter {
        std::size_t probe;
        const Request* from;  // an answer from a request since replaced is not passed on
        LinkAnswer answer;
    };
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<Letter> letters;

    void post(std::size_t probe, const Request* from, LinkAnswer answer) {
        {
            std::lock_guard<std::mutex> hold(lock);
            letters.push_back({probe, from, std::move(answer)});
        }
        arrived.notify_one();
    }
};

struct WinHttpLinkTransport::Request {
    std::size_t probe = 0;
    std::shared_ptr<Mailbox> mailbox;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    std::atomic<bool> settled{false};  // answered or cancelled: the first one closes the handles

    // Posts the answer unless the request was cancelled, then lets go of the handles.
    void settle(LinkAnswer answer) {
        if (settled.exchange(true)) return;
        mailbox->post(probe, this, std::move(answer));
        closeHandles();
    }
    void cancel() {
        if (!settled.exchange(true)) closeHandles();
    }
    void closeHandles() {
        WinHttpCloseHandle(request);
        WinHttpCloseHandle(connection);
    }
};

namespace {

using Request = WinHttpLinkTransport::Request;

std::wstring widen(const std::string& utf8) {
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string narrow(const std::wstring& wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string headerText(HINTERNET request, DWORD query) {
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (!WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &bytes, WINHTTP_NO_HEADER_INDEX))
        return {};
    text.resize(bytes / sizeof(wchar_t));
    return narrow(text);
}

LinkAnswer answerOf(HINTERNET request) {
    LinkAnswer answer;
    DWORD status = 0, size = sizeof status;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &status, &size, WINHTTP_NO_HEADER_INDEX);
    answer.status = static_cast<long>(status);
    answer.location = headerText(request, WINHTTP_QUERY_LOCATION);
    answer.retryAfter = headerText(request, WINHTTP_QUERY_RETRY_AFTER);
    return answer;
}

TransportFailure failureOf(DWORD error) {
    switch (error) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return TransportFailure::NameNotFound;
    case ERROR_WINHTTP_TIMEOUT: return TransportFailure::TimeOut;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED: return TransportFailure::Tls;
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME: return TransportFailure::BadAddress;
    default: return TransportFailure::Connection;
    }
}

// WinHTTP's own reference to a request: freed when WinHTTP says the handle is closing.
using CallbackContext = std::shared_ptr<Request>;

void CALLBACK onRequestEvent(HINTERNET handle, DWORD_PTR context, DWORD event, LPVOID info, DWORD) {
    auto* held = reinterpret_cast<CallbackContext*>(context);
    if (!held) return;  // the connection handle carries none
    Request& request = **held;
    switch (event) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        if (!request.settled && !WinHttpReceiveResponse(handle, nullptr))
            request.settle(failedAnswer(failureOf(GetLastError())));
        break;
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        if (!request.settled) request.settle(answerOf(handle));
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        request.settle(failedAnswer(failureOf(static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError)));
        break;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        delete held;
        break;
    default: break;
    }
}

bool splitAddress(const std::wstring& address, std::wstring& host, INTERNET_PORT& port, std::wstring& path,
                  bool& secure) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts)) return false;
    host.assign(parts.lpszHostName, parts.dwHostNameLength);
    path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    // A fragment is the browser's business, never the server's.
    path = path.substr(0, path.find(L'#'));
    if (path.empty()) path = L"/";
    port = parts.nPort;
    secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return !host.empty();
}

}  // namespace

// WinHTTP has no bound on all connections together: the checker keeps --jobs itself.
WinHttpLinkTransport::WinHttpLinkTransport(int) : mailbox_(std::make_shared<Mailbox>()) {
    session_ = WinHttpOpen(L"Perchlet", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                           WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (!session_) return;
    DWORD perHost = kConnectionsPerHost;
    WinHttpSetOption(session_, WINHTTP_OPTION_MAX_CONNS_PER_SERVER, &perHost, sizeof perHost);
    WinHttpSetOption(session_, WINHTTP_OPTION_MAX_CONNS_PER_1_0_SERVER, &perHost, sizeof perHost);
    WinHttpSetStatusCallback(session_, onRequestEvent,
                             WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES, 0);
}

WinHttpLinkTransport::~WinHttpLinkTransport() {
    for (auto& [probe, request] : requests_) request->cancel();
    if (session_) WinHttpCloseHandle(session_);
}

void WinHttpLinkTransport::start(const LinkRequest& request) {
    auto asking = std::make_shared<Request>();
    asking->probe = request.probe;
    asking->mailbox = mailbox_;
    requests_[request.probe] = asking;

    std::wstring host, path;
    INTERNET_PORT port = 0;
    bool secure = false;
    if (!session_ || !splitAddress(widen(request.address), host, port, path, secure)) {
        asking->settled = true;
        mailbox_->post(request.probe, asking.get(), failedAnswer(TransportFailure::BadAddress));
        return;
    }
    asking->connection = WinHttpConnect(session_, host.c_str(), port, 0);
    asking->request = asking->connection
                          ? WinHttpOpenRequest(asking->connection, request.get ? L"GET" : L"HEAD", path.c_str(),
                                               nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               secure ? WINHTTP_FLAG_SECURE : 0)
                          : nullptr;
    if (!asking->request) {
        asking->settle(failedAnswer(failureOf(GetLastError())));
        return;
    }
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(asking->request, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);
    int timeout = static_cast<int>(request.timeoutMilliseconds);
    WinHttpSetTimeouts(asking->request, timeout, timeout, timeout, timeout);
    auto* held = new CallbackContext(asking);
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(held);
    WinHttpSetOption(asking->request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    if (!WinHttpSendRequest(asking->request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, context))
        asking->settle(failedAnswer(failureOf(GetLastError())));
}

std::vector<std::pair<std::size_t, LinkAnswer>> WinHttpLinkTransport::wait(int milliseconds) {
    std::vector<Mailbox::Letter> letters;
    {
        std::unique_lock<std::mutex> hold(mailbox_->lock);
        mailbox_->arrived.wait_for(hold, std::chrono::milliseconds(milliseconds),
                                   [&] { return !mailbox_->letters.empty(); });
        letters.swap(mailbox_->letters);
    }
    std::vector<std::pair<std::size_t, LinkAnswer>> answers;
    for (Mailbox::Letter& letter : letters) {
        auto it = requests_.find(letter.probe);
        if (it == requests_.end() || it->second.get() != letter.from) continue;
        requests_.erase(it);
        answers.emplace_back(letter.probe, std::move(letter.answer));
    }
    return answers;
}

void WinHttpLinkTransport::cancel(std::size_t probe) {
    auto it = requests_.find(probe);
    if (it == requests_.end()) return;
    it->second->cancel();
    requests_.erase(it);
}

}  // namespace perchlet
