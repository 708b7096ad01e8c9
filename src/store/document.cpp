#include "store/document.h"

namespace perchlet {

ItemNumber allocateItemNumber(Document& document, unsigned kind, unsigned depth) {
    ItemNumber number = makeItemNumber(kind, depth, document.serials.next());
    // Bounded: when every serial of this kind and depth is held, the last one is reused.
    for (int tries = 1; tries < 0x10000 && document.items.find(number); ++tries)
        number = makeItemNumber(kind, depth, document.serials.next());
    return number;
}

ItemNumber allocateItemNumberUnder(Document& document, ItemNumber parent, unsigned kind) {
    return allocateItemNumber(document, kind, depthOf(parent) + 1);
}

void resetDocument(Document& document) {
    document.tree.clear();
    document.items.reset(makeRootRecord(dateStampNow()));
    document.serials = SerialCounter{};
    document.fileName.clear();
    document.filePath.clear();
    document.modified = false;
}

}  // namespace perchlet
