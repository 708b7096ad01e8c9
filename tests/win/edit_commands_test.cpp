// The tree editing commands and drag moves, through the real main window, its tree view
// and the real clipboard.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <windows.h>
#include <commctrl.h>

#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/data_file.h"
#include "store/document_text.h"
#include "store/tree_population.h"
#include "tree/drag_win.h"
#include "tree/undo_commands_win.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

// root
//   Tools (folder): Example (link), Sub (folder): Deep (link)
//   Other (folder)
//   Link (link)
class EditCommands : public SampleTreeTest {
protected:
    void SetUp() override {
        SampleTreeTest::SetUp();
        for (NodeId folder : {tools, sub}) app().treeView.expand(folder);
        app().document.history.markSaved();
        SetFocus(treeWindow());
    }

    ItemNumber numberOf(NodeId node) { return app().document.tree.node(node).itemNumber; }
    HTREEITEM itemOf(NodeId node) { return app().treeView.itemOf(node); }
    void select(NodeId node) { app().treeView.select(node); }

    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, id, 0);
        pumpMessages();
    }

    // A key typed into the tree view, through the accelerator table.
    void pressKey(UINT key, bool control) {
        BYTE keys[256];
        GetKeyboardState(keys);
        BYTE saved = keys[VK_CONTROL];
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(treeWindow(), WM_KEYDOWN, key, 1);
        pumpMessages();
        keys[VK_CONTROL] = saved;
        SetKeyboardState(keys);
    }

    // What the tree view shows: "text(child child ...)", read from the control itself. A
    // folder whose children have no items yet is opened first, as the user would.
    std::wstring outline(HTREEITEM item) {
        wchar_t text[256] = L"";
        TVITEMW query{};
        query.hItem = item;
        query.mask = TVIF_TEXT | TVIF_CHILDREN;
        query.pszText = text;
        query.cchTextMax = 256;
        SendMessageW(treeWindow(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        std::wstring shown = text;
        if (query.cChildren && !TreeView_GetChild(treeWindow(), item)) {
            app().treeView.expand(app().treeView.nodeOf(item));
            app().treeView.finishBatches();
        }
        HTREEITEM child = TreeView_GetChild(treeWindow(), item);
        if (!child) return shown;
        shown += L"(";
        for (bool first = true; child; child = TreeView_GetNextSibling(treeWindow(), child), first = false)
            shown += (first ? L"" : L" ") + outline(child);
        return shown + L")";
    }
    std::wstring outline(NodeId node) { return outline(itemOf(node)); }

    LPARAM shownNumber(HTREEITEM item) {
        TVITEMW query{};
        query.hItem = item;
        query.mask = TVIF_PARAM;
        SendMessageW(treeWindow(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        return query.lParam;
    }

    UINT itemState(HTREEITEM item, UINT mask) { return TreeView_GetItemState(treeWindow(), item, mask); }
    HTREEITEM selectedItem() { return TreeView_GetSelection(treeWindow()); }

    // Every node's item, made when asked for, carries its record's number and title, one
    // level below its parent.
    void expectViewMatchesRecords() {
        app().document.tree.walkSubtree(root, [&](NodeId n) {
            app().treeView.ensureVisible(n);
            HTREEITEM item = itemOf(n);
            ASSERT_NE(item, nullptr);
            const BookmarkItem* record = nodeRecord(app().document, n);
            ASSERT_NE(record, nullptr);
            EXPECT_EQ(static_cast<ItemNumber>(shownNumber(item)), record->itemNumber);
            EXPECT_TRUE(treeItemText(treeWindow(), item) == widen(record->title));
            HTREEITEM parent = TreeView_GetParent(treeWindow(), item);
            if (parent) {
                EXPECT_EQ(depthOf(static_cast<ItemNumber>(shownNumber(item))),
                          depthOf(static_cast<ItemNumber>(shownNumber(parent))) + 1);
            }
        });
    }

    std::string clipboardBytes(bool& zeroTerminated) {
        std::string bytes;
        zeroTerminated = false;
        if (!OpenClipboard(nullptr)) return bytes;
        if (HANDLE block = GetClipboardData(CF_TEXT)) {
            const char* data = static_cast<const char*>(GlobalLock(block));
            std::size_t size = GlobalSize(block);
            const void* zero = std::memchr(data, '\0', size);
            zeroTerminated = zero != nullptr;
            bytes.assign(data, zero ? static_cast<const char*>(zero) - data : size);
            GlobalUnlock(block);
        }
        CloseClipboard();
        return bytes;
    }

    void putOnClipboard(const std::string& text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        if (!text.empty()) {
            HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
            std::memcpy(GlobalLock(block), text.data(), text.size());
            GlobalUnlock(block);
            SetClipboardData(CF_TEXT, block);
        }
        CloseClipboard();
    }
};

std::string recordStart(ItemNumber written, ItemNumber parent, const char* title) {
    char text[256];
    std::snprintf(text, sizeof text, "[List]\r\nItemNum=%d\r\nTestNum=%X\r\nParentNum=%d\r\nTitleName=%s\r\n",
                  written, static_cast<unsigned>(written), parent, title);
    return text;
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

TEST_F(EditCommands, CopyPutsTheSubtreeOnTheClipboardAsDataFileText) {
    select(tools);
    pressKey('C', true);

    bool zeroTerminated = false;
    std::string text = clipboardBytes(zeroTerminated);
    EXPECT_TRUE(zeroTerminated);
    ASSERT_EQ(text.compare(0, std::strlen(kDataFileHeader), kDataFileHeader), 0);
    // Renumbered from the serial counter (6): relative depth 1 for the copied folder.
    std::size_t first = std::strlen(kDataFileHeader);
    std::string expected = recordStart(makeItemNumber(kKindFolder, 1, 7), kRootItemNumber, "Tools");
    EXPECT_EQ(text.substr(first, expected.size()), expected);
    EXPECT_NE(text.find(recordStart(makeItemNumber(kKindWebLink, 3, 10), numberOf(sub), "Deep")),
              std::string::npos);
    EXPECT_EQ(countOf(text, "[List]"), 4u);
    EXPECT_EQ(text, writeDataFile(app().document, tools, 6));
    const std::string lastLines = "\r\nMark=0\r\n\r\n";
    EXPECT_EQ(text.substr(text.size() - lastLines.size()), lastLines);

    // Copying changes nothing.
    EXPECT_FALSE(app().document.modified());
    EXPECT_EQ(app().document.serials.value, 6);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other Link)");
    EXPECT_TRUE(asked.empty());
}

TEST_F(EditCommands, CutAndPasteUnderAnotherFolderNumbersTheItemsAfresh) {
    app().document.items.find(numberOf(example))->mark = 1;
    select(tools);
    pressKey('X', true);
    EXPECT_EQ(outline(root), L"Perchlet(Other Link)");
    EXPECT_TRUE(app().document.modified());
    std::size_t records = app().document.items.size();

    app().document.history.markSaved();
    select(other);
    command(CMD_PASTE);
    EXPECT_EQ(outline(root), L"Perchlet(Other(Tools(Example Sub(Deep))) Link)");
    HTREEITEM pasted = TreeView_GetChild(treeWindow(), itemOf(other));
    HTREEITEM pastedExample = TreeView_GetChild(treeWindow(), pasted);
    HTREEITEM pastedSub = TreeView_GetNextSibling(treeWindow(), pastedExample);
    HTREEITEM pastedDeep = TreeView_GetChild(treeWindow(), pastedSub);
    // Serials from the counter (6), depths below Other (depth 2), kinds as they were.
    EXPECT_EQ(shownNumber(pasted), makeItemNumber(kKindFolder, 3, 7));
    EXPECT_EQ(shownNumber(pastedExample), makeItemNumber(kKindWebLink, 4, 8));
    EXPECT_EQ(shownNumber(pastedSub), makeItemNumber(kKindFolder, 4, 9));
    EXPECT_EQ(shownNumber(pastedDeep), makeItemNumber(kKindWebLink, 5, 10));
    EXPECT_EQ(itemState(pastedExample, TVIS_BOLD), static_cast<UINT>(TVIS_BOLD));
    EXPECT_EQ(app().document.serials.value, 10);
    EXPECT_EQ(app().document.items.size(), records + 4);
    EXPECT_TRUE(app().document.modified());
    EXPECT_TRUE(app().document.loaded);
    EXPECT_EQ(selectedItem(), itemOf(other));
    expectViewMatchesRecords();
    EXPECT_TRUE(asked.empty());
}

TEST_F(EditCommands, CopyThenPasteUnderTheSameFolderDuplicatesWithNewNumbers) {
    select(example);
    command(CMD_COPY);
    select(tools);
    pressKey('V', true);
    EXPECT_EQ(outline(tools), L"Tools(Example Sub(Deep) Example)");
    HTREEITEM copy = TreeView_GetNextSibling(treeWindow(), itemOf(sub));
    EXPECT_EQ(shownNumber(copy), makeItemNumber(kKindWebLink, 3, 7));
    EXPECT_NE(shownNumber(copy), numberOf(example));

    // Under a link, the pasted items become the link's children.
    select(link);
    command(CMD_PASTE);
    EXPECT_EQ(outline(link), L"Link(Example)");
    expectViewMatchesRecords();
}

TEST_F(EditCommands, PastingForeignTextInsertsNothing) {
    putOnClipboard("just some text\r\n");
    select(root);
    std::size_t records = app().document.items.size();
    command(CMD_PASTE);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other Link)");
    EXPECT_EQ(app().document.items.size(), records);
    EXPECT_EQ(app().document.serials.value, 6);
    EXPECT_TRUE(asked.empty());

    // An empty clipboard: one message says why, not a second one after it.
    putOnClipboard("");
    command(CMD_PASTE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"クリップボードに貼り付けられるデータがありません。");
    EXPECT_TRUE(asked[0].caption == L"貼り付け");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(app().document.items.size(), records);
}

TEST_F(EditCommands, WithoutASelectionCutAndCopyWarnAndPasteAndEmphasisDoNothing) {
    TreeView_SelectItem(treeWindow(), nullptr);
    putOnClipboard("left alone");
    command(CMD_COPY);
    command(CMD_CUT);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[0].caption == L"コピー");
    EXPECT_TRUE(asked[1].text == L"ツリーアイテムを選択して下さい。");
    EXPECT_TRUE(asked[1].caption == L"切り取り");
    bool zero = false;
    EXPECT_EQ(clipboardBytes(zero), "left alone");

    command(CMD_PASTE);
    command(CMD_EMPHASIS);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_FALSE(app().document.modified());
    EXPECT_FALSE(app().document.loaded);
}

TEST_F(EditCommands, DeleteAsksNamingTheItemAndWhatIsInside) {
    select(sub);
    answerWith({IDCANCEL});
    command(CMD_DELETE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"\"Sub\" と、その中の 1 項目を削除しますか？");
    EXPECT_TRUE(asked[0].caption == L"削除の確認");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(outline(tools), L"Tools(Example Sub(Deep))");
    EXPECT_FALSE(app().document.modified());

    std::size_t records = app().document.items.size();
    pressKey(VK_DELETE, false);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].text == L"\"Sub\" と、その中の 1 項目を削除しますか？");
    EXPECT_TRUE(asked[1].caption == L"削除の確認");
    EXPECT_EQ(outline(tools), L"Tools(Example)");
    EXPECT_TRUE(app().document.modified());
    EXPECT_EQ(app().document.items.size(), records);  // the records stay

    select(other);
    pressKey(VK_DELETE, true);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example) Link)");

    TreeView_SelectItem(treeWindow(), nullptr);
    pressKey(VK_DELETE, true);
    command(CMD_DELETE);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_TRUE(asked[2].text == L"削除する項目をツリーで選択して下さい。");
    EXPECT_TRUE(asked[2].caption == L"削除");
}

