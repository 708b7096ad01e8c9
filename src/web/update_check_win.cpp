#include "web/update_check_win.h"

#include <commctrl.h>
#include <thread>

#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "shell/window_helpers_win.h"
#include "shell/window_state_win.h"
#include "store/document_text_win.h"
#include "web/http_head.h"
#include "web/http_head_win.h"

namespace perchlet {

namespace {

void readAnswer(const ResponseHead& head, CheckedLink& link) {
    link.answer.statusHeaders = head.text;
    link.answer.statusCode = statusCodeOf(head.text);
    // A date nobody can read is no date.
    link.answer.lastModified = httpDateSeconds(headerValue(head.text, "Last-Modified"));
    // A response with no status line says nothing: nothing answered.
    link.answer.outcome = link.answer.statusCode == 0 ? UpdateAnswer::Outcome::Unreachable
                                                      : UpdateAnswer::Outcome::Answered;
}

}  // namespace

CheckedLink checkLink(const UpdateCheckItem& item, DWORD timeoutMs, HANDLE stopEvent) {
    CheckedLink link;
    link.asked = item.asked;
    if (!item.asked) return link;
    ResponseHead head = fetchResponseHead(item.locator, timeoutMs, stopEvent);
    switch (head.outcome) {
    case ResponseHead::Outcome::Answered: readAnswer(head, link); break;
    case ResponseHead::Outcome::Unreachable: link.answer.outcome = UpdateAnswer::Outcome::Unreachable; break;
    // A request broken off by the user says nothing about the link.
    case ResponseHead::Outcome::Stopped: link.cancelled = true; break;
    }
    return link;
}

UpdateCheckPool::UpdateCheckPool(std::vector<UpdateCheckItem> items, unsigned concurrency)
    : items_(std::move(items)), results_(items_.size()), ready_(new std::atomic<bool>[items_.size()]),
      threads_(static_cast<unsigned>(std::min<std::size_t>(std::max(concurrency, 1u), items_.size()))),
      stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    for (std::size_t i = 0; i < items_.size(); ++i) ready_[i] = false;
}

UpdateCheckPool::~UpdateCheckPool() {
    stop();
    join();
    CloseHandle(stopEvent_);
}

void UpdateCheckPool::start(std::function<void(std::size_t)> answerReady, std::function<void()> allDone) {
    answerReady_ = std::move(answerReady);
    allDone_ = std::move(allDone);
    if (threads_ == 0) {
        allDone_();
        return;
    }
    running_ = threads_;
    for (unsigned i = 0; i < threads_; ++i) workers_.emplace_back([this] { work(); });
}

void UpdateCheckPool::work() {
    while (!stop_) {
        std::size_t index = next_++;
        if (index >= items_.size()) break;
        const UpdateCheckItem& item = items_[index];
        if (item.asked) results_[index] = checkLink(item, requestTimeoutMs_, stopEvent_);
        ready_[index].store(true, std::memory_order_release);
        answerReady_(index);
    }
    if (--running_ == 0) allDone_();
}

void UpdateCheckPool::stop() {
    stop_ = 1;
    SetEvent(stopEvent_);
}

void UpdateCheckPool::join() {
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
}

namespace {

// The dialog's side: answers are shown and applied strictly in tree order, one at a time,
// however the workers finish.
struct UpdateCheckRun {
    Workspace& workspace;
    HWND dialog = nullptr;
    std::unique_ptr<UpdateCheckPool> pool;
    // At most one "answer ready" message waits in the queue, however many links there are:
    // a queue holds only so many posted messages.
    std::atomic<bool> readyPosted{false};
    std::size_t shown = 0;
    bool presenting = false;
    bool workersEnded = false;
    bool finished = false;
    UpdateTally tally;

