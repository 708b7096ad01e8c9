#include "store/document_text.h"

#include "store/data_file.h"

namespace perchlet {

std::string writeWholeDocument(const Document& document) {
    std::string text;
    std::size_t written = 0;
    const std::size_t headerLength = std::char_traits<char>::length(kDataFileHeader);
    for (NodeId top = document.tree.firstTopLevel(); top != kNoNode; top = document.tree.nextSibling(top)) {
        std::string part = writeDataFile(document, top, static_cast<std::uint16_t>(written));
        if (text.empty()) text = std::move(part);
        else text.append(part, headerLength, std::string::npos);
        document.tree.walkSubtree(top, [&](NodeId) { ++written; });
    }
    return text;
}

}  // namespace perchlet
