// Netscape bookmark files: import under the root, export, import the export again.
#include "fuzz_support.h"

using namespace perchlet;
using namespace perchlet::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text = textOf(data, size);
    decodeCharacterReferences(text);

    RootedDocument first;
    ImportResult imported = importNetscape(text, first.doc, first.root);
    check(imported.count + 1 == first.doc.tree.liveCount());

    std::string exported = exportNetscape(first.doc, first.root);
    RootedDocument second;
    ImportResult again = importNetscape(exported, second.doc, second.root);
    // The export holds the root as a folder of its own; nothing else may appear.
    check(again.count <= imported.count + 1);
    return 0;
}
