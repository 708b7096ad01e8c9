#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/bookmark_tree.h"
#include "store/text_pool.h"
#include "store/tree_population.h"

using namespace perchlet;

namespace {

struct RecordingObserver : TreeObserver {
    std::vector<std::string> events;
    void nodeInserted(NodeId n) override { events.push_back("insert " + std::to_string(n)); }
    void subtreeRemoving(NodeId n) override { events.push_back("remove " + std::to_string(n)); }
    void nodeChanged(NodeId n) override { events.push_back("change " + std::to_string(n)); }
    void treeCleared() override { events.push_back("clear"); }
    void subtreeAttached(NodeId n) override { events.push_back("attach " + std::to_string(n)); }
};

struct CountingIcons : ShellIconSource {
    int count = kFixedImageCount;
    std::vector<std::string> asked;
    ImagePair appendIconsFor(const std::string& locator) override {
        asked.push_back(locator);
        count += 2;
        return {count - 2, count - 1};
    }
};

std::vector<std::string> walkTexts(const BookmarkTree& tree, NodeId start) {
    std::vector<std::string> texts;
    tree.walkSubtree(start, [&](NodeId n) { texts.push_back(tree.node(n).text); });
    return texts;
}

}  // namespace

TEST(BookmarkTree, WalksDepthFirstInsideTheSubtreeOnly) {
    BookmarkTree tree;
    NodeId root = tree.insertLastChild(kTopLevel, kRootItemNumber, "root", 2, 3);
    NodeId a = tree.insertLastChild(root, 1, "a", 2, 3);
    tree.insertLastChild(a, 2, "a1", 0, 1);
    tree.insertLastChild(a, 3, "a2", 0, 1);
    NodeId b = tree.insertLastChild(root, 4, "b", 2, 3);
    tree.insertLastChild(b, 5, "b1", 0, 1);

    EXPECT_EQ(walkTexts(tree, root), (std::vector<std::string>{"root", "a", "a1", "a2", "b", "b1"}));
    EXPECT_EQ(walkTexts(tree, a), (std::vector<std::string>{"a", "a1", "a2"}));
    EXPECT_EQ(walkTexts(tree, tree.lastChild(a)), (std::vector<std::string>{"a2"}));
    EXPECT_TRUE(tree.isAncestor(root, tree.firstChild(b)));
    EXPECT_FALSE(tree.isAncestor(a, b));
}

TEST(BookmarkTree, RemovingASubtreeRelinksSiblingsAndTellsTheView) {
    BookmarkTree tree;
    RecordingObserver observer;
    tree.addObserver(&observer);
    NodeId root = tree.insertLastChild(kTopLevel, 1, "root", 2, 3);
    NodeId a = tree.insertLastChild(root, 2, "a", 2, 3);
    tree.insertLastChild(a, 3, "a1", 0, 1);
    NodeId b = tree.insertLastChild(root, 4, "b", 0, 1);
    NodeId c = tree.insertLastChild(root, 5, "c", 0, 1);
    EXPECT_EQ(tree.liveCount(), 5u);

    tree.removeSubtree(a);
    EXPECT_FALSE(tree.isAlive(a));
    EXPECT_EQ(tree.firstChild(root), b);
    EXPECT_EQ(tree.previousSibling(b), kNoNode);
    EXPECT_EQ(tree.liveCount(), 3u);
    tree.removeSubtree(c);
    EXPECT_EQ(tree.lastChild(root), b);
    EXPECT_EQ(tree.nextSibling(b), kNoNode);
    EXPECT_EQ(walkTexts(tree, root), (std::vector<std::string>{"root", "b"}));
    EXPECT_EQ(observer.events.back(), "remove " + std::to_string(c));

    tree.setBold(b, true);
    EXPECT_EQ(observer.events.back(), "change " + std::to_string(b));
    tree.clear();
    EXPECT_EQ(observer.events.back(), "clear");
    EXPECT_EQ(tree.firstTopLevel(), kNoNode);
}

// A load keeps node titles in the tree's pool: every length reads back, a copy owns its bytes
// after the tree is cleared, and a rename leaves the pool.
TEST(BookmarkTree, TextsOfEveryLengthReadBackWhetherOwnedOrShared) {
    const std::vector<std::string> texts = {"", std::string(15, 'a'), std::string(16, 'b'), std::string(300, 'c'),
                                            std::string(20000, 'd')};
    for (NodeTextStorage storage : {NodeTextStorage::Own, NodeTextStorage::Shared}) {
        BookmarkTree tree;
        TextPool pool;
        std::vector<CompactText> copies;
        for (const std::string& text : texts) {
            std::string_view given = storage == NodeTextStorage::Shared ? pool.keep(text) : std::string_view(text);
            NodeId node = tree.insertLastChild(kTopLevel, 1, given, 0, 0, false, kNoRecord, storage);
            EXPECT_EQ(tree.node(node).text, text);
            copies.push_back(tree.node(node).text);
        }
        NodeId last = tree.lastChild(kTopLevel);
        tree.setText(last, "renamed");
        EXPECT_EQ(tree.look(last).text, "renamed");
        tree.clear();
        pool.clear();
        for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(copies[i], texts[i]);
    }
}

