#include "store/document_encoding.h"

#include <string>

#include "store/data_file.h"

namespace perchlet {

namespace {

std::size_t charactersLost(const BookmarkItem& record) {
    // An address keeps its meaning percent-encoded, so it loses nothing.
    return charactersShiftJisCannotHold(record.title) + charactersShiftJisCannotHold(record.comment);
}

// Converts text (a std::string or a record's CompactText) in place; true when something could
// not be kept.
template <typename Text>
bool convertInPlace(Text& text, TextEncoding from, TextEncoding to, Unrepresentable policy) {
    LostCharacters lost;
    text = fitField(convertText(text, from, to, policy, &lost), textFieldMax(to), to);
    return lost.runs > 0;
}

struct NoIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string& locator) override { return imagesForRecord(0, locator, *this); }
};

}  // namespace

std::size_t charactersNotHeldInDataFile(std::string_view dataFileText) {
    if (dataFileEncoding(dataFileText) != TextEncoding::Utf8) return 0;
    Document scratch;
    scratch.file.encoding = TextEncoding::Utf8;
    NoIcons icons;
    importDataFile(dataFileText, scratch, insertRootItem(scratch), icons, TextEncoding::Utf8);
    return lossConvertingTo(scratch, TextEncoding::ShiftJis).characters;
}

std::size_t charactersShiftJisCannotHold(std::string_view utf8) {
    std::size_t count = 0;
    std::string scratch;
    for (std::size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = utf8SequenceLength(lead);
        std::string one = wellFormedUtf8(utf8.substr(i, length));
        if (one.size() != length || one == "\xEF\xBF\xBD" ||
            utf8ToShiftJis(one, Unrepresentable::Drop).empty())
            ++count;
        i += length == 0 ? 1 : length;
    }
    return count;
}

EncodingLoss lossConvertingTo(const Document& document, TextEncoding to) {
    EncodingLoss loss;
    if (to != TextEncoding::ShiftJis || document.file.encoding == to) return loss;
    for (std::size_t i = 0; i < document.items.size(); ++i) {
        std::size_t lost = charactersLost(document.items.at(i));
        loss.characters += lost;
        if (lost > 0) ++loss.items;
    }
    return loss;
}

std::size_t convertDocumentEncoding(Document& document, TextEncoding to) {
    TextEncoding from = document.file.encoding;
    if (from == to) return 0;
    std::size_t itemsLost = 0;
    for (std::size_t i = 0; i < document.items.size(); ++i) {
        BookmarkItem& record = document.items.at(i);
        bool lost = convertInPlace(record.title, from, to, Unrepresentable::Mark);
        lost |= convertInPlace(record.comment, from, to, Unrepresentable::Mark);
        convertInPlace(record.locator, from, to, Unrepresentable::PercentEncode);
        if (lost) ++itemsLost;
    }
    // Set first: a view told of each node's new text reads it in the new encoding.
    document.file.encoding = to;
    // Made Shift-JIS by the user's own choice: the next text it cannot hold asks afresh.
    if (to == TextEncoding::ShiftJis) document.file.shiftJisAnswer = ShiftJisAnswer::NotAsked;
    for (NodeId node = 0; node < document.tree.slotCount(); ++node) {
        if (!document.tree.isAlive(node)) continue;
        std::string text = document.tree.node(node).text.str();
        convertInPlace(text, from, to, Unrepresentable::Mark);
        document.tree.setText(node, std::move(text));
    }
    document.history.clear();
    document.history.restartOpenStep(document);
    document.history.markChanged();
    return itemsLost;
}

}  // namespace perchlet
