#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/tree_edit.h"
#include "store/tree_population.h"

using namespace perchlet;

namespace {

struct NoShellIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return {12, 13}; }
};

// root
//   A (folder): a1 (folder: a11), a2
//   B (folder): b1
//   C (link)
struct SampleDocument {
    Document document;
    NoShellIcons icons;
    NodeId root, a, a1, a11, a2, b, b1, c;

    SampleDocument() {
        root = insertRootItem(document);
        a = add(root, "A", "");
        a1 = add(a, "a1", "");
        a11 = add(a1, "a11", "http://a11/");
        a2 = add(a, "a2", "mailto:a2@example.com");
        b = add(root, "B", "");
        b1 = add(b, "b1", "http://b1/");
        c = add(root, "C", "http://c/");
        document.history.markSaved();
    }

    NodeId add(NodeId parent, const char* title, const char* locator) {
        NewItemFields fields;
        fields.title = title;
        fields.locator = locator;
        return newItemUnder(document, parent, fields, icons);
    }

    const BookmarkTree& tree() const { return document.tree; }
    ItemNumber numberOf(NodeId node) const { return document.tree.node(node).itemNumber; }

    // "title(child child ...)" for the subtree, the shape and order the user sees.
    std::string outline(NodeId node) const {
        std::string text = tree().node(node).text;
        if (tree().firstChild(node) == kNoNode) return text;
        text += "(";
        for (NodeId child = tree().firstChild(node); child != kNoNode; child = tree().nextSibling(child)) {
            if (child != tree().firstChild(node)) text += " ";
            text += outline(child);
        }
        return text + ")";
    }

    // Every item of the subtree: its number must find the record whose title it shows.
    void expectNumbersFindTheirRecords(NodeId start) const {
        tree().walkSubtree(start, [&](NodeId n) {
            const BookmarkItem* record = document.items.find(numberOf(n));
            ASSERT_NE(record, nullptr) << tree().node(n).text;
            EXPECT_EQ(record->title, tree().node(n).text);
            if (tree().parent(n) != kTopLevel) {
                EXPECT_EQ(depthOf(numberOf(n)), depthOf(numberOf(tree().parent(n))) + 1) << record->title;
            }
        });
    }
};

}  // namespace

