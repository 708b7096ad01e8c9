// Finding a running browser's top-level window, and placing the remembered one.
#pragma once
#include <string>
#include <windows.h>

#include "browser/browser_state_win.h"

namespace perchlet {

// The browser window search: top-level windows in Z order whose titles carry a browser
// kind's title text; kind 0 means any kind. Records the kind found. nullptr when none.
HWND findBrowserWindow(BrowserContext& browser, HWND excluded, int kind);

// A visible, titled window's browser kind (0: none, or not the wanted kind).
int browserKindOfWindow(HWND window, int wanted);
// The window's title without its browser's ending.
std::wstring pageTitleOfWindow(HWND window);

// Command 118: moves the remembered browser window beside the main window or to the
// stored rectangle; a window that has gone is replaced by a search first.
void restoreBrowserWindow(BrowserContext& browser);

}  // namespace perchlet
