// Text as a Japanese reader compares it when searching: differences of width, of
// hiragana and katakana, of case and of dash forms do not count.
#pragma once
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace perchlet
