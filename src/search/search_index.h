// Finding items by the words of a query, on folded copies of their texts kept beside the
// document and brought up to date as the tree tells of changes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/document.h"

namespace perchlet {

class SearchIndex : public TreeObserver {
public:
    // Follows document's tree from now on, in the document's encoding (also when that
    // changes); items already there are indexed too.
    explicit SearchIndex(const Document& document);
    ~SearchIndex() override;
    SearchIndex(const SearchIndex&) = delete;
    SearchIndex& operator=(const SearchIndex&) = delete;

    // The items of which every word of the query occurs in the title, the address, the
    // comment or the folder path (the titles of the ancestors), in tree order. A query
    // without words finds nothing; words after the 64th are not looked at.
    // The query is in the document's encoding.
    std::vector<NodeId> find(std::string_view queryText);

    // TreeObserver: changes only mark entries; they are folded again at the next search,
    // so that loading a large file costs next to nothing here.
    void nodeInserted(NodeId node) override;
    void subtreeRemoving(NodeId node) override;
    void nodeChanged(NodeId node) override;
    void treeCleared() override;
    void subtreeAttached(NodeId node) override;

private:
    struct Entry {
        std::string text;  // folded title, '\n', locator, '\n', comment
        std::uint32_t titleLength = 0;
        bool queued = false;  // changed since it was last folded
    };

    void markStale(NodeId node);
    void refresh();
    void fold(NodeId node, Entry& entry);
    void followEncoding();

    const Document& document_;
    TextEncoding encoding_;  // the entries' folded texts
    std::vector<Entry> entries_;  // by node
    std::vector<NodeId> stale_;
};

// The titles of a node's ancestors from the top, joined by "/" (Shift-JIS).
std::string folderPathOf(const BookmarkTree& tree, NodeId node);

}  // namespace perchlet
