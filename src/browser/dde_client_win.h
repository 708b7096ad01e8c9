// DDE with running browsers.
#pragma once
#include <string>
#include <windows.h>

#include "app/app_win.h"

namespace perchlet {

// Asks the browser found by the window search for the page it shows ("WWW_GetWindowInfo"),
// confirms the reply with the user, and returns it; "" on failure or when declined.
std::string requestWindowInfo(App& app, HWND owner);

}  // namespace perchlet
