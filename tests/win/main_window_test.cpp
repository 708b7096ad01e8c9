// The real main window, created in this process under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/main_window_win.h"
#include "main_window_fixture.h"
#include "perchlet_version.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "tree/new_item_win.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

class MainWindow : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
    }
};

std::wstring classNameOf(HWND window) {
    wchar_t name[128] = L"";
    GetClassNameW(window, name, 128);
    return name;
}

struct TreeItemView {
    std::wstring text;
    LPARAM number;
    int image;
    int selectedImage;
    bool bold;
};

TreeItemView readTreeItem(HWND tree, HTREEITEM item) {
    wchar_t text[512] = L"";
    TVITEMW query{};
    query.hItem = item;
    query.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    query.stateMask = TVIS_BOLD;
    query.pszText = text;
    query.cchTextMax = 512;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return {text, query.lParam, query.iImage, query.iSelectedImage, (query.state & TVIS_BOLD) != 0};
}

}  // namespace

TEST_F(MainWindow, ClassCaptionAndPlace) {
    HWND window = mainWindow();
    EXPECT_TRUE(classNameOf(window) == L"perchlet-MainWndClass");
    EXPECT_TRUE(windowText(window) == L"Perchlet");
    EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW), CS_HREDRAW | CS_VREDRAW);

    LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & WS_EX_PALETTEWINDOW, WS_EX_PALETTEWINDOW);
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);

    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    // 264 pixels, or wider where the menu bar needs it to stay on one row.
    EXPECT_GE(rect.right - rect.left, 264);
    HMENU menu = GetMenu(window);
    RECT first{}, last{};
    GetMenuItemRect(window, menu, 0, &first);
    GetMenuItemRect(window, menu, static_cast<UINT>(GetMenuItemCount(menu) - 1), &last);
    EXPECT_EQ(last.top, first.top);
    EXPECT_EQ(rect.bottom - rect.top, workArea.bottom - workArea.top);
    EXPECT_NE(GetMenu(window), nullptr);
    // No panel is open, so the page covers the whole range and the scroll bar hides.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, SB_VERT, &info);
    EXPECT_EQ(info.nMax, 70);
    EXPECT_GE(info.nPage, 71u);
}

TEST_F(MainWindow, ToolbarAboveTreeView) {
    HWND toolbar = GetDlgItem(mainWindow(), IDC_TOOLBAR);
    HWND tree = GetDlgItem(mainWindow(), IDC_TREE_VIEW);
    ASSERT_NE(toolbar, nullptr);
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(classNameOf(toolbar) == L"ToolbarWindow32");
    EXPECT_TRUE(classNameOf(tree) == L"SysTreeView32");
    EXPECT_TRUE(GetWindowLongPtrW(toolbar, GWL_STYLE) & TBSTYLE_TOOLTIPS);
    LONG_PTR treeStyle = GetWindowLongPtrW(tree, GWL_STYLE);
    const LONG_PTR wanted = WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                            TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    EXPECT_EQ(treeStyle & wanted, wanted);
    EXPECT_EQ(GetFocus(), tree);

    const int commands[] = {100, 102, 0, 118, 105, 607, 608, 609};
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 8);
    for (int i = 0; i < 8; ++i) {
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(button.idCommand, commands[i]) << i;
        EXPECT_EQ((button.fsStyle & TBSTYLE_SEP) != 0, i == 2) << i;
        if (i != 2) {
            EXPECT_TRUE(button.fsState & TBSTATE_ENABLED) << i;
        }
    }

    RECT toolbarRect{}, treeRect{}, client{};
    GetWindowRect(toolbar, &toolbarRect);
    MapWindowPoints(nullptr, mainWindow(), reinterpret_cast<POINT*>(&toolbarRect), 2);
    GetWindowRect(tree, &treeRect);
    MapWindowPoints(nullptr, mainWindow(), reinterpret_cast<POINT*>(&treeRect), 2);
    GetClientRect(mainWindow(), &client);
    EXPECT_EQ(app().toolbarHeight, toolbarRect.bottom - toolbarRect.top);
    EXPECT_GT(app().toolbarHeight, 20);
    EXPECT_EQ(treeRect.top, app().toolbarHeight);
    EXPECT_EQ(treeRect.left, 0);
    EXPECT_EQ(treeRect.right, client.right);
    EXPECT_EQ(treeRect.bottom, client.bottom);
}

