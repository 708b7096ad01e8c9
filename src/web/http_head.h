// The few pieces of HTTP/1.1 the update check needs to ask a server for a page's response
// head: splitting an address, the request, reading the head that comes back, redirects.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace perchlet {

struct HttpAddress {
    bool secure = false;  // https
    std::string host;     // without brackets for an IPv6 literal
    int port = 80;
    std::string target;   // path and query, "/" at least; never the fragment
};

// An absolute http or https address (scheme in any case); nothing for anything else or for
// a host or port that cannot be right.
std::optional<HttpAddress> parseHttpAddress(std::string_view address);

// A GET of the address that asks for a fresh answer and the connection's close afterwards.
std::string responseHeadRequest(const HttpAddress& address);

// Where the head of a response ends in the bytes read so far (after the blank line);
// npos while it has not ended.
std::size_t responseHeadEnd(std::string_view received);

// The value of a header of a response head, blanks trimmed; "" when absent.
std::string headerValue(std::string_view head, std::string_view name);

bool isRedirectStatus(int status);

// The Location of a redirect as an absolute address, resolved against the address that
// gave it; nothing when it is empty or cannot be resolved.
std::optional<std::string> redirectAddress(const HttpAddress& from, std::string_view location);

}  // namespace perchlet
