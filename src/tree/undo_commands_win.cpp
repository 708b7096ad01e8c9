#include "tree/undo_commands_win.h"

#include "shell/command_ids.h"
#include "shell/text_win.h"

namespace perchlet {

namespace {

constexpr int kUndoPosition = 0;
constexpr int kRedoPosition = 1;

void showFocus(TreeViewBinding& treeView, NodeId node) {
    if (node != kNoNode) treeView.select(node);
    if (HWND window = treeView.window()) SetFocus(window);
}

std::string menuText(const char* action, const std::string& stepName, const char* accessKey, const char* keys) {
    std::string text = action;
    if (!stepName.empty()) text += "（" + stepName + "）";
    return text + accessKey + "\t" + keys;
}

void labelItem(HMENU menu, int position, const std::string& text, bool grey) {
    std::wstring wide = widen(text);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_STRING;
    info.fState = grey ? MFS_GRAYED : MFS_ENABLED;
    info.dwTypeData = wide.data();
    SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
}

bool isEditControl(HWND window) {
    wchar_t className[16] = L"";
    return window && GetClassNameW(window, className, 16) > 0 && lstrcmpiW(className, L"Edit") == 0;
}

}  // namespace

bool undoLastStep(Workspace& workspace) {
    Document& document = workspace.document;
    if (!document.history.canUndo()) return false;
    showFocus(workspace.treeView, document.history.undo(document));
    return true;
}

bool redoLastStep(Workspace& workspace) {
    Document& document = workspace.document;
    if (!document.history.canRedo()) return false;
    showFocus(workspace.treeView, document.history.redo(document));
    return true;
}

std::string undoMenuText(const UndoHistory& history) { return menuText("元に戻す", history.undoName(), "(&Z)", "Ctrl + Z"); }

std::string redoMenuText(const UndoHistory& history) { return menuText("やり直し", history.redoName(), "(&Y)", "Ctrl + Y"); }

void prepareUndoMenuItems(HMENU editMenu, const UndoHistory& history) {
    if (!editMenu || GetMenuItemID(editMenu, kUndoPosition) != CMD_UNDO) return;
    labelItem(editMenu, kUndoPosition, undoMenuText(history), !history.canUndo());
    labelItem(editMenu, kRedoPosition, redoMenuText(history), !history.canRedo());
}

bool passUndoKeyToEdit(int command) {
    HWND focus = GetFocus();
    if (!isEditControl(focus)) return false;
    // An edit keeps one level of undo, which Ctrl+Z takes back and does again.
    if (command == CMD_UNDO) SendMessageW(focus, WM_UNDO, 0, 0);
    return true;
}

}  // namespace perchlet