TEST_F(EditCommands, KeysActOnlyWhileTheTreeHasTheFocus) {
    select(tools);
    SetFocus(mainWindow());
    pressKey('X', true);
    pressKey(VK_DELETE, true);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other Link)");
    EXPECT_FALSE(app().document.modified());
}

TEST_F(EditCommands, NewFolderGoesUnderTheSelectionWithoutTakingIt) {
    select(link);
    command(CMD_NEW_FOLDER);
    EXPECT_EQ(outline(link), L"Link(新しいフォルダ)");
    HTREEITEM folder = TreeView_GetChild(treeWindow(), itemOf(link));
    EXPECT_EQ(shownNumber(folder), makeItemNumber(kKindFolder, 3, 7));
    const BookmarkItem* record = app().document.items.find(makeItemNumber(kKindFolder, 3, 7));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->lastModified, "000000");
    EXPECT_EQ(record->windowRight, 0);
    EXPECT_EQ(selectedItem(), itemOf(link));
    EXPECT_TRUE(app().document.modified());
    EXPECT_TRUE(asked.empty());
}

TEST_F(EditCommands, EmphasisTogglesBoldInTheView) {
    select(other);
    command(CMD_EMPHASIS);
    EXPECT_EQ(itemState(itemOf(other), TVIS_BOLD), static_cast<UINT>(TVIS_BOLD));
    EXPECT_EQ(app().document.items.find(numberOf(other))->mark, 1u);
    EXPECT_TRUE(app().document.modified());
    command(CMD_EMPHASIS);
    EXPECT_EQ(itemState(itemOf(other), TVIS_BOLD), 0u);
    EXPECT_EQ(app().document.items.find(numberOf(other))->mark, 0u);
}

