#include "settings/screen_win.h"

#include <vector>

namespace perchlet {

namespace {

BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<ScreenRect>*>(param)->push_back(screenRectOf(info.rcWork));
    return TRUE;
}

std::vector<ScreenRect> monitorWorkAreas() {
    std::vector<ScreenRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, addWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

}  // namespace

ScreenRect screenRectOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

WindowBox reachableOnScreen(const WindowBox& box) {
    return reachableBox(box, monitorWorkAreas(), GetSystemMetrics(SM_CYCAPTION));
}

ScreenRect workAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return screenRectOf(info.rcWork);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return screenRectOf(work);
}

}  // namespace perchlet
