#include "search/search_text.h"

#include "store/bookmark_item.h"
#include "store/encoding.h"

namespace perchlet {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kVoicedMark = 0x309B;      // ゛, also half-width 0xFF9E
constexpr char32_t kSemiVoicedMark = 0x309C;  // ゜, also half-width 0xFF9F

// Half-width katakana U+FF61 to U+FF9F, in order, as their full-width forms.
constexpr char16_t kFullWidthOfHalfWidth[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, kVoicedMark, kSemiVoicedMark,
};

char32_t widened(char32_t c) {
    if (c >= 0xFF61 && c <= 0xFF9F) return kFullWidthOfHalfWidth[c - 0xFF61];
    if (c >= 0xFF01 && c <= 0xFF5E) return c - 0xFF01 + 0x21;
    if (c == 0x3000) return ' ';
    return c;
}

char32_t asHiragana(char32_t c) {
    if ((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE) return c - 0x60;
    return c;
}

bool isDash(char32_t c) {
    switch (c) {
    case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015:
    case 0x2212: case 0x30FC: case 0xFE58: case 0xFE63:
        return true;
    }
    return false;
}

char32_t smallLetter(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) return c + 0x20;  // Greek
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;                 // Cyrillic
    if (c == 0x0401) return 0x0451;
    return c;
}

// The hiragana that take a voiced mark: か to と, skipping the small っ, and は to ほ.
bool takesVoicedMark(char32_t c) {
    if (c >= 0x304B && c <= 0x3062) return (c - 0x304B) % 2 == 0;  // か..ぢ
    if (c >= 0x3064 && c <= 0x3069) return (c - 0x3064) % 2 == 0;  // つ..ど
    return c >= 0x306F && c <= 0x307D && (c - 0x306F) % 3 == 0;    // は..ぽ
}

bool takesSemiVoicedMark(char32_t c) { return c >= 0x306F && c <= 0x307D && (c - 0x306F) % 3 == 0; }

// A kana and the mark after it make one character where there is one.
char32_t joined(char32_t kana, char32_t mark) {
    if (mark == kVoicedMark) {
        if (takesVoicedMark(kana)) return kana + 1;
        if (kana == 0x3046) return 0x3094;  // う゛ is ゔ
    } else if (mark == kSemiVoicedMark && takesSemiVoicedMark(kana)) {
        return kana + 2;
    }
    return 0;
}

char32_t folded(char32_t c) {
    c = widened(c);
    if (isDash(c)) return '-';
    return smallLetter(asHiragana(c));
}

char* writeUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// The character at pos of Shift-JIS text, and how many bytes it takes.
char32_t decodeAt(std::string_view text, std::size_t pos, std::size_t& width) {
    unsigned char c = static_cast<unsigned char>(text[pos]);
    width = 1;
    if (c < 0x80) return c;
    if (isShiftJisLeadByte(c)) {
        if (pos + 1 >= text.size()) return kReplacement;
        char16_t pair = cp932PairCharacter(c, static_cast<unsigned char>(text[pos + 1]));
        if (pair == 0) return kReplacement;
        width = 2;
        return pair;
    }
    char16_t single = cp932SingleByteCharacter(c);
    return single ? single : kReplacement;
}

// The width of a voiced or semi-voiced mark at pos (half-width DE or DF, full-width 81 4A
// or 81 4B), or 0 when there is none.
std::size_t voicingMarkAt(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c == 0xDE || c == 0xDF) return 1;
    if (c == 0x81 && pos + 1 < text.size() && (text[pos + 1] == '\x4A' || text[pos + 1] == '\x4B')) return 2;
    return 0;
}

}  // namespace

void appendFoldedText(std::string_view shiftJis, std::string& out) {
    // Every byte becomes at most three: written in place, then cut to what was written.
    std::size_t start = out.size();
    out.resize(start + 3 * shiftJis.size());
    char* write = out.data() + start;
    std::size_t pos = 0;
    while (pos < shiftJis.size()) {
        unsigned char byte = static_cast<unsigned char>(shiftJis[pos]);
        if (byte < 0x80) {  // the common case, kept short
            *write++ = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 0x20 : byte);
            ++pos;
            continue;
        }
        std::size_t width;
        char32_t c = folded(decodeAt(shiftJis, pos, width));
        pos += width;
        if (std::size_t markWidth = voicingMarkAt(shiftJis, pos)) {
            char32_t mark = widened(decodeAt(shiftJis, pos, markWidth));
            if (char32_t voiced = joined(c, mark)) {
                c = voiced;
                pos += markWidth;
            }
        }
        write = writeUtf8(c, write);
    }
    out.resize(static_cast<std::size_t>(write - out.data()));
}

std::string foldedText(std::string_view shiftJis) {
    std::string out;
    appendFoldedText(shiftJis, out);
    return out;
}

std::u32string foldedCharacters(std::string_view shiftJis) {
    std::string utf8 = foldedText(shiftJis);
    std::u32string characters;
    characters.reserve(utf8.size());
    // The folded text is well-formed UTF-8 of at most three bytes a character.
    for (std::size_t pos = 0; pos < utf8.size();) {
        auto byte = static_cast<unsigned char>(utf8[pos]);
        std::size_t width = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : 3;
        char32_t c = width == 1 ? byte : width == 2 ? byte & 0x1F : byte & 0x0F;
        for (std::size_t k = 1; k < width && pos + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[pos + k]) & 0x3F);
        characters.push_back(c);
        pos += width;
    }
    return characters;
}

std::vector<std::string> foldedWords(std::string_view shiftJisQuery) {
    std::string text = foldedText(shiftJisQuery);
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t start = text.find_first_not_of(" \t\r\n", pos);
        if (start == std::string::npos) break;
        std::size_t end = text.find_first_of(" \t\r\n", start);
        if (end == std::string::npos) end = text.size();
        words.push_back(text.substr(start, end - start));
        pos = end;
    }
    return words;
}

}  // namespace perchlet
