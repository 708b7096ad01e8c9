// Asks a web server for the response head of an address, ending at a time-out or at once
// when the stop event is set. Plain http goes over a socket of our own, which both can break
// off under Wine as on Windows (neither WinINet's nor WinHTTP's handles can be closed under a
// waiting call there); https, and http through the user's proxy, go through WinHTTP, whose
// time-outs do hold, so a stop waits for them.
#pragma once
#include <string>
#include <windows.h>

namespace perchlet {

struct ResponseHead {
    enum class Outcome { Answered, Unreachable, Stopped };
    Outcome outcome = Outcome::Unreachable;
    std::string text;  // the status line and headers, each line ending in CRLF
};

// Follows redirects; the time-out holds for the whole exchange, redirects included.
ResponseHead fetchResponseHead(const std::string& address, DWORD timeoutMs, HANDLE stopEvent);

}  // namespace perchlet
