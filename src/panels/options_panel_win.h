// The options panel MYOPTION: shows the settings, changes the flags at once and saves
// everything to inifile.ini on request.
#pragma once
#include <string>
#include <windows.h>

#include "browser/browser_state_win.h"
#include "panels/panel_dock_win.h"
#include "settings/settings.h"

namespace perchlet {

// What the options panel works with.
struct OptionsPanelContext {
    PanelHost& host;
    Settings& settings;
    BrowserContext& browser;                // the place of a running browser
    const std::wstring& startupFolderWide;  // where the settings file is
};

// Command 106: opens the panel (closing the editor panel); nothing when it is open.
void openOptionsPanel(OptionsPanelContext& context);

INT_PTR CALLBACK optionsPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// start-up folder + "\inifile.ini".
std::wstring settingsFilePath(const OptionsPanelContext& context);

// Writes the in-memory settings into the settings file, keeping whatever else it holds.
bool writeSettingsFile(const OptionsPanelContext& context);

}  // namespace perchlet
