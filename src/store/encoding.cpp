#include "store/encoding.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

#include "store/plain_text.h"

namespace perchlet {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

unsigned char byteOf(char c) { return static_cast<unsigned char>(c); }

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// True when a two-byte Shift-JIS character starts at pos.
bool pairStartsAt(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && isLeadByte(byteOf(text[pos])) && isTrailByte(byteOf(text[pos + 1]));
}

bool sequenceAt(const std::string& text, std::size_t pos, std::string_view sequence) {
    return text.compare(pos, sequence.size(), sequence.data(), sequence.size()) == 0;
}

// Rows up to 0x5E (0xDE in EUC-JP) take lead bytes 81-9F, later rows E0-EF; row 0x5E is
// the last even row below the gap, so the split is on the row byte, not on half of it.
void eucJpPairToShiftJis(unsigned char& c1, unsigned char& c2) {
    unsigned h = c1 >> 1;
    bool belowGap = c1 <= 0xDE;
    if (c1 & 1) {
        c1 = static_cast<unsigned char>(belowGap ? h + 0x31 : h + 0x71);
        c2 = static_cast<unsigned char>(c2 <= 0xDF ? c2 - 0x61 : c2 - 0x60);
    } else {
        c1 = static_cast<unsigned char>(belowGap ? h + 0x30 : h + 0x70);
        c2 = static_cast<unsigned char>(c2 - 2);
    }
}

void jisPairToShiftJis(unsigned char& c1, unsigned char& c2) {
    unsigned h = c1 >> 1;
    bool belowGap = c1 <= 0x5E;
    if (c1 & 1) {
        c1 = static_cast<unsigned char>(belowGap ? h + 0x71 : h + 0xB1);
        c2 = static_cast<unsigned char>(c2 <= 0x5F ? c2 + 0x1F : c2 + 0x20);
    } else {
        c1 = static_cast<unsigned char>(belowGap ? h + 0x70 : h + 0xB0);
        c2 = static_cast<unsigned char>(c2 + 0x7E);
    }
}

// What one byte that is not part of a two-byte character becomes under a filter.
struct FilteredByte {
    char bytes[2];
    std::size_t size;
};

FilteredByte dropped() { return {{0, 0}, 0}; }
FilteredByte kept(char c) { return {{c, 0}, 1}; }

bool isFileNameUnsafe(char c) {
    return std::string_view("/*?<>;:%,\"").find(c) != std::string_view::npos;
}

FilteredByte filterByte(char c, TextFilter mode) {
    switch (mode) {
    case TextFilter::SingleLine:
        return (c == '\r' || c == '\n') ? dropped() : kept(c);
    case TextFilter::QuotedNoCr:
    case TextFilter::CrRemoving:
        return c == '\r' ? dropped() : kept(c);
    case TextFilter::CommaFree:
        return kept(c == ',' ? ' ' : c);
    case TextFilter::QuotedCommaFree:
        return c == '\r' ? dropped() : kept(c == ',' ? ' ' : c);
    case TextFilter::CrLf:
        return c == '\n' ? FilteredByte{{'\r', '\n'}, 2} : kept(c);
    case TextFilter::FileName:
        if (byteOf(c) < 0x20 || c == '|' || c == '\\') return dropped();
        return kept(isFileNameUnsafe(c) ? '-' : c);
    }
    return kept(c);
}

bool isQuoted(TextFilter mode) {
    return mode == TextFilter::QuotedNoCr || mode == TextFilter::QuotedCommaFree;
}

// Calls sink with each character of Shift-JIS text; bytes that form none give U+FFFD.
template <typename Sink>
void decodeShiftJis(std::string_view sjis, Sink sink) {
    std::size_t pos = 0;
    while (pos < sjis.size()) {
        unsigned char c = byteOf(sjis[pos]);
        if (pairStartsAt(sjis, pos)) {
            char16_t character = cp932PairCharacter(c, byteOf(sjis[pos + 1]));
            sink(character != 0 ? character : kReplacementCharacter);
            pos += 2;
        } else if (isLeadByte(c)) {
            // A lead byte without its trail; the byte after it is read on its own.
            sink(kReplacementCharacter);
            ++pos;
        } else {
            sink(cp932SingleByteCharacter(c));
            ++pos;
        }
    }
}

}  // namespace

void appendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

EncodingGuess guessEncoding(std::string_view text) {
    // Past the end reads as the terminating zero, as in the zero-ended texts this rule was made for.
    auto byteAfter = [&](std::size_t pos) -> unsigned char {
        return pos + 1 < text.size() ? byteOf(text[pos + 1]) : 0;
    };
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        unsigned char c = byteOf(text[pos]);
        if (c == 0x1B && byteAfter(pos) == '$') return EncodingGuess::Iso2022Jp;
        if (c < 0x80) continue;
        if (c >= 0x81 && c <= 0x9F) return EncodingGuess::ShiftJis;
        if (c >= 0xA1 && c <= 0xDF) return EncodingGuess::EucJp;
        if (byteAfter(pos) <= 0xA0) return EncodingGuess::ShiftJis;
    }
    return EncodingGuess::None;
}

namespace {
bool isEucByte(unsigned char c) { return c >= 0xA1 && c <= 0xFE; }
bool isJisByte(unsigned char c) { return c >= 0x21 && c <= 0x7E; }
}  // namespace

void eucJpToShiftJis(std::string& text) {
    std::size_t read = 0;
    std::size_t write = 0;
    while (read < text.size()) {
        unsigned char c1 = byteOf(text[read]);
        if (c1 < 0x80 || read + 1 >= text.size()) {
            text[write++] = text[read++];
            continue;
        }
        unsigned char c2 = byteOf(text[read + 1]);
        if (c1 == 0x8E && c2 >= 0xA1 && c2 <= 0xDF) {  // half-width katakana: one byte in Shift-JIS
            text[write++] = static_cast<char>(c2);
            read += 2;
        } else if (c1 == 0x8F && read + 2 < text.size() && isEucByte(c2) && isEucByte(byteOf(text[read + 2]))) {
            read += 3;  // JIS X 0212 has no Shift-JIS form
        } else if (isEucByte(c1) && isEucByte(c2)) {
            eucJpPairToShiftJis(c1, c2);
            text[write++] = static_cast<char>(c1);
            text[write++] = static_cast<char>(c2);
            read += 2;
        } else {
            // No pair: the byte goes alone, and what follows (a "<", say) is read for itself.
            ++read;
        }
    }
    text.resize(write);
}

void iso2022JpToShiftJis(std::string& text) {
    bool kanji = false;
    std::size_t read = 0;
    std::size_t write = 0;
    while (read < text.size()) {
        if (sequenceAt(text, read, "\x1B$B") || sequenceAt(text, read, "\x1B$@")) {
            kanji = true;
            read += 3;
            continue;
        }
        if (sequenceAt(text, read, "\x1B(B") || sequenceAt(text, read, "\x1B(J") ||
            sequenceAt(text, read, "\x1B(I")) {
            kanji = false;
            read += 3;
            continue;
        }
        char c = text[read];
        if (c == '\x0E' || c == '\x0F') {
            kanji = false;
            ++read;
            continue;
        }
        if (!kanji || read + 1 >= text.size()) {
            text[write++] = text[read++];
            continue;
        }
        unsigned char c1 = byteOf(text[read]);
        unsigned char c2 = byteOf(text[read + 1]);
        if (!isJisByte(c1) || !isJisByte(c2)) {
            // Not a pair: an ASCII byte stays, anything else is dropped.
            if (c1 < 0x80) text[write++] = text[read];
            ++read;
            continue;
        }
        jisPairToShiftJis(c1, c2);
        text[write++] = static_cast<char>(c1);
        text[write++] = static_cast<char>(c2);
        read += 2;
    }
    text.resize(write);
}

void lowerCaseAscii(std::string& text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
}

