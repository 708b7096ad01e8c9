#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exchange/csv.h"
#include "store/tree_population.h"
#include "test_tree.h"

using namespace perchlet;

namespace {

const std::string kHeaderLine = "項目,タイトル,URL,コメント,作成日時,最終更新日時,最終訪問日時\r\n";

struct Tree : perchlet::testing::TestTree {
    Tree() : TestTree("1", "100", "000000", "") {}
    std::vector<const BookmarkItem*> children(NodeId parent) const { return childRecords(parent); }
};

std::string withHeader(const std::string& rows) { return "C:\\start\r\n" + kHeaderLine + rows; }

}  // namespace

TEST(CsvExport, WritesStartDirectoryHeaderAndOneRowPerItemInDisplayOrder) {
    Tree t;
    NodeId folder = t.add(t.root, kKindFolder, "Folder, one");
    NodeId link = t.add(folder, kKindWebLink, "A, B", "http://x/?a=1,2", "line 1,\r\nline 2");
    t.add(link, kKindWebLink, "under a link", "http://y/");
    t.add(t.root, kKindLocalFile, "prog", "C:\\app.exe");

    EXPECT_EQ(exportCsv(t.doc, t.root, "C:\\Program Files\\Perchlet"),
              "C:\\Program Files\\Perchlet\r\n" + kHeaderLine +
                  "1,Perchlet,,\"\",1,0,\r\n"
                  "2,Folder  one,,\"\",100,000000,\r\n"
                  "3,A  B,\"http://x/?a=1,2\",\"line 1 \nline 2\",100,000000,\r\n"
                  "4,under a link,http://y/,\"\",100,000000,\r\n"
                  "5,prog,URL not found !,\"\",100,000000,\r\n");
    EXPECT_EQ(exportCsv(t.doc, link, "D"), "D\r\n" + kHeaderLine +
                                               "1,A  B,\"http://x/?a=1,2\",\"line 1 \nline 2\",100,000000,\r\n"
                                               "2,under a link,http://y/,\"\",100,000000,\r\n");
}

TEST(CsvImport, ExportedSubtreeComesBackFlatWithCommasAsBlanks) {
    Tree t;
    NodeId folder = t.add(t.root, kKindFolder, "F");
    t.add(folder, kKindWebLink, "Q, A", "http://a/", "two\nlines, here");
    t.add(folder, kKindMailLink, "mail", "mailto:x@y");

    Tree back;
    NodeId target = back.add(back.root, kKindFolder, "target");
    ImportResult result = importCsv(exportCsv(t.doc, folder, "C:\\"), back.doc, target);
    EXPECT_EQ(result.count, 3u);
    EXPECT_TRUE(back.doc.modified());
    EXPECT_EQ(back.childTitles(target), (std::vector<std::string>{"F", "Q  A", "mail"}));
    std::vector<const BookmarkItem*> rows = back.children(target);
    EXPECT_EQ(rows[1]->locator, "http://a/");
    EXPECT_EQ(rows[1]->comment, "two\nlines  here");
    EXPECT_EQ(rows[1]->addDate, "100");
    EXPECT_EQ(rows[1]->lastModified, "000000");
    for (const BookmarkItem* row : rows) {
        // A mail address comes back as a mail link; every other row is a web link.
        unsigned expected = row->locator.view().rfind("mailto:", 0) == 0 ? kKindMailLink : kKindWebLink;
        EXPECT_EQ(kindOf(row->itemNumber), expected) << row->title;
        EXPECT_EQ(depthOf(row->itemNumber), 3u);
    }
    EXPECT_EQ(back.doc.tree.node(result.lastCreated).text, "mail");
}

