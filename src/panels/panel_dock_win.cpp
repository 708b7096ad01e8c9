#include "panels/panel_dock_win.h"

#include "app/command_ids.h"
#include "app/dialogs_win.h"
#include "app/placement_win.h"

namespace perchlet {

namespace {

PanelState& stateOf(App& app, PanelKind which) { return which == PanelKind::Editor ? app.editor : app.options; }

PanelKind otherOf(PanelKind which) { return which == PanelKind::Editor ? PanelKind::Options : PanelKind::Editor; }

// The menu command that opens the panel, greyed while it is open.
UINT commandOf(PanelKind which) { return which == PanelKind::Editor ? CMD_EDITOR_PANEL : CMD_OPTIONS_PANEL; }

void enableCommand(App& app, PanelKind which, bool enable) {
    if (HMENU menu = GetMenu(app.mainWindow))
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
void makeRoomFor(App& app, PanelState& panel) {
    WindowBox before = boxOf(app.mainWindow);
    moveTo(app.mainWindow, boxWithPanel(before, panel.width, workAreaOf(app.mainWindow)));
    WindowBox after = boxOf(app.mainWindow);
    panel.addedWidth = after.width - before.width;
    panel.movedLeft = before.x - after.x;
}

// Takes back the width and the move made for the panel, from where the window is now.
void giveBackRoom(App& app, PanelState& panel) {
    WindowBox box = boxOf(app.mainWindow);
    box.width -= panel.addedWidth;
    box.x += panel.movedLeft;
    moveTo(app.mainWindow, box);
    panel.addedWidth = 0;
    panel.movedLeft = 0;
}

// Lays the tree view and the open panel (if any) out again over the current client area,
// also when the window's size did not change (a size the system refused).
void relayout(App& app) {
    RECT client{};
    GetClientRect(app.mainWindow, &client);
    SendMessageW(app.mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

}  // namespace

UINT closeMessageOf(PanelKind which) { return which == PanelKind::Editor ? kCloseEditorMessage : kCloseOptionsMessage; }

bool openPanel(App& app, PanelKind which, const wchar_t* templateName, DLGPROC procedure) {
    PanelKind other = otherOf(which);
    if (stateOf(app, other).open) SendMessageW(stateOf(app, other).window, closeMessageOf(other), 0, 0);
    // Two panels side by side would overlap: one that ignored its close message closes anyway.
    if (stateOf(app, other).open) closePanel(app, other);
    PanelState& panel = stateOf(app, which);
    if (panel.open) return true;
    app.panelScrollPosition = 0;

    HWND window = CreateDialogParamW(app.instance, templateName, app.mainWindow, procedure, 0);
    if (!window) {
        showMessage(app.mainWindow, "ダイアログボックス作成失敗です", "Error", MB_OK);
        return false;
    }
    enableCommand(app, which, false);
    panel.window = window;
    panel.open = true;

    ShowWindow(window, SW_SHOW);
    RECT outer{};
    GetWindowRect(window, &outer);
    panel.width = outer.right - outer.left;
    panel.height = outer.bottom - outer.top;

    makeRoomFor(app, panel);
    relayout(app);
    return true;
}

void closePanel(App& app, PanelKind which) {
    PanelState& panel = stateOf(app, which);
    if (!panel.open) return;
    enableCommand(app, which, true);
    panel.open = false;
    HWND window = panel.window;
    panel.window = nullptr;

    giveBackRoom(app, panel);
    relayout(app);
    DestroyWindow(window);
}

}  // namespace perchlet
