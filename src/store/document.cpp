#include "store/document.h"

namespace perchlet {

void resetDocument(Document& document) {
    document.tree.clear();
    document.items.reset(makeRootRecord(dateStampNow()));
    document.serials = SerialCounter{};
    document.fileName.clear();
    document.filePath.clear();
    document.modified = false;
}

}  // namespace perchlet
