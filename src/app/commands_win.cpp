#include "app/commands_win.h"

#include <shellapi.h>

#include <optional>

#include "app/placement_win.h"
#include "browser/browser_kind.h"
#include "browser/browser_window_win.h"
#include "browser/dde_client_win.h"
#include "browser/open_link_win.h"
#include "browser/shown_page_win.h"
#include "panels/new_link_win.h"
#include "perchlet_version.h"
#include "settings/screen_scale_win.h"
#include "search/sort_commands_win.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "tree/edit_commands_win.h"
#include "tree/rename_win.h"
#include "tree/undo_commands_win.h"
#include "web/update_check_win.h"

namespace perchlet {

namespace {

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, widen("Version " PERCHLET_VERSION_TEXT).c_str());
        return TRUE;
    case WM_COMMAND:
        // OK, Escape (IDCANCEL) and the close box all end it.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDOK);
        return TRUE;
    case WM_CLOSE:
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    return FALSE;
}

// Posted, so the close sequence and its question run after the menu has closed.
void closeMainWindow(App& app) { PostMessageW(app.mainWindow, WM_CLOSE, 0, 0); }

// The browser submenus and Shift + Enter: the command says the open mode.
void openSelectedLink(App& app, int command) {
    openLink(app.browser, app.mainWindow, openModeOfCommand(command));
}

// Takes back or does again the last step, and shows the item it concerns in the editor.
void undoOrRedo(App& app, int id) {
    bool done = id == CMD_UNDO ? undoLastStep(app.workspace) : redoLastStep(app.workspace);
    if (done) showSelectionInEditor(app.panels);
}

struct Command {
    int id;
    void (*run)(App& app, int id);
    // The name of the undo step a command that changes the document makes, for the menu.
    const char* undoStep = nullptr;
};