TEST(TreePopulation, LocatorsClassifyByTheirFirstSevenBytes) {
    EXPECT_EQ(classifyLocator(""), LocatorClass::Empty);
    EXPECT_EQ(classifyLocator("http://example.com/"), LocatorClass::Web);
    EXPECT_EQ(classifyLocator("https://example.com/"), LocatorClass::Web);
    EXPECT_EQ(classifyLocator("https:/odd"), LocatorClass::Web);
    EXPECT_EQ(classifyLocator("HTTP://EXAMPLE.COM/"), LocatorClass::Other);
    EXPECT_EQ(classifyLocator("mailto:someone@example.com"), LocatorClass::Mail);
    EXPECT_EQ(classifyLocator("ftp:"), LocatorClass::Other);
    EXPECT_EQ(kindForLocator("C:\\tools\\app.exe"), kKindLocalFile);
    EXPECT_EQ(kindForLocator(""), kKindFolder);
}

TEST(TreePopulation, EachKindHasItsImages) {
    EXPECT_EQ(imagesForKind(kKindWebLink).normal, 0);
    EXPECT_EQ(imagesForKind(kKindFolder).normal, 2);
    EXPECT_EQ(imagesForKind(kKindFolder).selected, 3);
    EXPECT_EQ(imagesForKind(kKindChangedLink).normal, 4);
    EXPECT_EQ(imagesForKind(kKindFailedLink).selected, 7);
    EXPECT_EQ(imagesForKind(kKindMailLink).normal, 8);
    EXPECT_EQ(imagesForKind(kKindShellLink).normal, 10);
    EXPECT_EQ(imagesForKind(kKindLocalFile).normal, 12);
    EXPECT_EQ(imagesForKind(4).normal, 0);
    EXPECT_EQ(imagesForKind(15).selected, 1);
}

TEST(TreePopulation, NewItemsGoUnderTheChosenParentWithTheirRecords) {
    Document document;
    CountingIcons icons;
    NodeId root = insertRootItem(document);
    EXPECT_EQ(document.tree.node(root).itemNumber, kRootItemNumber);
    EXPECT_EQ(document.tree.node(root).text, "Perchlet");
    EXPECT_FALSE(document.modified());

    NewItemFields folderFields;
    folderFields.title = "Tools";
    NodeId folder = newItemUnder(document, root, folderFields, icons);
    ItemNumber folderNumber = document.tree.node(folder).itemNumber;
    EXPECT_EQ(folderNumber, 0x10020001);
    EXPECT_TRUE(document.modified());

    NewItemFields link;
    link.title = "Exa\r\nmple";
    link.locator = "http://example.com/";
    link.comment = "line1\r\nline2";
    link.x = "10";
    link.y = " -20";
    link.width = "300";
    link.height = "200x";
    NodeId linkNode = newItemUnder(document, folder, link, icons);
    const BookmarkItem* record = document.items.find(document.tree.node(linkNode).itemNumber);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->itemNumber, 0x00030002);
    EXPECT_EQ(record->parentNumber, static_cast<std::uint32_t>(folderNumber));
    EXPECT_EQ(record->title, "Example");
    EXPECT_EQ(record->comment, "line1\nline2");
    EXPECT_EQ(record->lastModified, "000000");
    EXPECT_EQ(record->windowLeft, 10);
    EXPECT_EQ(record->windowTop, -20);
    EXPECT_EQ(record->windowRight, 310);
    EXPECT_EQ(record->windowBottom, 180);
    EXPECT_EQ(document.tree.node(linkNode).image, 0);
    EXPECT_EQ(document.tree.parent(linkNode), folder);

    // A link can receive children, and local files bring their own icons.
    NewItemFields program;
    program.title = "app";
    program.locator = "C:\\x\\app.exe -s";
    for (int i = 0; i < 10; ++i) newItemUnder(document, linkNode, program, icons);
    EXPECT_EQ(icons.count, 34);
    EXPECT_EQ(document.tree.node(document.tree.lastChild(linkNode)).image, 32);
    EXPECT_EQ(kindOf(document.tree.node(document.tree.lastChild(linkNode)).itemNumber), kKindLocalFile);

    NewItemFields mail;
    mail.locator = "mailto:a@b";
    NodeId mailNode = newItemUnder(document, root, mail, icons);
    EXPECT_EQ(document.tree.node(mailNode).image, 8);
}
