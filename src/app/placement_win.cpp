#include "app/placement_win.h"

#include "settings/screen_scale.h"

namespace perchlet {

namespace {
constexpr UINT_PTR kEdgeTimer = 1;
constexpr UINT kEdgeTimerInterval = 300;

PanelState* openPanelOf(App& app) {
    if (app.panels.editor.open) return &app.panels.editor;
    if (app.panels.options.open) return &app.panels.options;
    return nullptr;
}
}  // namespace

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
    if (edgeTimerTick(app.edgeCounter, cursor.x, scaledForDpi(kEdgeColumns, app.dpi))) showMainWindow(app);
}

void onEdgeTimer(App& app) {
    POINT cursor{};
    GetCursorPos(&cursor);
    edgeTimerTick(app, cursor);
}

}  // namespace perchlet
