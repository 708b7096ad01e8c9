#include "app/panel_scroll.h"

#include <algorithm>

namespace perchlet {

int PanelScrollRange::lastPosition() const { return std::max(0, maximum + 1 - page); }

PanelScrollRange panelScrollRange(bool panelOpen, int contentHeight, int clientHeight, int stepPixels) {
    if (!panelOpen || stepPixels <= 0) return {};
    int steps = std::max(1, (contentHeight + stepPixels - 1) / stepPixels);
    return {steps - 1, std::max(1, clientHeight / stepPixels)};
}

static int keptInRange(int position, int step, const PanelScrollRange& range) {
    return std::clamp(position + step, 0, range.lastPosition()) - position;
}

int panelScrollStep(ScrollRequest request, int position, int thumbPosition, const PanelScrollRange& range) {
    switch (request) {
    case ScrollRequest::LineUp:
    case ScrollRequest::PageUp: return keptInRange(position, -1, range);
    case ScrollRequest::LineDown:
    case ScrollRequest::PageDown: return keptInRange(position, 1, range);
    case ScrollRequest::ThumbTrack: return keptInRange(position, thumbPosition - position, range);
    case ScrollRequest::ThumbPosition: return 0;
    case ScrollRequest::Top: return -position;
    case ScrollRequest::Bottom: return keptInRange(position, range.lastPosition() - position, range);
    case ScrollRequest::Other: break;
    }
    return 0;
}

int panelWheelStep(int wheelDelta, int position, const PanelScrollRange& range) {
    constexpr int kNotch = 120;
    constexpr int kStepsPerNotch = 3;
    return keptInRange(position, -wheelDelta * kStepsPerNotch / kNotch, range);
}

}  // namespace perchlet
