#include "store/data_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "store/encoding.h"
#include "store/parent_stack.h"

namespace perchlet {

const char kDataFileHeader[] =
    "これは自動生成されたファイルです。編集しないで下さい。\r\n"
    "[Version]\r\n"
    "DataVersion=1.01\r\n";

bool hasDataFileSignature(std::string_view text) {
    return text.size() >= kDataFileSignatureLength &&
           std::memcmp(text.data(), kDataFileHeader, kDataFileSignatureLength) == 0;
}

namespace {

constexpr std::string_view kRecordStart = "[List]";
constexpr std::string_view kCrLf = "\r\n";

// ---- writing ----

template <typename Integer>
void appendNumber(std::string& out, Integer value, int base = 10) {
    char digits[16];
    auto result = std::to_chars(digits, digits + sizeof digits, value, base);
    out.append(digits, result.ptr);
}

void appendHexUpper(std::string& out, std::uint32_t value) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    char digits[8];
    int count = 0;
    do {
        digits[count++] = kHexDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (count > 0) out.push_back(digits[--count]);
}

void appendTextLine(std::string& out, std::string_view key, std::string_view value) {
    out.append(key);
    out.append(value);
    out.append(kCrLf);
}

template <typename Integer>
void appendNumberLine(std::string& out, std::string_view key, Integer value) {
    out.append(key);
    appendNumber(out, value);
    out.append(kCrLf);
}

void appendRecord(std::string& out, const BookmarkItem& record, ItemNumber writtenNumber,
                  ItemNumber parentNumber) {
    out.append(kRecordStart);
    out.append(kCrLf);
    appendNumberLine(out, "ItemNum=", writtenNumber);
    out.append("TestNum=");
    appendHexUpper(out, asBits(writtenNumber));
    out.append(kCrLf);
    appendNumberLine(out, "ParentNum=", parentNumber);
    appendTextLine(out, "TitleName=", record.title);
    appendTextLine(out, "Locator=", record.locator);
    appendTextLine(out, "Comment=", record.comment);
    appendTextLine(out, "LastModified=", record.lastModified);
    appendTextLine(out, "LastVisit=", record.lastVisit);
    appendTextLine(out, "AddDate=", record.addDate);
    appendNumberLine(out, "RcRight=", record.windowRight);
    appendNumberLine(out, "RcLeft=", record.windowLeft);
    appendNumberLine(out, "RcTop=", record.windowTop);
    appendNumberLine(out, "RcBottom=", record.windowBottom);
    appendNumberLine(out, "Browser=", record.browser);
    appendNumberLine(out, "Mark=", record.mark);
    out.append(kCrLf);
}

// Depth relative to the start item, kept inside the 12 bits so it cannot spill into the kind.
unsigned relativeDepth(unsigned depth, unsigned startDepth) {
    int relative = static_cast<int>(depth) - static_cast<int>(startDepth) + 1;
    return static_cast<unsigned>(std::clamp(relative, 0, static_cast<int>(kMaxDepth)));
}

struct SubtreeWriter {
    const Document& document;
    std::uint16_t base;
    std::string& out;
    unsigned k = 0;

    void write(NodeId start, unsigned startDepth) {
        const BookmarkTree& tree = document.tree;
        tree.walkSubtree(start, [&](NodeId id) {
            const TreeNode& node = tree.node(id);
            // Every tree item has its record; should one be missing, its node still goes out
            // under its own number and text rather than vanishing from the file.
            BookmarkItem standIn;
            const BookmarkItem* record = document.items.find(node.itemNumber);
            if (!record) {
                standIn.itemNumber = node.itemNumber;
                standIn.title = node.text;
                record = &standIn;
            }
            ++k;
            ItemNumber written = makeItemNumber(kindOf(record->itemNumber),
                                                relativeDepth(depthOf(record->itemNumber), startDepth),
                                                (base + k) & 0xFFFFu);
            ItemNumber parentNumber = node.parent == kTopLevel ? 0 : tree.node(node.parent).itemNumber;
            appendRecord(out, *record, written, parentNumber);
        });
    }
};

// ---- reading ----

// Decimal as the file has it: blanks, an optional sign, digits up to the first non-digit.
// Values beyond 32 bits are held at the limit.
std::int64_t decimalIn(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    constexpr std::int64_t kLimit = 0xFFFFFFFFLL;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), kLimit);
    return negative ? -value : value;
}

