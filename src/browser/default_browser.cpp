#include "browser/default_browser.h"

namespace perchlet {

namespace {

constexpr std::size_t kCommandMax = 255;
constexpr std::size_t kHtmlCommandKeyMax = 63;  // the ".html" handler's key, as it always was
constexpr char kOpenCommand[] = "\\shell\\open\\command";

std::string openCommandOf(const DefaultBrowserRegistry& registry, const std::string& handler,
                          std::size_t keyMax) {
    if (handler.empty()) return {};
    std::string key = handler + kOpenCommand;
    if (key.size() > keyMax) return {};  // treated as no handler
    std::string command = registry.classesDefault(key);
    if (command.size() > kCommandMax) command.resize(kCommandMax);
    return command;
}

}  // namespace

std::string defaultBrowserCommand(const DefaultBrowserRegistry& registry) {
    // A key name holds at most 255 characters.
    for (std::string_view scheme : {"https", "http"}) {
        std::string command = openCommandOf(registry, registry.userChoiceProgId(scheme), kCommandMax);
        if (!command.empty()) return command;
    }
    return openCommandOf(registry, registry.classesDefault(".html"), kHtmlCommandKeyMax);
}

}  // namespace perchlet
