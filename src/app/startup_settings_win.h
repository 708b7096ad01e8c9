// Reading inifile.ini when the main window is made, and placing the window from it.
#pragma once
#include "app/app_win.h"

namespace perchlet {

void applyStartupSettings(App& app);

}  // namespace perchlet
