// Opening the selected bookmark: mail and local links through the shell, web links in a
// browser with the wait dialog MYWAIT.
#pragma once
#include <windows.h>

#include "browser/browser_state_win.h"

namespace perchlet {

// 1 when the item was handed on (shell, started program, or the wait dialog ran); 0 when
// nothing is selected, the item is a folder or has no record.
int openLink(BrowserContext& browser, HWND owner, int openMode);

}  // namespace perchlet