namespace {

// Bytes of the multi-byte character starting at pos, or 0 when a single byte stands there.
std::size_t multiByteCharacterAt(std::string_view text, std::size_t pos, TextEncoding encoding) {
    if (encoding == TextEncoding::ShiftJis) return pairStartsAt(text, pos) ? 2 : 0;
    std::size_t length = utf8SequenceLength(byteOf(text[pos]));
    if (length < 2) return 0;
    std::size_t have = 1;
    while (have < length && pos + have < text.size() && (byteOf(text[pos + have]) & 0xC0) == 0x80) ++have;
    return have;
}


// The bytes a filter changes, all below 0x40, so never the second byte of a Shift-JIS pair
// nor part of a UTF-8 character; none for the file-name filter, which a pair can upset.
std::string_view bytesChangedBy(TextFilter mode) {
    switch (mode) {
    case TextFilter::SingleLine: return std::string_view("\r\n", 2);
    case TextFilter::QuotedNoCr:
    case TextFilter::CrRemoving: return std::string_view("\r", 1);
    case TextFilter::CommaFree: return std::string_view(",", 1);
    case TextFilter::QuotedCommaFree: return std::string_view("\r,", 2);
    case TextFilter::CrLf: return std::string_view("\n", 1);
    case TextFilter::FileName: break;
    }
    return {};
}

// True when the filter would copy the text byte for byte: nothing it changes, nothing cut.
bool filterKeepsAsItIs(std::string_view text, TextFilter mode, std::size_t limit) {
    std::string_view changed = bytesChangedBy(mode);
    if (changed.empty() || text.size() > limit) return false;
    if (mode == TextFilter::SingleLine) return !holdsLineBreak(text);
    for (char byte : changed)
        if (std::memchr(text.data(), byte, text.size())) return false;
    return true;
}

}  // namespace

std::string filterText(std::string_view text, TextFilter mode, TextEncoding encoding) {
    const std::size_t limit = encoding == TextEncoding::Utf8 ? kUtf8FilteredTextMax : kFilteredTextMax;
    if (filterKeepsAsItIs(text, mode, limit)) {
        if (!isQuoted(mode)) return std::string(text);
        std::string quoted;
        quoted.reserve(text.size() + 2);
        return quoted.append(1, '"').append(text).append(1, '"');
    }
    std::string body;
    body.reserve(std::min(text.size(), limit) + 2);
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Multi-byte characters are copied whole: a Shift-JIS second byte may be | or \ but
        // is never a control byte or comma, UTF-8 ones are all high, and a cut never splits them.
        if (std::size_t width = multiByteCharacterAt(text, pos, encoding)) {
            if (body.size() + width > limit) break;
            body.append(text.substr(pos, width));
            pos += width;
            continue;
        }
        FilteredByte filtered = filterByte(text[pos], mode);
        if (body.size() + filtered.size > limit) break;
        body.append(filtered.bytes, filtered.size);
        ++pos;
    }
    if (isQuoted(mode)) return '"' + body + '"';
    return body;
}

std::string filterText(std::string_view text, TextFilter mode) {
    return filterText(text, mode, TextEncoding::ShiftJis);
}

bool appendCodePointAsShiftJis(char32_t cp, std::string& out) {
    if (cp == 0) return false;
    std::uint16_t form = cp932FormOf(cp);
    if (form == 0) return false;
    if (form >= 0x100) out += static_cast<char>(form >> 8);
    out += static_cast<char>(form & 0xFF);
    return true;
}

namespace {

// UTF-8 bytes read one after the other, a whole well-formed character at a time.
class Utf8Reader {
public:
    explicit Utf8Reader(std::string_view bytes) : bytes_(bytes) {}
    // The next character, kIllFormed for an ill-formed sequence (dropped), or false at the end.
    bool next(char32_t& cp);
    static constexpr char32_t kIllFormed = 0xFFFFFFFF;

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

bool Utf8Reader::next(char32_t& cp) {
    if (pos_ >= bytes_.size()) return false;
    unsigned char lead = byteOf(bytes_[pos_++]);
    if (lead < 0x80) {
        cp = lead;
        return true;
    }
    // Well-formed sequences as Unicode lists them: no overlong forms, no surrogates,
    // nothing past U+10FFFF; the second byte's range depends on the lead.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    if (length == 0) {
        cp = kIllFormed;
        return true;
    }
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        unsigned char c = pos_ < bytes_.size() ? byteOf(bytes_[pos_]) : 0;
        if (c < low || c > high) {
            // The sequence so far is dropped; the byte that broke it is read again.
            cp = kIllFormed;
            return true;
        }
        value = value << 6 | (c & 0x3F);
        ++pos_;
        low = 0x80;
        high = 0xBF;
    }
    cp = value;
    return true;
}

