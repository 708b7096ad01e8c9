// Documents built by hand for the tests: for the exchange tests, a root and items added under
// it with fixed field values, so that exported bytes can be written out; for the window
// tests, items added as the editor adds them.
#pragma once
#include <string>
#include <vector>

#include "exchange/netscape.h"
#include "store/document.h"
#include "store/tree_population.h"

namespace perchlet::testing {

// Every local file gets the same pair of images: the shell's icons do not matter to a test.
struct NoShellIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return {12, 13}; }
};

// A folder (no locator) or link under parent, made as the editor makes one: its kind follows
// the locator and its images come from icons.
inline NodeId addItemUnder(Document& document, ShellIconSource& icons, NodeId parent, const std::string& title,
                           const std::string& locator = "", const std::string& comment = "") {
    NewItemFields fields;
    fields.title = title;
    fields.locator = locator;
    fields.comment = comment;
    return newItemUnder(document, parent, fields, icons);
}

struct TestTree {
    Document doc;
    NodeId root;
    BookmarkItem defaults;  // every added record starts as a copy of this

    TestTree() : root(insertRootItem(doc)) {}

    // The root's add-date and the dates every added item gets.
    TestTree(std::string rootAddDate, std::string addDate, std::string lastModified, std::string lastVisit)
        : TestTree() {
        doc.items.head().addDate = std::move(rootAddDate);
        defaults.addDate = std::move(addDate);
        defaults.lastModified = std::move(lastModified);
        defaults.lastVisit = std::move(lastVisit);
    }

    NodeId add(NodeId parent, unsigned kind, std::string title, std::string locator = "",
               std::string comment = "") {
        BookmarkItem record = defaults;
        record.title = std::move(title);
        record.locator = std::move(locator);
        record.comment = std::move(comment);
        return addImportedItem(doc, parent, kind, std::move(record)).node;
    }

    const BookmarkItem& record(NodeId node) const { return recordOfNode(doc, node); }

    std::vector<NodeId> children(NodeId parent) const {
        std::vector<NodeId> nodes;
        for (NodeId n = doc.tree.firstChild(parent); n != kNoNode; n = doc.tree.nextSibling(n)) nodes.push_back(n);
        return nodes;
    }

    std::vector<std::string> childTitles(NodeId parent) const {
        std::vector<std::string> titles;
        for (NodeId n : children(parent)) titles.push_back(doc.tree.node(n).text);
        return titles;
    }

    std::vector<const BookmarkItem*> childRecords(NodeId parent) const {
        std::vector<const BookmarkItem*> records;
        for (NodeId n : children(parent)) records.push_back(&record(n));
        return records;
    }

    NodeId child(NodeId parent, std::size_t index) const {
        std::vector<NodeId> nodes = children(parent);
        return index < nodes.size() ? nodes[index] : kNoNode;
    }

    NodeId childTitled(NodeId parent, const std::string& title) const {
        for (NodeId n : children(parent))
            if (doc.tree.node(n).text == title) return n;
        return kNoNode;
    }
};

}  // namespace perchlet::testing
