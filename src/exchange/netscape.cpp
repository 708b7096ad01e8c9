#include "exchange/netscape.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "store/encoding.h"
#include "store/parent_stack.h"
#include "store/plain_text.h"
#include "store/tree_population.h"

namespace perchlet {

// ---------------------------------------------------------------- shared pieces

const BookmarkItem& recordOfNode(const Document& document, NodeId node) {
    static const BookmarkItem kNoRecord{};
    const BookmarkItem* record = nodeRecord(document, node);
    return record ? *record : kNoRecord;
}

std::vector<NodeId> exportStarts(const BookmarkTree& tree, NodeId start) {
    std::vector<NodeId> starts;
    if (start == kTopLevel) {
        for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top)) starts.push_back(top);
    } else if (start != kNoNode && tree.isAlive(start)) {
        starts.push_back(start);
    }
    return starts;
}

std::size_t treesCutAtDepthLimit(const BookmarkTree& tree) {
    std::size_t cut = 0;
    for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top))
        if (top != tree.firstTopLevel() && depthOf(tree.node(top).itemNumber) == 0) ++cut;
    return cut;
}

unsigned depthInTree(const BookmarkTree& tree, NodeId node) {
    unsigned depth = 0;
    for (NodeId n = node; n != kTopLevel && n != kNoNode; n = tree.parent(n)) ++depth;
    return depth;
}

unsigned kindForImportedAddress(std::string_view address) {
    constexpr std::string_view kMail = "mailto:";
    if (address.size() < kMail.size()) return kKindWebLink;
    for (std::size_t i = 0; i < kMail.size(); ++i) {
        char c = address[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kMail[i]) return kKindWebLink;
    }
    return kKindMailLink;
}

void noteMarkedItem(ImportResult& result, const LostCharacters& lost, std::string_view title) {
    if (lost.runs == 0) return;
    if (result.markedItems++ == 0) result.firstMarkedTitle = title;
}

std::string markedItemsNote(std::size_t items, const std::string& firstTitle) {
    return "\"" + firstTitle + "\" など " + std::to_string(items) +
           " 項目のタイトルやコメントに、Shift-JIS で表せない文字がありました。\r\n"
           "その文字のあった所は「〓」にしてあります。";
}

bool canHoldChildren(const Document& document, NodeId parent) {
    return depthOf(document.tree.node(parent).itemNumber) < kMaxDepth;
}

AddedItem addImportedItem(Document& document, NodeId parent, unsigned kind, BookmarkItem record) {
    ItemNumber parentNumber = document.tree.node(parent).itemNumber;
    ItemNumber number = allocateItemNumberUnder(document, parentNumber, kind);
    record.itemNumber = number;
    record.parentNumber = static_cast<std::uint32_t>(parentNumber);
    ImagePair images = imagesForKind(kind);
    // Linked to its own record: past 65,536 links of a kind at one depth numbers repeat.
    NodeId node = insertRecordNode(document, parent, std::move(record), images.normal, images.selected);
    return {node, *nodeRecord(document, node)};
}

