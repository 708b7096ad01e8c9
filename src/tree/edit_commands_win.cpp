#include "tree/edit_commands_win.h"

#include "app/command_ids.h"
#include "app/dialogs_win.h"
#include "store/data_file.h"
#include "tree/clipboard_win.h"
#include "tree/new_item_win.h"
#include "tree/tree_edit.h"

#include <optional>

namespace perchlet {

namespace {

NodeId selection(App& app) { return app.treeView.selectedNode(); }

void toggleEmphasisOfSelection(App& app) {
    if (toggleEmphasis(app.document, selection(app))) app.document.modified = true;
}

void moveSelection(App& app, SiblingDirection direction) {
    NodeId moved = selection(app);
    const BookmarkTree& tree = app.document.tree;
    NodeId other = kNoNode;
    if (moved != kNoNode)
        other = direction == SiblingDirection::Up ? tree.previousSibling(moved) : tree.nextSibling(moved);
    if (other != kNoNode) {
        // Both places get new children, which the user has not opened: they end collapsed,
        // and their children's items are made only when they are opened again.
        app.treeView.collapseAndForget(moved);
        app.treeView.collapseAndForget(other);
        NodeId shown = swapWithSibling(app.document, moved, direction);
        if (shown != kNoNode) {
            app.document.history.setFocus(moved, shown);
            app.treeView.select(shown);
        }
    }
    app.document.modified = true;
}

// Puts the selected subtree on the clipboard; false when nothing went there.
bool copySelectionToClipboard(App& app, NodeId node) {
    if (node == kNoNode) {
        showMessage(app.mainWindow, "ツリーアイテムを選択して下さい。", "Cancel !", MB_OK);
        return false;
    }
    std::string text = writeDataFile(app.document, node, app.document.serials.value);
    if (text.empty()) {
        showMessage(app.mainWindow, "データがありません。", "Cancel !", MB_OK);
        return false;
    }
    return writeClipboardText(app.mainWindow, text) == kClipboardDone;
}

void cutSelection(App& app) {
    NodeId node = selection(app);
    if (!copySelectionToClipboard(app, node)) return;
    deleteSubtree(app.document, node);
    app.document.modified = true;
}

void copySelection(App& app) { copySelectionToClipboard(app, selection(app)); }

void pasteUnderSelection(App& app) {
    NodeId target = selection(app);
    if (target == kNoNode) return;
    std::string text;
    if (readClipboardText(app.mainWindow, text) != kClipboardDone) {
        showMessage(app.mainWindow, "クリップボードを開きませんでした。", "Cancel !", MB_OK);
        return;
    }
    app.document.loaded = true;
    DataFileReadResult result = importDataFile(text, app.document, target, app.treeView);
    if (!result.rejected) app.document.serials.value = result.nextCounter;
    app.document.modified = true;
}

void deleteSelectionAsking(App& app, const char* caption) {
    NodeId node = selection(app);
    if (node == kNoNode) {
        showMessage(app.mainWindow, "項目が選択されていません", "警告", MB_OK);
        return;
    }
    if (showMessage(app.mainWindow, "アイテムを削除します", caption, MB_OKCANCEL) != IDOK) return;
    deleteSubtree(app.document, node);
    app.document.modified = true;
}

void deleteSelectionNow(App& app) {
    NodeId node = selection(app);
    if (node == kNoNode) return;
    deleteSubtree(app.document, node);
    app.document.modified = true;
}

void newFolder(App& app) {
    NewItemFields fields;
    fields.title = "新しいフォルダ";
    fields.x = fields.y = fields.width = fields.height = "0";
    newItemUnderSelection(app, fields);
}

// The name each changing command gives its undo step; nullptr for those that change nothing.
const char* stepNameOf(int command) {
    switch (command) {
    case CMD_EMPHASIS: return "強調";
    case CMD_MOVE_UP:
    case ACC_MOVE_UP: return "上へ移動";
    case CMD_MOVE_DOWN:
    case ACC_MOVE_DOWN: return "下へ移動";
    case CMD_CUT:
    case ACC_CUT: return "切り取り";
    case CMD_PASTE:
    case ACC_PASTE: return "貼り付け";
    case CMD_DELETE:
    case ACC_DELETE_ASK:
    case ACC_DELETE_NOW: return "削除";
    case CMD_NEW_FOLDER: return "新しいフォルダ";
    }
    return nullptr;
}

// Opens the command's undo step, for as long as step lives.
void openStepFor(std::optional<UndoStep>& step, App& app, int command) {
    if (const char* name = stepNameOf(command)) step.emplace(app.document, name);
}

}  // namespace

bool handleEditCommand(App& app, int command) {
    std::optional<UndoStep> step;
    openStepFor(step, app, command);
    switch (command) {
    case CMD_EMPHASIS: toggleEmphasisOfSelection(app); return true;
    case CMD_MOVE_UP: moveSelection(app, SiblingDirection::Up); return true;
    case CMD_MOVE_DOWN: moveSelection(app, SiblingDirection::Down); return true;
    case CMD_CUT: cutSelection(app); return true;
    case CMD_COPY: copySelection(app); return true;
    case CMD_PASTE: pasteUnderSelection(app); return true;
    case CMD_DELETE: deleteSelectionAsking(app, "右クリックメニュー"); return true;
    case CMD_NEW_FOLDER: newFolder(app); return true;
    }
    return false;
}

void handleTreeKeyCommand(App& app, int command) {
    std::optional<UndoStep> step;
    openStepFor(step, app, command);
    switch (command) {
    case ACC_MOVE_UP: moveSelection(app, SiblingDirection::Up); break;
    case ACC_MOVE_DOWN: moveSelection(app, SiblingDirection::Down); break;
    case ACC_DELETE_ASK: deleteSelectionAsking(app, "アクセラレーターキー：削除"); break;
    case ACC_DELETE_NOW: deleteSelectionNow(app); break;
    case ACC_CUT: cutSelection(app); break;
    case ACC_COPY: copySelection(app); break;
    case ACC_PASTE: pasteUnderSelection(app); break;
    }
}

}  // namespace perchlet
