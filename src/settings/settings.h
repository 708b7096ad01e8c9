// The values of inifile.ini as the program holds them while it runs, and the rules for
// reading them at start-up.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/profile_text.h"

namespace perchlet {

struct Settings {
    bool dataAtStart = false;
    int backupFile = 0;
    int doubleClickSlotIndex = 0;  // "DefBrows": the browser slot (0-2) for double click, Shift + Enter and command 126
    bool registryBrowser = false;
    std::string registryBrowserArguments;  // what the registered command puts around the address
    std::string browserPath[3];
    std::string dataPath;  // UTF-8: a data file's path may hold any character
    bool autoHide = false;
    bool topMost = true;  // the window is made topmost; the settings may say otherwise
    std::string mainX, mainY, mainWidth, mainHeight;
    bool mainWidthMax = false, mainHeightMax = false;
    int alignment = 0;
    std::string browserX, browserY, browserWidth, browserHeight;
    bool browserWidthMax = false, browserHeightMax = false;
};

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// What reading at start-up needs from the system, in the order it asks for it.
class StartupEnvironment {
public:
    virtual ~StartupEnvironment() = default;
    // The key's whole value; nothing when the key is absent.
    virtual std::optional<std::string> profileValue(const char* section, const char* key) = 0;
    // The same as UTF-8, for a value that may hold any character (a path). By default the
    // Shift-JIS value converted.
    virtual std::optional<std::string> unicodeProfileValue(const char* section, const char* key);
    virtual ScreenRect workArea() = 0;
    // Loads the data file named by settings.dataPath (runs only when "FileOpen" is "1").
    virtual void loadStartupDataFile(const Settings& settings) = 0;
    // The open command of the ".html" handler, or "".
    virtual std::string defaultBrowserCommand() = 0;
    virtual void placeMainWindow(int x, int y, int width, int height, bool topMost) = 0;
    // The main window's built-in width, for a file that gives none: 264 pixels at 100 %,
    // scaled, or wider where the menu bar needs it to stay on one row.
    virtual int defaultMainWidth() { return 264; }
};

// Reads the settings in the fixed order; false (and nothing read) without "FileOpen".
bool readStartupSettings(Settings& settings, StartupEnvironment& environment);

// The executable of a handler command: cut after the first ".exe" (or ".EXE"), and only
// what follows the first double quote. "" when the command is shorter than 5 characters.
std::string browserPathFromCommand(const std::string& command);
// What follows that executable ("--single-argument %1", "-osint -url \"%1\""), kept so that
// the address goes where the browser's registration puts it; "" when nothing does.
std::string registeredArguments(std::string_view command);

// atoi: blanks, a sign, digits up to the first non-digit; anything else gives 0.
int settingNumber(const std::string& text);

// A size text that reads "MAX" reaches from the position to the work area's edge.
int sizeFromSetting(const std::string& size, const std::string& position, int edge);

// The data file's name where nothing else names one: in the start-up folder.
constexpr char kDefaultDataFileName[] = "ListFile.dat";

// Where the start-up load finds the data file: "DataPass" with a drive as it is, without
// one relative to the start-up folder, and "ListFile.dat" there when it is empty. UTF-8 in
// and out.
struct StartupDataFile {
    std::string fileName;  // shown in the caption
    std::string filePath;
};
StartupDataFile startupDataFile(const std::string& dataPath, const std::string& startupDirectory);

// Every key the options panel saves, with its value, in the order they are written.
std::vector<ProfileEntry> settingsToWrite(const Settings& settings);

// The widths the settings file's values are read with: longer values cannot come back.
// "DataPass" alone is read whole, as a path may be longer.
constexpr std::size_t kSettingPathMax = 255;
constexpr std::size_t kSettingNumberMax = 9;  // what a number edit holds; within the 31 a value may have


}  // namespace perchlet
