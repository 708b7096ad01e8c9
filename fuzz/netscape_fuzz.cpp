// Netscape bookmark files: import under the root, export, import the export again; and the
// same for the text as a UTF-8 file converted with character references.
#include "fuzz_support.h"

using namespace perchlet;
using namespace perchlet::fuzz;

namespace {

// Titles and addresses in display order.
std::vector<std::string> fieldsInOrder(const Document& document, NodeId start) {
    std::vector<std::string> fields;
    document.tree.walkSubtree(start, [&](NodeId node) {
        const BookmarkItem& record = recordOfNode(document, node);
        fields.push_back(record.title);
        fields.push_back(record.locator);
    });
    return fields;
}

void roundTrip(std::string_view text) {
    RootedDocument first;
    ImportResult imported = importNetscape(text, first.doc, first.root);
    check(imported.count + 1 == first.doc.tree.liveCount());

    std::string exported = exportNetscape(first.doc, first.root);
    RootedDocument second;
    ImportResult again = importNetscape(exported, second.doc, second.root);
    // The export holds the root as a folder of its own; nothing else may appear.
    check(again.count <= imported.count + 1);
    // When everything came back (no children under links, no depth cut), it came back whole.
    if (again.count == imported.count + 1) {
        NodeId copy = second.doc.tree.firstChild(second.root);
        std::vector<std::string> before = fieldsInOrder(first.doc, first.root);
        std::vector<std::string> after = fieldsInOrder(second.doc, copy);
        check(before == after);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text = textOf(data, size);
    decodeCharacterReferences(text);
    roundTrip(text);
    roundTrip(utf8ToShiftJis(text, Unrepresentable::CharacterReference));
    return 0;
}
