#include "web/update_decision.h"

#include <cstdint>

#include "store/item_number.h"
#include "store/tree_population.h"

namespace perchlet {

namespace {

// A last-visit that holds no number (empty, say) was never made: any date is newer.
std::optional<std::int64_t> visitSeconds(std::string_view lastVisit) {
    if (lastVisit.empty()) return std::nullopt;
    std::int64_t seconds = 0;
    for (char c : lastVisit) {
        if (c < '0' || c > '9') return std::nullopt;
        if (seconds > (INT64_MAX - 9) / 10) return INT64_MAX;
        seconds = seconds * 10 + (c - '0');
    }
    return seconds;
}

UpdateDecision markedAs(UpdateMark mark, std::string lastModified) {
    UpdateDecision decision;
    decision.mark = mark;
    decision.lastModified = std::move(lastModified);
    switch (mark) {
    case UpdateMark::Modified: decision.kind = kKindChangedLink; break;
    case UpdateMark::NotModified: decision.kind = kKindWebLink; break;
    case UpdateMark::NotFound:
    case UpdateMark::Unreachable: decision.kind = kKindFailedLink; break;
    case UpdateMark::Unchanged: return decision;
    }
    ImagePair images = imagesForKind(decision.kind);
    decision.image = images.normal;
    decision.selectedImage = images.selected;
    return decision;
}

bool headersSayNotFound(const UpdateAnswer& answer) {
    return answer.statusHeaders.substr(0, 63).find("Not Found") != std::string::npos;
}

}  // namespace

UpdateDecision decideUpdate(const UpdateAnswer& answer, std::string_view lastVisit) {
    switch (answer.outcome) {
    case UpdateAnswer::Outcome::Unreachable: return markedAs(UpdateMark::Unreachable, "000");
    case UpdateAnswer::Outcome::QueryFailed: return markedAs(UpdateMark::Unchanged, {});
    case UpdateAnswer::Outcome::Answered: break;
    }
    // A missing page's Last-Modified is the error page's own date.
    if (answer.statusCode == 404 || answer.statusCode == 410) return markedAs(UpdateMark::NotFound, "00");
    if (answer.lastModified) {
        std::int64_t modified = *answer.lastModified;
        std::optional<std::int64_t> visited = visitSeconds(lastVisit);
        bool newer = !visited || modified > *visited;
        return markedAs(newer ? UpdateMark::Modified : UpdateMark::NotModified, std::to_string(modified));
    }
    if (headersSayNotFound(answer)) return markedAs(UpdateMark::NotFound, "00");
    return markedAs(UpdateMark::Unchanged, {});
}

bool isCheckedKind(unsigned kind) {
    return kind == kKindWebLink || kind == kKindChangedLink || kind == kKindFailedLink || kind == 4;
}

std::int64_t secondsSince1970(int year, int month, int day, int hour, int minute, int second) {
    // Days from the civil calendar, counting years from March so that leap days come last.
    std::int64_t y = year - (month <= 2 ? 1 : 0);
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yearOfEra = y - era * 400;
    std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

int statusCodeOf(std::string_view headers) {
    std::size_t space = headers.find(' ');
    std::size_t lineEnd = headers.find_first_of("\r\n");
    if (space == std::string_view::npos || space > lineEnd) return 0;
    int code = 0;
    std::size_t digits = 0;
    for (std::size_t pos = space + 1; pos < headers.size() && digits < 3; ++pos, ++digits) {
        char c = headers[pos];
        if (c < '0' || c > '9') return 0;
        code = code * 10 + (c - '0');
    }
    return digits == 3 ? code : 0;
}

}  // namespace perchlet
