// The arithmetic of placing and auto-hiding the main window, apart from the windows.
#pragma once
#include "settings/settings.h"

namespace perchlet {

struct WindowBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// Command 119: the settings' position and size ("MAX" reaching to the work area's edge),
// wider by the open panel (0 when none is open).
WindowBox mainRestoreBox(const Settings& settings, const ScreenRect& workArea, int panelWidth);

constexpr int kEdgeColumns = 5;    // the cursor counts as at the edge left of this x
constexpr int kEdgeThreshold = 2;  // the window shows when the count goes above this

// One tick of the edge timer with the cursor at x: counts consecutive ticks at the left
// edge and says whether the hidden window should show now.
bool edgeTimerTick(int& edgeCounter, int cursorX);

}  // namespace perchlet
