// Organising a folder: sorting its items, renaming, copying a subtree, and which copies of a
// page are the older ones.
#include <gtest/gtest.h>

#include <string>
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
    const char* locator;  // "" for a folder
    const char* added;
    const char* visited;
};

struct SortCase {
    const char* name;
    SortOrder order;
    std::vector<Item> items;
    std::vector<std::string> sorted;  // titles
};

TEST(SortOrder, EachOrderPutsFoldersFirstAndKeepsEqualsInPlace) {
    const SortCase cases[] = {
        {"kana: gojuon, katakana and half width folded, voiced beside plain", SortOrder::Title,
         {{"ﾊﾟﾝ", "http://a/", "", ""}, {"かき", "http://b/", "", ""}, {"がか", "http://c/", "", ""},
          {"アイス", "http://d/", "", ""}, {"はな", "http://e/", "", ""}, {"ばら", "http://f/", "", ""}},
         {"アイス", "がか", "かき", "はな", "ばら", "ﾊﾟﾝ"}},
        {"numbers by value, width folded", SortOrder::Title,
         {{"第10回", "http://a/", "", ""}, {"第2回", "http://b/", "", ""}, {"第１回", "http://c/", "", ""},
          {"item 10", "http://d/", "", ""}, {"item 9", "http://e/", "", ""}},
         {"item 9", "item 10", "第１回", "第2回", "第10回"}},
        {"English: case folded, equals keep their order", SortOrder::Title,
         {{"beta", "http://a/", "", ""}, {"Alpha", "http://b/", "", ""}, {"ALPHA", "http://c/", "", ""},
          {"ｇａｍｍａ", "http://d/", "", ""}},
         {"Alpha", "ALPHA", "beta", "ｇａｍｍａ"}},
        {"mixed: symbols, numbers, letters, kana, kanji in code order; folders first", SortOrder::Title,
         {{"漢字", "http://a/", "", ""}, {"亜", "http://b/", "", ""}, {"ニュース", "", "", ""},
          {"[メモ]", "http://c/", "", ""}, {"2024", "http://d/", "", ""}, {"News", "http://e/", "", ""},
          {"あ", "http://f/", "", ""}, {"Archive", "", "", ""}},
         {"Archive", "ニュース", "[メモ]", "2024", "News", "あ", "亜", "漢字"}},
        {"address", SortOrder::Address,
         {{"c", "https://b.example/", "", ""}, {"a", "HTTP://A.example/", "", ""}, {"f", "", "", ""},
          {"b", "http://a.example/", "", ""}},
         {"f", "a", "b", "c"}},
        {"added, newest first; placeholders last", SortOrder::AddedNewestFirst,
         {{"old", "http://a/", "1000", ""}, {"none", "http://b/", "0", ""}, {"new", "http://c/", "3000", ""},
          {"mid", "http://d/", "2000", ""}},
         {"new", "mid", "old", "none"}},
        {"last visit, newest first", SortOrder::VisitedNewestFirst,
         {{"never", "http://a/", "", "0"}, {"today", "http://b/", "", "5000"}, {"then", "http://c/", "", "400"}},
         {"today", "then", "never"}},
    };
    for (const SortCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestTree t;
        for (const Item& item : c.items) {
            t.defaults.addDate = item.added;
            t.defaults.lastVisit = item.visited;
            t.add(t.root, *item.locator ? kKindWebLink : kKindFolder, item.title, item.locator);
        }
        std::string before = writeWholeDocument(t.doc);
        {
            UndoStep step(t.doc, "並べ替え");
            sortChildren(t.doc, t.root, c.order, false);
        }
        EXPECT_EQ(t.childTitles(t.root), c.sorted);
        t.doc.history.undo(t.doc);
        EXPECT_EQ(writeWholeDocument(t.doc), before);
    }
}

