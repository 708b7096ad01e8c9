#include "web/tidy_window_win.h"

#include <commctrl.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "search/search_index.h"
#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "shell/window_helpers_win.h"
#include "store/document_text_win.h"
#include "store/undo_history.h"
#include "web/link_tidy.h"
#include "web/link_transport_win.h"

namespace perchlet {

namespace {

constexpr UINT kTidyProgress = WM_APP + 130;  // the checking thread has news

// What the checking thread hands over; the window takes it on kTidyProgress.
struct CheckMailbox {
    std::mutex lock;
    std::vector<std::pair<std::size_t, LinkProbe>> done;
    bool finished = false;
};

// The thread asks only about its own copy of the probes and never touches the window's
// state; the window stops and joins it before it goes.
void checkLinks(std::vector<LinkProbe> probes, LinkCheckSettings settings, const std::atomic<bool>* stop,
                std::shared_ptr<CheckMailbox> mailbox, HWND window) {
    {
        WinHttpLinkTransport transport(settings.jobs);
        runLinkCheck(probes, settings, transport, stop, [&](std::size_t index) {
            std::lock_guard<std::mutex> hold(mailbox->lock);
            mailbox->done.emplace_back(index, probes[index]);
            PostMessageW(window, kTidyProgress, 0, 0);
        });
    }
    std::lock_guard<std::mutex> hold(mailbox->lock);
    mailbox->finished = true;
    PostMessageW(window, kTidyProgress, 0, 0);
}

class TidyWindow {
public:
    TidyWindow(TidyContext& context, HWND window) : context_(context), window_(window) {}
    ~TidyWindow() { stopChecking(); }

    void start();
    void takeNews();
    void stop() { stop_ = true; }
    void act(int button);
    void showRowInTree(int listIndex);
    void stopChecking();
    // The window is going: the check stops, and the program may open a new one.
    void closing() {
        stopChecking();
        context_.tidyWindow = nullptr;
    }

private:
    Document& document() { return context_.workspace.document; }
    HWND list() const { return GetDlgItem(window_, IDC_TIDY_LIST); }
    void countLink(LinkClass linkClass, std::size_t links);
    void showCounts();
    void finish();
    void fillList();
    std::vector<TidyRow> checkedRows(bool (*applies)(TidyKind));

