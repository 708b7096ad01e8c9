// A document's texts from one encoding to the other: when the user lets a Shift-JIS
// document become UTF-8, and when a document is written as Shift-JIS.
#pragma once
#include <cstddef>
#include <string_view>

#include "store/document.h"

namespace perchlet {

// Characters of UTF-8 text that Shift-JIS has no form for (U+FFFD included).
std::size_t charactersShiftJisCannotHold(std::string_view utf8);

// What converting the document into `to` would lose: the characters and the records that
// hold them. Nothing for Shift-JIS to UTF-8 or for a document already in `to`.
struct EncodingLoss {
    std::size_t characters = 0;
    std::size_t items = 0;
};
EncodingLoss lossConvertingTo(const Document& document, TextEncoding to);

// Characters of a data file's titles and comments that a Shift-JIS document could not take:
// nothing for a Shift-JIS file. Counted in a scratch document, so that nothing in the real
// one changes before the user is asked.
std::size_t charactersNotHeldInDataFile(std::string_view dataFileText);

// Converts every record and node into `to` and makes it the document's encoding. Titles and
// comments mark each run of lost characters with one "〓", addresses are percent-encoded, as
// every import does. Returns the records that lost characters. The undo history is emptied
// (its steps hold texts in the old encoding), a step open now holds only what follows, and
// the document counts as changed.
std::size_t convertDocumentEncoding(Document& document, TextEncoding to);

}  // namespace perchlet
