#include "tree/drag_win.h"

#include "shell/dialogs_win.h"
#include "store/tree_edit.h"

namespace perchlet {

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

void forgetDraggedItem(App& app) {
    app.drag.item = nullptr;
    app.drag.targetSeen = false;
}

HTREEITEM dropTarget(const App& app) {
    if (!app.drag.targetSeen) return nullptr;
    return TreeView_GetDropHilight(app.treeView.window());
}

// Takes the drag image off the window and frees it; it is never used after the drag.
void endDragImage(App& app) {
    HIMAGELIST image = app.drag.image;
    app.drag.image = nullptr;
    if (!image) return;
    ImageList_DragLeave(app.mainWindow);
    ImageList_EndDrag();
    ImageList_Destroy(image);
}

// Clears the drop target; true when there was one.
bool clearDropHighlight(App& app) {
    HWND tree = app.treeView.window();
    HTREEITEM highlighted = TreeView_GetDropHilight(tree);
    if (!highlighted) return false;
    TreeView_SelectDropTarget(tree, nullptr);
    // Wine's tree view ignores the request above while no item is selected; the item's own
    // state at least stops it being drawn as the target.
    TreeView_SetItemState(tree, highlighted, 0, TVIS_DROPHILITED);
    return true;
}

void refuse(App& app, const char* text) {
    showMessage(app.mainWindow, text, "移動を中止します", MB_OK | MB_ICONWARNING);
}

}  // namespace

void beginTreeDrag(App& app, const NMTREEVIEWW& notification) {
    cancelTreeDrag(app);
    HTREEITEM item = notification.itemNew.hItem;
    if (!item || app.treeView.nodeOf(item) == kNoNode) return;
    HIMAGELIST image = TreeView_CreateDragImage(app.treeView.window(), item);
    if (image) {
        ImageList_BeginDrag(image, 0, 0, 0);
        ImageList_DragEnter(app.mainWindow, 0, 20);
        app.drag.image = image;
    }
    SetCapture(app.mainWindow);
    app.drag.item = item;
}

bool trackTreeDrag(App& app, POINT cursorInMainClient) {
    if (!app.drag.item) return false;
    // The drag image is placed relative to the main window's outer corner.
    POINT onScreen = cursorInMainClient;
    ClientToScreen(app.mainWindow, &onScreen);
    RECT outer{};
    GetWindowRect(app.mainWindow, &outer);
    ImageList_DragMove(onScreen.x - outer.left, onScreen.y - outer.top);

    HWND tree = app.treeView.window();
    TVHITTESTINFO hit{};
    hit.pt = cursorInMainClient;
    MapWindowPoints(app.mainWindow, tree, &hit.pt, 1);
    HTREEITEM target = TreeView_HitTest(tree, &hit);
    ImageList_DragShowNolock(FALSE);
    // Over empty space the last target stays, so that a release there still drops onto it.
    if (target) {
        TreeView_SelectDropTarget(tree, target);
        app.drag.targetSeen = true;
    }
    ImageList_DragShowNolock(TRUE);
    return true;
}

bool dropTreeDrag(App& app) {
    HTREEITEM dragged = app.drag.item;
    if (!dragged) return false;
    HTREEITEM target = dropTarget(app);
    endDragImage(app);
    forgetDraggedItem(app);
    // The questions below are modal; they must not find the mouse still held.
    ReleaseCapture();

    HWND tree = app.treeView.window();
    clearDropHighlight(app);
    if (!target) return false;
    NodeId draggedNode = app.treeView.nodeOf(dragged);
    NodeId targetNode = app.treeView.nodeOf(target);
    if (draggedNode == kNoNode || targetNode == kNoNode) return false;

    switch (checkDrop(app.document.tree, targetNode, draggedNode)) {
    case DropCheck::OntoItself:
        refuse(app, "自分自身には移動できません。   ");
        return false;
    case DropCheck::IntoOwnSubtree:
        refuse(app, "自分の子孫には移動できません。   ");
        return false;
    case DropCheck::Allowed:
        break;
    }

    app.treeView.select(targetNode);
    bool moved = showMessage(app.mainWindow, "アイテムを移動します", "Drag and Drop", MB_OKCANCEL) == IDOK;
    if (moved) moveSubtreeUnder(app.document, targetNode, draggedNode);
    else app.treeView.select(draggedNode);
    TreeView_SetBkColor(tree, kWhite);
    return moved;
}

void cancelTreeDrag(App& app) {
    endDragImage(app);
    if (clearDropHighlight(app)) TreeView_SetBkColor(app.treeView.window(), kWhite);
    if (GetCapture() == app.mainWindow) ReleaseCapture();
    forgetDraggedItem(app);
}

}  // namespace perchlet
