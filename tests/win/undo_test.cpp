// Undo and redo through the real main window: its keys, its Edit menu, the selection and
// the modified flag.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <windows.h>
#include <commctrl.h>

#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "main_window_fixture.h"
#include "store/document_text.h"
#include "store/tree_population.h"
#include "test_tree.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

// root
//   Tools (folder): Example (link), Sub (folder): Deep (link)
//   Other (folder)
//   Link (link)
class Undo : public SampleTreeTest {
protected:
    void SetUp() override {
        SampleTreeTest::SetUp();
        app().document.loaded = true;
        app().document.history.markSaved();
        SetFocus(treeWindow());
    }

    NodeId add(NodeId parent, const char* title, const char* locator) {
        return addItemUnder(app().document, app().treeView, parent, title, locator);
    }

    void select(NodeId node) { app().treeView.select(node); }
    HTREEITEM selectedItem() { return TreeView_GetSelection(treeWindow()); }

    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, id, 0);
        pumpMessages();
    }

    // A key typed into a window, through the accelerator table and the dialogs' routing.
    void pressKey(HWND window, UINT key, bool control, bool shift = false) {
        BYTE keys[256];
        GetKeyboardState(keys);
        BYTE savedControl = keys[VK_CONTROL];
        BYTE savedShift = keys[VK_SHIFT];
        keys[VK_CONTROL] = control ? 0x80 : 0;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(window, WM_KEYDOWN, key, 1);
        pumpMessages();
        keys[VK_CONTROL] = savedControl;
        keys[VK_SHIFT] = savedShift;
        SetKeyboardState(keys);
    }
    void pressKey(UINT key, bool control, bool shift = false) { pressKey(treeWindow(), key, control, shift); }

    // The titles of the top item's children as the tree view shows them.
    std::wstring shownChildren(NodeId node) {
        std::wstring shown;
        HWND tree = treeWindow();
        for (HTREEITEM child = TreeView_GetChild(tree, app().treeView.itemOf(node)); child;
             child = TreeView_GetNextSibling(tree, child))
            shown += (shown.empty() ? L"" : L" ") + treeItemText(tree, child);
        return shown;
    }

    // "title(child child ...)" as the tree view shows it, every folder opened.
    std::wstring viewOutline(HTREEITEM item) {
        HWND tree = treeWindow();
        NodeId node = app().treeView.nodeOf(item);
        if (app().document.tree.hasChildren(node)) {
            app().treeView.expand(node);
            app().treeView.finishBatches();
        }
        std::wstring shown = treeItemText(tree, item);
        HTREEITEM child = TreeView_GetChild(tree, item);
        if (!child) return shown;
        shown += L"(";
        for (bool first = true; child; child = TreeView_GetNextSibling(tree, child), first = false)
            shown += (first ? L"" : L" ") + viewOutline(child);
        return shown + L")";
    }
    // The same from the model.
    std::wstring modelOutline(NodeId node) {
        const BookmarkTree& tree = app().document.tree;
        std::wstring shown = widen(tree.node(node).text);
        if (!tree.hasChildren(node)) return shown;
        shown += L"(";
        for (NodeId c = tree.firstChild(node); c != kNoNode; c = tree.nextSibling(c))
            shown += (c == tree.firstChild(node) ? L"" : L" ") + modelOutline(c);
        return shown + L")";
    }
    std::wstring shownTree() { return viewOutline(TreeView_GetRoot(treeWindow())); }

    struct MenuItem {
        std::wstring text;
        bool grey;
    };
    // The Edit menu's item at position, as it shows when opened.
    MenuItem editMenuItem(int position) {
        HMENU menu = GetMenu(mainWindow());
        SendMessageW(mainWindow(), WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        HMENU edit = GetSubMenu(menu, 1);
        wchar_t text[128] = L"";
        GetMenuStringW(edit, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
        UINT state = GetMenuState(edit, static_cast<UINT>(position), MF_BYPOSITION);
        return {text, (state & MF_GRAYED) != 0};
    }
};

}  // namespace

TEST_F(Undo, CtrlZAfterDeleteBringsTheFolderBackSelectedAndCtrlYTakesItAgain) {
    std::string before = writeWholeDocument(app().document);
    select(tools);
    pressKey(VK_DELETE, false);  // answered with OK
    EXPECT_EQ(shownChildren(root), L"Other Link");

    pressKey('Z', true);
    EXPECT_EQ(shownChildren(root), L"Tools Other Link");
    EXPECT_EQ(app().treeView.nodeOf(selectedItem()), tools);
    EXPECT_EQ(writeWholeDocument(app().document), before);
    app().treeView.expand(tools);
    EXPECT_EQ(shownChildren(tools), L"Example Sub");

    // Ctrl+Y and Ctrl+Shift+Z redo; the parent of what went is selected.
    pressKey('Y', true);
    EXPECT_EQ(shownChildren(root), L"Other Link");
    EXPECT_EQ(app().treeView.nodeOf(selectedItem()), root);
    pressKey('Z', true);
    pressKey('Z', true, true);
    EXPECT_EQ(shownChildren(root), L"Other Link");
}

