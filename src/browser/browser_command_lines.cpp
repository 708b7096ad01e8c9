#include "browser/browser_command_lines.h"

#include "store/encoding.h"

namespace perchlet {

namespace {

// What Chromium trims from each argument before it looks for a switch: Unicode white space
// and the C0 controls.
bool isTrimmedByBrowsers(char16_t c) {
    if (c <= 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680) return true;
    if (c >= 0x2000 && c <= 0x200A) return true;
    return c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

constexpr std::string_view kSingleArgument = "--single-argument";

}  // namespace

CommandLineDialect commandLineDialect(BrowserKind kind, bool servesDde) {
    if (isChromiumKind(kind)) return CommandLineDialect::Chromium;
    if (kind == BrowserKind::Opera && !servesDde) return CommandLineDialect::Chromium;
    if (kind == BrowserKind::Firefox && !servesDde) return CommandLineDialect::Firefox;
    return CommandLineDialect::None;
}

std::string dialectCommandLine(CommandLineDialect dialect, std::string_view browserPath, std::string_view address,
                               LaunchStyle style) {
    bool window = wantsNewWindow(style);
    std::string program = programArgument(browserPath);
    if (dialect == CommandLineDialect::Chromium)
        return program + (window ? " --new-window " : " ") + std::string(kSingleArgument) + " " +
               addressForBrowser(address);
    std::string flag;
    if (dialect == CommandLineDialect::Firefox) flag = window ? " -new-window" : " -osint -url";
    return program + flag + " " + addressArgument(address);
}

bool looksLikeSwitch(std::u16string_view address) {
    std::size_t first = 0;
    while (first < address.size() && isTrimmedByBrowsers(address[first])) ++first;
    return first < address.size() && (address[first] == u'-' || address[first] == u'/');
}

bool looksLikeSwitch(std::string_view address) { return looksLikeSwitch(shiftJisToUtf16(address)); }

std::string withRegisteredArguments(std::string_view browserPath, std::string_view arguments,
                                    std::string_view address) {
    std::string program = programArgument(browserPath);
    std::size_t place = arguments.find("%1");
    if (place == std::string_view::npos) place = arguments.find("%L");
    if (place == std::string_view::npos) place = arguments.find("%l");
    if (place == std::string_view::npos)
        return program + (arguments.empty() ? "" : " " + std::string(arguments)) + " " + addressArgument(address);
    std::string_view before = arguments.substr(0, place);
    // In quotes, or after the switch that makes the rest one argument, the address needs no quotes of its own.
    bool heldWhole = (!before.empty() && before.back() == '"') || before.find(kSingleArgument) != std::string_view::npos;
    std::string shown = heldWhole ? addressForBrowser(address) : addressArgument(address);
    return program + " " + std::string(before) + shown + std::string(arguments.substr(place + 2));
}

}  // namespace perchlet
