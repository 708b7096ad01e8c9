#include "store/item_questions.h"

namespace perchlet {

namespace {

std::string quotedTitle(const BookmarkTree& tree, NodeId node) { return "\"" + tree.node(node).text + "\""; }

}  // namespace

std::size_t descendantCount(const BookmarkTree& tree, NodeId node) {
    if (node == kNoNode || !tree.isAlive(node)) return 0;
    std::size_t count = 0;
    tree.walkSubtree(node, [&count](NodeId) { ++count; });
    return count - 1;
}

std::string deleteQuestion(const BookmarkTree& tree, NodeId node) {
    std::size_t inside = descendantCount(tree, node);
    if (inside == 0) return quotedTitle(tree, node) + " を削除しますか？";
    return quotedTitle(tree, node) + " と、その中の " + std::to_string(inside) + " 項目を削除しますか？";
}

std::string moveQuestion(const BookmarkTree& tree, NodeId moved, NodeId target) {
    return quotedTitle(tree, moved) + " を " + quotedTitle(tree, target) + " の中へ移動しますか？";
}

std::string copyQuestion(const BookmarkTree& tree, NodeId copied, NodeId target) {
    return quotedTitle(tree, copied) + " を " + quotedTitle(tree, target) + " の中へコピーしますか？";
}

}  // namespace perchlet
