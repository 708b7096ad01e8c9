#include "store/document_text_win.h"

#include "shell/text_win.h"

namespace perchlet {

std::wstring widenText(std::string_view text, TextEncoding encoding) {
    if (encoding == TextEncoding::ShiftJis) return widen(text);
    std::u16string wide = utf16OfText(text, encoding);
    return std::wstring(wide.begin(), wide.end());
}

std::string narrowText(std::wstring_view text, TextEncoding encoding, LostCharacters* lost) {
    return textFromUtf16(utf16View(text), encoding, Unrepresentable::Mark, lost);
}

}  // namespace perchlet
