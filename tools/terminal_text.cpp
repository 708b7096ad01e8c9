#include "terminal_text.h"

#include <cstdio>

std::size_t utf8CharacterLength(const std::string& text, std::size_t pos) {
    auto byte = [&](std::size_t i) { return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i]) : 0u; };
    auto follows = [&](std::size_t i, unsigned lowest = 0x80, unsigned highest = 0xBF) {
        return byte(i) >= lowest && byte(i) <= highest;
    };
    unsigned lead = byte(0);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return follows(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        unsigned lowest = lead == 0xE0 ? 0xA0 : 0x80, highest = lead == 0xED ? 0x9F : 0xBF;
        return follows(1, lowest, highest) && follows(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        unsigned lowest = lead == 0xF0 ? 0x90 : 0x80, highest = lead == 0xF4 ? 0x8F : 0xBF;
        return follows(1, lowest, highest) && follows(2) && follows(3) ? 4 : 0;
    }
    return 0;
}

namespace {

// A C1 control character (U+0080 to U+009F), which some terminals obey as the ESC codes.
bool isC1Control(const std::string& text, std::size_t pos, std::size_t length) {
    return length == 2 && static_cast<unsigned char>(text[pos]) == 0xC2 &&
           static_cast<unsigned char>(text[pos + 1]) <= 0x9F;
}

std::string hexEscape(unsigned char c) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
    return escaped;
}

}  // namespace

std::string terminalText(const std::string& text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[pos]);
        std::size_t length = c < 0x20 || c == 0x7F ? 0 : utf8CharacterLength(text, pos);
        if (c == '\t' || c == '\r' || c == '\n') {
            out += c == '\t' ? "\\t" : c == '\r' ? "\\r" : "\\n";
            ++pos;
        } else if (length == 0) {
            out += hexEscape(c);
            ++pos;
        } else if (isC1Control(text, pos, length)) {
            out += hexEscape(static_cast<unsigned char>(text[pos + 1]));
            pos += 2;
        } else {
            out.append(text, pos, length);
            pos += length;
        }
    }
    return out;
}
