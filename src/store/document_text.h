// The whole document as data file text.
#pragma once
#include <string>

#include "store/document.h"

namespace perchlet {

// Every top-level item's subtree in order, numbered from base 0 as one walk. A document
// normally has one top-level item (the root); a file with several records of depth 1 gives
// more, and none of them may be dropped when the document is saved. Written in the document's
// own encoding. Empty for an empty tree.
std::string writeWholeDocument(const Document& document);

}  // namespace perchlet
