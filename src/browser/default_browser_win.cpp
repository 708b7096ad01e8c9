#include "browser/default_browser_win.h"

#include <windows.h>

namespace perchlet {

namespace {

// The default value of a key under HKEY_CLASSES_ROOT, or "". Keys are only opened for
// reading: a missing association is not created.
std::string defaultValueOf(const std::string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    std::string value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, "", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0 &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        value.resize(size);
        if (RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
            value.clear();
        value.resize(std::min<std::size_t>(value.size(), size));
        while (!value.empty() && value.back() == '\0') value.pop_back();
    }
    RegCloseKey(key);
    return value;
}

}  // namespace

std::string readDefaultBrowserCommand() {
    std::string handler = defaultValueOf(".html");
    if (handler.empty()) return {};
    std::string commandKey = handler + "\\shell\\open\\command";
    // A class name too long for the lookup is treated as no handler.
    if (commandKey.size() > 63) return {};
    std::string command = defaultValueOf(commandKey);
    if (command.size() > 255) command.resize(255);
    return command;
}

}  // namespace perchlet
