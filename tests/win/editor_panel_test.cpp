// The item editor panel docked in the real main window: showing, adding, replacing and
// deleting items, and the fields filled from files, a dropped file, a fetched title.
#include "loopback_http_server.h"
#include "main_window_fixture.h"
#include "panels/editor_panel_win.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/encoding.h"
#include "store/incoming_text.h"
#include "store/tree_population.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

namespace perchlet::testing {
namespace {

const std::string kEuc = "\xC6\xFC\xCB\xDC\xB8\xEC";   // 日本語
const std::string kSjis = "\x93\xFA\x96\x7B\x8C\xEA";

class EditorPanelTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
        root = insertRootItem(app().document);
        folder = add(root, "Folder", "");
        link = add(folder, "Link", "http://example.com/");
        BookmarkItem& record = *nodeRecord(app().document, link);
        record.comment = "first\nsecond";
        record.lastModified = "000000";
        record.lastVisit = "1500000000";
        record.windowLeft = 10;
        record.windowTop = 20;
        record.windowRight = 110;
        record.windowBottom = 220;
        app().treeView.expand(root);
        app().treeView.expand(folder);
        app().document.history.markSaved();
        GetWindowRect(mainWindow(), &closedRect);
        command(CMD_EDITOR_PANEL);
        ASSERT_TRUE(app().panels.editor.open);
    }

    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, id, 0);
        pumpMessages();
    }

    HWND panel() { return app().panels.editor.window; }
    std::string field(int id) { return narrow(windowText(GetDlgItem(panel(), id))); }
    void setField(int id, const std::string& text) { SetDlgItemTextW(panel(), id, widen(text).c_str()); }
    void click(int id) {
        SendMessageW(panel(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(panel(), id)));
        pumpMessages();
    }

    // A real mouse click on the node's tree item: the tree view reports NM_CLICK.
    void clickNode(NodeId node) {
        RECT rect{};
        TreeView_GetItemRect(treeWindow(), app().treeView.itemOf(node), &rect, TRUE);
        LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageW(treeWindow(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(treeWindow(), WM_LBUTTONUP, 0, at);
        pumpMessages(50);
    }

    const BookmarkItem& record(NodeId node) { return *nodeRecord(app().document, node); }

    NodeId root = kNoNode, folder = kNoNode, link = kNoNode;
    RECT closedRect{};
};

TEST_F(EditorPanelTest, DocksAtTheRightAndCommand105ClosesItAgain) {
    RECT open{};
    GetWindowRect(mainWindow(), &open);
    EXPECT_EQ(open.right - open.left, closedRect.right - closedRect.left + app().panels.editor.width);
    EXPECT_EQ(GetMenuState(GetMenu(mainWindow()), CMD_EDITOR_PANEL, MF_BYCOMMAND) & MF_GRAYED, UINT(MF_GRAYED));
    // Nothing selected: the root's record.
    EXPECT_EQ(field(IDC_EDIT_TITLE), "Perchlet");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel(), IDC_EDIT_ADD_DATE)));
    // In a window lower than the panel the main window's scroll bar brings the lowest fields up.
    RECT main{};
    GetWindowRect(mainWindow(), &main);
    MoveWindow(mainWindow(), main.left, main.top, main.right - main.left, 480, TRUE);
    RECT before{}, after{};
    GetWindowRect(GetDlgItem(panel(), IDC_EDIT_HEIGHT), &before);
    SendMessageW(mainWindow(), WM_VSCROLL, SB_LINEDOWN, 0);
    GetWindowRect(GetDlgItem(panel(), IDC_EDIT_HEIGHT), &after);
    EXPECT_EQ(after.top, before.top - 10);

    HWND window = panel();
    command(CMD_EDITOR_PANEL);
    EXPECT_FALSE(app().panels.editor.open);
    EXPECT_FALSE(IsWindow(window));
    RECT closed{};
    GetWindowRect(mainWindow(), &closed);
    EXPECT_EQ(closed.right - closed.left, closedRect.right - closedRect.left);

    command(CMD_EDITOR_PANEL);
    click(IDC_EDIT_CLOSE);
    EXPECT_FALSE(app().panels.editor.open);
    EXPECT_EQ(GetMenuState(GetMenu(mainWindow()), CMD_EDITOR_PANEL, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(EditorPanelTest, AClickOnATreeItemShowsItsRecord) {
    clickNode(link);
    EXPECT_EQ(field(IDC_EDIT_TITLE), "Link");
    EXPECT_EQ(field(IDC_EDIT_ADDRESS), "http://example.com/");
    EXPECT_EQ(field(IDC_EDIT_COMMENT), "first\r\nsecond");
    EXPECT_EQ(field(IDC_EDIT_LAST_MODIFIED), "");  // never checked
    EXPECT_EQ(field(IDC_EDIT_LAST_VISIT), displayDate("1500000000"));
    EXPECT_EQ(field(IDC_EDIT_LAST_VISIT).size(), 20u);
    EXPECT_EQ(field(IDC_EDIT_X) + " " + field(IDC_EDIT_Y) + " " + field(IDC_EDIT_WIDTH) + " " + field(IDC_EDIT_HEIGHT),
              "10 20 100 200");
    clickNode(folder);
    EXPECT_EQ(field(IDC_EDIT_TITLE), "Folder");
}

TEST_F(EditorPanelTest, ReplaceStoresTheFieldsAndKeepsTheKind) {
    TreeView_SelectItem(treeWindow(), nullptr);
    setField(IDC_EDIT_TITLE, "Renamed");
    click(IDC_EDIT_REPLACE);  // nothing selected: nothing happens
    EXPECT_FALSE(app().document.modified());

    app().treeView.select(link);
    ItemNumber number = app().document.tree.node(link).itemNumber;
    setField(IDC_EDIT_TITLE, "Renamed");
    setField(IDC_EDIT_ADDRESS, "mailto:someone@example.com");
    setField(IDC_EDIT_COMMENT, "one\r\ntwo");
    setField(IDC_EDIT_X, "5");
    setField(IDC_EDIT_Y, "-6");
    setField(IDC_EDIT_WIDTH, "70");
    setField(IDC_EDIT_HEIGHT, "junk");
    click(IDC_EDIT_REPLACE);

    const BookmarkItem& r = record(link);
    EXPECT_EQ(r.title, "Renamed");
    EXPECT_EQ(r.locator, "mailto:someone@example.com");
    EXPECT_EQ(r.comment, "one\ntwo");
    EXPECT_EQ(std::vector<int>({r.windowLeft, r.windowTop, r.windowRight, r.windowBottom}), std::vector<int>({5, -6, 75, -6}));
    EXPECT_EQ(app().document.tree.node(link).itemNumber, number);
    EXPECT_EQ(app().document.tree.node(link).image, 0);
    EXPECT_EQ(treeItemText(treeWindow(), app().treeView.itemOf(link)), L"Renamed");
    EXPECT_TRUE(app().document.modified());
    EXPECT_EQ(GetFocus(), treeWindow());
}

// Emoji and other characters Shift-JIS lacks are marked as the imports mark them, and the
// user is told how many places changed; an address keeps them, percent-encoded.
TEST_F(EditorPanelTest, CharactersShiftJisLacksAreMarkedAndCounted) {
    app().treeView.select(folder);
    SetDlgItemTextW(panel(), IDC_EDIT_TITLE, L"☕ 絵文字 😀");
    SetDlgItemTextW(panel(), IDC_EDIT_ADDRESS, L"http://example.com/😀");
    SetDlgItemTextW(panel(), IDC_EDIT_COMMENT, L"Café");
    click(IDC_EDIT_NEW);
    NodeId added = app().document.tree.lastChild(folder);
    ASSERT_NE(added, link);
    EXPECT_EQ(record(added).title, "〓 絵文字 〓");
    EXPECT_EQ(record(added).locator, "http://example.com/%F0%9F%98%80");
    EXPECT_EQ(record(added).comment, "Caf〓");
    // The one question first, answered "keep" (OK is no Yes), then the note.
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(narrow(asked[0].text), shiftJisQuestionText(3));
    EXPECT_EQ(narrow(asked[1].text), "タイトルやコメントの 3 か所に、Shift-JIS で表せない文字がありました。\r\n"
                                     "その文字のあった所は「〓」にして登録しました。");

    asked.clear();
    app().treeView.select(link);
    setField(IDC_EDIT_TITLE, "Plain");
    click(IDC_EDIT_REPLACE);
    EXPECT_EQ(record(link).title, "Plain");
    EXPECT_TRUE(asked.empty());

    // Switching to UTF-8 keeps what is typed, and the panel shows it back.
    app().document.file.shiftJisAnswer = ShiftJisAnswer::NotAsked;
    answerWith({IDYES});
    SetDlgItemTextW(panel(), IDC_EDIT_TITLE, L"☕ 絵文字 😀");
    SetDlgItemTextW(panel(), IDC_EDIT_COMMENT, L"Café");
    click(IDC_EDIT_REPLACE);
    EXPECT_EQ(app().document.file.encoding, TextEncoding::Utf8);
    const std::string title = u8"☕ 絵文字 😀", comment = u8"Café";
    const std::wstring shownTitle = L"☕ 絵文字 😀", shownComment = L"Café";
    EXPECT_EQ(record(link).title, title);
    EXPECT_EQ(record(link).comment, comment);
    app().treeView.select(folder);
    app().treeView.select(link);
    pumpMessages();
    EXPECT_EQ(windowText(GetDlgItem(panel(), IDC_EDIT_TITLE)), shownTitle);
    EXPECT_EQ(windowText(GetDlgItem(panel(), IDC_EDIT_COMMENT)), shownComment);
}

// However the selection moves, 差し替え writes the fields into the item now selected and
// leaves the item shown before it alone.
TEST_F(EditorPanelTest, ThePanelFollowsEverySelectionChangeBeforeReplace) {
    NodeId news = add(folder, "今日のニュース", "http://news.example/");
    NodeId weather = add(folder, "天気予報（東京）", "http://weather.example/tokyo");
    app().treeView.expand(folder);
    struct Move {
        const char* how;
        std::function<void()> select;
        NodeId target;
    };
    auto key = [this](HWND target, UINT code, bool control) {
        BYTE keys[256];
        GetKeyboardState(keys);
        BYTE saved = keys[VK_CONTROL];
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(target, WM_KEYDOWN, code, 1);
        pumpMessages();
        keys[VK_CONTROL] = saved;
        SetKeyboardState(keys);
    };
    auto findAndTake = [&](const wchar_t* words) {
        SetFocus(treeWindow());
        key(treeWindow(), 'F', true);
        ASSERT_NE(app().search.findWindow, nullptr);
        HWND edit = GetDlgItem(app().search.findWindow, IDC_FIND_TEXT);
        SetWindowTextW(edit, L"");
        for (const wchar_t* c = words; *c; ++c) {
            PostMessageW(edit, WM_CHAR, *c, 1);
            pumpMessages();
        }
        key(edit, VK_RETURN, false);
    };
    const Move moves[] = {
        {"arrow key down", [&] { SetFocus(treeWindow()); key(treeWindow(), VK_DOWN, false); }, weather},
        {"arrow key up", [&] { SetFocus(treeWindow()); key(treeWindow(), VK_UP, false); }, news},
        {"find window", [&] { findAndTake(L"天気予報"); }, weather},
    };
    clickNode(news);
    ASSERT_EQ(field(IDC_EDIT_TITLE), "今日のニュース");
    for (const Move& move : moves) {
        SCOPED_TRACE(move.how);
        move.select();
        ASSERT_EQ(app().treeView.selectedNode(), move.target);
        click(IDC_EDIT_REPLACE);
        EXPECT_EQ(record(news).title, "今日のニュース");
        EXPECT_EQ(record(news).locator, "http://news.example/");
        EXPECT_EQ(record(weather).title, "天気予報（東京）");
        EXPECT_EQ(record(weather).locator, "http://weather.example/tokyo");
        EXPECT_EQ(field(IDC_EDIT_TITLE), record(move.target).title);
    }
}

TEST_F(EditorPanelTest, AnAddressPastedOverTwoLinesIsStoredAsOne) {
    // A URL wrapped in an e-mail, pasted into the multi-line address field.
    const std::string wrapped = "http://example.com/a-long-\r\npath?q=1";
    const std::string joined = "http://example.com/a-long-path?q=1";
    app().treeView.select(link);
    setField(IDC_EDIT_ADDRESS, wrapped);
    click(IDC_EDIT_REPLACE);
    EXPECT_EQ(record(link).locator, joined);

    app().treeView.select(folder);
    setField(IDC_EDIT_TITLE, "Added");
    setField(IDC_EDIT_ADDRESS, wrapped);
    click(IDC_EDIT_NEW);
    EXPECT_EQ(record(app().document.tree.lastChild(folder)).locator, joined);
}

TEST_F(EditorPanelTest, ALongCommentShownAndReplacedKeepsEveryByte) {
    std::string comment;
    while (comment.size() < 1000) comment += "line\n";
    comment.resize(1000);
    nodeRecord(app().document, link)->comment = comment;
    app().treeView.select(link);
    SendMessageW(panel(), kShowSelectionMessage, 0, 0);
    click(IDC_EDIT_REPLACE);
    EXPECT_EQ(record(link).comment, comment);
}

TEST_F(EditorPanelTest, NewAndDeleteAskAsTheyShould) {
    TreeView_SelectItem(treeWindow(), nullptr);
    click(IDC_EDIT_NEW);
    click(IDC_EDIT_DELETE);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(narrow(asked[0].text), "追加する場所をツリーで選択して下さい。");
    EXPECT_EQ(narrow(asked[0].caption), "項目の追加");
    EXPECT_EQ(narrow(asked[1].text), "削除する項目をツリーで選択して下さい。");
    EXPECT_EQ(narrow(asked[1].caption), "削除");
    for (const AskedMessage& message : asked) EXPECT_EQ(message.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));

    app().treeView.select(folder);
    setField(IDC_EDIT_TITLE, "Added");
    setField(IDC_EDIT_ADDRESS, "http://added.example/");
    click(IDC_EDIT_NEW);
    NodeId added = app().document.tree.lastChild(folder);
    EXPECT_EQ(record(added).title, "Added");
    EXPECT_EQ(record(added).locator, "http://added.example/");

    asked.clear();
    answerWith({IDCANCEL});
    app().treeView.select(added);
    click(IDC_EDIT_DELETE);
    EXPECT_TRUE(app().document.tree.isAlive(added));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(narrow(asked[0].text), "\"Added\" を削除しますか？");
    EXPECT_EQ(narrow(asked[0].caption), "削除の確認");
    click(IDC_EDIT_DELETE);
    EXPECT_FALSE(app().document.tree.isAlive(added));
}

TEST_F(EditorPanelTest, SaveWithoutADocumentSaysSo) {
    click(IDC_EDIT_SAVE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(narrow(asked[0].text), "保存するデータがありません。");
    EXPECT_EQ(narrow(asked[0].caption), "保存");
}

TEST_F(EditorPanelTest, FileNameFillsTitleAndAddressAndCancelEmptiesThem) {
    chooseFiles(std::vector<std::string>{"C:\\some dir\\Notes.v2.txt", ""});
    click(IDC_EDIT_FILE_NAME);
    EXPECT_EQ(field(IDC_EDIT_TITLE), "Notes.v2");
    EXPECT_EQ(field(IDC_EDIT_ADDRESS), "C:\\some dir\\Notes.v2.txt");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].typeOrIndex, 1);
    click(IDC_EDIT_FILE_NAME);
    EXPECT_EQ(field(IDC_EDIT_TITLE), "");
    EXPECT_EQ(field(IDC_EDIT_ADDRESS), "");
}

