#include "panels/profile_text.h"

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

std::string setProfileValues(std::string_view fileText, const std::vector<ProfileEntry>& entries) {
    bool utf8 = fileText.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    if (utf8) fileText.remove_prefix(kUtf8Bom.size());
    std::vector<std::string> lines = splitLines(fileText);
    for (const ProfileEntry& entry : entries) setValue(lines, entry, utf8 ? shiftJisToUtf8(entry.value) : entry.value);

    std::string text = utf8 ? std::string(kUtf8Bom) : std::string();
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace perchlet
