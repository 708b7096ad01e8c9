// Text as a Japanese reader compares it when searching: differences of width, of
// hiragana and katakana, of case and of dash forms do not count.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "store/encoding.h"

namespace perchlet {

// Appends the folded form of Shift-JIS text, as UTF-8 (a folded word then only ever
// matches at character boundaries, which Shift-JIS bytes would not guarantee):
// - full-width ASCII becomes ASCII, the ideographic space a blank;
// - half-width katakana become katakana, a following voiced or semi-voiced mark joined in;
// - katakana become hiragana;
// - Latin, Greek and Cyrillic capitals become small letters;
// - the long-vowel mark and every dash form become "-".
void appendFoldedText(std::string_view shiftJis, std::string& out);
std::string foldedText(std::string_view shiftJis);
// The same folded form as characters, for comparisons that look at each one.
std::u32string foldedCharacters(std::string_view shiftJis);

// The folded words of a query, split at blanks (ASCII or ideographic), tabs and line breaks.
std::vector<std::string> foldedWords(std::string_view shiftJisQuery);

// The same for text in either encoding. UTF-8 text is folded as Shift-JIS is, for every
// character it may hold: accented Latin capitals become small letters too, and a combining
// voiced or semi-voiced mark joins the kana before it.
void appendFoldedText(std::string_view text, TextEncoding encoding, std::string& out);
std::vector<std::string> foldedWords(std::string_view query, TextEncoding encoding);

}  // namespace perchlet
