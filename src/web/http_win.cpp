#include "web/http_win.h"

#include <algorithm>
#include <vector>

#include "shell/text_win.h"

namespace perchlet {

namespace {

std::string queryHeader(HINTERNET request, DWORD query, DWORD& error) {
    if (!request) {
        error = ERROR_INVALID_HANDLE;
        return {};
    }
    std::vector<char> buffer(256);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (HttpQueryInfoA(request, query, buffer.data(), &size, nullptr)) {
            error = 0;
            return std::string(buffer.data(), std::min<std::size_t>(size, buffer.size()));
        }
        error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return {};
        buffer.resize(size + 1);
    }
}

}  // namespace

bool HttpConnection::openSession() {
    std::lock_guard<std::mutex> hold(lock_);
    if (aborted_) return false;
    session_ = InternetOpenW(L"Perchlet", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session_) return false;
    // Servers send pages gzip- or deflate-compressed even to a client that did not ask.
    BOOL decode = TRUE;
    InternetSetOptionW(session_, INTERNET_OPTION_HTTP_DECODING, &decode, sizeof decode);
    return true;
}

std::vector<DWORD> HttpConnection::setTimeouts(DWORD milliseconds) {
    const DWORD options[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                             INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                             INTERNET_OPTION_DATA_RECEIVE_TIMEOUT};
    std::vector<DWORD> failures;
    std::lock_guard<std::mutex> hold(lock_);
    for (DWORD option : options) {
        DWORD value = milliseconds;
        if (!session_ || !InternetSetOptionW(session_, option, &value, sizeof value))
            failures.push_back(GetLastError());
    }
    return failures;
}

bool HttpConnection::openUrl(const std::string& locator) {
    HINTERNET session;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (aborted_ || !session_) return false;
        session = session_;
    }
    HINTERNET request = InternetOpenUrlW(session, widen(locator).c_str(), nullptr, 0,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                             INTERNET_FLAG_NO_UI, 0);
    std::lock_guard<std::mutex> hold(lock_);
    if (request && aborted_) {
        InternetCloseHandle(request);
        return false;
    }
    request_ = request;
    return request != nullptr;
}

HINTERNET HttpConnection::request() const {
    std::lock_guard<std::mutex> hold(lock_);
    return request_;
}

DWORD HttpConnection::read(char* buffer, DWORD size) {
    HINTERNET request = this->request();
    DWORD got = 0;
    if (!request || !InternetReadFile(request, buffer, size, &got)) return 0;
    return got;
}

std::string HttpConnection::headerText(DWORD query, DWORD* error) {
    DWORD failure = 0;
    std::string text = queryHeader(this->request(), query, failure);
    if (error) *error = failure;
    return text;
}

// Asked as text and read here: WinINet's number and date conversions are not to be trusted
// with whatever a server sends.
int HttpConnection::statusCode() {
    std::string text = headerText(HTTP_QUERY_STATUS_CODE);
    if (text.size() != 3) return 0;
    int code = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}

void HttpConnection::close() {
    std::lock_guard<std::mutex> hold(lock_);
    if (request_) InternetCloseHandle(request_);
    if (session_) InternetCloseHandle(session_);
    request_ = nullptr;
    session_ = nullptr;
}

void HttpConnection::abort() {
    std::lock_guard<std::mutex> hold(lock_);
    aborted_ = true;
    if (request_) InternetCloseHandle(request_);
    if (session_) InternetCloseHandle(session_);
    request_ = nullptr;
    session_ = nullptr;
}

bool HttpConnection::aborted() const {
    std::lock_guard<std::mutex> hold(lock_);
    return aborted_;
}

}  // namespace perchlet
