// The tree view holds items only for what is open. Every operation on a node whose item was
// never made must give the same file and the same tree as on a view opened all the way.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <windows.h>
#include <commctrl.h>

#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/document_text.h"
#include "store/tree_population.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

// root
//   A: a1 (a11, a12), a2
//   B: b1
//   C
std::string sampleFile() {
    Document document;
    NoShellIcons icons;
    auto add = [&](NodeId parent, const char* title, const char* locator) {
        return addItemUnder(document, icons, parent, title, locator);
    };
    NodeId root = insertRootItem(document);
    NodeId a = add(root, "A", "");
    NodeId a1 = add(a, "a1", "");
    add(a1, "a11", "http://a11.example/");
    add(a1, "a12", "mailto:a12@example.com");
    add(a, "a2", "http://a2.example/");
    NodeId b = add(root, "B", "");
    add(b, "b1", "http://b1.example/");
    add(root, "C", "http://c.example/");
    return writeWholeDocument(document);
}

// Dates that a command stamps differ from run to run; the rest must not.
std::string withoutAddDates(std::string text) {
    for (std::size_t at = text.find("AddDate="); at != std::string::npos; at = text.find("AddDate=", at + 1)) {
        std::size_t end = text.find("\r\n", at);
        text.erase(at + 8, end - at - 8);
    }
    return text;
}

class LazyView : public MainWindowTest {
protected:
    void startWithFile(const std::string& text) {
        writeBytes(pathInFolder("ListFile.dat"), text);
        writeBytes(pathInFolder("inifile.ini"), "[Option]\r\nFileOpen=1\r\n");
        startMainWindow();
    }

    // Opens a data file of one root holding the links "link 1" to "link N".
    void openFolderOfLinks(int links) {
        Document document;
        NoShellIcons icons;
        NodeId root = insertRootItem(document);
        for (int i = 1; i <= links; ++i)
            addItemUnder(document, icons, root, "link " + std::to_string(i), "http://l.example/" + std::to_string(i));
        writeBytes(pathInFolder("links.dat"), writeWholeDocument(document));
        startMainWindow();
        chooseFiles({pathInFolder("links.dat")});
        SendMessageW(mainWindow(), WM_COMMAND, CMD_OPEN_DATA_FILE, 0);
    }

