#include "app/commands_win.h"

#include <shellapi.h>

#include "app/command_ids.h"
#include "app/placement_win.h"
#include "app/text_win.h"
#include "browser/open_link_win.h"
#include "exchange/commands_win.h"
#include "search/find_window_win.h"
#include "panels/editor_panel_win.h"
#include "panels/options_panel_win.h"
#include "store/document_commands_win.h"
#include "tree/edit_commands_win.h"
#include "tree/undo_commands_win.h"
#include "web/update_check_win.h"

namespace perchlet {

namespace {

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, L"Version 2.00");
        return TRUE;
    case WM_COMMAND:
        // Only OK ends the dialog; Escape (IDCANCEL) leaves it open.
        if (LOWORD(wParam) == IDOK) EndDialog(dialog, IDOK);
        return TRUE;
    case WM_CLOSE:
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void showAboutDialog(App& app) {
    DialogBoxParamW(app.instance, L"MYABOUT", app.mainWindow, aboutDialogProc, 0);
}

void openHelp(App& app) {
    std::string path = app.startupDirectory + "\\perchlet.chm";
    if (path.size() > MAX_PATH - 1) path.resize(MAX_PATH - 1);
    ShellExecuteW(nullptr, L"open", widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool dispatchCommand(App& app, WPARAM wParam) {
    // Menus and toolbar send notification code 0, so the whole wParam is the identifier.
    if (wParam > 0xFFFF) return false;
    int command = static_cast<int>(wParam);
    if (handleDocumentCommand(app, command) || handleEditCommand(app, command) ||
        handleExchangeCommand(app, command) || handleWebCommand(app, command) ||
        handleEditorPanelCommand(app, command) || handleBrowserCommand(app, command))
        return true;
    switch (command) {
    case CMD_EXIT:
    case CMD_TRAY_EXIT:
        // Posted, so the close sequence and its question run after the menu has closed.
        PostMessageW(app.mainWindow, WM_CLOSE, 0, 0);
        return true;
    case CMD_ABOUT:
        showAboutDialog(app);
        return true;
    case CMD_HELP:
        openHelp(app);
        return true;
    case CMD_FIND:
        openFindWindow(app);
        return true;
    case CMD_UNDO:
        if (undoLastStep(app.document, app.treeView)) showSelectionInEditor(app);
        return true;
    case CMD_REDO:
        if (redoLastStep(app.document, app.treeView)) showSelectionInEditor(app);
        return true;
    case CMD_OPTIONS_PANEL:
        openOptionsPanel(app);
        return true;
    case CMD_RESTORE_MAIN_POS:
        restoreMainWindow(app);
        return true;
    case CMD_HIDE_WINDOW:
        hideMainWindow(app);
        return true;
    case CMD_TRAY_RESTORE:
        showMainWindow(app);  // nothing while the window shows
        return true;
    }
    return false;
}

}  // namespace perchlet
