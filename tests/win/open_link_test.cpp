// Opening links in real browser processes (the test browser under its browsers' names, and
// Wine's own), by DDE, command lines and typed keys, through the real main window.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "browser/browser_window_win.h"
#include "browser/dde_client_win.h"
#include "browser/open_link_win.h"
#include "browser_support.h"
#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/document_text_win.h"
#include "store/tree_population.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

bool contains(const std::vector<std::string>& events, const std::string& prefix) {
    for (const std::string& event : events)
        if (event.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

std::string joined(const std::vector<std::string>& events) {
    std::string text;
    for (const std::string& event : events) text += event + "\n";
    return text;
}

class OpenLink : public BrowserTest {
protected:
    BookmarkItem& recordOf(NodeId node) { return *nodeRecord(app().document, node); }

    // Opens the node with a command, as the menus do; the wait dialog runs to its end.
    void open(NodeId node, int command) {
        app().treeView.select(node);
        SendMessageW(mainWindow(), WM_COMMAND, command, 0);
        pumpMessages();
    }

    std::string startLine(const std::string& exe, const std::string& arguments) { return "start " + exe + " " + arguments; }
};

// The first open starts the browser with the address, and its window is remembered; the
// second goes to that window by DDE. The opened link becomes a plain visited link.
TEST_F(OpenLink, FirstOpenStartsTheBrowserSecondUsesDde) {
    std::string firefox = browsers->install("firefox");
    app().settings.browserPath[0] = firefox;
    NodeId second = add(root, "Second", "http://b.example/");
    BookmarkItem& record = recordOf(link);
    app().document.items.renumber(record, withKind(record.itemNumber, kKindChangedLink));
    app().document.tree.setItemNumber(link, record.itemNumber);
    app().document.tree.setImages(link, kImageChanged, kImageChanged + 1);
    app().document.history.markSaved();

    std::size_t mark = browsers->mark();
    open(link, CMD_OPEN_ITEM);
    std::vector<std::string> events = browsers->eventsSince(mark);
    EXPECT_TRUE(contains(events, startLine(firefox, "http://a.example/"))) << joined(events);
    HWND remembered = app().browser.state.rememberedWindow;
    ASSERT_TRUE(IsWindow(remembered));
    EXPECT_TRUE(windowText(remembered) == L"http://a.example/ - Mozilla Firefox");
    EXPECT_EQ(kindOf(app().document.tree.node(link).itemNumber), kKindWebLink);
    EXPECT_EQ(kindOf(record.itemNumber), kKindWebLink);
    EXPECT_EQ(app().document.tree.node(link).image, kImageLink);
    EXPECT_EQ(app().document.tree.node(link).selectedImage, kImageLink + 1);
    TVITEMW shown{};
    shown.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    shown.hItem = app().treeView.itemOf(link);
    SendMessageW(treeWindow(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown.iImage, kImageLink);
    EXPECT_EQ(shown.iSelectedImage, kImageLink + 1);
    EXPECT_EQ(kindOf(static_cast<ItemNumber>(shown.lParam)), kKindWebLink);
    EXPECT_GE(std::atoll(record.lastVisit.str().c_str()), 1700000000LL);
    EXPECT_FALSE(app().document.modified());

    mark = browsers->mark();
    open(second, CMD_OPEN_ITEM);
    events = browsers->eventsSince(mark);
    EXPECT_EQ(events, std::vector<std::string>{"dde WWW_OpenURL \"http://b.example/\",,0xFFFFFFFF,0x0,,,"});
    EXPECT_EQ(app().browser.state.rememberedWindow, remembered);
    EXPECT_NE(app().browser.state.keptConversation, nullptr);
}

// Each way of opening with a browser that already runs, against what the browser saw.
TEST_F(OpenLink, RunningBrowserPerKindAndOpenMode) {
    struct Row {
        const char* browser;
        int command;
        std::vector<std::string> expected;  // event prefixes in order; "start" gets the exe path
    };
    const std::string item = "dde WWW_OpenURL \"http://a.example/\",,0xFFFFFFFF,0x0,,,";
    const Row rows[] = {
        {"firefox", CMD_OPEN_SLOT1_NEW, {"key ctrl+N", item}},
        {"firefox", CMD_OPEN_SLOT1_TAB, {"key ctrl+T", item}},
        {"netscp", CMD_OPEN_SLOT1_NEW, {"key ctrl+N", item}},
        {"mozilla", CMD_OPEN_SLOT1_TAB, {"key ctrl+T", item}},
        {"opera", CMD_OPEN_SLOT1_NEW, {"key ctrl+alt+N", item}},
        {"opera", CMD_OPEN_SLOT1_TAB, {"key ctrl+N", item}},
        {"iexplore", CMD_OPEN_SLOT1_NEW, {"start  http://a.example/"}},
        {"netscape", CMD_OPEN_SLOT1_PLACED, {"start  http://a.example/"}},
        {"iexplore", CMD_OPEN_SLOT1_TAB, {}},  // no tabs: nothing opens
        {"sleipnir", CMD_OPEN_SLOT1_NEW, {"start  /m http://a.example/"}},
        {"sleipnir", CMD_OPEN_SLOT1_TAB, {"start  http://a.example/"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.browser) + " " + std::to_string(row.command));
        browsers->endAll();
        std::string path = browsers->install(row.browser);
        app().settings.browserPath[0] = path;
        ASSERT_NE(browsers->start(path, "about:blank"), 0u);
        std::size_t mark = browsers->mark();
        open(link, row.command);
        if (!row.expected.empty()) browsers->waitFor(row.expected.back().substr(0, 5), mark, 10000);
        std::vector<std::string> events;
        for (const std::string& event : browsers->eventsSince(mark))
            if (event.compare(0, 6, "window") != 0) events.push_back(event);
        ASSERT_EQ(events.size(), row.expected.size()) << joined(events);
        for (std::size_t i = 0; i < events.size(); ++i) {
            std::string expected = row.expected[i];
            if (expected.compare(0, 7, "start  ") == 0) expected = "start " + path + expected.substr(6);
            EXPECT_EQ(events[i], expected);
        }
    }
}

// A: the browser starts; B: by DDE into the remembered window, whose conversation is kept;
// A again in a new window or tab of the same slot: the keys, then the address by DDE.
TEST_F(OpenLink, NewWindowOrTabAfterAReusedWindowStillGetsTheAddress) {
    struct Row {
        int command;
        const char* key;
    };
    const Row rows[] = {{CMD_OPEN_SLOT1_NEW, "key ctrl+N"}, {CMD_OPEN_SLOT1_TAB, "key ctrl+T"}};
    std::string firefox = browsers->install("firefox");
    app().settings.browserPath[0] = firefox;
    NodeId second = add(root, "Second", "http://b.example/");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        browsers->endAll();
        endBrowserDde(app().browser);
        app().browser.state.rememberedWindow = nullptr;
        std::size_t mark = browsers->mark();
        open(link, CMD_OPEN_ITEM);
        ASSERT_TRUE(contains(browsers->eventsSince(mark), "start ")) << joined(browsers->eventsSince(mark));
        open(second, CMD_OPEN_ITEM);
        ASSERT_NE(app().browser.state.keptConversation, nullptr);

        mark = browsers->mark();
        open(link, row.command);
        browsers->waitFor("dde", mark, 10000);
        std::vector<std::string> events;
        for (const std::string& event : browsers->eventsSince(mark))
            if (event.compare(0, 6, "window") != 0) events.push_back(event);
        EXPECT_EQ(events, (std::vector<std::string>{row.key, "dde WWW_OpenURL \"http://a.example/\",,0xFFFFFFFF,0x0,,,"}))
            << joined(events);
    }
}

TEST_F(OpenLink, PlacedWindowMovesToTheStoredRectangleOnlyWhenItHasOne) {
    std::string firefox = browsers->install("firefox");
    app().settings.browserPath[0] = firefox;
    ASSERT_NE(browsers->start(firefox, "about:blank"), 0u);
    BookmarkItem& record = recordOf(link);
    struct Case { int right, bottom; const char* move; };
    const Case cases[] = {{500, 420, "move 100 120 400 300"}, {0, 420, nullptr}, {500, 0, nullptr}};
    for (const Case& c : cases) {
        record.windowLeft = 100, record.windowTop = 120, record.windowRight = c.right, record.windowBottom = c.bottom;
        std::size_t mark = browsers->mark();
        open(link, CMD_OPEN_SLOT1_PLACED);
        std::vector<std::string> events = browsers->eventsSince(mark);
        if (c.move) {
            EXPECT_TRUE(browsers->waitFor(c.move, mark, 10000)) << joined(events);
        } else {
            EXPECT_FALSE(contains(events, "move")) << joined(events);
        }
    }
}

// DDE cannot carry an item over 255 characters: such an address goes on the command line.
// Quotes travel as %22 and '%' as it is, on both roads.
TEST_F(OpenLink, LongAndOddAddressesReachTheBrowser) {
    std::string firefox = browsers->install("firefox");
    app().settings.browserPath[0] = firefox;
    std::string longAddress = "http://a.example/?q=" + std::string(380, 'x');
    NodeId longLink = add(root, "Long", longAddress);
    NodeId oddLink = add(root, "Odd", "http://a.example/?a=\"b\"&c=%25");
    open(link, CMD_OPEN_ITEM);  // starts it and remembers its window
    ASSERT_TRUE(IsWindow(app().browser.state.rememberedWindow));

    std::size_t mark = browsers->mark();
    open(oddLink, CMD_OPEN_ITEM);
    EXPECT_EQ(browsers->eventsSince(mark),
              std::vector<std::string>{"dde WWW_OpenURL \"http://a.example/?a=%22b%22&c=%25\",,0xFFFFFFFF,0x0,,,"});

    for (int command : {CMD_OPEN_ITEM, CMD_OPEN_SLOT1_NEW}) {
        mark = browsers->mark();
        open(longLink, command);
        std::vector<std::string> events = browsers->eventsSince(mark);
        EXPECT_TRUE(contains(events, startLine(firefox, longAddress))) << joined(events);
        EXPECT_FALSE(contains(events, "dde")) << joined(events);
        EXPECT_FALSE(contains(events, "key")) << joined(events);
    }

    browsers->endAll();
    mark = browsers->mark();
    open(oddLink, CMD_OPEN_ITEM);
    EXPECT_TRUE(contains(browsers->eventsSince(mark), startLine(firefox, "http://a.example/?a=%22b%22&c=%25")));
}

TEST_F(OpenLink, BadBrowserPathsEndTheDialog) {
    std::string spaced = browsers->install("firefox", "a b");
    struct Case { std::string path; bool started; };
    const Case cases[] = {
        {spaced, true},
        {"\"" + spaced + "\"", true},
        {narrow(folder) + "\\missing.exe", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        browsers->endAll();
        asked.clear();
        app().settings.browserPath[0] = c.path;
        std::size_t mark = browsers->mark();
        open(link, CMD_OPEN_ITEM);
        bool started = contains(browsers->eventsSince(mark), "start \"" + spaced + "\" http://a.example/");
        EXPECT_EQ(started, c.started) << joined(browsers->eventsSince(mark));
        if (!c.started) {
            ASSERT_EQ(asked.size(), 1u);
            EXPECT_TRUE(asked[0].caption == L"ブラウザの起動");
        }
    }
}

// A browser whose window never comes: "中止" ends the wait, at the first press and when
// pressed twice at once.
TEST_F(OpenLink, StopEndsTheWait) {
    browsers->configure("NoDde=1\r\nNoWindow=1\r\n");
    app().settings.browserPath[0] = browsers->install("otherbrowser");
    for (int presses : {1, 2}) {
        SCOPED_TRACE(presses);
        std::atomic<bool> pressed{false};
        std::thread presser([&] {
            for (int i = 0; i < 600 && !pressed; ++i) {
                HWND dialog = findOwnWindow(L"ブラウザの起動");
                // Wait until the launch has started (the caption names the service).
                if (dialog && windowText(dialog).size() > 8) {
                    for (int p = 0; p < presses; ++p) PostMessageW(dialog, WM_COMMAND, 1, 0);
                    pressed = true;
                }
                Sleep(50);
            }
        });
        std::size_t mark = browsers->mark();
        open(link, CMD_OPEN_ITEM);
        pressed = true;
        presser.join();
        EXPECT_TRUE(browsers->waitFor("start", mark));
        EXPECT_EQ(findOwnWindow(L"ブラウザの起動"), nullptr);
        EXPECT_EQ(app().browser.state.rememberedWindow, nullptr);
    }
}

// A browser that takes DDE requests but never answers, or answers late: the request gives up
// after the time-out, counts as sent, and the program goes on.
TEST_F(OpenLink, SilentAndSlowBrowsersDoNotHoldTheProgram) {
    app().browser.state.ddeTimeoutMs = 1000;  // the program waits 10 s; the rule is the same
    for (const char* mode : {"DdeBlock=1\r\n", "DdeDelayMs=2500\r\n"}) {
        SCOPED_TRACE(mode);
        browsers->endAll();
        browsers->configure(mode);
        std::string firefox = browsers->install("firefox");
        app().settings.browserPath[0] = firefox;
        ASSERT_NE(browsers->start(firefox, "about:blank"), 0u);
        app().browser.state.rememberedWindow = FindWindowW(L"TestBrowserWindow", nullptr);
        endKeptConversation(app().browser);
        std::size_t mark = browsers->mark();
        open(link, CMD_OPEN_ITEM);
        std::vector<std::string> events = browsers->eventsSince(mark);
        EXPECT_TRUE(contains(events, "dde WWW_OpenURL")) << joined(events);
        EXPECT_FALSE(contains(events, "key")) << joined(events);  // no fallback: it counted as sent
    }
}

// The kept conversation of a browser that has ended is not trusted with the address.
TEST_F(OpenLink, KeptConversationOfAnEndedBrowserIsReplaced) {
    std::string firefox = browsers->install("firefox");
    app().settings.browserPath[0] = firefox;
    open(link, CMD_OPEN_ITEM);
    open(link, CMD_OPEN_ITEM);
    ASSERT_NE(app().browser.state.keptConversation, nullptr);
    browsers->endAll();
    ASSERT_NE(browsers->start(firefox, "about:blank"), 0u);
    app().browser.state.rememberedWindow = FindWindowW(L"TestBrowserWindow", nullptr);

    std::size_t mark = browsers->mark();
    open(link, CMD_OPEN_ITEM);
    std::vector<std::string> events = browsers->eventsSince(mark);
    EXPECT_TRUE(contains(events, "key ctrl+N")) << joined(events);
    EXPECT_TRUE(contains(events, "dde WWW_OpenURL")) << joined(events);
    mark = browsers->mark();
    open(link, CMD_OPEN_ITEM);
    EXPECT_EQ(browsers->eventsSince(mark).size(), 1u) << joined(browsers->eventsSince(mark));
}

// Wine's own browsers as peers: its Internet Explorer (kind 1, no DDE service) is started and
// its window remembered and placed; winebrowser (kind 9) hands the address on and ends
// without a window, which ends the wait at once.
TEST_F(OpenLink, WinesOwnBrowsers) {
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mshtml=");  // no offer to fetch the HTML engine
    NodeId local = add(root, "Local", "http://127.0.0.1:1/");
    app().settings.browserPath[0] = "C:\\Program Files\\Internet Explorer\\iexplore.exe";
    open(local, CMD_OPEN_ITEM);
    HWND explorer = app().browser.state.rememberedWindow;
    ASSERT_TRUE(IsWindow(explorer));
    EXPECT_NE(windowText(explorer).find(L"Internet Explorer"), std::wstring::npos);
    DWORD explorerId = 0;
    GetWindowThreadProcessId(explorer, &explorerId);

    app().settings.alignment = 0;
    app().settings.browserX = "40", app().settings.browserY = "50";
    app().settings.browserWidth = "500", app().settings.browserHeight = "400";
    SendMessageW(mainWindow(), WM_COMMAND, CMD_RESTORE_BROWSER_POS, 0);
    RECT rect{};
    for (int i = 0; i < 100; ++i) {
        GetWindowRect(explorer, &rect);
        if (rect.left == 40 && rect.right == 540) break;
        pumpMessages(50);
    }
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right - rect.left, 500);
    EXPECT_EQ(rect.bottom - rect.top, 400);
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, explorerId)) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }

    app().browser.state.rememberedWindow = nullptr;
    app().settings.browserPath[0] = "C:\\windows\\system32\\winebrowser.exe";
    app().treeView.select(local);
    EXPECT_EQ(openLink(app().browser, mainWindow(), OpenMode::DoubleClickSlot), 1);
    EXPECT_EQ(app().browser.state.rememberedWindow, nullptr);
    EXPECT_EQ(findOwnWindow(L"ブラウザの起動"), nullptr);
}

