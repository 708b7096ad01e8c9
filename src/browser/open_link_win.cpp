#include "browser/open_link_win.h"

#include <algorithm>
#include <atomic>
#include <commctrl.h>
#include <shellapi.h>
#include <thread>
#include <vector>

#include "browser/browser_command_lines.h"
#include "browser/browser_kind.h"
#include "browser/browser_window_win.h"
#include "browser/dde_client_win.h"
#include "settings/screen_scale_win.h"
#include "shell/command_ids.h"
#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "shell/window_state_win.h"
#include "store/document_text_win.h"
#include "store/tree_population.h"

namespace perchlet {

namespace {

constexpr UINT kFinishMessage = 97;
constexpr UINT kLaunchMessage = 98;
constexpr UINT_PTR kLaunchTimer = 2;
constexpr int kProgressSteps = 22;
constexpr int kWorkerPasses = 500;
constexpr DWORD kWorkerPassMs = 200;
constexpr DWORD kInputIdleMaxMs = 10000;
constexpr UINT kInputIdlePollMs = 100;
// A browser that handed its command line to a running copy has ended; its new window may
// come a little later.
constexpr int kPassesAfterHandOver = 50;

enum class LaunchState { Start = 1, SendByDde = 2, Finish = 3, WaitingForIdle = 4 };

// Shared with the launch worker. The worker writes foundWindow and found before it sets the
// stop flag and posts the finish message; the dialog reads them after joining the worker.
struct WorkerBlock {
    HWND dialog = nullptr;
    HWND progress = nullptr;
    HANDLE process = nullptr;
    DWORD processId = 0;
    std::atomic<bool> stop{false};
    bool found = false;
    HWND foundWindow = nullptr;
    // Launches by command line: the browser windows before it, and what to wait for.
    BrowserKind kind = BrowserKind::None;
    bool waitsForNewWindow = false;
    std::vector<HWND> windowsBefore;
};

// Command lines, DDE and the shell take the address as Shift-JIS text, as they always have;
// what Shift-JIS lacks is percent-encoded, which names the same page.
std::string outgoingAddress(const std::string& locator, TextEncoding encoding) {
    return convertText(locator, encoding, TextEncoding::ShiftJis, Unrepresentable::PercentEncode);
}

struct OpenState {
    OpenState(BrowserContext& browser, OpenMode openMode, NodeId node, BookmarkItem& record)
        : browser(browser), openMode(openMode), node(node), record(record),
          locator(outgoingAddress(record.locator, browser.workspace.document.file.encoding)) {}