// A drop of files as the shell hands it over: DROPFILES followed by the wide paths.
HDROP dropOf(const std::wstring& path) {
    std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST_F(EditorPanelTest, DroppedShortcutGivesItsUrlAndAnyOtherFileItsPath) {
    std::string shortcut = pathInFolder("Example.url");
    std::string notes = pathInFolder("Notes.txt");
    writeBytes(shortcut, "[InternetShortcut]\r\nURL=http://example.com/page\r\n");
    writeBytes(notes, "text");
    struct Case {
        std::string path, title, address;
    } cases[] = {
        {shortcut, "Example", "http://example.com/page"},
        {notes, "Notes", notes},
    };
    for (const Case& c : cases) {
        SendMessageW(panel(), WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(widen(c.path))), 0);
        EXPECT_EQ(field(IDC_EDIT_TITLE), c.title);
        EXPECT_EQ(field(IDC_EDIT_ADDRESS), c.address);
    }
}

TEST_F(EditorPanelTest, QuestionButtonCyclesThroughTheReadingsOfTheFetchedTitle) {
    app().editorPanel.titleCycle = 0;
    click(IDC_EDIT_TITLE_CYCLE);
    EXPECT_EQ(field(IDC_EDIT_TITLE), "");  // nothing fetched yet
    app().editorPanel.fetchedTitle = kEuc;
    std::string jisReading = kEuc;
    iso2022JpToShiftJis(jisReading);
    // The cycle goes on from where it stood: 1, 2, 3, 0, 1. (Bytes that are no Shift-JIS
    // text come back from the edit as the edit shows them.)
    for (const std::string& expected : {jisReading, kEuc, kEuc, kSjis, jisReading}) {
        click(IDC_EDIT_TITLE_CYCLE);
        EXPECT_EQ(field(IDC_EDIT_TITLE), narrow(widen(expected)));
    }
}

