// Making a folder or link under the tree view's selected item.
#pragma once
#include "store/tree_population.h"
#include "tree/workspace_win.h"

namespace perchlet {

// Warns and makes nothing when no item is selected; returns the new node or kNoNode.
NodeId newItemUnderSelection(Workspace& workspace, const NewItemFields& fields);

}  // namespace perchlet