std::string escapeHtml(std::string_view text) {
    // None of these bytes can be the second byte of a Shift-JIS character. A tag ends at its
    // first ">", inside quotes or not, so an address must carry none; and the import decodes
    // references, so a raw "&" would change an address that holds one.
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

namespace {

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The code point of "#NNN" or "#xHH", or nothing when the text is not such a number.
std::optional<char32_t> numericReference(std::string_view body) {
    if (body.size() < 2 || body[0] != '#') return std::nullopt;
    bool hex = body[1] == 'x' || body[1] == 'X';
    std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        int digit = hex ? hexDigitValue(c) : (isDecimalDigit(c) ? c - '0' : -1);
        if (digit < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    }
    return value <= 0x10FFFF ? static_cast<char32_t>(value) : 0;
}

// Decodes the reference at the start of text (which begins with "&") into out and returns
// its length, or returns 0 when it is not a well-formed reference.
std::size_t decodeReferenceAt(std::string_view text, std::string& out, TextEncoding encoding,
                              Unrepresentable unrepresentable, LostCharacters* lost) {
    constexpr std::size_t kLongestReference = 12;  // "&#x10FFFF;" with room to spare
    std::size_t semicolon = text.substr(0, kLongestReference).find(';');
    if (semicolon == std::string_view::npos) return 0;
    std::string_view body = text.substr(1, semicolon - 1);
    const std::size_t length = semicolon + 1;
    if (std::optional<char32_t> cp = numericReference(body)) {
        appendCodePointIn(encoding, *cp, unrepresentable, out, lost);
        return length;
    }
    if (body == "amp") out += '&';
    else if (body == "lt") out += '<';
    else if (body == "gt") out += '>';
    else if (body == "quot") out += '"';
    else if (body == "apos") out += '\'';
    else return 0;
    if (lost) lost->inRun = false;
    return length;
}

}  // namespace

std::string decodeCharacterReferences(std::string_view text, Unrepresentable unrepresentable,
                                      LostCharacters* lost) {
    return decodeCharacterReferences(text, TextEncoding::ShiftJis, unrepresentable, lost);
}

std::string decodeCharacterReferences(std::string_view text, TextEncoding encoding, Unrepresentable unrepresentable,
                                      LostCharacters* lost) {
    std::string out;
    decodeCharacterReferences(text, encoding, unrepresentable, lost, out);
    return out;
}

void decodeCharacterReferences(std::string_view text, TextEncoding encoding, Unrepresentable unrepresentable,
                               LostCharacters* lost, std::string& out) {
    if (text.empty() || std::memchr(text.data(), '&', text.size()) == nullptr) {
        if (lost && !text.empty()) lost->inRun = false;
        out.assign(text);
        return;
    }
    out.clear();
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) amp = text.size();
        out.append(text.substr(pos, amp - pos));
        if (amp > pos && lost) lost->inRun = false;
        if (amp == text.size()) break;
        std::size_t used = decodeReferenceAt(text.substr(amp), out, encoding, unrepresentable, lost);
        if (used == 0) {
            out += '&';
            if (lost) lost->inRun = false;
            used = 1;
        }
        pos = amp + used;
    }
}

// ---------------------------------------------------------------- export

namespace {

constexpr std::string_view kNetscapeHeader =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
    "<!-- This is an automatically generated file.\r\n"
    "It will be read and overwritten."
    "Do Not Edit! -->\r\n"
    "<TITLE>Bookmarks</TITLE>\r\n"
    "<H1>Bookmarks</H1>\r\n";

// Browsers write this line for a UTF-8 file, and read the file as UTF-8 by it.
constexpr std::string_view kUtf8Charset =
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n";

constexpr std::string_view kOpenList = "<DL><p>\r\n";
constexpr std::string_view kCloseList = "</DL><p>\r\n";

// Indentation only helps a reader; it stops growing past this many levels, or every line of
// a tree thousands of levels deep would carry kilobytes of blanks.
constexpr unsigned kMaxIndentLevels = 64;

void appendIndent(std::string& out, unsigned levels) {
    out.append(std::min(levels, kMaxIndentLevels) * 4, ' ');
}

bool isWebLinkKind(unsigned kind) {
    return kind == kKindWebLink || kind == kKindChangedLink || kind == kKindFailedLink;
}

// Closes the lists from depth `from` down to depth `to`.
void appendClosingLists(std::string& out, unsigned from, unsigned to) {
    for (unsigned depth = from; depth > to; --depth) {
        appendIndent(out, depth - 1);
        out += kCloseList;
    }
}

// What goes before an item at depth d when the previous one was at depth p.
void appendNesting(std::string& out, unsigned p, unsigned d) {
    if (d > p) {
        appendIndent(out, d - 1);
        out += kOpenList;
    } else {
        appendClosingLists(out, p, d);
    }
    appendIndent(out, d);
}

void appendFolderLine(std::string& out, const BookmarkItem& record) {
    out += "<DT><H3 FOLDED ADD_DATE=\"";
    out += escapeHtml(record.addDate);
    out += "\">";
    out += escapeHtml(record.title);
    out += "</H3>\r\n";
}

void appendLinkLine(std::string& out, const BookmarkItem& record, std::string_view address) {
    out += "<DT><A HREF=\"";
    out += escapeHtml(address);
    out += "\" ADD_DATE=\"";
    out += escapeHtml(record.addDate);
    out += "\" LAST_MODIFIED=\"";
    out += escapeHtml(record.lastModified);
    out += "\" LAST_VISIT=\"";
    out += escapeHtml(record.lastVisit);
    out += "\">";
    out += escapeHtml(record.title);
    out += "</A>\r\n";
}

void appendDescription(std::string& out, const BookmarkItem& record, unsigned depth) {
    if (record.comment.empty()) return;
    appendIndent(out, depth);
    out += "<DD>";
    out += escapeHtml(record.comment);
    out += "\r\n";
}

}  // namespace

