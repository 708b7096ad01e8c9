// A node named by the titles on its way from the top, so that it can be found again in the
// same document read afresh from its file.
#pragma once
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "store/bookmark_tree.h"

namespace perchlet {

// Each step: the title, and which of the siblings of that title it is (0 = the first).
using TitlePath = std::vector<std::pair<std::string, std::size_t>>;

TitlePath titlePathOf(const BookmarkTree& tree, NodeId node);

// The node at the path, or the deepest node found on its way; kNoNode when not even the
// first step is there.
NodeId nodeAtTitlePath(const BookmarkTree& tree, const TitlePath& path);

}  // namespace perchlet
