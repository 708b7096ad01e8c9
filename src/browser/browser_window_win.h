// Finding a running browser's top-level window, and placing the remembered one.
#pragma once
#include <string>
#include <windows.h>

#include "browser/browser_state_win.h"

namespace perchlet {

// The browser window search: top-level windows in Z order whose titles carry a browser
// kind's title text; kAnyBrowserKind wants any kind. Records the kind found. nullptr when none.
HWND findBrowserWindow(BrowserContext& browser, HWND excluded, BrowserKind kind);

// A visible, titled window's browser kind (None: none, or not the wanted kind).
BrowserKind browserKindOfWindow(HWND window, BrowserKind wanted);
// The window's title without its browser's ending.
std::wstring pageTitleOfWindow(HWND window);

// Command 118: moves the remembered browser window beside the main window or to the
// stored rectangle; a window that has gone is replaced by a search first.
void restoreBrowserWindow(BrowserContext& browser);

}  // namespace perchlet
