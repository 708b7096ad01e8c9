// The main window: toolbar across the top, the bookmark tree below, a panel docked at the
// right when one is open.
#pragma once
#include <windows.h>

#include "app/app_win.h"

namespace perchlet {

constexpr wchar_t kMainWindowClass[] = L"perchlet-MainWndClass";

bool registerMainWindowClass(HINSTANCE instance);
HWND createMainWindow(App& app);
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The one message loop: panels' dialog keys first, then the accelerators, which go to the
// main window as the menus' commands do.
int runMessageLoop(App& app);
bool routeThreadMessage(App& app, MSG& message);

void layoutChildren(App& app, int clientWidth, int clientHeight);

// A turn of the wheel at the cursor (screen coordinates in lParam) scrolls the open panel
// when it is over it; false otherwise.
bool scrollPanelByWheel(App& app, WPARAM wParam, LPARAM lParam);

}  // namespace perchlet
