#include "store/tree_population.h"

#include "store/encoding.h"
#include "store/plain_text.h"

namespace perchlet {

LocatorClass classifyLocator(std::string_view locator) {
    if (locator.empty()) return LocatorClass::Empty;
    std::string_view head = locator.substr(0, 7);
    if (head == "http://" || head == "https:/") return LocatorClass::Web;
    if (head == "mailto:") return LocatorClass::Mail;
    return LocatorClass::Other;
}

unsigned kindForLocator(std::string_view locator) {
    switch (classifyLocator(locator)) {
    case LocatorClass::Empty: return kKindFolder;
    case LocatorClass::Web: return kKindWebLink;
    case LocatorClass::Mail: return kKindMailLink;
    case LocatorClass::Other: break;
    }
    return kKindLocalFile;
}

ImagePair imagesForKind(unsigned kind) {
    switch (kind) {
    case kKindWebLink: return {kImageLink, kImageLink + 1};
    case kKindFolder: return {kImageFolder, kImageFolder + 1};
    case kKindChangedLink: return {kImageChanged, kImageChanged + 1};
    case kKindFailedLink: return {kImageFailed, kImageFailed + 1};
    case kKindMailLink: return {kImageMail, kImageMail + 1};
    case kKindShellLink: return {kImageUnvisited, kImageUnvisited + 1};
    case kKindLocalFile: return {kImageProgram, kImageProgram + 1};
    default: break;
    }
    // Kinds no operation makes (4, 8-15) can still arrive in a file: draw them as links.
    return {kImageLink, kImageLink + 1};
}

ImagePair imagesForRecord(unsigned kind, std::string_view locator, ShellIconSource& icons) {
    if (kind == kKindLocalFile) return icons.appendIconsFor(std::string(locator));
    return imagesForKind(kind);
}


static std::int32_t addClamped(std::int32_t a, std::int32_t b) {
    std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > 0x7FFFFFFFLL) return 0x7FFFFFFF;
    if (sum < -0x80000000LL) return static_cast<std::int32_t>(-0x80000000LL);
    return static_cast<std::int32_t>(sum);
}

NodeId newItemUnder(Document& document, NodeId parent, const NewItemFields& fields,
                    ShellIconSource& icons) {
    unsigned kind = kindForLocator(fields.locator);
    ItemNumber parentNumber = document.tree.node(parent).itemNumber;
    ItemNumber number = allocateItemNumberUnder(document, parentNumber, kind);

    BookmarkItem record;
    record.itemNumber = number;
    record.parentNumber = static_cast<std::uint32_t>(parentNumber);
    record.title = fitText(filterText(fields.title, TextFilter::SingleLine));
    record.locator = fitAddress(fields.locator);
    record.comment = fitText(filterText(fields.comment, TextFilter::CrRemoving));
    record.lastModified = "000000";
    record.addDate = dateStampNow();
    record.windowLeft = decimalValue(fields.x);
    record.windowTop = decimalValue(fields.y);
    record.windowRight = addClamped(record.windowLeft, decimalValue(fields.width));
    record.windowBottom = addClamped(record.windowTop, decimalValue(fields.height));
    record.browser = fields.browser;

    ImagePair images = imagesForRecord(kind, record.locator, icons);
    NodeId node = insertRecordNode(document, parent, std::move(record), images.normal, images.selected);
    // A new item is a change even where no undo step is open to record it.
    document.history.markChanged();
    return node;
}

bool replaceItemFields(Document& document, NodeId node, const NewItemFields& fields) {
    BookmarkItem* record = nodeRecord(document, node);
    if (!record) return false;
    record->title = filterText(fields.title, TextFilter::SingleLine);
    record->locator = fitAddress(fields.locator);
    record->comment = fields.comment;
    std::int32_t x = decimalValue(fields.x);
    std::int32_t y = decimalValue(fields.y);
    record->windowLeft = x;
    record->windowTop = y;
    record->windowRight = addClamped(x, decimalValue(fields.width));
    record->windowBottom = addClamped(y, decimalValue(fields.height));
    document.tree.setText(node, record->title);
    // Replacing counts as a change even when every field stayed the same, as it always has.
    document.history.markChanged();
    return true;
}

NodeId insertRootItem(Document& document) {
    const BookmarkItem& root = document.items.head();
    ImagePair images = imagesForKind(kKindFolder);
    return document.tree.insertLastChild(kTopLevel, root.itemNumber, root.title, images.normal,
                                         images.selected, root.mark != 0, 0);
}

}  // namespace perchlet