// Every command of the menus, the toolbar, the accelerators and the tray menu, once each.
const Command kCommands[] = {
    // File menu
    {CMD_OPEN_DATA_FILE, [](App& app, int) { openDataFile(app.documentCommands); }},
    {CMD_NEW_DOCUMENT, [](App& app, int) { newDocument(app.documentCommands); }},
    {CMD_SAVE, [](App& app, int) { saveDocument(app.documentCommands); }},
    {CMD_SAVE_AS, [](App& app, int) { saveDocumentAs(app.documentCommands); }},
    {CMD_IMPORT_DATA_FILE, [](App& app, int) { importDataFileUnderSelection(app.documentCommands); }, "インポート"},
    {CMD_EXPORT_SUB_DATA_FILE, [](App& app, int) { exportSelectedSubtree(app.documentCommands); }},
    {CMD_IMPORT_NETSCAPE, [](App& app, int) { importNetscapeFile(app.exchange); }, "インポート"},
    {CMD_IMPORT_CSV, [](App& app, int) { importCsvFile(app.exchange); }, "インポート"},
    {CMD_IMPORT_FAVORITES, [](App& app, int) { importFavoritesFolder(app.exchange); }, "インポート"},
    {CMD_IMPORT_BROWSER, [](App& app, int) { importFromBrowserProfile(app.exchange); }, "インポート"},
    {CMD_EXPORT_NETSCAPE, [](App& app, int) { exportNetscapeFile(app.exchange, ExportScope::WholeTree); }},
    {CMD_EXPORT_TREE_HTML, [](App& app, int) { exportTreeHtmlFile(app.exchange, ExportScope::WholeTree); }},
    {CMD_EXPORT_CSV, [](App& app, int) { exportCsvFile(app.exchange, ExportScope::WholeTree); }},
    {CMD_EXPORT_FAVORITES, [](App& app, int) { exportFavoritesFolder(app.exchange, ExportScope::WholeTree); }},
    {CMD_EXPORT_SUB_NETSCAPE, [](App& app, int) { exportNetscapeFile(app.exchange, ExportScope::Selection); }},
    {CMD_EXPORT_SUB_TREE_HTML, [](App& app, int) { exportTreeHtmlFile(app.exchange, ExportScope::Selection); }},
    {CMD_EXPORT_SUB_CSV, [](App& app, int) { exportCsvFile(app.exchange, ExportScope::Selection); }},
    {CMD_EXPORT_SUB_FAVORITES, [](App& app, int) { exportFavoritesFolder(app.exchange, ExportScope::Selection); }},
    {CMD_EXIT, [](App& app, int) { closeMainWindow(app); }},
    // Edit menu and context menu
    {CMD_EMPHASIS, [](App& app, int) { toggleEmphasisOfSelection(app.workspace); }, "強調"},
    {CMD_MOVE_UP, [](App& app, int) { moveSelection(app.workspace, SiblingDirection::Up); }, "上へ移動"},
    {CMD_MOVE_DOWN, [](App& app, int) { moveSelection(app.workspace, SiblingDirection::Down); }, "下へ移動"},
    {CMD_CUT, [](App& app, int) { cutSelection(app.workspace); }, "切り取り"},
    {CMD_COPY, [](App& app, int) { copySelection(app.workspace); }},
    {CMD_PASTE, [](App& app, int) { pasteUnderSelection(app.workspace); }, "貼り付け"},
    {CMD_DELETE, [](App& app, int) { deleteSelectionFromMenu(app.workspace); }, "削除"},
    {CMD_DELETE_NOW, [](App& app, int) { deleteSelectionNow(app.workspace); }, "削除"},
    {CMD_NEW_FOLDER, [](App& app, int) { newFolder(app.workspace); }, "新しいフォルダ"},
    {CMD_NEW_LINK, [](App& app, int) { addNewLink(app.workspace); }},  // its step opens once the dialog is done
    {CMD_RENAME, [](App& app, int) { renameSelection(app.workspace); }},  // the step is the edit's end
    {CMD_SORT_BY_TITLE, [](App& app, int) { sortSelectedFolder(app.workspace, SortOrder::Title); }, "並べ替え"},
    {CMD_SORT_BY_ADDRESS, [](App& app, int) { sortSelectedFolder(app.workspace, SortOrder::Address); }, "並べ替え"},
    {CMD_SORT_BY_ADDED, [](App& app, int) { sortSelectedFolder(app.workspace, SortOrder::AddedNewestFirst); }, "並べ替え"},
    {CMD_SORT_BY_VISIT, [](App& app, int) { sortSelectedFolder(app.workspace, SortOrder::VisitedNewestFirst); }, "並べ替え"},
    {CMD_FIND_DUPLICATES, [](App& app, int) { openDuplicatesWindow(app.duplicates); }},
    {CMD_UNDO, undoOrRedo},
    {CMD_REDO, undoOrRedo},
    // Window menu and context menu: panels, placement, browsers
    {CMD_EDITOR_PANEL, [](App& app, int) { toggleEditorPanel(app.editorPanel); }},
    {CMD_OPTIONS_PANEL, [](App& app, int) { openOptionsPanel(app.optionsPanel); }},
    {CMD_RESTORE_BROWSER_POS, [](App& app, int) { restoreBrowserWindow(app.browser); }},
    {CMD_RESTORE_MAIN_POS, [](App& app, int) { restoreMainWindow(app); }},
    {CMD_OPEN_ITEM, openSelectedLink},
    {CMD_OPEN_SLOT1_PLACED, openSelectedLink},
    {CMD_OPEN_SLOT1_NEW, openSelectedLink},
    {CMD_OPEN_SLOT1_TAB, openSelectedLink},
    {CMD_OPEN_SLOT2_PLACED, openSelectedLink},
    {CMD_OPEN_SLOT2_NEW, openSelectedLink},
    {CMD_OPEN_SLOT2_TAB, openSelectedLink},
    {CMD_OPEN_SLOT3_PLACED, openSelectedLink},
    {CMD_OPEN_SLOT3_NEW, openSelectedLink},
    {CMD_OPEN_SLOT3_TAB, openSelectedLink},
    // Help menu
    {CMD_HELP, [](App& app, int) { openHelp(app); }},
    {CMD_ABOUT, [](App& app, int) { showAboutDialog(app); }},
    // Toolbar
    {CMD_UPDATE_CHECK, [](App& app, int) { runUpdateCheck(app.workspace); }, "更新チェック"},
    {CMD_RECORD_BROWSER_PAGE, [](App& app, int) { recordBrowserPage(app.browser); }, "URLの登録"},
    {CMD_HIDE_WINDOW, [](App& app, int) { hideMainWindow(app); }},
    {CMD_FIND, [](App& app, int) { openFindWindow(app.search); }},
    {CMD_TIDY_LINKS, [](App& app, int) { openTidyWindow(app.tidy); }},
    // Tray menu
    {CMD_TRAY_RESTORE, [](App& app, int) { showMainWindow(app); }},  // nothing while the window shows
};

}  // namespace

void showAboutDialog(App& app) {
    dialogBoxInMessageFont(app.instance, L"MYABOUT", app.mainWindow, aboutDialogProc, 0);
}

void openHelp(App& app) {
    std::wstring path = app.startupFolderWide + L"\\perchlet.chm";
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// Keys act on the tree's items only while the tree has the keys; undo and redo belong to an
// edit that has them. A code 1 for a command no key gives is no key's.
bool keyMayRun(App& app, int id) {
    switch (id) {
    case CMD_OPEN_ITEM:
    case CMD_MOVE_UP:
    case CMD_MOVE_DOWN:
    case CMD_DELETE:
    case CMD_DELETE_NOW:
    case CMD_CUT:
    case CMD_COPY:
    case CMD_PASTE:
    case CMD_RENAME:
        return GetFocus() == app.treeView.window();
    case CMD_UNDO:
    case CMD_REDO:
        return !passUndoKeyToEdit(id);
    case CMD_FIND:
    case CMD_SAVE:
    case CMD_OPEN_DATA_FILE:
    case CMD_NEW_DOCUMENT:
        return true;
    }
    return false;
}

bool dispatchCommand(App& app, WPARAM wParam) {
    // Menus, the toolbar and the tray send notification code 0; the accelerators send 1.
    if (HIWORD(wParam) == 1 && !keyMayRun(app, LOWORD(wParam))) return true;
    if (HIWORD(wParam) > 1) return false;
    int id = LOWORD(wParam);
    for (const Command& command : kCommands) {
        if (command.id != id) continue;
        std::optional<UndoStep> step;
        if (command.undoStep) step.emplace(app.document, command.undoStep);
        command.run(app, id);
        return true;
    }
    return false;
}

}  // namespace perchlet
