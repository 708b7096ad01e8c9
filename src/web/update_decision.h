// What the update check makes of a server's answer about one link: the link's new kind,
// images and last-modified text.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace perchlet {

struct UpdateAnswer {
    enum class Outcome {
        Unreachable,  // the address could not be opened
        Answered,     // a response came; the fields below hold what it said
        QueryFailed,  // a response came but its headers could not be read
    };
    Outcome outcome = Outcome::Unreachable;
    std::optional<std::int64_t> lastModified;  // seconds since 1970, UTC
    int statusCode = 0;                        // 0 when unknown
    std::string statusHeaders;                 // the raw header text, status line first
};

enum class UpdateMark {
    Unchanged,    // leave the link as it is
    Modified,     // kind 2, images 4 and 5, last-modified from the page
    NotModified,  // kind 0, images 0 and 1, last-modified from the page
    NotFound,     // kind 3, images 6 and 7, last-modified "00"
    Unreachable,  // kind 3, images 6 and 7, last-modified "000"
};

struct UpdateDecision {
    UpdateMark mark = UpdateMark::Unchanged;
    unsigned kind = 0;
    int image = 0;
    int selectedImage = 0;
    std::string lastModified;  // the text to store; meaningless for Unchanged
};

// Dates are compared as numbers (a nine-digit date is older than a ten-digit one); an empty
// or unreadable last-visit is older than any date. Status 404 and 410 mean not found, as does
// "Not Found" in the first 63 characters of the headers when no Last-Modified came.
UpdateDecision decideUpdate(const UpdateAnswer& answer, std::string_view lastVisit);

// True for the kinds the check asks about: web links, changed and failed links.
bool isCheckedKind(unsigned kind);

// Seconds since 1970 of a UTC calendar time (month 1-12).
std::int64_t secondsSince1970(int year, int month, int day, int hour, int minute, int second);

// Seconds since 1970 of an HTTP date in any of its three forms: "Sun, 06 Nov 1994 08:49:37 GMT",
// "Sunday, 06-Nov-94 08:49:37 GMT" and "Sun Nov  6 08:49:37 1994"; nothing for any other text.
std::optional<std::int64_t> httpDateSeconds(std::string_view text);

// The status code of the first line of raw headers ("HTTP/1.1 404 Not Found"); 0 if none.
int statusCodeOf(std::string_view headers);

}  // namespace perchlet
