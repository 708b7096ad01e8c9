// Organising a folder: sorting its items, renaming, copying a subtree, and which copies of a
// page are the older ones.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "search/duplicates.h"
#include "search/sort_order.h"
#include "store/document_text.h"
#include "store/tree_edit.h"
#include "test_tree.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

struct Item {
    const char* title;
    const char* locator = "";  // none: a folder
    const char* added = "";
    const char* visited = "";
};

NodeId addItem(TestTree& t, NodeId parent, const Item& item) {
    t.defaults.addDate = item.added;
    t.defaults.lastVisit = item.visited;
    return t.add(parent, *item.locator ? kKindWebLink : kKindFolder, item.title, item.locator);
}

TEST(SortOrder, EachOrderPutsFoldersFirstAndKeepsEqualsInPlace) {
    struct Case {
        const char* name;
        SortOrder order;
        std::vector<Item> items;
        std::vector<std::string> sorted;
    } cases[] = {
        {"kana in gojuon order, voiced beside plain, katakana and half width folded", SortOrder::Title,
         {{"ﾊﾟﾝ", "a"}, {"かき", "b"}, {"がか", "c"}, {"アイス", "d"}, {"はな", "e"}, {"ばら", "f"}},
         {"アイス", "がか", "かき", "はな", "ばら", "ﾊﾟﾝ"}},
        {"numbers by value", SortOrder::Title,
         {{"第10回", "a"}, {"第2回", "b"}, {"第１回", "c"}, {"item 10", "d"}, {"item 9", "e"}},
         {"item 9", "item 10", "第１回", "第2回", "第10回"}},
        {"English, case folded, equals in place", SortOrder::Title,
         {{"beta", "a"}, {"Alpha", "b"}, {"ALPHA", "c"}, {"ｇａｍｍａ", "d"}},
         {"Alpha", "ALPHA", "beta", "ｇａｍｍａ"}},
        {"mixed: folders, symbols, numbers, letters, kana, kanji in code order", SortOrder::Title,
         {{"漢字", "a"}, {"亜", "b"}, {"ニュース"}, {"[メモ]", "c"}, {"2024", "d"}, {"News", "e"}, {"あ", "f"},
          {"Archive"}},
         {"Archive", "ニュース", "[メモ]", "2024", "News", "あ", "亜", "漢字"}},
        {"address", SortOrder::Address,
         {{"c", "https://b.example/"}, {"a", "HTTP://A.example/"}, {"f"}, {"b", "http://a.example/"}},
         {"f", "a", "b", "c"}},
        {"added, newest first", SortOrder::AddedNewestFirst,
         {{"old", "a", "1000"}, {"none", "b", "0"}, {"new", "c", "3000"}, {"mid", "d", "2000"}},
         {"new", "mid", "old", "none"}},
        {"last visit, newest first", SortOrder::VisitedNewestFirst,
         {{"never", "a", "", "0"}, {"today", "b", "", "5000"}, {"then", "c", "", "400"}},
         {"today", "then", "never"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestTree t;
        for (const Item& item : c.items) addItem(t, t.root, item);
        std::string before = writeWholeDocument(t.doc);
        {
            UndoStep step(t.doc, "並べ替え");
            EXPECT_TRUE(sortChildren(t.doc, t.root, c.order, false));
        }
        EXPECT_EQ(t.childTitles(t.root), c.sorted);
        EXPECT_FALSE(sortChildren(t.doc, t.root, c.order, true));  // sorted: nothing moves
        t.doc.history.undo(t.doc);
        EXPECT_EQ(writeWholeDocument(t.doc), before);
    }
}

TEST(CopySubtree, TheCopyHasTheSameRecordsUnderNewNumbers) {
    TestTree t("100", "200", "300", "400");
    NodeId folder = t.add(t.root, kKindFolder, "Folder", "", "note");
    NodeId link = t.add(folder, kKindWebLink, "Link", "http://example.com/", "comment");
    t.add(link, kKindWebLink, "Under a link", "http://under.example/");
    NodeId target = t.add(t.root, kKindFolder, "Target");
    NoShellIcons icons;
    NodeId copy = copySubtreeUnder(t.doc, target, folder, icons);
    ASSERT_EQ(t.doc.tree.parent(copy), target);
    std::vector<NodeId> originals, copies;
    t.doc.tree.walkSubtree(folder, [&](NodeId n) { originals.push_back(n); });
    t.doc.tree.walkSubtree(copy, [&](NodeId n) { copies.push_back(n); });
    ASSERT_EQ(copies.size(), 3u);
    for (std::size_t k = 0; k < copies.size(); ++k) {
        const BookmarkItem &a = t.record(originals[k]), &b = t.record(copies[k]);
        auto fields = [](const BookmarkItem& r) {
            return std::tie(r.title, r.locator, r.comment, r.addDate, r.lastModified, r.lastVisit, r.mark);
        };
        EXPECT_EQ(fields(b), fields(a));
        EXPECT_NE(serialOf(b.itemNumber), serialOf(a.itemNumber));
        EXPECT_EQ(b.itemNumber, makeItemNumber(kindOf(a.itemNumber), depthOf(a.itemNumber) + 1, serialOf(b.itemNumber)));
    }
}

TEST(Rename, TheTitleIsOneLineAndNeverBlank) {
    struct Case {
        const char* typed;
        RenameResult result;
        const char* title;
    } cases[] = {
        {"新しい名前", RenameResult::Renamed, "新しい名前"}, {"two\r\nlines", RenameResult::Renamed, "twolines"},
        {"Old", RenameResult::Unchanged, "Old"},             {"", RenameResult::EmptyTitle, "Old"},
        {" \t　", RenameResult::EmptyTitle, "Old"},
    };
    for (const Case& c : cases) {
        TestTree t;
        NodeId node = t.add(t.root, kKindWebLink, "Old", "http://example.com/");
        EXPECT_EQ(renameItem(t.doc, node, c.typed), c.result) << c.typed;
        EXPECT_EQ(t.record(node).title, c.title);
        EXPECT_EQ(t.doc.tree.node(node).text, c.title);
    }
}

TEST(Duplicates, OlderCopiesAreAllButTheLatestAdded) {
    struct Case {
        std::vector<const char*> added;  // one link each, the same page
        std::vector<std::size_t> older;
    } cases[] = {{{"100", "200", "300"}, {0, 1}}, {{"300", "100"}, {1}}, {{"100", "100"}, {1}}, {{"0", "000000", "50"}, {0, 1}}};
    for (const Case& c : cases) {
        TestTree t;
        std::vector<NodeId> links, expected;
        for (const char* added : c.added) links.push_back(addItem(t, t.root, {"x", "http://example.com/", added}));
        for (std::size_t place : c.older) expected.push_back(links[place]);
        std::vector<DuplicateGroup> groups = findDuplicates(t.doc);
        ASSERT_EQ(groups.size(), 1u);
        EXPECT_EQ(olderCopies(t.doc, groups[0]), expected) << c.added[0];
    }
}

}  // namespace
