#include "tree/new_item_win.h"

#include "app/dialogs_win.h"

namespace perchlet {

NodeId newItemUnderSelection(App& app, const NewItemFields& fields) {
    NodeId parent = app.treeView.selectedNode();
    if (parent == kNoNode) {
        // On a first run there is nothing to choose yet: say how to begin instead.
        bool empty = app.document.tree.firstTopLevel() == kNoNode;
        const char* text = !empty ? "追加する場所をツリーで選択して下さい。"
                                               : "まだデータがありません。\r\n"
                                                 "ファイル → 新規作成 か、ファイル → データファイルを開く で始めて下さい。";
        showMessage(app.mainWindow, text, "項目の追加", MB_OK | MB_ICONWARNING);
        return kNoNode;
    }
    NodeId node = newItemUnder(app.document, parent, fields, app.treeView);
    app.treeView.ensureVisible(node);
    SetFocus(app.treeView.window());
    return node;
}

}  // namespace perchlet
