#include "app/placement_win.h"

#include <vector>

namespace perchlet {

namespace {
constexpr UINT_PTR kEdgeTimer = 1;
constexpr UINT kEdgeTimerInterval = 300;

ScreenRect screenRectOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

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

PanelState* openPanelOf(App& app) {
    if (app.editor.open) return &app.editor;
    if (app.options.open) return &app.options;
    return nullptr;
}
}  // namespace

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

void hideMainWindow(App& app) {
    if (app.hidden || !app.mainWindow) return;
    ShowWindow(app.mainWindow, SW_HIDE);
    app.hidden = true;
    app.edgeCounter = 0;
    SetTimer(app.mainWindow, kEdgeTimer, kEdgeTimerInterval, nullptr);
}

void showMainWindow(App& app) {
    if (!app.hidden || !app.mainWindow) return;
    ShowWindow(app.mainWindow, SW_SHOWNORMAL);
    KillTimer(app.mainWindow, kEdgeTimer);
    app.edgeCounter = 0;
    app.hidden = false;
}

void restoreMainWindow(App& app) {
    PanelState* panel = openPanelOf(app);
    int panelWidth = panel ? panel->width : 0;
    WindowBox box = reachableOnScreen(mainRestoreBox(app.settings, screenRectOf(app.workArea), panelWidth));
    MoveWindow(app.mainWindow, box.x, box.y, box.width, box.height, TRUE);
    if (!panel) return;
    // Closing the panel then gives back the settings' own width, whatever the system allowed.
    RECT placed{};
    GetWindowRect(app.mainWindow, &placed);
    panel->addedWidth = (placed.right - placed.left) - (box.width - panelWidth);
    panel->movedLeft = box.x - placed.left;
}

void edgeTimerTick(App& app, POINT cursor) {
    if (edgeTimerTick(app.edgeCounter, cursor.x)) showMainWindow(app);
}

void onEdgeTimer(App& app) {
    POINT cursor{};
    GetCursorPos(&cursor);
    edgeTimerTick(app, cursor);
}

}  // namespace perchlet
