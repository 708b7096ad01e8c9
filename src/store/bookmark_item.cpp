#include "store/bookmark_item.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "store/plain_text.h"

namespace perchlet {

bool isShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string fitField(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t end = 0;
    while (end < maxBytes) {
        std::size_t width = isShiftJisLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    return std::string(text.substr(0, end));
}

std::string fitField(std::string_view text, std::size_t maxBytes, TextEncoding encoding) {
    if (encoding == TextEncoding::ShiftJis) return fitField(text, maxBytes);
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

std::string fitAddress(std::string_view text) { return fitAddress(text, TextEncoding::ShiftJis); }

// No control byte and no DEL: fitAddress keeps every byte (a Shift-JIS pair's second byte
// is never below 0x40, so the one DEL it could keep is left to the full walk).
static bool isFreeOfControls(std::string_view text) { return !holdsControlByte(text); }

std::string_view fittedTitle(std::string_view text, TextEncoding encoding, std::string& fitted) {
    return fitted = filterText(text, TextFilter::SingleLine, encoding);
}

std::string_view fittedAddress(std::string_view text, TextEncoding encoding, std::string& fitted) {
    return fitted = fitAddress(text, encoding);
}

std::string_view commentField(std::string_view text, TextEncoding encoding, std::string& fitted) {
    if (text.size() <= textFieldMax(encoding)) return text;
    return fitted = fitText(text, encoding);
}

std::string_view dateField(std::string_view text, TextEncoding encoding, std::string& fitted) {
    if (text.size() <= kDateFieldMax) return text;
    return fitted = fitDate(text, encoding);
}

std::string fitAddress(std::string&& text, TextEncoding encoding) {
    if (addressKeptAsItIs(text, encoding)) return std::move(text);
    return fitAddress(std::string_view(text), encoding);
}

std::string fitAddress(std::string_view text, TextEncoding encoding) {
    if (isFreeOfControls(text)) return fitText(text, encoding);
    std::string kept;
    kept.reserve(std::min(text.size(), textFieldMax(encoding)));
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        // A two-byte character's second byte is never a control byte: copy the pair whole.
        // (UTF-8 bytes of a character are all high, so they pass one by one.)
        if (encoding == TextEncoding::ShiftJis && isShiftJisLeadByte(byte) && i + 1 < text.size() &&
            static_cast<unsigned char>(text[i + 1]) >= 0x40) {
            kept.append(text.substr(i, 2));
            ++i;
            continue;
        }
        if (byte >= 0x20 && byte != 0x7F) kept += text[i];
    }
    return fitText(kept, encoding);
}

std::string dateText(std::time_t when) {
    return std::to_string(static_cast<long long>(when));
}

std::string dateStampNow() { return dateText(std::time(nullptr)); }

long long dateSeconds(std::string_view date) { return std::strtoll(std::string(date).c_str(), nullptr, 10); }

static bool localTimeOf(std::time_t when, std::tm& out) {
#ifdef _WIN32
    return localtime_s(&out, &when) == 0;
#else
    return localtime_r(&when, &out) != nullptr;
#endif
}

std::string displayDate(std::string_view date) {
    if (date.size() < 7) return {};
    long long seconds = 0;
    for (char c : date) {
        if (c < '0' || c > '9') break;
        seconds = seconds * 10 + (c - '0');
        if (seconds > 32503680000LL) return {};  // past year 3000: not a date we can show
    }
    std::tm local{};
    if (!localTimeOf(static_cast<std::time_t>(seconds), local)) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%4d/%02d/%02d  %2d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

BookmarkItem makeRootRecord(std::string addDate) {
    BookmarkItem root;
    root.itemNumber = kRootItemNumber;
    root.parentNumber = 0;
    root.title = kNewRootTitle;
    root.lastModified = "0";
    root.addDate = std::move(addDate);
    return root;
}

}  // namespace perchlet
