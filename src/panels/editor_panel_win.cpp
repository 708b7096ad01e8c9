#include "panels/editor_panel_win.h"

#include <shellapi.h>

#include "browser/browser_window_win.h"
#include "browser/dde_client_win.h"
#include "browser/dde_reply.h"
#include "browser/shown_page_win.h"
#include "exchange/favorites.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/file_dialogs_win.h"
#include "shell/text_win.h"
#include "shell/window_helpers_win.h"
#include "shell/window_state_win.h"
#include "store/document_text_win.h"
#include "store/encoding.h"
#include "store/file_io_win.h"
#include "store/incoming_text_win.h"
#include "store/item_questions.h"
#include "store/tree_edit.h"
#include "tree/new_item_win.h"
#include "web/title_fetch_win.h"

namespace perchlet {

namespace {

constexpr int kAnyFileIndex = 1;
constexpr std::size_t kPositionTextMax = 15;
constexpr std::size_t kDroppedPathMax = 255;

constexpr int kDateEdits[] = {IDC_EDIT_ADD_DATE, IDC_EDIT_LAST_MODIFIED, IDC_EDIT_LAST_VISIT};

void setText(HWND panel, int id, const std::wstring& text) { SetDlgItemTextW(panel, id, text.c_str()); }
void setText(HWND panel, int id, const std::string& shiftJis) { setText(panel, id, widen(shiftJis)); }

std::wstring typedText(HWND panel, int id) { return windowText(GetDlgItem(panel, id)); }

// What the user typed, as document text: in a Shift-JIS document a run of characters it
// cannot hold becomes "〓" and is added to marked (an address keeps them, percent-encoded),
// where the edit's '?' would have gone in without a word.
std::string textOf(HWND panel, int id, TextEncoding encoding, std::size_t& marked) {
    Unrepresentable policy = id == IDC_EDIT_ADDRESS ? Unrepresentable::PercentEncode : Unrepresentable::Mark;
    LostCharacters lost;  // an address loses nothing: its characters stay, encoded
    std::string text = textFromUtf16(utf16View(typedText(panel, id)), encoding, policy,
                                     policy == Unrepresentable::Mark ? &lost : nullptr);
    marked += lost.runs;
    return text;
}

// Title and address as typed, cut to the field.
std::string fieldText(HWND panel, int id, TextEncoding encoding, std::size_t& marked) {
    return fitText(textOf(panel, id, encoding, marked), encoding);
}

// The comment edit shows line breaks as CR LF; the whole text loses its CRs before it is
// cut to the field, so that a comment shown and stored again keeps every byte.
std::string commentText(HWND panel, TextEncoding encoding, std::size_t& marked) {
    std::string text = textOf(panel, IDC_EDIT_COMMENT, encoding, marked);
    std::string kept;
    kept.reserve(text.size());
    for (char c : text)
        if (c != '\r') kept += c;
    return fitText(kept, encoding);
}

// Every LF as CR LF, without the filter's cut: a long comment shows whole.
std::string commentForDisplay(const std::string& comment) {
    std::string shown;
    shown.reserve(comment.size() + comment.size() / 8);
    for (char c : comment) {
        if (c == '\n') shown += '\r';
        shown += c;
    }
    return shown;
}

std::string positionText(HWND panel, int id) {
    std::size_t ignored = 0;
    return fitField(textOf(panel, id, TextEncoding::ShiftJis, ignored), kPositionTextMax);
}

void focus(HWND panel, int id) { SetFocus(GetDlgItem(panel, id)); }

const BookmarkItem& shownRecord(Workspace& workspace) {
    NodeId node = workspace.treeView.selectedNode();
    const BookmarkItem* record = node == kNoNode ? nullptr : nodeRecord(workspace.document, node);
    return record ? *record : workspace.document.items.head();
}

void showSelection(EditorPanelContext& context, HWND panel) {
    const BookmarkItem& record = shownRecord(context.workspace);
    TextEncoding encoding = context.workspace.document.file.encoding;
    setText(panel, IDC_EDIT_ADDRESS, widenText(record.locator, encoding));
    setText(panel, IDC_EDIT_TITLE, widenText(record.title, encoding));
    setText(panel, IDC_EDIT_COMMENT, widenText(commentForDisplay(record.comment), encoding));
    setText(panel, IDC_EDIT_LAST_MODIFIED, displayDate(record.lastModified));
    setText(panel, IDC_EDIT_LAST_VISIT, displayDate(record.lastVisit));
    setText(panel, IDC_EDIT_ADD_DATE, displayDate(record.addDate));
    SetDlgItemInt(panel, IDC_EDIT_X, static_cast<UINT>(record.windowLeft), TRUE);
    SetDlgItemInt(panel, IDC_EDIT_Y, static_cast<UINT>(record.windowTop), TRUE);
    SetDlgItemInt(panel, IDC_EDIT_WIDTH, static_cast<UINT>(record.windowRight - record.windowLeft), TRUE);
    SetDlgItemInt(panel, IDC_EDIT_HEIGHT, static_cast<UINT>(record.windowBottom - record.windowTop), TRUE);
}

// The fields as the document keeps them; a Shift-JIS document asks first when the title or
// comment holds characters it cannot keep (an address keeps them, percent-encoded).
NewItemFields readFields(HWND panel, Document& document, const char* caption, std::size_t& marked) {
    std::wstring incoming = typedText(panel, IDC_EDIT_TITLE) + typedText(panel, IDC_EDIT_COMMENT);
    TextEncoding encoding = encodingForIncomingText(panel, document, incoming, caption);
    NewItemFields fields;
    fields.title = fieldText(panel, IDC_EDIT_TITLE, encoding, marked);
    fields.locator = fieldText(panel, IDC_EDIT_ADDRESS, encoding, marked);
    fields.comment = commentText(panel, encoding, marked);
    fields.x = positionText(panel, IDC_EDIT_X);
    fields.y = positionText(panel, IDC_EDIT_Y);
    fields.width = positionText(panel, IDC_EDIT_WIDTH);
    fields.height = positionText(panel, IDC_EDIT_HEIGHT);
    return fields;
}

// Once per stored item: how many places now hold "〓".
void sayMarkedCharacters(HWND panel, std::size_t marked, const char* caption) {
    if (marked == 0) return;
    showMessage(panel,
                "タイトルやコメントの " + std::to_string(marked) + " か所に、Shift-JIS で表せない文字がありました。\r\n"
                "その文字のあった所は「〓」にして登録しました。",
                caption, MB_OK | MB_ICONINFORMATION);
}

void addNewItem(EditorPanelContext& context, HWND panel) {
    std::size_t marked = 0;
    if (newItemUnderSelection(context.workspace, readFields(panel, context.workspace.document, "新規登録", marked)) !=
        kNoNode)
        sayMarkedCharacters(panel, marked, "新規登録");
}

void replaceSelected(EditorPanelContext& context, HWND panel) {
    Workspace& workspace = context.workspace;
    NodeId node = workspace.treeView.selectedNode();
    if (node == kNoNode) return;
    std::size_t marked = 0;
    NewItemFields fields = readFields(panel, workspace.document, "差し替え", marked);
    if (!replaceItemFields(workspace.document, node, fields)) workspace.document.tree.setText(node, fields.title);
    SetFocus(workspace.treeView.window());
    // 差し替え counts as a change even when every field stayed the same, as it always has.
    workspace.document.history.markChanged();
    sayMarkedCharacters(panel, marked, "差し替え");
}

void deleteSelected(EditorPanelContext& context, HWND panel) {
    NodeId node = context.workspace.treeView.selectedNode();
    if (node == kNoNode) {
        showMessage(panel, "削除する項目をツリーで選択して下さい。", "削除", MB_OK | MB_ICONWARNING);
        return;
    }
    if (showMessage(panel, deleteQuestion(context.workspace.document.tree, node, context.workspace.document.file.encoding), "削除の確認",
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    deleteSubtree(context.workspace.document, node);
}

std::wstring fileNameWithoutExtension(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring extensionOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return {};
    return path.substr(dot);
}

// Paths go into the edits whole; storing them asks as any typed text does.
void takeChosenFile(HWND panel) {
    std::wstring path = chooseOpenPath(panel, kAnyFileIndex);
    setText(panel, IDC_EDIT_TITLE, path.empty() ? std::wstring() : fileNameWithoutExtension(path));
    setText(panel, IDC_EDIT_ADDRESS, path);
}

void takeDroppedFile(HWND panel, HDROP drop) {
    wchar_t wide[kDroppedPathMax + 1] = L"";
    DragQueryFileW(drop, 0, wide, static_cast<UINT>(kDroppedPathMax + 1));
    DragFinish(drop);
    std::wstring path = wide;
    setText(panel, IDC_EDIT_TITLE, fileNameWithoutExtension(path));
    std::wstring extension = extensionOf(path);
    if (extension == L".url" || extension == L".URL") {
        std::optional<std::string> text = readWholeFile(path);
        std::string url = internetShortcutUrl(text ? *text : std::string(), TextEncoding::Utf8);
        setText(panel, IDC_EDIT_ADDRESS, widenText(url, TextEncoding::Utf8));
    } else {
        setText(panel, IDC_EDIT_ADDRESS, path);
    }
}

// The title comes whole into the edit; storing it asks as any typed text does.
void fetchTitle(EditorPanelContext& context, HWND panel) {
    std::size_t ignored = 0;
    std::string address = fieldText(panel, IDC_EDIT_ADDRESS, TextEncoding::Utf8, ignored);
    FetchedTitle title = fetchTitleWithDialog(context.workspace.instance, panel, address, TextEncoding::Utf8);
    context.fetchedTitle = title.raw;
    if (title.found) setText(panel, IDC_EDIT_TITLE, widenText(title.field, TextEncoding::Utf8));
    focus(panel, IDC_EDIT_REPLACE);
}

// Steps through the readings of the last fetched title: EUC-JP, ISO-2022-JP, as fetched twice.
void cycleTitleReading(EditorPanelContext& context, HWND panel) {
    std::string title = context.fetchedTitle;
    if (context.titleCycle == 0) eucJpToShiftJis(title);
    if (context.titleCycle == 1) iso2022JpToShiftJis(title);
    context.titleCycle = (context.titleCycle + 1) % 4;
    setText(panel, IDC_EDIT_TITLE, title);
}

void takeBrowserPage(EditorPanelContext& context, HWND panel) {
    std::optional<BrowserPage> page = requestShownPage(context.browser, panel);
    if (!page) return;
    setText(panel, IDC_EDIT_ADDRESS, widenText(page->address, TextEncoding::Utf8));
    setText(panel, IDC_EDIT_TITLE, widenText(page->title, TextEncoding::Utf8));
    setText(panel, IDC_EDIT_COMMENT, widenText(page->third, TextEncoding::Utf8));
    focus(panel, IDC_EDIT_NEW);
}

void takeBrowserRectangle(EditorPanelContext& context, HWND panel) {
    RECT rect{};
    if (HWND browser = findBrowserWindow(context.browser, panel, kAnyBrowserKind)) GetWindowRect(browser, &rect);
    SetDlgItemInt(panel, IDC_EDIT_X, static_cast<UINT>(rect.left), TRUE);
    SetDlgItemInt(panel, IDC_EDIT_Y, static_cast<UINT>(rect.top), TRUE);
    SetDlgItemInt(panel, IDC_EDIT_WIDTH, static_cast<UINT>(rect.right - rect.left), TRUE);
    SetDlgItemInt(panel, IDC_EDIT_HEIGHT, static_cast<UINT>(rect.bottom - rect.top), TRUE);
    focus(panel, IDC_EDIT_REPLACE);
}

void onButton(EditorPanelContext& context, HWND panel, int id) {
    switch (id) {
    case IDC_EDIT_NEW: {
        UndoStep step(context.workspace.document, "新規登録");
        addNewItem(context, panel);
        break;
    }
    case IDC_EDIT_REPLACE: {
        UndoStep step(context.workspace.document, "差し替え");
        replaceSelected(context, panel);
        break;
    }
    case IDC_EDIT_DELETE: {
        UndoStep step(context.workspace.document, "削除");
        deleteSelected(context, panel);
        break;
    }
    case IDC_EDIT_SAVE: saveDocument(context.documentCommands); break;
    case IDC_EDIT_CLOSE: PostMessageW(panel, kCloseEditorMessage, 0, 0); break;
    case IDC_EDIT_FILE_NAME: takeChosenFile(panel); break;
    case IDC_EDIT_TITLE_CYCLE: cycleTitleReading(context, panel); break;
    case IDC_EDIT_FETCH_TITLE: fetchTitle(context, panel); break;
    case IDC_EDIT_BROWSER_PAGE: takeBrowserPage(context, panel); break;
    case IDC_EDIT_BROWSER_RECT: takeBrowserRectangle(context, panel); break;
    }
}

BOOL onInit(EditorPanelContext& context, HWND panel) {
    for (int id : kDateEdits) EnableWindow(GetDlgItem(panel, id), FALSE);
    showSelection(context, panel);
    DragAcceptFiles(panel, TRUE);
    addControlTip(panel, IDC_EDIT_TITLE_CYCLE,
                  "取得したタイトルの文字コードを切り替えます（EUC-JP → JIS → 取得したまま）");
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK editorPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* context = dialogState<EditorPanelContext>(panel, message, lParam);
    if (!context) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return onInit(*context, panel);
    case kShowSelectionMessage:
        showSelection(*context, panel);
        return TRUE;
    case kCloseEditorMessage:
        closePanel(context->host, PanelKind::Editor);
        return TRUE;
    case WM_DROPFILES:
        takeDroppedFile(panel, reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) onButton(*context, panel, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void toggleEditorPanel(EditorPanelContext& context) {
    PanelHost& host = context.host;
    if (host.editor.open) SendMessageW(host.editor.window, kCloseEditorMessage, 0, 0);
    else openPanel(host, PanelKind::Editor, L"MYWRITE", editorPanelProc, reinterpret_cast<LPARAM>(&context));
}

void showSelectionInEditor(const PanelHost& host) {
    if (host.editor.open) PostMessageW(host.editor.window, kShowSelectionMessage, 0, 0);
}

}  // namespace perchlet
