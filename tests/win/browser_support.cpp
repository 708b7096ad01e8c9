#include "browser_support.h"

#include <set>
#include <sstream>

#include "main_window_fixture.h"
#include "shell/text_win.h"
#include "store/tree_population.h"

namespace perchlet::testing {

namespace {

std::string browsersFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return narrow(folder.substr(0, folder.find_last_of(L'\\'))) + "\\browsers";
}

struct BrowserWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchBrowserWindow(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<BrowserWindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[32] = L"";
    GetClassNameW(window, className, 32);
    std::wstring name = className;
    bool browserClass = name == L"TestBrowserWindow" || name == L"Chrome_WidgetWin_1" || name == L"MozillaWindowClass";
    if (owner != search.processId || !IsWindowVisible(window) || !browserClass) return TRUE;
    search.found = window;
    return FALSE;
}

// A shown top-level window of the test browser with this process id, or nullptr.
HWND shownBrowserWindowOf(DWORD processId) {
    BrowserWindowSearch search{processId, nullptr};
    EnumWindows(matchBrowserWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

TestBrowsers::TestBrowsers(std::string folder) : folder_(std::move(folder)), log_(folder_ + "\\browser.log") {
    configure("");
}

TestBrowsers::~TestBrowsers() { endAll(); }

std::string TestBrowsers::install(const std::string& name, const std::string& subfolder) {
    std::string target = folder_;
    if (!subfolder.empty()) {
        target += "\\" + subfolder;
        CreateDirectoryW(widen(target).c_str(), nullptr);
        CopyFileW(widen(folder_ + "\\testbrowser.ini").c_str(), widen(target + "\\testbrowser.ini").c_str(), FALSE);
    }
    target += "\\" + name + ".exe";
    CopyFileW(widen(browsersFolder() + "\\" + name + ".exe").c_str(), widen(target).c_str(), FALSE);
    return target;
}

void TestBrowsers::configure(const std::string& extraLines) {
    writeBytes(folder_ + "\\testbrowser.ini", "[Browser]\r\nLog=" + log_ + "\r\n" + extraLines);
}

DWORD TestBrowsers::start(const std::string& path, const std::string& address) {
    std::size_t before = mark();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = widen("\"" + path + "\" " + address);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    waitFor("window", before);
    // The log line comes just before the window: wait until a search can find it.
    for (int i = 0; i < 250 && !shownBrowserWindowOf(process.dwProcessId); ++i) Sleep(20);
    return process.dwProcessId;
}

std::vector<std::string> TestBrowsers::lines() const {
    std::istringstream text(readBytes(log_));
    std::vector<std::string> result;
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

std::vector<std::string> TestBrowsers::eventsSince(std::size_t mark) const {
    std::vector<std::string> all = lines();
    std::vector<std::string> events;
    for (std::size_t i = mark; i < all.size(); ++i) events.push_back(all[i].substr(all[i].find(' ') + 1));
    return events;
}

bool TestBrowsers::waitFor(const std::string& prefix, std::size_t mark, DWORD maxMs) const {
    DWORD start = GetTickCount();
    do {
        for (const std::string& event : eventsSince(mark))
            if (event.compare(0, prefix.size(), prefix) == 0) return true;
        pumpMessages(50);
    } while (GetTickCount() - start < maxMs);
    return false;
}

void TestBrowsers::endAll() {
    std::set<DWORD> ids;
    for (const std::string& line : lines()) ids.insert(std::strtoul(line.c_str(), nullptr, 10));
    for (DWORD id : ids) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

namespace {

struct OwnWindowQuery {
    const std::wstring* prefix;
    HWND found;
};

BOOL CALLBACK matchOwnWindow(HWND window, LPARAM param) {
    auto& query = *reinterpret_cast<OwnWindowQuery*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    if (windowText(window).compare(0, query.prefix->size(), *query.prefix) != 0) return TRUE;
    query.found = window;
    return FALSE;
}

}  // namespace

HWND findOwnWindow(const std::wstring& titlePrefix) {
    OwnWindowQuery query{&titlePrefix, nullptr};
    EnumWindows(matchOwnWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

void BrowserTest::SetUp() {
    MainWindowTest::SetUp();
    startMainWindow();
    root = insertRootItem(app().document);
    folderNode = add(root, "Folder", "");
    link = add(root, "Link", "http://a.example/");
    app().treeView.expand(root);
    app().document.history.markSaved();
    browsers = std::make_unique<TestBrowsers>(narrow(folder));
}

void BrowserTest::TearDown() {
    destroyMainWindow();
    browsers.reset();
    MainWindowTest::TearDown();
}

}  // namespace perchlet::testing
