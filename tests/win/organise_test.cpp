// Organising through the real main window: renaming in place, sorting, the new link dialog
// and the duplicates window, each one undo step.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "main_window_fixture.h"
#include "search/duplicates.h"
#include "search/search_index.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/document_text.h"
#include "tree/undo_commands_win.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

// root
//   Tools (folder): Example (link), Sub (folder): Deep (link)
//   Other (folder)
//   Link (link)
class Organise : public MainWindowTest {
protected:
    NodeId root, tools, example, sub, deep, other, link;

    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
        root = insertRootItem(app().document);
        tools = add(root, "Tools");
        example = add(tools, "Example", "http://example.com/");
        sub = add(tools, "Sub");
        deep = add(sub, "Deep", "http://deep.example.com/");
        other = add(root, "Other");
        link = add(root, "Link", "http://link.example.com/");
        app().treeView.expand(root);
        app().document.loaded = true;
        app().document.modified = false;
        SetFocus(treeWindow());
    }

    void select(NodeId node) { app().treeView.select(node); }
    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, id, 0);
        pumpMessages();
    }
    void holdShift(bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void pressKey(HWND window, UINT key) {
        PostMessageW(window, WM_KEYDOWN, key, 1);
        pumpMessages();
    }
    std::string title(NodeId node) { return nodeRecord(app().document, node)->title; }
    std::vector<std::string> childTitles(NodeId node) {
        std::vector<std::string> titles;
        const BookmarkTree& tree = app().document.tree;
        for (NodeId c = tree.firstChild(node); c != kNoNode; c = tree.nextSibling(c)) titles.push_back(title(c));
        return titles;
    }
    std::string undoText() { return undoMenuText(app().document.history); }
    std::string save() {
        chooseFiles({pathInFolder("ListFile.dat")});
        command(CMD_SAVE);
        return readBytes(pathInFolder("ListFile.dat"));
    }
};

TEST_F(Organise, F2ThenEnterKeepsTheTitleAndEscapeDropsIt) {
    struct Case {
        const char* name;
        NodeId node;
        const wchar_t* typed;
        UINT key;
        const char* title;
        bool modified;
        const wchar_t* told;  // the start of the message, or nullptr
    } cases[] = {
        {"link, Enter", link, L"新しい名前", VK_RETURN, "新しい名前", true, nullptr},
        {"link, Escape", link, L"Dropped", VK_ESCAPE, "新しい名前", false, nullptr},
        {"folder, Enter", tools, L"道具\r\n箱", VK_RETURN, "道具箱", true, nullptr},
        {"folder, Escape", tools, L"Dropped", VK_ESCAPE, "道具箱", false, nullptr},
        {"empty title refused", other, L"  ", VK_RETURN, "Other", false, L"タイトルを空にはできません。"},
        {"emoji become the mark", other, L"Smile \U0001F600\U0001F600!", VK_RETURN, "Smile 〓!", true,
         L"Shift-JIS で表せない文字が 1 か所"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        asked.clear();
        app().document.modified = false;
        select(c.node);
        pressKey(treeWindow(), VK_F2);
        HWND edit = TreeView_GetEditControl(treeWindow());
        ASSERT_NE(edit, nullptr);
        SetWindowTextW(edit, c.typed);
        pressKey(edit, c.key);
        EXPECT_EQ(TreeView_GetEditControl(treeWindow()), nullptr);
        EXPECT_EQ(title(c.node), c.title);
        EXPECT_TRUE(treeItemText(treeWindow(), app().treeView.itemOf(c.node)) == widen(c.title));
        ASSERT_EQ(asked.size(), c.told ? 1u : 0u);
        if (c.told) {
            EXPECT_EQ(asked[0].text.rfind(c.told, 0), 0u);
        }
        EXPECT_EQ(app().document.modified, c.modified);
    }
    EXPECT_EQ(undoText(), "元に戻す（名前の変更）(&Z)\tCtrl + Z");
    command(CMD_UNDO);
    EXPECT_EQ(title(other), "Other");
}

TEST_F(Organise, TheEditorPanelTheFindWindowAndTheCaptionFollowARename) {
    command(CMD_EDITOR_PANEL);
    command(CMD_FIND);
    SetDlgItemTextW(app().search.findWindow, IDC_FIND_TEXT, L"Link");
    pumpMessages();
    select(link);
    SetFocus(treeWindow());
    pressKey(treeWindow(), VK_F2);
    HWND edit = TreeView_GetEditControl(treeWindow());
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"Linked page");
    pressKey(edit, VK_RETURN);

    wchar_t text[256] = L"";
    GetDlgItemTextW(app().panels.editor.window, IDC_EDIT_TITLE, text, 256);
    EXPECT_STREQ(text, L"Linked page");
    HWND list = GetDlgItem(app().search.findWindow, IDC_FIND_RESULTS);
    ASSERT_EQ(ListView_GetItemCount(list), 1);
    ListView_GetItemText(list, 0, 0, text, 256);
    EXPECT_STREQ(text, L"Linked page");
    EXPECT_NE(windowText(mainWindow()).find(L"*"), std::wstring::npos);
}

