#include "web/link_tidy.h"

#include <unordered_set>

#include "search/duplicates.h"
#include "store/bookmark_item.h"
#include "store/item_number.h"
#include "store/tree_edit.h"

namespace perchlet {

namespace {

bool isFolder(const Document& document, NodeId node) {
    return kindOf(document.tree.node(node).itemNumber) == kKindFolder;
}

bool isWithin(const BookmarkTree& tree, NodeId start, NodeId node) {
    return start == kNoNode || node == start || tree.isAncestor(start, node);
}

std::string locatorOf(const Document& document, NodeId node) {
    const BookmarkItem* record = nodeRecord(document, node);
    return record ? record->locator.str() : std::string();
}

TidyRow rowFor(const Document& document, TidyKind kind, NodeId node, bool checked) {
    TidyRow row;
    row.kind = kind;
    row.node = node;
    row.locator = locatorOf(document, node);
    row.checked = checked;
    return row;
}

// The rows of nodes whose ancestor is in the rows too are left out: the ancestor takes them.
std::vector<NodeId> outermostNodes(const Document& document, const std::vector<TidyRow>& rows) {
    std::unordered_set<NodeId> chosen;
    for (const TidyRow& row : rows)
        if (rowStillHolds(document, row)) chosen.insert(row.node);
    std::vector<NodeId> nodes;
    for (const TidyRow& row : rows) {
        if (!chosen.count(row.node)) continue;
        bool underChosen = false;
        for (NodeId up = document.tree.parent(row.node); up != kNoNode && up != kTopLevel && !underChosen;
             up = document.tree.parent(up))
            underChosen = chosen.count(up) > 0;
        if (!underChosen) nodes.push_back(row.node);
        chosen.erase(row.node);  // a node listed twice is acted on once
    }
    return nodes;
}

// A server's Location may hold bytes the data file's code page cannot: kept percent-encoded,
// the address stays the one the server gave.
std::string asciiAddress(const std::string& address) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : address) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
    return out;
}

NodeId deadLinkFolder(Document& document, ShellIconSource& icons) {
    NodeId top = document.tree.firstTopLevel();
    std::string title = convertText(kDeadLinkFolderTitle, TextEncoding::ShiftJis, document.file.encoding);
    for (NodeId child = document.tree.firstChild(top); child != kNoNode; child = document.tree.nextSibling(child))
        if (isFolder(document, child) && document.tree.node(child).text == title) return child;
    NewItemFields fields;
    fields.title = title;
    fields.x = fields.y = fields.width = fields.height = "0";
    return newItemUnder(document, top, fields, icons);
}

}  // namespace

NodeId tidyScopeOf(const Document& document, NodeId selected) {
    if (selected != kNoNode && document.tree.isAlive(selected) && isFolder(document, selected)) return selected;
    return kNoNode;
}

std::vector<TidyRow> linkRowsOf(const Document& document, const LinkCheckPlan& plan) {
    std::vector<TidyRow> rows;
    for (const PlannedLink& link : plan.links) {
        if (!link.web) continue;
        const LinkProbe& probe = plan.probes[link.probe];
        // The tree may have changed, or another file been opened, while the check ran.
        bool stillThere = document.tree.isAlive(link.node) && link.node != kTopLevel &&
                          requestAddressOf(locatorOf(document, link.node), document.file.encoding) == probe.address;
        if (!probe.done || !stillThere) continue;
        TidyKind kind;
        if (isDeadLink(probe.linkClass)) kind = TidyKind::Dead;
        else if (probe.linkClass == LinkClass::MovedPermanently) kind = TidyKind::Moved;
        else if (probe.linkClass == LinkClass::Blocked) kind = TidyKind::Blocked;
        else continue;
        TidyRow row = rowFor(document, kind, link.node, kind != TidyKind::Blocked);
        row.linkClass = probe.linkClass;
        if (kind == TidyKind::Moved) row.newAddress = asciiAddress(probe.newAddress);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TidyRow> structureRowsOf(const Document& document, NodeId start) {
    std::vector<TidyRow> rows;
    const BookmarkTree& tree = document.tree;
    if (start != kNoNode && !tree.isAlive(start)) return rows;  // the folder went while the check ran
    auto visit = [&](NodeId node) {
        bool topLevel = tree.parent(node) == kTopLevel;
        if (node != start && !topLevel && isFolder(document, node) && !tree.hasChildren(node))
            rows.push_back(rowFor(document, TidyKind::EmptyFolder, node, true));
    };
    if (start != kNoNode) tree.walkSubtree(start, visit);
    else
        for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top)) tree.walkSubtree(top, visit);

    for (const DuplicateGroup& group : findDuplicates(document)) {
        bool first = true;
        for (NodeId node : group.nodes) {
            if (!isWithin(tree, start, node)) continue;
            // The first copy is the one kept, so it gets no row.
            if (!first) rows.push_back(rowFor(document, TidyKind::Duplicate, node, false));
            first = false;
        }
    }
    return rows;
}

