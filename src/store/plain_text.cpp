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

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

std::uint64_t wordAt(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The high bit of each byte below limit (at most 0x80) is set; the lowest set bit is exact,
// those above it may be false.
std::uint64_t bytesBelow(std::uint64_t word, unsigned char limit) { return (word - kOnes * limit) & ~word & kHighs; }

std::uint64_t bytesEqual(std::uint64_t word, unsigned char byte) { return bytesBelow(word ^ (kOnes * byte), 1); }

// Whether any byte of text passes test, eight at a time, with byteTest for the tail.
template <typename WordTest, typename ByteTest>
bool holdsAny(std::string_view text, WordTest wordTest, ByteTest byteTest) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8)
        if (wordTest(wordAt(text.data() + i))) return true;
    for (; i < text.size(); ++i)
        if (byteTest(static_cast<unsigned char>(text[i]))) return true;
    return false;
}

}  // namespace

bool holdsLineBreak(std::string_view text) {
    return holdsAny(
        text, [](std::uint64_t w) { return (bytesEqual(w, '\r') | bytesEqual(w, '\n')) != 0; },
        [](unsigned char b) { return b == '\r' || b == '\n'; });
}

bool holdsControlByte(std::string_view text) {
    return holdsAny(
        text, [](std::uint64_t w) { return (bytesBelow(w, 0x20) | bytesEqual(w, 0x7F)) != 0; },
        [](unsigned char b) { return b < 0x20 || b == 0x7F; });
}


}  // namespace perchlet
