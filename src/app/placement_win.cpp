#include "app/placement_win.h"

namespace perchlet {

namespace {
constexpr UINT_PTR kEdgeTimer = 1;
constexpr UINT kEdgeTimerInterval = 300;
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
    KillTimer(app.mainWindow, kEdgeTimer);
    app.hidden = false;
    app.edgeCounter = 0;
    ShowWindow(app.mainWindow, SW_SHOW);
}

}  // namespace perchlet
