#include "web/title_fetch_win.h"

#include <atomic>
#include <commctrl.h>
#include <memory>
#include <mutex>
#include <thread>

#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "shell/window_state_win.h"
#include "web/http_win.h"
#include "web/title_scanner.h"

namespace perchlet {

namespace {

constexpr DWORD kChunkSize = 1000;
constexpr std::size_t kKeptHeadBytes = 64 * 1024;

// What the dialog and its worker share; each holds a share, so that a worker stuck in a
// call that closing its handles does not break (Wine's WinINet) can outlive the dialog.
struct TitleFetch {
    HWND dialog = nullptr;
    std::string locator;
    TextEncoding encoding = TextEncoding::ShiftJis;  // the title field's
    std::atomic<int> stop{0};
    HttpConnection http;

    // Published by the worker after every chunk; read by the dialog at the end or at stop.
    std::mutex lock;
    bool found = false;
    int status = 0;  // the response's status code; 0 when unknown
    std::string raw;
    std::string headerCharset;
    std::string pageCharset;
};

struct TitleFetchDialog {
    std::shared_ptr<TitleFetch> fetch;
    std::thread worker;
    FetchedTitle result;
};

void step(const TitleFetch& fetch) {
    PostMessageW(GetDlgItem(fetch.dialog, IDC_TITLE_PROGRESS), PBM_STEPIT, 0, 0);
}

void publish(TitleFetch& fetch, const TitleScanner& scanner, const std::string& pageCharset) {
    std::lock_guard<std::mutex> hold(fetch.lock);
    fetch.found = scanner.openingFound();
    fetch.raw = fetch.found ? scanner.title() : std::string();
    fetch.pageCharset = pageCharset;
}

bool isSuccess(int status) { return status >= 200 && status <= 299; }

void readTitle(TitleFetch& fetch) {
    // An error page's title names the error, not the page asked for.
    int status = fetch.http.statusCode();
    {
        std::lock_guard<std::mutex> hold(fetch.lock);
        fetch.status = status;
    }
    if (status != 0 && !isSuccess(status)) {
        step(fetch);
        return;
    }
    {
        std::string charset = declaredCharset(fetch.http.headerText(HTTP_QUERY_CONTENT_TYPE));
        std::lock_guard<std::mutex> hold(fetch.lock);
        fetch.headerCharset = charset;
    }
    TitleScanner scanner;
    std::string head;  // the page up to its title, where a meta tag names the charset
    std::string pageCharset;
    char chunk[kChunkSize];
    while (!fetch.stop) {
        DWORD got = fetch.http.read(chunk, kChunkSize);
        if (got == 0) break;
        bool hadTitle = scanner.openingFound();
        if (!hadTitle && head.size() < kKeptHeadBytes) head.append(chunk, got);
        bool ended = scanner.feed(std::string_view(chunk, got));
        if (!hadTitle && scanner.openingFound()) pageCharset = declaredCharset(head);
        publish(fetch, scanner, pageCharset);
        if (ended) break;
    }
    step(fetch);
}

void runTitleFetch(std::shared_ptr<TitleFetch> fetch) {
    step(*fetch);
    if (fetch->http.openSession()) {
        step(*fetch);
        if (fetch->http.openUrl(fetch->locator)) {
            step(*fetch);
            readTitle(*fetch);
        }
    }
    fetch->http.close();
    step(*fetch);
    if (fetch->stop.exchange(1) == 0) PostMessageW(fetch->dialog, kTitleFetchDone, 0, 0);
}

std::string failureText(TitleFetch& fetch) {
    std::lock_guard<std::mutex> hold(fetch.lock);
    if (fetch.status != 0 && !isSuccess(fetch.status))
        return "取得に失敗しました（HTTP " + std::to_string(fetch.status) + "）";
    return "取得に失敗しました";
}

// The title as far as it was read; the message when there is none.
void endWithTitle(HWND dialog, TitleFetchDialog& state) {
    TitleFetch& fetch = *state.fetch;
    {
        std::lock_guard<std::mutex> hold(fetch.lock);
        state.result.found = fetch.found;
        state.result.raw = fetch.raw;
        if (fetch.found) state.result.field = titleFieldText(fetch.raw, fetch.headerCharset, fetch.pageCharset, fetch.encoding);
    }
    if (!state.result.found) showMessage(dialog, failureText(fetch), "タイトル取得", MB_OK | MB_ICONWARNING);
    SendDlgItemMessageW(dialog, IDC_TITLE_PROGRESS, PBM_SETPOS, 0, 0);
    EndDialog(dialog, state.result.found ? 1 : 0);
}

// Closing the handles breaks a blocking call where WinINet allows it; where it does not, the
// worker is left to end on its own, and the dialog closes with what was read.
void onStop(HWND dialog, TitleFetchDialog& state) {
    TitleFetch& fetch = *state.fetch;
    fetch.http.abort();
    EnableWindow(GetDlgItem(dialog, IDC_TITLE_STOP), FALSE);
    SetDlgItemTextW(dialog, IDC_TITLE_STATUS, widen("しばらくお待ち下さい．．．").c_str());
    if (fetch.stop.exchange(1) == 0) {
        state.worker.detach();
    } else if (state.worker.joinable()) {
        state.worker.join();  // it has posted its completion and is ending
    }
    endWithTitle(dialog, state);
}

void onDone(HWND dialog, TitleFetchDialog& state) {
    if (state.worker.joinable()) state.worker.join();
    endWithTitle(dialog, state);
}

INT_PTR CALLBACK titleFetchProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = dialogState<TitleFetchDialog>(dialog, message, lParam);
    if (!state) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageW(dialog, IDC_TITLE_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendDlgItemMessageW(dialog, IDC_TITLE_PROGRESS, PBM_SETSTEP, 20, 0);
        state->fetch->dialog = dialog;
        state->worker = std::thread(runTitleFetch, state->fetch);
        return TRUE;
    case WM_COMMAND:
        if ((LOWORD(wParam) == IDC_TITLE_STOP || LOWORD(wParam) == IDCANCEL) && state->worker.joinable())
            onStop(dialog, *state);
        return TRUE;
    case WM_CLOSE:
        if (state->worker.joinable()) onStop(dialog, *state);
        return TRUE;
    case kTitleFetchDone:
        if (state->worker.joinable()) onDone(dialog, *state);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

FetchedTitle fetchTitleWithDialog(HINSTANCE instance, HWND owner, const std::string& locator, TextEncoding encoding) {
    TitleFetchDialog state;
    state.fetch = std::make_shared<TitleFetch>();
    // The request goes out as the Shift-JIS locator always did; what Shift-JIS cannot hold is
    // percent-encoded, which names the same address.
    state.fetch->locator = convertText(locator, encoding, TextEncoding::ShiftJis, Unrepresentable::PercentEncode);
    state.fetch->encoding = encoding;
    dialogBoxInMessageFont(instance, L"MYGETTITLE", owner, titleFetchProc, reinterpret_cast<LPARAM>(&state));
    if (state.worker.joinable()) {  // the dialog ended some other way: the worker must not stay behind
        state.fetch->stop = 1;
        state.fetch->http.abort();
        state.worker.detach();
    }
    return state.result;
}

}  // namespace perchlet