TEST_F(EditCommands, MovingDownSwapsBothSubtreesAndLeavesThemCollapsed) {
    select(other);
    command(CMD_NEW_FOLDER);  // Other gets a child of its own (serial 7)
    app().treeView.expand(other);
    app().document.history.markSaved();
    ItemNumber toolsNumber = numberOf(tools), otherNumber = numberOf(other);
    std::size_t records = app().document.items.size();

    select(tools);
    pressKey(VK_DOWN, true);
    HTREEITEM firstPlace = TreeView_GetChild(treeWindow(), itemOf(root));
    HTREEITEM secondPlace = TreeView_GetNextSibling(treeWindow(), firstPlace);
    // Both places end collapsed, their new children without items until they are opened.
    for (HTREEITEM place : {firstPlace, secondPlace}) {
        EXPECT_EQ(itemState(place, TVIS_EXPANDED), 0u);
        EXPECT_EQ(TreeView_GetChild(treeWindow(), place), nullptr);
    }
    EXPECT_EQ(selectedItem(), secondPlace);
    EXPECT_EQ(outline(root), L"Perchlet(Other(新しいフォルダ) Tools(Example Sub(Deep)) Link)");
    EXPECT_EQ(shownNumber(firstPlace), otherNumber);
    EXPECT_EQ(shownNumber(secondPlace), toolsNumber);
    // The temp holder's record and serial stay behind.
    EXPECT_EQ(app().document.items.size(), records + 1);
    EXPECT_EQ(app().document.items.find(makeItemNumber(kKindFolder, 2, 8))->title, "temp");
    EXPECT_EQ(app().document.serials.value, 8);
    EXPECT_TRUE(app().document.modified());
    expectViewMatchesRecords();

    // And back up with the menu command.
    command(CMD_MOVE_UP);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other(新しいフォルダ) Link)");
    EXPECT_EQ(selectedItem(), firstPlace);
    EXPECT_EQ(app().document.serials.value, 9);
}