TEST_F(EditorPanelTest, FetchTitleFillsTheTitleFromTheAddress) {
    LoopbackHttpServer server;
    server.route("/page", {httpResponse("HTTP/1.1 200 OK", "", "<title>" + kEuc + "</title>")});
    setField(IDC_EDIT_ADDRESS, server.url("/page"));
    click(IDC_EDIT_FETCH_TITLE);
    EXPECT_EQ(field(IDC_EDIT_TITLE), kSjis);
    EXPECT_EQ(app().editorPanel.fetchedTitle, kEuc);
    EXPECT_EQ(GetFocus(), GetDlgItem(panel(), IDC_EDIT_REPLACE));
}

TEST_F(EditorPanelTest, WithoutABrowserTheBrowserButtonsLeaveOrZeroTheFields) {
    setField(IDC_EDIT_TITLE, "kept");
    click(IDC_EDIT_BROWSER_PAGE);
    EXPECT_EQ(field(IDC_EDIT_TITLE), "kept");
    setField(IDC_EDIT_X, "7");
    click(IDC_EDIT_BROWSER_RECT);
    EXPECT_EQ(field(IDC_EDIT_X) + field(IDC_EDIT_Y) + field(IDC_EDIT_WIDTH) + field(IDC_EDIT_HEIGHT), "0000");
}

