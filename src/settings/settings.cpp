#include "settings/settings.h"

#include <climits>

#include "store/bookmark_item.h"
#include "store/tree_population.h"
#include "store/plain_text.h"

namespace perchlet {

namespace {

constexpr std::size_t kValueMax = 255;

std::optional<std::string> valueOf(StartupEnvironment& environment, const char* section, const char* key) {
    std::optional<std::string> value = environment.profileValue(section, key);
    if (value) *value = fitField(*value, kValueMax);
    return value;
}

// The default applies only when the key is absent; an empty value stays empty.
std::string valueOr(StartupEnvironment& environment, const char* section, const char* key, const char* fallback) {
    std::optional<std::string> value = valueOf(environment, section, key);
    return value ? *value : fallback;
}

// Here an empty value counts as absent too.
std::optional<std::string> presentValue(StartupEnvironment& environment, const char* section, const char* key) {
    std::optional<std::string> value = valueOf(environment, section, key);
    if (value && value->empty()) return std::nullopt;
    return value;
}

// From a position to the work area's edge; a position far out of range cannot overflow.
int distanceToEdge(int edge, const std::string& position) {
    long long distance = static_cast<long long>(edge) - settingNumber(position);
    if (distance > INT_MAX) return INT_MAX;
    if (distance < INT_MIN) return INT_MIN;
    return static_cast<int>(distance);
}

// A size key: missing or empty gives the default; "MAX" sets the flag and becomes the
// distance from the position to the work area's edge.
std::string sizeSetting(StartupEnvironment& environment, const char* key, const char* fallback,
                        const std::string& position, int edge, bool& maxFlag) {
    std::optional<std::string> value = presentValue(environment, "Window", key);
    if (!value) return fallback;
    if (*value == "MAX") {
        maxFlag = true;
        return std::to_string(distanceToEdge(edge, position));
    }
    return *value;
}

}  // namespace

std::optional<std::string> StartupEnvironment::unicodeProfileValue(const char* section, const char* key) {
    std::optional<std::string> value = profileValue(section, key);
    if (value) *value = shiftJisToUtf8(*value);
    return value;
}

int settingNumber(const std::string& text) { return decimalValue(text); }

int sizeFromSetting(const std::string& size, const std::string& position, int edge) {
    if (size == "MAX") return distanceToEdge(edge, position);
    return settingNumber(size);
}

std::string browserPathFromCommand(const std::string& command) {
    if (command.size() < 5) return {};
    std::string path = command;
    std::size_t extension = path.find(".exe");
    if (extension == std::string::npos) extension = path.find(".EXE");
    if (extension != std::string::npos) path.resize(extension + 4);
    std::size_t quote = path.find('"');
    if (quote != std::string::npos) path = path.substr(quote + 1);
    return path;
}

std::string registeredArguments(std::string_view command) {
    std::size_t extension = command.find(".exe");
    if (extension == std::string_view::npos) extension = command.find(".EXE");
    if (extension == std::string_view::npos) return {};
    std::size_t rest = extension + 4;
    if (rest < command.size() && command[rest] == '"') ++rest;
    rest = command.find_first_not_of(" \t", rest);
    return rest == std::string_view::npos ? std::string() : std::string(command.substr(rest));
}

bool readStartupSettings(Settings& settings, StartupEnvironment& environment) {
    std::optional<std::string> fileOpen = presentValue(environment, "Option", "FileOpen");
    if (!fileOpen) return false;

    std::optional<std::string> backup = presentValue(environment, "Option", "BackFile");
    settings.backupFile = backup ? settingNumber(*backup) : 0;
    settings.dataPath = environment.unicodeProfileValue("Option", "DataPass").value_or("");
    if (*fileOpen == "1") {
        settings.dataAtStart = true;
        environment.loadStartupDataFile(settings);
    }

    std::optional<std::string> slot = presentValue(environment, "Option", "DefBrows");
    settings.doubleClickSlotIndex = slot ? settingNumber(*slot) : 0;
    std::string command = fitField(environment.defaultBrowserCommand(), kValueMax);
    settings.registryBrowser = command.size() >= 5;
    settings.browserPath[0] = settings.registryBrowser ? browserPathFromCommand(command)
                                                       : valueOr(environment, "Option", "BrowsPass1", "");
    settings.registryBrowserArguments = settings.registryBrowser ? registeredArguments(command) : std::string();
    settings.browserPath[1] = valueOr(environment, "Option", "BrowsPass2", "");
    settings.browserPath[2] = valueOr(environment, "Option", "BrowsPass3", "");

    settings.autoHide = valueOr(environment, "Window", "AutoHyde", "0") == "1";
    settings.topMost = valueOr(environment, "Window", "TopMost", "0") == "1";
    settings.mainX = valueOr(environment, "Window", "MainXPos", "0");
    settings.mainY = valueOr(environment, "Window", "MainYPos", "0");

    ScreenRect work = environment.workArea();
    std::string defaultWidth = std::to_string(environment.defaultMainWidth());
    settings.mainWidth =
        sizeSetting(environment, "MainWidth", defaultWidth.c_str(), settings.mainX, work.right, settings.mainWidthMax);
    settings.mainHeight =
        sizeSetting(environment, "MainHight", "800", settings.mainY, work.bottom, settings.mainHeightMax);
    environment.placeMainWindow(settingNumber(settings.mainX), settingNumber(settings.mainY),
                                settingNumber(settings.mainWidth), settingNumber(settings.mainHeight),
                                settings.topMost);

    std::optional<std::string> x = presentValue(environment, "Window", "BrowsXPos");
    settings.browserX = x ? *x : "250";
    std::optional<std::string> y = presentValue(environment, "Window", "BrowsYPos");
    settings.browserY = y ? *y : "0";
    settings.browserWidth =
        sizeSetting(environment, "BrowsWidth", "640", settings.browserX, work.right, settings.browserWidthMax);
    settings.browserHeight =
        sizeSetting(environment, "BrowsHight", "800", settings.browserY, work.bottom, settings.browserHeightMax);

    std::optional<std::string> alignment = presentValue(environment, "Window", "Alignment");
    settings.alignment = alignment ? settingNumber(*alignment) : 0;
    return true;
}

std::vector<ProfileEntry> settingsToWrite(const Settings& s) {
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    return {
        {"Option", "FileOpen", flag(s.dataAtStart)},
        {"Option", "BackFile", flag(s.backupFile != 0)},
        {"Option", "DefBrows", std::to_string(s.doubleClickSlotIndex)},
        {"Option", "DataPass", s.dataPath, TextEncoding::Utf8},
        {"Option", "BrowsPass1", s.browserPath[0]},
        {"Option", "BrowsPass2", s.browserPath[1]},
        {"Option", "BrowsPass3", s.browserPath[2]},
        {"Window", "AutoHyde", flag(s.autoHide)},
        {"Window", "TopMost", flag(s.topMost)},
        {"Window", "MainXPos", s.mainX},
        {"Window", "MainYPos", s.mainY},
        {"Window", "MainWidth", s.mainWidthMax ? "MAX" : s.mainWidth},
        {"Window", "MainHight", s.mainHeightMax ? "MAX" : s.mainHeight},
        {"Window", "Alignment", std::to_string(s.alignment)},
        {"Window", "BrowsXPos", s.browserX},
        {"Window", "BrowsYPos", s.browserY},
        {"Window", "BrowsWidth", s.browserWidthMax ? "MAX" : s.browserWidth},
        {"Window", "BrowsHight", s.browserHeightMax ? "MAX" : s.browserHeight},
    };
}


namespace {

// No byte of a UTF-8 character is a separator, unlike a Shift-JIS trail byte.
std::string utf8FileNameOf(const std::string& path) {
    std::size_t last = path.find_last_of("\\/:");
    return last == std::string::npos ? path : path.substr(last + 1);
}

}  // namespace

StartupDataFile startupDataFile(const std::string& dataPath, const std::string& startupDirectory) {
    bool hasDrive = dataPath.size() >= 2 && dataPath[1] == ':';
    if (hasDrive) return {utf8FileNameOf(dataPath), dataPath};
    if (!utf8FileNameOf(dataPath).empty()) return {dataPath, startupDirectory + "\\" + dataPath};
    return {kDefaultDataFileName, startupDirectory + "\\" + kDefaultDataFileName};
}

}  // namespace perchlet
