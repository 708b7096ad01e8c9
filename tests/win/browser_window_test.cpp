// The browser window search, placing the remembered browser window (118), recording the page
// a browser shows (608), the menus' browser items, and the double click and Shift + Enter.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "app/menus_win.h"
#include "browser/browser_window_win.h"
#include "browser_support.h"
#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/tree_population.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

class BrowserWindows : public BrowserTest {
protected:
    NodeId mail = kNoNode;
    std::vector<HWND> ownWindows;

    void SetUp() override {
        BrowserTest::SetUp();
        mail = add(root, "Mail", "mailto:a@example.com");
        app().document.history.markSaved();
    }

    void TearDown() override {
        for (HWND window : ownWindows) DestroyWindow(window);
        BrowserTest::TearDown();
    }

    // A plain top-level window of this process, put on top of the Z order.
    HWND makeWindow(const wchar_t* className, const wchar_t* title) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassW(&windowClass);
        HWND window = CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, 600, 100, 200, 100, nullptr,
                                      nullptr, windowClass.hInstance, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        ownWindows.push_back(window);
        return window;
    }
};

TEST_F(BrowserWindows, SearchFollowsZOrderTitleTextsAndKinds) {
    struct Case {
        std::vector<std::pair<const wchar_t*, const wchar_t*>> windows;  // class, title; last on top
        BrowserKind kind;
        int found;  // index into windows, -1 none
        BrowserKind lastKind;
    };
    const Case cases[] = {
        {{{L"PlainWindow", L"Netscape"}}, kAnyBrowserKind, 0, BrowserKind::Netscape6},  // tried before Netscape
        {{{L"PlainWindow", L"x - Opera"}, {L"PlainWindow", L"y - Mozilla Firefox"}}, kAnyBrowserKind, 1,
         BrowserKind::Firefox},
        {{{L"PlainWindow", L"x - Opera"}, {L"PlainWindow", L"y - Mozilla Firefox"}}, BrowserKind::Opera, 0,
         BrowserKind::Opera},
        {{{L"ExploreWClass", L"C:\\ - Internet Explorer"}}, kAnyBrowserKind, -1, BrowserKind::Other},
        {{{L"PlainWindow", L"A - Internet Explorer"}, {L"ExploreWClass", L"B - Internet Explorer"}}, BrowserKind::Ie,
         0, BrowserKind::Ie},
        {{{L"PlainWindow", L"mozilla"}}, kAnyBrowserKind, -1, BrowserKind::Other},  // the texts are case-sensitive
        {{}, kAnyBrowserKind, -1, BrowserKind::Other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        for (HWND window : ownWindows) DestroyWindow(window);
        ownWindows.clear();
        for (const auto& [className, title] : c.windows) makeWindow(className, title);
        app().browser.state.lastKindFound = static_cast<BrowserKind>(-1);
        HWND found = findBrowserWindow(app().browser, nullptr, c.kind);
        EXPECT_EQ(found, c.found < 0 ? nullptr : ownWindows[static_cast<std::size_t>(c.found)]);
        if (c.kind == kAnyBrowserKind || c.found >= 0) {
            EXPECT_EQ(app().browser.state.lastKindFound, c.lastKind);
        }
    }
    // The main window and the excluded window are never the browser.
    HWND opera = makeWindow(L"PlainWindow", L"Opera");
    SetWindowTextW(mainWindow(), L"Firefox");
    EXPECT_EQ(findBrowserWindow(app().browser, nullptr, BrowserKind::Firefox), nullptr);
    EXPECT_EQ(findBrowserWindow(app().browser, opera, BrowserKind::Opera), nullptr);
    EXPECT_EQ(findBrowserWindow(app().browser, nullptr, kAnyBrowserKind), opera);
}

TEST_F(BrowserWindows, RestorePlacesTheRememberedWindow) {
    std::string mozilla = browsers->install("mozilla");
    ASSERT_NE(browsers->start(mozilla, "about:blank"), 0u);
    HWND browser = FindWindowW(L"TestBrowserWindow", nullptr);
    ASSERT_NE(browser, nullptr);
    app().recordedMainRect = {300, 20, 564, 700};
    app().workArea = {0, 0, 1280, 1000};
    Settings& s = app().settings;
    s.browserX = "50", s.browserY = "60", s.browserWidth = "300", s.browserHeight = "200";
    struct Case { int alignment; const char* width; const char* height; const char* move; };
    const Case cases[] = {
        {0, "300", "200", "move 50 60 300 200"},
        {0, "MAX", "MAX", "move 50 60 1230 940"},
        {1, "300", "200", "move 564 20 716 680"},
        {2, "300", "200", "move 0 20 300 680"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.move);
        s.alignment = c.alignment, s.browserWidth = c.width, s.browserHeight = c.height;
        // The first case finds the window by a search, the others use the remembered one.
        std::size_t mark = browsers->mark();
        SendMessageW(mainWindow(), WM_COMMAND, CMD_RESTORE_BROWSER_POS, 0);
        EXPECT_EQ(app().browser.state.rememberedWindow, browser);
        EXPECT_TRUE(browsers->waitFor(c.move, mark, 10000)) << browsers->eventsSince(mark).size();
    }
    browsers->endAll();
    app().browser.state.rememberedWindow = browser;  // gone now: a search finds nothing
    SendMessageW(mainWindow(), WM_COMMAND, CMD_RESTORE_BROWSER_POS, 0);
    EXPECT_EQ(app().browser.state.rememberedWindow, nullptr);
}

// Command 608 records the page a running browser shows, after the user confirms the reply.
TEST_F(BrowserWindows, RecordShownPage) {
    std::string firefox = browsers->install("firefox");
    std::string replyFile = narrow(folder) + "\\reply.txt";
    struct Case {
        std::string reply;
        int answer;
        const char* title;  // nullptr: nothing recorded
        std::size_t addressSize;
        const char* comment;
    };
    const Case cases[] = {
        {"\"http://page.example/\",\"\xC6\xFC\xCB\xDC \\\"x\\\"\",\"third\"", IDOK, "日本 \"x\"", 20, "third"},
        {"\"http://page.example/\",\"T\"", IDCANCEL, nullptr, 0, ""},
        {"\"http://" + std::string(1 << 20, 'u') + "\",\"Huge\"", IDOK, nullptr, 0, ""},  // cut at 32767: no title
        {"\"http://" + std::string(2000, 'u') + "\",\"T\",\"" + std::string(2000, 'c'), IDOK, "T", 1023, nullptr},
        {std::string("\"http://n.example/\",\"T\0\",\"z\"", 27), IDOK, "T", 17, ""},
        // Line breaks in the address would end its line in the data file and start a record.
        {"\"http://evil.example/\r\n[List]\r\nItemNum=1\",\"Title\",\"c\"", IDOK, "Title", 35, "c"},
    };
    app().treeView.select(root);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply.substr(0, 40));
        browsers->endAll();
        writeBytes(replyFile, c.reply);
        browsers->configure("Reply=" + replyFile + "\r\n");
        ASSERT_NE(browsers->start(firefox, "about:blank"), 0u);
        asked.clear();
        answerWith({c.answer});
        std::size_t children = 0;
        app().document.tree.walkSubtree(root, [&](NodeId) { ++children; });
        std::size_t mark = browsers->mark();
        SendMessageW(mainWindow(), WM_COMMAND, CMD_RECORD_BROWSER_PAGE, 0);
        EXPECT_EQ(browsers->eventsSince(mark), std::vector<std::string>{"dde WWW_GetWindowInfo 0xFFFFFFFF"});
        ASSERT_FALSE(asked.empty());
        EXPECT_TRUE(asked[0].caption == L"表示中のURLを登録");
        EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
        EXPECT_EQ(asked[0].text.rfind(L"次の情報を新しい項目として登録しますか？\r\n\r\n", 0), 0u);
        EXPECT_LE(asked[0].text.size(), 2100u);  // a long reply is shown cut, not as 32 KB of text
        std::size_t after = 0;
        app().document.tree.walkSubtree(root, [&](NodeId) { ++after; });
        NodeId added = app().document.tree.lastChild(root);
        if (c.answer != IDOK) {
            EXPECT_EQ(after, children);
            continue;
        }
        ASSERT_EQ(after, children + 1);
        const BookmarkItem& record = *nodeRecord(app().document, added);
        if (c.title) {
            EXPECT_EQ(record.title, c.title);
            EXPECT_EQ(record.locator.size(), c.addressSize);
        }
        if (c.comment) {
            EXPECT_EQ(record.comment, c.comment);
        }
        EXPECT_LE(record.comment.size(), 1023u);
        EXPECT_LE(record.locator.size(), 1023u);
        EXPECT_EQ(record.windowRight, 0);
    }
    browsers->endAll();
    asked.clear();
    SendMessageW(mainWindow(), WM_COMMAND, CMD_RECORD_BROWSER_PAGE, 0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"ブラウザとつながりませんでした。ブラウザが起動しているか確かめて下さい。");
    EXPECT_EQ(app().browser.state.lastKindFound, BrowserKind::Other);  // asked "IEXPLORE"
}

