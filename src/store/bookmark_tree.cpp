#include "store/bookmark_tree.h"

#include <algorithm>

namespace perchlet {

BookmarkTree::BookmarkTree() { clear(); }

void BookmarkTree::clear() {
    nodes_.clear();
    nodes_.push_back(TreeNode());  // the invisible top level
    liveCount_ = 0;
    for (TreeObserver* o : observers_) o->treeCleared();
}

NodeId BookmarkTree::insertLastChild(NodeId parent, ItemNumber number, std::string_view text,
                                     int image, int selectedImage, bool bold, RecordIndex record,
                                     NodeTextStorage storage) {
    NodeId id = static_cast<NodeId>(nodes_.size());
    NodeId previous = nodes_[parent].lastChild;
    TreeNode& node = nodes_.emplace_back();  // made in place: a load makes a node per record
    node.itemNumber = number;
    if (storage == NodeTextStorage::Shared) node.text.assignInPool(text);
    else node.text = text;
    node.image = image;
    node.selectedImage = selectedImage;
    node.bold = bold;
    node.record = record;
    node.parent = parent;
    node.previousSibling = previous;

    TreeNode& p = nodes_[parent];
    if (p.lastChild != kNoNode) nodes_[p.lastChild].nextSibling = id;
    else p.firstChild = id;
    p.lastChild = id;
    ++liveCount_;
    if (changeSink_) changeSink_->nodeInserted(id);
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
    if (changeSink_) changeSink_->subtreeDetaching(id);
    detachSubtree(id);
    if (!changeSink_) purgeSubtree(id);
}

void BookmarkTree::detachSubtree(NodeId id) {
    if (id == kTopLevel || !isAlive(id)) return;
    for (TreeObserver* o : observers_) o->subtreeRemoving(id);
    std::size_t count = 0;
    walkSubtree(id, [&](NodeId n) {
        nodes_[n].alive = false;
        ++count;
    });
    unlink(id);
    liveCount_ -= count;
}

void BookmarkTree::attachSubtree(NodeId id, NodeId parent, NodeId before) {
    if (id == kTopLevel || id >= nodes_.size() || nodes_[id].alive || !isAlive(parent)) return;
    if (before != kNoNode && (!isAlive(before) || nodes_[before].parent != parent)) before = kNoNode;
    TreeNode& n = nodes_[id];
    n.parent = parent;
    n.nextSibling = before;
    n.previousSibling = before == kNoNode ? nodes_[parent].lastChild : nodes_[before].previousSibling;
    if (n.previousSibling != kNoNode) nodes_[n.previousSibling].nextSibling = id;
    else nodes_[parent].firstChild = id;
    if (before != kNoNode) nodes_[before].previousSibling = id;
    else nodes_[parent].lastChild = id;
    walkSubtree(id, [&](NodeId m) {
        nodes_[m].alive = true;
        ++liveCount_;
    });
    for (TreeObserver* o : observers_) o->subtreeAttached(id);
}

void BookmarkTree::moveSubtree(NodeId id, NodeId parent, NodeId before) {
    if (id == kTopLevel || !isAlive(id) || !isAlive(parent) || parent == id || isAncestor(id, parent)) return;
    if (before == id || (nodes_[id].parent == parent && nodes_[id].nextSibling == before)) return;
    if (changeSink_) changeSink_->subtreeMoving(id);
    detachSubtree(id);
    attachSubtree(id, parent, before);
}

void BookmarkTree::purgeSubtree(NodeId id) {
    if (id == kTopLevel || id >= nodes_.size() || nodes_[id].alive) return;
    std::vector<NodeId> doomed;
    walkSubtree(id, [&](NodeId n) { doomed.push_back(n); });
    for (NodeId n : doomed) {
        nodes_[n].firstChild = nodes_[n].lastChild = kNoNode;
        nodes_[n].text.clear();
    }
}

std::size_t BookmarkTree::subtreeBytes(NodeId id) const {
    std::size_t bytes = 0;
    walkSubtree(id, [&](NodeId n) { bytes += sizeof(TreeNode) + nodes_[n].text.capacity(); });
    return bytes;
}

NodeLook BookmarkTree::look(NodeId id) const {
    const TreeNode& n = nodes_[id];
    return {n.itemNumber, n.text.str(), n.image, n.selectedImage, n.bold, n.record};
}

void BookmarkTree::setLook(NodeId id, NodeLook look) {
    TreeNode& n = nodes_[id];
    n.itemNumber = look.itemNumber;
    n.text = std::move(look.text);
    n.image = look.image;
    n.selectedImage = look.selectedImage;
    n.bold = look.bold;
    n.record = look.record;
    changed(id);
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
    changing(id);
    nodes_[id].itemNumber = number;
    changed(id);
}

void BookmarkTree::setText(NodeId id, std::string_view text) {
    changing(id);
    nodes_[id].text = text;
    changed(id);
}

void BookmarkTree::setImages(NodeId id, int image, int selectedImage) {
    changing(id);
    nodes_[id].image = image;
    nodes_[id].selectedImage = selectedImage;
    changed(id);
}

void BookmarkTree::setBold(NodeId id, bool bold) {
    changing(id);
    nodes_[id].bold = bold;
    changed(id);
}

void BookmarkTree::setRecord(NodeId id, RecordIndex record) {
    changing(id);
    nodes_[id].record = record;
    changed(id);
}

}  // namespace perchlet
