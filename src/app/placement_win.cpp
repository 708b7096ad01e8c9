#include "app/placement_win.h"

#include "app/placement.h"

namespace perchlet {

namespace {
constexpr UINT_PTR kEdgeTimer = 1;
constexpr UINT kEdgeTimerInterval = 300;

int openPanelWidth(const App& app) {
    if (app.panels.editor.open) return app.panels.editor.width;
    if (app.panels.options.open) return app.panels.options.width;
    return 0;
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
    const RECT& w = app.workArea;
    WindowBox box = mainRestoreBox(app.settings, {w.left, w.top, w.right, w.bottom}, openPanelWidth(app));
    MoveWindow(app.mainWindow, box.x, box.y, box.width, box.height, TRUE);
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
