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

class WindowsStartup : public StartupEnvironment {
public:
    explicit WindowsStartup(App& app) : app_(app) {}

    std::optional<std::string> profileValue(const char* section, const char* key) override {
        char value[256] = "";
        GetPrivateProfileStringA(section, key, kAbsent, value, sizeof value, ".\\inifile.ini");
        if (std::string(value) == kAbsent) return std::nullopt;
        return std::string(value);
    }

    ScreenRect workArea() override {
        const RECT& w = app_.workArea;
        return {w.left, w.top, w.right, w.bottom};
    }

    void loadStartupDataFile(const Settings& settings) override { loadDataFileAtStartup(app_.documents, settings.dataPath); }

    std::string defaultBrowserCommand() override { return readDefaultBrowserCommand(); }

    void placeMainWindow(int x, int y, int width, int height, bool topMost) override {
        // A position kept from a larger or a second screen must not leave the window out of reach.
        WindowBox box = reachableOnScreen({x, y, width, height});
        SetWindowPos(app_.mainWindow, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, box.x, box.y, box.width, box.height,
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