// A title pasted over several lines is stored as one; the label shows what is stored.
TEST(TreeEdit, ReplacingFieldsLabelsTheItemWithTheCleanedTitle) {
    SampleDocument s;
    NewItemFields fields;
    fields.title = "line one\r\nline two\r\n";
    fields.locator = "http://c/";
    ASSERT_TRUE(replaceItemFields(s.document, s.c, fields));
    const BookmarkItem& record = *nodeRecord(s.document, s.c);
    EXPECT_EQ(record.title.view().find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(s.tree().node(s.c).text, record.title);
}

TEST(TreeEdit, EmphasisTogglesTheMarkAndTheBoldState) {
    SampleDocument s;
    ASSERT_TRUE(toggleEmphasis(s.document, s.b));
    EXPECT_EQ(s.document.items.find(s.numberOf(s.b))->mark, 1u);
    EXPECT_TRUE(s.tree().node(s.b).bold);

    s.document.items.find(s.numberOf(s.b))->mark = 7;  // any nonzero value read from a file
    ASSERT_TRUE(toggleEmphasis(s.document, s.b));
    EXPECT_EQ(s.document.items.find(s.numberOf(s.b))->mark, 0u);
    EXPECT_FALSE(s.tree().node(s.b).bold);

    EXPECT_FALSE(toggleEmphasis(s.document, kNoNode));
}

TEST(TreeEdit, SwappingFoldersWithChildrenTradesWholeSubtreesThroughATempRecord) {
    SampleDocument s;
    ItemNumber numberA = s.numberOf(s.a), numberB = s.numberOf(s.b);
    ItemNumber numberA11 = s.numberOf(s.a11);
    std::size_t records = s.document.items.size();
    std::uint16_t counter = s.document.serials.value;

    NodeId shown = swapWithSibling(s.document, s.a, SiblingDirection::Down);

    EXPECT_EQ(shown, s.b);  // the second place, which now shows A
    EXPECT_EQ(s.outline(s.root), "Perchlet(B(b1) A(a1(a11) a2) C)");
    EXPECT_EQ(s.numberOf(s.tree().firstChild(s.root)), numberB);
    EXPECT_EQ(s.numberOf(shown), numberA);
    EXPECT_EQ(s.numberOf(s.tree().firstChild(s.tree().firstChild(shown))), numberA11);
    EXPECT_EQ(s.tree().node(s.tree().lastChild(shown)).image, 8);  // a2 keeps its mail images
    s.expectNumbersFindTheirRecords(s.root);

    // One "temp" folder record under the parent, the counter advanced once for it.
    ASSERT_EQ(s.document.items.size(), records + 1);
    const BookmarkItem& temp = *std::prev(s.document.items.end());
    EXPECT_EQ(temp.title, "temp");
    EXPECT_EQ(temp.itemNumber, makeItemNumber(kKindFolder, 2, counter + 1u));
    EXPECT_EQ(s.document.serials.value, counter + 1);
    EXPECT_EQ(s.tree().liveCount(), 8u);  // the holder is gone from the tree
}

TEST(TreeEdit, SwappingTradesTitlesImagesAndBoldButNotPlaces) {
    SampleDocument s;
    toggleEmphasis(s.document, s.c);
    std::size_t records = s.document.items.size();
    std::uint16_t counter = s.document.serials.value;

    // C has no children: no holder, no record, no serial.
    NodeId shown = swapWithSibling(s.document, s.c, SiblingDirection::Up);
    EXPECT_EQ(shown, s.b);
    EXPECT_EQ(s.outline(s.root), "Perchlet(A(a1(a11) a2) C B(b1))");
    EXPECT_TRUE(s.tree().node(s.b).bold);
    EXPECT_EQ(s.tree().node(s.b).image, 0);
    EXPECT_FALSE(s.tree().node(s.c).bold);
    EXPECT_EQ(s.tree().node(s.c).image, 2);
    EXPECT_EQ(s.document.items.size(), records);
    EXPECT_EQ(s.document.serials.value, counter);
    s.expectNumbersFindTheirRecords(s.root);

    // Deep inside the tree, and the pair swapped back restores the first order.
    NodeId back = swapWithSibling(s.document, s.a2, SiblingDirection::Up);
    EXPECT_EQ(s.outline(s.a), "A(a2 a1(a11))");
    swapWithSibling(s.document, back, SiblingDirection::Down);
    EXPECT_EQ(s.outline(s.a), "A(a1(a11) a2)");
    s.expectNumbersFindTheirRecords(s.root);
}

TEST(TreeEdit, NothingSwapsAtTheEndsOfTheSiblings) {
    SampleDocument s;
    std::string before = s.outline(s.root);
    EXPECT_EQ(swapWithSibling(s.document, s.a, SiblingDirection::Up), kNoNode);
    EXPECT_EQ(swapWithSibling(s.document, s.c, SiblingDirection::Down), kNoNode);
    EXPECT_EQ(swapWithSibling(s.document, s.root, SiblingDirection::Down), kNoNode);
    EXPECT_EQ(swapWithSibling(s.document, kNoNode, SiblingDirection::Down), kNoNode);
    EXPECT_EQ(s.outline(s.root), before);
}

TEST(TreeEdit, DropsOntoItselfOrIntoItsOwnSubtreeAreRefused) {
    SampleDocument s;
    EXPECT_EQ(checkDrop(s.tree(), s.a, s.a), DropCheck::OntoItself);
    EXPECT_EQ(checkDrop(s.tree(), s.a11, s.a), DropCheck::IntoOwnSubtree);
    EXPECT_EQ(checkDrop(s.tree(), s.a1, s.a), DropCheck::IntoOwnSubtree);
    EXPECT_EQ(checkDrop(s.tree(), s.root, s.a11), DropCheck::Allowed);
    EXPECT_EQ(checkDrop(s.tree(), s.b1, s.a), DropCheck::Allowed);

    std::string before = s.outline(s.root);
    EXPECT_EQ(moveSubtreeUnder(s.document, s.a11, s.a), kNoNode);
    EXPECT_EQ(moveSubtreeUnder(s.document, s.a, s.a), kNoNode);
    EXPECT_EQ(s.outline(s.root), before);
}

TEST(TreeEdit, MovingASubtreeRewritesDepthsAndKeepsKindsSerialsAndRecords) {
    SampleDocument s;
    toggleEmphasis(s.document, s.a11);
    ItemNumber folder = s.numberOf(s.a1), link = s.numberOf(s.a11);
    std::uint32_t parentBefore = s.document.items.find(link)->parentNumber;
    std::size_t records = s.document.items.size();

    // Three levels deep onto the root.
    NodeId moved = moveSubtreeUnder(s.document, s.root, s.a1);
    ASSERT_NE(moved, kNoNode);
    EXPECT_FALSE(s.tree().isAlive(s.a1));
    EXPECT_EQ(s.outline(s.root), "Perchlet(A(a2) B(b1) C a1(a11))");
    ItemNumber movedFolder = s.numberOf(moved);
    ItemNumber movedLink = s.numberOf(s.tree().firstChild(moved));
    EXPECT_EQ(movedFolder, makeItemNumber(kindOf(folder), 2, serialOf(folder)));
    EXPECT_EQ(movedLink, makeItemNumber(kindOf(link), 3, serialOf(link)));
    EXPECT_TRUE(s.tree().node(s.tree().firstChild(moved)).bold);
    EXPECT_EQ(s.document.items.size(), records);
    EXPECT_EQ(s.document.items.find(link), nullptr);
    EXPECT_EQ(s.document.items.find(movedLink)->parentNumber, parentBefore);  // left stale
    s.expectNumbersFindTheirRecords(s.root);

    // Onto a link, and deeper again.
    NodeId again = moveSubtreeUnder(s.document, s.b1, moved);
    EXPECT_EQ(s.outline(s.b), "B(b1(a1(a11)))");
    EXPECT_EQ(depthOf(s.numberOf(s.tree().firstChild(again))), 5u);
    s.expectNumbersFindTheirRecords(s.root);
}

TEST(TreeEdit, MovingOntoTheOwnParentPutsTheItemLast) {
    SampleDocument s;
    ItemNumber number = s.numberOf(s.a);
    NodeId moved = moveSubtreeUnder(s.document, s.root, s.a);
    EXPECT_EQ(s.outline(s.root), "Perchlet(B(b1) C A(a1(a11) a2))");
    EXPECT_EQ(s.numberOf(moved), number);
}

TEST(TreeEdit, AMovedRecordKeepsItsSerialAndItsNodeEvenWhereAnotherRecordHoldsTheNumber) {
    SampleDocument s;
    // A record (left by a deleted item) already holds the number a11 gets at depth 3.
    ItemNumber link = s.numberOf(s.a11);
    BookmarkItem stale;
    stale.itemNumber = withDepth(link, 3);
    stale.title = "stale";
    const BookmarkItem& staleRecord = s.document.items.append(stale);

    NodeId moved = moveSubtreeUnder(s.document, s.b, s.a11);
    EXPECT_EQ(s.numberOf(moved), withDepth(link, 3));
    EXPECT_EQ(nodeRecord(s.document, moved)->title, "a11");
    EXPECT_EQ(nodeRecord(s.document, moved)->itemNumber, withDepth(link, 3));
    EXPECT_EQ(staleRecord.title, "stale");
    EXPECT_EQ(staleRecord.itemNumber, stale.itemNumber);

    // Swapping carries each node's record along, too.
    NodeId shown = swapWithSibling(s.document, s.b, SiblingDirection::Up);
    EXPECT_EQ(nodeRecord(s.document, shown)->title, "B");
    EXPECT_EQ(nodeRecord(s.document, s.b)->title, "A");
}

TEST(TreeEdit, DeletingRemovesTheSubtreeButKeepsItsRecords) {
    SampleDocument s;
    ItemNumber number = s.numberOf(s.a11);
    std::size_t records = s.document.items.size();
    deleteSubtree(s.document, s.a);
    deleteSubtree(s.document, kNoNode);
    EXPECT_EQ(s.outline(s.root), "Perchlet(B(b1) C)");
    EXPECT_EQ(s.document.items.size(), records);
    EXPECT_NE(s.document.items.find(number), nullptr);
}
