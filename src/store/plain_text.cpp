#include "store/plain_text.h"

#include <cstring>

#include "store/bookmark_item.h"

namespace perchlet {

std::int32_t decimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x80000000LL) value = 0x80000000LL;  // clamp rather than overflow
    }
    if (negative) value = -value;
    if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
    return static_cast<std::int32_t>(value);
}

std::string fileNameOf(const std::string& path) {
    // A trail byte of a two-byte character can look like a backslash; find the real last one.
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isShiftJisLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') last = i;
    }
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string baseNameOf(const std::string& path) {
    std::string name = fileNameOf(path);
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool holdsLineBreak(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    auto holdsByte = [](std::uint64_t word, unsigned char byte) {
        std::uint64_t x = word ^ (kOnes * byte);
        return ((x - kOnes) & ~x & kHighs) != 0;
    };
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (holdsByte(word, '\r') || holdsByte(word, '\n')) return true;
    }
    for (; i < text.size(); ++i)
        if (text[i] == '\r' || text[i] == '\n') return true;
    return false;
}

}  // namespace perchlet
