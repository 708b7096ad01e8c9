#include "app/startup_settings_win.h"

#include "app/placement_win.h"
#include "browser/default_browser_win.h"
#include "document/document_commands_win.h"
#include "panels/options_panel_win.h"
#include "settings/profile_text.h"
#include "shell/text_win.h"
#include "store/document_text_win.h"
#include "store/file_io_win.h"

namespace perchlet {

namespace {

// A value no settings file holds, to tell an absent key from an empty one.
constexpr char kAbsent[] = "\x01\x02" "absent";

// The longest path Windows knows; no value the program reads is longer.
constexpr DWORD kProfileValueMax = 32767;

// The whole value: the profile function cuts a value to the buffer, so a value that fills
// it is read again with a larger one.
std::string wholeProfileValue(const char* section, const char* key) {
    std::string value(256, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(value.size());
        DWORD length = GetPrivateProfileStringA(section, key, kAbsent, value.data(), size, ".\\inifile.ini");
        if (length + 1 < size || size > kProfileValueMax) {
            value.resize(length);
            return value;
        }
        value.resize(value.size() * 2);
    }
}

// The same through the W function, which gives a Unicode file's value whole.
std::wstring wholeUnicodeProfileValue(const wchar_t* section, const wchar_t* key) {
    std::wstring value(256, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(value.size());
        DWORD length = GetPrivateProfileStringW(section, key, L"", value.data(), size, L".\\inifile.ini");
        if (length + 1 < size || size > kProfileValueMax) {
            value.resize(length);
            return value;
        }
        value.resize(value.size() * 2);
    }
}

class WindowsStartup : public StartupEnvironment {
public:
    explicit WindowsStartup(App& app) : app_(app) {}

    std::optional<std::string> profileValue(const char* section, const char* key) override {
        std::string value = wholeProfileValue(section, key);
        if (value == kAbsent) return std::nullopt;
        return value;
    }

    // A Shift-JIS file's value comes from the A function byte for byte whatever the system's
    // code page; only a Unicode file can hold what Shift-JIS cannot.
    std::optional<std::string> unicodeProfileValue(const char* section, const char* key) override {
        std::optional<std::string> value = profileValue(section, key);
        if (!value) return value;
        std::optional<std::string> text = readWholeFile(std::wstring(L".\\inifile.ini"));
        if (!text || !isUnicodeProfileText(*text)) return shiftJisToUtf8(*value);
        return narrowText(wholeUnicodeProfileValue(widen(section).c_str(), widen(key).c_str()), TextEncoding::Utf8);
    }

    ScreenRect workArea() override {
        const RECT& w = app_.workArea;
        return {w.left, w.top, w.right, w.bottom};
    }

    void loadStartupDataFile(const Settings& settings) override { loadDataFileAtStartup(app_.documentCommands, settings.dataPath); }

    std::string defaultBrowserCommand() override { return readDefaultBrowserCommand(); }

    void placeMainWindow(int x, int y, int width, int height, bool topMost) override {
        // A position kept from a larger or a second screen must not leave the window out of reach.
        placeWithinReach(app_.mainWindow, {x, y, width, height}, topMost ? HWND_TOPMOST : HWND_NOTOPMOST,
                         SWP_SHOWWINDOW);
    }

    int defaultMainWidth() override { return perchlet::defaultMainWidth(app_.mainWindow, app_.dpi); }

private:
    App& app_;
};

}  // namespace

namespace {

bool isFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What "DataPass" says for path: its name alone when it lies in the start-up folder, so that
// the folder can move; nothing for a path longer than the options panel takes. UTF-8, as a
// path may hold any character.
std::optional<std::string> dataPathSettingFor(const App& app, const std::wstring& path) {
    std::wstring folder = app.startupFolderWide + L"\\";
    bool inStartupFolder = path.size() > folder.size() &&
                           CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL &&
                           path.find_first_of(L"\\/", folder.size()) == std::wstring::npos;
    std::wstring kept = inStartupFolder ? path.substr(folder.size()) : path;
    // As long as the options panel lets a typed path be.
    if (narrow(kept).size() > kSettingPathMax) return std::nullopt;
    return narrowText(kept, TextEncoding::Utf8);
}

// The settings file is the program's to write while there is none, or while it holds just
// what the program wrote there itself.
bool settingsFileIsTheProgramsOwn(const App& app) {
    std::wstring path = settingsFilePath(app.optionsPanel);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
        return true;
    std::optional<std::string> text = readWholeFile(path);
    return text && text == app.settingsWrittenForDocument;
}

}  // namespace

void applyStartupSettings(App& app) {
    // The window's document is a new one until a file is read into it.
    app.document.file.encoding = kNewDocumentEncoding;
    WindowsStartup environment(app);
    if (readStartupSettings(app.settings, environment)) return;
    // Without a settings file, the data file of the default name beside the program is the
    // user's document, as the settings the options panel starts with say.
    if (isFile(settingsFilePath(app.optionsPanel)) || !isFile(app.startupFolderWide + L"\\" + widen(kDefaultDataFileName)))
        return;
    app.settings.dataAtStart = true;
    loadDataFileAtStartup(app.documentCommands, app.settings.dataPath);
}

void rememberDocumentForNextStart(App& app, const std::wstring& path) {
    if (!settingsFileIsTheProgramsOwn(app)) return;
    std::optional<std::string> dataPath = dataPathSettingFor(app, path);
    if (!dataPath) return;
    app.settings.dataAtStart = true;
    app.settings.dataPath = *dataPath;
    if (writeSettingsFile(app.optionsPanel)) app.settingsWrittenForDocument = readWholeFile(settingsFilePath(app.optionsPanel));
}

}  // namespace perchlet
