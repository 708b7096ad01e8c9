#include "tree/rename_win.h"

#include <string>

#include "shell/dialogs_win.h"
#include "store/document_text_win.h"
#include "store/incoming_text_win.h"
#include "store/tree_edit.h"

namespace perchlet {

namespace {

constexpr char kRenameCaption[] = "名前の変更";

}  // namespace

void sayMarkedCharacters(HWND owner, std::size_t runs, const char* caption) {
    if (runs == 0) return;
    std::string text = "Shift-JIS で表せない文字が " + std::to_string(runs) +
                       " か所ありました。\r\nその文字のあった所は「〓」にしてあります。";
    showMessage(owner, text, caption, MB_OK | MB_ICONINFORMATION);
}

void renameSelection(Workspace& workspace) {
    NodeId node = workspace.treeView.selectedNode();
    HTREEITEM item = node == kNoNode ? nullptr : workspace.treeView.itemOf(node);
    if (!item) return;
    SetFocus(workspace.treeView.window());
    workspace.treeView.armLabelEdit(true);
    TreeView_EditLabel(workspace.treeView.window(), item);
}

bool refuseLabelEdit(Workspace& workspace, const NMTVDISPINFOW& info) {
    bool asked = workspace.treeView.labelEditArmed();
    workspace.treeView.armLabelEdit(false);
    return !asked || workspace.treeView.nodeOf(info.item.hItem) == kNoNode;
}

bool finishLabelEdit(Workspace& workspace, const NMTVDISPINFOW& info) {
    if (!info.item.pszText) return false;  // Escape
    NodeId node = workspace.treeView.nodeOf(info.item.hItem);
    if (node == kNoNode) return false;
    TextEncoding encoding =
        encodingForIncomingText(workspace.mainWindow, workspace.document, info.item.pszText, kRenameCaption);
    LostCharacters lost;
    std::string title = narrowText(info.item.pszText, encoding, &lost);
    std::size_t marked = lost.runs;
    RenameResult result;
    {
        UndoStep step(workspace.document, kRenameCaption);
        result = renameItem(workspace.document, node, title);
    }
    if (result == RenameResult::EmptyTitle) {
        showMessage(workspace.mainWindow, "タイトルを空にはできません。元のタイトルのままにします。", kRenameCaption,
                    MB_OK | MB_ICONWARNING);
    } else if (result == RenameResult::Renamed) {
        sayMarkedCharacters(workspace.mainWindow, marked, kRenameCaption);
    }
    return result == RenameResult::Renamed;
}

}  // namespace perchlet