TEST_F(Undo, UndoingInsideAFolderPutsTheItemBackInItsPlaceAndMakesItsWay) {
    // Sub is the last child, Example the first: both come back where they were, with the
    // tree items on their way made though Tools was never opened.
    select(example);
    command(CMD_DELETE);
    command(CMD_UNDO);
    EXPECT_EQ(app().treeView.nodeOf(selectedItem()), example);
    EXPECT_EQ(shownChildren(tools), L"Example Sub");
    select(other);
    command(CMD_DELETE);
    app().treeView.collapseAndForget(root);
    command(CMD_UNDO);
    EXPECT_EQ(app().treeView.nodeOf(selectedItem()), other);
    EXPECT_EQ(shownChildren(root), L"Tools Other Link");
}

TEST_F(Undo, TheViewFollowsEveryUndoAndRedo) {
    struct Case {
        const char* name;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"move a folder with children down", [&] { select(tools); pressKey(VK_DOWN, true); }},
        {"move a link up", [&] { select(link); command(CMD_MOVE_UP); }},
        {"cut", [&] { select(sub); command(CMD_CUT); }},
        {"delete the first child", [&] { select(example); command(CMD_DELETE); }},
        {"new folder in a closed folder", [&] { select(sub); command(CMD_NEW_FOLDER); }},
        {"emphasis", [&] { select(deep); command(CMD_EMPHASIS); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring before = shownTree();
        c.act();
        std::wstring after = modelOutline(root);
        ASSERT_EQ(shownTree(), after);
        command(CMD_UNDO);
        EXPECT_EQ(modelOutline(root), before);
        EXPECT_EQ(shownTree(), before);
        command(CMD_REDO);
        EXPECT_EQ(shownTree(), after);
        command(CMD_UNDO);
        // The nodes the sample names may be new ones after a move: find them again.
        app().treeView.collapseAndForget(root);
        app().treeView.expand(root);
    }
}

TEST_F(Undo, TheEditMenuNamesTheStepAndGreysWhatCannotBeDone) {
    EXPECT_EQ(editMenuItem(0).text, L"元に戻す(&Z)\tCtrl + Z");
    EXPECT_TRUE(editMenuItem(0).grey);
    EXPECT_TRUE(editMenuItem(1).grey);

    struct Case {
        const char* name;
        std::function<void()> act;
        const wchar_t* undoText;
    };
    const Case cases[] = {
        {"delete", [&] { select(link); command(CMD_DELETE); }, L"元に戻す（削除）(&Z)\tCtrl + Z"},
        {"emphasis", [&] { select(other); command(CMD_EMPHASIS); }, L"元に戻す（強調）(&Z)\tCtrl + Z"},
        {"move up", [&] { select(other); pressKey(VK_UP, true); }, L"元に戻す（上へ移動）(&Z)\tCtrl + Z"},
        {"new folder", [&] { select(other); command(CMD_NEW_FOLDER); }, L"元に戻す（新しいフォルダ）(&Z)\tCtrl + Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        EXPECT_EQ(editMenuItem(0).text, c.undoText);
        EXPECT_FALSE(editMenuItem(0).grey);
        EXPECT_TRUE(editMenuItem(1).grey);
        command(CMD_UNDO);
        std::wstring redo = editMenuItem(1).text;
        EXPECT_EQ(redo.substr(0, 5), L"やり直し（");
        EXPECT_EQ(redo.substr(redo.size() - 9), L"\tCtrl + Y");
        EXPECT_FALSE(editMenuItem(1).grey);
    }
}

TEST_F(Undo, UndoingBackToTheSavedStateClearsTheModifiedFlag) {
    std::string path = pathInFolder("ListFile.dat");
    chooseFiles({path});
    command(CMD_SAVE);
    ASSERT_FALSE(app().document.modified());

    select(other);
    command(CMD_EMPHASIS);
    command(CMD_NEW_FOLDER);
    EXPECT_TRUE(app().document.modified());
    pressKey('Z', true);
    EXPECT_TRUE(app().document.modified());
    pressKey('Z', true);
    EXPECT_FALSE(app().document.modified());
    EXPECT_EQ(writeWholeDocument(app().document), readBytes(path));
    pressKey('Y', true);
    EXPECT_TRUE(app().document.modified());
    pressKey('Z', true);

    // Closing asks nothing now.
    asked.clear();
    SendMessageW(mainWindow(), WM_CLOSE, 0, 0);
    pumpMessages();
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(IsWindow(mainWindow()));
}

TEST_F(Undo, CtrlZInAnEditUndoesTheTypingThereNotATreeStep) {
    select(link);
    command(CMD_DELETE);
    command(CMD_FIND);
    HWND edit = GetDlgItem(app().search.findWindow, IDC_FIND_TEXT);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed"));
    pumpMessages();
    pressKey(edit, 'Z', true);
    wchar_t text[32] = L"";
    GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(text, L"");
    EXPECT_EQ(shownChildren(root), L"Tools Other");
    EXPECT_TRUE(app().document.history.canUndo());
}
