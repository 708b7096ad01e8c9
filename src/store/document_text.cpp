#include "store/document_text.h"

#include "store/data_file.h"

namespace perchlet {

std::string writeWholeDocument(const Document& document) {
    if (document.tree.firstTopLevel() == kNoNode) return {};
    return writeDataFile(document, kTopLevel, 0, document.file.encoding);
}

}  // namespace perchlet
