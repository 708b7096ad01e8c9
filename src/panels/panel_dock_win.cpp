#include "panels/panel_dock_win.h"

#include <algorithm>
#include <utility>

#include "settings/screen_scale_win.h"
#include "settings/screen_win.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"

namespace perchlet {

namespace {

PanelState& stateOf(PanelHost& host, PanelKind which) { return which == PanelKind::Editor ? host.editor : host.options; }

PanelKind otherOf(PanelKind which) { return which == PanelKind::Editor ? PanelKind::Options : PanelKind::Editor; }

// The menu command that opens the panel, greyed while it is open.
UINT commandOf(PanelKind which) { return which == PanelKind::Editor ? CMD_EDITOR_PANEL : CMD_OPTIONS_PANEL; }

void enableCommand(PanelHost& host, PanelKind which, bool enable) {
    if (HMENU menu = GetMenu(host.mainWindow))
        EnableMenuItem(menu, commandOf(which), MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

WindowBox boxOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void moveTo(HWND window, const WindowBox& box) { MoveWindow(window, box.x, box.y, box.width, box.height, TRUE); }

// Widens the main window by the panel, keeping the panel inside the work area, and notes
// what the system actually gave so that closing can give exactly that back.
void makeRoomFor(PanelHost& host, PanelState& panel) {
    WindowBox before = boxOf(host.mainWindow);
    moveTo(host.mainWindow, boxWithPanel(before, panel.width, workAreaOf(host.mainWindow)));
    WindowBox after = boxOf(host.mainWindow);
    panel.addedWidth = after.width - before.width;
    panel.movedLeft = before.x - after.x;
}

// Takes back the width and the move made for the panel, from where the window is now.
void giveBackRoom(PanelHost& host, PanelState& panel) {
    WindowBox box = boxOf(host.mainWindow);
    box.width -= panel.addedWidth;
    box.x += panel.movedLeft;
    moveTo(host.mainWindow, box);
    panel.addedWidth = 0;
    panel.movedLeft = 0;
}

// Lays the tree view and the open panel (if any) out again over the current client area,
// also when the window's size did not change (a size the system refused).
void relayout(PanelHost& host) {
    RECT client{};
    GetClientRect(host.mainWindow, &client);
    SendMessageW(host.mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

BOOL CALLBACK reachOfChild(HWND child, LPARAM param) {
    auto& lowest = *reinterpret_cast<std::pair<HWND, int>*>(param);
    if (GetParent(child) != lowest.first) return TRUE;
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, lowest.first, reinterpret_cast<POINT*>(&rect), 2);
    lowest.second = std::max(lowest.second, static_cast<int>(rect.bottom));
    return TRUE;
}

void measure(PanelState& panel) {
    RECT outer{};
    GetWindowRect(panel.window, &outer);
    panel.width = outer.right - outer.left;
    panel.height = outer.bottom - outer.top;
    panel.contentHeight = panelContentHeight(panel.window);
}

}  // namespace

int panelContentHeight(HWND panel) {
    std::pair<HWND, int> lowest{panel, 0};
    EnumChildWindows(panel, reachOfChild, reinterpret_cast<LPARAM>(&lowest));
    RECT margin{0, 0, 4, 4};  // dialog units, as the controls are placed
    MapDialogRect(panel, &margin);
    return lowest.second + margin.bottom;
}

void rescaleDockedPanels(PanelHost& host, int fromDpi, int toDpi) {
    for (PanelState* panel : {&host.editor, &host.options}) {
        if (!panel->open) continue;
        measure(*panel);
        panel->addedWidth = rescaledForDpi(panel->addedWidth, fromDpi, toDpi);
        panel->movedLeft = rescaledForDpi(panel->movedLeft, fromDpi, toDpi);
    }
}

UINT closeMessageOf(PanelKind which) { return which == PanelKind::Editor ? kCloseEditorMessage : kCloseOptionsMessage; }

bool openPanel(PanelHost& host, PanelKind which, const wchar_t* templateName, DLGPROC procedure, LPARAM context) {
    PanelKind other = otherOf(which);
    if (stateOf(host, other).open) SendMessageW(stateOf(host, other).window, closeMessageOf(other), 0, 0);
    // Two panels side by side would overlap: one that ignored its close message closes anyway.
    if (stateOf(host, other).open) closePanel(host, other);
    PanelState& panel = stateOf(host, which);
    if (panel.open) return true;
    host.scrollPosition = 0;

    HWND window = createDialogInMessageFont(host.instance, templateName, host.mainWindow, procedure, context);
    if (!window) {
        showMessage(host.mainWindow, "パネルを開けませんでした。", "パネルを開く", MB_OK | MB_ICONERROR);
        return false;
    }
    enableCommand(host, which, false);
    panel.window = window;
    panel.open = true;

    ShowWindow(window, SW_SHOW);
    measure(panel);

    makeRoomFor(host, panel);
    relayout(host);
    return true;
}

void closePanel(PanelHost& host, PanelKind which) {
    PanelState& panel = stateOf(host, which);
    if (!panel.open) return;
    enableCommand(host, which, true);
    panel.open = false;
    HWND window = panel.window;
    panel.window = nullptr;

    giveBackRoom(host, panel);
    relayout(host);
    DestroyWindow(window);
}

}  // namespace perchlet