TEST_F(EditCommands, MovingTheFirstUpOrTheLastDownOnlyMarksTheDocument) {
    select(tools);
    pressKey(VK_UP, true);
    select(link);
    command(CMD_MOVE_DOWN);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other Link)");
    EXPECT_EQ(selectedItem(), itemOf(link));
    EXPECT_EQ(app().document.serials.value, 6);
    EXPECT_TRUE(app().document.modified());
}

// Drags are driven as the tree view and the mouse would: the begin notification, then
// mouse messages to the main window, which holds the capture.
class DragMoves : public EditCommands {
protected:
    void beginDrag(NodeId node) {
        NMTREEVIEWW notification{};
        notification.hdr.hwndFrom = treeWindow();
        notification.hdr.idFrom = IDC_TREE_VIEW;
        notification.hdr.code = TVN_BEGINDRAGW;
        notification.itemNew.hItem = itemOf(node);
        notification.itemNew.mask = TVIF_HANDLE;
        SendMessageW(mainWindow(), WM_NOTIFY, IDC_TREE_VIEW, reinterpret_cast<LPARAM>(&notification));
        ASSERT_EQ(GetCapture(), mainWindow());
    }

    // The middle of the item's text, in the main window's client coordinates.
    POINT pointOver(NodeId node) {
        RECT rect{};
        TreeView_GetItemRect(treeWindow(), itemOf(node), &rect, TRUE);
        POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        MapWindowPoints(treeWindow(), mainWindow(), &point, 1);
        return point;
    }

