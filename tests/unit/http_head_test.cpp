// The HTTP pieces of the update check's own requests.
#include <gtest/gtest.h>

#include "web/http_head.h"

namespace perchlet {
namespace {

TEST(HttpHead, AddressesSplitIntoHostPortAndTarget) {
    struct Row {
        const char* address;
        bool valid, secure;
        const char *host, *target;
        int port;
    } rows[] = {
        {"http://127.0.0.1:8080/a/b?q=1#top", true, false, "127.0.0.1", "/a/b?q=1", 8080},
        {"HTTPS://Example.com", true, true, "Example.com", "/", 443},
        {"http://user:pw@host?x", true, false, "host", "/?x", 80},
        {"http://[::1]:81/", true, false, "::1", "/", 81},
        {"http://host/a b\x01", true, false, "host", "/a%20b%01", 80},
        {"http://host:0/", false}, {"http://host:99999/", false}, {"http://:80/", false},
        {"http:///path", false}, {"ftp://host/", false}, {"mailto:x@y", false}, {"http://[::1/", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address);
        std::optional<HttpAddress> address = parseHttpAddress(row.address);
        ASSERT_EQ(address.has_value(), row.valid);
        if (!row.valid) continue;
        EXPECT_EQ(address->secure, row.secure);
        EXPECT_EQ(address->host, row.host);
        EXPECT_EQ(address->target, row.target);
        EXPECT_EQ(address->port, row.port);
    }
    EXPECT_EQ(responseHeadRequest(*parseHttpAddress("http://[::1]:81/x")).substr(0, 33),
              "GET /x HTTP/1.1\r\nHost: [::1]:81\r\n");
}

TEST(HttpHead, HeadEndsHeadersAndRedirects) {
    EXPECT_EQ(responseHeadEnd("HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody"), 25u);
    EXPECT_EQ(responseHeadEnd("HTTP/1.0 200 OK\nA: b\n\nbody"), 22u);
    EXPECT_EQ(responseHeadEnd("HTTP/1.1 200 OK\r\nA: b\r\n"), std::string::npos);

    const char head[] = "HTTP/1.1 301 Last-Modified: no\r\nlast-modified:  Sun, 13 Sep 2020 \r\nLocation: /x\r\n\r\n";
    EXPECT_EQ(headerValue(head, "Last-Modified"), "Sun, 13 Sep 2020");
    EXPECT_EQ(headerValue(head, "location"), "/x");
    EXPECT_EQ(headerValue(head, "ETag"), "");

    HttpAddress from = *parseHttpAddress("http://h:81/dir/page?q");
    struct Row {
        const char *location, *expected;  // nullptr: no redirect
    } rows[] = {
        {"/root", "http://h:81/root"},     {"next", "http://h:81/dir/next"},
        {"?p", "http://h:81/dir/page?p"},  {"//other/x", "http://other/x"},
        {"HTTPS://s/", "HTTPS://s/"},      {"  ", nullptr},
        {"ftp://files/", nullptr},
    };
    for (const Row& row : rows) {
        std::optional<std::string> target = redirectAddress(from, row.location);
        EXPECT_EQ(target.value_or("(none)"), row.expected ? row.expected : "(none)") << row.location;
    }
    for (int status : {301, 302, 303, 307, 308}) EXPECT_TRUE(isRedirectStatus(status));
    for (int status : {200, 304, 300}) EXPECT_FALSE(isRedirectStatus(status));
}

}  // namespace
}  // namespace perchlet
