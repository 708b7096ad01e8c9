// Small readings of text that several floors share: a decimal number as the panels and the
// settings file give it, the name part of a path, and whether a text breaks its line.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace perchlet {

// The bytes from at as one word of their size, the first byte the lowest, for the readers
// that look at a text a word at a time.
template <typename Word>
Word wordAt(const char* at) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the first byte is the word's lowest");
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

template <typename Word>
constexpr Word repeated(unsigned char byte) {
    return static_cast<Word>(~Word(0) / 0xFF * byte);
}

// The high bit of each byte below limit (at most 0x80) is set; the lowest set bit is exact,
// those above it may be false.
template <typename Word>
constexpr Word bytesBelow(Word word, unsigned char limit) {
    return (word - repeated<Word>(limit)) & ~word & repeated<Word>(0x80);
}

// Decimal text as the panels give it: blanks, a sign, digits up to the first non-digit.
std::int32_t decimalValue(std::string_view text);

// The name and extension of a path (after its last \ / or :).
std::string fileNameOf(const std::string& path);
// The name without folder and extension, as the backup copy is named.
std::string baseNameOf(const std::string& path);

// Whether a CR or LF stands anywhere in text (neither byte occurs inside a Shift-JIS or UTF-8
// character). Eight bytes are looked at a time: titles and values are short, and the library's
// searches cost more per call than such a text takes.
bool holdsLineBreak(std::string_view text);
// Whether a control byte (below 0x20, or DEL) stands anywhere in text, looked at the same way.
bool holdsControlByte(std::string_view text);
// Where byte stands among the 64 bytes from at: bit i for at[i]. Sixteen bytes are compared
// at a time where the processor can (SSE2: every one that runs today's Windows, asked at run
// time in a 32-bit build), else eight by placesOfByteByWords.
std::uint64_t placesOfByte(const char* at, char byte);
std::uint64_t placesOfByteByWords(const char* at, char byte);

}  // namespace perchlet