    void moveMouseTo(POINT point) {
        SendMessageW(mainWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
    }

    void release(POINT point) {
        SendMessageW(mainWindow(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        pumpMessages();
    }

    void dragOnto(NodeId dragged, NodeId target) {
        beginDrag(dragged);
        moveMouseTo(pointOver(target));
        release(pointOver(target));
    }

    POINT belowTheLastItem() {
        RECT client{};
        GetClientRect(treeWindow(), &client);
        POINT point{10, client.bottom - 5};
        MapWindowPoints(treeWindow(), mainWindow(), &point, 1);
        return point;
    }
};

TEST_F(DragMoves, ConfirmedDropMovesTheSubtreeAndRewritesDepths) {
    ItemNumber subNumber = numberOf(sub), deepNumber = numberOf(deep);
    dragOnto(sub, link);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"\"Sub\" を \"Link\" の中へ移動しますか？");
    EXPECT_TRUE(asked[0].caption == L"移動の確認");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));

    // The link, never opened, now has a child to show when it opens; the copy is collapsed.
    EXPECT_EQ(TreeView_GetChild(treeWindow(), itemOf(link)), nullptr);
    app().treeView.expand(link);
    HTREEITEM moved = TreeView_GetChild(treeWindow(), itemOf(link));
    EXPECT_EQ(itemState(moved, TVIS_EXPANDED), 0u);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example) Other Link(Sub(Deep)))");
    EXPECT_EQ(shownNumber(moved), makeItemNumber(kKindFolder, 3, serialOf(subNumber)));
    EXPECT_EQ(shownNumber(TreeView_GetChild(treeWindow(), moved)), makeItemNumber(kKindWebLink, 4, serialOf(deepNumber)));
    EXPECT_EQ(selectedItem(), itemOf(link));
    EXPECT_EQ(itemState(itemOf(link), TVIS_DROPHILITED), 0u);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(app().document.modified());
    expectViewMatchesRecords();
}

