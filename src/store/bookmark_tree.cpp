#include "store/bookmark_tree.h"

#include <algorithm>

namespace perchlet {

BookmarkTree::BookmarkTree() { clear(); }

void BookmarkTree::clear() {
    nodes_.clear();
    nodes_.emplace_back();  // the invisible top level
    liveCount_ = 0;
    for (TreeObserver* o : observers_) o->treeCleared();
}

NodeId BookmarkTree::insertLastChild(NodeId parent, ItemNumber number, std::string text,
                                     int image, int selectedImage, bool bold, RecordIndex record) {
    NodeId id = static_cast<NodeId>(nodes_.size());
    TreeNode node;
    node.itemNumber = number;
    node.text = std::move(text);
    node.image = image;
    node.selectedImage = selectedImage;
    node.bold = bold;
    node.record = record;
    node.parent = parent;
    node.previousSibling = nodes_[parent].lastChild;
    nodes_.push_back(std::move(node));

    TreeNode& p = nodes_[parent];
    if (p.lastChild != kNoNode) nodes_[p.lastChild].nextSibling = id;
    else p.firstChild = id;
    p.lastChild = id;
    ++liveCount_;
    for (TreeObserver* o : observers_) o->nodeInserted(id);
    return id;
}

void BookmarkTree::unlink(NodeId id) {
    TreeNode& n = nodes_[id];
    TreeNode& p = nodes_[n.parent];
    if (n.previousSibling != kNoNode) nodes_[n.previousSibling].nextSibling = n.nextSibling;
    else p.firstChild = n.nextSibling;
    if (n.nextSibling != kNoNode) nodes_[n.nextSibling].previousSibling = n.previousSibling;
    else p.lastChild = n.previousSibling;
    n.previousSibling = n.nextSibling = kNoNode;
}

void BookmarkTree::removeSubtree(NodeId id) {
    if (id == kTopLevel || !isAlive(id)) return;
    for (TreeObserver* o : observers_) o->subtreeRemoving(id);
    std::vector<NodeId> doomed;
    walkSubtree(id, [&](NodeId n) { doomed.push_back(n); });
    unlink(id);
    for (NodeId n : doomed) {
        nodes_[n].alive = false;
        nodes_[n].firstChild = nodes_[n].lastChild = kNoNode;
        nodes_[n].text.clear();
        nodes_[n].text.shrink_to_fit();
    }
    liveCount_ -= doomed.size();
}

bool BookmarkTree::isAncestor(NodeId ancestor, NodeId node) const {
    for (NodeId n = nodes_[node].parent; n != kNoNode; n = nodes_[n].parent)
        if (n == ancestor) return true;
    return false;
}

NodeId BookmarkTree::nextInSubtree(NodeId current, NodeId start) const {
    if (nodes_[current].firstChild != kNoNode) return nodes_[current].firstChild;
    for (NodeId n = current; n != start && n != kNoNode; n = nodes_[n].parent) {
        if (nodes_[n].nextSibling != kNoNode) return nodes_[n].nextSibling;
    }
    return kNoNode;
}

void BookmarkTree::addObserver(TreeObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void BookmarkTree::removeObserver(TreeObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void BookmarkTree::changed(NodeId id) {
    for (TreeObserver* o : observers_) o->nodeChanged(id);
}

void BookmarkTree::setItemNumber(NodeId id, ItemNumber number) {
    nodes_[id].itemNumber = number;
    changed(id);
}

void BookmarkTree::setText(NodeId id, std::string text) {
    nodes_[id].text = std::move(text);
    changed(id);
}

void BookmarkTree::setImages(NodeId id, int image, int selectedImage) {
    nodes_[id].image = image;
    nodes_[id].selectedImage = selectedImage;
    changed(id);
}

void BookmarkTree::setBold(NodeId id, bool bold) {
    nodes_[id].bold = bold;
    changed(id);
}

void BookmarkTree::setRecord(NodeId id, RecordIndex record) {
    nodes_[id].record = record;
    changed(id);
}

}  // namespace perchlet
