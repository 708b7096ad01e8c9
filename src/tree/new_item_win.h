// Making a folder or link under the tree view's selected item.
#pragma once
#include "app/app_win.h"

namespace perchlet {

// Warns and makes nothing when no item is selected; returns the new node or kNoNode.
NodeId newItemUnderSelection(App& app, const NewItemFields& fields);

}  // namespace perchlet