TEST_F(DragMoves, SelfDropsAndDropsIntoTheOwnSubtreeAreRefused) {
    dragOnto(tools, tools);
    dragOnto(tools, deep);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[0].text == L"項目をそれ自身の中へは移動できません。");
    EXPECT_TRUE(asked[0].caption == L"移動");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_TRUE(asked[1].text == L"項目を、その中にあるフォルダへは移動できません。");
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other Link)");
    EXPECT_FALSE(app().document.modified());
    EXPECT_EQ(itemState(itemOf(deep), TVIS_DROPHILITED), 0u);
    EXPECT_EQ(GetCapture(), nullptr);

    // The refused target is not taken up by the next drag, released over empty space.
    beginDrag(link);
    moveMouseTo(belowTheLastItem());
    release(belowTheLastItem());
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other Link)");
}

TEST_F(DragMoves, CancellingSelectsTheDraggedItemAndMovesNothing) {
    answerWith({IDCANCEL});
    dragOnto(example, other);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other Link)");
    EXPECT_EQ(selectedItem(), itemOf(example));
    EXPECT_FALSE(app().document.modified());
}

TEST_F(DragMoves, ReleasingOverEmptySpaceDropsOntoTheLastTarget) {
    beginDrag(link);
    moveMouseTo(pointOver(other));
    moveMouseTo(belowTheLastItem());
    EXPECT_EQ(TreeView_GetDropHilight(treeWindow()), itemOf(other));
    release(belowTheLastItem());
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other(Link))");

    // Released without ever passing over an item: nothing to drop onto.
    beginDrag(tools);
    moveMouseTo(belowTheLastItem());
    release(belowTheLastItem());
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other(Link))");
}

TEST_F(DragMoves, TheContextMenuEndsADragWithoutMoving) {
    beginDrag(example);
    moveMouseTo(pointOver(other));
    ASSERT_EQ(TreeView_GetDropHilight(treeWindow()), itemOf(other));
    cancelTreeDrag(app().drag);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(itemState(itemOf(other), TVIS_DROPHILITED), 0u);
    release(pointOver(other));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other Link)");
}

TEST_F(DragMoves, CtrlCopiesAPlainDragMovesAndEscapeCancels) {
    struct Case {
        WPARAM keys;  // held at the release
        const wchar_t *question, *outline;
        const char* step;
    } cases[] = {
        {MK_CONTROL, L"\"Sub\" を \"Other\" の中へコピーしますか？", L"Perchlet(Tools(Example Sub(Deep)) Other(Sub(Deep)) Link)",
         "元に戻す（コピー）(&Z)\tCtrl + Z"},
        {0, L"\"Sub\" を \"Other\" の中へ移動しますか？", L"Perchlet(Tools(Example) Other(Sub(Deep)) Link)",
         "元に戻す（移動）(&Z)\tCtrl + Z"},
    };
    std::string before = writeWholeDocument(app().document);
    for (const Case& c : cases) {
        asked.clear();
        select(link);  // Wine's tree view highlights no drop target on the selected item
        beginDrag(sub);
        SendMessageW(mainWindow(), WM_MOUSEMOVE, c.keys, MAKELPARAM(pointOver(other).x, pointOver(other).y));
        SendMessageW(mainWindow(), WM_LBUTTONUP, c.keys, MAKELPARAM(pointOver(other).x, pointOver(other).y));
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].text == c.question);
        EXPECT_EQ(outline(root), c.outline);
        EXPECT_EQ(undoMenuText(app().document.history), c.step);
        expectViewMatchesRecords();
        command(CMD_UNDO);
        EXPECT_EQ(writeWholeDocument(app().document), before);
    }
    asked.clear();
    beginDrag(link);
    moveMouseTo(pointOver(other));
    PostMessageW(treeWindow(), WM_KEYDOWN, VK_ESCAPE, 1);
    pumpMessages();
    EXPECT_EQ(GetCapture(), nullptr);
    release(pointOver(other));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(outline(root), L"Perchlet(Tools(Example Sub(Deep)) Other Link)");
}
