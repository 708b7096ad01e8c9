// Which command opens web pages for the user: the choice Windows keeps per scheme under
// UserChoice, then the ".html" association.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace perchlet {

struct DefaultBrowserRegistry {
    // The "ProgId" value under ...\UrlAssociations\<scheme>\UserChoice (HKEY_CURRENT_USER), or "".
    std::function<std::string(std::string_view scheme)> userChoiceProgId;
    // The default value of a key under HKEY_CLASSES_ROOT, or "".
    std::function<std::string(const std::string& subKey)> classesDefault;
};

// The open command of the user's chosen browser ("https", then "http"), else of the
// ".html" handler; "" when none can be read. Values over 255 characters are cut there.
std::string defaultBrowserCommand(const DefaultBrowserRegistry& registry);

}  // namespace perchlet