    BrowserContext& browser;
    OpenMode openMode;
    NodeId node;
    BookmarkItem& record;
    std::string locator;  // the record's address as it goes out
    HWND dialog = nullptr;
    LaunchStyle style = LaunchStyle::Reuse;
    std::string browserPath;
    BrowserKind kind = BrowserKind::None;
    std::string service;
    bool ddeAvailable = false;
    bool rememberedWindowValid = false;
    bool rememberRequest = false;
    LaunchState state = LaunchState::Start;
    UINT finishDelayMs = 0;
    DWORD idleWaitStart = 0;
    PROCESS_INFORMATION process{};
    WorkerBlock worker;
    std::thread workerThread;
    bool finished = false;
};

std::string slotPath(const Settings& settings, OpenMode openMode) {
    BrowserSlot slot = slotOfOpenMode(openMode, settings.doubleClickSlotIndex);
    return slot != BrowserSlot::None ? settings.browserPath[slotIndex(slot)] : std::string();
}

void shellOpen(HWND owner, const std::wstring& target) {
    ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool startProcess(std::wstring line, PROCESS_INFORMATION& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_SHOWNORMAL;
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                          &startup, &process) != 0;
}

void closeProcessHandles(PROCESS_INFORMATION& process) {
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    process = {};
}

void startLocalProgram(HWND owner, const std::wstring& locator) {
    PROCESS_INFORMATION process{};
    if (startProcess(locator, process)) closeProcessHandles(process);
    else shellOpen(owner, locator);
}

// Makes the opened item a plain visited link; the date is written at the next save, so the
// document does not count as modified.
void markVisited(Document& document, NodeId node, BookmarkItem& record) {
    record.lastVisit = dateStampNow();
    document.tree.setItemNumber(node, withKind(document.tree.node(node).itemNumber, kKindWebLink));
    document.items.renumber(record, withKind(record.itemNumber, kKindWebLink));
    ImagePair images = imagesForKind(kKindWebLink);
    document.tree.setImages(node, images.normal, images.selected);
}

// Activation of another process's window completes asynchronously; keys typed before it
// would go to the window that had the focus.
void bringToFront(HWND window) {
    SetForegroundWindow(window);
    for (int i = 0; i < 50 && GetForegroundWindow() != window; ++i) Sleep(20);
}

void typeShortcut(const RunningPlan& plan) {
    // Scan code 0, in this order: Ctrl down, (Alt down,) letter down and up, (Alt up,) Ctrl up.
    keybd_event(VK_CONTROL, 0, 0, 0);
    if (plan.alt) keybd_event(VK_MENU, 0, 0, 0);
    keybd_event(static_cast<BYTE>(plan.letter), 0, 0, 0);
    keybd_event(static_cast<BYTE>(plan.letter), 0, KEYEVENTF_KEYUP, 0);
    if (plan.alt) keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
}

struct WindowQuery {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK firstWindowOfProcess(HWND window, LPARAM param) {
    auto& query = *reinterpret_cast<WindowQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query.processId || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    wchar_t title[128] = L"";
    if (GetWindowTextW(window, title, 128) <= 0) return TRUE;
    wchar_t className[256] = L"";
    GetClassNameW(window, className, 256);
    if (std::wcscmp(className, L"Progman") == 0) return TRUE;
    query.found = window;
    return FALSE;
}

// Waits for the started browser's first top-level window, stepping the bar as it goes.
void launchWorker(WorkerBlock* block) {
    block->found = false;
    for (int pass = 0; pass < kWorkerPasses; ++pass) {
        if (progressStepsAtPass(pass)) PostMessageW(block->progress, PBM_STEPIT, 0, 0);
        Sleep(kWorkerPassMs);
        WindowQuery query{block->processId, nullptr};
        EnumWindows(firstWindowOfProcess, reinterpret_cast<LPARAM>(&query));
        if (query.found) {
            block->foundWindow = query.found;
            block->found = true;
            break;
        }
        // A browser that handed the address to a running copy and ended shows no window.
        if (block->stop || WaitForSingleObject(block->process, 0) == WAIT_OBJECT_0) break;
    }
    block->stop = true;
    PostMessageW(block->dialog, kFinishMessage, 0, 0);
}

void postFinish(OpenState& open) { PostMessageW(open.dialog, kFinishMessage, 0, 0); }

void setTimerState(OpenState& open, LaunchState state, UINT milliseconds) {
    open.state = state;
    SetTimer(open.dialog, kLaunchTimer, milliseconds, nullptr);
}

// Starts a browser process with the address; false (after telling the user) when it cannot
// be started at all.
bool startBrowserWith(OpenState& open, const std::string& line) {
    closeProcessHandles(open.process);
    if (startProcess(widen(line), open.process)) return true;
    showMessage(open.dialog, "ブラウザを起動できませんでした。\r\n" + open.browserPath, "ブラウザの起動",
                MB_OK | MB_ICONWARNING);
    return false;
}

// The default browser from the registry is started as its registration says, so that the
// address lands where the browser expects one ("--single-argument %1", "-osint -url \"%1\"").
bool startBrowser(OpenState& open, bool newWindowFlag) {
    const Settings& settings = open.browser.settings;
    bool registered = !newWindowFlag && settings.registryBrowser &&
                      slotOfOpenMode(open.openMode, settings.doubleClickSlotIndex) == BrowserSlot::First &&
                      !settings.registryBrowserArguments.empty();
    std::string line = registered ? withRegisteredArguments(open.browserPath, settings.registryBrowserArguments,
                                                            open.locator)
                                  : browserCommandLine(open.browserPath, open.locator, newWindowFlag);
    return startBrowserWith(open, line);
}

// The started browser's process goes to a worker that waits for its window.
void watchStartedBrowser(OpenState& open, void (*worker)(WorkerBlock*)) {
    WorkerBlock& block = open.worker;
    block.dialog = open.dialog;
    block.progress = GetDlgItem(open.dialog, IDC_WAIT_PROGRESS);
    block.process = open.process.hProcess;
    block.processId = open.process.dwProcessId;
    block.stop = false;
    if (open.style == LaunchStyle::Reuse) open.rememberRequest = true;
    open.workerThread = std::thread(worker, &block);
    endKeptConversation(open.browser);
}

// The browser is not running (or the address is too long for DDE): start it with the
// address and let the worker wait for its window.
void startAndWatch(OpenState& open) {
    if (!startBrowser(open, false)) {
        postFinish(open);
        return;
    }
    watchStartedBrowser(open, launchWorker);
}

// Open mode 0 with a running browser: the remembered window gets the address by DDE.
// True when that finished the open.
bool sendToRememberedWindow(OpenState& open) {
    BrowserState& state = open.browser.state;
    open.rememberRequest = true;
    open.rememberedWindowValid = IsWindow(state.rememberedWindow) != 0;
    if (!open.rememberedWindowValid) {
        endKeptConversation(open.browser);
        return false;
    }
    SetForegroundWindow(state.rememberedWindow);
    if (!state.keptConversation) state.keptConversation = connectForOpening(open.browser, open.dialog, open.service.c_str());
    if (!state.keptConversation) {
        postFinish(open);
        return true;
    }
    if (requestOpenUrl(open.browser, open.locator, state.keptConversation)) {
        postFinish(open);
        return true;
    }
    // The browser has gone or refused: start again from a fresh instance, which a
    // conversation that ended under it can leave unable to connect.
    endBrowserDde(open.browser);
    return false;
}

void openInRunningBrowser(OpenState& open) {
    RunningPlan plan = runningPlan(open.kind, open.style);
    bool tab = open.style == LaunchStyle::NewTab;
    switch (plan.method) {
    case RunningMethod::StartWithAddress:
    case RunningMethod::StartSleipnir:
        if (!startBrowser(open, plan.method == RunningMethod::StartSleipnir && !tab)) {
            postFinish(open);
            return;
        }
        open.finishDelayMs = static_cast<UINT>(plan.finishDelayMs);
        open.idleWaitStart = GetTickCount();
        setTimerState(open, LaunchState::WaitingForIdle, kInputIdlePollMs);
        return;
    case RunningMethod::KeysThenDde:
        if (HWND window = findBrowserWindow(open.browser, open.dialog, open.kind)) bringToFront(window);
        typeShortcut(plan);
        setTimerState(open, LaunchState::SendByDde, static_cast<UINT>(plan.finishDelayMs));
        return;
    case RunningMethod::Nothing:
        if (plan.finishDelayMs == 0) {
            postFinish(open);
            return;
        }
        break;
    }
    setTimerState(open, LaunchState::Finish, static_cast<UINT>(plan.finishDelayMs));
}

// Browsers without DDE get the address on the command line of a new process, which hands
// it to the running browser and ends, or becomes the browser itself when none runs.

// A browser of a kind that once served DDE runs without it: today's Firefox and Opera.
bool runsWithoutDde(const OpenState& open) {
    if (open.ddeAvailable || commandLineDialect(open.kind, false) == CommandLineDialect::None) return false;
    return findBrowserWindow(open.browser, open.dialog, open.kind) != nullptr;
}

struct WindowList {
    BrowserKind kind;
    std::vector<HWND>* windows;
};

BOOL CALLBACK addBrowserWindow(HWND window, LPARAM param) {
    auto& list = *reinterpret_cast<WindowList*>(param);
    // The program's own windows are left out: reading their titles from the worker would
    // wait for the dialog's thread, which may be waiting for the worker.
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) return TRUE;
    if (browserKindOfWindow(window, list.kind) != BrowserKind::None) list.windows->push_back(window);
    return TRUE;
}

// The browser's top-level windows of the kind, front first.
std::vector<HWND> browserWindowsOfKind(BrowserKind kind) {
    std::vector<HWND> windows;
    WindowList list{kind, &windows};
    EnumWindows(addBrowserWindow, reinterpret_cast<LPARAM>(&list));
    return windows;
}

HWND newBrowserWindow(const WorkerBlock& block) {
    for (HWND window : browserWindowsOfKind(block.kind))
        if (std::find(block.windowsBefore.begin(), block.windowsBefore.end(), window) == block.windowsBefore.end())
            return window;
    return nullptr;
}

// Waits for a window of the browser that was not there before; a tab needs none, and the
// started process ending (it handed the address on) is enough, the browser's front window
// then being the one used.
void commandLineWorker(WorkerBlock* block) {
    block->found = false;
    int passesAfterExit = 0;
    for (int pass = 0; pass < kWorkerPasses; ++pass) {
        if (progressStepsAtPass(pass)) PostMessageW(block->progress, PBM_STEPIT, 0, 0);
        Sleep(kWorkerPassMs);
        if (HWND window = newBrowserWindow(*block)) {
            block->foundWindow = window;
            block->found = true;
            break;
        }
        bool ended = WaitForSingleObject(block->process, 0) == WAIT_OBJECT_0;
        if (ended && !block->waitsForNewWindow) {
            std::vector<HWND> windows = browserWindowsOfKind(block->kind);
            block->foundWindow = windows.empty() ? nullptr : windows.front();
            block->found = block->foundWindow != nullptr;
            break;
        }
        if (block->stop || (ended && ++passesAfterExit > kPassesAfterHandOver)) break;
    }
    block->stop = true;
    PostMessageW(block->dialog, kFinishMessage, 0, 0);
}

void launchByCommandLine(OpenState& open, CommandLineDialect dialect) {
    std::string name = browserDisplayName(open.kind);
    SetWindowTextW(open.dialog, widen("ブラウザの起動（" + name + "）").c_str());
    WorkerBlock& block = open.worker;
    block.kind = open.kind;
    block.waitsForNewWindow = wantsNewWindow(open.style);
    block.windowsBefore = browserWindowsOfKind(open.kind);
    if (!startBrowserWith(open, dialectCommandLine(dialect, open.browserPath, open.locator, open.style))) {
        postFinish(open);
        return;
    }
    watchStartedBrowser(open, commandLineWorker);
}

void launch(OpenState& open) {
    open.style = openModeTarget(open.openMode).style;
    open.browserPath = slotPath(open.browser.settings, open.openMode);
    open.kind = browserKindOf(open.browserPath);
    if (isChromiumKind(open.kind)) {
        launchByCommandLine(open, CommandLineDialect::Chromium);
        return;
    }
    open.service = ddeServiceName(open.kind);
    open.ddeAvailable = probeBrowser(open.dialog, open.service.c_str());
    SetWindowTextW(open.dialog, widen("ブラウザの起動（" + open.service + "）").c_str());
    if (runsWithoutDde(open)) {
        launchByCommandLine(open, commandLineDialect(open.kind, false));
        return;
    }

    // DDE cannot carry a long address at all; such an address goes on a command line.
    bool sendsByDde = open.style == LaunchStyle::Reuse ||
                      runningPlan(open.kind, open.style).method == RunningMethod::KeysThenDde;
    bool addressFits = fitsDdeItem(openUrlItem(open.locator));
    if (!open.ddeAvailable || (sendsByDde && !addressFits)) {
        startAndWatch(open);
        return;
    }
    if (open.style == LaunchStyle::Reuse && sendToRememberedWindow(open)) return;
    openInRunningBrowser(open);
}

void onTimer(OpenState& open) {
    switch (open.state) {
    case LaunchState::Start:
        KillTimer(open.dialog, kLaunchTimer);
        PostMessageW(open.dialog, kLaunchMessage, 0, 0);
        break;
    case LaunchState::SendByDde: {
        KillTimer(open.dialog, kLaunchTimer);
        if (!sendOpenUrl(open.browser, open.dialog, open.service.c_str(), open.locator))
            showMessage(open.dialog, "ブラウザにアドレスを送れませんでした。\r\n" + open.locator, "ブラウザの起動",
                        MB_OK | MB_ICONWARNING);
        postFinish(open);
        break;
    }
    case LaunchState::Finish:
        KillTimer(open.dialog, kLaunchTimer);
        postFinish(open);
        break;
    case LaunchState::WaitingForIdle:
        // Polled rather than waited for, so that the dialog answers "中止" meanwhile.
        if (WaitForInputIdle(open.process.hProcess, 0) == WAIT_TIMEOUT &&
            GetTickCount() - open.idleWaitStart < kInputIdleMaxMs)
            break;
        KillTimer(open.dialog, kLaunchTimer);
        setTimerState(open, LaunchState::Finish, open.finishDelayMs);
        break;
    }
}

void placeWindow(HWND window, const BookmarkItem& record) {
    SetWindowPos(window, nullptr, record.windowLeft, record.windowTop, record.windowRight - record.windowLeft,
                 record.windowBottom - record.windowTop, SWP_NOZORDER | SWP_NOACTIVATE);
}

void joinWorker(OpenState& open) {
    if (open.workerThread.joinable()) open.workerThread.join();
}

void finish(OpenState& open) {
    if (open.finished) return;  // the worker and "中止" may both ask
    open.finished = true;
    KillTimer(open.dialog, kLaunchTimer);
    joinWorker(open);
    BrowserState& state = open.browser.state;
    if (open.rememberRequest && open.worker.found) state.rememberedWindow = open.worker.foundWindow;
    if (open.style == LaunchStyle::Reuse && open.ddeAvailable && !open.rememberedWindowValid && !open.worker.found) {
        state.rememberedWindow = findBrowserWindow(open.browser, open.dialog, kAnyBrowserKind);
    } else if (open.style == LaunchStyle::PlacedWindow && open.record.windowRight != 0 &&
               open.record.windowBottom != 0) {
        HWND window = open.worker.found ? open.worker.foundWindow
                                        : findBrowserWindow(open.browser, open.dialog, kAnyBrowserKind);
        if (window) placeWindow(window, open.record);
    }
    closeProcessHandles(open.process);
    EndDialog(open.dialog, 1);
}

void onStop(OpenState& open) {
    if (open.worker.stop) {
        EndDialog(open.dialog, 0);  // a second press does not wait for anything
    } else {
        open.worker.stop = true;
    }
    postFinish(open);
}

void onInitDialog(OpenState& open) {
    open.rememberRequest = false;
    HWND progress = GetDlgItem(open.dialog, IDC_WAIT_PROGRESS);
    SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressSteps));
    SendMessageW(progress, PBM_SETSTEP, 1, 0);
    open.worker.found = false;
    markVisited(open.browser.workspace.document, open.node, open.record);
    SetDlgItemTextW(open.dialog, IDC_WAIT_ADDRESS, widen(open.locator).c_str());
    setTimerState(open, LaunchState::Start, 500);
}

