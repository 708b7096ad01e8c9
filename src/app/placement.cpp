#include "app/placement.h"

namespace perchlet {

WindowBox mainRestoreBox(const Settings& settings, const ScreenRect& workArea, int panelWidth) {
    WindowBox box;
    box.x = settingNumber(settings.mainX);
    box.y = settingNumber(settings.mainY);
    box.width = sizeFromSetting(settings.mainWidth, settings.mainX, workArea.right) + panelWidth;
    box.height = sizeFromSetting(settings.mainHeight, settings.mainY, workArea.bottom);
    return box;
}

bool edgeTimerTick(int& edgeCounter, int cursorX) {
    if (cursorX >= kEdgeColumns) {
        edgeCounter = 0;
        return false;
    }
    ++edgeCounter;
    return edgeCounter > kEdgeThreshold;
}

}  // namespace perchlet