std::string exportNetscape(const Document& document, NodeId start) {
    return exportNetscapeAs(document, start, TextEncoding::ShiftJis);
}

std::string exportNetscapeAs(const Document& document, NodeId start, TextEncoding encoding) {
    const BookmarkTree& tree = document.tree;
    std::vector<NodeId> starts = exportStarts(tree, start);
    if (starts.empty()) return {};
    std::string out(kNetscapeHeader);
    if (encoding == TextEncoding::Utf8) out.insert(out.find("\r\n") + 2, kUtf8Charset);
    const unsigned base = depthInTree(tree, starts.front()) - 1;
    unsigned previous = base;
    auto enter = [&](NodeId node) { return !isWebLinkKind(kindOf(tree.node(node).itemNumber)); };
    auto visit = [&](NodeId node, unsigned depth) {
        const BookmarkItem& record = recordOfNode(document, node);
        unsigned kind = kindOf(tree.node(node).itemNumber);
        appendNesting(out, previous, depth);
        if (kind == kKindFolder) appendFolderLine(out, record);
        else if (kind == kKindShellLink || kind == kKindLocalFile) appendLinkLine(out, record, kUrlNotFound);
        else appendLinkLine(out, record, record.locator);
        appendDescription(out, record, depth);
        previous = depth;
    };
    for (NodeId each : starts) walkWithDepth(tree, each, enter, visit);
    appendClosingLists(out, previous, base);
    return out;
}

// ---------------------------------------------------------------- import

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// name is in upper case.
bool equalsIgnoringCase(std::string_view text, std::string_view name) {
    if (text.size() != name.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (asciiUpper(text[i]) != name[i]) return false;
    return true;
}

std::size_t skipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    return pos;
}

// A tag's own name: what its text holds before the first blank.
std::string_view tagName(std::string_view tag) {
    std::size_t end = 0;
    while (end < tag.size() && !isBlank(tag[end])) ++end;
    return tag.substr(0, end);
}

// A tag's attributes, read once in the order they stand: a link's tag is asked for four of
// them, and may carry a long icon among them. An attribute is found by its name in any case
// (never inside another attribute's value), the first of a name wins; its value is empty
// when its quote is never closed, and nothing after such a quote is an attribute.
class TagAttributes {
public:
    explicit TagAttributes(std::string_view tag) {
        std::size_t pos = tagName(tag).size();
        while ((pos = skipBlanks(tag, pos)) < tag.size()) {
            std::size_t nameStart = pos;
            while (pos < tag.size() && !isBlank(tag[pos]) && tag[pos] != '=') ++pos;
            std::string_view name = tag.substr(nameStart, pos - nameStart);
            pos = skipBlanks(tag, pos);
            if (pos >= tag.size() || tag[pos] != '=') {
                add(name, std::string_view());  // an attribute without value
                continue;
            }
            pos = skipBlanks(tag, pos + 1);
            std::string_view value;
            if (pos < tag.size() && (tag[pos] == '"' || tag[pos] == '\'')) {
                std::size_t close = tag.find(tag[pos], pos + 1);
                if (close == std::string_view::npos) {
                    add(name, std::string_view());
                    return;
                }
                value = tag.substr(pos + 1, close - pos - 1);
                pos = close + 1;
            } else {
                std::size_t end = pos;
                while (end < tag.size() && !isBlank(tag[end])) ++end;
                value = tag.substr(pos, end - pos);
                pos = end;
            }
            add(name, value);
        }
    }

    // name is in upper case.
    std::optional<std::string_view> find(std::string_view name) const {
        for (std::size_t i = 0; i < std::min(count_, kHeld); ++i)
            if (equalsIgnoringCase(held_[i].name, name)) return held_[i].value;
        for (const Attribute& attribute : more_)
            if (equalsIgnoringCase(attribute.name, name)) return attribute.value;
        return std::nullopt;
    }

private:
    struct Attribute {
        std::string_view name;
        std::string_view value;
    };
    // A browser's tag has a handful; only a tag with more costs an allocation.
    static constexpr std::size_t kHeld = 8;

