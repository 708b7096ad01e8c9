// The find window: a small modeless window owned by the main window, with one edit and the
// items found as the user types; Enter or a double click selects an item in the tree.
#pragma once
#include <vector>
#include <windows.h>

#include "search/search_index.h"
#include "tree/workspace_win.h"

namespace perchlet {

// What the find window works with, and what it keeps while it is open.
struct SearchContext {
    SearchContext(Workspace& workspace, SearchIndex& index) : workspace(workspace), index(index) {}

    Workspace& workspace;
    SearchIndex& index;
    HWND findWindow = nullptr;  // while it is open
    std::vector<NodeId> hits;   // what its list shows
};

// Opens the window, or brings it forward with its text selected when it is open.
void openFindWindow(SearchContext& context);

// Runs the query again after an item changed, keeping the chosen item chosen; nothing while
// the window is closed.
void refreshFindWindow(SearchContext& context);

}  // namespace perchlet
