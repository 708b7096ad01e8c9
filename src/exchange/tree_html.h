// The foldable tree page: a subtree drawn with line-drawing characters, in which every item
// with children can be folded by clicking the "＋" in front of it. Export only.
#pragma once
#include <string>

#include "store/document.h"

namespace perchlet {

// The whole page for start's subtree (for kTopLevel, every top-level item's, one after
// another); empty for no node. Titles, addresses and dates are
// written with & < > and " as character references.
std::string exportTreeHtml(const Document& document, NodeId start);

}  // namespace perchlet
