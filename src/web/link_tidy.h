// Tidying a subtree: what the link check and the structure say needs attention (dead,
// moved and blocked links, empty folders, duplicates), and the actions on the rows the
// user picks. The callers open one undo step per action.
#pragma once
#include <string>
#include <vector>

#include "store/document.h"
#include "store/tree_population.h"
#include "web/link_check.h"

namespace perchlet {

enum class TidyKind { Dead, Moved, Blocked, EmptyFolder, Duplicate };

struct TidyRow {
    TidyKind kind = TidyKind::Dead;
    NodeId node = kNoNode;
    std::string locator;     // Shift-JIS, as the record had it when the row was made
    std::string newAddress;  // Shift-JIS; Moved only
    LinkClass linkClass = LinkClass::Ok;
    bool checked = false;    // what the window ticks at first
};

// The folder the check covers: the selected node when it is a folder, else the whole tree.
NodeId tidyScopeOf(const Document& document, NodeId selected);

// The rows for the links the check found dead, moved or blocked, in tree order.
std::vector<TidyRow> linkRowsOf(const Document& document, const LinkCheckPlan& plan);
// Folders without children under start (kNoNode: the whole tree), neither start nor a
// top-level item; and every copy after the first of an address kept more than once.
std::vector<TidyRow> structureRowsOf(const Document& document, NodeId start);

// "リンク切れ（ページがありません）", "移転 → http://…" and the like, Shift-JIS.
std::string tidyKindLabel(TidyKind kind);
std::string tidyRowDetail(const TidyRow& row);

// True when the row's node still holds what the row was made from.
bool rowStillHolds(const Document& document, const TidyRow& row);

constexpr const char* kDeadLinkFolderTitle = "リンク切れ";

// Each returns how many rows it acted on; rows that no longer hold are passed over.
std::size_t deleteRows(Document& document, const std::vector<TidyRow>& rows);
// Into the folder named kDeadLinkFolderTitle under the top-level item, made when missing.
std::size_t moveRowsToDeadLinkFolder(Document& document, const std::vector<TidyRow>& rows, ShellIconSource& icons);
// Moved rows: the new address replaces the old, which becomes the comment's last line.
std::size_t updateMovedRows(Document& document, const std::vector<TidyRow>& rows);
// Empty-folder rows whose folder is still empty.
std::size_t deleteEmptyFolderRows(Document& document, const std::vector<TidyRow>& rows);

}  // namespace perchlet
