#include "store/plain_text.h"

#include <cstring>
#if defined(__SSE2__) || defined(__i386__)
#include <emmintrin.h>
#endif

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

template <typename Word>
Word bytesEqual(Word word, unsigned char byte) {
    return bytesBelow<Word>(word ^ repeated<Word>(byte), 1);
}

// Whether any byte of text passes wordTest, taken eight bytes at a time; the last word
// overlaps the one before it rather than leaving a tail, and texts of four to seven bytes
// are two overlapping four-byte words.
template <typename WordTest, typename ByteTest>
bool holdsAny(std::string_view text, WordTest wordTest, ByteTest byteTest) {
    const char* at = text.data();
    const std::size_t size = text.size();
    if (size >= 8) {
        for (std::size_t i = 0; i + 8 <= size; i += 8)
            if (wordTest(wordAt<std::uint64_t>(at + i))) return true;
        return size % 8 != 0 && wordTest(wordAt<std::uint64_t>(at + size - 8));
    }
    if (size >= 4) return wordTest(wordAt<std::uint32_t>(at)) || wordTest(wordAt<std::uint32_t>(at + size - 4));
    for (std::size_t i = 0; i < size; ++i)
        if (byteTest(static_cast<unsigned char>(at[i]))) return true;
    return false;
}

}  // namespace

bool holdsLineBreak(std::string_view text) {
    // Bytes below 0x0E are rare in any text: only where some are is CR or LF looked for.
    return holdsAny(
        text, [](auto w) { return bytesBelow(w, 0x0E) && (bytesEqual(w, '\r') | bytesEqual(w, '\n')); },
        [](unsigned char b) { return b == '\r' || b == '\n'; });
}

std::uint64_t placesOfByteByWords(const char* at, char byte) {
    // 0x80 in exactly the bytes that match, each moved down to its own bit.
    constexpr std::uint64_t kLow7 = repeated<std::uint64_t>(0x7F);
    std::uint64_t places = 0;
    for (int i = 0; i < 8; ++i) {
        std::uint64_t word = wordAt<std::uint64_t>(at + 8 * i) ^ repeated<std::uint64_t>(byte);
        std::uint64_t matches = ~(((word & kLow7) + kLow7) | word | kLow7);
        places |= (((matches >> 7) * 0x0102040810204080ULL) >> 56) << (8 * i);
    }
    return places;
}

#if defined(__SSE2__) || defined(__i386__)
namespace {

__attribute__((target("sse2"))) std::uint64_t placesOfByteBySse2(const char* at, char byte) {
    const __m128i wanted = _mm_set1_epi8(byte);
    std::uint64_t places = 0;
    for (int i = 0; i < 4; ++i) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * i));
        auto matches = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
        places |= std::uint64_t(matches) << (16 * i);
    }
    return places;
}

}  // namespace
#endif

std::uint64_t placesOfByte(const char* at, char byte) {
#if defined(__SSE2__)
    return placesOfByteBySse2(at, byte);
#elif defined(__i386__)
    static const bool sse2 = (__builtin_cpu_init(), __builtin_cpu_supports("sse2") != 0);
    return sse2 ? placesOfByteBySse2(at, byte) : placesOfByteByWords(at, byte);
#else
    return placesOfByteByWords(at, byte);
#endif
}

bool holdsControlByte(std::string_view text) {
    return holdsAny(
        text, [](auto w) { return (bytesBelow(w, 0x20) | bytesEqual(w, 0x7F)) != 0; },
        [](unsigned char b) { return b < 0x20 || b == 0x7F; });
}

}  // namespace perchlet
