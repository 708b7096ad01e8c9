#include "app/placement_win.h"

#include <algorithm>

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

int defaultMainWidth(HWND window, int dpi) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    int menuWidth = 0;
    HMENU menu = GetMenu(window);
    for (int i = 0, count = menu ? GetMenuItemCount(menu) : 0; i < count; ++i) {
        RECT item{};
        if (GetMenuItemRect(window, menu, static_cast<UINT>(i), &item)) menuWidth += item.right - item.left;
    }
    int frame = (outer.right - outer.left) - (client.right - client.left);
    return std::max(scaledForDpi(kMainWindowWidth, dpi), menuWidth + frame + scaledForDpi(4, dpi));
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

WindowBox placeWithinReach(HWND window, const WindowBox& wanted, HWND zOrder, UINT flags) {
    // Brought near first: coordinates near the ends of int would overflow the window's rectangle.
    WindowBox box = reachableOnScreen(wanted);
    SetWindowPos(window, zOrder, box.x, box.y, box.width, box.height, flags);
    RECT placed{};
    GetWindowRect(window, &placed);
    WindowBox real{placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top};
    WindowBox reachable = reachableOnScreen(real);
    if (reachable.x == real.x && reachable.y == real.y) return box;
    SetWindowPos(window, nullptr, reachable.x, reachable.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return {reachable.x, reachable.y, box.width, box.height};
}

void restoreMainWindow(App& app) {
    PanelState* panel = openPanelOf(app);
    int panelWidth = panel ? panel->width : 0;
    WindowBox box = mainRestoreBox(app.settings, screenRectOf(app.workArea), panelWidth);
    box = placeWithinReach(app.mainWindow, box, nullptr, SWP_NOZORDER | SWP_NOACTIVATE);
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