    void add(std::string_view name, std::string_view value) {
        if (count_ < kHeld) held_[count_] = {name, value};
        else more_.push_back({name, value});
        ++count_;
    }

    std::array<Attribute, kHeld> held_;
    std::vector<Attribute> more_;
    std::size_t count_ = 0;
};

// The values of an item are decoded one after another into one text, then copied into the
// record once, as its field keeps them.
struct ValueDecoder {
    explicit ValueDecoder(TextEncoding encoding) : encoding(encoding) {}

    TextEncoding encoding;
    std::string decoded;
    std::string fitted;

    void readDate(CompactText& date, const TagAttributes& tag, std::string_view name) {
        decodeCharacterReferences(tag.find(name).value_or(std::string_view()), encoding, Unrepresentable::Drop,
                                  nullptr, decoded);
        date = dateField(decoded, encoding, fitted);
    }
    // An address keeps characters that Shift-JIS cannot hold, percent-encoded.
    void readAddress(CompactText& address, const TagAttributes& tag) {
        decodeCharacterReferences(tag.find("HREF").value_or(std::string_view()), encoding,
                                  Unrepresentable::PercentEncode, nullptr, decoded);
        address = addressField(decoded, encoding, fitted);
    }
    // Characters Shift-JIS cannot hold leave a mark, so a title is never emptied by them.
    void readTitle(CompactText& title, std::string_view raw, LostCharacters& lost) {
        decodeCharacterReferences(raw, encoding, Unrepresentable::Mark, &lost, decoded);
        title = titleField(decoded, encoding, fitted);
    }
};

// Whether text at pos starts "<BR" in any case.
bool breakAt(std::string_view text, std::size_t pos) {
    return pos + 3 <= text.size() && text[pos] == '<' && equalsIgnoringCase(text.substr(pos + 1, 2), "BR");
}

// The description's markup: each "<BR" with the character after it, and line breaks, go;
// so do the blanks that end it (the indentation of the line that follows).
std::string descriptionText(std::string_view raw, TextEncoding encoding, LostCharacters& lost) {
    std::string kept;
    kept.reserve(raw.size());
    for (std::size_t pos = 0; pos < raw.size(); ++pos) {
        if (breakAt(raw, pos)) {
            pos += 3;  // and the loop steps over the one character after it
            continue;
        }
        if (raw[pos] != '\r' && raw[pos] != '\n') kept += raw[pos];
    }
    while (!kept.empty() && (kept.back() == ' ' || kept.back() == '\t')) kept.pop_back();
    return fitText(decodeCharacterReferences(kept, encoding, Unrepresentable::Mark, &lost), encoding);
}

struct NetscapeImport {
    NetscapeImport(std::string_view text, Document& document, NodeId target, TextEncoding encoding)
        : text(text), document(document), parent(target), encoding(encoding) {}

    std::string_view text;
    Document& document;
    std::size_t pos = 0;
    NodeId parent;
    TextEncoding encoding;
    NodeId lastCreated = kNoNode;
    BookmarkItem* lastRecord = nullptr;  // held, not looked up: numbers can repeat once serials run out
    bool lastMarked = false;             // the last item's title lost characters already
    bool folderSeen = false;
    ParentStack<NodeId> parents;
    ImportResult result;
    ValueDecoder values{encoding};
};

void addItem(NetscapeImport& import, unsigned kind, BookmarkItem record, const LostCharacters& lost) {
    AddedItem added = addImportedItem(import.document, import.parent, kind, std::move(record));
    import.lastCreated = added.node;
    import.lastRecord = &added.record;
    import.lastMarked = lost.runs > 0;
    noteMarkedItem(import.result, lost, added.record.title);
    ++import.result.count;
    import.result.lastCreated = added.node;
}

// The text up to the closing tag "</" name ">" (any case, blanks allowed before ">"), and
// the scan moves past it; nothing when the tag never comes (the import then ends without
// inventing an item).
std::optional<std::string_view> textUpTo(NetscapeImport& import, std::string_view name) {
    const std::string_view text = import.text;
    for (std::size_t at = text.find("</", import.pos); at != std::string_view::npos; at = text.find("</", at + 2)) {
        std::size_t after = at + 2 + name.size();
        if (after > text.size() || !equalsIgnoringCase(text.substr(at + 2, name.size()), name)) continue;
        after = skipBlanks(text, after);
        if (after >= text.size() || text[after] != '>') continue;
        std::string_view inside = text.substr(import.pos, at - import.pos);
        import.pos = after + 1;
        return inside;
    }
    return std::nullopt;
}

