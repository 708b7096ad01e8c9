// Sorting a folder's items: by title as a Japanese reader orders a list, by address, or by
// date. Folders come before links, and items that compare equal keep their order.
#pragma once
#include <string_view>

#include "store/document.h"

namespace perchlet {

enum class SortOrder { Title, Address, AddedNewestFirst, VisitedNewestFirst };

// Below, at or above zero as Shift-JIS title a goes before, with or after b. Titles are
// folded as find folds them (width, hiragana and katakana, case); kana go in gojūon order,
// voiced and small kana beside their plain ones; runs of digits by their value ("2" before
// "10"); kanji in code order. Symbols go first, then numbers, letters, kana and kanji.
int compareTitles(std::string_view a, std::string_view b);

// Reorders the children of folder; with wholeSubtree, those of every item below it as well.
// Each item that changes place is moved once, so an undo step records only those. False
// when every item was already in its place.
bool sortChildren(Document& document, NodeId folder, SortOrder order, bool wholeSubtree);

}  // namespace perchlet
