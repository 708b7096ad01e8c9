// Where the main window is and whether it shows: hide after opening a link or on request,
// show again from the screen edge or the tray.
#pragma once
#include "app/app_win.h"
#include "settings/placement.h"
#include "settings/screen_win.h"

namespace perchlet {

constexpr int kMainWindowWidth = 264;

// The built-in width: 264 pixels at 100 %, scaled, or what the menu bar takes on one row.
int defaultMainWidth(HWND window, int dpi);

// Hides the main window and starts the edge timer; nothing when already hidden.
void hideMainWindow(App& app);
// Shows a hidden main window and stops the edge timer; nothing when it is not hidden.
void showMainWindow(App& app);

// Gives the window the box in one call (with zOrder and flags as SetWindowPos takes them),
// then moves it where the user can reach it when the rectangle it really got, after the
// system's least size, would leave its title bar on no screen. Returns the box asked for
// last.
WindowBox placeWithinReach(HWND window, const WindowBox& box, HWND zOrder, UINT flags);

// Command 119: back to the settings' place and size, keeping the open panel's width.
void restoreMainWindow(App& app);

// The edge timer: one tick with the cursor at the given screen point, and the tick of
// WM_TIMER, which reads the cursor.
void edgeTimerTick(App& app, POINT cursor);
void onEdgeTimer(App& app);

}  // namespace perchlet
