#include "tree/edit_commands_win.h"

#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "store/data_file.h"
#include "store/tree_edit.h"
#include "tree/clipboard_win.h"
#include "tree/new_item_win.h"

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
        if (shown != kNoNode) app.treeView.select(shown);
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

}  // namespace

bool handleEditCommand(App& app, int command) {
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