void appendPercentEncodedUtf8(char32_t cp, std::string& out) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string utf8;
    appendUtf8(cp, utf8);
    for (char c : utf8) {
        out += '%';
        out += kHex[byteOf(c) >> 4];
        out += kHex[byteOf(c) & 0xF];
    }
}

}  // namespace

void appendCodePoint(char32_t cp, Unrepresentable unrepresentable, std::string& out, LostCharacters* lost) {
    LostCharacters ignored;
    LostCharacters& run = lost ? *lost : ignored;
    if (cp == 0) return;
    if (appendCodePointAsShiftJis(cp, out)) {
        run.inRun = false;
        return;
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return;
    // A run of lost characters, however long, is one place where something was.
    bool startsRun = !run.inRun;
    if (startsRun) ++run.runs;
    run.inRun = true;
    switch (unrepresentable) {
    case Unrepresentable::Drop: break;
    case Unrepresentable::CharacterReference:
        out += "&#";
        out += std::to_string(static_cast<unsigned long>(cp));
        out += ';';
        break;
    case Unrepresentable::PercentEncode: appendPercentEncodedUtf8(cp, out); break;
    case Unrepresentable::Mark:
        if (startsRun) out += kReplacementMark;
        break;
    }
}

std::string utf8ToShiftJis(std::string_view utf8, Unrepresentable unrepresentable, LostCharacters* lost) {
    std::string out;
    out.reserve(utf8.size());
    Utf8Reader in(utf8);
    bool pendingCr = false;  // a CR LF arrives as LF, as a text-mode read gives it
    char32_t cp;
    while (in.next(cp)) {
        if (pendingCr && cp != '\n') out += '\r';
        pendingCr = cp == '\r';
        if (pendingCr || cp == Utf8Reader::kIllFormed) continue;
        appendCodePoint(cp, unrepresentable, out, lost);
    }
    if (pendingCr) out += '\r';
    return out;
}

std::string shiftJisToUtf8(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    decodeShiftJis(sjis, [&out](char32_t cp) { appendUtf8(cp, out); });
    return out;
}

std::u16string shiftJisToUtf16(std::string_view sjis) {
    std::u16string out;
    out.reserve(sjis.size());
    decodeShiftJis(sjis, [&out](char32_t cp) { out += static_cast<char16_t>(cp); });
    return out;
}

std::string utf16ToShiftJis(std::u16string_view text, Unrepresentable unrepresentable, LostCharacters* lost) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        // ASCII, NUL included, stands for itself.
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            if (lost) lost->inRun = false;
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        appendCodePoint(cp, unrepresentable, out, lost);
    }
    return out;
}

std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

namespace {

// Calls sink with each character of UTF-8 bytes, U+FFFD for each ill-formed sequence.
template <typename Sink>
void decodeUtf8(std::string_view bytes, Sink sink) {
    Utf8Reader in(bytes);
    char32_t cp;
    while (in.next(cp)) sink(cp == Utf8Reader::kIllFormed ? kReplacementCharacter : cp);
}

// Where the run of ASCII from `at` ends, looked at eight bytes at a time: most titles and
// nearly every address are ASCII for long stretches.
std::size_t asciiRunEnd(std::string_view bytes, std::size_t at) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    for (; at + 8 <= bytes.size(); at += 8)
        if (wordAt<std::uint64_t>(bytes.data() + at) & kHighBits) break;
    while (at < bytes.size() && byteOf(bytes[at]) < 0x80) ++at;
    return at;
}

bool isAscii(std::string_view bytes) { return asciiRunEnd(bytes, 0) == bytes.size(); }

// The length of the well-formed sequence that starts at `at` with a byte of 0x80 or more,
// or 0: the sequences Unicode lists, as Utf8Reader reads them.
std::size_t wellFormedSequenceAt(std::string_view bytes, std::size_t at) {
    unsigned char lead = byteOf(bytes[at]);
    std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || length > bytes.size() - at) return 0;
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    unsigned char second = byteOf(bytes[at + 1]);
    if (second < low || second > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byteOf(bytes[at + i]) & 0xC0) != 0x80) return 0;
    return length;
}

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define PERCHLET_UTF8_CHECK_16_AT_A_TIME 1

