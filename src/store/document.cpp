#include "store/document.h"

#include <utility>

namespace perchlet {

ItemNumber allocateItemNumber(Document& document, unsigned kind, unsigned depth) {
    ItemNumber number = makeItemNumber(kind, depth, document.serials.next());
    // With all 65536 serials of this kind and depth held there is no fresh number to find:
    // the counter's serial is shared, and a search would only cost time.
    if (document.items.numbersHeldIn(kind, depth) >= 0x10000) return number;
    while (document.items.find(number)) number = makeItemNumber(kind, depth, document.serials.next());
    return number;
}

ItemNumber allocateItemNumberUnder(Document& document, ItemNumber parent, unsigned kind) {
    return allocateItemNumber(document, kind, depthOf(parent) + 1);
}

BookmarkItem* nodeRecord(Document& document, NodeId node) {
    if (!document.tree.isAlive(node) || node == kTopLevel) return nullptr;
    const TreeNode& n = document.tree.node(node);
    if (n.record < document.items.size()) return &document.items.edit(n.record);
    return document.items.find(n.itemNumber);
}

const BookmarkItem* nodeRecord(const Document& document, NodeId node) {
    if (!document.tree.isAlive(node) || node == kTopLevel) return nullptr;
    const TreeNode& n = document.tree.node(node);
    if (n.record < document.items.size()) return &document.items.at(n.record);
    return document.items.find(n.itemNumber);
}

NodeId insertRecordNode(Document& document, NodeId parent, BookmarkItem record, int image,
                        int selectedImage) {
    document.items.append(std::move(record));
    return insertNodeOfLastRecord(document, parent, image, selectedImage);
}

NodeId insertNodeOfLastRecord(Document& document, NodeId parent, int image, int selectedImage) {
    auto index = static_cast<RecordIndex>(document.items.size() - 1);
    const BookmarkItem& stored = document.items.at(index);
    NodeTextStorage storage = stored.title.pooled() ? NodeTextStorage::Shared : NodeTextStorage::Own;
    return document.tree.insertLastChild(parent, stored.itemNumber, stored.title, image, selectedImage,
                                         stored.mark != 0, index, storage);
}

void resetDocument(Document& document) {
    document.history.clear();
    document.file = OpenFile{};
    document.tree.clear();
    document.items.reset(makeRootRecord(dateStampNow()));
    document.loadedTexts.clear();  // last: the nodes and records above may have pointed into it
    document.serials = SerialCounter{};
}

UndoStep::UndoStep(Document& document, std::string name) : document_(document) {
    document_.history.begin(document_, std::move(name));
}

UndoStep::~UndoStep() { document_.history.commit(document_); }

void UndoStep::setFocus(NodeId afterUndo, NodeId afterRedo) { document_.history.setFocus(afterUndo, afterRedo); }

}  // namespace perchlet
