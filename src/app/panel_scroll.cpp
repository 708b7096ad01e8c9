#include "app/panel_scroll.h"

namespace perchlet {

int panelScrollStep(ScrollRequest request, int position, int thumbPosition) {
    switch (request) {
    case ScrollRequest::LineUp:
    case ScrollRequest::PageUp: return position > 0 ? -1 : 0;
    case ScrollRequest::LineDown:
    case ScrollRequest::PageDown: return position < kPanelScrollMax - 1 ? 1 : 0;
    case ScrollRequest::ThumbTrack: return thumbPosition - position;
    case ScrollRequest::ThumbPosition: return 0;
    case ScrollRequest::Top: return 0 - position;
    case ScrollRequest::Bottom: return kPanelScrollMax - position;
    case ScrollRequest::Other: break;
    }
    return 0;
}

int panelScrollPage(bool panelOpen, int panelClientHeight) {
    return panelOpen ? panelClientHeight / 10 : 80;
}

}  // namespace perchlet
