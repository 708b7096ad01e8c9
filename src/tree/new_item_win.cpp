#include "tree/new_item_win.h"

#include "shell/dialogs_win.h"

namespace perchlet {

NodeId newItemUnderSelection(Workspace& workspace, const NewItemFields& fields) {
    NodeId parent = workspace.treeView.selectedNode();
    if (parent == kNoNode) {
        // On a first run there is nothing to choose yet: say how to begin instead.
        bool empty = workspace.document.tree.firstTopLevel() == kNoNode;
        const char* text = !empty ? "追加する場所をツリーで選択して下さい。"
                                  : "まだデータがありません。\r\n"
                                    "ファイル → 新規作成 か、ファイル → データファイルを開く で始めて下さい。";
        showMessage(workspace.mainWindow, text, "項目の追加", MB_OK | MB_ICONWARNING);
        return kNoNode;
    }
    NodeId node = newItemUnder(workspace.document, parent, fields, workspace.treeView);
    workspace.treeView.ensureVisible(node);
    SetFocus(workspace.treeView.window());
    return node;
}

}  // namespace perchlet