bool readLink(NetscapeImport& import, const TagAttributes& tag) {
    std::optional<std::string_view> title = textUpTo(import, "A");
    if (!title) return false;
    BookmarkItem record;
    LostCharacters lost;
    import.values.readTitle(record.title, *title, lost);
    import.values.readAddress(record.locator, tag);
    import.values.readDate(record.addDate, tag, "ADD_DATE");
    import.values.readDate(record.lastModified, tag, "LAST_MODIFIED");
    import.values.readDate(record.lastVisit, tag, "LAST_VISIT");
    unsigned kind = kindForImportedAddress(record.locator);
    addItem(import, kind, std::move(record), lost);
    return true;
}

bool readFolder(NetscapeImport& import, const TagAttributes& tag) {
    std::optional<std::string_view> title = textUpTo(import, "H3");
    if (!title) return false;
    BookmarkItem record;
    LostCharacters lost;
    import.values.readTitle(record.title, *title, lost);
    import.values.readDate(record.addDate, tag, "ADD_DATE");
    addItem(import, kKindFolder, std::move(record), lost);
    import.folderSeen = true;
    return true;
}

// The description runs to the next "<" that does not start "<BR"; the scan stops there.
void readDescription(NetscapeImport& import) {
    std::size_t end = import.pos;
    for (;;) {
        end = import.text.find('<', end);
        if (end == std::string_view::npos || !breakAt(import.text, end)) break;
        ++end;
    }
    if (end == std::string_view::npos) end = import.text.size();
    std::string_view raw = import.text.substr(import.pos, end - import.pos);
    import.pos = end;
    if (!import.lastRecord) return;
    LostCharacters lost;
    import.lastRecord->comment = descriptionText(raw, import.encoding, lost);
    // An item is counted once, whether its title, its comment or both lost something.
    if (!import.lastMarked) noteMarkedItem(import.result, lost, import.lastRecord->title);
    import.lastMarked = import.lastMarked || lost.runs > 0;
}

void openList(NetscapeImport& import) {
    import.parents.push(import.parent);
    // Past the deepest depth an item number can hold, the items stay on the level reached.
    if (import.lastCreated != kNoNode && canHoldChildren(import.document, import.lastCreated))
        import.parent = import.lastCreated;
}

// False when the list closed is the file's outermost one: the import ends there.
bool closeList(NetscapeImport& import) {
    std::optional<NodeId> outer = import.parents.top();
    if (!outer) return false;
    import.parents.pop();
    import.parent = *outer;
    return true;
}

// Handles one tag; false ends the import.
bool readTag(NetscapeImport& import, std::string_view tag) {
    std::string_view name = tagName(tag);
    // An anchor without an address (a named anchor) is no link.
    if (equalsIgnoringCase(name, "A")) {
        TagAttributes attributes(tag);
        if (attributes.find("HREF")) return readLink(import, attributes);
    }
    if (equalsIgnoringCase(name, "H3")) return readFolder(import, TagAttributes(tag));
    if (equalsIgnoringCase(name, "DD")) readDescription(import);
    else if (import.folderSeen && equalsIgnoringCase(name, "DL")) openList(import);
    else if (import.folderSeen && equalsIgnoringCase(name, "/DL")) return closeList(import);
    return true;
}

}  // namespace

ImportResult importNetscape(std::string_view text, Document& document, NodeId target, TextEncoding into) {
    NetscapeImport import(text, document, target, into);
    if (canHoldChildren(document, target)) {
        for (;;) {
            std::size_t open = text.find('<', import.pos);
            if (open == std::string_view::npos) break;
            std::size_t close = text.find('>', open + 1);
            if (close == std::string_view::npos) break;
            import.pos = close + 1;
            if (!readTag(import, text.substr(open + 1, close - open - 1))) break;
        }
    }
    // An import counts as a change even when it finds nothing to add, as it always has.
    document.history.markChanged();
    return import.result;
}

}  // namespace perchlet