TEST_F(Organise, EachSortAndItsUndoGivesTheSavedBytesBack) {
    // Added and visited: Zeta newest, then alpha; 10 and 2 never.
    struct Dated {
        NodeId node;
        const char* added;
        const char* visited;
    };
    NodeId zeta = add(other, "Zeta", "https://b.example/");
    NodeId ten = add(other, "item 10", "https://d.example/");
    NodeId two = add(other, "item 2", "https://c.example/");
    NodeId alpha = add(other, "ａｌｐｈａ", "https://a.example/");
    NodeId folder = add(other, "ホルダ");
    add(folder, "b", "http://b/");
    add(folder, "a", "http://a/");
    for (Dated d : {Dated{zeta, "3000", "10"}, Dated{alpha, "2000", "20"}, Dated{ten, "1000", "0"}, Dated{two, "500", "0"}}) {
        nodeRecord(app().document, d.node)->addDate = d.added;
        nodeRecord(app().document, d.node)->lastVisit = d.visited;
    }
    std::string saved = save();
    ASSERT_FALSE(app().document.modified);

    struct Case {
        int command;
        bool shift;
        std::vector<std::string> order;
        std::vector<std::string> inFolder;
    } cases[] = {
        {CMD_SORT_BY_TITLE, false, {"ホルダ", "ａｌｐｈａ", "item 2", "item 10", "Zeta"}, {"b", "a"}},
        {CMD_SORT_BY_TITLE, true, {"ホルダ", "ａｌｐｈａ", "item 2", "item 10", "Zeta"}, {"a", "b"}},
        {CMD_SORT_BY_ADDRESS, false, {"ホルダ", "ａｌｐｈａ", "Zeta", "item 2", "item 10"}, {"b", "a"}},
        {CMD_SORT_BY_ADDED, false, {"ホルダ", "Zeta", "ａｌｐｈａ", "item 10", "item 2"}, {"b", "a"}},
        {CMD_SORT_BY_VISIT, false, {"ホルダ", "ａｌｐｈａ", "Zeta", "item 10", "item 2"}, {"b", "a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + (c.shift ? 1000 : 0));
        select(two);  // a link: its folder is sorted
        holdShift(c.shift);
        command(c.command);
        holdShift(false);
        EXPECT_EQ(childTitles(other), c.order);
        EXPECT_EQ(childTitles(folder), c.inFolder);
        EXPECT_EQ(app().treeView.selectedNode(), two);
        EXPECT_TRUE(app().document.modified);
        EXPECT_EQ(undoText(), "元に戻す（並べ替え）(&Z)\tCtrl + Z");
        command(CMD_UNDO);
        EXPECT_FALSE(app().document.modified);
        EXPECT_EQ(save(), saved);
    }
}

// Fills the new link dialog from another thread, while the test's thread sits in its modal
// loop: notes the address it started with, types the fields given and presses OK.
class NewLinkFiller {
public:
    NewLinkFiller(std::wstring title, std::wstring address)
        : thread_([this, title, address] {
              for (int tries = 0; tries < 6000 && !finished_; ++tries) {  // a safety net, not a time limit
                  HWND dialog = FindWindowW(L"#32770", L"新しいリンク");
                  if (dialog && IsWindowVisible(dialog)) {
                      startAddress = windowText(GetDlgItem(dialog, IDC_NEWLINK_ADDRESS));
                      SetDlgItemTextW(dialog, IDC_NEWLINK_TITLE, title.c_str());
                      if (!address.empty()) SetDlgItemTextW(dialog, IDC_NEWLINK_ADDRESS, address.c_str());
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  Sleep(5);
              }
          }) {}
    ~NewLinkFiller() {
        finished_ = true;
        thread_.join();
    }
    std::wstring startAddress;

private:
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

void putTextOnClipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

TEST_F(Organise, NewLinkStartsFromTheClipboardsAddressAndGoesAfterTheSelection) {
    struct Case {
        const char* name;
        NodeId selected;
        bool open;
        std::wstring clipboard, title, typedAddress;
        std::wstring startAddress;
        NodeId parent;
        std::vector<std::string> children;
        std::string locator;
    } cases[] = {
        {"address on the clipboard, after a link", example, false, L"  https://example.org/page\r\n",
         L"From the clipboard", L"", L"https://example.org/page", tools,
         {"Example", "From the clipboard", "Sub"}, "https://example.org/page"},
        {"text on the clipboard, into an open folder, untitled", tools, true, L"just some words", L"",
         L"http://typed.example/", L"", tools,
         {"Example", "Sub", "http://typed.example/"}, "http://typed.example/"},
        {"closed folder: after it", other, false, L"", L"Beside", L"http://beside.example/", L"",
         root, {"Tools", "Other", "Beside", "Link"}, "http://beside.example/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        putTextOnClipboard(c.clipboard);
        if (c.open) app().treeView.expand(c.selected);
        else app().treeView.collapseAndForget(c.selected);
        select(c.selected);
        std::wstring started;
        {
            NewLinkFiller filler(c.title, c.typedAddress);
            command(CMD_NEW_LINK);
            started = filler.startAddress;
        }
        EXPECT_TRUE(started == c.startAddress);
        EXPECT_EQ(childTitles(c.parent), c.children);
        NodeId added = app().treeView.selectedNode();
        EXPECT_EQ(nodeRecord(app().document, added)->locator, c.locator);
        EXPECT_EQ(kindOf(nodeRecord(app().document, added)->itemNumber), static_cast<unsigned>(kKindWebLink));
        EXPECT_EQ(undoText(), "元に戻す（新しいリンク）(&Z)\tCtrl + Z");
        command(CMD_UNDO);
        command(CMD_REDO);
        EXPECT_EQ(childTitles(c.parent), c.children);
        command(CMD_UNDO);
    }
}

TEST_F(Organise, TheDuplicatesWindowRemovesTheOlderCopiesAsOneStep) {
    NodeId copies[] = {add(other, "Example again", "http://EXAMPLE.com/#top"), add(sub, "Third", "http://example.com/"),
                       add(other, "Deep again", "http://deep.example.com/")};
    const char* added[] = {"3000", "1000", "5000"};
    for (std::size_t k = 0; k < 3; ++k) nodeRecord(app().document, copies[k])->addDate = added[k];
    nodeRecord(app().document, example)->addDate = "2000";
    nodeRecord(app().document, deep)->addDate = "100";
    std::string before = writeWholeDocument(app().document);

    command(CMD_FIND_DUPLICATES);
    HWND window = app().duplicates.window;
    ASSERT_NE(window, nullptr);
    HWND list = GetDlgItem(window, IDC_DUPLICATES_LIST);
    // The window's lines are the tool's groups: the address, then title and folder of each.
    std::vector<std::wstring> expected;
    for (const DuplicateGroup& group : findDuplicates(app().document)) {
        expected.push_back(widen(group.address) + L" | " + std::to_wstring(group.nodes.size()) + L" 件");
        for (NodeId node : group.nodes)
            expected.push_back(L"　" + widen(title(node)) + L" | " + widen(folderPathOf(app().document.tree, node)));
    }
    std::vector<std::wstring> shown;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        wchar_t first[256] = L"", second[256] = L"";
        ListView_GetItemText(list, row, 0, first, 256);
        ListView_GetItemText(list, row, 1, second, 256);
        shown.push_back(std::wstring(first) + L" | " + second);
    }
    EXPECT_EQ(shown, expected);
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_TRUE(shown[3] == L"　Example again | Perchlet/Other");

    // A double click on a link's line selects it in the tree.
    NMITEMACTIVATE click{};
    click.hdr = {list, IDC_DUPLICATES_LIST, static_cast<UINT>(NM_DBLCLK)};
    click.iItem = 2;
    SendMessageW(window, WM_NOTIFY, IDC_DUPLICATES_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(app().treeView.selectedNode(), copies[1]);

    // Only the checked group loses its older links: the newest stays wherever it is.
    ListView_SetCheckState(list, 0, TRUE);
    SendMessageW(window, WM_COMMAND, IDC_DUPLICATES_REMOVE, 0);
    pumpMessages();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text.rfind(L"2 個のリンクを削除しますか？", 0), 0u);
    EXPECT_FALSE(app().document.tree.isAlive(example));
    EXPECT_FALSE(app().document.tree.isAlive(copies[1]));
    EXPECT_TRUE(app().document.tree.isAlive(copies[0]));
    EXPECT_TRUE(app().document.tree.isAlive(deep));
    EXPECT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(undoText(), "元に戻す（重複の削除）(&Z)\tCtrl + Z");

    command(CMD_UNDO);
    EXPECT_EQ(writeWholeDocument(app().document), before);
}

}  // namespace