struct MenuState {
    std::wstring text;
    bool grey;
};

MenuState stateAt(HMENU menu, int position) {
    wchar_t text[256] = L"";
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = 255;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return {text, (info.fState & MFS_GRAYED) != 0};
}

bool commandGrey(HMENU menu, int command) {
    return (GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// The browser items of both menus, for each kind of item and slot.
TEST_F(BrowserWindows, MenusOfferWhatTheItemAndSlotsAllow) {
    Settings& s = app().settings;
    s.browserPath[0] = "C:\\f\\firefox.exe";
    s.browserPath[1] = "ab";  // too short to count
    s.browserPath[2] = "C:\\i\\iexplore.exe";
    BookmarkItem& linkRecord = *nodeRecord(app().document, link);
    linkRecord.mark = 1;
    const std::wstring labels[] = {L"デフォルトブラウザ(Firefox)(&1)", L"セカンドブラウザ(未設定)(&2)",
                                   L"サードブラウザ(IEXPLORE)(&3)"};
    struct Case {
        NodeId* node;
        int right;
        bool openGrey;
        bool slotGrey[3];
        bool placedGrey;  // slots 1 and 3
        const wchar_t* windowOpenText;
    };
    const Case cases[] = {
        {&folderNode, 0, true, {true, true, true}, false, L"開く(&U)\tShift + Enter"},
        {&mail, 0, false, {true, true, true}, false, L"開く(&U)\tShift + Enter"},
        {&link, 0, false, {false, true, false}, true, L"URLを開く(&U)\tShift + Enter"},
        {&link, 500, false, {false, true, false}, false, L"URLを開く(&U)\tShift + Enter"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        linkRecord.windowRight = linkRecord.windowBottom = c.right;
        app().treeView.select(root);
        RECT rect{};
        TreeView_GetItemRect(treeWindow(), app().treeView.itemOf(*c.node), &rect, TRUE);
        POINT point{rect.left + 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(treeWindow(), &point);
        int shown = 0;
        setContextMenuTracker([&](HMENU menu, POINT) {
            ++shown;
            EXPECT_EQ(commandGrey(menu, CMD_OPEN_ITEM), c.openGrey);
            EXPECT_EQ(commandGrey(menu, CMD_EMPHASIS), false);
            EXPECT_EQ((GetMenuState(menu, CMD_EMPHASIS, MF_BYCOMMAND) & MF_CHECKED) != 0, *c.node == link);
            for (int slot = 0; slot < 3; ++slot) {
                MenuState state = stateAt(menu, 1 + slot);
                EXPECT_TRUE(state.text == labels[slot]);
                EXPECT_EQ(state.grey, c.slotGrey[slot]) << slot;
            }
            if (!c.slotGrey[0]) {
                HMENU first = GetSubMenu(menu, 1);
                EXPECT_EQ(commandGrey(first, CMD_OPEN_SLOT1_PLACED), c.placedGrey);
                EXPECT_FALSE(commandGrey(first, CMD_OPEN_SLOT1_NEW));
                EXPECT_FALSE(commandGrey(first, CMD_OPEN_SLOT1_TAB));
                EXPECT_TRUE(commandGrey(GetSubMenu(menu, 3), CMD_OPEN_SLOT3_TAB));  // Internet Explorer
            }
        });
        SendMessageW(mainWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(treeWindow()),
                     MAKELPARAM(point.x, point.y));
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(app().treeView.selectedNode(), *c.node);

        SendMessageW(mainWindow(), WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(mainWindow())), 0);
        HMENU windowMenu = GetSubMenu(GetMenu(mainWindow()), 2);
        MenuState open = stateAt(windowMenu, 3);
        EXPECT_TRUE(open.text == c.windowOpenText);
        EXPECT_EQ(open.grey, c.openGrey);
        for (int slot = 0; slot < 3; ++slot) {
            MenuState state = stateAt(windowMenu, 4 + slot);
            EXPECT_TRUE(state.text == labels[slot]);
            EXPECT_EQ(state.grey, c.slotGrey[slot]) << slot;
        }
        if (!c.slotGrey[0]) {
            EXPECT_EQ(commandGrey(GetSubMenu(windowMenu, 4), CMD_OPEN_SLOT1_PLACED), c.placedGrey);
        }
    }
    EXPECT_TRUE(asked.empty());  // no label was refused
    // Tracking a popup sends WM_INITMENU with that popup, which is left alone.
    HMENU popup = LoadMenuW(GetModuleHandleW(nullptr), L"RCLICK_MENU");
    SendMessageW(mainWindow(), WM_INITMENU, reinterpret_cast<WPARAM>(GetSubMenu(popup, 0)), 0);
    EXPECT_TRUE(asked.empty());
    DestroyMenu(popup);
    // Over empty space: no menu, the selection stays.
    int shown = 0;
    setContextMenuTracker([&](HMENU, POINT) { ++shown; });
    RECT client{};
    GetClientRect(treeWindow(), &client);
    POINT empty{client.right / 2, client.bottom - 5};
    ClientToScreen(treeWindow(), &empty);
    SendMessageW(mainWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(treeWindow()), MAKELPARAM(empty.x, empty.y));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(app().treeView.selectedNode(), link);
    // From the keyboard (-1, -1): the menu of the selected item, below it.
    app().treeView.select(mail);
    SendMessageW(mainWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(treeWindow()), MAKELPARAM(-1, -1));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(app().treeView.selectedNode(), mail);
    setContextMenuTracker(nullptr);

    asked.clear();
    std::string text = "x";
    setMenuItemLabel(GetSubMenu(GetMenu(mainWindow()), 2), 99, &text, false);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"メニューの表示を書き換えられませんでした。" && asked[0].caption == L"メニュー");
}

// A double click opens the link and, with auto-hide on, hides the window; on a folder it
// does neither. Shift + Enter opens without hiding.
TEST_F(BrowserWindows, DoubleClickAndShiftEnter) {
    app().settings.browserPath[0] = browsers->install("otherbrowser");
    app().settings.autoHide = true;
    auto doubleClick = [&](NodeId node) {
        app().treeView.select(node);
        RECT rect{};
        TreeView_GetItemRect(treeWindow(), app().treeView.itemOf(node), &rect, TRUE);
        LPARAM at = MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2);
        // A button-down would start the tree view's own drag tracking, which waits for the
        // real mouse; the double click alone is what the tree view reports.
        SendMessageW(treeWindow(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        pumpMessages(50);
    };
    std::size_t mark = browsers->mark();
    doubleClick(folderNode);
    EXPECT_TRUE(IsWindowVisible(mainWindow()));
    EXPECT_TRUE(browsers->eventsSince(mark).empty());

    doubleClick(link);
    EXPECT_TRUE(browsers->waitFor("start", mark));
    EXPECT_FALSE(IsWindowVisible(mainWindow()));
    EXPECT_TRUE(app().hidden);

    ShowWindow(mainWindow(), SW_SHOW);
    app().hidden = false;
    KillTimer(mainWindow(), 1);
    SetForegroundWindow(mainWindow());
    SetFocus(treeWindow());
    app().treeView.select(link);
    pumpMessages(100);
    mark = browsers->mark();
    keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(VK_RETURN, 0, 0, 0);
    keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(browsers->waitFor("start", mark));
    EXPECT_TRUE(IsWindowVisible(mainWindow()));
}

}  // namespace
