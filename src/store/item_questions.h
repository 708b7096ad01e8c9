// The questions that name the items they act on, as the message boxes ask them.
#pragma once
#include <string>

#include "store/document.h"

namespace perchlet {

// The number of items below node, at every level.
std::size_t descendantCount(const BookmarkTree& tree, NodeId node);

// "\"ニュース\" と、その中の 12 項目を削除しますか？", or without the count for an item with
// nothing inside. The titles are in `titles`; the question is Shift-JIS.
std::string deleteQuestion(const BookmarkTree& tree, NodeId node, TextEncoding titles = TextEncoding::ShiftJis);

// "\"記事\" を \"ニュース\" の中へ移動しますか？"
std::string moveQuestion(const BookmarkTree& tree, NodeId moved, NodeId target,
                         TextEncoding titles = TextEncoding::ShiftJis);

// "\"記事\" を \"ニュース\" の中へコピーしますか？"
std::string copyQuestion(const BookmarkTree& tree, NodeId copied, NodeId target,
                         TextEncoding titles = TextEncoding::ShiftJis);

}  // namespace perchlet
