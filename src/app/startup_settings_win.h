// Reading inifile.ini when the main window is made, and placing the window from it.
#pragma once
#include "app/app_win.h"

namespace perchlet {

// Without a settings file, a "ListFile.dat" in the start-up folder is opened.
void applyStartupSettings(App& app);

// After the document was saved to path: while no settings file the user saved exists, one
// is written as the options panel would write the settings, opening path at start-up.
void rememberDocumentForNextStart(App& app, const std::wstring& path);

}  // namespace perchlet
