#include "exchange/browser_bookmarks.h"

#include <algorithm>

#include "store/encoding.h"
#include "store/plain_text.h"

namespace perchlet {

BrowserRead browserReadFailed(BrowserReadFailure failure, std::string detail) {
    BrowserRead read;
    read.failure = failure;
    read.detail = std::move(detail);
    return read;
}

std::string browserDateText(std::int64_t unixSeconds) {
    if (unixSeconds <= 0) return {};
    return dateText(static_cast<std::time_t>(unixSeconds));
}

namespace {

// Most addresses and many titles are plain ASCII, which the conversion would give back as
// it is; passing them over it saves a good part of reading a large file.
void readText(CompactText& text, std::string_view utf8, TextEncoding into, Unrepresentable unrepresentable,
              LostCharacters* lost = nullptr) {
    bool plain = true;
    for (char c : utf8) plain = plain && c > 0 && c < 0x7F && c != '\r';
    if (plain) text = utf8;
    else text = textFromUtf8(utf8, into, unrepresentable, lost);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerPrefix[i]) return false;
    }
    return true;
}

}  // namespace

// One line, cut to the field; counted when characters were marked.
void BrowserBookmarkCollector::readTitle(CompactText& title, std::string_view utf8) {
    LostCharacters lost;
    readText(title, utf8, into_, Unrepresentable::Mark, &lost);
    // A title on one line and within the field is kept as it came; only a fitted one replaces it.
    std::string fitted;
    std::string_view field = titleField(title, into_, fitted);
    if (field.data() != title.data()) title = field;
    if (lost.runs > 0 && bookmarks_.markedItems++ == 0) bookmarks_.firstMarkedTitle = title;
}

void BrowserBookmarkCollector::addRootFolder(std::string_view sjisTitle, std::int64_t added) {
    BrowserBookmark item;
    item.folder = true;
    item.title = convertText(sjisTitle, TextEncoding::ShiftJis, into_);
    item.addDate = browserDateText(added);
    bookmarks_.items.push_back(std::move(item));
}

void BrowserBookmarkCollector::addFolder(unsigned depth, std::string_view utf8Title, std::int64_t added) {
    BrowserBookmark item;
    item.folder = true;
    item.depth = depth;
    readTitle(item.title, utf8Title);
    item.addDate = browserDateText(added);
    bookmarks_.items.push_back(std::move(item));
}

void BrowserBookmarkCollector::addLink(unsigned depth, std::string_view utf8Title, std::string_view utf8Address,
                                       std::int64_t added, std::int64_t lastVisit) {
    if (startsWithIgnoringCase(utf8Address, "place:")) {
        ++bookmarks_.queriesLeftOut;
        return;
    }
    BrowserBookmark item;
    item.depth = depth;
    readTitle(item.title, utf8Title);
    // Every character of the address stays, percent-encoded where Shift-JIS has none.
    readText(item.address, utf8Address, into_, Unrepresentable::PercentEncode);
    if (item.address.size() > textFieldMax(into_)) {
        ++bookmarks_.addressesCut;
        item.address = fitText(item.address, into_);
    }
    // The browsers show an untitled bookmark by its address; a nameless item would be lost in the tree.
    if (item.title.empty()) item.title = fitText(filterText(item.address, TextFilter::SingleLine, into_), into_);
    item.addDate = browserDateText(added);
    item.lastVisit = browserDateText(lastVisit);
    bookmarks_.items.push_back(std::move(item));
    ++bookmarks_.links;
}

ImportResult addBrowserBookmarks(BrowserBookmarks bookmarks, Document& document, NodeId parent) {
    ImportResult result;
    // An import counts as a change even when it finds nothing to add, as it always has.
    document.history.markChanged();
    if (!canHoldChildren(document, parent)) return result;
    result.markedItems = bookmarks.markedItems;
    result.firstMarkedTitle = std::move(bookmarks.firstMarkedTitle);
    // holders[d] is where an item of depth d goes: the last folder of depth d - 1, or, when
    // that folder is as deep as numbers go, the place that folder itself went.
    std::vector<NodeId> holders{parent};
    for (BrowserBookmark& item : bookmarks.items) {
        std::size_t depth = std::min<std::size_t>(item.depth, holders.size() - 1);
        NodeId holder = holders[depth];
        BookmarkItem record;
        record.title = std::move(item.title);
        record.locator = std::move(item.address);
        record.addDate = std::move(item.addDate);
        record.lastVisit = std::move(item.lastVisit);
        AddedItem added = addImportedItem(document, holder, item.folder ? kKindFolder : kKindWebLink, std::move(record));
        ++result.count;
        result.lastCreated = added.node;
        if (item.folder) {
            holders.resize(depth + 1);
            holders.push_back(canHoldChildren(document, added.node) ? added.node : holder);
        }
    }
    return result;
}

ImportResult importBrowserProfile(BrowserBookmarks bookmarks, std::string_view folderTitle, Document& document,
                                  NodeId target) {
    ImportResult result;
    if (!canHoldChildren(document, target)) return result;
    BookmarkItem folder;
    TextEncoding encoding = document.file.encoding;
    folder.title = fitText(filterText(folderTitle, TextFilter::SingleLine, encoding), encoding);
    folder.addDate = dateStampNow();
    AddedItem added = addImportedItem(document, target, kKindFolder, std::move(folder));
    result = addBrowserBookmarks(std::move(bookmarks), document, added.node);
    ++result.count;
    result.lastCreated = added.node;
    return result;
}

}  // namespace perchlet
