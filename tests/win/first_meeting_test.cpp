// What a user meets on the real main window: the empty pane's hint and menu, a tree that stays
// at its left edge, every message box with its caption and icon, the "*" of unsaved changes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "shell/command_ids.h"
#include "app/menus_win.h"
#include "shell/text_win.h"
#include "main_window_fixture.h"
#include "store/data_file.h"
#include "store/incoming_text.h"
#include "store/tree_population.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

class FirstMeeting : public MainWindowTest {
protected:
    void command(int id) { SendMessageW(mainWindow(), WM_COMMAND, id, 0); }
    NodeId root() { return app().document.tree.firstTopLevel(); }

    NodeId add(NodeId parent, const std::string& title, const char* locator = "") {
        NewItemFields fields;
        fields.title = title;
        fields.locator = locator;
        return newItemUnder(app().document, parent, fields, app().treeView);
    }

    // Pixels of the tree pane's middle band that are not the window's background.
    int markedPixelsInMiddle() {
        HWND tree = treeWindow();
        InvalidateRect(tree, nullptr, TRUE);
        UpdateWindow(tree);
        RECT client{};
        GetClientRect(tree, &client);
        HDC dc = GetDC(tree);
        COLORREF ground = GetSysColor(COLOR_WINDOW);
        int marked = 0;
        for (int y = client.bottom / 3; y < client.bottom * 2 / 3; y += 2)
            for (int x = 0; x < client.right; x += 2) {
                COLORREF pixel = GetPixel(dc, x, y);
                if (pixel != CLR_INVALID && pixel != ground) ++marked;
            }
        ReleaseDC(tree, dc);
        return marked;
    }

    // At a point of the pane below the items, or from the keyboard (-1, -1).
    std::vector<std::wstring> contextMenuTexts(bool fromKeyboard = false) {
        std::vector<std::wstring> texts;
        setContextMenuTracker([&](HMENU menu, POINT) {
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[128] = L"";
                GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
                texts.push_back(std::to_wstring(GetMenuItemID(menu, i)) + L" " + text);
            }
        });
        RECT rect{};
        GetWindowRect(treeWindow(), &rect);
        LPARAM at = fromKeyboard ? static_cast<LPARAM>(-1) : MAKELPARAM(rect.left + 40, rect.top + 200);
        SendMessageW(mainWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(treeWindow()), at);
        setContextMenuTracker(nullptr);
        return texts;
    }
};

std::string dataFileWith(const std::vector<std::string>& titles) {
    Document document;
    struct NoIcons : ShellIconSource {
        ImagePair appendIconsFor(const std::string&) override { return {12, 13}; }
    } icons;
    NodeId root = insertRootItem(document);
    NodeId folder = kNoNode;
    for (const std::string& title : titles) {
        NewItemFields fields;
        fields.title = title;
        fields.locator = folder == kNoNode ? "" : "http://example.com/";
        NodeId node = newItemUnder(document, folder == kNoNode ? root : folder, fields, icons);
        if (folder == kNoNode) folder = node;
    }
    return writeDataFile(document, kTopLevel, 0);
}

}  // namespace

// No document: the pane says how to begin, and the right-click menu offers exactly that.
TEST_F(FirstMeeting, AnEmptyPaneShowsTheHintAndOffersNewAndOpen) {
    startMainWindow();
    EXPECT_GT(markedPixelsInMiddle(), 20);
    EXPECT_EQ(contextMenuTexts(),
              (std::vector<std::wstring>{std::to_wstring(CMD_NEW_DOCUMENT) + L" 新規作成(&N)\tCtrl + N",
                                         std::to_wstring(CMD_OPEN_DATA_FILE) + L" データファイルを開く(&O)...\tCtrl + O"}));
    command(CMD_NEW_DOCUMENT);
    ASSERT_NE(root(), kNoNode);
    EXPECT_EQ(app().document.tree.node(root()).text, "Perchlet");
    EXPECT_EQ(markedPixelsInMiddle(), 0);  // a lone root at the top: the middle is blank
    std::vector<std::wstring> menu = contextMenuTexts(true);
    EXPECT_GT(menu.size(), 10u);  // the item's own menu again
    EXPECT_TRUE(asked.empty());
}

