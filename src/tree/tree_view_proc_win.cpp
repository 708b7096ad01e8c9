#include "tree/tree_view_proc_win.h"

#include <commctrl.h>

#include "tree/empty_tree_hint_win.h"
#include "tree/tree_view_win.h"

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
    if (message == WM_KEYDOWN && wParam == VK_END) binding.makeLastNode();
    if (message == WM_KEYDOWN || message == WM_LBUTTONDOWN) binding.armLabelEdit(message == WM_LBUTTONDOWN);
    bool own = mayScrollItself(message);
    if (own) binding.beginOwnMove();
    LRESULT result = CallWindowProcW(standard, tree, message, wParam, lParam);
    if (own) binding.endOwnMove();
    if (message == WM_HSCROLL || message == WM_MOUSEHWHEEL) binding.sidewaysScrolled();
    return result;
}

LRESULT CALLBACK treeViewProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC standard = standardProcOf(tree);
    // An empty pane says how to begin, centred: a new size moves the text.
    if (message == WM_PAINT && treeIsEmpty(tree)) {
        paintEmptyTreeHint(tree);
        return 0;
    }
    if (message == WM_SIZE && treeIsEmpty(tree)) InvalidateRect(tree, nullptr, TRUE);
    return keepingLeftEdge(tree, standard, message, wParam, lParam);
}

}  // namespace

void installTreeViewHandler(HWND tree) {
    if (!tree || standardProcOf(tree)) return;
    LONG_PTR standard = SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeViewProc));
    SetPropW(tree, kStandardProcProperty, reinterpret_cast<HANDLE>(standard));
}

void uninstallTreeViewHandler(HWND tree) {
    WNDPROC standard = tree ? standardProcOf(tree) : nullptr;
    if (!standard) return;
    SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standard));
    RemovePropW(tree, kStandardProcProperty);
}

}  // namespace perchlet
