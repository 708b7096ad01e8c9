// Moving a subtree by dragging it onto another tree item, or copying it with Ctrl held.
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
    HCURSOR copyCursor = nullptr;  // the arrow with a plus, made on the first copying drag
};

void beginTreeDrag(TreeDrag& drag, const NMTREEVIEWW& notification);
// Mouse messages while the main window holds the capture; false when no drag is running.
// copying: Ctrl is held, and the cursor shows the plus sign.
bool trackTreeDrag(TreeDrag& drag, POINT cursorInMainClient, bool copying = false);
// Moves the dragged subtree onto the target, or puts a copy there with new item numbers.
bool dropTreeDrag(TreeDrag& drag, bool copying = false);
// A key while dragging: Escape ends the drag without moving anything (true: the key is
// used up); Ctrl pressed or let go changes the cursor.
bool treeDragKey(TreeDrag& drag, const MSG& message);
bool isDragging(const TreeDrag& drag);
// Ends any drag without moving anything (the context menu does this first).
void cancelTreeDrag(TreeDrag& drag);
void destroyDragCursor(TreeDrag& drag);

}  // namespace perchlet
