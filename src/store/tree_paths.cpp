#include "store/tree_paths.h"

#include <algorithm>

namespace perchlet {

TitlePath titlePathOf(const BookmarkTree& tree, NodeId node) {
    TitlePath path;
    if (node == kNoNode || node == kTopLevel || !tree.isAlive(node)) return path;
    for (NodeId n = node; n != kTopLevel && n != kNoNode; n = tree.parent(n)) {
        std::string_view title = tree.node(n).text;
        std::size_t sameBefore = 0;
        for (NodeId s = tree.previousSibling(n); s != kNoNode; s = tree.previousSibling(s))
            if (tree.node(s).text == title) ++sameBefore;
        path.emplace_back(title, sameBefore);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

NodeId nodeAtTitlePath(const BookmarkTree& tree, const TitlePath& path) {
    NodeId found = kNoNode;
    NodeId parent = kTopLevel;
    for (const auto& [title, occurrence] : path) {
        NodeId match = kNoNode;
        std::size_t seen = 0;
        for (NodeId c = tree.firstChild(parent); c != kNoNode && match == kNoNode; c = tree.nextSibling(c))
            if (tree.node(c).text == title && seen++ == occurrence) match = c;
        if (match == kNoNode) break;
        found = parent = match;
    }
    return found;
}

}  // namespace perchlet
