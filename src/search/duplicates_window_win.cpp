#include "search/duplicates_window_win.h"

#include <commctrl.h>

#include <set>

#include "search/search_index.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "shell/window_helpers_win.h"
#include "shell/window_state_win.h"
#include "store/document_text_win.h"
#include "store/tree_edit.h"

namespace perchlet {

namespace {

constexpr char kCaption[] = "重複リンクの検索";

HWND listOf(HWND window) { return GetDlgItem(window, IDC_DUPLICATES_LIST); }

void addLine(HWND list, int row, std::wstring text, std::wstring other, bool checkable) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = text.data();
    ListView_InsertItem(list, &item);
    ListView_SetItemText(list, row, 1, other.data());
    // A link's line has no box: only groups are checked.
    if (!checkable) ListView_SetItemState(list, row, INDEXTOSTATEIMAGEMASK(0), LVIS_STATEIMAGEMASK);
}

std::set<std::string> checkedAddresses(const DuplicatesContext& context) {
    std::set<std::string> checked;
    if (!context.window) return checked;
    HWND list = listOf(context.window);
    for (std::size_t row = 0; row < context.lines.size(); ++row)
        if (context.lines[row].node == kNoNode && ListView_GetCheckState(list, static_cast<int>(row)))
            checked.insert(context.groups[context.lines[row].group].address);
    return checked;
}

// Finds the groups again, keeping the checks of the groups still there.
void showGroups(DuplicatesContext& context) {
    std::set<std::string> checked = checkedAddresses(context);
    const Document& document = context.workspace.document;
    TextEncoding encoding = document.file.encoding;
    context.groups = findDuplicates(document);
    context.lines.clear();
    HWND list = listOf(context.window);
    ListView_DeleteAllItems(list);
    for (std::size_t g = 0; g < context.groups.size(); ++g) {
        const DuplicateGroup& group = context.groups[g];
        int row = static_cast<int>(context.lines.size());
        context.lines.push_back({g, kNoNode});
        addLine(list, row, widenText(group.address, encoding), widen(std::to_string(group.nodes.size()) + " 件"), true);
        if (checked.count(group.address)) ListView_SetCheckState(list, row, TRUE);
        for (NodeId node : group.nodes) {
            context.lines.push_back({g, node});
            addLine(list, row + 1, widen("　") + widenText(document.tree.node(node).text, encoding),
                    widenText(folderPathOf(document.tree, node), encoding), false);
            ++row;
        }
    }
    std::string status = context.groups.empty() ? "重複したリンクはありません。"
                                                : std::to_string(context.groups.size()) + " グループ";
    SetDlgItemTextW(context.window, IDC_DUPLICATES_STATUS, widen(status).c_str());
}

void selectLineInTree(DuplicatesContext& context, int row) {
    if (row < 0 || row >= static_cast<int>(context.lines.size())) return;
    NodeId node = context.lines[static_cast<std::size_t>(row)].node;
    if (node != kNoNode && context.workspace.document.tree.isAlive(node)) context.workspace.treeView.select(node);
}

void onInit(DuplicatesContext& context, HWND window) {
    context.window = window;
    HWND list = listOf(window);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    RECT client{};
    GetClientRect(list, &client);
    int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    addColumn(list, 0, L"タイトル", width * 3 / 5);
    addColumn(list, 1, L"フォルダ", width - width * 3 / 5);
    showGroups(context);
}

INT_PTR CALLBACK duplicatesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DuplicatesContext* context = dialogState<DuplicatesContext>(window, message, lParam);
    if (!context) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        onInit(*context, window);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_DUPLICATES_REMOVE) removeOlderDuplicates(*context);
        // Enter in the list, as a double click.
        if (LOWORD(wParam) == IDOK) selectLineInTree(*context, ListView_GetNextItem(listOf(window), -1, LVNI_SELECTED));
        if (LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
        return TRUE;
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.idFrom == IDC_DUPLICATES_LIST && header.code == NM_DBLCLK)
            selectLineInTree(*context, reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
        return TRUE;
    }
    case WM_ACTIVATE:
        // The tree may have changed while the window was behind.
        if (LOWORD(wParam) != WA_INACTIVE) showGroups(*context);
        return FALSE;
    case WM_DESTROY:
        SetWindowLongPtrW(window, DWLP_USER, 0);
        if (context->window == window) context->window = nullptr;
        context->lines.clear();
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void openDuplicatesWindow(DuplicatesContext& context) {
    if (context.window) {
        SetForegroundWindow(context.window);
        showGroups(context);
        return;
    }
    CreateDialogParamW(context.workspace.instance, L"MYDUPLICATES", context.workspace.mainWindow, duplicatesProc,
                       reinterpret_cast<LPARAM>(&context));
    if (!context.window) return;
    placeBeside(context.window, context.workspace.mainWindow);
    ShowWindow(context.window, SW_SHOW);
}

bool removeOlderDuplicates(DuplicatesContext& context) {
    std::set<std::string> checked = checkedAddresses(context);
    Document& document = context.workspace.document;
    std::vector<NodeId> doomed;
    for (const DuplicateGroup& group : context.groups) {
        if (!checked.count(group.address)) continue;
        for (NodeId node : olderCopies(document, group))
            if (document.tree.isAlive(node)) doomed.push_back(node);
    }
    if (doomed.empty()) {
        showMessage(context.window, "古いものを削除するグループにチェックを付けて下さい。", kCaption,
                    MB_OK | MB_ICONWARNING);
        return false;
    }
    std::string question = std::to_string(doomed.size()) +
                           " 個のリンクを削除しますか？\r\n"
                           "チェックしたグループごとに、追加日の一番新しいものが残ります。";
    if (showMessage(context.window, question, kCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return false;
    {
        UndoStep step(document, "重複の削除");
        for (NodeId node : doomed)
            if (document.tree.isAlive(node)) deleteSubtree(document, node);
    }
    showGroups(context);
    return true;
}

}  // namespace perchlet
