// The toolbar with its seven buttons and their tooltips, and the tray icon.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "app/app_win.h"

namespace perchlet {

// The toolbar with its images and buttons sized for the window's DPI.
HWND createToolbar(HWND parent, HINSTANCE instance, int dpi);
// Images and buttons again for another DPI; the toolbar's height follows.
void fitToolbarToScale(HWND toolbar, HINSTANCE instance, int dpi);
// The toolbar does not own its image list: this frees it before the window goes.
void destroyToolbarImages(HWND toolbar);
// The tooltip of a toolbar button: the string resource of its command, or 0.
int tooltipStringFor(int command);
void answerTooltip(App& app, NMTTDISPINFOW& request);

void addTrayIcon(App& app);
void removeTrayIcon(App& app);
void onTrayCallback(App& app, WPARAM id, LPARAM mouseMessage);

}  // namespace perchlet