    TidyContext& context_;
    HWND window_;
    NodeId scope_ = kNoNode;
    LinkCheckPlan plan_;
    std::vector<std::size_t> linksOfProbe_;
    std::array<std::size_t, kLinkClassCount> counts_{};
    std::size_t probesDone_ = 0;
    std::vector<TidyRow> rows_;
    std::atomic<bool> stop_{false};
    std::shared_ptr<CheckMailbox> mailbox_ = std::make_shared<CheckMailbox>();
    std::thread checker_;
    bool finished_ = false;
};

void TidyWindow::start() {
    const Document& doc = document();
    scope_ = tidyScopeOf(doc, context_.workspace.treeView.selectedNode());
    std::wstring scopeText = scope_ == kNoNode ? widen("ツリー全体")
                                               : widenText(folderPathOf(doc.tree, scope_) + "/" + doc.tree.node(scope_).text,
                                                           doc.file.encoding);
    SetDlgItemTextW(window_, IDC_TIDY_SCOPE, (widen("対象: ") + scopeText).c_str());

    HWND rows = list();
    ListView_SetExtendedListViewStyle(rows, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    addColumn(rows, 0, L"種類", scaledForWindow(rows, 110));
    addColumn(rows, 1, L"名前", scaledForWindow(rows, 180));
    addColumn(rows, 2, L"理由・アドレス", scaledForWindow(rows, 300));

    plan_ = planLinkCheck(doc, scope_, doc.file.encoding);
    linksOfProbe_.assign(plan_.probes.size(), 0);
    for (const PlannedLink& link : plan_.links) {
        if (link.web) ++linksOfProbe_[link.probe];
        else ++counts_[static_cast<int>(LinkClass::NotChecked)];
    }
    SendDlgItemMessageW(window_, IDC_TIDY_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(plan_.probes.size()));
    showCounts();
    checker_ = std::thread(checkLinks, plan_.probes, context_.settings, &stop_, mailbox_, window_);
}

void TidyWindow::countLink(LinkClass linkClass, std::size_t links) { counts_[static_cast<int>(linkClass)] += links; }

void TidyWindow::showCounts() {
    std::string text = "確認 " + std::to_string(probesDone_) + " / " + std::to_string(plan_.probes.size()) + " 件　";
    for (int c = 0; c < kLinkClassCount; ++c)
        text += linkClassLabel(static_cast<LinkClass>(c)) + " " + std::to_string(counts_[c]) + "　";
    SetDlgItemTextW(window_, IDC_TIDY_COUNTS, widen(text).c_str());
}

void TidyWindow::takeNews() {
    std::vector<std::pair<std::size_t, LinkProbe>> done;
    bool finished = false;
    {
        std::lock_guard<std::mutex> hold(mailbox_->lock);
        done.swap(mailbox_->done);
        finished = mailbox_->finished;
    }
    for (auto& [index, probe] : done) {
        plan_.probes[index] = std::move(probe);
        countLink(plan_.probes[index].linkClass, linksOfProbe_[index]);
        ++probesDone_;
    }
    SendDlgItemMessageW(window_, IDC_TIDY_PROGRESS, PBM_SETPOS, probesDone_, 0);
    showCounts();
    if (finished && !finished_) finish();
}

void TidyWindow::finish() {
    finished_ = true;
    stopChecking();
    EnableWindow(GetDlgItem(window_, IDC_TIDY_STOP), FALSE);
    for (int id : {IDC_TIDY_DELETE, IDC_TIDY_MOVE, IDC_TIDY_UPDATE, IDC_TIDY_EMPTY})
        EnableWindow(GetDlgItem(window_, id), TRUE);
    rows_ = linkRowsOf(document(), plan_);
    for (TidyRow& row : structureRowsOf(document(), scope_)) rows_.push_back(std::move(row));
    fillList();
}

// Rows whose item changed or went since are no longer shown; the others keep their ticks.
void TidyWindow::fillList() {
    HWND rows = list();
    std::vector<TidyRow> kept;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!rowStillHolds(document(), rows_[i])) continue;
        int shown = static_cast<int>(i);
        if (ListView_GetItemCount(rows) > shown) rows_[i].checked = ListView_GetCheckState(rows, shown) != 0;
        kept.push_back(rows_[i]);
    }
    rows_ = std::move(kept);
    ListView_DeleteAllItems(rows);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const TidyRow& row = rows_[i];
        std::wstring kind = widen(tidyKindLabel(row.kind));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = kind.data();
        int at = ListView_InsertItem(rows, &item);
        TextEncoding encoding = document().file.encoding;
        std::wstring title = widenText(document().tree.node(row.node).text, encoding);
        std::wstring detail = row.kind == TidyKind::Moved ? widenText(row.locator, encoding) + widen(" → ") +
                                                               widen(row.newAddress)
                                                         : widenText(tidyRowDetail(row), encoding);
        ListView_SetItemText(rows, at, 1, title.data());
        ListView_SetItemText(rows, at, 2, detail.data());
        ListView_SetCheckState(rows, at, row.checked);
    }
}

bool anyRow(TidyKind) { return true; }
bool deadOrBlockedRow(TidyKind kind) { return kind == TidyKind::Dead || kind == TidyKind::Blocked; }
bool movedRow(TidyKind kind) { return kind == TidyKind::Moved; }
bool emptyFolderRow(TidyKind kind) { return kind == TidyKind::EmptyFolder; }

std::vector<TidyRow> TidyWindow::checkedRows(bool (*applies)(TidyKind)) {
    std::vector<TidyRow> picked;
    HWND rows = list();
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (ListView_GetCheckState(rows, static_cast<int>(i)) && applies(rows_[i].kind)) picked.push_back(rows_[i]);
    return picked;
}

