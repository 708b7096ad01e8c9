#include "settings/profile_text.h"

#include "store/encoding.h"

namespace perchlet {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string_view trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool isSectionLine(std::string_view line) { return trimmed(line).substr(0, 1) == "["; }

std::string_view sectionNameOf(std::string_view line) {
    std::string_view rest = trimmed(line).substr(1);
    return trimmed(rest.substr(0, rest.find(']')));
}

// A line without "=" names a key without a value, as the profile functions read it.
std::string_view keyNameOf(std::string_view line) { return trimmed(line.substr(0, line.find('='))); }

// [first, end) are the lines of one section after its header.
struct SectionRange {
    std::size_t first;
    std::size_t end;
};

bool findSection(const std::vector<std::string>& lines, std::string_view name, SectionRange& range) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!isSectionLine(lines[i]) || !sameName(sectionNameOf(lines[i]), name)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !isSectionLine(lines[end])) ++end;
        range = {i + 1, end};
        return true;
    }
    return false;
}

void setValue(std::vector<std::string>& lines, const ProfileEntry& entry, std::string value) {
    // A line end inside a value would start a line of its own.
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    SectionRange section{};
    if (!findSection(lines, entry.section, section)) {
        if (!lines.empty() && !trimmed(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + entry.section + "]");
        lines.push_back(entry.key + "=" + value);
        return;
    }
    std::size_t lastContent = section.first;
    for (std::size_t i = section.first; i < section.end; ++i) {
        if (trimmed(lines[i]).empty()) continue;
        std::string_view name = keyNameOf(lines[i]);
        if (sameName(name, entry.key)) {
            lines[i] = std::string(name) + "=" + value;
            return;
        }
        lastContent = i + 1;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastContent), entry.key + "=" + value);
}

}  // namespace

namespace {

enum class Utf16 { No, LittleEndian, BigEndian, Unrecognised };

struct TextForm {
    Utf16 utf16;
    bool byteOrderMark;
};

// Without a mark, UTF-16 shows as NUL bytes on one side of its pairs: the high bytes of the
// ASCII its section names, keys and line ends are made of. (A few characters such as U+4E00
// put a NUL on the other side too.) NUL bytes in any other pattern make a text the program
// cannot read as lines.
TextForm textFormOf(std::string_view text) {
    if (text.substr(0, 2) == "\xFF\xFE") return {Utf16::LittleEndian, true};
    if (text.substr(0, 2) == "\xFE\xFF") return {Utf16::BigEndian, true};
    std::size_t nulsAtEven = 0, nulsAtOdd = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\0') ++(i % 2 == 0 ? nulsAtEven : nulsAtOdd);
    if (nulsAtEven == 0 && nulsAtOdd == 0) return {Utf16::No, false};
    std::size_t pairs = text.size() / 2;
    auto isHighByteSide = [pairs](std::size_t side, std::size_t other) {
        return side * 4 >= pairs && other * 4 <= side;
    };
    if (text.size() % 2 == 0 && isHighByteSide(nulsAtOdd, nulsAtEven)) return {Utf16::LittleEndian, false};
    if (text.size() % 2 == 0 && isHighByteSide(nulsAtEven, nulsAtOdd)) return {Utf16::BigEndian, false};
    return {Utf16::Unrecognised, false};
}

// The text after the byte order mark (if any), as UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::string_view text, TextForm textForm) {
    Utf16 form = textForm.utf16;
    std::string out;
    auto unitAt = [&](std::size_t i) {
        unsigned char a = static_cast<unsigned char>(text[i]), b = static_cast<unsigned char>(text[i + 1]);
        return static_cast<char32_t>(form == Utf16::LittleEndian ? a | b << 8 : a << 8 | b);
    };
    for (std::size_t i = textForm.byteOrderMark ? 2 : 0; i + 1 < text.size(); i += 2) {
        char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < text.size()) {
            char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
                i += 2;
                continue;
            }
        }
        appendUtf8(unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit, out);
    }
    return out;
}

std::string utf8ToUtf16(std::string_view text, TextForm textForm) {
    Utf16 form = textForm.utf16;
    std::string out;
    if (textForm.byteOrderMark) out = form == Utf16::LittleEndian ? "\xFF\xFE" : "\xFE\xFF";
    auto put = [&](char32_t unit) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += form == Utf16::LittleEndian ? low : high;
        out += form == Utf16::LittleEndian ? high : low;
    };
    for (std::size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + k < text.size(); ++k) cp = cp << 6 | (text[i + k] & 0x3F);
        i += static_cast<std::size_t>(length);
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

std::string valueIn(const ProfileEntry& entry, TextEncoding encoding) {
    return entry.encoding == encoding ? entry.value : convertText(entry.value, entry.encoding, encoding);
}

std::string editLines(std::string_view text, const std::vector<ProfileEntry>& entries, TextEncoding values) {
    std::vector<std::string> lines = splitLines(text);
    for (const ProfileEntry& entry : entries) setValue(lines, entry, valueIn(entry, values));
    std::string edited;
    for (const std::string& line : lines) edited += line + "\r\n";
    return edited;
}

bool shiftJisHoldsEveryValue(const std::vector<ProfileEntry>& entries) {
    for (const ProfileEntry& entry : entries) {
        if (entry.encoding == TextEncoding::ShiftJis) continue;
        LostCharacters lost;
        convertText(entry.value, entry.encoding, TextEncoding::ShiftJis, Unrepresentable::Mark, &lost);
        if (lost.runs > 0) return false;
    }
    return true;
}

bool startsWithUtf8Mark(std::string_view text) { return text.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

}  // namespace

std::optional<std::string> setProfileValues(std::string_view fileText, const std::vector<ProfileEntry>& entries) {
    TextForm form = textFormOf(fileText);
    if (form.utf16 == Utf16::Unrecognised) return std::nullopt;
    // A UTF-16 file is edited as UTF-8 and goes back in its own form.
    if (form.utf16 != Utf16::No)
        return utf8ToUtf16(editLines(utf16ToUtf8(fileText, form), entries, TextEncoding::Utf8), form);
    if (startsWithUtf8Mark(fileText))
        return std::string(kUtf8Bom) + editLines(fileText.substr(kUtf8Bom.size()), entries, TextEncoding::Utf8);
    if (shiftJisHoldsEveryValue(entries)) return editLines(fileText, entries, TextEncoding::ShiftJis);
    // The profile functions would hand a UTF-8 value over in the system's code page only:
    // UTF-16 keeps the whole of it.
    TextForm utf16{Utf16::LittleEndian, true};
    return utf8ToUtf16(editLines(shiftJisToUtf8(fileText), entries, TextEncoding::Utf8), utf16);
}

bool isUnicodeProfileText(std::string_view fileText) {
    TextForm form = textFormOf(fileText);
    return form.utf16 == Utf16::LittleEndian || form.utf16 == Utf16::BigEndian || startsWithUtf8Mark(fileText);
}

}  // namespace perchlet
