// The options panel MYOPTION: shows the settings, changes the flags at once and saves
// everything to inifile.ini on request.
#pragma once
#include <string>
#include <windows.h>

#include "app/app_win.h"

namespace perchlet {

// Command 106: opens the panel (closing the editor panel); nothing when it is open.
void openOptionsPanel(App& app);

INT_PTR CALLBACK optionsPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// start-up folder + "\inifile.ini".
std::wstring settingsFilePath(const App& app);

// Writes the in-memory settings into the settings file, keeping whatever else it holds.
bool writeSettingsFile(const App& app);

}  // namespace perchlet
