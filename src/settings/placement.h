// The arithmetic of placing and auto-hiding the main window, apart from the windows.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace perchlet {

struct WindowBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// Command 119: the settings' position and size ("MAX" reaching to the work area's edge),
// wider by the open panel (0 when none is open).
WindowBox mainRestoreBox(const Settings& settings, const ScreenRect& workArea, int panelWidth);

// A window counts as reachable when this much of its title bar's width (or all of a
// narrower window) and half its height lie in one work area.
constexpr int kGrabWidth = 100;

// The box as it is when the user can reach its title bar on one of the work areas; otherwise
// moved, keeping its size, into the work area nearest to it (its left and top edges first
// when it is larger than that area).
WindowBox reachableBox(const WindowBox& box, const std::vector<ScreenRect>& workAreas, int titleBarHeight);

// The window widened by a panel docked at its right, so that the whole panel shows in the
// work area: moved left when it would pass the right edge, and no wider than the work area.
WindowBox boxWithPanel(const WindowBox& window, int panelWidth, const ScreenRect& workArea);

enum class PlacementField { Position, Size };

// Positions and sizes the options panel saves: whole numbers that a window's coordinates can
// hold, a size at least 1. An empty text stays allowed: it is what an unset value reads.
constexpr int kPlacementLimit = 32767;

// The message for a position or size text that must not be saved; nothing when it may be.
std::optional<std::string> placementTextProblem(std::string_view text, PlacementField field);

constexpr int kEdgeColumns = 5;    // the cursor counts as at the edge left of this x, at 100 %
constexpr int kEdgeThreshold = 2;  // the window shows when the count goes above this

// One tick of the edge timer with the cursor at x: counts consecutive ticks at the left
// edge and says whether the hidden window should show now.
bool edgeTimerTick(int& edgeCounter, int cursorX, int edgeColumns = kEdgeColumns);

}  // namespace perchlet
