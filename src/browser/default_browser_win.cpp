#include "browser/default_browser_win.h"

#include <windows.h>

#include "browser/default_browser.h"

namespace perchlet {

namespace {

// A text value of a key, or "". Keys are only opened for reading: a missing association
// is not created.
std::string stringValueOf(HKEY root, const std::string& subKey, const char* valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    std::string value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0 &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        value.resize(size);
        if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
            ERROR_SUCCESS)
            value.clear();
        value.resize(std::min<std::size_t>(value.size(), size));
        while (!value.empty() && value.back() == '\0') value.pop_back();
    }
    RegCloseKey(key);
    return value;
}

std::string userChoiceProgId(std::string_view scheme) {
    std::string key = "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\" +
                      std::string(scheme) + "\\UserChoice";
    return stringValueOf(HKEY_CURRENT_USER, key, "ProgId");
}

}  // namespace

std::string readDefaultBrowserCommand() {
    DefaultBrowserRegistry registry;
    registry.userChoiceProgId = userChoiceProgId;
    registry.classesDefault = [](const std::string& subKey) { return stringValueOf(HKEY_CLASSES_ROOT, subKey, ""); };
    return defaultBrowserCommand(registry);
}

}  // namespace perchlet