TEST(CsvImport, FirstTwoLinesAreNeverDataAndAnUnendedLastLineIsRead) {
    Tree t;
    std::string text =
        "1,line one,http://1/,c,d,e,f\r\n"
        "2,header line,http://2/,c,d,e,f\r\n"
        "3,kept,http://3/,c,d,e,f\r\n"
        "4,unended,http://4/,c,d,e,f";
    EXPECT_EQ(importCsv(text, t.doc, t.root).count, 2u);
    EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"kept", "unended"}));
    EXPECT_EQ(t.record(t.child(t.root, 1)).lastVisit, "f");

    Tree u;
    EXPECT_EQ(importCsv("only one line\r\n", u.doc, u.root).count, 0u);
    EXPECT_EQ(importCsv("", u.doc, u.root).count, 0u);
    EXPECT_EQ(importCsv("a\nb", u.doc, u.root).count, 0u);
}

// A file kept in git or made on another system: LF or CR line ends read as CR LF ones do,
// and a quoted comment still holds its own line breaks.
TEST(CsvImport, LfAndCrLineEndsReadAlike) {
    for (std::string lineEnd : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(lineEnd == "\n" ? "LF" : lineEnd == "\r" ? "CR" : "CR LF");
        std::string text = "C:\\start" + lineEnd + "header" + lineEnd +
                           "1,first,http://a/,\"two\nlines\",1,2,3" + lineEnd +
                           "2,second,\"http://b/?x=1,2\",\"\",4,5,6" + lineEnd +
                           "3,unended,http://c/,\"\",7,8,9";
        Tree t;
        ASSERT_EQ(importCsv(text, t.doc, t.root).count, 3u);
        EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"first", "second", "unended"}));
        EXPECT_EQ(t.record(t.child(t.root, 0)).comment, "two\nlines");
        EXPECT_EQ(t.record(t.child(t.root, 0)).lastVisit, "3");
        EXPECT_EQ(t.record(t.child(t.root, 1)).locator, "http://b/?x=1,2");
        EXPECT_EQ(t.record(t.child(t.root, 2)).lastVisit, "9");
    }
}

// Addresses with commas or quotes come back whole; every other row keeps its bytes.
TEST(CsvExport, AddressesWithCommasOrQuotesAreQuotedAndReadBackWhole) {
    const std::string map = "https://maps.example/@35.68,139.76,15z";
    const std::string quoted = "http://q/?say=\"hi\",x";
    Tree t;
    NodeId folder = t.add(t.root, kKindFolder, "F");
    t.add(folder, kKindWebLink, "map", map, "note");
    t.add(folder, kKindWebLink, "quote", quoted);
    t.add(folder, kKindWebLink, "plain", "http://p/?a=1&b=2");

    std::string text = exportCsv(t.doc, folder, "C:\\");
    EXPECT_NE(text.find("2,map,\"https://maps.example/@35.68,139.76,15z\",\"note\",100,000000,\r\n"), std::string::npos);
    EXPECT_NE(text.find("3,quote,\"http://q/?say=\"\"hi\"\",x\",\"\",100,000000,\r\n"), std::string::npos);
    EXPECT_NE(text.find("4,plain,http://p/?a=1&b=2,\"\",100,000000,\r\n"), std::string::npos);

    Tree back;
    ASSERT_EQ(importCsv(text, back.doc, back.root).count, 4u);
    std::vector<const BookmarkItem*> rows = back.children(back.root);
    EXPECT_EQ(rows[1]->locator, map);
    EXPECT_EQ(rows[1]->comment, "note");
    EXPECT_EQ(rows[1]->addDate, "100");
    EXPECT_EQ(rows[2]->locator, quoted);
    EXPECT_EQ(rows[3]->locator, "http://p/?a=1&b=2");
}

// Several top-level items, as the tool writes them: one after another, numbered on.
TEST(CsvExport, TopLevelWritesEveryTopLevelItem) {
    Tree t;
    t.add(t.root, kKindWebLink, "a", "http://a/");
    NodeId second = insertRootItem(t.doc);
    t.add(second, kKindWebLink, "b", "http://b/");
    std::string text = exportCsv(t.doc, kTopLevel, "D");
    EXPECT_NE(text.find("\r\n2,a,http://a/,"), std::string::npos);
    EXPECT_NE(text.find("\r\n3,Perchlet,,"), std::string::npos);
    EXPECT_NE(text.find("\r\n4,b,http://b/,"), std::string::npos);
}

