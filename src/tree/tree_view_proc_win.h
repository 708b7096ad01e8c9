// The tree view's window procedure, wrapped: the empty pane says how to begin, and the tree
// stays at its left edge unless the user scrolled it. The keys' commands are not handled
// here: the accelerator table sends them to the main window.
#pragma once
#include <windows.h>

namespace perchlet {

void installTreeViewHandler(HWND treeView);
void uninstallTreeViewHandler(HWND treeView);

}  // namespace perchlet