TEST(SortOrder, OnlyTheFolderOrTheWholeSubtreeAndNothingWhenSorted) {
    TestTree t;
    NodeId folder = t.add(t.root, kKindFolder, "b");
    t.add(folder, kKindWebLink, "z", "http://z/");
    t.add(folder, kKindWebLink, "y", "http://y/");
    t.add(t.root, kKindFolder, "a");

    EXPECT_TRUE(sortChildren(t.doc, t.root, SortOrder::Title, false));
    EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(t.childTitles(folder), (std::vector<std::string>{"z", "y"}));
    EXPECT_TRUE(sortChildren(t.doc, t.root, SortOrder::Title, true));
    EXPECT_EQ(t.childTitles(folder), (std::vector<std::string>{"y", "z"}));

    // A sorted folder makes no undo step and leaves the document unmodified.
    t.doc.modified = false;
    {
        UndoStep step(t.doc, "並べ替え");
        EXPECT_FALSE(sortChildren(t.doc, t.root, SortOrder::Title, true));
    }
    EXPECT_FALSE(t.doc.modified);
    EXPECT_EQ(compareTitles("ｶﾞ", "が"), 0);
}

TEST(CopySubtree, TheCopyHasTheSameRecordsUnderNewNumbers) {
    TestTree t("100", "200", "300", "400");
    NodeId folder = t.add(t.root, kKindFolder, "Folder", "", "note");
    NodeId link = t.add(folder, kKindWebLink, "Link", "http://example.com/", "comment");
    t.add(link, kKindWebLink, "Under a link", "http://under.example/");
    NodeId target = t.add(t.root, kKindFolder, "Target");
    NoShellIcons icons;

    NodeId copy = copySubtreeUnder(t.doc, target, folder, icons);
    ASSERT_NE(copy, kNoNode);
    std::vector<NodeId> originals, copies;
    t.doc.tree.walkSubtree(folder, [&](NodeId n) { originals.push_back(n); });
    t.doc.tree.walkSubtree(copy, [&](NodeId n) { copies.push_back(n); });
    ASSERT_EQ(copies.size(), originals.size());
    for (std::size_t k = 0; k < copies.size(); ++k) {
        const BookmarkItem& a = t.record(originals[k]);
        const BookmarkItem& b = t.record(copies[k]);
        SCOPED_TRACE(a.title);
        EXPECT_EQ(b.title, a.title);
        EXPECT_EQ(b.locator, a.locator);
        EXPECT_EQ(b.comment, a.comment);
        EXPECT_EQ(b.addDate, a.addDate);
        EXPECT_EQ(b.lastVisit, a.lastVisit);
        EXPECT_EQ(kindOf(b.itemNumber), kindOf(a.itemNumber));
        EXPECT_NE(serialOf(b.itemNumber), serialOf(a.itemNumber));
        EXPECT_EQ(depthOf(b.itemNumber), depthOf(a.itemNumber) + 1);
    }
    EXPECT_EQ(t.doc.tree.parent(copy), target);
    EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"Folder", "Target"}));
}

TEST(Rename, TheTitleIsOneLineAndNeverEmpty) {
    struct Case {
        const char* typed;
        RenameResult result;
        const char* title;
    } cases[] = {
        {"新しい名前", RenameResult::Renamed, "新しい名前"},
        {"two\r\nlines", RenameResult::Renamed, "twolines"},
        {"Old", RenameResult::Unchanged, "Old"},
        {"", RenameResult::EmptyTitle, "Old"},
        {" \t　", RenameResult::EmptyTitle, "Old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        TestTree t;
        NodeId node = t.add(t.root, kKindWebLink, "Old", "http://example.com/");
        EXPECT_EQ(renameItem(t.doc, node, c.typed), c.result);
        EXPECT_EQ(t.record(node).title, c.title);
        EXPECT_EQ(t.doc.tree.node(node).text, c.title);
    }
}

TEST(Duplicates, OlderCopiesAreAllButTheLatestAdded) {
    struct Case {
        const char* name;
        std::vector<const char*> added;  // one link each, same address
        std::vector<std::size_t> older;  // their places
    } cases[] = {
        {"newest last", {"100", "200", "300"}, {0, 1}},
        {"newest first", {"300", "100"}, {1}},
        {"equal dates keep the first", {"100", "100"}, {1}},
        {"placeholders are oldest", {"0", "000000", "50"}, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestTree t;
        std::vector<NodeId> links;
        for (const char* added : c.added) {
            t.defaults.addDate = added;
            links.push_back(t.add(t.root, kKindWebLink, "x", "http://example.com/"));
        }
        std::vector<DuplicateGroup> groups = findDuplicates(t.doc);
        ASSERT_EQ(groups.size(), 1u);
        std::vector<NodeId> expected;
        for (std::size_t place : c.older) expected.push_back(links[place]);
        EXPECT_EQ(olderCopies(t.doc, groups[0]), expected);
    }
}

}  // namespace
