#include "web/update_check.h"

namespace perchlet {

std::vector<UpdateCheckItem> updateCheckItems(const Document& document, NodeId start) {
    std::vector<UpdateCheckItem> items;
    if (!document.tree.isAlive(start) || start == kTopLevel) return items;
    document.tree.walkSubtree(start, [&](NodeId node) {
        UpdateCheckItem item;
        item.node = node;
        item.title = document.tree.node(node).text;
        if (const BookmarkItem* record = nodeRecord(document, node)) {
            item.title = record->title;
            item.locator = record->locator;
        }
        item.asked = isCheckedKind(kindOf(document.tree.node(node).itemNumber));
        items.push_back(std::move(item));
    });
    return items;
}

bool applyUpdateDecision(Document& document, NodeId node, const UpdateDecision& decision) {
    if (decision.mark == UpdateMark::Unchanged) return false;
    BookmarkItem* record = nodeRecord(document, node);
    if (!record) return false;
    record->lastModified = fitDate(decision.lastModified);
    ItemNumber number = withKind(record->itemNumber, decision.kind);
    document.items.renumber(*record, number);
    document.tree.setItemNumber(node, number);
    document.tree.setImages(node, decision.image, decision.selectedImage);
    return true;
}

}  // namespace perchlet