// Signed fields: an unsigned spelling of the same 32 bits (item numbers of kind 8 and up)
// reads as those bits; anything further out is held at the nearest limit.
std::int32_t signedValue(std::string_view text) {
    std::int64_t value = std::max<std::int64_t>(decimalIn(text), INT32_MIN);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::uint32_t unsignedValue(std::string_view text) {
    return static_cast<std::uint32_t>(std::max<std::int64_t>(decimalIn(text), INT32_MIN));
}

// One "[List]" block. A key is found at its first occurrence anywhere in the block, even
// inside an earlier value; its value runs to the next CR LF, or to the end of the block.
class Block {
public:
    explicit Block(std::string_view text) : text_(text) {}

    std::optional<std::string_view> value(std::string_view key) const {
        std::size_t at = text_.find(key);
        if (at == std::string_view::npos) return std::nullopt;
        std::size_t start = at + key.size();
        std::size_t end = text_.find(kCrLf, start);
        if (end == std::string_view::npos) end = text_.size();
        return text_.substr(start, end - start);
    }
    std::string_view valueOrEmpty(std::string_view key) const { return value(key).value_or(""); }

private:
    std::string_view text_;
};

// Walks the blocks of a data file text, from the first "[List]" after the signature.
class BlockScanner {
public:
    explicit BlockScanner(std::string_view text) : text_(text) {
        position_ = text_.find(kRecordStart, kDataFileSignatureLength);
    }

    std::optional<Block> next() {
        if (position_ == std::string_view::npos) return std::nullopt;
        std::size_t start = position_ + kRecordStart.size();
        position_ = text_.find(kRecordStart, start);
        std::size_t end = position_ == std::string_view::npos ? text_.size() : position_;
        return Block(text_.substr(start, end - start));
    }

private:
    std::string_view text_;
    std::size_t position_;
};

// The record a block describes, with the number as the file has it; none for a block that
// lacks "ItemNum=" or "TitleName=".
std::optional<BookmarkItem> recordFrom(const Block& block) {
    auto number = block.value("ItemNum=");
    auto title = block.value("TitleName=");
    if (!number || !title) return std::nullopt;
    BookmarkItem record;
    record.itemNumber = signedValue(*number);
    record.parentNumber = static_cast<std::uint32_t>(signedValue(block.valueOrEmpty("ParentNum=")));
    record.title = filterText(*title, TextFilter::SingleLine);
    record.locator = fitText(block.valueOrEmpty("Locator="));
    record.comment = fitText(block.valueOrEmpty("Comment="));
    record.lastModified = fitDate(block.valueOrEmpty("LastModified="));
    record.lastVisit = fitDate(block.valueOrEmpty("LastVisit="));
    record.addDate = fitDate(block.valueOrEmpty("AddDate="));
    record.windowRight = signedValue(block.valueOrEmpty("RcRight="));
    record.windowLeft = signedValue(block.valueOrEmpty("RcLeft="));
    record.windowTop = signedValue(block.valueOrEmpty("RcTop="));
    record.windowBottom = signedValue(block.valueOrEmpty("RcBottom="));
    record.browser = unsignedValue(block.valueOrEmpty("Browser="));
    record.mark = unsignedValue(block.valueOrEmpty("Mark="));
    return record;
}

// Finds each record's parent from the depths alone: one level deeper than the previous
// record is its child, the same depth its sibling, shallower climbs as far as the depth fell.
class Nesting {
public:
    Nesting(NodeId topEntry, int startDepth)
        : topEntry_(topEntry), previousDepth_(startDepth), pending_(topEntry) {}

    NodeId parentFor(int depth) {
        stack_.push(pending_);
        stack_.pop(previousDepth_ - depth + 1);
        previousDepth_ = depth;
        // A depth of 0, or one that climbs past everything open, has no parent of its own:
        // such a record stays at the top entry.
        return stack_.top().value_or(topEntry_);
    }
    void inserted(NodeId node) { pending_ = node; }
    ~Nesting() { stack_.clear(); }

private:
    ParentStack<NodeId> stack_;
    NodeId topEntry_;
    int previousDepth_;
    NodeId pending_;
};

NodeId insertNode(Document& document, NodeId parent, const BookmarkItem& record, ImagePair images) {
    return document.tree.insertLastChild(parent, record.itemNumber, record.title, images.normal,
                                         images.selected, record.mark != 0);
}

// The file's root record fills the document's head: the head is what every lookup of the
// root finds, so a renamed root would otherwise come back with its old fields.
void fillHeadFrom(BookmarkItem& head, BookmarkItem&& record) {
    ItemNumber number = head.itemNumber;
    head = std::move(record);
    head.itemNumber = number;
}

ImagePair loadedImages(const BookmarkItem& record, ShellIconSource& icons) {
    unsigned kind = kindOf(record.itemNumber);
    // A web link never opened since it was recorded shows as unvisited.
    if (kind == kKindWebLink && record.lastVisit.empty())
        return {kImageUnvisited, kImageUnvisited + 1};
    return imagesForRecord(kind, record.locator, icons);
}

void noteInserted(DataFileReadResult& result, NodeId node) {
    if (result.inserted == 0) result.firstInserted = node;
    ++result.inserted;
}

DataFileReadResult rejectedRead() {
    DataFileReadResult result;
    result.rejected = true;
    return result;
}

}  // namespace

