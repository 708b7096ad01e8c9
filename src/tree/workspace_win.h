// What the commands on the document work with: the program's instance, the main window that
// owns their questions, the document and the tree view that shows it. The members refer to
// the program's own objects, so they stay current as the main window comes and goes.
#pragma once
#include <windows.h>

#include "store/document.h"
#include "tree/tree_view_win.h"

namespace perchlet {

struct Workspace {
    HINSTANCE& instance;
    HWND& mainWindow;
    Document& document;
    TreeViewBinding& treeView;
};

}  // namespace perchlet
