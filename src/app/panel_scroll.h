// The main window's own vertical scroll bar scrolls the open panel, in steps of 10 pixels at
// 100 % (scaled with the window's DPI), as far as it takes to show the panel's lowest control.
#pragma once

namespace perchlet {

constexpr int kPanelScrollPixels = 10;
// Without a panel the page covers the whole range, so that the system hides the bar.
constexpr int kPanelScrollMax = 70;
constexpr int kNoPanelScrollPage = 80;

enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, ThumbTrack, ThumbPosition, Top, Bottom, Other };

// The scroll bar's range (0 to maximum) and page, in steps.
struct PanelScrollRange {
    int maximum = kPanelScrollMax;
    int page = kNoPanelScrollPage;
    // The furthest position: the one that shows the lowest step in the page.
    int lastPosition() const;
};

// For a panel whose controls reach contentHeight pixels down, shown in clientHeight pixels:
// the bar shows (page below the range) only while the panel is taller than what shows.
PanelScrollRange panelScrollRange(bool panelOpen, int contentHeight, int clientHeight, int stepPixels);

// The step from position to the new position for one scroll bar request, kept inside the
// range; a line and a page move by the same single step.
int panelScrollStep(ScrollRequest request, int position, int thumbPosition, const PanelScrollRange& range);

// The steps for a turn of the mouse wheel (WHEEL_DELTA, 120, a notch) of delta, downwards
// positive, three steps a notch, kept inside the range.
int panelWheelStep(int wheelDelta, int position, const PanelScrollRange& range);

}  // namespace perchlet
