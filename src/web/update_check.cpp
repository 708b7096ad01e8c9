#include "web/update_check.h"

namespace perchlet {

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

bool isHttpAddress(std::string_view address) {
    return startsWithIgnoringCase(address, "http://") || startsWithIgnoringCase(address, "https://");
}

std::vector<UpdateCheckItem> updateCheckItems(const Document& document, NodeId start) {
    std::vector<UpdateCheckItem> items;
    if (!document.tree.isAlive(start) || start == kTopLevel) return items;
    document.tree.walkSubtree(start, [&](NodeId node) {
        UpdateCheckItem item;
        item.node = node;
        item.title = document.tree.node(node).text;
        if (const BookmarkItem* record = nodeRecord(document, node)) {
            item.title = record->title;
            // Requests go out as the Shift-JIS address always did; what Shift-JIS lacks is
            // percent-encoded, which names the same address.
            item.locator = convertText(record->locator, document.file.encoding, TextEncoding::ShiftJis,
                                       Unrepresentable::PercentEncode);
        }
        // A web link kept from an older import may hold a mail or other address: no server
        // can say it is broken.
        item.asked = isCheckedKind(kindOf(document.tree.node(node).itemNumber)) && isHttpAddress(item.locator);
        items.push_back(std::move(item));
    });
    return items;
}

void UpdateTally::count(const UpdateDecision& decision) {
    switch (decision.mark) {
    case UpdateMark::Modified: ++updated; break;
    case UpdateMark::NotFound:
    case UpdateMark::Unreachable: ++failed; break;
    case UpdateMark::NotModified:
    case UpdateMark::Unchanged: ++unchanged; break;
    }
}

std::string UpdateTally::summary() const {
    return "更新 " + std::to_string(updated) + " 件、取得失敗 " + std::to_string(failed) + " 件、変化なし " +
           std::to_string(unchanged) + " 件";
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
