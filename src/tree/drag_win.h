// Moving a subtree by dragging it onto another tree item.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "tree/workspace_win.h"

namespace perchlet {

// A drag of a tree item, from TVN_BEGINDRAG to the drop or its cancelling.
struct TreeDrag {
    Workspace& workspace;
    HTREEITEM item = nullptr;
    HIMAGELIST image = nullptr;
    bool targetSeen = false;  // this drag has highlighted a target (an older highlight never counts)
};

void beginTreeDrag(TreeDrag& drag, const NMTREEVIEWW& notification);
// Mouse messages while the main window holds the capture; false when no drag is running.
bool trackTreeDrag(TreeDrag& drag, POINT cursorInMainClient);
bool dropTreeDrag(TreeDrag& drag);
// Ends any drag without moving anything (the context menu does this first).
void cancelTreeDrag(TreeDrag& drag);

}  // namespace perchlet