constexpr std::size_t kCheckBy16From = 64;

// Flags of what a pair of bytes can break, looked up by the first byte's high half, its low
// half and the second byte's high half: a pair is wrong when all three lookups share a flag.
// A third or fourth byte of a sequence is caught apart, as a byte that must continue one.
constexpr char kTooShort = 1 << 0;     // a lead, then no continuation
constexpr char kTooLong = 1 << 1;      // ASCII, then a continuation
constexpr char kOverlong3 = 1 << 2;    // E0 80-9F
constexpr char kTooLarge = 1 << 3;     // F4 90-BF, F5-FF
constexpr char kSurrogate = 1 << 4;    // ED A0-BF
constexpr char kOverlong2 = 1 << 5;    // C0-C1
// These two share a bit: the first byte's low half tells F0 from F5-FF.
constexpr char kTooLarge1000 = 1 << 6; // F5-FF 80-8F
constexpr char kOverlong4 = 1 << 6;    // F0 80-8F
constexpr char kTwoContinuations = static_cast<char>(1 << 7);
constexpr char kCarry = kTooShort | kTooLong | kTwoContinuations;  // whatever the first byte's low half

__attribute__((target("ssse3"))) inline __m128i pairErrors(__m128i input, __m128i previous1) {
    const __m128i lowHalf = _mm_set1_epi8(0x0F);
    const __m128i firstHigh = _mm_setr_epi8(
        kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoContinuations,
        kTwoContinuations, kTwoContinuations, kTwoContinuations, kTooShort | kOverlong2, kTooShort,
        kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4);
    const __m128i firstLow = _mm_setr_epi8(
        kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry, kCarry | kTooLarge,
        kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000 | kSurrogate, kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000);
    const __m128i secondHigh = _mm_setr_epi8(
        kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
        kTooLong | kOverlong2 | kTwoContinuations | kOverlong3 | kTooLarge1000 | kOverlong4,
        kTooLong | kOverlong2 | kTwoContinuations | kOverlong3 | kTooLarge,
        kTooLong | kOverlong2 | kTwoContinuations | kSurrogate | kTooLarge,
        kTooLong | kOverlong2 | kTwoContinuations | kSurrogate | kTooLarge, kTooShort, kTooShort, kTooShort,
        kTooShort);
    __m128i a = _mm_shuffle_epi8(firstHigh, _mm_and_si128(_mm_srli_epi16(previous1, 4), lowHalf));
    __m128i b = _mm_shuffle_epi8(firstLow, _mm_and_si128(previous1, lowHalf));
    __m128i c = _mm_shuffle_epi8(secondHigh, _mm_and_si128(_mm_srli_epi16(input, 4), lowHalf));
    return _mm_and_si128(_mm_and_si128(a, b), c);
}

// The errors of 16 bytes, given the 16 before them. A pair's flag of two continuations is
// right exactly where the byte is the third or fourth of a sequence, so there it cancels.
__attribute__((target("ssse3"))) inline __m128i blockErrors(__m128i input, __m128i previous) {
    __m128i pairs = pairErrors(input, _mm_alignr_epi8(input, previous, 15));
    __m128i third = _mm_subs_epu8(_mm_alignr_epi8(input, previous, 14), _mm_set1_epi8(char(0xE0 - 0x80)));
    __m128i fourth = _mm_subs_epu8(_mm_alignr_epi8(input, previous, 13), _mm_set1_epi8(char(0xF0 - 0x80)));
    __m128i mustContinue = _mm_and_si128(_mm_or_si128(third, fourth), _mm_set1_epi8(char(0x80)));
    return _mm_xor_si128(mustContinue, pairs);
}

