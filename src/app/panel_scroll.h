// The main window's own vertical scroll bar scrolls the open panel in steps of 10 pixels.
#pragma once

namespace perchlet {

constexpr int kPanelScrollMax = 70;
constexpr int kPanelScrollPixels = 10;

enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, ThumbTrack, ThumbPosition, Top, Bottom, Other };

// The step from position to the new position for one scroll bar request.
int panelScrollStep(ScrollRequest request, int position, int thumbPosition);

// The page of the scroll bar: a tenth of the open panel's client height, or the whole
// range when no panel is open, so that the system hides the bar.
int panelScrollPage(bool panelOpen, int panelClientHeight);

}  // namespace perchlet
