// The screens' work areas, for placing windows where the user can reach them.
#pragma once
#include <windows.h>

#include "settings/placement.h"

namespace perchlet {

ScreenRect screenRectOf(const RECT& rect);

// The box, moved into the nearest monitor's work area when its title bar would be on none.
WindowBox reachableOnScreen(const WindowBox& box);
// The work area of the monitor that holds most of the window (the nearest one when none does).
ScreenRect workAreaOf(HWND window);

}  // namespace perchlet