    explicit UpdateCheckRun(Workspace& workspace) : workspace(workspace) {}
};

void setText(HWND dialog, int control, const std::string& text) {
    SetDlgItemTextW(dialog, control, widen(text).c_str());
}

void showTitle(UpdateCheckRun& run, const std::string& title) {
    SetDlgItemTextW(run.dialog, IDC_CHECK_ITEM, widenText(title, run.workspace.document.file.encoding).c_str());
}

void present(UpdateCheckRun& run, std::size_t index) {
    const UpdateCheckItem& item = run.pool->items()[index];
    const CheckedLink& link = run.pool->result(index);
    showTitle(run, item.title);
    if (link.asked && !link.cancelled) {
        Document& document = run.workspace.document;
        if (const BookmarkItem* record = nodeRecord(document, item.node)) {
            UpdateDecision decision = decideUpdate(link.answer, record->lastVisit);
            run.tally.count(decision);
            applyUpdateDecision(document, item.node, decision);
        }
    }
    SendDlgItemMessageW(run.dialog, IDC_CHECK_PROGRESS, PBM_STEPIT, 0, 0);
}

void finishIfDone(UpdateCheckRun& run) {
    if (!run.workersEnded || run.presenting || run.finished) return;
    run.pool->join();
    run.finished = true;
    setText(run.dialog, IDC_CHECK_STATUS, "更新チェックが終了しました。");
    setText(run.dialog, IDC_CHECK_ITEM, run.tally.summary());
    setText(run.dialog, IDC_CHECK_STOP, "閉じる");
    EnableWindow(GetDlgItem(run.dialog, IDC_CHECK_STOP), TRUE);
    // The dates and marks the check wrote are no undo step: they describe the pages, not edits.
    run.workspace.document.history.markChanged();
}

void presentReadyAnswers(UpdateCheckRun& run) {
    if (run.presenting || run.finished) return;  // a message box of an earlier answer is up
    run.presenting = true;
    const auto& items = run.pool->items();
    while (run.shown < items.size() && run.pool->ready(run.shown)) {
        present(run, run.shown);
        ++run.shown;
        if (run.shown < items.size()) showTitle(run, items[run.shown].title);
    }
    run.presenting = false;
    finishIfDone(run);
}

void startRun(UpdateCheckRun& run) {
    NodeId start = run.workspace.treeView.selectedNode();
    std::vector<UpdateCheckItem> items = updateCheckItems(run.workspace.document, start);
    if (items.empty()) {
        // Nothing to check: the button closes the dialog at once.
        run.finished = true;
        return;
    }
    setText(run.dialog, IDC_CHECK_STATUS, std::to_string(items.size()));
    SendDlgItemMessageW(run.dialog, IDC_CHECK_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(items.size()));
    SendDlgItemMessageW(run.dialog, IDC_CHECK_PROGRESS, PBM_SETSTEP, 1, 0);
    setText(run.dialog, IDC_CHECK_STATUS, "調査中．．．");
    showTitle(run, items.front().title);
    run.pool = std::make_unique<UpdateCheckPool>(std::move(items), kConcurrentChecks);
    HWND dialog = run.dialog;
    std::atomic<bool>* readyPosted = &run.readyPosted;
    run.pool->start(
        [dialog, readyPosted](std::size_t) {
            if (!readyPosted->exchange(true)) PostMessageW(dialog, kUpdateAnswerReady, 0, 0);
        },
        [dialog] { PostMessageW(dialog, kUpdateCheckDone, 0, 0); });
}

void onStop(UpdateCheckRun& run) {
    if (run.finished) {
        EndDialog(run.dialog, 0);
        return;
    }
    if (run.pool->stopping()) return;
    run.pool->stop();
    EnableWindow(GetDlgItem(run.dialog, IDC_CHECK_STOP), FALSE);
    setText(run.dialog, IDC_CHECK_STATUS, "しばらくお待ち下さい．．．");
}

INT_PTR CALLBACK updateCheckProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = dialogState<UpdateCheckRun>(dialog, message, lParam);
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        run->dialog = dialog;
        placeBeside(dialog, run->workspace.mainWindow);
        startRun(*run);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CHECK_STOP || LOWORD(wParam) == IDCANCEL) onStop(*run);
        return TRUE;
    case WM_CLOSE:
        onStop(*run);
        return TRUE;
    case kUpdateAnswerReady:
        run->readyPosted = false;  // before reading: a later answer posts again
        presentReadyAnswers(*run);
        return TRUE;
    case kUpdateCheckDone:
        run->workersEnded = true;
        presentReadyAnswers(*run);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void runUpdateCheck(Workspace& workspace) {
    // The run is one undo step (opened by the caller); taking it back selects where it started.
    NodeId start = workspace.treeView.selectedNode();
    workspace.document.history.setFocus(start, start);
    UpdateCheckRun run(workspace);
    dialogBoxInMessageFont(workspace.instance, L"MYCHECK", workspace.mainWindow, updateCheckProc, reinterpret_cast<LPARAM>(&run));
}

}  // namespace perchlet
