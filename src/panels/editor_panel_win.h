// The item editor panel MYWRITE, docked at the right of the main window: shows the selected
// item's record and adds, replaces and deletes items from its fields.
#pragma once
#include <windows.h>

#include "app/app_win.h"

namespace perchlet {

// Posted by the main window when the tree is clicked: show the selected item's record.
constexpr UINT kShowSelectionMessage = 91;

INT_PTR CALLBACK editorPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// Command 105: opens the panel, or closes it when it is open. False for other identifiers.
bool handleEditorPanelCommand(App& app, int command);

// Posts the selection message to the open panel; nothing when it is closed.
void showSelectionInEditor(App& app);

}  // namespace perchlet
