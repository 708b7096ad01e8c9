#include "search/sort_order.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "search/search_text.h"
#include "store/encoding.h"

namespace perchlet {

namespace {

enum class CharClass { Symbol, Digit, Letter, Kana, Kanji };

CharClass classOf(char32_t c) {
    if (c >= '0' && c <= '9') return CharClass::Digit;
    if ((c >= 'a' && c <= 'z') || (c >= 0xC0 && c < 0x530 && c != 0xD7 && c != 0xF7)) return CharClass::Letter;
    if (c >= 0x3041 && c <= 0x30FF && c != 0x30FB) return CharClass::Kana;
    if ((c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || c == 0x3005) return CharClass::Kanji;
    return CharClass::Symbol;
}

// The plain kana a small or voiced one is filed under: が and ぱ by は, ぁ by あ, っ by つ.
char32_t plainKana(char32_t c) {
    switch (c) {
    case 0x3041: case 0x3043: case 0x3045: case 0x3047: case 0x3049:  // ぁぃぅぇぉ
    case 0x3083: case 0x3085: case 0x3087: case 0x308E:               // ゃゅょゎ
    case 0x3063:                                                       // っ
        return c + 1;
    case 0x3094: return 0x3046;  // ゔ
    case 0x3095: return 0x304B;  // ゕ
    case 0x3096: return 0x3051;  // ゖ
    }
    if (c >= 0x304C && c <= 0x3062 && (c - 0x304B) % 2 == 1) return c - 1;  // が..ぢ
    if (c >= 0x3065 && c <= 0x3069 && (c - 0x3064) % 2 == 1) return c - 1;  // づ..ど
    if (c >= 0x306F && c <= 0x307D) return c - (c - 0x306F) % 3;            // ば..ぽ
    return c;
}

// Kanji in Shift-JIS order, which files the common ones by their reading.
std::uint32_t codeOrder(char32_t c) {
    std::uint16_t form = cp932FormOf(c);
    return form != 0 ? form : 0x10000u + c;
}

std::size_t digitRunEnd(const std::u32string& s, std::size_t pos) {
    while (pos < s.size() && classOf(s[pos]) == CharClass::Digit) ++pos;
    return pos;
}

// Two runs of digits by value: without leading zeros, the shorter is the smaller.
int compareNumbers(const std::u32string& a, std::size_t& i, const std::u32string& b, std::size_t& j) {
    std::size_t endA = digitRunEnd(a, i), endB = digitRunEnd(b, j);
    while (i + 1 < endA && a[i] == '0') ++i;
    while (j + 1 < endB && b[j] == '0') ++j;
    int result = 0;
    if (endA - i != endB - j) result = endA - i < endB - j ? -1 : 1;
    for (std::size_t k = 0; result == 0 && k < endA - i; ++k)
        if (a[i + k] != b[j + k]) result = a[i + k] < b[j + k] ? -1 : 1;
    i = endA;
    j = endB;
    return result;
}

int comparePlain(char32_t a, char32_t b) {
    CharClass classA = classOf(a), classB = classOf(b);
    if (classA != classB) return classA < classB ? -1 : 1;
    std::uint32_t keyA = a, keyB = b;
    if (classA == CharClass::Kana) keyA = plainKana(a), keyB = plainKana(b);
    if (classA == CharClass::Kanji) keyA = codeOrder(a), keyB = codeOrder(b);
    return keyA == keyB ? 0 : keyA < keyB ? -1 : 1;
}

// First by plain characters and numbers' values; on a tie, voiced and small kana and
// leading zeros decide.
int compareFolded(const std::u32string& a, const std::u32string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        int result;
        if (classOf(a[i]) == CharClass::Digit && classOf(b[j]) == CharClass::Digit) {
            result = compareNumbers(a, i, b, j);
        } else {
            result = comparePlain(a[i], b[j]);
            ++i, ++j;
        }
        if (result != 0) return result;
    }
    if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
    return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

struct SortEntry {
    NodeId node;
    bool folder;
    std::u32string text;  // title or address, folded
    long long date = 0;
};

SortEntry entryOf(const Document& document, NodeId node, SortOrder order) {
    SortEntry entry{node, kindOf(document.tree.node(node).itemNumber) == kKindFolder, {}};
    const BookmarkItem* record = nodeRecord(document, node);
    if (!record) return entry;
    switch (order) {
    case SortOrder::Title: entry.text = foldedCharacters(record->title); break;
    case SortOrder::Address: entry.text = foldedCharacters(record->locator); break;
    case SortOrder::AddedNewestFirst: entry.date = dateSeconds(record->addDate); break;
    case SortOrder::VisitedNewestFirst: entry.date = dateSeconds(record->lastVisit); break;
    }
    return entry;
}

bool goesBefore(const SortEntry& a, const SortEntry& b, SortOrder order) {
    if (a.folder != b.folder) return a.folder;
    switch (order) {
    case SortOrder::Title: return compareFolded(a.text, b.text) < 0;
    case SortOrder::Address: return a.text < b.text;
    case SortOrder::AddedNewestFirst:
    case SortOrder::VisitedNewestFirst: return a.date > b.date;
    }
    return false;
}

bool sortOneFolder(Document& document, NodeId folder, SortOrder order) {
    BookmarkTree& tree = document.tree;
    std::vector<SortEntry> entries;
    for (NodeId c = tree.firstChild(folder); c != kNoNode; c = tree.nextSibling(c))
        entries.push_back(entryOf(document, c, order));
    std::vector<SortEntry> sorted = entries;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [order](const SortEntry& a, const SortEntry& b) { return goesBefore(a, b, order); });
    // Items before the first that changes place stay; from there each is moved to the end.
    std::size_t first = 0;
    while (first < sorted.size() && sorted[first].node == entries[first].node) ++first;
    for (std::size_t k = first; k < sorted.size(); ++k) tree.moveSubtree(sorted[k].node, folder, kNoNode);
    return first < sorted.size();
}

}  // namespace

int compareTitles(std::string_view a, std::string_view b) {
    return compareFolded(foldedCharacters(a), foldedCharacters(b));
}

bool sortChildren(Document& document, NodeId folder, SortOrder order, bool wholeSubtree) {
    if (!document.tree.isAlive(folder)) return false;
    if (!wholeSubtree) return sortOneFolder(document, folder, order);
    std::vector<NodeId> folders;
    document.tree.walkSubtree(folder, [&](NodeId n) {
        if (document.tree.hasChildren(n)) folders.push_back(n);
    });
    bool moved = false;
    for (NodeId f : folders) moved = sortOneFolder(document, f, order) || moved;
    return moved;
}

}  // namespace perchlet