// The whole text sixteen bytes at a time; the last bytes are followed by zeros, so that a
// sequence cut at the end meets ASCII and counts as broken.
__attribute__((target("ssse3"))) bool isWellFormedUtf8By16(std::string_view bytes) {
    const char* data = bytes.data();
    __m128i previous = _mm_setzero_si128();
    __m128i errors = _mm_setzero_si128();
    std::size_t at = 0;
    for (; at + 16 <= bytes.size(); at += 16) {
        __m128i input = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        // ASCII breaks nothing unless a sequence is still open, and then the byte before it is
        // 0x80 or more: had that byte been ASCII, the bytes before would have been found broken.
        if (_mm_movemask_epi8(input) != 0 || (_mm_movemask_epi8(previous) & 0x8000) != 0)
            errors = _mm_or_si128(errors, blockErrors(input, previous));
        previous = input;
    }
    char last[16] = {};
    std::memcpy(last, data + at, bytes.size() - at);
    errors = _mm_or_si128(errors, blockErrors(_mm_loadu_si128(reinterpret_cast<const __m128i*>(last)), previous));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(errors, _mm_setzero_si128())) == 0xFFFF;
}

bool canCheck16AtATime() {
    static const bool supported = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3") != 0);
    return supported;
}
#endif

}  // namespace

