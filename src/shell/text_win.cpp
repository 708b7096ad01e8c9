#include "shell/text_win.h"

namespace perchlet {

constexpr UINT kShiftJis = 932;

std::wstring widen(std::string_view sjis) {
    if (sjis.empty()) return {};
    int length = MultiByteToWideChar(kShiftJis, 0, sjis.data(), static_cast<int>(sjis.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(kShiftJis, 0, sjis.data(), static_cast<int>(sjis.size()), wide.data(), length);
    return wide;
}

std::string narrow(std::wstring_view text) {
    if (text.empty()) return {};
    int length = WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length,
                        nullptr, nullptr);
    return bytes;
}

namespace {

// The character at pos, a surrogate pair whole, as Shift-JIS; empty when it has no form there.
std::string shiftJisOf(std::wstring_view text, std::size_t pos, std::size_t& width) {
    width = IS_HIGH_SURROGATE(text[pos]) && pos + 1 < text.size() && IS_LOW_SURROGATE(text[pos + 1]) ? 2 : 1;
    char bytes[4] = {};
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, text.data() + pos, static_cast<int>(width),
                                     bytes, sizeof bytes, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return {};
    return std::string(bytes, static_cast<std::size_t>(length));
}

}  // namespace

std::string narrowMarkingLost(std::wstring_view text, std::size_t& markedRuns) {
    static const char kMark[] = "\x81\xac";  // 〓
    std::string bytes;
    markedRuns = 0;
    bool inRun = false;
    for (std::size_t pos = 0, width = 1; pos < text.size(); pos += width) {
        std::string character = shiftJisOf(text, pos, width);
        if (character.empty() && !inRun) {
            bytes += kMark;
            ++markedRuns;
        }
        inRun = character.empty();
        bytes += character;
    }
    return bytes;
}

std::wstring windowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

}  // namespace perchlet
