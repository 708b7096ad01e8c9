// Document text meeting the UTF-16 of the W functions, in the document's own encoding.
#pragma once
#include <string>
#include <string_view>

#include "store/encoding.h"

namespace perchlet {

// What a window shows of a title, address or comment.
std::wstring widenText(std::string_view text, TextEncoding encoding);

// Typed or received text as the document keeps it. UTF-8 keeps every character; Shift-JIS
// marks each run of characters it cannot hold with one "〓", counted in lost.
std::string narrowText(std::wstring_view text, TextEncoding encoding, LostCharacters* lost = nullptr);

}  // namespace perchlet
