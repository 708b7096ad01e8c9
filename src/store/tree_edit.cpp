#include "store/tree_edit.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "store/data_file.h"
#include "store/encoding.h"
#include "store/tree_population.h"

namespace perchlet {

namespace {

// What a tree item shows, kept apart from the node while the node is rewritten.
struct ItemLook {
    ItemNumber itemNumber;
    std::string text;
    int image;
    int selectedImage;
    RecordIndex record;
};

ItemLook lookOf(const BookmarkTree& tree, NodeId node) {
    const TreeNode& n = tree.node(node);
    return {n.itemNumber, n.text.str(), n.image, n.selectedImage, n.record};
}

BookmarkItem* recordOf(Document& document, const ItemLook& look) {
    if (look.record < document.items.size()) return &document.items.at(look.record);
    return document.items.find(look.itemNumber);
}

// The record's title and mark decide text and bold; the node's own text stands in only for
// a node without a record.
void showItem(Document& document, NodeId node, const ItemLook& look) {
    const BookmarkItem* record = recordOf(document, look);
    BookmarkTree& tree = document.tree;
    tree.setRecord(node, look.record);
    tree.setItemNumber(node, look.itemNumber);
    tree.setText(node, record ? record->title.view() : std::string_view(look.text));
    tree.setImages(node, look.image, look.selectedImage);
    tree.setBold(node, record && record->mark != 0);
}

// A moved record keeps its kind and serial and takes the depth of its new place, written
// into the record itself.
ItemNumber renumberToDepth(Document& document, const ItemLook& look, unsigned depth) {
    ItemNumber moved = withDepth(look.itemNumber, depth);
    if (look.record < document.items.size()) {
        document.items.renumberAt(look.record, moved);
    } else if (BookmarkItem* record = document.items.find(look.itemNumber)) {
        document.items.renumber(*record, moved);
    }
    return moved;
}

NodeId copyNode(Document& document, NodeId original, NodeId parentOfCopy, bool toNewDepth) {
    ItemLook look = lookOf(document.tree, original);
    if (toNewDepth) {
        unsigned depth = depthOf(document.tree.node(parentOfCopy).itemNumber) + 1;
        look.itemNumber = renumberToDepth(document, look, depth);
    }
    const BookmarkItem* record = recordOf(document, look);
    return document.tree.insertLastChild(parentOfCopy, look.itemNumber,
                                         record ? record->title.view() : std::string_view(look.text), look.image,
                                         look.selectedImage, record && record->mark != 0, look.record);
}

// Copies source with its subtree, depth first in display order, as the last child of
// parentOfCopy. New tree items start collapsed.
NodeId copySubtree(Document& document, NodeId source, NodeId parentOfCopy, bool toNewDepth) {
    std::vector<NodeId> originals;
    document.tree.walkSubtree(source, [&](NodeId n) { originals.push_back(n); });
    std::unordered_map<NodeId, NodeId> copies;
    for (NodeId original : originals) {
        NodeId parent = original == source ? parentOfCopy : copies.at(document.tree.parent(original));
        copies[original] = copyNode(document, original, parent, toNewDepth);
    }
    return copies.at(source);
}

std::vector<NodeId> childrenOf(const BookmarkTree& tree, NodeId node) {
    std::vector<NodeId> children;
    for (NodeId c = tree.firstChild(node); c != kNoNode; c = tree.nextSibling(c)) children.push_back(c);
    return children;
}

// Children keep their numbers: a swap leaves every item at its depth.
void moveChildren(Document& document, NodeId from, NodeId to) {
    std::vector<NodeId> children = childrenOf(document.tree, from);
    for (NodeId child : children) copySubtree(document, child, to, false);
    for (NodeId child : children) document.tree.removeSubtree(child);
}

NodeId makeTempHolder(Document& document, NodeId parent) {
    ItemNumber parentNumber = document.tree.node(parent).itemNumber;
    BookmarkItem record;
    record.itemNumber = allocateItemNumberUnder(document, parentNumber, kKindFolder);
    record.parentNumber = static_cast<std::uint32_t>(parentNumber);
    record.title = "temp";
    ImagePair images = imagesForKind(kKindFolder);
    return insertRecordNode(document, parent, std::move(record), images.normal, images.selected);
}

bool isItem(const BookmarkTree& tree, NodeId node) {
    return node != kNoNode && node != kTopLevel && tree.isAlive(node);
}

}  // namespace

bool toggleEmphasis(Document& document, NodeId node) {
    if (!isItem(document.tree, node)) return false;
    BookmarkItem* record = nodeRecord(document, node);
    if (!record) return false;
    record->mark = record->mark != 0 ? 0 : 1;
    document.tree.setBold(node, record->mark != 0);
    return true;
}

NodeId swapWithSibling(Document& document, NodeId moved, SiblingDirection direction) {
    BookmarkTree& tree = document.tree;
    if (!isItem(tree, moved)) return kNoNode;
    NodeId other = direction == SiblingDirection::Up ? tree.previousSibling(moved) : tree.nextSibling(moved);
    if (other == kNoNode) return kNoNode;
    ItemLook movedLook = lookOf(tree, moved);
    ItemLook otherLook = lookOf(tree, other);

    NodeId holder = kNoNode;
    if (tree.firstChild(moved) != kNoNode) {
        holder = makeTempHolder(document, tree.parent(moved));
        moveChildren(document, moved, holder);
    }
    if (tree.firstChild(other) != kNoNode) moveChildren(document, other, moved);
    if (holder != kNoNode) {
        moveChildren(document, holder, other);
        tree.removeSubtree(holder);
    }
    showItem(document, moved, otherLook);
    showItem(document, other, movedLook);
    return other;
}

DropCheck checkDrop(const BookmarkTree& tree, NodeId target, NodeId dragged) {
    if (target == dragged) return DropCheck::OntoItself;
    if (tree.isAncestor(dragged, target)) return DropCheck::IntoOwnSubtree;
    return DropCheck::Allowed;
}

NodeId moveSubtreeUnder(Document& document, NodeId target, NodeId dragged) {
    if (!isItem(document.tree, dragged) || !document.tree.isAlive(target) ||
        checkDrop(document.tree, target, dragged) != DropCheck::Allowed)
        return kNoNode;
    NodeId copy = copySubtree(document, dragged, target, true);
    document.tree.removeSubtree(dragged);
    return copy;
}

NodeId copySubtreeUnder(Document& document, NodeId target, NodeId source, ShellIconSource& icons) {
    if (!isItem(document.tree, source) || !document.tree.isAlive(target)) return kNoNode;
    std::string text = writeDataFile(document, source, document.serials.value);
    DataFileReadResult result = importDataFile(text, document, target, icons);
    if (result.rejected || result.inserted == 0) return kNoNode;
    document.serials.value = result.nextCounter;
    return result.firstInserted;
}

namespace {

bool onlyBlanks(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] == ' ' || text[pos] == '\t') continue;
        if (text.compare(pos, 2, "\x81\x40") == 0) {  // the ideographic space
            ++pos;
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace

RenameResult renameItem(Document& document, NodeId node, std::string_view title) {
    if (!isItem(document.tree, node)) return RenameResult::NoItem;
    std::string cleaned = fitText(filterText(title, TextFilter::SingleLine));
    if (onlyBlanks(cleaned)) return RenameResult::EmptyTitle;
    const BookmarkItem* record = nodeRecord(static_cast<const Document&>(document), node);
    if (cleaned == document.tree.node(node).text && (!record || record->title == cleaned))
        return RenameResult::Unchanged;
    if (record) nodeRecord(document, node)->title = cleaned;
    document.tree.setText(node, cleaned);
    return RenameResult::Renamed;
}

void deleteSubtree(Document& document, NodeId node) {
    if (isItem(document.tree, node)) document.tree.removeSubtree(node);
}

}  // namespace perchlet
