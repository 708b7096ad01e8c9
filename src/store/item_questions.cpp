#include "store/item_questions.h"

namespace perchlet {

namespace {

// Questions are Shift-JIS, as every message is: a UTF-8 title shows 〓 where it must.
std::string quotedTitle(const BookmarkTree& tree, NodeId node, TextEncoding titles) {
    LostCharacters runs;
    return "\"" + convertText(tree.node(node).text, titles, TextEncoding::ShiftJis, Unrepresentable::Mark, &runs) +
           "\"";
}

}  // namespace

std::size_t descendantCount(const BookmarkTree& tree, NodeId node) {
    if (node == kNoNode || !tree.isAlive(node)) return 0;
    std::size_t count = 0;
    tree.walkSubtree(node, [&count](NodeId) { ++count; });
    return count - 1;
}

std::string deleteQuestion(const BookmarkTree& tree, NodeId node, TextEncoding titles) {
    std::size_t inside = descendantCount(tree, node);
    if (inside == 0) return quotedTitle(tree, node, titles) + " を削除しますか？";
    return quotedTitle(tree, node, titles) + " と、その中の " + std::to_string(inside) + " 項目を削除しますか？";
}

std::string moveQuestion(const BookmarkTree& tree, NodeId moved, NodeId target, TextEncoding titles) {
    return quotedTitle(tree, moved, titles) + " を " + quotedTitle(tree, target, titles) + " の中へ移動しますか？";
}

std::string copyQuestion(const BookmarkTree& tree, NodeId copied, NodeId target, TextEncoding titles) {
    return quotedTitle(tree, copied, titles) + " を " + quotedTitle(tree, target, titles) + " の中へコピーしますか？";
}

}  // namespace perchlet
