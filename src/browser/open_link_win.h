// Opening the selected bookmark: mail and local links through the shell, web links in a
// browser with the wait dialog MYWAIT.
#pragma once
#include <windows.h>

#include "browser/browser_state_win.h"

namespace perchlet {

// True when the item was handed on (shell, started program, or the wait dialog ran); false
// when nothing is selected, the item is a folder or has no record, or its address was refused.
bool openLink(BrowserContext& browser, HWND owner, OpenMode openMode);

}  // namespace perchlet
