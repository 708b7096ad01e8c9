// The item editor panel MYWRITE, docked at the right of the main window: shows the selected
// item's record and adds, replaces and deletes items from its fields.
#pragma once
#include <string>
#include <windows.h>

#include "browser/browser_state_win.h"
#include "document/document_commands_win.h"
#include "panels/panel_dock_win.h"

namespace perchlet {

// Posted by the main window when the tree is clicked: show the selected item's record.
constexpr UINT kShowSelectionMessage = 91;

// What the editor works with, and the title it fetched last.
struct EditorPanelContext {
    EditorPanelContext(Workspace& workspace, PanelHost& host, DocumentContext& documentCommands, BrowserContext& browser)
        : workspace(workspace), host(host), documentCommands(documentCommands), browser(browser) {}

    Workspace& workspace;
    PanelHost& host;
    DocumentContext& documentCommands;  // its Save button saves the document
    BrowserContext& browser;     // the page and the place of a running browser
    std::string fetchedTitle;    // the page title last fetched, as the page has it
    int titleCycle = 0;          // the "？" button: 0-3, for the whole run
};

INT_PTR CALLBACK editorPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// Command 105: opens the panel, or closes it when it is open.
void toggleEditorPanel(EditorPanelContext& context);

// Posts the selection message to the open panel; nothing when it is closed.
void showSelectionInEditor(const PanelHost& host);

}  // namespace perchlet
