#include "app/startup_settings_win.h"

#include "app/main_window_win.h"
#include "app/placement_win.h"
#include "browser/default_browser_win.h"
#include "document/document_commands_win.h"
#include "shell/text_win.h"

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

class WindowsStartup : public StartupEnvironment {
public:
    explicit WindowsStartup(App& app) : app_(app) {}

    std::optional<std::string> profileValue(const char* section, const char* key) override {
        std::string value = wholeProfileValue(section, key);
        if (value == kAbsent) return std::nullopt;
        return value;
    }

    ScreenRect workArea() override {
        const RECT& w = app_.workArea;
        return {w.left, w.top, w.right, w.bottom};
    }

    void loadStartupDataFile(const Settings& settings) override { loadDataFileAtStartup(app_.documents, settings.dataPath); }

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

void applyStartupSettings(App& app) {
    WindowsStartup environment(app);
    readStartupSettings(app.settings, environment);
}

}  // namespace perchlet
