#include "web/http_head.h"

#include <cctype>

namespace perchlet {

namespace {

std::string lowered(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

std::optional<int> portOf(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    int port = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

// "host", "host:port", "[v6]" or "[v6]:port", after any user information.
bool splitAuthority(std::string_view authority, HttpAddress& address) {
    std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    std::string_view host = authority;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos) return false;
        host = authority.substr(1, close - 1);
        std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return false;
        if (!rest.empty()) port = rest.substr(1);
    } else if (std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty()) return false;
    for (char c : host)
        if (static_cast<unsigned char>(c) <= ' ') return false;
    address.host = std::string(host);
    if (!port.empty()) {
        std::optional<int> number = portOf(port);
        if (!number) return false;
        address.port = *number;
    }
    return true;
}

std::string authorityOf(const HttpAddress& address) {
    std::string host = address.host.find(':') != std::string::npos ? "[" + address.host + "]" : address.host;
    int defaultPort = address.secure ? 443 : 80;
    return address.port == defaultPort ? host : host + ":" + std::to_string(address.port);
}

std::string schemeOf(const HttpAddress& address) { return address.secure ? "https://" : "http://"; }

}  // namespace

std::optional<HttpAddress> parseHttpAddress(std::string_view text) {
    HttpAddress address;
    std::string lower = lowered(text.substr(0, 8));
    if (lower.rfind("http://", 0) == 0) {
        text.remove_prefix(7);
    } else if (lower.rfind("https://", 0) == 0) {
        address.secure = true;
        address.port = 443;
        text.remove_prefix(8);
    } else {
        return std::nullopt;
    }
    text = text.substr(0, text.find('#'));
    std::size_t end = text.find_first_of("/?");
    if (!splitAuthority(text.substr(0, end), address)) return std::nullopt;
    address.target = end == std::string_view::npos ? "/" : std::string(text.substr(end));
    if (address.target.front() == '?') address.target.insert(0, "/");
    // Blanks and controls would break the request line: sent percent-encoded, as browsers do.
    std::string target;
    for (char c : address.target) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte > ' ' && byte != 0x7F) {
            target += c;
            continue;
        }
        const char* hex = "0123456789ABCDEF";
        target += '%';
        target += hex[byte >> 4];
        target += hex[byte & 15];
    }
    address.target = target;
    return address;
}

std::string responseHeadRequest(const HttpAddress& address) {
    return "GET " + address.target + " HTTP/1.1\r\nHost: " + authorityOf(address) +
           "\r\nUser-Agent: Perchlet\r\nAccept: */*\r\nCache-Control: no-cache\r\nPragma: no-cache\r\n"
           "Connection: close\r\n\r\n";
}

std::size_t responseHeadEnd(std::string_view received) {
    std::size_t crlf = received.find("\r\n\r\n");
    std::size_t lf = received.find("\n\n");
    std::size_t end = std::string_view::npos;
    if (crlf != std::string_view::npos) end = crlf + 4;
    if (lf != std::string_view::npos && lf + 2 < end) end = lf + 2;
    return end;
}

std::string headerValue(std::string_view head, std::string_view name) {
    std::string wanted = lowered(name) + ":";
    std::size_t lineStart = head.find('\n');  // after the status line
    while (lineStart != std::string_view::npos) {
        ++lineStart;
        std::size_t lineEnd = head.find('\n', lineStart);
        std::string_view line = head.substr(lineStart, lineEnd == std::string_view::npos ? std::string_view::npos
                                                                                        : lineEnd - lineStart);
        if (line.size() >= wanted.size() && lowered(line.substr(0, wanted.size())) == wanted)
            return std::string(trimmed(line.substr(wanted.size())));
        lineStart = lineEnd;
    }
    return {};
}

bool isRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<std::string> redirectAddress(const HttpAddress& from, std::string_view location) {
    location = trimmed(location);
    if (location.empty()) return std::nullopt;
    if (parseHttpAddress(location)) return std::string(location);
    if (location.find("://") != std::string_view::npos) return std::nullopt;  // another scheme
    if (location.substr(0, 2) == "//") return (from.secure ? "https:" : "http:") + std::string(location);
    std::string base = schemeOf(from) + authorityOf(from);
    if (location.front() == '/') return base + std::string(location);
    std::string_view path = std::string_view(from.target).substr(0, from.target.find('?'));
    std::string directory(path.substr(0, path.rfind('/') + 1));
    if (location.front() == '?') return base + std::string(path) + std::string(location);
    return base + directory + std::string(location);
}

}  // namespace perchlet
