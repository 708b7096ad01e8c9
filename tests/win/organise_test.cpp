// Organising through the real main window: renaming in place, sorting, the new link dialog
// and the duplicates window, each one undo step.
#include <gtest/gtest.h>

#include <atomic>
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

// root: Tools (Example, Sub (Deep)), Other, Link
class Organise : public SampleTreeTest {
protected:
    void SetUp() override {
        SampleTreeTest::SetUp();
        app().document.loaded = true;
        app().document.history.markSaved();
        SetFocus(treeWindow());
    }

    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, id, 0);
        pumpMessages();
    }
    void pressKey(HWND window, UINT key) {
        PostMessageW(window, WM_KEYDOWN, key, 1);
        pumpMessages();
    }
    BookmarkItem& record(NodeId node) { return *nodeRecord(app().document, node); }
    std::vector<std::string> childTitles(NodeId node) {
        std::vector<std::string> titles;
        const BookmarkTree& tree = app().document.tree;
        for (NodeId c = tree.firstChild(node); c != kNoNode; c = tree.nextSibling(c)) titles.push_back(record(c).title);
        return titles;
    }
    std::string undoText() { return undoMenuText(app().document.history); }
    std::wstring listText(HWND list, int row, int column) {
        wchar_t text[256] = L"";
        ListView_GetItemText(list, row, column, text, 256);
        return text;
    }
};

