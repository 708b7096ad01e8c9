#include "search/search_index.h"

#include <algorithm>
#include <functional>

#include "search/search_text.h"

namespace perchlet {

namespace {

constexpr std::size_t kMaxWords = 64;
using WordMask = std::uint64_t;

struct QueryWord {
    std::string text;
    std::boyer_moore_horspool_searcher<std::string::const_iterator> searcher;
    explicit QueryWord(std::string word)
        : text(std::move(word)), searcher(text.begin(), text.end()) {}
};

}  // namespace

SearchIndex::SearchIndex(const Document& document) : document_(document), encoding_(document.file.encoding) {
    auto& tree = const_cast<BookmarkTree&>(document_.tree);
    tree.addObserver(this);
    for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top))
        tree.walkSubtree(top, [this](NodeId n) { markStale(n); });
}

SearchIndex::~SearchIndex() { const_cast<BookmarkTree&>(document_.tree).removeObserver(this); }

void SearchIndex::markStale(NodeId node) {
    if (entries_.size() <= node) entries_.resize(node + 1);
    if (entries_[node].queued) return;
    entries_[node].queued = true;
    stale_.push_back(node);
}

void SearchIndex::nodeInserted(NodeId node) { markStale(node); }
void SearchIndex::nodeChanged(NodeId node) { markStale(node); }

void SearchIndex::subtreeRemoving(NodeId node) {
    document_.tree.walkSubtree(node, [this](NodeId n) {
        if (n < entries_.size()) entries_[n] = Entry{};
    });
}

void SearchIndex::subtreeAttached(NodeId node) {
    document_.tree.walkSubtree(node, [this](NodeId n) { markStale(n); });
}

void SearchIndex::treeCleared() {
    entries_.clear();
    stale_.clear();
}

void SearchIndex::fold(NodeId node, Entry& entry) {
    const TreeNode& treeNode = document_.tree.node(node);
    const BookmarkItem* record = nodeRecord(document_, node);
    entry.text.clear();
    appendFoldedText(treeNode.text, encoding_, entry.text);
    entry.titleLength = static_cast<std::uint32_t>(entry.text.size());
    if (record) {
        entry.text += '\n';
        appendFoldedText(record->locator, encoding_, entry.text);
        entry.text += '\n';
        appendFoldedText(record->comment, encoding_, entry.text);
    }
    entry.text.shrink_to_fit();
    entry.queued = false;
}

void SearchIndex::refresh() {
    for (NodeId node : stale_) {
        if (node >= entries_.size() || !entries_[node].queued) continue;
        if (document_.tree.isAlive(node)) fold(node, entries_[node]);
        else entries_[node] = Entry{};
    }
    stale_.clear();
}

// A document converted to another encoding has every entry folded again.
void SearchIndex::followEncoding() {
    if (encoding_ == document_.file.encoding) return;
    encoding_ = document_.file.encoding;
    const BookmarkTree& tree = document_.tree;
    for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top))
        tree.walkSubtree(top, [this](NodeId n) { markStale(n); });
}

std::vector<NodeId> SearchIndex::find(std::string_view queryText) {
    followEncoding();
    std::vector<std::string> words = foldedWords(queryText, encoding_);
    if (words.empty()) return {};
    if (words.size() > kMaxWords) words.resize(kMaxWords);
    std::vector<QueryWord> query;
    query.reserve(words.size());
    for (std::string& word : words) query.emplace_back(std::move(word));
    WordMask all = query.size() == kMaxWords ? ~WordMask{0} : (WordMask{1} << query.size()) - 1;

    refresh();
    const BookmarkTree& tree = document_.tree;
    std::vector<NodeId> hits;
    // Depth-first: pathMasks[d] holds the words that the titles of the folders above the
    // current node at depth d contain.
    std::vector<WordMask> pathMasks{0};
    NodeId node = tree.firstTopLevel();
    std::size_t depth = 0;
    while (node != kNoNode) {
        WordMask path = pathMasks[depth];
        WordMask inTitle = 0, inText = 0;
        if (node < entries_.size()) {
            const Entry& entry = entries_[node];
            for (std::size_t w = 0; w < query.size(); ++w) {
                WordMask bit = WordMask{1} << w;
                if (path & bit) continue;
                auto found = std::search(entry.text.begin(), entry.text.end(), query[w].searcher);
                if (found == entry.text.end()) continue;
                inText |= bit;
                if (static_cast<std::size_t>(found - entry.text.begin()) < entry.titleLength) inTitle |= bit;
            }
        }
        if ((path | inText) == all) hits.push_back(node);

        if (tree.firstChild(node) != kNoNode) {
            if (pathMasks.size() <= depth + 1) pathMasks.resize(depth + 2);
            pathMasks[++depth] = path | inTitle;
            node = tree.firstChild(node);
            continue;
        }
        while (node != kNoNode && tree.nextSibling(node) == kNoNode) {
            node = tree.parent(node);
            if (node == kTopLevel) node = kNoNode;
            else --depth;
        }
        if (node != kNoNode) node = tree.nextSibling(node);
    }
    return hits;
}

std::string folderPathOf(const BookmarkTree& tree, NodeId node) {
    std::vector<NodeId> ancestors;
    for (NodeId p = tree.parent(node); p != kTopLevel && p != kNoNode; p = tree.parent(p)) ancestors.push_back(p);
    std::string path;
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
        if (!path.empty()) path += '/';
        path += tree.node(*it).text;
    }
    return path;
}

}  // namespace perchlet
