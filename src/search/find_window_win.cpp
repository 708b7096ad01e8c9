#include "search/find_window_win.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "shell/window_helpers_win.h"
#include "shell/window_state_win.h"
#include "store/document_text_win.h"

namespace perchlet {

namespace {

HWND resultList(HWND window) { return GetDlgItem(window, IDC_FIND_RESULTS); }

// The title takes three fifths of the list's width and the folder path the rest, so both
// follow the window as it is resized.
void fitColumns(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    int width = client.right - client.left;
    if (!(GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL)) width -= systemMetricForDpi(SM_CXVSCROLL, dpiOfWindow(list));
    if (width <= 0) return;
    ListView_SetColumnWidth(list, 0, width * 3 / 5);
    ListView_SetColumnWidth(list, 1, width - width * 3 / 5);
}

int selectedRow(HWND window) { return ListView_GetNextItem(resultList(window), -1, LVNI_SELECTED); }

// Runs the query: as the user types (the first item found is chosen, so that Enter right
// after typing goes to it), and when the window comes back to the front, since the tree
// may have changed meanwhile (then the chosen item stays chosen where it is still found).
void showHits(SearchContext& context, HWND window, NodeId keep = kNoNode) {
    std::vector<NodeId>& hits = context.hits;
    TextEncoding encoding = context.workspace.document.file.encoding;
    hits = context.index.find(narrowText(windowText(GetDlgItem(window, IDC_FIND_TEXT)), encoding));
    HWND list = resultList(window);
    ListView_SetItemCountEx(list, static_cast<int>(hits.size()), 0);
    auto kept = std::find(hits.begin(), hits.end(), keep);
    int row = kept == hits.end() ? 0 : static_cast<int>(kept - hits.begin());
    if (!hits.empty()) {
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, row, FALSE);
    }
    InvalidateRect(list, nullptr, TRUE);
    bool nothing = hits.empty() && !windowText(GetDlgItem(window, IDC_FIND_TEXT)).empty();
    SetDlgItemTextW(window, IDC_FIND_STATUS, nothing ? L"見つかりません" : L"");
}

NodeId chosenNode(const SearchContext& context, HWND window) {
    const std::vector<NodeId>& hits = context.hits;
    int row = selectedRow(window);
    return row >= 0 && row < static_cast<int>(hits.size()) ? hits[static_cast<std::size_t>(row)] : kNoNode;
}

void selectInTree(SearchContext& context, HWND window, int row) {
    if (row < 0 || row >= static_cast<int>(context.hits.size())) return;
    NodeId node = context.hits[static_cast<std::size_t>(row)];
    if (!context.workspace.document.tree.isAlive(node)) return showHits(context, window);  // deleted since
    context.workspace.treeView.select(node);
}

void giveText(const SearchContext& context, LVITEMW& item) {
    if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0) return;
    item.pszText[0] = L'\0';
    if (item.iItem < 0 || item.iItem >= static_cast<int>(context.hits.size())) return;
    NodeId node = context.hits[static_cast<std::size_t>(item.iItem)];
    const BookmarkTree& tree = context.workspace.document.tree;
    if (!tree.isAlive(node)) return;
    std::wstring text = widenText(item.iSubItem == 0 ? tree.node(node).text.str() : folderPathOf(tree, node),
                                  context.workspace.document.file.encoding);
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

LRESULT onNotify(SearchContext& context, HWND window, NMHDR& header) {
    if (header.idFrom != IDC_FIND_RESULTS) return 0;
    if (header.code == LVN_GETDISPINFOW) giveText(context, reinterpret_cast<NMLVDISPINFOW&>(header).item);
    else if (header.code == NM_DBLCLK) selectInTree(context, window, reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
    return 0;
}

// Up, Down, Page Up and Page Down typed into the edit move through the list, so that the
// user can choose an item without leaving the words.
LRESULT CALLBACK editKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT))
        return SendMessageW(resultList(GetParent(edit)), message, wParam, lParam);
    if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, editKeyProc, 0);
    return DefSubclassProc(edit, message, wParam, lParam);
}

void onInit(SearchContext& context, HWND window) {
    context.hits.clear();
    HICON icon = LoadIconW(context.workspace.instance, L"perchlet_icon");
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetWindowSubclass(GetDlgItem(window, IDC_FIND_TEXT), editKeyProc, 0, 0);
    HWND list = resultList(window);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list, &client);
    int width = client.right - client.left - systemMetricForDpi(SM_CXVSCROLL, dpiOfWindow(list));
    addColumn(list, 0, L"タイトル", width * 3 / 5);
    addColumn(list, 1, L"フォルダ", width - width * 3 / 5);
}

RECT rectInDialog(HWND window, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(window, id), &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The edit and the status line keep their heights and the list takes the rest.
void onSize(HWND window, int width, int height) {
    RECT edit = rectInDialog(window, IDC_FIND_TEXT);
    RECT status = rectInDialog(window, IDC_FIND_STATUS);
    int margin = edit.left;
    int statusHeight = status.bottom - status.top;
    MoveWindow(GetDlgItem(window, IDC_FIND_TEXT), margin, edit.top, width - 2 * margin, edit.bottom - edit.top, TRUE);
    int top = edit.bottom + margin;
    int statusTop = height - margin - statusHeight;
    MoveWindow(resultList(window), margin, top, width - 2 * margin, statusTop - margin - top, TRUE);
    MoveWindow(GetDlgItem(window, IDC_FIND_STATUS), margin, statusTop, width - 2 * margin, statusHeight, TRUE);
    fitColumns(resultList(window));
}

INT_PTR CALLBACK findWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SearchContext* context = dialogState<SearchContext>(window, message, lParam);
    if (!context) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        onInit(*context, window);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_FIND_TEXT:
            if (HIWORD(wParam) == EN_CHANGE) showHits(*context, window);
            return TRUE;
        case IDOK:  // Enter, in the edit or in the list
            selectInTree(*context, window, selectedRow(window));
            return TRUE;
        case IDCANCEL:  // Escape or the close box
            DestroyWindow(window);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY:
        SetWindowLongPtrW(window, DWLP_MSGRESULT, onNotify(*context, window, *reinterpret_cast<NMHDR*>(lParam)));
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) showHits(*context, window, chosenNode(*context, window));
        return FALSE;
    case WM_SIZE:
        onSize(window, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_DESTROY:
        context->hits.clear();
        SetWindowLongPtrW(window, DWLP_USER, 0);
        if (context->findWindow == window) context->findWindow = nullptr;
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void openFindWindow(SearchContext& context) {
    HWND mainWindow = context.workspace.mainWindow;
    if (!context.findWindow) {
        context.findWindow = createDialogInMessageFont(context.workspace.instance, L"MYFIND", mainWindow,
                                                       findWindowProc, reinterpret_cast<LPARAM>(&context));
        if (!context.findWindow) return;
        // Beside the main window, which sits at the screen's left edge.
        RECT main{};
        GetWindowRect(mainWindow, &main);
        SetWindowPos(context.findWindow, nullptr, main.right, main.top + scaledForWindow(mainWindow, 80), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(context.findWindow, SW_SHOW);
    SetForegroundWindow(context.findWindow);
    HWND edit = GetDlgItem(context.findWindow, IDC_FIND_TEXT);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void refreshFindWindow(SearchContext& context) {
    if (context.findWindow) showHits(context, context.findWindow, chosenNode(context, context.findWindow));
}

}  // namespace perchlet
