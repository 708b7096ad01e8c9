// One folder or bookmark, and the date text its three date fields hold.
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "store/encoding.h"
#include "store/item_number.h"
#include "store/plain_text.h"
#include "store/compact_text.h"

namespace perchlet {

constexpr std::size_t kTextFieldMax = 1023;  // title, locator, comment
constexpr std::size_t kDateFieldMax = 63;    // last-modified, last-visit, add-date
// A UTF-8 document keeps whole texts; the bound only stops a hostile file from filling memory.
constexpr std::size_t kUtf8TextFieldMax = 64 * 1024;

constexpr std::size_t textFieldMax(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? kUtf8TextFieldMax : kTextFieldMax;
}

struct BookmarkItem {
    ItemNumber itemNumber = 0;
    std::uint32_t parentNumber = 0;
    CompactText title;
    CompactText locator;
    CompactText comment;
    CompactText lastModified;
    CompactText lastVisit;
    CompactText addDate;
    std::int32_t windowLeft = 0;
    std::int32_t windowTop = 0;
    std::int32_t windowRight = 0;
    std::int32_t windowBottom = 0;
    std::uint32_t browser = 0;
    std::uint32_t mark = 0;
};

// Cuts Shift-JIS text to at most maxBytes without leaving half a two-byte character.
std::string fitField(std::string_view text, std::size_t maxBytes);
inline std::string fitText(std::string_view text) { return fitField(text, kTextFieldMax); }
inline std::string fitDate(std::string_view text) { return fitField(text, kDateFieldMax); }
// The same in either encoding: UTF-8 is cut where a character starts.
std::string fitField(std::string_view text, std::size_t maxBytes, TextEncoding encoding);
inline std::string fitText(std::string_view text, TextEncoding encoding) {
    return fitField(text, textFieldMax(encoding), encoding);
}
inline std::string fitDate(std::string_view text, TextEncoding encoding) {
    return fitField(text, kDateFieldMax, encoding);
}

// An address as a record holds it: no control characters (a CR or LF would end its line in
// the data file), cut to the field.
std::string fitAddress(std::string_view text);
std::string fitAddress(std::string_view text, TextEncoding encoding);
// The same for a text the caller gives up: handed back as it is when it needs no change.
std::string fitAddress(std::string&& text, TextEncoding encoding);
// Whether fitAddress keeps text as it is.
inline bool addressKeptAsItIs(std::string_view text, TextEncoding encoding) {
    return text.size() <= textFieldMax(encoding) && !holdsControlByte(text);
}

// What a record's field keeps of text, for readers that make many records: text itself when
// the field takes it unchanged (nearly always, and nothing copied), else the fitted text, held
// in `fitted`, which must not be where text lies. A title is one line, an address has no
// control characters, and every field is cut to its size.
// The checks are inline: a load makes them for every record.
std::string_view fittedTitle(std::string_view text, TextEncoding encoding, std::string& fitted);
std::string_view fittedAddress(std::string_view text, TextEncoding encoding, std::string& fitted);
inline std::string_view titleField(std::string_view text, TextEncoding encoding, std::string& fitted) {
    if (text.size() <= textFieldMax(encoding) && !holdsLineBreak(text)) return text;
    return fittedTitle(text, encoding, fitted);
}
inline std::string_view addressField(std::string_view text, TextEncoding encoding, std::string& fitted) {
    if (addressKeptAsItIs(text, encoding)) return text;
    return fittedAddress(text, encoding, fitted);
}
std::string_view commentField(std::string_view text, TextEncoding encoding, std::string& fitted);
std::string_view dateField(std::string_view text, TextEncoding encoding, std::string& fitted);

bool isShiftJisLeadByte(unsigned char byte);

// Seconds since 1970 as decimal text.
std::string dateText(std::time_t when);
std::string dateStampNow();
// The seconds a date text holds, read as the C library reads a number (0 when none).
long long dateSeconds(std::string_view date);

// "%4d/%02d/%02d  %2d:%02d:%02d" in local time; texts shorter than 7 characters are
// placeholders ("0", "000000", ...) and show as nothing.
std::string displayDate(std::string_view date);

// A new document's root carries the program's name; a loaded root keeps the title its file has.
constexpr char kNewRootTitle[] = "Perchlet";

BookmarkItem makeRootRecord(std::string addDate);

}  // namespace perchlet