// A UTF-8 file (read when it has a byte order mark): what Shift-JIS cannot hold is marked
// "〓" in titles and percent-encoded in addresses.
TEST(CsvImport, Utf8RowsKeepTheirAddressesWhole) {
    std::string text = "\xEF\xBB\xBF" "C:\\\nheader\n1," + std::string(u8"Caf\u00E9 日本") + "," +
                       std::string(u8"http://cafe.example/Caf\u00E9/\u00FC") + ",\"\",1,2,3\n";
    Tree t;
    ImportResult result = importCsv(text, t.doc, t.root, CsvText::Utf8);
    ASSERT_EQ(result.count, 1u);
    EXPECT_EQ(t.record(t.child(t.root, 0)).title, "Caf〓 日本");
    EXPECT_EQ(result.markedItems, 1u);
    EXPECT_EQ(result.firstMarkedTitle, "Caf〓 日本");
    EXPECT_EQ(t.record(t.child(t.root, 0)).locator, "http://cafe.example/Caf%C3%A9/%C3%BC");
}

TEST(CsvImport, RowsAreCutAtCommasWithTheCommentRules) {
    Tree t;
    std::string text = withHeader(
        "1,unquoted,http://a/,plain comment,10,20,30\r\n"
        "2,quoted,http://b/,\"a comment\",10,20,30\r\n"
        "3,comma in quotes,http://c/,\"one,two\",10,20,30\r\n"
        "4,lone quote,http://d/,\",10,20,30\r\n"
        "5,last field,http://e/,\"\",10,20,30,40,50\r\n"
        "6,address,with,comma,\"x\",10,20\r\n"
        "not a digit,t,http://f/,\"\",1,2,3\r\n"
        "7,too,few,commas,here\r\n"
        "\r\n");
    ImportResult result = importCsv(text, t.doc, t.root);
    ASSERT_EQ(result.count, 6u);
    std::vector<const BookmarkItem*> rows = t.children(t.root);
    EXPECT_EQ(rows[0]->comment, "plain comment");
    EXPECT_EQ(rows[0]->addDate, "10");
    EXPECT_EQ(rows[0]->lastModified, "20");
    EXPECT_EQ(rows[0]->lastVisit, "30");
    EXPECT_EQ(rows[1]->comment, "a comment");
    // The comma inside the quotes ends the comment; the fields after it shift.
    EXPECT_EQ(rows[2]->comment, "on");
    EXPECT_EQ(rows[2]->addDate, "two\"");
    EXPECT_EQ(rows[2]->lastVisit, "20,30");
    EXPECT_EQ(rows[3]->comment, "");
    EXPECT_EQ(rows[3]->addDate, "10");
    EXPECT_EQ(rows[4]->lastVisit, "30,40,50");
    EXPECT_EQ(rows[5]->locator, "with");
    EXPECT_EQ(rows[5]->comment, "comma");
    EXPECT_EQ(rows[5]->lastVisit, "20");
}

// A CSV written by another program: its rows start with titles, not row numbers, and its
// lines end in LF, so nothing is imported and nothing is invented.
TEST(CsvCorpus, PocketExportImportsNothing) {
    std::ifstream in(std::string(PERCHLET_SOURCE_DIR) + "/tests/data/corpus/csv/pocket_wallabag_pocket.csv",
                     std::ios::binary);
    ASSERT_TRUE(in);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Tree t;
    EXPECT_EQ(importCsv(text, t.doc, t.root).count, 0u);

    std::string withCrLf;
    for (char c : text) {
        if (c == '\n') withCrLf += '\r';
        withCrLf += c;
    }
    EXPECT_EQ(importCsv(withCrLf, t.doc, t.root).count, 0u);
    EXPECT_EQ(t.doc.items.size(), 1u);
}
