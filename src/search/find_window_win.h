// The find window: a small modeless window owned by the main window, with one edit and the
// items found as the user types; Enter or a double click selects an item in the tree.
#pragma once
#include <windows.h>

#include "app/app_win.h"

namespace perchlet {

// Opens the window, or brings it forward with its text selected when it is open.
void openFindWindow(App& app);

}  // namespace perchlet
