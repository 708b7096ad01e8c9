#include "tree/tree_keys_win.h"

#include <commctrl.h>

#include "shell/command_ids.h"
#include "tree/empty_tree_hint_win.h"
#include "tree/tree_view_win.h"
#include "tree/undo_commands_win.h"

namespace perchlet {

namespace {

constexpr wchar_t kStandardProcProperty[] = L"perchlet.tree.proc";

WNDPROC standardProcOf(HWND tree) {
    return reinterpret_cast<WNDPROC>(GetPropW(tree, kStandardProcProperty));
}

bool treeIsEmpty(HWND tree) { return TreeView_GetCount(tree) == 0; }

// Messages after which the control may have scrolled sideways on its own, to show the whole
// title of the item it selected or revealed.
bool mayScrollItself(UINT message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_SETFOCUS:
    case WM_SIZE:
    case TVM_SELECTITEM:
    case TVM_ENSUREVISIBLE:
    case TVM_EXPAND:
        return true;
    }
    return false;
}

// Keeps the tree at its left edge unless the user scrolled it sideways.
LRESULT keepingLeftEdge(HWND tree, WNDPROC standard, UINT message, WPARAM wParam, LPARAM lParam) {
    TreeViewBinding* found = TreeViewBinding::of(tree);
    if (!found) return CallWindowProcW(standard, tree, message, wParam, lParam);
    TreeViewBinding& binding = *found;
    if (message == WM_KEYDOWN && wParam == VK_HOME) binding.forgetSidewaysScroll();
    bool own = mayScrollItself(message);
    if (own) binding.beginOwnMove();
    LRESULT result = CallWindowProcW(standard, tree, message, wParam, lParam);
    if (own) binding.endOwnMove();
    if (message == WM_HSCROLL || message == WM_MOUSEHWHEEL) binding.sidewaysScrolled();
    return result;
}

bool isAcceleratorCommand(WPARAM wParam) {
    WORD id = LOWORD(wParam);
    return id >= ACC_OPEN_ITEM && id <= ACC_PASTE;
}

bool isMainWindowKeyCommand(WORD id) {
    return id == CMD_FIND || id == CMD_SAVE || id == CMD_OPEN_DATA_FILE || id == CMD_NEW_DOCUMENT;
}

// The commands themselves are the main window's: they are handed on to the tree's parent.
LRESULT CALLBACK treeKeyProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC standard = standardProcOf(tree);
    // Ctrl+F, S, O and N arrive here with the other accelerators; find and the file
    // commands are the main window's.
    if (message == WM_COMMAND && isMainWindowKeyCommand(LOWORD(wParam)))
        return SendMessageW(GetParent(tree), WM_COMMAND, LOWORD(wParam), 0);
    // Undo and redo are the main window's too, unless an edit has the keys.
    if (message == WM_COMMAND && (LOWORD(wParam) == CMD_UNDO || LOWORD(wParam) == CMD_REDO)) {
        if (passUndoKeyToEdit(LOWORD(wParam))) return 0;
        return SendMessageW(GetParent(tree), WM_COMMAND, LOWORD(wParam), 0);
    }
    // An empty pane says how to begin, centred: a new size moves the text.
    if (message == WM_PAINT && treeIsEmpty(tree)) {
        paintEmptyTreeHint(tree);
        return 0;
    }
    if (message == WM_SIZE && treeIsEmpty(tree)) InvalidateRect(tree, nullptr, TRUE);
    if (message == WM_COMMAND && isAcceleratorCommand(wParam)) {
        // Only while the tree has the keyboard focus; elsewhere the keys are not ours.
        if (GetFocus() == tree) SendMessageW(GetParent(tree), WM_COMMAND, LOWORD(wParam), 0);
        return 0;
    }
    return keepingLeftEdge(tree, standard, message, wParam, lParam);
}

}  // namespace

void installTreeKeyHandler(HWND tree) {
    if (!tree || standardProcOf(tree)) return;
    LONG_PTR standard = SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeKeyProc));
    SetPropW(tree, kStandardProcProperty, reinterpret_cast<HANDLE>(standard));
}

void uninstallTreeKeyHandler(HWND tree) {
    WNDPROC standard = tree ? standardProcOf(tree) : nullptr;
    if (!standard) return;
    SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standard));
    RemovePropW(tree, kStandardProcProperty);
}

}  // namespace perchlet
