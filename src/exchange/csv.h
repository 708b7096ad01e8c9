// CSV files: a subtree flattened to one row per item, and rows read back as links.
#pragma once
#include <string>
#include <string_view>

#include "exchange/netscape.h"

namespace perchlet {

// Line 1 is startDirectory (the folder the program started in), line 2 the header, then a
// row for every item of start's subtree in display order (for kTopLevel, of every top-level
// item's subtree, numbered on). Empty for no node. An address holding a comma or a double
// quote is written in double quotes, its quotes doubled; every other field as it always was.
// From a UTF-8 document (startDirectory in UTF-8 too) the file is UTF-8 after a byte order
// mark, which spreadsheet programs read it by.
std::string exportCsv(const Document& document, NodeId start, std::string_view startDirectory,
                      TextEncoding encoding = TextEncoding::ShiftJis);

// The encoding of a CSV file's text.
enum class CsvText { ShiftJis, Utf8 };

// Every row that starts with a digit becomes a web link directly under target. The first two
// lines are never data. Lines end in CR LF, or, in a file without any CR LF, in LF or in CR;
// there a quoted comment runs on over line ends to its closing quote. The last row needs no
// line end. The text is converted field by field into the document's encoding (`into`): into
// Shift-JIS, an address keeps the characters that Shift-JIS cannot hold, percent-encoded.
// Marks the document modified.
ImportResult importCsv(std::string_view text, Document& document, NodeId target, CsvText encoding = CsvText::ShiftJis,
                       TextEncoding into = TextEncoding::ShiftJis);

}  // namespace perchlet
