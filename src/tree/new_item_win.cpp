#include "tree/new_item_win.h"

#include "shell/dialogs_win.h"

namespace perchlet {

NodeId newItemUnderSelection(Workspace& workspace, const NewItemFields& fields) {
    NodeId parent = workspace.treeView.selectedNode();
    if (parent == kNoNode) {
        showMessage(workspace.mainWindow, "項目が選択されていません", "警告", MB_OK);
        return kNoNode;
    }
    NodeId node = newItemUnder(workspace.document, parent, fields, workspace.treeView);
    workspace.treeView.ensureVisible(node);
    SetFocus(workspace.treeView.window());
    return node;
}

}  // namespace perchlet
