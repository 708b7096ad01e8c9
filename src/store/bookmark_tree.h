// The document's structure: which item is under which, in what order, with which images,
// bold or not. The tree view on screen is a view of this model.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "store/chunked_list.h"
#include "store/compact_text.h"
#include "store/item_number.h"

namespace perchlet {

using NodeId = std::uint32_t;
constexpr NodeId kNoNode = 0xFFFFFFFFu;
// A record's place in the document's item list; the tree only keeps it for the node.
using RecordIndex = std::uint32_t;
constexpr RecordIndex kNoRecord = 0xFFFFFFFFu;
// The invisible top of the tree; top-level items are its children.
constexpr NodeId kTopLevel = 0;

struct TreeNode {
    CompactText text;
    ItemNumber itemNumber = 0;
    int image = 0;
    int selectedImage = 0;
    // The node's own record: item numbers can repeat, so a node never finds it by number.
    RecordIndex record = kNoRecord;
    NodeId parent = kNoNode;
    NodeId firstChild = kNoNode;
    NodeId lastChild = kNoNode;
    NodeId previousSibling = kNoNode;
    NodeId nextSibling = kNoNode;
    bool bold = false;
    bool alive = true;
};

// Told of every change so that a view can follow.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    virtual void nodeInserted(NodeId node) = 0;
    // Called before the subtree goes away; the nodes are still readable.
    virtual void subtreeRemoving(NodeId node) = 0;
    virtual void nodeChanged(NodeId node) = 0;
    virtual void treeCleared() = 0;
    // A subtree taken out earlier is back in its old place, with all its nodes.
    virtual void subtreeAttached(NodeId node) = 0;
};

// What a node shows, apart from its place in the tree.
struct NodeLook {
    ItemNumber itemNumber = 0;
    std::string text;
    int image = 0;
    int selectedImage = 0;
    bool bold = false;
    RecordIndex record = kNoRecord;
};

// Told of every change before it is made (after, for a new node), so that the change can
// be taken back. While one is set, removed subtrees are kept, detached, rather than freed.
class TreeChangeSink {
public:
    virtual ~TreeChangeSink() = default;
    virtual void nodeInserted(NodeId node) = 0;
    virtual void subtreeDetaching(NodeId node) = 0;
    virtual void nodeChanging(NodeId node) = 0;
    // The subtree is about to leave its place for another one; it stays in the tree.
    virtual void subtreeMoving(NodeId node) = 0;
};

// Where a new node keeps its text: a copy of its own, or the very bytes given, which lie in
// a pool that outlives the node (a loaded document's texts, given up after its tree).
enum class NodeTextStorage { Own, Shared };

class BookmarkTree {
public:
    BookmarkTree();

    NodeId insertLastChild(NodeId parent, ItemNumber number, std::string_view text, int image,
                           int selectedImage, bool bold = false, RecordIndex record = kNoRecord,
                           NodeTextStorage storage = NodeTextStorage::Own);
    // Takes the subtree out of the tree. Its nodes stay readable, detached, while a change
    // sink is set (the sink may bring them back); otherwise their texts are freed at once.
    void removeSubtree(NodeId node);
    void clear();

    // Puts a detached subtree back under parent, before `before` (kNoNode: as last child).
    // The sink is not told: this is how recorded changes are replayed.
    void attachSubtree(NodeId node, NodeId parent, NodeId before);
    // Moves the subtree, nodes and all, under parent before `before` (kNoNode: as last
    // child). The sink is told; observers see it leave and come back. Nothing when parent
    // lies inside the subtree.
    void moveSubtree(NodeId node, NodeId parent, NodeId before);
    // Takes the subtree out without telling the sink and keeps it for attachSubtree.
    void detachSubtree(NodeId node);
    // Frees what a detached subtree still holds; it can never come back afterwards.
    void purgeSubtree(NodeId node);

    NodeLook look(NodeId id) const;
    // Replaces the node's look without telling the sink; observers are told.
    void setLook(NodeId id, NodeLook look);

    void setChangeSink(TreeChangeSink* sink) { changeSink_ = sink; }
    // Every node ever made, live or not: new nodes get ids from here up.
    std::size_t slotCount() const { return nodes_.size(); }
    // The memory a detached subtree holds, roughly.
    std::size_t subtreeBytes(NodeId node) const;

    const TreeNode& node(NodeId id) const { return nodes_[id]; }
    bool isAlive(NodeId id) const { return id < nodes_.size() && nodes_[id].alive; }
    NodeId parent(NodeId id) const { return nodes_[id].parent; }
    NodeId firstChild(NodeId id) const { return nodes_[id].firstChild; }
    NodeId lastChild(NodeId id) const { return nodes_[id].lastChild; }
    NodeId nextSibling(NodeId id) const { return nodes_[id].nextSibling; }
    NodeId previousSibling(NodeId id) const { return nodes_[id].previousSibling; }
    NodeId firstTopLevel() const { return nodes_[kTopLevel].firstChild; }
    bool isAncestor(NodeId ancestor, NodeId node) const;
    bool hasChildren(NodeId id) const { return nodes_[id].firstChild != kNoNode; }
    std::size_t liveCount() const { return liveCount_; }

    void setItemNumber(NodeId id, ItemNumber number);
    void setText(NodeId id, std::string_view text);
    void setImages(NodeId id, int image, int selectedImage);
    void setBold(NodeId id, bool bold);
    // Which record the node shows; observers are told as for any change of the node.
    void setRecord(NodeId id, RecordIndex record);

    // Depth-first order inside the subtree of start: the node after current, or kNoNode.
    NodeId nextInSubtree(NodeId current, NodeId start) const;

    template <typename Visit>
    void walkSubtree(NodeId start, Visit visit) const {
        for (NodeId n = start; n != kNoNode; n = nextInSubtree(n, start)) visit(n);
    }

    // Several can follow at once (the tree view, a search index); each is told in the
    // order it was added.
    void addObserver(TreeObserver* observer);
    void removeObserver(TreeObserver* observer);

    // A node's record changed outside the tree (its locator or comment, say): observers are
    // told as for a change of the node itself.
    void recordChanged(NodeId id) { changed(id); }

private:
    void unlink(NodeId node);
    void changed(NodeId id);
    void changing(NodeId id) {
        if (changeSink_) changeSink_->nodeChanging(id);
    }

    ChunkedList<TreeNode, 1024> nodes_;
    std::size_t liveCount_ = 0;
    std::vector<TreeObserver*> observers_;
    TreeChangeSink* changeSink_ = nullptr;
};

}  // namespace perchlet
