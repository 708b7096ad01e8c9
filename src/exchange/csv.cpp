#include "exchange/csv.h"

#include <optional>

#include "store/encoding.h"

namespace perchlet {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string commaFree(std::string_view text) { return filterText(text, TextFilter::CommaFree); }

void appendRow(std::string& out, unsigned rowNumber, const BookmarkItem& record, unsigned kind) {
    bool hasNoAddress = kind == kKindShellLink || kind == kKindLocalFile;
    out += std::to_string(rowNumber);
    out += ',';
    out += commaFree(record.title);
    out += ',';
    out += hasNoAddress ? std::string_view(kUrlNotFound) : std::string_view(record.locator);
    out += ',';
    out += filterText(record.comment, TextFilter::QuotedCommaFree);
    out += ',';
    out += commaFree(record.addDate);
    out += ',';
    out += commaFree(record.lastModified);
    out += ',';
    out += commaFree(record.lastVisit);
    out += kLineEnd;
}

// The fields of one data row; the row number is not kept.
struct CsvRow {
    std::string_view title, locator, comment, addDate, lastModified, lastVisit;
};

// Cuts the field that ends at the next comma off the front of rest.
std::optional<std::string_view> takeField(std::string_view& rest) {
    std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    std::string_view field = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
    return field;
}

// A quoted comment runs from after its opening quote to the character before the next
// comma, which is taken to be the closing quote; a comma inside the quotes ends it early.
std::optional<std::string_view> takeCommentField(std::string_view& rest) {
    if (rest.empty() || rest.front() != '"') return takeField(rest);
    std::size_t comma = rest.find(',', 1);
    if (comma == std::string_view::npos) return std::nullopt;
    std::string_view field = comma >= 2 ? rest.substr(1, comma - 2) : std::string_view();
    rest.remove_prefix(comma + 1);
    return field;
}

std::optional<CsvRow> parseRow(std::string_view line) {
    if (line.empty() || line.front() < '0' || line.front() > '9') return std::nullopt;
    std::string_view rest = line;
    auto number = takeField(rest);
    auto title = number ? takeField(rest) : std::nullopt;
    auto locator = title ? takeField(rest) : std::nullopt;
    auto comment = locator ? takeCommentField(rest) : std::nullopt;
    auto addDate = comment ? takeField(rest) : std::nullopt;
    auto lastModified = addDate ? takeField(rest) : std::nullopt;
    if (!lastModified) return std::nullopt;
    return CsvRow{*title, *locator, *comment, *addDate, *lastModified, rest};
}

BookmarkItem recordFromRow(const CsvRow& row) {
    BookmarkItem record;
    record.title = fitText(filterText(row.title, TextFilter::SingleLine));
    record.locator = fitText(row.locator);
    record.comment = fitText(row.comment);
    record.addDate = fitDate(row.addDate);
    record.lastModified = fitDate(row.lastModified);
    record.lastVisit = fitDate(row.lastVisit);
    return record;
}

}  // namespace

std::string exportCsv(const Document& document, NodeId start, std::string_view startDirectory) {
    const BookmarkTree& tree = document.tree;
    if (start == kTopLevel || !tree.isAlive(start)) return {};
    std::string out(startDirectory);
    out += "\r\n項目,タイトル,URL,コメント,作成日時,最終更新日時,最終訪問日時\r\n";
    unsigned rowNumber = 0;
    tree.walkSubtree(start, [&](NodeId node) {
        appendRow(out, ++rowNumber, recordOfNode(document, node), kindOf(tree.node(node).itemNumber));
    });
    return out;
}

ImportResult importCsv(std::string_view text, Document& document, NodeId target) {
    ImportResult result;
    // Line 1 ends at the first CR LF and line 2 (the header) at the second; neither is data.
    std::size_t firstEnd = text.find(kLineEnd);
    std::size_t lineStart = std::string_view::npos;
    if (firstEnd != std::string_view::npos) {
        std::size_t headerEnd = text.find(kLineEnd, firstEnd + kLineEnd.size());
        if (headerEnd != std::string_view::npos) lineStart = headerEnd + kLineEnd.size();
    }
    while (lineStart != std::string_view::npos && canHoldChildren(document, target)) {
        std::size_t lineEnd = text.find(kLineEnd, lineStart);
        if (lineEnd == std::string_view::npos) break;
        if (std::optional<CsvRow> row = parseRow(text.substr(lineStart, lineEnd - lineStart))) {
            result.lastCreated = addImportedItem(document, target, kKindWebLink, recordFromRow(*row)).node;
            ++result.count;
        }
        lineStart = lineEnd + kLineEnd.size();
    }
    document.modified = true;
    return result;
}

}  // namespace perchlet