INT_PTR CALLBACK waitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* open = dialogState<OpenState>(dialog, message, lParam);
    if (!open) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        open->dialog = dialog;
        onInitDialog(*open);
        return TRUE;
    case WM_TIMER:
        if (wParam == kLaunchTimer) onTimer(*open);
        return TRUE;
    case kLaunchMessage:
        launch(*open);
        return TRUE;
    case kFinishMessage:
        finish(*open);
        return TRUE;
    case WM_COMMAND:
        // "中止" (1); Escape and the close box stop the same way.
        if (LOWORD(wParam) == 1 || LOWORD(wParam) == IDCANCEL) onStop(*open);
        return TRUE;
    case WM_CLOSE:
        onStop(*open);
        return TRUE;
    }
    return FALSE;
}

void runWaitDialog(BrowserContext& browser, HWND owner, OpenMode openMode, NodeId node, BookmarkItem& record) {
    OpenState open(browser, openMode, node, record);
    dialogBoxInMessageFont(browser.workspace.instance, L"MYWAIT", owner, waitDialogProc, reinterpret_cast<LPARAM>(&open));
    // A second "中止" closes the dialog at once; the worker, told to stop, ends within a pass.
    open.worker.stop = true;
    joinWorker(open);
    if (open.rememberRequest && open.worker.found && !open.finished)
        browser.state.rememberedWindow = open.worker.foundWindow;
    closeProcessHandles(open.process);
}

