// Before text from outside enters a document: the one question a Shift-JIS document asks
// when the text holds characters it cannot keep.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <windows.h>

#include "store/document.h"

namespace perchlet {

// The encoding the text is to come in as. A Shift-JIS document that would lose characters
// asks once (through the message-box door, under caption) and remembers the answer with
// its file; "switch" converts the document to UTF-8 here, before the text comes in.
TextEncoding encodingForIncomingText(HWND owner, Document& document, std::size_t charactersNotHeld,
                                     const std::string& caption);

// The same for text the user typed or a window gave, counted here.
TextEncoding encodingForIncomingText(HWND owner, Document& document, std::wstring_view text,
                                     const std::string& caption);

// The one note after characters were marked; nothing when none were.
void sayCharactersMarked(HWND owner, std::size_t charactersNotHeld, const std::string& caption);

}  // namespace perchlet