BOOL CALLBACK collectTooltip(HWND window, LPARAM found) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (std::wstring(name) == TOOLTIPS_CLASSW) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The labels are Japanese; Tab goes from the title to the "？" button beside it, which says
// what it does in a tooltip.
TEST_F(EditorPanelTest, LabelsTabOrderAndTheTitleButtonsTooltip) {
    std::vector<std::string> labels;
    for (HWND child = GetWindow(panel(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        labels.push_back(narrow(windowText(child)));
    for (const char* label : {"タイトル:", "URL:", "高さ", "幅"})
        EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end()) << label;
    for (const char* gone : {"Title:", "高"})
        EXPECT_EQ(std::find(labels.begin(), labels.end(), gone), labels.end()) << gone;

    HWND title = GetDlgItem(panel(), IDC_EDIT_TITLE);
    EXPECT_EQ(GetNextDlgTabItem(panel(), title, FALSE), GetDlgItem(panel(), IDC_EDIT_TITLE_CYCLE));

    std::vector<HWND> tips;
    EnumThreadWindows(GetCurrentThreadId(), collectTooltip, reinterpret_cast<LPARAM>(&tips));
    // The tooltip that knows the button.
    std::wstring text;
    for (HWND tip : tips) {
        wchar_t said[256] = L"";
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = panel();
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(panel(), IDC_EDIT_TITLE_CYCLE));
        tool.lpszText = said;
        SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        if (said[0]) text = said;
    }
    EXPECT_EQ(narrow(text), "取得したタイトルの文字コードを切り替えます（EUC-JP → JIS → 取得したまま）");
}

}  // namespace
}  // namespace perchlet::testing