TEST_F(OpenLink, FoldersAndNoSelectionOpenNothing) {
    app().treeView.select(folderNode);
    EXPECT_EQ(openLink(app().browser, mainWindow(), OpenMode::DoubleClickSlot), 0);
    TreeView_SelectItem(treeWindow(), nullptr);
    EXPECT_EQ(openLink(app().browser, mainWindow(), OpenMode::DoubleClickSlot), 0);
}

struct TitledWindow {
    const wchar_t* part;
    HWND found;
};

BOOL CALLBACK findTitled(HWND window, LPARAM param) {
    auto& query = *reinterpret_cast<TitledWindow*>(param);
    if (IsWindowVisible(window) && windowText(window).find(query.part) != std::wstring::npos) {
        query.found = window;
        return FALSE;
    }
    return TRUE;
}

// A local program is started with the locator as its command line; a file that is no
// program goes to the shell, which opens it with its application.
TEST_F(OpenLink, LocalProgramIsStartedOrLeftToTheShell) {
    std::string other = browsers->install("otherbrowser");
    NodeId program = add(root, "Program", other + " local-argument");
    ASSERT_EQ(kindOf(app().document.tree.node(program).itemNumber), kKindLocalFile);
    std::size_t mark = browsers->mark();
    app().treeView.select(program);
    EXPECT_EQ(openLink(app().browser, mainWindow(), OpenMode::DoubleClickSlot), 1);
    EXPECT_TRUE(browsers->waitFor("start " + other + " local-argument", mark));

    // A UTF-8 document's file name keeps what Shift-JIS cannot hold.
    struct ShellCase {
        TextEncoding encoding;
        std::wstring name;
    };
    for (const ShellCase& c : {ShellCase{TextEncoding::ShiftJis, L"notes-for-shell"},
                               ShellCase{TextEncoding::Utf8, L"notes-\uD55C\uAD6D\uC5B4"}}) {
        std::wstring path = folder + L"\\" + c.name + L".txt";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, "hello\r\n", 7, &written, nullptr);
        CloseHandle(file);
        app().document.file.encoding = c.encoding;
        app().treeView.select(add(root, "Text", narrowText(path, c.encoding)));
        EXPECT_EQ(openLink(app().browser, mainWindow(), OpenMode::DoubleClickSlot), 1);
        TitledWindow query{c.name.c_str(), nullptr};
        for (int i = 0; i < 200 && !query.found; ++i) {
            pumpMessages(50);
            EnumWindows(findTitled, reinterpret_cast<LPARAM>(&query));
        }
        ASSERT_NE(query.found, nullptr);
        DWORD editor = 0;
        GetWindowThreadProcessId(query.found, &editor);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, editor)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

}  // namespace
