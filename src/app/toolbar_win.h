// The toolbar with its seven buttons and their tooltips, and the tray icon.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "app/app_win.h"

namespace perchlet {

HWND createToolbar(HWND parent, HINSTANCE instance);
// The tooltip of a toolbar button: the string resource of its command, or 0.
int tooltipStringFor(int command);
void answerTooltip(App& app, NMTTDISPINFOW& request);

void addTrayIcon(App& app);
void removeTrayIcon(App& app);
void onTrayCallback(App& app, WPARAM id, LPARAM mouseMessage);

}  // namespace perchlet
