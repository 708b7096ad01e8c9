#include "web/title_scanner.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <utility>

#include "exchange/netscape.h"
#include "store/bookmark_item.h"
#include "store/encoding.h"

namespace perchlet {

namespace {

constexpr std::string_view kCommentOpening = "<!--";
constexpr std::string_view kClosing = "</title";
// Elements whose opening tags are looked for before the title: the title itself, and those
// whose content is code that may hold "<title>" as text.
constexpr std::string_view kTitle = "title";
constexpr std::string_view kScannedElements[] = {kTitle, "script", "style"};

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isTagBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// True while tag (from its "<") may still become a comment or one of the scanned elements.
bool mayBecomeScannedTag(std::string_view tag) {
    if (startsWith(kCommentOpening, tag)) return true;
    std::string_view name = tag.substr(1);
    for (std::string_view element : kScannedElements)
        if (startsWith(element, name)) return true;
    return false;
}

}  // namespace

bool TitleScanner::feed(std::string_view chunk) {
    for (char c : chunk) {
        switch (state_) {
        case State::BeforeTitle: scanBefore(c); break;
        case State::InComment: scanComment(c); break;
        case State::AfterName: scanAfterName(c); break;
        case State::InOpeningTag: scanOpeningTag(c); break;
        case State::InRawText: scanRawText(c); break;
        case State::InTitle: scanTitle(c); break;
        case State::Done: return true;
        }
    }
    return finished();
}

void TitleScanner::scanBefore(char c) {
    if (c == '<') {
        tag_ = "<";
        return;
    }
    if (tag_.empty()) return;
    tag_ += lowerAscii(c);
    if (tag_ == kCommentOpening) {
        tag_.clear();
        // "<!-->" and "<!--->" are whole, empty comments.
        dashes_ = 2;
        state_ = State::InComment;
        return;
    }
    for (std::string_view element : kScannedElements) {
        if (tag_.size() == element.size() + 1 && std::string_view(tag_).substr(1) == element) {
            tag_.clear();
            element_ = element;
            state_ = State::AfterName;
            return;
        }
    }
    if (!mayBecomeScannedTag(tag_)) tag_.clear();
}

void TitleScanner::scanComment(char c) {
    if (c == '-') {
        ++dashes_;
    } else if (c == '>' && dashes_ >= 2) {
        state_ = State::BeforeTitle;
    } else {
        dashes_ = 0;
    }
}

// The name must end the tag's name: "<titlebar>" is another tag.
void TitleScanner::scanAfterName(char c) {
    if (c == '>') {
        openElement();
    } else if (isTagBlank(c) || c == '/') {
        state_ = State::InOpeningTag;
    } else {
        state_ = State::BeforeTitle;
        scanBefore(c);
    }
}

void TitleScanner::scanOpeningTag(char c) {
    if (quote_) {
        if (c == quote_) quote_ = 0;
    } else if (c == '"' || c == '\'') {
        quote_ = c;
    } else if (c == '>') {
        openElement();
    }
}

void TitleScanner::openElement() {
    matched_ = 0;
    state_ = element_ == kTitle ? State::InTitle : State::InRawText;
}

// Script and style content ends only at the element's own closing tag.
void TitleScanner::scanRawText(char c) {
    std::size_t closingSize = element_.size() + 2;
    char expected = matched_ < 2 ? "</"[matched_] : element_[matched_ - 2];
    if (lowerAscii(c) == expected) {
        if (++matched_ == closingSize) state_ = State::BeforeTitle;
        return;
    }
    matched_ = c == '<' ? 1 : 0;
}

void TitleScanner::scanTitle(char c) {
    if (lowerAscii(c) == kClosing[matched_]) {
        held_ += c;
        if (++matched_ == kClosing.size()) {
            held_.clear();
            state_ = State::Done;
        }
        return;
    }
    collect(held_);
    held_.clear();
    matched_ = 0;
    if (c == '<') {
        held_ += c;
        matched_ = 1;
    } else {
        collect(std::string_view(&c, 1));
    }
}

void TitleScanner::collect(std::string_view bytes) {
    std::size_t room = kFetchedTitleMax - title_.size();
    title_.append(bytes.substr(0, room));
}

std::string declaredCharset(std::string_view text) {
    constexpr std::string_view kKey = "charset=";
    std::string lower(text);
    for (char& c : lower) c = lowerAscii(c);
    std::size_t at = lower.find(kKey);
    if (at == std::string::npos) return {};
    std::size_t pos = at + kKey.size();
    while (pos < lower.size() && (lower[pos] == '"' || lower[pos] == '\'' || lower[pos] == ' ')) ++pos;
    std::size_t end = pos;
    while (end < lower.size() && (std::isalnum(static_cast<unsigned char>(lower[end])) || lower[end] == '-' ||
                                  lower[end] == '_' || lower[end] == ':' || lower[end] == '.'))
        ++end;
    return lower.substr(pos, end - pos);
}

bool isNonAsciiUtf8(std::string_view bytes) {
    bool nonAscii = false;
    for (std::size_t pos = 0; pos < bytes.size();) {
        unsigned char lead = static_cast<unsigned char>(bytes[pos]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0) return false;
        // A character cut off at the end (the title buffer's limit) does not count against.
        std::size_t present = std::min(length, bytes.size() - pos);
        for (std::size_t i = 1; i < present; ++i)
            if ((static_cast<unsigned char>(bytes[pos + i]) & 0xC0) != 0x80) return false;
        if (length > 1) nonAscii = true;
        pos += length;
    }
    return nonAscii;
}

namespace {

bool namesUtf8(std::string_view charset) { return charset == "utf-8" || charset == "utf8"; }

bool namesShiftJis(std::string_view charset) {
    return charset == "shift_jis" || charset == "shift-jis" || charset == "sjis" || charset == "x-sjis" ||
           charset == "windows-31j" || charset == "cp932" || charset == "ms_kanji";
}

// The title buffer's limit can cut a UTF-8 character short: it goes, rather than becoming U+FFFD.
std::string_view withoutCutCharacterAtEnd(std::string_view utf8) {
    std::size_t start = utf8.size();
    while (start > 0 && utf8.size() - start < 4 && (static_cast<unsigned char>(utf8[start - 1]) & 0xC0) == 0x80) --start;
    if (start == 0) return utf8;
    std::size_t lead = start - 1;
    if (static_cast<unsigned char>(utf8[lead]) < 0xC0) return utf8;
    return lead + utf8SequenceLength(static_cast<unsigned char>(utf8[lead])) > utf8.size() ? utf8.substr(0, lead)
                                                                                             : utf8;
}

// The page's UTF-8 in the target encoding, which `result` then names.
std::string fromUtf8(std::string_view text, TextEncoding into, LostCharacters& lost, TextEncoding& result) {
    result = into;
    if (into == TextEncoding::Utf8) return wellFormedUtf8(withoutCutCharacterAtEnd(text));
    return utf8ToShiftJis(text, Unrepresentable::Mark, &lost);
}

std::string inShiftJis(std::string_view fetched, std::string_view headerCharset, std::string_view pageCharset,
                       LostCharacters& lost, TextEncoding into, TextEncoding& result) {
    std::string text(fetched);
    result = TextEncoding::ShiftJis;
    if (namesUtf8(headerCharset) || namesUtf8(pageCharset)) return fromUtf8(text, into, lost, result);
    switch (guessEncoding(text)) {
    case EncodingGuess::Iso2022Jp:
        iso2022JpToShiftJis(text);
        return text;
    default:
        break;
    }
    // Shift-JIS and EUC-JP titles are seldom valid UTF-8; when a charset is named, it decides.
    if (headerCharset.empty() && pageCharset.empty() && isNonAsciiUtf8(text))
        return fromUtf8(text, into, lost, result);
    // Half-width katakana in Shift-JIS look like EUC-JP to the guess.
    bool saysShiftJis = namesShiftJis(headerCharset) || (headerCharset.empty() && namesShiftJis(pageCharset));
    if (!saysShiftJis && guessEncoding(text) == EncodingGuess::EucJp) eucJpToShiftJis(text);
    return text;
}

// The title buffer's limit can cut a two-byte character in half.
void dropHalfCharacterAtEnd(std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t width = isShiftJisLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
        if (pos + width > text.size()) {
            text.resize(pos);
            return;
        }
        pos += width;
    }
}

bool isLineBlank(char c) { return c == ' ' || c == '\t'; }

// A title written over several lines reads as one: each line break, with the blanks around
// it, becomes one blank, and none is left at either end. Shift-JIS trail bytes are never
// blanks or line ends, so this is safe on the converted text.
std::string joinedLines(std::string_view text) {
    std::string joined;
    joined.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (text[pos] != '\r' && text[pos] != '\n') {
            joined += text[pos++];
            continue;
        }
        while (!joined.empty() && isLineBlank(joined.back())) joined.pop_back();
        bool atStart = joined.empty();
        while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n' || isLineBlank(text[pos]))) ++pos;
        if (!atStart && pos < text.size()) joined += ' ';
    }
    return joined;
}