// The control scrolls sideways to show a long title whole; that is undone, while a scroll the
// user made stays until Home.
TEST_F(FirstMeeting, TheTreeStaysAtItsLeftEdgeUnlessTheUserScrolledIt) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    NodeId folder = add(root(), "Folder");
    NodeId shortOne = add(folder, "short", "http://a.test/");
    NodeId longOne = add(folder, std::string(400, 'M'), "http://b.test/");
    app().treeView.expand(folder);
    SetFocus(treeWindow());
    auto scrolled = [&] { return GetScrollPos(treeWindow(), SB_HORZ); };
    auto userScrollsRight = [&] {
        for (int i = 0; i < 8; ++i) SendMessageW(treeWindow(), WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    };
    auto key = [&](UINT vk) {
        SendMessageW(treeWindow(), WM_KEYDOWN, vk, 1);
        SendMessageW(treeWindow(), WM_KEYUP, vk, 0xC0000001);
        pumpMessages();
    };
    struct Case {
        const char* what;
        bool userScrolledFirst;
        std::function<void()> act;
        bool left;
    } cases[] = {
        {"the program selects a long title", false, [&] { app().treeView.select(longOne); }, true},
        {"the keyboard reaches a long title", false, [&] { app().treeView.select(shortOne); key(VK_DOWN); }, true},
        {"a click on a long title",
         false,
         [&] {
             RECT rect{};
             TreeView_GetItemRect(treeWindow(), app().treeView.itemOf(longOne), &rect, TRUE);
             // The release waits in the queue: the control watches for it while the button is down.
             PostMessageW(treeWindow(), WM_LBUTTONUP, 0, MAKELPARAM(rect.left + 4, rect.top + 2));
             SendMessageW(treeWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.left + 4, rect.top + 2));
             pumpMessages();
         },
         true},
        {"the user's own scroll stays", true, [&] { app().treeView.select(longOne); }, false},
        {"Home brings it back", true, [&] { key(VK_HOME); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app().treeView.select(shortOne);
        SendMessageW(treeWindow(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
        app().treeView.forgetSidewaysScroll();
        if (c.userScrolledFirst) {
            userScrollsRight();
            ASSERT_GT(scrolled(), 0);  // the title is wide enough to scroll at all
        }
        c.act();
        EXPECT_EQ(scrolled() == 0, c.left) << scrolled();
    }
}

// Every message box a user meets on the way: its text, its caption naming the action and the
// icon that fits it.
TEST_F(FirstMeeting, EveryMessageBoxNamesItsActionAndCarriesItsIcon) {
    writeBytes(pathInFolder("page.html"), "<html>not a data file</html>");
    writeBytes(pathInFolder("emoji.html"),
               "<DL><p><DT><H3>\xF0\x9F\x93\x9A</H3><DL><p><DT><A HREF=\"http://a/\">\xE6\x97\xA5 \xF0\x9F\x98\x80</A>"
               "</DL><p></DL><p>");
    startMainWindow();
    NodeId news = kNoNode;
    struct Case {
        const char* what;
        std::function<void()> act;
        std::wstring text;
        std::wstring caption;
        UINT type;
    } cases[] = {
        {"new folder before any document", [&] { command(CMD_NEW_FOLDER); },
         L"まだデータがありません。\r\nファイル → 新規作成 か、ファイル → データファイルを開く で始めて下さい。",
         L"項目の追加", MB_OK | MB_ICONWARNING},
        // An import would start a new document; with its file dialog cancelled nothing happens.
        {"import before any document", [&] { command(CMD_IMPORT_NETSCAPE); }, L"", L"", 0},
        {"export before any document", [&] { command(CMD_EXPORT_NETSCAPE); }, L"書き出すデータがありません。",
         L"エクスポート", MB_OK | MB_ICONWARNING},
        {"save before any document", [&] { command(CMD_SAVE); }, L"保存するデータがありません。", L"保存",
         MB_OK | MB_ICONWARNING},
        {"open a file that is no data file",
         [&] {
             chooseFiles({pathInFolder("page.html")});
             command(CMD_OPEN_DATA_FILE);
         },
         L"データファイルとして開けませんでした。\r\n" + widen(pathInFolder("page.html")), L"開く",
         MB_OK | MB_ICONERROR},
        {"delete a folder with items inside",
         [&] {
             command(CMD_NEW_DOCUMENT);
             useShiftJis();
             news = add(root(), "ニュース");
             for (int i = 0; i < 12; ++i) add(news, "記事" + std::to_string(i), "http://news.test/");
             app().treeView.select(news);
             answerWith({IDCANCEL});
             command(CMD_DELETE);
         },
         L"\"ニュース\" と、その中の 12 項目を削除しますか？", L"削除の確認", MB_OKCANCEL | MB_ICONQUESTION},
        {"delete with the key and nothing selected",
         [&] {
             TreeView_SelectItem(treeWindow(), nullptr);
             command(CMD_DELETE);
         },
         L"削除する項目をツリーで選択して下さい。", L"削除", MB_OK | MB_ICONWARNING},
        {"copy with nothing selected", [&] { command(CMD_COPY); }, L"ツリーアイテムを選択して下さい。", L"コピー",
         MB_OK | MB_ICONWARNING},
        {"new folder with nothing selected", [&] { command(CMD_NEW_FOLDER); }, L"追加する場所をツリーで選択して下さい。",
         L"項目の追加", MB_OK | MB_ICONWARNING},
        {"import characters Shift-JIS lacks, the document kept Shift-JIS before",
         [&] {
             app().document.file.shiftJisAnswer = ShiftJisAnswer::KeepShiftJis;
             app().treeView.select(news);
             chooseFiles({pathInFolder("emoji.html")});
             command(CMD_IMPORT_NETSCAPE);
         },
         L"\"〓\" など 2 項目のタイトルやコメントに、Shift-JIS で表せない文字がありました。\r\n"
         L"その文字のあった所は「〓」にしてあります。",
         L"インポート", MB_OK | MB_ICONINFORMATION},
        {"import characters Shift-JIS lacks into a document that has not been asked",
         [&] {
             app().document.file.shiftJisAnswer = ShiftJisAnswer::NotAsked;
             app().treeView.select(news);
             chooseFiles({pathInFolder("emoji.html")});
             answerWith({IDYES});  // the document becomes UTF-8: nothing is marked, nothing more said
             command(CMD_IMPORT_NETSCAPE);
         },
         widen(shiftJisQuestionText(2)), L"インポート", MB_YESNO | MB_ICONQUESTION},
        {"a write that fails",
         [&] {
             chooseFiles({pathInFolder("no such folder\\x.dat")});
             command(CMD_SAVE_AS);
         },
         L"ファイルに書き込めませんでした。\r\n" + widen(pathInFolder("no such folder\\x.dat")), L"書き込み",
         MB_OK | MB_ICONERROR},
        {"open while changes are unsaved",
         [&] {
             answerWith({IDCANCEL});
             command(CMD_OPEN_DATA_FILE);
         },
         L"編集中のファイルを保存しますか？", L"新しいファイルを開きます", MB_YESNOCANCEL | MB_ICONQUESTION},
        {"close while changes are unsaved",
         [&] {
             answerWith({IDCANCEL});
             SendMessageW(mainWindow(), WM_CLOSE, 0, 0);
         },
         L"更新されています。上書き保存しますか？\r\n別名で保存したい場合は「キャンセル」して下さい。", L"終了します",
         MB_YESNOCANCEL | MB_ICONQUESTION},
        {"a cancelled file dialog", [&] { command(CMD_IMPORT_CSV); }, L"", L"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        asked.clear();
        c.act();
        if (c.text.empty()) {
            EXPECT_TRUE(asked.empty());
            continue;
        }
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(narrow(asked[0].text), narrow(c.text));
        EXPECT_EQ(narrow(asked[0].caption), narrow(c.caption));
        EXPECT_EQ(asked[0].type, c.type);
    }
    EXPECT_TRUE(IsWindow(mainWindow()));
}

// "*" before the file name while there are unsaved changes; without them the caption is
// exactly what it always was.
TEST_F(FirstMeeting, TheCaptionMarksUnsavedChanges) {
    writeBytes(pathInFolder("inifile.ini"), "[Option]\r\nFileOpen=1\r\n");
    writeBytes(pathInFolder("ListFile.dat"), dataFileWith({"Tools", "Example"}));
    startMainWindow();
    app().treeView.select(root());
    struct Step {
        const char* what;
        std::function<void()> act;
        const wchar_t* caption;
    } steps[] = {
        {"loaded at start-up", [] {}, L"ListFile.dat - Perchlet"},
        {"a new folder", [&] { command(CMD_NEW_FOLDER); }, L"*ListFile.dat - Perchlet"},
        {"saved", [&] { command(CMD_SAVE); }, L"ListFile.dat - Perchlet"},
        {"emphasis", [&] { command(CMD_EMPHASIS); }, L"*ListFile.dat - Perchlet"},
        {"saved under another name",
         [&] {
             chooseFiles({pathInFolder("other.dat")});
             command(CMD_SAVE_AS);
         },
         L"other.dat - Perchlet"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(narrow(windowText(mainWindow())), narrow(step.caption));
    }
    EXPECT_TRUE(asked.empty());
}

// A browser's mail addresses come in as mail links, with the envelope, in any case of
// "mailto:"; every other address stays a web link.
TEST_F(FirstMeeting, MailAddressesImportAsMailLinks) {
    writeBytes(pathInFolder("mail.html"),
               "<DL><p>\r\n<DT><A HREF=\"mailto:me@example.jp\">me</A>\r\n"
               "<DT><A HREF=\"MAILTO:you@example.jp\">you</A>\r\n"
               "<DT><A HREF=\"http://example.jp/\">web</A>\r\n</DL><p>\r\n");
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    chooseFiles({pathInFolder("mail.html")});
    command(CMD_IMPORT_NETSCAPE);
    const BookmarkTree& tree = app().document.tree;
    struct Expected {
        const char* title;
        unsigned kind;
        int image;
    } expected[] = {{"me", kKindMailLink, kImageMail}, {"you", kKindMailLink, kImageMail}, {"web", kKindWebLink, kImageLink}};
    NodeId node = tree.firstChild(root());
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.title);
        ASSERT_NE(node, kNoNode);
        EXPECT_EQ(tree.node(node).text, e.title);
        EXPECT_EQ(kindOf(tree.node(node).itemNumber), e.kind);
        TVITEMW item{};
        item.mask = TVIF_IMAGE;
        item.hItem = app().treeView.itemOf(node);
        SendMessageW(treeWindow(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.iImage, e.image);
        node = tree.nextSibling(node);
    }
    EXPECT_TRUE(asked.empty());
}
