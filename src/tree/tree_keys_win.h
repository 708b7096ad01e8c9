// The tree view's key-command handler: the accelerator commands arrive here, at the tree
// view's own window procedure, and go on to the main window only while the tree has the
// keyboard focus.
#pragma once
#include <windows.h>

namespace perchlet {

void installTreeKeyHandler(HWND treeView);
void uninstallTreeKeyHandler(HWND treeView);

}  // namespace perchlet
