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

namespace {

// Reads an HTTP date field by field; any step that does not match leaves it failed.
class DateReader {
public:
    explicit DateReader(std::string_view text) : text_(text) {}

    bool ok() const { return ok_; }
    bool atEnd() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
        return ok_ && pos_ == text_.size();
    }

    // A weekday's name; which day it names is not checked against the date.
    void word() {
        std::size_t start = pos_;
        while (pos_ < text_.size() && isLetter(text_[pos_])) ++pos_;
        if (pos_ == start) ok_ = false;
    }

    void literal(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) ++pos_;
        else ok_ = false;
    }

    void blanks() {
        if (pos_ >= text_.size() || !isBlank(text_[pos_])) ok_ = false;
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }

    int number(std::size_t minDigits, std::size_t maxDigits) {
        int value = 0;
        std::size_t digits = 0;
        while (pos_ < text_.size() && digits < maxDigits && text_[pos_] >= '0' && text_[pos_] <= '9') {
            value = value * 10 + (text_[pos_++] - '0');
            ++digits;
        }
        if (digits < minDigits || (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')) ok_ = false;
        return value;
    }

    int month() {
        static constexpr std::string_view kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                                       "jul", "aug", "sep", "oct", "nov", "dec"};
        std::string name;
        for (int i = 0; i < 3 && pos_ < text_.size(); ++i) name += lower(text_[pos_++]);
        for (int i = 0; i < 12; ++i)
            if (name == kMonths[i]) return i + 1;
        ok_ = false;
        return 0;
    }

    void zone() {
        std::string name;
        while (pos_ < text_.size() && isLetter(text_[pos_])) name += lower(text_[pos_++]);
        if (name != "gmt" && name != "utc") ok_ = false;
    }

private:
    static bool isBlank(char c) { return c == ' ' || c == '\t'; }
    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

    std::string_view text_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

struct CalendarTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

void readClock(DateReader& reader, CalendarTime& time) {
    time.hour = reader.number(2, 2);
    reader.literal(':');
    time.minute = reader.number(2, 2);
    reader.literal(':');
    time.second = reader.number(2, 2);
}

// "Sun, 06 Nov 1994 08:49:37 GMT"
std::optional<CalendarTime> readRfc1123(std::string_view text) {
    DateReader reader(text);
    CalendarTime time;
    reader.word();
    reader.literal(',');
    reader.blanks();
    time.day = reader.number(1, 2);
    reader.blanks();
    time.month = reader.month();
    reader.blanks();
    time.year = reader.number(4, 4);
    reader.blanks();
    readClock(reader, time);
    reader.blanks();
    reader.zone();
    if (!reader.atEnd()) return std::nullopt;
    return time;
}

// "Sunday, 06-Nov-94 08:49:37 GMT"; a two-digit year before 70 is in this century.
std::optional<CalendarTime> readRfc850(std::string_view text) {
    DateReader reader(text);
    CalendarTime time;
    reader.word();
    reader.literal(',');
    reader.blanks();
    time.day = reader.number(2, 2);
    reader.literal('-');
    time.month = reader.month();
    reader.literal('-');
    time.year = reader.number(2, 2);
    time.year += time.year < 70 ? 2000 : 1900;
    reader.blanks();
    readClock(reader, time);
    reader.blanks();
    reader.zone();
    if (!reader.atEnd()) return std::nullopt;
    return time;
}

// "Sun Nov  6 08:49:37 1994"
std::optional<CalendarTime> readAsctime(std::string_view text) {
    DateReader reader(text);
    CalendarTime time;
    reader.word();
    reader.blanks();
    time.month = reader.month();
    reader.blanks();
    time.day = reader.number(1, 2);
    reader.blanks();
    readClock(reader, time);
    reader.blanks();
    time.year = reader.number(4, 4);
    if (!reader.atEnd()) return std::nullopt;
    return time;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool isRealTime(const CalendarTime& time) {
    static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (time.month < 1 || time.month > 12) return false;
    int days = kMonthDays[time.month - 1] + (time.month == 2 && isLeapYear(time.year) ? 1 : 0);
    // A leap second is written as :60.
    return time.day >= 1 && time.day <= days && time.hour <= 23 && time.minute <= 59 && time.second <= 60;
}

}  // namespace

std::optional<std::int64_t> httpDateSeconds(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    std::optional<CalendarTime> time = readRfc1123(text);
    if (!time) time = readRfc850(text);
    if (!time) time = readAsctime(text);
    if (!time || !isRealTime(*time)) return std::nullopt;
    return secondsSince1970(time->year, time->month, time->day, time->hour, time->minute, time->second);
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
