#include "tree/drag_win.h"

#include "shell/dialogs_win.h"
#include "store/tree_edit.h"

namespace perchlet {

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

void forgetDraggedItem(TreeDrag& drag) {
    drag.item = nullptr;
    drag.targetSeen = false;
}

HTREEITEM dropTarget(const TreeDrag& drag) {
    if (!drag.targetSeen) return nullptr;
    return TreeView_GetDropHilight(drag.workspace.treeView.window());
}

// Takes the drag image off the window and frees it; it is never used after the drag.
void endDragImage(TreeDrag& drag) {
    HIMAGELIST image = drag.image;
    drag.image = nullptr;
    if (!image) return;
    ImageList_DragLeave(drag.workspace.mainWindow);
    ImageList_EndDrag();
    ImageList_Destroy(image);
}

// Clears the drop target; true when there was one.
bool clearDropHighlight(TreeDrag& drag) {
    HWND tree = drag.workspace.treeView.window();
    HTREEITEM highlighted = TreeView_GetDropHilight(tree);
    if (!highlighted) return false;
    TreeView_SelectDropTarget(tree, nullptr);
    // Wine's tree view ignores the request above while no item is selected; the item's own
    // state at least stops it being drawn as the target.
    TreeView_SetItemState(tree, highlighted, 0, TVIS_DROPHILITED);
    return true;
}

void refuse(TreeDrag& drag, const char* text) {
    showMessage(drag.workspace.mainWindow, text, "移動を中止します", MB_OK | MB_ICONWARNING);
}

}  // namespace

void beginTreeDrag(TreeDrag& drag, const NMTREEVIEWW& notification) {
    cancelTreeDrag(drag);
    HTREEITEM item = notification.itemNew.hItem;
    if (!item || drag.workspace.treeView.nodeOf(item) == kNoNode) return;
    HIMAGELIST image = TreeView_CreateDragImage(drag.workspace.treeView.window(), item);
    if (image) {
        ImageList_BeginDrag(image, 0, 0, 0);
        ImageList_DragEnter(drag.workspace.mainWindow, 0, 20);
        drag.image = image;
    }
    SetCapture(drag.workspace.mainWindow);
    drag.item = item;
}

bool trackTreeDrag(TreeDrag& drag, POINT cursorInMainClient) {
    if (!drag.item) return false;
    // The drag image is placed relative to the main window's outer corner.
    POINT onScreen = cursorInMainClient;
    ClientToScreen(drag.workspace.mainWindow, &onScreen);
    RECT outer{};
    GetWindowRect(drag.workspace.mainWindow, &outer);
    ImageList_DragMove(onScreen.x - outer.left, onScreen.y - outer.top);

    HWND tree = drag.workspace.treeView.window();
    TVHITTESTINFO hit{};
    hit.pt = cursorInMainClient;
    MapWindowPoints(drag.workspace.mainWindow, tree, &hit.pt, 1);
    HTREEITEM target = TreeView_HitTest(tree, &hit);
    ImageList_DragShowNolock(FALSE);
    // Over empty space the last target stays, so that a release there still drops onto it.
    if (target) {
        TreeView_SelectDropTarget(tree, target);
        drag.targetSeen = true;
    }
    ImageList_DragShowNolock(TRUE);
    return true;
}

bool dropTreeDrag(TreeDrag& drag) {
    HTREEITEM dragged = drag.item;
    if (!dragged) return false;
    HTREEITEM target = dropTarget(drag);
    endDragImage(drag);
    forgetDraggedItem(drag);
    // The questions below are modal; they must not find the mouse still held.
    ReleaseCapture();

    HWND tree = drag.workspace.treeView.window();
    clearDropHighlight(drag);
    if (!target) return false;
    NodeId draggedNode = drag.workspace.treeView.nodeOf(dragged);
    NodeId targetNode = drag.workspace.treeView.nodeOf(target);
    if (draggedNode == kNoNode || targetNode == kNoNode) return false;

    switch (checkDrop(drag.workspace.document.tree, targetNode, draggedNode)) {
    case DropCheck::OntoItself:
        refuse(drag, "自分自身には移動できません。   ");
        return false;
    case DropCheck::IntoOwnSubtree:
        refuse(drag, "自分の子孫には移動できません。   ");
        return false;
    case DropCheck::Allowed:
        break;
    }

    drag.workspace.treeView.select(targetNode);
    bool moved = showMessage(drag.workspace.mainWindow, "アイテムを移動します", "Drag and Drop", MB_OKCANCEL) == IDOK;
    if (moved) moveSubtreeUnder(drag.workspace.document, targetNode, draggedNode);
    else drag.workspace.treeView.select(draggedNode);
    TreeView_SetBkColor(tree, kWhite);
    return moved;
}

void cancelTreeDrag(TreeDrag& drag) {
    endDragImage(drag);
    if (clearDropHighlight(drag)) TreeView_SetBkColor(drag.workspace.treeView.window(), kWhite);
    if (GetCapture() == drag.workspace.mainWindow) ReleaseCapture();
    forgetDraggedItem(drag);
}

}  // namespace perchlet