std::string tidyKindLabel(TidyKind kind) {
    switch (kind) {
    case TidyKind::Dead: return "リンク切れ";
    case TidyKind::Moved: return "移転";
    case TidyKind::Blocked: return "アクセス拒否";
    case TidyKind::EmptyFolder: return "空のフォルダ";
    default: return "重複";
    }
}

std::string tidyRowDetail(const TidyRow& row) {
    switch (row.kind) {
    case TidyKind::Dead:
    case TidyKind::Blocked: return linkClassLabel(row.linkClass);
    case TidyKind::Moved: return row.locator + " → " + row.newAddress;
    case TidyKind::EmptyFolder: return {};
    default: return row.locator;
    }
}

bool rowStillHolds(const Document& document, const TidyRow& row) {
    return document.tree.isAlive(row.node) && row.node != kTopLevel && locatorOf(document, row.node) == row.locator;
}

std::size_t deleteRows(Document& document, const std::vector<TidyRow>& rows) {
    std::vector<NodeId> nodes = outermostNodes(document, rows);
    for (NodeId node : nodes) deleteSubtree(document, node);
    return nodes.size();
}

std::size_t moveRowsToDeadLinkFolder(Document& document, const std::vector<TidyRow>& rows, ShellIconSource& icons) {
    std::vector<NodeId> nodes = outermostNodes(document, rows);
    if (nodes.empty()) return 0;
    NodeId folder = deadLinkFolder(document, icons);
    std::size_t moved = 0;
    for (NodeId node : nodes) {
        if (node == folder || document.tree.isAncestor(node, folder) || document.tree.parent(node) == folder) continue;
        moveSubtreeUnder(document, folder, node);
        ++moved;
    }
    return moved;
}

std::size_t updateMovedRows(Document& document, const std::vector<TidyRow>& rows) {
    std::size_t updated = 0;
    for (const TidyRow& row : rows) {
        if (row.kind != TidyKind::Moved || row.newAddress.empty() || !rowStillHolds(document, row)) continue;
        const BookmarkItem* before = nodeRecord(static_cast<const Document&>(document), row.node);
        const char* lineEnd = before->comment.view().find("\r\n") != std::string::npos ? "\r\n" : "\n";
        std::string comment = before->comment.empty() ? row.locator : before->comment + lineEnd + row.locator;
        // An old address cut short would be lost: such a link keeps its address.
        if (comment.size() > textFieldMax(document.file.encoding) || fitAddress(row.newAddress) != row.newAddress)
            continue;
        BookmarkItem* record = nodeRecord(document, row.node);
        record->locator = row.newAddress;
        record->comment = comment;
        ++updated;
    }
    return updated;
}

std::size_t deleteEmptyFolderRows(Document& document, const std::vector<TidyRow>& rows) {
    std::vector<TidyRow> empty;
    for (const TidyRow& row : rows)
        if (row.kind == TidyKind::EmptyFolder && rowStillHolds(document, row) && !document.tree.hasChildren(row.node))
            empty.push_back(row);
    return deleteRows(document, empty);
}

}  // namespace perchlet
