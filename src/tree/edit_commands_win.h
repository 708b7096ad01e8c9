// The tree editing commands: emphasis, move up and down, cut, copy, paste, delete and
// New Folder, from the menus and from the tree view's keys.
#pragma once
#include <windows.h>

#include "app/app_win.h"

namespace perchlet {

// Menu commands 133-139 and 145; returns false for any other identifier.
bool handleEditCommand(App& app, int command);

// Accelerator commands 155-162 arriving at the tree view.
void handleTreeKeyCommand(App& app, int command);

}  // namespace perchlet
