#include "browser/browser_command_lines.h"

namespace perchlet {

CommandLineDialect commandLineDialect(int kind, bool servesDde) {
    if (isChromiumKind(kind)) return CommandLineDialect::Chromium;
    if (kind == kBrowserOpera && !servesDde) return CommandLineDialect::Chromium;
    if (kind == kBrowserFirefox && !servesDde) return CommandLineDialect::Firefox;
    return CommandLineDialect::None;
}

std::string dialectCommandLine(CommandLineDialect dialect, std::string_view browserPath, std::string_view address,
                               LaunchStyle style) {
    bool window = wantsNewWindow(style);
    std::string flag;
    if (dialect == CommandLineDialect::Chromium && window) flag = " --new-window";
    if (dialect == CommandLineDialect::Firefox) flag = window ? " -new-window" : " -new-tab";
    return programArgument(browserPath) + flag + " " + addressArgument(address);
}

bool looksLikeSwitch(std::string_view address) {
    std::size_t first = address.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    return address[first] == '-' || address[first] == '/';
}

}  // namespace perchlet
