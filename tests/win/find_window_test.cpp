// The find window, opened with Ctrl+F on the real main window: typed Japanese queries,
// the list of items found, Enter and double click selecting in the tree, Escape closing.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/tree_population.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

// root
//   ツール (folder): Example
//   Other (folder): Sub (folder): ブックマーク
//   ﾌﾞｯｸﾏｰｸ
//   Example
// with every folder closed.
class FindItemWindow : public MainWindowTest {
protected:
    NodeId root, tools, example, other, sub, fullWidth, halfWidth, elsewhere;

    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
        root = insertRootItem(app().document);
        tools = add(root, "ツール", "");
        example = add(tools, "Example", "http://example.com/");
        other = add(root, "Other", "");
        sub = add(other, "Sub", "");
        fullWidth = add(sub, "ブックマーク", "http://a.test/");
        halfWidth = add(root, "ﾌﾞｯｸﾏｰｸ", "http://b.test/");
        elsewhere = add(root, "Example", "http://c.test/");
        for (NodeId folder : {sub, other, tools, root})
            TreeView_Expand(treeWindow(), app().treeView.itemOf(folder), TVE_COLLAPSE);
        SetFocus(treeWindow());
    }

    void postKey(HWND target, UINT key, bool control = false) {
        BYTE keys[256];
        GetKeyboardState(keys);
        BYTE saved = keys[VK_CONTROL];
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(target, WM_KEYDOWN, key, 1);
        pumpMessages();
        keys[VK_CONTROL] = saved;
        SetKeyboardState(keys);
    }

    HWND openWithCtrlF() {
        postKey(treeWindow(), 'F', true);
        return app().search.findWindow;
    }

    HWND edit() { return GetDlgItem(app().search.findWindow, IDC_FIND_TEXT); }
    HWND list() { return GetDlgItem(app().search.findWindow, IDC_FIND_RESULTS); }

    // Typed a character at a time, as the user does.
    void type(const wchar_t* text) {
        for (const wchar_t* c = text; *c; ++c) {
            PostMessageW(edit(), WM_CHAR, *c, 1);
            pumpMessages();
        }
    }

    void clearAndType(const wchar_t* text) {
        SetWindowTextW(edit(), L"");
        type(text);
    }

    // "title | folder path" for every row of the list.
    std::vector<std::wstring> rows() {
        std::vector<std::wstring> out;
        int count = ListView_GetItemCount(list());
        for (int row = 0; row < count; ++row) {
            wchar_t title[256] = L"", path[256] = L"";
            ListView_GetItemText(list(), row, 0, title, 256);
            ListView_GetItemText(list(), row, 1, path, 256);
            out.push_back(std::wstring(title) + L" | " + path);
        }
        return out;
    }

    bool isOpen(NodeId folder) {
        HTREEITEM item = app().treeView.itemOf(folder);
        return item && (TreeView_GetItemState(treeWindow(), item, TVIS_EXPANDED) & TVIS_EXPANDED);
    }
};

TEST_F(FindItemWindow, CtrlFOpensOneSmallWindowOwnedByTheMainWindowAndEscapeClosesIt) {
    HWND window = openWithCtrlF();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), mainWindow());
    EXPECT_EQ(windowText(window), L"検索");
    EXPECT_EQ(GetFocus(), edit());

    // Ctrl+F again brings the same window back.
    SetFocus(treeWindow());
    EXPECT_EQ(openWithCtrlF(), window);
    EXPECT_EQ(GetFocus(), edit());

    postKey(edit(), VK_ESCAPE);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(app().search.findWindow, nullptr);
    EXPECT_TRUE(IsWindow(mainWindow()));
}

TEST_F(FindItemWindow, TheListFollowsTheTypingAndKanaAndWidthDoNotCount) {
    ASSERT_NE(openWithCtrlF(), nullptr);
    type(L"ぶっくまーく");
    EXPECT_EQ(rows(), (std::vector<std::wstring>{L"ブックマーク | VoZivoVaro/Other/Sub",
                                                 L"ﾌﾞｯｸﾏｰｸ | VoZivoVaro"}));

    clearAndType(L"ツール");
    EXPECT_EQ(rows(), (std::vector<std::wstring>{L"ツール | VoZivoVaro",
                                                 L"Example | VoZivoVaro/ツール"}));
    type(L" Example");
    EXPECT_EQ(rows(), std::vector<std::wstring>{L"Example | VoZivoVaro/ツール"});
    type(L" nothing");
    EXPECT_TRUE(rows().empty());
}

TEST_F(FindItemWindow, EnterAndDoubleClickSelectTheItemInTheTreeThroughClosedFolders) {
    ASSERT_NE(openWithCtrlF(), nullptr);
    ASSERT_FALSE(isOpen(other));
    type(L"ぶっくまーく");

    // Enter in the edit takes the first item found.
    postKey(edit(), VK_RETURN);
    EXPECT_EQ(app().treeView.selectedNode(), fullWidth);
    EXPECT_TRUE(isOpen(other));
    EXPECT_TRUE(isOpen(sub));
    EXPECT_NE(app().search.findWindow, nullptr);

    // A double click on the second.
    RECT row{};
    ListView_GetItemRect(list(), 1, &row, LVIR_LABEL);
    PostMessageW(list(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 2, (row.top + row.bottom) / 2));
    pumpMessages();
    EXPECT_EQ(app().treeView.selectedNode(), halfWidth);

    // Down in the edit chooses the next item; Enter takes it.
    clearAndType(L"example");
    postKey(edit(), VK_DOWN);
    EXPECT_EQ(GetFocus(), edit());
    postKey(edit(), VK_RETURN);
    EXPECT_EQ(app().treeView.selectedNode(), elsewhere);

    // Enter in the list on the item chosen there.
    SetFocus(list());
    postKey(list(), VK_UP);
    postKey(list(), VK_RETURN);
    EXPECT_EQ(app().treeView.selectedNode(), example);
}

TEST_F(FindItemWindow, AnItemDeletedSinceItWasFoundIsDroppedNotSelected) {
    ASSERT_NE(openWithCtrlF(), nullptr);
    type(L"ぶっくまーく");
    app().treeView.select(halfWidth);
    app().document.tree.removeSubtree(other);
    postKey(edit(), VK_RETURN);
    EXPECT_EQ(app().treeView.selectedNode(), halfWidth);
    EXPECT_EQ(rows(), std::vector<std::wstring>{L"ﾌﾞｯｸﾏｰｸ | VoZivoVaro"});
}

}  // namespace
