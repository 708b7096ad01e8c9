// The main window's commands: one table from each command identifier to what it does.
#pragma once
#include <windows.h>

#include "app/app_win.h"

namespace perchlet {

// Returns true when the identifier belongs to the command table.
bool dispatchCommand(App& app, WPARAM command);

void showAboutDialog(App& app);
void openHelp(App& app);

}  // namespace perchlet
