// CSV files: a subtree flattened to one row per item, and rows read back as links.
#pragma once
#include <string>
#include <string_view>

#include "exchange/netscape.h"

namespace perchlet {

// Line 1 is startDirectory (the folder the program started in), line 2 the header, then a
// row for every item of start's subtree in display order. Empty for no node.
std::string exportCsv(const Document& document, NodeId start, std::string_view startDirectory);

// Every row that starts with a digit becomes a web link directly under target. Lines end
// in CR LF; the first two lines are never data and a last line without CR LF is not read.
// Marks the document modified.
ImportResult importCsv(std::string_view text, Document& document, NodeId target);

}  // namespace perchlet
