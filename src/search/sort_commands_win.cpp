#include "search/sort_commands_win.h"

#include "shell/dialogs_win.h"

namespace perchlet {

NodeId folderToSort(const BookmarkTree& tree, NodeId node) {
    if (node == kNoNode || !tree.isAlive(node)) return kNoNode;
    if (tree.hasChildren(node) || kindOf(tree.node(node).itemNumber) == kKindFolder) return node;
    NodeId parent = tree.parent(node);
    return parent == kTopLevel ? kNoNode : parent;
}

void sortSelectedFolder(Workspace& workspace, SortOrder order) {
    NodeId selected = workspace.treeView.selectedNode();
    NodeId folder = folderToSort(workspace.document.tree, selected);
    if (folder == kNoNode) {
        showMessage(workspace.mainWindow, "並べ替えるフォルダをツリーで選択して下さい。", "並べ替え",
                    MB_OK | MB_ICONWARNING);
        return;
    }
    bool wholeSubtree = GetKeyState(VK_SHIFT) < 0;
    workspace.document.history.setFocus(selected, selected);
    // Items the view does not hold cost nothing to move; they are made again in their order.
    workspace.treeView.collapseAndForget(folder);
    sortChildren(workspace.document, folder, order, wholeSubtree);
    workspace.treeView.select(selected);
    workspace.treeView.expand(folder);
}

}  // namespace perchlet