TEST_F(MainWindow, TooltipsNameTheButtons) {
    NMTTDISPINFOW request{};
    request.hdr.code = TTN_NEEDTEXTW;
    request.hdr.idFrom = CMD_HIDE_WINDOW;
    SendMessageW(mainWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
    EXPECT_EQ(request.lpszText, MAKEINTRESOURCEW(IDS_TIP_HIDE));
    EXPECT_EQ(request.hinst, app().instance);
    NMTTDISPINFOW other{};
    other.hdr.code = TTN_NEEDTEXTW;
    other.hdr.idFrom = CMD_NEW_FOLDER;
    SendMessageW(mainWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(other.lpszText, nullptr);
}

TEST_F(MainWindow, ResizingKeepsTheTreeBelowTheToolbar) {
    SetWindowPos(mainWindow(), nullptr, 0, 0, 400, 500, SWP_NOMOVE | SWP_NOZORDER);
    pumpMessages(20);
    RECT client{}, treeRect{};
    GetClientRect(mainWindow(), &client);
    GetWindowRect(treeWindow(), &treeRect);
    EXPECT_EQ(treeRect.right - treeRect.left, client.right);
    EXPECT_EQ(treeRect.bottom - treeRect.top, client.bottom - app().toolbarHeight);
    RECT window{};
    GetWindowRect(mainWindow(), &window);
    EXPECT_EQ(app().recordedMainRect.right, window.right);
}

TEST_F(MainWindow, ItemsOfEachKindShowTheirImages) {
    App& a = app();
    NodeId root = insertRootItem(a.document);
    a.treeView.select(root);
    struct Case { const char* locator; int image; int selected; };
    const Case cases[] = {
        {"", 2, 3}, {"http://example.com/", 0, 1}, {"https://example.com/", 0, 1},
        {"mailto:someone@example.com", 8, 9}, {"HTTP://EXAMPLE.COM/", 14, 15},
        {"C:\\windows\\notepad.exe -s", 16, 17}};
    int imagesBefore = ImageList_GetImageCount(a.treeView.imageList());
    EXPECT_EQ(imagesBefore, 14);
    for (const Case& c : cases) {
        NewItemFields fields;
        fields.title = std::string("item ") + c.locator;
        fields.locator = c.locator;
        NodeId node = newItemUnderSelection(a.workspace, fields);
        ASSERT_NE(node, kNoNode);
        TreeItemView view = readTreeItem(treeWindow(), a.treeView.itemOf(node));
        EXPECT_EQ(view.image, c.image) << c.locator;
        EXPECT_EQ(view.selectedImage, c.selected) << c.locator;
        EXPECT_EQ(view.number, a.document.tree.node(node).itemNumber);
        EXPECT_TRUE(view.text == widen(fields.title));
        EXPECT_FALSE(view.bold);
    }
    EXPECT_EQ(ImageList_GetImageCount(a.treeView.imageList()), 18);
    EXPECT_EQ(a.treeView.imageCount(), 18);
    EXPECT_TRUE(a.document.modified());
    // Every item went under the selected root; the selection did not move.
    EXPECT_EQ(a.treeView.selectedNode(), root);
    EXPECT_EQ(TreeView_GetCount(treeWindow()), 7u);

    a.document.tree.setBold(root, true);
    EXPECT_TRUE(readTreeItem(treeWindow(), a.treeView.itemOf(root)).bold);
    EXPECT_TRUE(asked.empty());
}

TEST_F(MainWindow, JapaneseTitlesShowAsJapanese) {
    NodeId root = insertRootItem(app().document);
    app().treeView.select(root);
    NewItemFields fields;
    fields.title = "日本語のフォルダ";  // Shift-JIS bytes inside the program
    NodeId node = newItemUnderSelection(app().workspace, fields);
    EXPECT_TRUE(readTreeItem(treeWindow(), app().treeView.itemOf(node)).text == L"日本語のフォルダ");
}

TEST_F(MainWindow, NewItemWithoutSelectionWarnsAndMakesNothing) {
    NewItemFields fields;
    fields.title = "x";
    EXPECT_EQ(newItemUnderSelection(app().workspace, fields), kNoNode);
    ASSERT_EQ(asked.size(), 1u);
    // Before any document there is nothing to choose: the message says how to begin.
    EXPECT_TRUE(asked[0].text ==
                L"まだデータがありません。\r\nファイル → 新規作成 か、ファイル → データファイルを開く で始めて下さい。");
    EXPECT_TRUE(asked[0].caption == L"項目の追加");
    EXPECT_EQ(app().document.items.size(), 1u);
    EXPECT_FALSE(app().document.modified());
}

TEST_F(MainWindow, ExitAsksOnlyWithUnsavedChangesAndCancelKeepsEverything) {
    NodeId root = insertRootItem(app().document);
    app().treeView.select(root);
    NewItemFields fields;
    fields.title = "keep me";
    newItemUnderSelection(app().workspace, fields);

    answerWith({IDCANCEL});
    SendMessageW(mainWindow(), WM_COMMAND, CMD_EXIT, 0);
    pumpMessages(50);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"更新されています。上書き保存しますか？\r\n別名で保存したい場合は「キャンセル」して下さい。");
    EXPECT_TRUE(asked[0].caption == L"終了します");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    ASSERT_TRUE(IsWindow(mainWindow()));
    EXPECT_EQ(TreeView_GetCount(treeWindow()), 2u);
    EXPECT_TRUE(app().trayIconShown);

    answerWith({IDNO});
    SendMessageW(mainWindow(), WM_COMMAND, CMD_EXIT, 0);
    pumpMessages(50);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(app().mainWindow, nullptr);
}

TEST_F(MainWindow, ExitWithoutChangesAsksNothing) {
    PostMessageW(mainWindow(), WM_CLOSE, 0, 0);
    pumpMessages(50);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(app().mainWindow, nullptr);
}

TEST_F(MainWindow, UnknownCommandsAreIgnored) {
    SendMessageW(mainWindow(), WM_COMMAND, 9999, 0);
    SendMessageW(mainWindow(), WM_COMMAND, MAKEWPARAM(CMD_EXIT, 1), 0);  // not a menu's code 0
    pumpMessages(20);
    EXPECT_TRUE(IsWindow(mainWindow()));
    EXPECT_TRUE(asked.empty());
}

namespace {

struct AboutSeen {
    bool found = false;
    std::wstring caption, title, version, button;
    bool closedByEscape = false;
};

AboutSeen* aboutSeen = nullptr;

BOOL CALLBACK rememberDialog(HWND window, LPARAM found) {
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    if (std::wstring(name) != L"#32770") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND findAboutDialog() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), rememberDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

void CALLBACK inspectAbout(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = findAboutDialog();
    if (!dialog) return;
    KillTimer(nullptr, timer);
    aboutSeen->found = true;
    aboutSeen->caption = windowText(dialog);
    aboutSeen->version = windowText(GetDlgItem(dialog, IDC_ABOUT_VERSION));
    aboutSeen->button = windowText(GetDlgItem(dialog, IDOK));
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (windowText(child) == L"Perchlet") aboutSeen->title = L"Perchlet";
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    aboutSeen->closedByEscape = !IsWindowVisible(dialog);
    if (IsWindow(dialog)) PostMessageW(dialog, WM_CLOSE, 0, 0);
}

}  // namespace

TEST_F(MainWindow, AboutDialogShowsNameAndVersion) {
    AboutSeen seen;
    aboutSeen = &seen;
    SetTimer(nullptr, 0, 100, inspectAbout);
    SendMessageW(mainWindow(), WM_COMMAND, CMD_ABOUT, 0);  // returns when the dialog has ended
    EXPECT_TRUE(seen.found);
    EXPECT_TRUE(seen.caption == L"このプログラムについて");
    EXPECT_TRUE(seen.title == L"Perchlet");
    EXPECT_TRUE(seen.version == L"Version " + widen(PERCHLET_VERSION_TEXT));
    EXPECT_TRUE(seen.button == L"OK");
    EXPECT_TRUE(seen.closedByEscape);
    aboutSeen = nullptr;
}
