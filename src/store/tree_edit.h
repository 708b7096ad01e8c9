// Changes to the document's structure made by the editing commands and by dragging:
// emphasis, swapping an item with a sibling, moving a subtree under another item, deleting.
#pragma once
#include <string_view>

#include "store/document.h"
#include "store/tree_population.h"

namespace perchlet {

// Flips the mark of node's record and the node's bold state. False when there is no node.
bool toggleEmphasis(Document& document, NodeId node);

enum class SiblingDirection { Up, Down };

// Swaps node with its previous (Up) or next (Down) sibling, subtrees included: both places
// keep their tree items, which trade records, images and children. When the moved item has
// children they pass through a "temp" folder whose number comes from the serial counter and
// whose record stays in the list. Returns the node that now shows the moved item, or kNoNode
// when there is no such sibling.
NodeId swapWithSibling(Document& document, NodeId node, SiblingDirection direction);

enum class DropCheck { Allowed, OntoItself, IntoOwnSubtree };

DropCheck checkDrop(const BookmarkTree& tree, NodeId target, NodeId dragged);

// Re-creates dragged with its subtree as the last child of target and removes the original.
// Each moved record keeps its kind and serial and gets the depth of its new place; the new
// nodes keep their records, so a number another record holds as well does no harm.
// Returns the new node of dragged.
NodeId moveSubtreeUnder(Document& document, NodeId target, NodeId dragged);

// Makes a copy of source with its subtree as the last child of target, as pasting it there
// would: the same records under new item numbers from the serial counter, with depths below
// the target's. Returns the copy's top node, or kNoNode when nothing was copied.
NodeId copySubtreeUnder(Document& document, NodeId target, NodeId source, ShellIconSource& icons);

enum class RenameResult { Renamed, Unchanged, EmptyTitle, NoItem };

// Gives the node and its record the title, made one line and cut to the field. A title of
// nothing but blanks is refused and the old one kept.
RenameResult renameItem(Document& document, NodeId node, std::string_view title);

// Removes the subtree from the tree; its records stay in the list, no longer reachable.
void deleteSubtree(Document& document, NodeId node);

}  // namespace perchlet
