// A small wrapper of WinINet: one session and one request at a time, which another thread
// may close to break a blocking call.
#pragma once
#include <mutex>
#include <string>
#include <vector>
#include <windows.h>
#include <wininet.h>

namespace perchlet {

class HttpConnection {
public:
    HttpConnection() = default;
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;
    ~HttpConnection() { close(); }

    // Agent "Perchlet", the system's proxy settings. False after abort().
    bool openSession();
    // The time-outs of the update check; returns the error numbers of options that failed.
    std::vector<DWORD> setTimeouts(DWORD milliseconds);
    // A GET of the address, from the server rather than from the cache.
    bool openUrl(const std::string& locator);

    // Reads up to size bytes; 0 at the end of the data or on failure.
    DWORD read(char* buffer, DWORD size);
    // A response header by its query number, as text; "" when absent. When error is given,
    // it receives the system error of a query that failed, or 0.
    std::string headerText(DWORD query, DWORD* error = nullptr);
    // The response's status code; 0 when there is none or it is no three-digit number.
    int statusCode();
    // The open request, for queries; nullptr when none is open.
    HINTERNET request() const;

    // Closes both handles (this thread's own cleanup).
    void close();
    // From another thread: closes both handles, so that a blocking call fails, and keeps any
    // later open from starting.
    void abort();
    bool aborted() const;

private:
    mutable std::mutex lock_;
    HINTERNET session_ = nullptr;
    HINTERNET request_ = nullptr;
    bool aborted_ = false;
};

}  // namespace perchlet
