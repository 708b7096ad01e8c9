#include "tree/drag_win.h"

#include <cstring>
#include <string>

#include "shell/dialogs_win.h"
#include "store/item_questions.h"
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

void refuse(TreeDrag& drag, const char* text, bool copying) {
    showMessage(drag.workspace.mainWindow, text, copying ? "コピー" : "移動", MB_OK | MB_ICONWARNING);
}

// The standard arrow, black edged and white filled, with a boxed plus at its lower right.
constexpr const char* kCopyCursorRows[] = {
    "X", "XX", "X.X", "X..X", "X...X", "X....X", "X.....X", "X......X", "X.......X", "X........X",
    "X.....XXXXX", "X..X..X", "X.X X..X", "XX  X..X", "X    X..X", "     X..X", "      XX",
    "", "          XXXXXXXXX", "          X.......X", "          X...X...X", "          X...X...X",
    "          X.XXXXX.X", "          X...X...X", "          X...X...X", "          X.......X",
    "          XXXXXXXXX",
};

HCURSOR makeCopyCursor(HINSTANCE instance) {
    constexpr int kSize = 32, kRowBytes = kSize / 8;
    BYTE andMask[kSize * kRowBytes], xorMask[kSize * kRowBytes];
    memset(andMask, 0xFF, sizeof andMask);
    memset(xorMask, 0, sizeof xorMask);
    int row = 0;
    for (const char* pattern : kCopyCursorRows) {
        for (int x = 0; pattern[x] != '\0'; ++x) {
            if (pattern[x] == ' ') continue;
            BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
            andMask[row * kRowBytes + x / 8] &= static_cast<BYTE>(~bit);
            if (pattern[x] == '.') xorMask[row * kRowBytes + x / 8] |= bit;
        }
        ++row;
    }
    return CreateCursor(instance, 0, 0, kSize, kSize, andMask, xorMask);
}

void showDragCursor(TreeDrag& drag, bool copying) {
    if (copying && !drag.copyCursor) drag.copyCursor = makeCopyCursor(drag.workspace.instance);
    SetCursor(copying && drag.copyCursor ? drag.copyCursor : LoadCursorW(nullptr, IDC_ARROW));
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

bool trackTreeDrag(TreeDrag& drag, POINT cursorInMainClient, bool copying) {
    if (!drag.item) return false;
    showDragCursor(drag, copying);
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

bool dropTreeDrag(TreeDrag& drag, bool copying) {
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
        refuse(drag, copying ? "項目をそれ自身の中へはコピーできません。" : "項目をそれ自身の中へは移動できません。",
               copying);
        return false;
    case DropCheck::IntoOwnSubtree:
        refuse(drag,
               copying ? "項目を、その中にあるフォルダへはコピーできません。"
                       : "項目を、その中にあるフォルダへは移動できません。",
               copying);
        return false;
    case DropCheck::Allowed:
        break;
    }

    drag.workspace.treeView.select(targetNode);
    Document& document = drag.workspace.document;
    std::string question = copying ? copyQuestion(document.tree, draggedNode, targetNode, document.file.encoding)
                                   : moveQuestion(document.tree, draggedNode, targetNode, document.file.encoding);
    bool moved = showMessage(drag.workspace.mainWindow, question, copying ? "コピーの確認" : "移動の確認",
                             MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    if (moved && copying) copySubtreeUnder(document, targetNode, draggedNode, drag.workspace.treeView);
    else if (moved) moveSubtreeUnder(document, targetNode, draggedNode);
    else drag.workspace.treeView.select(draggedNode);
    TreeView_SetBkColor(tree, kWhite);
    return moved;
}

bool isDragging(const TreeDrag& drag) { return drag.item != nullptr; }

bool treeDragKey(TreeDrag& drag, const MSG& message) {
    if (!drag.item || (message.message != WM_KEYDOWN && message.message != WM_KEYUP)) return false;
    if (message.wParam == VK_ESCAPE) {
        if (message.message == WM_KEYDOWN) cancelTreeDrag(drag);
        return true;
    }
    if (message.wParam == VK_CONTROL) showDragCursor(drag, message.message == WM_KEYDOWN);
    return false;
}

void destroyDragCursor(TreeDrag& drag) {
    if (drag.copyCursor) DestroyCursor(drag.copyCursor);
    drag.copyCursor = nullptr;
}

void cancelTreeDrag(TreeDrag& drag) {
    endDragImage(drag);
    if (clearDropHighlight(drag)) TreeView_SetBkColor(drag.workspace.treeView.window(), kWhite);
    if (GetCapture() == drag.workspace.mainWindow) ReleaseCapture();
    forgetDraggedItem(drag);
}

}  // namespace perchlet
