#include "store/encoding.h"

#include <algorithm>

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

// Bytes as a text-mode read hands them over: CR LF arrives as LF.
class TextModeBytes {
public:
    explicit TextModeBytes(std::string_view bytes) : bytes_(bytes) {}

    // The next byte, or -1 at the end.
    int next() {
        if (pos_ >= bytes_.size()) return -1;
        unsigned char c = byteOf(bytes_[pos_++]);
        if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') {
            ++pos_;
            return '\n';
        }
        return c;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

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

void appendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

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

void eucJpToShiftJis(std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (byteOf(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        if (pos + 1 >= text.size()) break;
        unsigned char c1 = byteOf(text[pos]);
        unsigned char c2 = byteOf(text[pos + 1]);
        eucJpPairToShiftJis(c1, c2);
        text[pos] = static_cast<char>(c1);
        text[pos + 1] = static_cast<char>(c2);
        pos += 2;
    }
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

std::string filterText(std::string_view text, TextFilter mode) {
    std::string body;
    body.reserve(std::min(text.size(), kFilteredTextMax) + 2);
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Two-byte characters are copied whole: their second byte may be | or \ but is
        // never a control byte or comma, and a cut never splits them.
        if (pairStartsAt(text, pos)) {
            if (body.size() + 2 > kFilteredTextMax) break;
            body.append(text.substr(pos, 2));
            pos += 2;
            continue;
        }
        FilteredByte filtered = filterByte(text[pos], mode);
        if (body.size() + filtered.size > kFilteredTextMax) break;
        body.append(filtered.bytes, filtered.size);
        ++pos;
    }
    if (isQuoted(mode)) return '"' + body + '"';
    return body;
}

bool appendCodePointAsShiftJis(char32_t cp, std::string& out) {
    if (cp == 0) return false;
    std::uint16_t form = cp932FormOf(cp);
    if (form == 0) return false;
    if (form >= 0x100) out += static_cast<char>(form >> 8);
    out += static_cast<char>(form & 0xFF);
    return true;
}

std::string utf8ToShiftJis(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    TextModeBytes in(utf8);
    for (int c = in.next(); c >= 0; c = in.next()) {
        char32_t cp = 0;
        if (c < 0x80) {
            cp = static_cast<char32_t>(c);
        } else if (c < 0xC0 || c >= 0xF0) {
            // A stray continuation byte, or a four-byte character (no Shift-JIS form anyway),
            // whose continuation bytes are then skipped as strays.
            continue;
        } else if (c < 0xE0) {
            int b1 = in.next();
            if (b1 < 0) break;
            cp = static_cast<char32_t>(((c & 0x1F) << 6) | (b1 & 0x3F));
        } else {
            int b1 = in.next();
            int b2 = b1 < 0 ? -1 : in.next();
            if (b2 < 0) break;
            cp = static_cast<char32_t>(((c & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F));
        }
        appendCodePointAsShiftJis(cp, out);
    }
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

std::string utf16ToShiftJis(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t unit : text) {
        // ASCII, NUL included, stands for itself.
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else {
            appendCodePointAsShiftJis(unit, out);
        }
    }
    return out;
}

bool shouldOfferUtf8Conversion(std::string_view text) {
    return text.substr(0, 3) == u8"\uFEFF" || text.find("charset=UTF-8") != std::string_view::npos;
}

}  // namespace perchlet
