#include "shell/message_text.h"

#include <vector>

namespace perchlet {

namespace {

constexpr char16_t kEllipsis = u'\u2026';

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Half-width forms take one column, everything from the Hangul jamo on two, as the
// system's Japanese fonts draw them.
std::size_t columnsOf(char16_t c) {
    if (c < 0x1100 || (c >= 0xFF61 && c <= 0xFF9F)) return 1;
    if (c >= 0xDC00 && c <= 0xDFFF) return 0;  // the second half of a pair counted with the first
    return 2;
}

std::size_t columnsOf(std::u16string_view text) {
    std::size_t columns = 0;
    for (char16_t c : text) columns += columnsOf(c);
    return columns;
}

// How many characters of the text fill at most the columns, without splitting a pair.
std::size_t lengthWithin(std::u16string_view text, std::size_t columns) {
    std::size_t used = 0, length = 0;
    while (length < text.size() && used + columnsOf(text[length]) <= columns) used += columnsOf(text[length++]);
    if (length > 0 && length < text.size() && isHighSurrogate(text[length - 1])) --length;
    return length;
}

// The same from the end.
std::size_t tailLengthWithin(std::u16string_view text, std::size_t columns) {
    std::size_t used = 0, length = 0;
    while (length < text.size() && used + columnsOf(text[text.size() - 1 - length]) <= columns)
        used += columnsOf(text[text.size() - 1 - length++]);
    if (length > 0 && length < text.size() && isHighSurrogate(text[text.size() - 1 - length])) --length;
    return length;
}

// Beginning … end, within the columns.
std::u16string shortened(std::u16string_view text, std::size_t columns) {
    if (columnsOf(text) <= columns) return std::u16string(text);
    std::size_t half = (columns - 1) / 2;
    std::u16string out(text.substr(0, lengthWithin(text, half)));
    out += kEllipsis;
    out += text.substr(text.size() - tailLengthWithin(text, columns - 1 - half));
    return out;
}

// One line broken into lines of at most the columns each, after a folder separator or a
// blank where one is near the end.
std::vector<std::u16string> brokenLine(std::u16string_view line) {
    std::vector<std::u16string> lines;
    while (columnsOf(line) > kMessageLineColumns) {
        std::size_t length = lengthWithin(line, kMessageLineColumns);
        std::size_t at = line.substr(0, length).find_last_of(u"\\/ ");
        if (at != std::u16string_view::npos && at + 1 >= length * 3 / 4) length = at + 1;
        lines.emplace_back(line.substr(0, length));
        line.remove_prefix(length);
    }
    lines.emplace_back(line);
    return lines;
}

std::vector<std::u16string_view> linesOf(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    for (;;) {
        std::size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::u16string_view::npos) return lines;
        text.remove_prefix(end + 1);
    }
}

}  // namespace

std::u16string fitMessageText(std::u16string_view text) {
    std::vector<std::u16string> lines;
    for (std::u16string_view line : linesOf(text)) {
        std::u16string kept = shortened(line, kMessageLineColumns * kMessageLinesPerLine);
        for (std::u16string& part : brokenLine(kept)) lines.push_back(std::move(part));
    }
    if (lines.size() > kMessageLinesMax) {
        // The first lines say what happened; the last ones are often the question.
        std::size_t head = kMessageLinesMax / 2, tail = kMessageLinesMax - head - 1;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(head), lines.end() - static_cast<std::ptrdiff_t>(tail));
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(head), std::u16string(1, kEllipsis));
    }
    std::u16string out;
    for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? u"\r\n" : u"") + lines[i];
    return out;
}

std::u16string fitCaption(std::u16string_view caption) { return shortened(caption, kCaptionColumns); }

}  // namespace perchlet
