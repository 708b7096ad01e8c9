#include "panels/new_link_win.h"

#include <commctrl.h>

#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "shell/window_state_win.h"
#include "store/document_text_win.h"
#include "store/incoming_text_win.h"
#include "store/tree_population.h"
#include "tree/rename_win.h"
#include "web/title_fetch_win.h"

namespace perchlet {

namespace {

constexpr char kNewLinkCaption[] = "新しいリンク";

struct NewLinkDialog {
    Workspace& workspace;
    std::wstring title;
    std::wstring address;
};

bool startsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

bool looksLikeAddress(std::wstring_view text) {
    if (text.empty() || text.find_first_of(L" \t\r\n\x3000") != std::wstring_view::npos) return false;
    for (const wchar_t* scheme : {L"http://", L"https://", L"ftp://", L"file:"})
        if (startsWithNoCase(text, scheme) && text.size() > wcslen(scheme)) return true;
    return false;
}

std::wstring trimmed(std::wstring text) {
    const wchar_t* blanks = L" \t\r\n\x3000";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void fetchTitleInto(NewLinkDialog& state, HWND dialog) {
    // The title comes whole into the edit; OK asks as for any typed title.
    std::string address = textFromUtf16(utf16View(windowText(GetDlgItem(dialog, IDC_NEWLINK_ADDRESS))),
                                        TextEncoding::Utf8);
    FetchedTitle fetched = fetchTitleWithDialog(state.workspace.instance, dialog, address, TextEncoding::Utf8);
    if (fetched.found)
        SetDlgItemTextW(dialog, IDC_NEWLINK_TITLE, widenText(fetched.field, TextEncoding::Utf8).c_str());
}

// An address is needed; a link without a title takes its address as its title.
bool takeFields(NewLinkDialog& state, HWND dialog) {
    state.address = trimmed(windowText(GetDlgItem(dialog, IDC_NEWLINK_ADDRESS)));
    if (state.address.empty()) {
        showMessage(dialog, "URL を入力して下さい。", kNewLinkCaption, MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_NEWLINK_ADDRESS));
        return false;
    }
    state.title = trimmed(windowText(GetDlgItem(dialog, IDC_NEWLINK_TITLE)));
    if (state.title.empty()) state.title = state.address;
    return true;
}

INT_PTR CALLBACK newLinkProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    NewLinkDialog* state = dialogState<NewLinkDialog>(dialog, message, lParam);
    if (!state) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextW(dialog, IDC_NEWLINK_ADDRESS, addressOnClipboard(dialog).c_str());
        SetFocus(GetDlgItem(dialog, IDC_NEWLINK_TITLE));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEWLINK_FETCH: fetchTitleInto(*state, dialog); return TRUE;
        case IDOK:
            if (takeFields(*state, dialog)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// After the selected item; into the selected folder when it is open, and into the top item,
// which has no siblings.
NodeId placeNewLink(Workspace& workspace, NodeId selected, const NewItemFields& fields) {
    BookmarkTree& tree = workspace.document.tree;
    HTREEITEM item = workspace.treeView.itemOf(selected);
    bool open = item && (TreeView_GetItemState(workspace.treeView.window(), item, TVIS_EXPANDED) & TVIS_EXPANDED);
    bool into = tree.parent(selected) == kTopLevel || (open && kindOf(tree.node(selected).itemNumber) == kKindFolder);
    NodeId parent = into ? selected : tree.parent(selected);
    NodeId node = newItemUnder(workspace.document, parent, fields, workspace.treeView);
    if (!into) tree.moveSubtree(node, parent, tree.nextSibling(selected));
    return node;
}

}  // namespace

std::wstring addressOnClipboard(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return {};
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text.assign(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    text = trimmed(std::move(text));
    return looksLikeAddress(text) ? text : std::wstring();
}

void addNewLink(Workspace& workspace) {
    NodeId selected = workspace.treeView.selectedNode();
    if (selected == kNoNode) {
        showMessage(workspace.mainWindow, "追加する場所をツリーで選択して下さい。", kNewLinkCaption,
                    MB_OK | MB_ICONWARNING);
        return;
    }
    NewLinkDialog state{workspace, {}, {}};
    if (DialogBoxParamW(workspace.instance, L"MYNEWLINK", workspace.mainWindow, newLinkProc,
                        reinterpret_cast<LPARAM>(&state)) != IDOK)
        return;
    NodeId node;
    LostCharacters lost;
    {
        UndoStep step(workspace.document, kNewLinkCaption);
        TextEncoding encoding =
            encodingForIncomingText(workspace.mainWindow, workspace.document, state.title, kNewLinkCaption);
        NewItemFields fields;
        fields.title = narrowText(state.title, encoding, &lost);
        // An address keeps what Shift-JIS cannot hold, percent-encoded, rather than "?".
        fields.locator = textFromUtf16(utf16View(state.address), encoding, Unrepresentable::PercentEncode);
        fields.x = fields.y = fields.width = fields.height = "0";
        node = placeNewLink(workspace, selected, fields);
    }
    std::size_t marked = lost.runs;
    workspace.treeView.select(node);
    SetFocus(workspace.treeView.window());
    sayMarkedCharacters(workspace.mainWindow, marked, kNewLinkCaption);
}

}  // namespace perchlet
