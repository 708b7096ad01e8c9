#include "tree/edit_commands_win.h"

#include "shell/dialogs_win.h"
#include "store/data_file.h"
#include "store/document_encoding.h"
#include "store/incoming_text_win.h"
#include "store/tree_population.h"
#include "store/item_questions.h"
#include "tree/clipboard_win.h"
#include "tree/new_item_win.h"

namespace perchlet {

namespace {

NodeId selection(Workspace& workspace) { return workspace.treeView.selectedNode(); }

constexpr char kPasteCaption[] = "貼り付け";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// The data file text of a subtree, in both clipboard forms.
ClipboardText clipboardTextOf(const std::string& text, TextEncoding encoding) {
    if (encoding == TextEncoding::ShiftJis) {
        std::u16string wide = shiftJisToUtf16(text);
        return {std::wstring(wide.begin(), wide.end()), text};
    }
    std::string_view body = std::string_view(text).substr(text.compare(0, 3, kUtf8Mark) == 0 ? 3 : 0);
    std::u16string wide = utf16OfText(body, TextEncoding::Utf8);
    // From UTF-16, which keeps the CR LF line ends a UTF-8 reading would make LF.
    LostCharacters runs;
    std::string shiftJis = textFromUtf16(wide, TextEncoding::ShiftJis, Unrepresentable::Mark, &runs);
    return {std::wstring(wide.begin(), wide.end()), shiftJis};
}

// Puts the selected subtree on the clipboard; false when nothing went there.
bool copySelectionToClipboard(Workspace& workspace, NodeId node, const char* caption) {
    if (node == kNoNode) {
        showMessage(workspace.mainWindow, "ツリーアイテムを選択して下さい。", caption, MB_OK | MB_ICONWARNING);
        return false;
    }
    TextEncoding encoding = workspace.document.file.encoding;
    std::string text = writeDataFile(workspace.document, node, workspace.document.serials.value, encoding);
    if (text.empty()) {
        showMessage(workspace.mainWindow, "データがありません。", caption, MB_OK | MB_ICONWARNING);
        return false;
    }
    return writeClipboardText(workspace.mainWindow, clipboardTextOf(text, encoding)) == kClipboardDone;
}

// The question names the item and says how much goes with it, from the menu or the key alike.
void deleteSelectionAsking(Workspace& workspace) {
    NodeId node = selection(workspace);
    if (node == kNoNode) {
        showMessage(workspace.mainWindow, "削除する項目をツリーで選択して下さい。", "削除", MB_OK | MB_ICONWARNING);
        return;
    }
    if (showMessage(workspace.mainWindow, deleteQuestion(workspace.document.tree, node, workspace.document.file.encoding), "削除の確認",
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    deleteSubtree(workspace.document, node);
}

}  // namespace

void toggleEmphasisOfSelection(Workspace& workspace) {
    toggleEmphasis(workspace.document, selection(workspace));
}

void moveSelection(Workspace& workspace, SiblingDirection direction) {
    NodeId moved = selection(workspace);
    const BookmarkTree& tree = workspace.document.tree;
    NodeId other = kNoNode;
    if (moved != kNoNode)
        other = direction == SiblingDirection::Up ? tree.previousSibling(moved) : tree.nextSibling(moved);
    if (other != kNoNode) {
        // Both places get new children, which the user has not opened: they end collapsed,
        // and their children's items are made only when they are opened again.
        workspace.treeView.collapseAndForget(moved);
        workspace.treeView.collapseAndForget(other);
        NodeId shown = swapWithSibling(workspace.document, moved, direction);
        if (shown != kNoNode) {
            workspace.document.history.setFocus(moved, shown);
            workspace.treeView.select(shown);
        }
    }
    // A move that found no place to go still counts as a change, as it always has.
    workspace.document.history.markChanged();
}

void cutSelection(Workspace& workspace) {
    NodeId node = selection(workspace);
    if (!copySelectionToClipboard(workspace, node, "切り取り")) return;
    deleteSubtree(workspace.document, node);
}

void copySelection(Workspace& workspace) { copySelectionToClipboard(workspace, selection(workspace), "コピー"); }

void pasteUnderSelection(Workspace& workspace) {
    NodeId target = selection(workspace);
    if (target == kNoNode) return;
    std::string text;
    int read = readClipboardText(workspace.mainWindow, text);
    if (read == kClipboardNoText) return;  // the reader has said why
    if (read != kClipboardDone) {
        showMessage(workspace.mainWindow, "クリップボードを開けませんでした。", "貼り付け", MB_OK | MB_ICONERROR);
        return;
    }
    std::size_t notHeld = charactersNotHeldInDataFile(text);
    TextEncoding into = encodingForIncomingText(workspace.mainWindow, workspace.document, notHeld, kPasteCaption);
    workspace.document.loaded = true;
    DataFileReadResult result = importDataFile(text, workspace.document, target, workspace.treeView, into);
    if (into == TextEncoding::ShiftJis) sayCharactersMarked(workspace.mainWindow, notHeld, kPasteCaption);
    if (!result.rejected) workspace.document.serials.value = result.nextCounter;
    // A paste counts as a change even when the text held nothing to insert, as it always has.
    workspace.document.history.markChanged();
}

void deleteSelectionFromMenu(Workspace& workspace) { deleteSelectionAsking(workspace); }

void deleteSelectionNow(Workspace& workspace) {
    NodeId node = selection(workspace);
    if (node == kNoNode) return;
    deleteSubtree(workspace.document, node);
}

void newFolder(Workspace& workspace) {
    NewItemFields fields;
    fields.title = convertText("新しいフォルダ", TextEncoding::ShiftJis, workspace.document.file.encoding);
    fields.x = fields.y = fields.width = fields.height = "0";
    newItemUnderSelection(workspace, fields);
}

}  // namespace perchlet
