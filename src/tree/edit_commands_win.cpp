#include "tree/edit_commands_win.h"

#include "shell/dialogs_win.h"
#include "store/data_file.h"
#include "tree/clipboard_win.h"
#include "tree/new_item_win.h"

namespace perchlet {

namespace {

NodeId selection(Workspace& workspace) { return workspace.treeView.selectedNode(); }

// Puts the selected subtree on the clipboard; false when nothing went there.
bool copySelectionToClipboard(Workspace& workspace, NodeId node) {
    if (node == kNoNode) {
        showMessage(workspace.mainWindow, "ツリーアイテムを選択して下さい。", "Cancel !", MB_OK);
        return false;
    }
    std::string text = writeDataFile(workspace.document, node, workspace.document.serials.value);
    if (text.empty()) {
        showMessage(workspace.mainWindow, "データがありません。", "Cancel !", MB_OK);
        return false;
    }
    return writeClipboardText(workspace.mainWindow, text) == kClipboardDone;
}

void deleteSelectionAsking(Workspace& workspace, const char* caption) {
    NodeId node = selection(workspace);
    if (node == kNoNode) {
        showMessage(workspace.mainWindow, "項目が選択されていません", "警告", MB_OK);
        return;
    }
    if (showMessage(workspace.mainWindow, "アイテムを削除します", caption, MB_OKCANCEL) != IDOK) return;
    deleteSubtree(workspace.document, node);
    workspace.document.modified = true;
}

}  // namespace

void toggleEmphasisOfSelection(Workspace& workspace) {
    if (toggleEmphasis(workspace.document, selection(workspace))) workspace.document.modified = true;
}

void moveSelection(Workspace& workspace, SiblingDirection direction) {
    NodeId moved = selection(workspace);
    const BookmarkTree& tree = workspace.document.tree;
    NodeId other = kNoNode;
    if (moved != kNoNode)
        other = direction == SiblingDirection::Up ? tree.previousSibling(moved) : tree.nextSibling(moved);
    if (other != kNoNode) {
        // Both places get new children, which the user has not opened: they end collapsed,
        // and their children's items are made only when they are opened again.
        workspace.treeView.collapseAndForget(moved);
        workspace.treeView.collapseAndForget(other);
        NodeId shown = swapWithSibling(workspace.document, moved, direction);
        if (shown != kNoNode) {
            workspace.document.history.setFocus(moved, shown);
            workspace.treeView.select(shown);
        }
    }
    workspace.document.modified = true;
}

void cutSelection(Workspace& workspace) {
    NodeId node = selection(workspace);
    if (!copySelectionToClipboard(workspace, node)) return;
    deleteSubtree(workspace.document, node);
    workspace.document.modified = true;
}

void copySelection(Workspace& workspace) { copySelectionToClipboard(workspace, selection(workspace)); }

void pasteUnderSelection(Workspace& workspace) {
    NodeId target = selection(workspace);
    if (target == kNoNode) return;
    std::string text;
    if (readClipboardText(workspace.mainWindow, text) != kClipboardDone) {
        showMessage(workspace.mainWindow, "クリップボードを開きませんでした。", "Cancel !", MB_OK);
        return;
    }
    workspace.document.loaded = true;
    DataFileReadResult result = importDataFile(text, workspace.document, target, workspace.treeView);
    if (!result.rejected) workspace.document.serials.value = result.nextCounter;
    workspace.document.modified = true;
}

void deleteSelectionFromMenu(Workspace& workspace) { deleteSelectionAsking(workspace, "右クリックメニュー"); }

void deleteSelectionFromKey(Workspace& workspace) { deleteSelectionAsking(workspace, "アクセラレーターキー：削除"); }

void deleteSelectionNow(Workspace& workspace) {
    NodeId node = selection(workspace);
    if (node == kNoNode) return;
    deleteSubtree(workspace.document, node);
    workspace.document.modified = true;
}

void newFolder(Workspace& workspace) {
    NewItemFields fields;
    fields.title = "新しいフォルダ";
    fields.x = fields.y = fields.width = fields.height = "0";
    newItemUnderSelection(workspace, fields);
}

}  // namespace perchlet
