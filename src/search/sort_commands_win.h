// The 並べ替え commands of the Edit menu and the right-click menu.
#pragma once
#include "search/sort_order.h"
#include "tree/workspace_win.h"

namespace perchlet {

// Sorts the items of the selected folder (of the folder holding a selected link); with
// Shift held, of every folder below it as well. The selection stays on its item.
void sortSelectedFolder(Workspace& workspace, SortOrder order);

// The folder a sort would reorder for the node: the node when it holds items or is a folder,
// otherwise its parent.
NodeId folderToSort(const BookmarkTree& tree, NodeId node);

}  // namespace perchlet