// Each button is one undo step, named as the button is.
void TidyWindow::act(int button) {
    Document& doc = document();
    switch (button) {
    case IDC_TIDY_DELETE: {
        UndoStep step(doc, "削除");
        deleteRows(doc, checkedRows(anyRow));
        break;
    }
    case IDC_TIDY_MOVE: {
        UndoStep step(doc, "リンク切れへ移動");
        moveRowsToDeadLinkFolder(doc, checkedRows(deadOrBlockedRow), context_.workspace.treeView);
        break;
    }
    case IDC_TIDY_UPDATE: {
        UndoStep step(doc, "新しいアドレスに更新");
        updateMovedRows(doc, checkedRows(movedRow));
        break;
    }
    case IDC_TIDY_EMPTY: {
        UndoStep step(doc, "空のフォルダを削除");
        deleteEmptyFolderRows(doc, checkedRows(emptyFolderRow));
        break;
    }
    }
    fillList();
}

void TidyWindow::showRowInTree(int listIndex) {
    if (listIndex < 0 || static_cast<std::size_t>(listIndex) >= rows_.size()) return;
    const TidyRow& row = rows_[static_cast<std::size_t>(listIndex)];
    if (!rowStillHolds(document(), row)) return;
    context_.workspace.treeView.select(row.node);
    context_.workspace.treeView.ensureVisible(row.node);
}

void TidyWindow::stopChecking() {
    stop_ = true;
    if (checker_.joinable()) checker_.join();
}

TidyWindow* tidyWindowOf(HWND window) { return reinterpret_cast<TidyWindow*>(GetWindowLongPtrW(window, DWLP_USER)); }

INT_PTR onNotify(TidyWindow& tidy, const NMHDR& header) {
    if (header.idFrom == IDC_TIDY_LIST && header.code == NM_DBLCLK)
        tidy.showRowInTree(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
    return TRUE;
}

INT_PTR onCommand(TidyWindow& tidy, HWND window, int id) {
    switch (id) {
    case IDC_TIDY_STOP: tidy.stop(); break;
    case IDCANCEL: DestroyWindow(window); break;
    case IDC_TIDY_DELETE:
    case IDC_TIDY_MOVE:
    case IDC_TIDY_UPDATE:
    case IDC_TIDY_EMPTY: tidy.act(id); break;
    }
    return TRUE;
}

INT_PTR CALLBACK tidyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto& context = *reinterpret_cast<TidyContext*>(lParam);
        auto* tidy = new TidyWindow(context, window);
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(tidy));
        context.tidyWindow = window;
        tidy->start();
        return TRUE;
    }
    TidyWindow* tidy = tidyWindowOf(window);
    if (!tidy) return FALSE;
    switch (message) {
    case kTidyProgress: tidy->takeNews(); return TRUE;
    case WM_COMMAND: return onCommand(*tidy, window, LOWORD(wParam));
    case WM_NOTIFY: return onNotify(*tidy, *reinterpret_cast<NMHDR*>(lParam));
    case WM_CLOSE: DestroyWindow(window); return TRUE;
    case WM_DESTROY:
        // Stopped and joined here, so no thread outlives the window.
        tidy->closing();
        return TRUE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, DWLP_USER, 0);
        delete tidy;
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void openTidyWindow(TidyContext& context) {
    if (context.tidyWindow) {
        ShowWindow(context.tidyWindow, SW_RESTORE);
        SetForegroundWindow(context.tidyWindow);
        return;
    }
    HWND window = CreateDialogParamW(context.workspace.instance, L"MYTIDY", context.workspace.mainWindow, tidyWindowProc,
                                     reinterpret_cast<LPARAM>(&context));
    if (!window) return;
    placeBeside(window, context.workspace.mainWindow);
    ShowWindow(window, SW_SHOW);
}

void addUpdateFailureTip(NMTVGETINFOTIPW& tip, const Workspace& workspace) {
    if (!tip.pszText || tip.cchTextMax <= 0) return;
    std::string reason = updateFailureReason(workspace.document, workspace.treeView.nodeOf(tip.hItem));
    if (reason.empty()) return;
    std::wstring text = tip.pszText;  // the whole title, when the pane cuts it short
    text += (text.empty() ? L"" : L"\r\n") + widen(reason);
    lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
}

}  // namespace perchlet
