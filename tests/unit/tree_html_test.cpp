#include <gtest/gtest.h>

#include <string>

#include "exchange/netscape.h"
#include "exchange/tree_html.h"
#include "store/tree_population.h"
#include "test_tree.h"

using namespace perchlet;

namespace {

const std::string kHead =
    "<HTML>\r\n<HEAD>\r\n<TITLE>Ormbrant</TITLE>\r\n"
    "<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!--\r\n"
    "function Display(id){\r\n"
    "\tif(document.all.item(id).style.display == \"block\"){\r\n"
    "\t\tdocument.all.item(id).style.display = \"none\";\r\n"
    "\t}else if(document.all.item(id).style.display == \"none\"){\r\n"
    "\t\tdocument.all.item(id).style.display = \"block\";\r\n"
    "\t}\r\n"
    "}\r\n//-->\r\n"
    "</SCRIPT>\r\n"
    "</HEAD>\r\n"
    "<BODY STYLE=\"margin :0.5em 1em 0.5em 1em; color :#999999; font:normal normal normal 100%/1.2 "
    "\"Osaka\",\"ＭＳ Ｐゴシック\",sans-serif;\">\r\n"
    "<H2>VoZivoVaro</H2>\r\n";
const std::string kTail = "\r\n</BODY>\r\n</HTML>";

const std::string kBranch = "├　";
const std::string kLast = "└　";
const std::string kBar = "│　";
const std::string kBlank = "　　";

struct Tree : perchlet::testing::TestTree {
    Tree() : TestTree("1", "100", "200", "300") {}
};

std::string toggle(int id) {
    return "<A HREF=\"JavaScript:onClick=Display('display" + std::to_string(id) +
           "');\" STYLE=\"color :#000000;\">＋</A>";
}
std::string division(int id) {
    return "<DIV ID=\"display" + std::to_string(id) + "\" STYLE=\"display:block\">\r\n";
}
const std::string kDates = "ADD_DATE=\"100\" LAST_MODIFIED=\"200\" LAST_VISIT=\"300\"";
std::string plain(const std::string& title) {
    return "<A " + kDates + " STYLE=\"color :#000000;\">" + title + "</A><BR>\r\n";
}
std::string linked(const std::string& locator, const std::string& title) {
    return "<A HREF=\"" + locator + "\" " + kDates + ">" + title + "</A><BR>\r\n";
}

}  // namespace

TEST(TreeHtml, RootPageDrawsBranchesAndOpensADivisionPerItemWithChildren) {
    Tree t;
    NodeId folder = t.add(t.root, kKindFolder, "A");
    t.add(folder, kKindWebLink, "a1", "http://a/");
    t.add(t.root, kKindWebLink, "B", "http://b/");
    t.add(t.root, kKindMailLink, "M", "mailto:m@x");

    EXPECT_EQ(exportTreeHtml(t.doc, t.root),
              kHead +
                  kLast + toggle(1) +
                  "<A ADD_DATE=\"1\" LAST_MODIFIED=\"0\" LAST_VISIT=\"\" STYLE=\"color :#000000;\">VoZivoVaro</A><BR>\r\n" +
                  division(1) +
                  kBlank + kBranch + toggle(2) + plain("A") + division(2) +
                  kBlank + kBar + kLast + linked("http://a/", "a1") +
                  "</DIV>\r\n" +
                  kBlank + kBranch + linked("http://b/", "B") +
                  kBlank + kLast + plain("M") +
                  "</DIV>\r\n" + kTail);
}

TEST(TreeHtml, ClimbingSeveralLevelsClosesADivisionPerLevel) {
    Tree t;
    NodeId a = t.add(t.root, kKindFolder, "a");
    NodeId b = t.add(a, kKindFolder, "b");
    t.add(b, kKindWebLink, "c", "http://c/");
    t.add(t.root, kKindFolder, "empty");
    NodeId d = t.add(t.root, kKindFolder, "d");
    t.add(d, kKindFolder, "e");

    std::string page = exportTreeHtml(t.doc, a);
    EXPECT_EQ(page, kHead + kBranch + toggle(1) + plain("a") + division(1) +
                        kBar + kLast + toggle(2) + plain("b") + division(2) +
                        kBar + kBlank + kLast + linked("http://c/", "c") +
                        "</DIV>\r\n</DIV>\r\n" + kTail);

    // An empty folder takes the childless line and no id; the next division is display3.
    std::string whole = exportTreeHtml(t.doc, t.root);
    EXPECT_NE(whole.find("</DIV>\r\n</DIV>\r\n" + kBlank + kBranch + plain("empty") + kBlank + kLast + toggle(4) +
                         plain("d") + division(4) + kBlank + kBlank + kLast + plain("e") + "</DIV>\r\n</DIV>\r\n" + kTail),
              std::string::npos);
}

TEST(TreeHtml, LinksWithChildrenKeepTheirAddressAndOnlyWebKindsGetOne) {
    Tree t;
    NodeId link = t.add(t.root, kKindWebLink, "parent link", "http://p/");
    t.add(link, kKindLocalFile, "prog", "C:\\app.exe");
    t.add(link, kKindChangedLink, "changed", "http://n/");
    t.add(link, kKindWebLink, "no address", "");

    EXPECT_EQ(exportTreeHtml(t.doc, link),
              kHead + kLast + toggle(1) + linked("http://p/", "parent link") + division(1) +
                  kBlank + kBranch + plain("prog") +
                  kBlank + kBranch + linked("http://n/", "changed") +
                  kBlank + kLast + plain("no address") + "</DIV>\r\n" + kTail);
}

TEST(TreeHtml, SingleLinkDrawsItsBranchByItsSiblingInTheTree) {
    Tree t;
    NodeId first = t.add(t.root, kKindWebLink, "first", "http://1/");
    NodeId last = t.add(t.root, kKindWebLink, "last", "http://2/");
    EXPECT_EQ(exportTreeHtml(t.doc, first), kHead + kBranch + linked("http://1/", "first") + kTail);
    EXPECT_EQ(exportTreeHtml(t.doc, last), kHead + kLast + linked("http://2/", "last") + kTail);
    EXPECT_EQ(exportTreeHtml(t.doc, kNoNode), "");
}

TEST(TreeHtml, MarkupCharactersInTitlesAddressesAndDatesAreEscaped) {
    Tree t;
    NodeId link = t.add(t.root, kKindWebLink, "Q&A <script>", "http://x/?a=1&b=\"2\"");
    BookmarkItem* record = t.doc.items.find(t.doc.tree.node(link).itemNumber);
    record->lastVisit = "\"><b>";
    std::string page = exportTreeHtml(t.doc, link);
    EXPECT_NE(page.find("HREF=\"http://x/?a=1&amp;b=&quot;2&quot;\""), std::string::npos);
    EXPECT_NE(page.find("LAST_VISIT=\"&quot;&gt;&lt;b&gt;\""), std::string::npos);
    EXPECT_NE(page.find(">Q&amp;A &lt;script&gt;</A>"), std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
}

TEST(TreeHtml, DeepTreesStopIndentingAfterSixtyFourLevels) {
    Tree t;
    NodeId parent = t.root;
    for (int level = 0; level < 70; ++level) parent = t.add(parent, kKindFolder, "f");
    std::string page = exportTreeHtml(t.doc, t.root);
    std::string drawn;
    for (int level = 0; level < 64; ++level) drawn += kBlank;
    EXPECT_NE(page.find("\n" + drawn + kLast + "<A ADD_DATE"), std::string::npos);  // the deepest folder
    EXPECT_EQ(page.find(drawn + kBlank), std::string::npos);
}