// An address that a browser would take for one of its own options is not handed to any
// browser: every one of them may get it on a command line, where it would act as a switch.
bool refusedAsSwitch(BrowserContext& browser, HWND owner, OpenMode openMode, const std::string& locator) {
    if (!looksLikeSwitch(locator)) return false;
    std::string name = browserDisplayName(browserKindOf(slotPath(browser.settings, openMode)));
    if (name == " ") name = "ブラウザ";
    showMessage(owner, "このURLは" + name + "に渡せません。\r\n" + locator, "ブラウザの起動", MB_OK | MB_ICONWARNING);
    return true;
}

}  // namespace

bool openLink(BrowserContext& browser, HWND owner, OpenMode openMode) {
    NodeId node = browser.workspace.treeView.selectedNode();
    if (node == kNoNode) return false;
    BookmarkItem* record = nodeRecord(browser.workspace.document, node);
    if (!record) return false;
    TextEncoding encoding = browser.workspace.document.file.encoding;
    // Files and programs are opened by their whole name; only a browser's command line is
    // Shift-JIS.
    std::wstring target = widenText(record->locator, encoding);
    switch (kindOf(record->itemNumber)) {
    case kKindMailLink:
        shellOpen(owner, target);
        return true;
    case kKindShellLink:
        shellOpen(owner, target.substr(std::min<std::size_t>(7, target.size())));
        return true;
    case kKindLocalFile:
        startLocalProgram(owner, target);
        return true;
    case kKindFolder:
        return false;
    default:
        if (refusedAsSwitch(browser, owner, openMode, outgoingAddress(record->locator, encoding))) return false;
        runWaitDialog(browser, owner, openMode, node, *record);
        return true;
    }
}

}  // namespace perchlet