TEST_F(Organise, F2ThenEnterKeepsTheTitleEscapeDropsItAndTheWindowsFollow) {
    command(CMD_EDITOR_PANEL);
    command(CMD_FIND);
    SetDlgItemTextW(app().search.findWindow, IDC_FIND_TEXT, L"Smile");
    struct Case {
        const char* name;
        NodeId node;
        const wchar_t* typed;
        UINT key;
        const char* title;
        bool modified;
        const wchar_t* told;  // the start of the message, if any
    } cases[] = {
        {"link, Enter", link, L"新しい名前", VK_RETURN, "新しい名前", true, nullptr},
        {"link, Escape", link, L"Dropped", VK_ESCAPE, "新しい名前", false, nullptr},
        {"folder, Enter", tools, L"道具\r\n箱", VK_RETURN, "道具箱", true, nullptr},
        {"folder, Escape", tools, L"Dropped", VK_ESCAPE, "道具箱", false, nullptr},
        {"blank title refused", other, L"  ", VK_RETURN, "Other", false, L"タイトルを空にはできません。"},
        {"emoji become the mark", other, L"Smile \U0001F600\U0001F600!", VK_RETURN, "Smile 〓!", true,
         L"Shift-JIS で表せない文字が 1 か所"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        asked.clear();
        app().document.history.markSaved();
        app().treeView.select(c.node);
        SetFocus(treeWindow());
        pressKey(treeWindow(), VK_F2);
        HWND edit = TreeView_GetEditControl(treeWindow());
        ASSERT_NE(edit, nullptr);
        SetWindowTextW(edit, c.typed);
        pressKey(edit, c.key);
        EXPECT_EQ(TreeView_GetEditControl(treeWindow()), nullptr);
        EXPECT_EQ(record(c.node).title, c.title);
        EXPECT_TRUE(treeItemText(treeWindow(), app().treeView.itemOf(c.node)) == widen(c.title));
        EXPECT_EQ(app().document.modified(), c.modified);
        // Emoji in a Shift-JIS document: the one question first, answered "keep" (OK is no Yes).
        bool asks = c.told && std::wstring(c.told).find(L"Shift-JIS") != std::wstring::npos;
        ASSERT_EQ(asked.size(), (c.told ? 1u : 0u) + (asks ? 1u : 0u));
        if (asks) {
            EXPECT_NE(asked[0].text.find(L"UTF-8 に切り替える"), std::wstring::npos);
        }
        if (c.told) {
            EXPECT_EQ(asked.back().text.rfind(c.told, 0), 0u);
        }
    }
    wchar_t shown[64] = L"";
    GetDlgItemTextW(app().panels.editor.window, IDC_EDIT_TITLE, shown, 64);
    EXPECT_TRUE(shown == widen("Smile 〓!"));
    HWND found = GetDlgItem(app().search.findWindow, IDC_FIND_RESULTS);
    ASSERT_EQ(ListView_GetItemCount(found), 1);
    EXPECT_TRUE(listText(found, 0, 0) == widen("Smile 〓!"));
    EXPECT_EQ(windowText(mainWindow()).rfind(L"*", 0), 0u);
    EXPECT_EQ(undoText(), "元に戻す（名前の変更）(&Z)\tCtrl + Z");

    // The control's own edit after a slow click opens only if no key came in between.
    pressKey(treeWindow(), VK_DOWN);
    TreeView_EditLabel(treeWindow(), app().treeView.itemOf(link));
    EXPECT_EQ(TreeView_GetEditControl(treeWindow()), nullptr);
}

TEST_F(Organise, EachSortAndItsUndoGivesTheSavedBytesBack) {
    // title, address, added, last visit
    const char* links[][4] = {{"Zeta", "https://b.example/", "3000", "10"}, {"item 10", "https://d.example/", "1000", "0"},
                              {"item 2", "https://c.example/", "500", "0"}, {"ａｌｐｈａ", "https://a.example/", "2000", "20"}};
    NodeId selected = kNoNode;
    for (auto& l : links) {
        selected = add(other, l[0], l[1]);
        record(selected).addDate = l[2];
        record(selected).lastVisit = l[3];
    }
    NodeId folder = add(other, "ホルダ");
    add(folder, "b", "http://b/");
    add(folder, "a", "http://a/");
    chooseFiles({pathInFolder("ListFile.dat")});
    command(CMD_SAVE);
    std::string saved = readBytes(pathInFolder("ListFile.dat"));

    struct Case {
        int command;
        bool shift;  // the whole subtree
        std::vector<std::string> order, inFolder;
    } cases[] = {
        {CMD_SORT_BY_TITLE, false, {"ホルダ", "ａｌｐｈａ", "item 2", "item 10", "Zeta"}, {"b", "a"}},
        {CMD_SORT_BY_TITLE, true, {"ホルダ", "ａｌｐｈａ", "item 2", "item 10", "Zeta"}, {"a", "b"}},
        {CMD_SORT_BY_ADDRESS, false, {"ホルダ", "ａｌｐｈａ", "Zeta", "item 2", "item 10"}, {"b", "a"}},
        {CMD_SORT_BY_ADDED, false, {"ホルダ", "Zeta", "ａｌｐｈａ", "item 10", "item 2"}, {"b", "a"}},
        {CMD_SORT_BY_VISIT, false, {"ホルダ", "ａｌｐｈａ", "Zeta", "item 10", "item 2"}, {"b", "a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + (c.shift ? 1000 : 0));
        app().treeView.select(selected);  // a link: the folder holding it is sorted
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = c.shift ? 0x80 : 0;
        SetKeyboardState(keys);
        command(c.command);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(childTitles(other), c.order);
        EXPECT_EQ(childTitles(folder), c.inFolder);
        EXPECT_EQ(app().treeView.selectedNode(), selected);
        EXPECT_TRUE(app().document.modified());
        EXPECT_EQ(undoText(), "元に戻す（並べ替え）(&Z)\tCtrl + Z");
        command(CMD_UNDO);
        EXPECT_FALSE(app().document.modified());
        command(CMD_SAVE);
        EXPECT_EQ(readBytes(pathInFolder("ListFile.dat")), saved);
    }
}

// Fills the new link dialog from another thread while the test's thread sits in its modal
// loop: notes the address it starts with, types the fields given and presses OK.
class NewLinkFiller {
public:
    NewLinkFiller(std::wstring title, std::wstring address)
        : thread_([this, title, address] {
              for (int tries = 0; tries < 6000 && !finished_; ++tries, Sleep(5)) {  // a safety net, not a time limit
                  HWND dialog = FindWindowW(L"#32770", L"新しいリンク");
                  if (!dialog || !IsWindowVisible(dialog)) continue;
                  startAddress = windowText(GetDlgItem(dialog, IDC_NEWLINK_ADDRESS));
                  SetDlgItemTextW(dialog, IDC_NEWLINK_TITLE, title.c_str());
                  if (!address.empty()) SetDlgItemTextW(dialog, IDC_NEWLINK_ADDRESS, address.c_str());
                  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                  return;
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

void putOnClipboard(const std::wstring& text) {
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
        const wchar_t *clipboard, *title, *typedAddress, *startAddress;
        NodeId parent;
        std::vector<std::string> children;
    } cases[] = {
        {"address on the clipboard, after a link", example, false, L" https://example.org/page\r\n", L"From the clipboard",
         L"", L"https://example.org/page", tools, {"Example", "From the clipboard", "Sub"}},
        {"words on the clipboard, into an open folder, untitled", tools, true, L"just some words", L"",
         L"http://typed.example/", L"", tools, {"Example", "Sub", "http://typed.example/"}},
        {"after a closed folder", other, false, L"", L"Beside", L"http://beside.example/", L"", root,
         {"Tools", "Other", "Beside", "Link"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        putOnClipboard(c.clipboard);
        if (c.open) app().treeView.expand(c.selected);
        else app().treeView.collapseAndForget(c.selected);
        app().treeView.select(c.selected);
        std::wstring started;
        {
            NewLinkFiller filler(c.title, c.typedAddress);
            command(CMD_NEW_LINK);
            started = filler.startAddress;
        }
        EXPECT_TRUE(started == c.startAddress);
        EXPECT_EQ(childTitles(c.parent), c.children);
        EXPECT_EQ(kindOf(record(app().treeView.selectedNode()).itemNumber), static_cast<unsigned>(kKindWebLink));
        EXPECT_EQ(undoText(), "元に戻す（新しいリンク）(&Z)\tCtrl + Z");
        command(CMD_UNDO);
        command(CMD_REDO);
        EXPECT_EQ(childTitles(c.parent), c.children);
        command(CMD_UNDO);
    }

    // An address holding characters Shift-JIS lacks keeps them percent-encoded, never as "?".
    app().treeView.select(example);
    {
        NewLinkFiller filler(L"Emoji", L"http://emoji.example/\U0001F600");
        command(CMD_NEW_LINK);
    }
    EXPECT_EQ(record(app().treeView.selectedNode()).locator, "http://emoji.example/%F0%9F%98%80");
}

TEST_F(Organise, TheDuplicatesWindowRemovesTheOlderCopiesAsOneStep) {
    NodeId copies[] = {add(other, "Example again", "http://EXAMPLE.com/#top"), add(sub, "Third", "http://example.com/"),
                       add(other, "Deep again", "http://deep.example.com/")};
    const char* added[] = {"3000", "1000", "5000"};
    for (std::size_t k = 0; k < 3; ++k) record(copies[k]).addDate = added[k];
    record(example).addDate = "2000";
    std::string before = writeWholeDocument(app().document);

    command(CMD_FIND_DUPLICATES);
    HWND window = app().duplicates.window;
    ASSERT_NE(window, nullptr);
    HWND list = GetDlgItem(window, IDC_DUPLICATES_LIST);
    // The window's lines are the tool's groups: the address, then each link's title and folder.
    std::vector<std::wstring> expected, shown;
    for (const DuplicateGroup& group : findDuplicates(app().document)) {
        expected.push_back(widen(group.address) + L" " + std::to_wstring(group.nodes.size()) + L" 件");
        for (NodeId node : group.nodes)
            expected.push_back(L"　" + widen(record(node).title) + L" " + widen(folderPathOf(app().document.tree, node)));
    }
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        shown.push_back(listText(list, row, 0) + L" " + listText(list, row, 1));
    EXPECT_EQ(shown, expected);
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_TRUE(shown[3] == L"　Example again Perchlet/Other");

    NMITEMACTIVATE click{};
    click.hdr = {list, IDC_DUPLICATES_LIST, static_cast<UINT>(NM_DBLCLK)};
    click.iItem = 2;
    SendMessageW(window, WM_NOTIFY, IDC_DUPLICATES_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(app().treeView.selectedNode(), copies[1]);

    // Only the checked group loses its older links; its newest stays where it is.
    ListView_SetCheckState(list, 0, TRUE);
    SendMessageW(window, WM_COMMAND, IDC_DUPLICATES_REMOVE, 0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text.rfind(L"2 個のリンクを削除しますか？", 0), 0u);
    EXPECT_EQ(childTitles(tools), std::vector<std::string>{"Sub"});
    EXPECT_EQ(childTitles(sub), std::vector<std::string>{"Deep"});
    EXPECT_EQ(childTitles(other), (std::vector<std::string>{"Example again", "Deep again"}));
    EXPECT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(undoText(), "元に戻す（重複の削除）(&Z)\tCtrl + Z");
    command(CMD_UNDO);
    EXPECT_EQ(writeWholeDocument(app().document), before);
}

}  // namespace