bool isWellFormedUtf8(std::string_view bytes) {
#ifdef PERCHLET_UTF8_CHECK_16_AT_A_TIME
    // A long text is checked without a branch per character: a part of a data file is mostly
    // ASCII with runs of kana and kanji in between, and each switch between them costs a guess.
    if (bytes.size() >= kCheckBy16From && canCheck16AtATime()) return isWellFormedUtf8By16(bytes);
#endif
    std::size_t at = asciiRunEnd(bytes, 0);
    while (at < bytes.size()) {
        unsigned char lead = byteOf(bytes[at]);
        if (lead < 0x80) {
            at = asciiRunEnd(bytes, at);
            continue;
        }
        // Most characters past ASCII in titles are three bytes whose second byte may be any
        // continuation (kana, kanji): read without the table.
        if (lead >= 0xE1 && lead != 0xED && lead <= 0xEF && bytes.size() - at >= 3 &&
            (byteOf(bytes[at + 1]) & 0xC0) == 0x80 && (byteOf(bytes[at + 2]) & 0xC0) == 0x80) {
            at += 3;
            continue;
        }
        std::size_t length = wellFormedSequenceAt(bytes, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string wellFormedUtf8(std::string_view bytes) {
    if (isAscii(bytes) || isWellFormedUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 8);
    decodeUtf8(bytes, [&out](char32_t cp) { appendUtf8(cp, out); });
    return out;
}

void appendCodePointIn(TextEncoding encoding, char32_t cp, Unrepresentable unrepresentable, std::string& out,
                       LostCharacters* lost) {
    if (encoding == TextEncoding::ShiftJis) return appendCodePoint(cp, unrepresentable, out, lost);
    if (cp == 0) return;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementCharacter;
    appendUtf8(cp, out);
    if (lost) lost->inRun = false;
}

std::string convertText(std::string_view text, TextEncoding from, TextEncoding to, Unrepresentable unrepresentable,
                        LostCharacters* lost) {
    if (from == to || isAscii(text)) return std::string(text);
    if (to == TextEncoding::Utf8) return shiftJisToUtf8(text);
    return utf8ToShiftJis(text, unrepresentable, lost);
}

std::string textFromUtf8(std::string_view utf8, TextEncoding encoding, Unrepresentable unrepresentable,
                         LostCharacters* lost) {
    if (encoding == TextEncoding::Utf8) return wellFormedUtf8(utf8);
    return utf8ToShiftJis(utf8, unrepresentable, lost);
}

std::string textFromUtf16(std::u16string_view text, TextEncoding encoding, Unrepresentable unrepresentable,
                          LostCharacters* lost) {
    if (encoding == TextEncoding::ShiftJis) return utf16ToShiftJis(text, unrepresentable, lost);
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        bool high = cp >= 0xD800 && cp <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (cp == 0) out += '\0';  // as utf16ToShiftJis keeps it
        else appendCodePointIn(TextEncoding::Utf8, cp, unrepresentable, out, lost);
    }
    return out;
}

std::u16string utf16OfText(std::string_view text, TextEncoding encoding) {
    if (encoding == TextEncoding::ShiftJis) return shiftJisToUtf16(text);
    std::u16string out;
    out.reserve(text.size());
    decodeUtf8(text, [&out](char32_t cp) {
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    });
    return out;
}

std::string utf8OfText(std::string_view text, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? std::string(text) : shiftJisToUtf8(text);
}

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Where `what` (lower case) starts in text at or after pos, in any case; npos when nowhere.
std::size_t findIgnoringCase(std::string_view text, std::string_view what, std::size_t pos) {
    for (; pos + what.size() <= text.size(); ++pos) {
        std::size_t i = 0;
        while (i < what.size() && asciiLower(text[pos + i]) == what[i]) ++i;
        if (i == what.size()) return pos;
    }
    return std::string_view::npos;
}

bool isHtmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// Whether a <meta> tag's text names UTF-8: charset=utf-8 as an attribute or inside its
// content, with blanks around "=" and the value in quotes or not.
bool metaDeclaresUtf8(std::string_view tag) {
    for (std::size_t at = findIgnoringCase(tag, "charset", 0); at != std::string_view::npos;
         at = findIgnoringCase(tag, "charset", at + 1)) {
        std::size_t pos = at + 7;
        while (pos < tag.size() && isHtmlBlank(tag[pos])) ++pos;
        if (pos >= tag.size() || tag[pos] != '=') continue;
        ++pos;
        while (pos < tag.size() && (isHtmlBlank(tag[pos]) || tag[pos] == '"' || tag[pos] == '\'')) ++pos;
        std::size_t value = findIgnoringCase(tag, "utf", pos);
        if (value != pos) continue;
        pos += 3;
        if (pos < tag.size() && tag[pos] == '-') ++pos;
        if (pos < tag.size() && tag[pos] == '8' &&
            (pos + 1 == tag.size() || !(tag[pos + 1] >= '0' && tag[pos + 1] <= '9')))
            return true;
    }
    return false;
}

}  // namespace

bool shouldOfferUtf8Conversion(std::string_view text) {
    if (text.substr(0, 3) == u8"\uFEFF" || text.find("charset=UTF-8") != std::string_view::npos) return true;
    for (std::size_t meta = findIgnoringCase(text, "<meta", 0); meta != std::string_view::npos;
         meta = findIgnoringCase(text, "<meta", meta + 5)) {
        std::size_t end = text.find('>', meta);
        if (end == std::string_view::npos) end = text.size();
        if (metaDeclaresUtf8(text.substr(meta, end - meta))) return true;
    }
    return false;
}

namespace {

// Whether some <meta> tag declares a charset at all (UTF-8 ones are found before this asks).
bool declaresSomeCharset(std::string_view text) {
    for (std::size_t meta = findIgnoringCase(text, "<meta", 0); meta != std::string_view::npos;
         meta = findIgnoringCase(text, "<meta", meta + 5)) {
        std::size_t end = text.find('>', meta);
        if (end == std::string_view::npos) end = text.size();
        std::string_view tag = text.substr(meta, end - meta);
        for (std::size_t at = findIgnoringCase(tag, "charset", 0); at != std::string_view::npos;
             at = findIgnoringCase(tag, "charset", at + 1)) {
            std::size_t pos = at + 7;
            while (pos < tag.size() && isHtmlBlank(tag[pos])) ++pos;
            if (pos < tag.size() && tag[pos] == '=') return true;
        }
    }
    return false;
}

}  // namespace

Utf8Evidence utf8EvidenceOf(std::string_view text) {
    if (shouldOfferUtf8Conversion(text)) return Utf8Evidence::Declared;
    if (declaresSomeCharset(text)) return Utf8Evidence::None;
    bool twoByte = false;
    bool longer = false;
    Utf8Reader in(text);
    char32_t cp;
    while (in.next(cp)) {
        if (cp == Utf8Reader::kIllFormed) return Utf8Evidence::None;
        if (cp >= 0x800) longer = true;
        else if (cp >= 0x80) twoByte = true;
    }
    if (longer) return Utf8Evidence::Valid;
    return twoByte ? Utf8Evidence::Ambiguous : Utf8Evidence::None;
}

}  // namespace perchlet
