// Opening the selected bookmark: mail and local links through the shell, web links in a
// browser with the wait dialog MYWAIT.
#pragma once
#include <windows.h>

#include "app/app_win.h"

namespace perchlet {

// 1 when the item was handed on (shell, started program, or the wait dialog ran); 0 when
// nothing is selected, the item is a folder or has no record.
int openLink(App& app, HWND owner, int openMode);

// Commands 126, 146-154 (open), 118 (place the browser window), 608 (record the shown page).
bool handleBrowserCommand(App& app, int command);

}  // namespace perchlet