// The number a reference such as "&#xD800;" or "&#55296;" at the start of text names, and its
// length; nothing when text starts no numeric reference.
std::optional<std::pair<std::uint32_t, std::size_t>> numericReferenceAt(std::string_view text) {
    if (text.substr(0, 2) != "&#") return std::nullopt;
    bool hex = text.size() > 2 && (text[2] == 'x' || text[2] == 'X');
    std::size_t pos = hex ? 3 : 2;
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; pos < text.size() && digits <= 8; ++pos, ++digits) {
        char c = lowerAscii(text[pos]);
        int digit = c >= '0' && c <= '9' ? c - '0' : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) break;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    }
    if (digits == 0 || digits > 8 || pos >= text.size() || text[pos] != ';') return std::nullopt;
    return std::make_pair(static_cast<std::uint32_t>(value), pos + 1);
}

// A reference to no character (0, half of a surrogate pair, beyond U+10FFFF) reads as U+FFFD,
// as in a browser, so that it is marked like any other character Shift-JIS cannot hold.
std::string withUnnamedCharactersReplaced(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        auto reference = text[pos] == '&' ? numericReferenceAt(text.substr(pos)) : std::nullopt;
        std::uint32_t value = reference ? reference->first : 0;
        if (reference && (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)) {
            out += "&#xFFFD;";
            pos += reference->second;
            continue;
        }
        out += text[pos++];
    }
    return out;
}

}  // namespace

std::string titleFieldText(std::string_view fetched, std::string_view headerCharset,
                           std::string_view pageCharset, TextEncoding into) {
    // A NUL byte is no character of a title; the text after it is.
    std::string bytes(fetched);
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
    // Characters Shift-JIS cannot hold leave a mark, one for each run, as imported titles do.
    LostCharacters lost;
    TextEncoding readAs = TextEncoding::ShiftJis;
    std::string text = inShiftJis(bytes, headerCharset, pageCharset, lost, into, readAs);
    if (readAs == TextEncoding::ShiftJis) {
        dropHalfCharacterAtEnd(text);
        text = convertText(text, TextEncoding::ShiftJis, into);
    }
    text = decodeCharacterReferences(withUnnamedCharactersReplaced(joinedLines(text)), into, Unrepresentable::Mark,
                                     &lost);
    return fitText(filterText(text, TextFilter::SingleLine, into), into);
}

}  // namespace perchlet
