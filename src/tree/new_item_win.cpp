#include "tree/new_item_win.h"

#include "shell/dialogs_win.h"

namespace perchlet {

NodeId newItemUnderSelection(App& app, const NewItemFields& fields) {
    NodeId parent = app.treeView.selectedNode();
    if (parent == kNoNode) {
        showMessage(app.mainWindow, "項目が選択されていません", "警告", MB_OK);
        return kNoNode;
    }
    NodeId node = newItemUnder(app.document, parent, fields, app.treeView);
    app.treeView.ensureVisible(node);
    SetFocus(app.treeView.window());
    return node;
}

}  // namespace perchlet
