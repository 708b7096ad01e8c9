// The tree editing commands: emphasis, move up and down, cut, copy, paste, delete and
// New Folder, from the menus and from the tree view's keys. Each acts on the selected item.
#pragma once
#include "store/tree_edit.h"
#include "tree/workspace_win.h"

namespace perchlet {

void toggleEmphasisOfSelection(Workspace& workspace);
void moveSelection(Workspace& workspace, SiblingDirection direction);
void cutSelection(Workspace& workspace);
void copySelection(Workspace& workspace);
void pasteUnderSelection(Workspace& workspace);
// Delete from the menus and the Delete key asks first; Ctrl + Delete deletes at once.
void deleteSelectionFromMenu(Workspace& workspace);
void deleteSelectionNow(Workspace& workspace);
void newFolder(Workspace& workspace);

}  // namespace perchlet