    NodeId nodeNamed(const std::string& title) {
        NodeId found = kNoNode;
        const BookmarkTree& tree = app().document.tree;
        tree.walkSubtree(tree.firstTopLevel(), [&](NodeId n) {
            if (found == kNoNode && tree.node(n).text == title) found = n;
        });
        return found;
    }

    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        pumpMessages();
    }
    void select(const char* title) { app().treeView.select(nodeNamed(title)); }

    bool shownOnScreen(NodeId node) {
        HTREEITEM item = app().treeView.itemOf(node);
        RECT rect{};
        return item && TreeView_GetItemRect(treeWindow(), item, &rect, TRUE);
    }

    // Every item of the control with what it shows, children in brackets.
    std::wstring wholeView(HTREEITEM parent = TVI_ROOT) {
        std::wstring out;
        for (HTREEITEM item = TreeView_GetChild(treeWindow(), parent); item;
             item = TreeView_GetNextSibling(treeWindow(), item)) {
            wchar_t text[256] = L"";
            TVITEMW query{};
            query.hItem = item;
            query.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
            query.stateMask = TVIS_BOLD;
            query.pszText = text;
            query.cchTextMax = 256;
            TreeView_GetItem(treeWindow(), &query);
            out += std::wstring(text) + L"|" + std::to_wstring(query.lParam) + L"|" + std::to_wstring(query.iImage) +
                   L"," + std::to_wstring(query.iSelectedImage) + ((query.state & TVIS_BOLD) ? L"|bold" : L"");
            std::wstring children = wholeView(item);
            if (!children.empty()) out += L"(" + children + L")";
            out += L" ";
        }
        return out;
    }

    struct Outcome {
        std::string saved;
        std::string exported;
        std::wstring view;
        std::string selected;
    };

    Outcome outcome() {
        Outcome o;
        o.saved = withoutAddDates(writeWholeDocument(app().document));
        if (fileExists(pathInFolder("out.dat"))) o.exported = withoutAddDates(readBytes(pathInFolder("out.dat")));
        NodeId selected = app().treeView.selectedNode();
        o.selected = selected == kNoNode ? "" : app().document.tree.node(selected).text;
        openWholeTree();
        o.view = wholeView();
        return o;
    }

    void dragOnto(NodeId dragged, NodeId target) {
        NMTREEVIEWW begin{};
        begin.hdr.hwndFrom = treeWindow();
        begin.hdr.idFrom = IDC_TREE_VIEW;
        begin.hdr.code = TVN_BEGINDRAGW;
        begin.itemNew.hItem = app().treeView.itemOf(dragged);
        SendMessageW(mainWindow(), WM_NOTIFY, IDC_TREE_VIEW, reinterpret_cast<LPARAM>(&begin));
        RECT rect{};
        TreeView_GetItemRect(treeWindow(), app().treeView.itemOf(target), &rect, TRUE);
        POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        MapWindowPoints(treeWindow(), mainWindow(), &point, 1);
        SendMessageW(mainWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
        SendMessageW(mainWindow(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        pumpMessages();
    }
};

struct Operation {
    const char* name;
    const char* neverShown;  // a node the operation reaches before its item was ever made
    std::function<void()> run;
};

}  // namespace

TEST_F(LazyView, OperationsOnNodesNeverShownGiveTheSameFileAndTreeAsOnAnOpenView) {
    const std::string file = sampleFile();
    const Operation operations[] = {
        {"select a deep link", "a11", [this] { select("a11"); }},
        {"emphasis", "a11", [this] { select("a11"); command(CMD_EMPHASIS); }},
        {"move up", "a12", [this] { select("a12"); command(CMD_MOVE_UP); }},
        {"move a folder down", "a1", [this] { select("a1"); command(CMD_MOVE_DOWN); }},
        {"delete", "a1", [this] { select("a1"); command(CMD_DELETE); }},
        {"cut and paste", "b1", [this] {
             select("a1");
             command(CMD_CUT);
             select("b1");
             command(CMD_PASTE);
         }},
        {"copy and paste into an unopened folder", "a11", [this] {
             select("a11");
             command(CMD_COPY);
             select("B");
             command(CMD_PASTE);
         }},
        {"new folder", "a1", [this] { select("a1"); command(CMD_NEW_FOLDER); }},
        {"import a data file", "a2", [this] {
             select("a2");
             chooseFiles({pathInFolder("ListFile.dat")});
             command(CMD_IMPORT_DATA_FILE);
         }},
        {"export a subtree", "a1", [this] {
             select("a1");
             chooseFiles({pathInFolder("oudat")});
             command(CMD_EXPORT_SUB_DATA_FILE);
         }},
        {"drag a folder with unopened children", "a11", [this] {
             dragOnto(nodeNamed("A"), nodeNamed("C"));
         }},
        {"model changes images, number and title", "a11", [this] {
             Document& document = app().document;
             NodeId node = nodeNamed("a11");
             BookmarkItem* record = nodeRecord(document, node);
             document.items.renumber(*record, withKind(record->itemNumber, kKindChangedLink));
             document.tree.setItemNumber(node, record->itemNumber);
             document.tree.setImages(node, 4, 5);
             record->title = "a11 changed";
             document.tree.setText(node, record->title);
         }},
    };
    for (const Operation& operation : operations) {
        SCOPED_TRACE(operation.name);
        startWithFile(file);
        NodeId untouched = nodeNamed(operation.neverShown);
        ASSERT_NE(untouched, kNoNode);
        EXPECT_EQ(app().treeView.itemOf(untouched), nullptr);
        operation.run();
        // Whatever the operation selected or made is on the screen.
        NodeId selected = app().treeView.selectedNode();
        ASSERT_NE(selected, kNoNode);
        EXPECT_TRUE(shownOnScreen(selected));
        if (std::string(operation.name) == "new folder") {
            EXPECT_TRUE(shownOnScreen(nodeNamed("新しいフォルダ")));
        }
        Outcome lazy = outcome();
        destroyMainWindow();
        DeleteFileW(widen(pathInFolder("out.dat")).c_str());

        startWithFile(file);
        openWholeTree();
        operation.run();
        Outcome open = outcome();
        destroyMainWindow();
        DeleteFileW(widen(pathInFolder("out.dat")).c_str());

        EXPECT_EQ(lazy.saved, open.saved);
        EXPECT_EQ(lazy.exported, open.exported);
        EXPECT_TRUE(lazy.view == open.view) << narrow(lazy.view) << "\n" << narrow(open.view);
        EXPECT_EQ(lazy.selected, open.selected);
    }
}

TEST_F(LazyView, AFolderOfManyLinksShowsAScreenfulAtOnceAndTheRestBetweenMessages) {
    const int links = 5000;
    openFolderOfLinks(links);
    const std::size_t all = static_cast<std::size_t>(links) + 1;

    // The load opened the root with its first children; the rest is still to come.
    HWND tree = treeWindow();
    HTREEITEM rootItem = TreeView_GetRoot(tree);
    EXPECT_EQ(TreeView_GetSelection(tree), rootItem);
    EXPECT_TRUE(TreeView_GetItemState(tree, rootItem, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_TRUE(app().treeView.addingInBatches());
    EXPECT_LT(static_cast<std::size_t>(TreeView_GetCount(tree)), all);

    // A node further on is made when it is asked for, and the batches go on from there.
    NodeId further = nodeNamed("link 2000");
    app().treeView.select(further);
    EXPECT_EQ(app().treeView.selectedNode(), further);
    EXPECT_TRUE(shownOnScreen(further));
    EXPECT_GE(static_cast<std::size_t>(TreeView_GetCount(tree)), 2001u);

    for (int round = 0; round < 100000 && app().treeView.addingInBatches(); ++round) pumpMessages(5);
    EXPECT_FALSE(app().treeView.addingInBatches());
    ASSERT_EQ(static_cast<std::size_t>(TreeView_GetCount(tree)), all);
    // In the model's order, each item with its own node.
    int i = 0;
    const NodeId first = nodeNamed("link 1");
    for (HTREEITEM item = TreeView_GetChild(tree, rootItem); item; item = TreeView_GetNextSibling(tree, item)) {
        ++i;
        ASSERT_TRUE(treeItemText(tree, item) == widen("link " + std::to_string(i))) << i;
        ASSERT_EQ(app().treeView.nodeOf(item), first + static_cast<NodeId>(i - 1));
    }
    EXPECT_EQ(i, links);
}

// End, and commands on items made ahead of the batches or not made yet, while a long folder
// is still being filled: the fill goes on around them and ends with every item in order.
TEST_F(LazyView, EndAndCommandsWhileALongFolderFillsLeaveEveryItemInTheModelsOrder) {
    const int links = 20000;
    openFolderOfLinks(links);
    HWND tree = treeWindow();
    ASSERT_TRUE(app().treeView.addingInBatches());

    SendMessageW(tree, WM_KEYDOWN, VK_END, 0);
    NodeId last = nodeNamed("link " + std::to_string(links));
    EXPECT_EQ(app().treeView.selectedNode(), last);
    EXPECT_TRUE(shownOnScreen(last));
    EXPECT_LT(TreeView_GetCount(tree), static_cast<UINT>(links / 2));

    // Sent without pumping messages in between, so the batches have not gone on meanwhile.
    auto send = [&](int id) { SendMessageW(mainWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0); };
    answerWith({IDYES, IDOK, IDYES, IDOK});
    send(CMD_MOVE_UP);  // past a sibling that has no item yet
    select(("link " + std::to_string(links - 500)).c_str());
    send(CMD_DELETE);
    select("link 5");
    send(CMD_NEW_FOLDER);
    SendMessageW(tree, TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_TRUE(app().treeView.addingInBatches());

    for (int round = 0; round < 100000 && app().treeView.addingInBatches(); ++round) pumpMessages(5);
    const BookmarkTree& model = app().document.tree;
    HTREEITEM item = TreeView_GetChild(tree, TreeView_GetRoot(tree));
    NodeId rootNode = model.firstTopLevel();
    int count = 0;
    for (NodeId node = model.firstChild(rootNode); node != kNoNode; node = model.nextSibling(node), ++count) {
        ASSERT_NE(item, nullptr) << model.node(node).text;
        ASSERT_EQ(app().treeView.nodeOf(item), node) << model.node(node).text;
        item = TreeView_GetNextSibling(tree, item);
    }
    EXPECT_EQ(item, nullptr);
    EXPECT_EQ(count, links);  // one deleted, one new folder
    EXPECT_EQ(model.node(model.lastChild(rootNode)).text, "link " + std::to_string(links - 1));
    EXPECT_TRUE(treeItemText(tree, app().treeView.itemOf(nodeNamed("link 6"))) == L"link 6");
}
