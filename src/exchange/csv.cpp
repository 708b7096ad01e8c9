#include "exchange/csv.h"

#include <optional>

#include "store/encoding.h"

namespace perchlet {

namespace {

std::string commaFree(std::string_view text, TextEncoding encoding) {
    return filterText(text, TextFilter::CommaFree, encoding);
}

// Spreadsheets and this program's reader take a field in double quotes whole.
std::string addressField(std::string_view locator) {
    if (locator.find_first_of(",\"") == std::string_view::npos) return std::string(locator);
    std::string quoted = "\"";
    for (char c : locator) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void appendRow(std::string& out, unsigned rowNumber, const BookmarkItem& record, unsigned kind,
               TextEncoding encoding) {
    bool hasNoAddress = kind == kKindShellLink || kind == kKindLocalFile;
    out += std::to_string(rowNumber);
    out += ',';
    out += commaFree(record.title, encoding);
    out += ',';
    out += hasNoAddress ? std::string(kUrlNotFound) : addressField(record.locator);
    out += ',';
    out += filterText(record.comment, TextFilter::QuotedCommaFree, encoding);
    out += ',';
    out += commaFree(record.addDate, encoding);
    out += ',';
    out += commaFree(record.lastModified, encoding);
    out += ',';
    out += commaFree(record.lastVisit, encoding);
    out += "\r\n";
}

// The fields of one data row; the row number is not kept.
struct CsvRow {
    std::string_view title;
    std::string locator;
    std::string_view comment, addDate, lastModified, lastVisit;
};

// Reads the fields of a row from pos. A field other than a quoted one must end at a comma
// before the line does.
class RowReader {
public:
    RowReader(std::string_view text, std::size_t pos, std::string_view lineEnd)
        : text_(text), pos_(pos), lineEnd_(lineEnd) {}

    std::optional<std::string_view> plainField() {
        std::size_t comma = text_.find(',', pos_);
        if (comma == std::string_view::npos || lineEndsBefore(comma)) return std::nullopt;
        return take(comma, 1);
    }

    // In double quotes, with doubled quotes read as one and commas kept; what follows the
    // closing quote up to the comma is kept as it stands.
    std::optional<std::string> addressField() {
        if (atEnd() || text_[pos_] != '"') {
            std::optional<std::string_view> plain = plainField();
            if (!plain) return std::nullopt;
            return std::string(*plain);
        }
        std::string value;
        std::size_t pos = pos_ + 1;
        for (;;) {
            std::size_t quote = text_.find('"', pos);
            if (quote == std::string_view::npos || lineEndsBefore(quote, pos)) return std::nullopt;
            value.append(text_.substr(pos, quote - pos));
            pos = quote + 1;
            if (pos < text_.size() && text_[pos] == '"') {
                value += '"';
                ++pos;
                continue;
            }
            break;
        }
        pos_ = pos;
        std::optional<std::string_view> rest = plainField();
        if (!rest) return std::nullopt;
        value.append(*rest);
        return value;
    }

    // A quoted comment runs from after its opening quote to the character before the next
    // comma, which is taken to be the closing quote (a comma inside the quotes ends it early);
    // the line ends inside it belong to it.
    std::optional<std::string_view> commentField() {
        if (atEnd() || text_[pos_] != '"') return plainField();
        std::size_t comma = text_.find(',', pos_ + 1);
        if (comma == std::string_view::npos) return std::nullopt;
        std::string_view field = comma >= pos_ + 2 ? text_.substr(pos_ + 1, comma - pos_ - 2) : std::string_view();
        pos_ = comma + 1;
        return field;
    }

    // The rest of the line, commas included.
    std::string_view lastField() {
        std::size_t end = lineEnd_.empty() ? std::string_view::npos : text_.find(lineEnd_, pos_);
        if (end == std::string_view::npos) end = text_.size();
        return take(end, lineEnd_.size());
    }

    std::size_t position() const { return pos_; }

private:
    bool atEnd() const { return pos_ >= text_.size(); }

    bool lineEndsBefore(std::size_t at, std::size_t from = std::string_view::npos) const {
        if (lineEnd_.empty()) return false;
        std::size_t end = text_.find(lineEnd_, from == std::string_view::npos ? pos_ : from);
        return end != std::string_view::npos && end < at;
    }

    std::string_view take(std::size_t end, std::size_t separatorLength) {
        std::string_view field = text_.substr(pos_, end - pos_);
        pos_ = std::min(text_.size(), end + separatorLength);
        return field;
    }

    std::string_view text_;
    std::size_t pos_;
    std::string_view lineEnd_;
};

std::optional<CsvRow> readRow(RowReader& reader) {
    auto number = reader.plainField();
    auto title = number ? reader.plainField() : std::nullopt;
    auto locator = title ? reader.addressField() : std::nullopt;
    auto comment = locator ? reader.commentField() : std::nullopt;
    auto addDate = comment ? reader.plainField() : std::nullopt;
    auto lastModified = addDate ? reader.plainField() : std::nullopt;
    if (!lastModified) return std::nullopt;
    return CsvRow{*title, std::move(*locator), *comment, *addDate, *lastModified, reader.lastField()};
}

// The file's encoding and the document's.
struct CsvEncodings {
    CsvText file;
    TextEncoding into;
};

// The text of a field in the document's encoding.
std::string fieldText(std::string_view field, CsvEncodings encodings, Unrepresentable unrepresentable,
                      LostCharacters* lost = nullptr) {
    if (encodings.file == CsvText::ShiftJis) return convertText(field, TextEncoding::ShiftJis, encodings.into);
    return textFromUtf8(field, encodings.into, unrepresentable, lost);
}

// Title and comment mark what Shift-JIS cannot hold; lost counts it.
BookmarkItem recordFromRow(const CsvRow& row, CsvEncodings encodings, LostCharacters& lost) {
    const TextEncoding into = encodings.into;
    auto text = [encodings](std::string_view field) { return fieldText(field, encodings, Unrepresentable::Drop); };
    auto words = [encodings, &lost](std::string_view field) {
        lost.inRun = false;
        return fieldText(field, encodings, Unrepresentable::Mark, &lost);
    };
    BookmarkItem record;
    record.title = fitText(filterText(words(row.title), TextFilter::SingleLine, into), into);
    record.locator = fitAddress(fieldText(row.locator, encodings, Unrepresentable::PercentEncode), into);
    record.comment = fitText(words(row.comment), into);
    record.addDate = fitDate(text(row.addDate), into);
    record.lastModified = fitDate(text(row.lastModified), into);
    record.lastVisit = fitDate(text(row.lastVisit), into);
    return record;
}

// CR LF wherever the file holds one, as this program writes; otherwise what ends its first
// line (a comment's line breaks come later).
std::string_view lineEndOf(std::string_view text) {
    if (text.find("\r\n") != std::string_view::npos) return "\r\n";
    std::size_t first = text.find_first_of("\r\n");
    if (first == std::string_view::npos) return {};
    return text[first] == '\n' ? "\n" : "\r";
}

// Past the next line end from pos; npos when there is none.
std::size_t nextLine(std::string_view text, std::size_t pos, std::string_view lineEnd) {
    if (lineEnd.empty()) return std::string_view::npos;
    std::size_t end = text.find(lineEnd, pos);
    return end == std::string_view::npos ? end : end + lineEnd.size();
}

}  // namespace

std::string exportCsv(const Document& document, NodeId start, std::string_view startDirectory,
                      TextEncoding encoding) {
    const BookmarkTree& tree = document.tree;
    std::vector<NodeId> starts = exportStarts(tree, start);
    if (starts.empty()) return {};
    std::string out = encoding == TextEncoding::Utf8 ? "\xEF\xBB\xBF" : "";
    out += startDirectory;
    out += convertText("\r\n項目,タイトル,URL,コメント,作成日時,最終更新日時,最終訪問日時\r\n", TextEncoding::ShiftJis,
                       encoding);
    unsigned rowNumber = 0;
    for (NodeId each : starts) {
        tree.walkSubtree(each, [&](NodeId node) {
            appendRow(out, ++rowNumber, recordOfNode(document, node), kindOf(tree.node(node).itemNumber), encoding);
        });
    }
    return out;
}

ImportResult importCsv(std::string_view text, Document& document, NodeId target, CsvText encoding,
                       TextEncoding into) {
    ImportResult result;
    if (encoding == CsvText::Utf8 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::string_view lineEnd = lineEndOf(text);
    // Line 1 (the start directory) and line 2 (the header) are never data.
    std::size_t lineStart = nextLine(text, 0, lineEnd);
    if (lineStart != std::string_view::npos) lineStart = nextLine(text, lineStart, lineEnd);
    // In a CR LF file a row is its line; elsewhere a quoted comment may hold line ends.
    const bool rowIsItsLine = lineEnd == "\r\n";
    while (lineStart != std::string_view::npos && lineStart < text.size() && canHoldChildren(document, target)) {
        std::size_t next = nextLine(text, lineStart, lineEnd);
        std::size_t lineStop = next == std::string_view::npos ? text.size() : next - lineEnd.size();
        std::string_view scope = rowIsItsLine ? text.substr(0, lineStop) : text;
        std::optional<CsvRow> row;
        RowReader reader(scope, lineStart, rowIsItsLine ? std::string_view() : lineEnd);
        char first = text[lineStart];
        if (first >= '0' && first <= '9') row = readRow(reader);
        if (row) {
            LostCharacters lost;
            BookmarkItem record = recordFromRow(*row, CsvEncodings{encoding, into}, lost);
            unsigned kind = kindForImportedAddress(record.locator);
            AddedItem added = addImportedItem(document, target, kind, std::move(record));
            noteMarkedItem(result, lost, added.record.title);
            result.lastCreated = added.node;
            ++result.count;
            if (!rowIsItsLine) next = reader.position() < text.size() ? reader.position() : std::string_view::npos;
        }
        lineStart = next;
    }
    // An import counts as a change even when it finds nothing to add, as it always has.
    document.history.markChanged();
    return result;
}

}  // namespace perchlet
