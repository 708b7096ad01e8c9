// The foldable tree page: a subtree drawn with line-drawing characters, in which every item
// with children can be folded by clicking the "＋" in front of it. Export only.
#pragma once
#include <string>

#include "store/document.h"
#include "store/encoding.h"

namespace perchlet {

// The whole page for start's subtree (for kTopLevel, every top-level item's, one after
// another); empty for no node. Titles, addresses and dates are
// written with & < > and " as character references.
std::string exportTreeHtml(const Document& document, NodeId start);
// The same for a document in either encoding: from a UTF-8 document the page is UTF-8 and
// says so in a <META> charset.
std::string exportTreeHtmlAs(const Document& document, NodeId start, TextEncoding encoding);

}  // namespace perchlet