std::string writeDataFile(const Document& document, NodeId start, std::uint16_t base) {
    if (start == kNoNode || !document.tree.isAlive(start)) return {};
    std::string out(kDataFileHeader);
    SubtreeWriter writer{document, base, out};
    if (start == kTopLevel) {
        // The whole document as one walk: every top-level item, each at relative depth 1.
        for (NodeId top = document.tree.firstTopLevel(); top != kNoNode;
             top = document.tree.nextSibling(top))
            writer.write(top, depthOf(document.tree.node(top).itemNumber));
    } else {
        writer.write(start, depthOf(document.tree.node(start).itemNumber));
    }
    return out;
}

DataFileReadResult loadDataFile(std::string_view text, Document& document, ShellIconSource& icons) {
    if (!hasDataFileSignature(text)) return rejectedRead();
    DataFileReadResult result;
    std::uint16_t counterOnEntry = document.serials.value;
    bool headFilled = false;
    Nesting nesting(kTopLevel, 0);
    BlockScanner blocks(text);
    while (auto block = blocks.next()) {
        auto record = recordFrom(*block);
        if (!record) continue;
        ItemNumber number = record->itemNumber;
        NodeId parent = nesting.parentFor(static_cast<int>(depthOf(number)));
        ImagePair images = loadedImages(*record, icons);
        NodeId node;
        if (number == kRootItemNumber && !headFilled) {
            headFilled = true;
            node = insertNode(document, parent, *record, images);
            fillHeadFrom(document.items.head(), std::move(*record));
        } else {
            // Two records must never share a number: lookups would find only the first.
            if (document.items.find(number))
                record->itemNumber = allocateItemNumber(document, kindOf(number), depthOf(number));
            node = insertNode(document, parent, *record, images);
            document.items.append(std::move(*record));
        }
        nesting.inserted(node);
        noteInserted(result, node);
    }
    result.nextCounter = static_cast<std::uint16_t>(counterOnEntry + result.inserted);
    return result;
}

DataFileReadResult importDataFile(std::string_view text, Document& document, NodeId target,
                                  ShellIconSource& icons) {
    if (!hasDataFileSignature(text)) return rejectedRead();
    DataFileReadResult result;
    result.nextCounter = document.serials.value;
    if (!document.tree.isAlive(target)) return result;
    int targetDepth = static_cast<int>(depthOf(document.tree.node(target).itemNumber));
    Nesting nesting(target, targetDepth);
    BlockScanner blocks(text);
    while (auto block = blocks.next()) {
        auto record = recordFrom(*block);
        if (!record) continue;
        unsigned kind = kindOf(record->itemNumber);
        // Nesting follows the file even where the stored depth has to stop at the limit.
        int depth = static_cast<int>(depthOf(record->itemNumber)) + targetDepth;
        NodeId parent = nesting.parentFor(depth);
        // Everything lands below the target, so nothing may claim the target's own depth
        // (a record of depth 0 would, and would come back as its sibling after a save).
        int storedDepth = std::min(std::max(depth, targetDepth + 1), static_cast<int>(kMaxDepth));
        record->itemNumber = allocateItemNumber(document, kind, static_cast<unsigned>(storedDepth));
        NodeId node = insertNode(document, parent, *record, imagesForRecord(kind, record->locator, icons));
        document.items.append(std::move(*record));
        nesting.inserted(node);
        noteInserted(result, node);
    }
    result.nextCounter = document.serials.value;
    return result;
}

}  // namespace perchlet
