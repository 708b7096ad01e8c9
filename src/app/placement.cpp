#include "app/placement.h"

#include <climits>

namespace perchlet {

WindowBox mainRestoreBox(const Settings& settings, const ScreenRect& workArea, int panelWidth) {
    WindowBox box;
    box.x = settingNumber(settings.mainX);
    box.y = settingNumber(settings.mainY);
    long long width = static_cast<long long>(sizeFromSetting(settings.mainWidth, settings.mainX, workArea.right)) + panelWidth;
    box.width = width > INT_MAX ? INT_MAX : static_cast<int>(width);
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
