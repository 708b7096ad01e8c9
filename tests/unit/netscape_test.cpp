#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exchange/netscape.h"
#include "store/encoding.h"
#include "store/tree_population.h"
#include "test_tree.h"

using namespace perchlet;

namespace {

const std::string kHeader =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
    "<!-- This is an automatically generated file.\r\n"
    "It will be read and overwritten.Do Not Edit! -->\r\n"
    "<TITLE>Bookmarks</TITLE>\r\n"
    "<H1>Bookmarks</H1>\r\n";

std::string spaces(int n) { return std::string(n, ' '); }

struct Tree : perchlet::testing::TestTree {
    Tree() : TestTree("1", "100", "200", "300") {}
};

std::string linkLine(const std::string& locator, const std::string& title) {
    return "<DT><A HREF=\"" + locator +
           "\" ADD_DATE=\"100\" LAST_MODIFIED=\"200\" LAST_VISIT=\"300\">" + title + "</A>\r\n";
}

std::string corpusFile(const std::string& name) {
    std::ifstream in(std::string(PERCHLET_SOURCE_DIR) + "/tests/data/corpus/html/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// As the program reads a UTF-8 file when the user accepts the conversion.
std::string corpusFileConverted(const std::string& name) { return utf8ToShiftJis(corpusFile(name)); }

// Items a file holds: every upper-case link and folder start tag.
std::size_t countOccurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++count;
    return count;
}

}  // namespace

// ---------------------------------------------------------------- export

TEST(NetscapeExport, RootExportNestsEveryLevelByAbsoluteDepth) {
    Tree t;
    NodeId folder = t.add(t.root, kKindFolder, "F");
    t.add(folder, kKindWebLink, "L1", "http://a/", "note");
    t.add(t.root, kKindWebLink, "L2", "https://b/");

    std::string expected = kHeader + "<DL><p>\r\n" +
                           spaces(4) + "<DT><H3 FOLDED ADD_DATE=\"1\">Perchlet</H3>\r\n" +
                           spaces(4) + "<DL><p>\r\n" +
                           spaces(8) + "<DT><H3 FOLDED ADD_DATE=\"100\">F</H3>\r\n" +
                           spaces(8) + "<DL><p>\r\n" +
                           spaces(12) + linkLine("http://a/", "L1") +
                           spaces(12) + "<DD>note\r\n" +
                           spaces(8) + "</DL><p>\r\n" +
                           spaces(8) + linkLine("https://b/", "L2") +
                           spaces(4) + "</DL><p>\r\n" +
                           "</DL><p>\r\n";
    EXPECT_EQ(exportNetscape(t.doc, t.root), expected);
}

TEST(NetscapeExport, SingleLinkAtDepthThreeKeepsItsAbsoluteIndentation) {
    Tree t;
    NodeId folder = t.add(t.root, kKindFolder, "F");
    NodeId link = t.add(folder, kKindWebLink, "L", "http://a/");
    t.add(folder, kKindWebLink, "sibling", "http://b/");

    EXPECT_EQ(exportNetscape(t.doc, link),
              kHeader + spaces(8) + "<DL><p>\r\n" + spaces(12) + linkLine("http://a/", "L") + spaces(8) +
                  "</DL><p>\r\n");
}

TEST(NetscapeExport, EmptyFolderGetsNoListAndTheNextLinkStaysBesideIt) {
    Tree t;
    NodeId top = t.add(t.root, kKindFolder, "Top");
    t.add(top, kKindFolder, "Empty");
    t.add(top, kKindWebLink, "L", "http://a/");

    EXPECT_EQ(exportNetscape(t.doc, top),
              kHeader + spaces(4) + "<DL><p>\r\n" +
                  spaces(8) + "<DT><H3 FOLDED ADD_DATE=\"100\">Top</H3>\r\n" +
                  spaces(8) + "<DL><p>\r\n" +
                  spaces(12) + "<DT><H3 FOLDED ADD_DATE=\"100\">Empty</H3>\r\n" +
                  spaces(12) + linkLine("http://a/", "L") +
                  spaces(8) + "</DL><p>\r\n" +
                  spaces(4) + "</DL><p>\r\n");
}

TEST(NetscapeExport, LocalFilesHideTheirPathAndChildrenOfWebLinksAreNotWritten) {
    Tree t;
    NodeId link = t.add(t.root, kKindWebLink, "web", "http://a/");
    t.add(link, kKindWebLink, "under a link", "http://hidden/");
    NodeId program = t.add(t.root, kKindLocalFile, "prog", "C:\\x\\app.exe");
    t.add(program, kKindWebLink, "under a program", "http://shown/");
    t.add(t.root, kKindMailLink, "mail", "mailto:a@b");

    std::string text = exportNetscape(t.doc, t.root);
    EXPECT_EQ(text.find("hidden"), std::string::npos);
    EXPECT_NE(text.find(linkLine(kUrlNotFound, "prog")), std::string::npos);
    EXPECT_EQ(text.find("app.exe"), std::string::npos);
    EXPECT_NE(text.find(spaces(12) + linkLine("http://shown/", "under a program")), std::string::npos);
    EXPECT_NE(text.find(linkLine("mailto:a@b", "mail")), std::string::npos);
    EXPECT_EQ(countOccurrences(text, "<DL><p>"), countOccurrences(text, "</DL><p>"));
}

TEST(NetscapeExport, CommentLineBreaksAreWrittenAsStored) {
    Tree t;
    t.add(t.root, kKindWebLink, "L", "http://a/", "one\ntwo");
    EXPECT_NE(exportNetscape(t.doc, t.root).find(spaces(8) + "<DD>one\ntwo\r\n"), std::string::npos);
}

// Titles and descriptions carry markup characters as references, so that browsers show
// them and the import gives them back unchanged.
TEST(NetscapeExport, MarkupCharactersSurviveAWriteAndReadBack) {
    Tree t;
    std::string title = "Q&A <b>\"quoted\"</A> 表示";
    std::string comment = "a<BR>b & c > d";
    std::string locator = "http://x/?a=1&b=\"2\"";
    t.add(t.root, kKindWebLink, title, locator, comment);

    std::string text = exportNetscape(t.doc, t.root);
    EXPECT_NE(text.find(">Q&amp;A &lt;b&gt;&quot;quoted&quot;&lt;/A&gt; 表示</A>"), std::string::npos);
    EXPECT_NE(text.find("HREF=\"http://x/?a=1&amp;b=&quot;2&quot;\""), std::string::npos);

    Tree back;
    ImportResult result = importNetscape(text, back.doc, back.root);
    ASSERT_EQ(result.count, 2u);
    NodeId link = back.child(back.child(back.root, 0), 0);
    EXPECT_EQ(back.record(link).title, title);
    EXPECT_EQ(back.record(link).locator, locator);
    EXPECT_EQ(back.record(link).comment, comment);
    EXPECT_EQ(back.record(link).lastVisit, "300");
}

TEST(NetscapeExport, DeepTreesStopIndentingAfterSixtyFourLevels) {
    Tree t;
    NodeId parent = t.root;
    for (int level = 0; level < 70; ++level) parent = t.add(parent, kKindFolder, "f");
    t.add(parent, kKindWebLink, "deepest", "http://a/");

    std::string text = exportNetscape(t.doc, t.root);
    EXPECT_NE(text.find("\n" + spaces(256) + linkLine("http://a/", "deepest")), std::string::npos);
    EXPECT_EQ(text.find(spaces(257)), std::string::npos);
    Tree back;
    EXPECT_EQ(importNetscape(text, back.doc, back.root).count, 72u);
}

// The import ends a tag at its first ">", quotes or not: an address holding markup must
// not turn into links of its own when the export is read back.
TEST(NetscapeExport, MarkupInAnAddressStaysInsideItsAttribute) {
    Tree t;
    std::string locator = ">x</A><DT><A HREF=q>n</A>";
    t.add(t.root, kKindWebLink, "t", locator);

    std::string text = exportNetscape(t.doc, t.root);
    EXPECT_NE(text.find("HREF=\"&gt;x&lt;/A&gt;&lt;DT&gt;&lt;A HREF=q&gt;n&lt;/A&gt;\""), std::string::npos);

    Tree back;
    ASSERT_EQ(importNetscape(text, back.doc, back.root).count, 2u);
    EXPECT_EQ(back.record(back.child(back.child(back.root, 0), 0)).locator, locator);
}

// ---------------------------------------------------------------- import

TEST(NetscapeImport, ExportedRootComesBackAsAFolderWithTheWholeTree) {
    Tree t;
    NodeId folder = t.add(t.root, kKindFolder, "F");
    t.add(folder, kKindWebLink, "L1", "http://a/", "note");
    t.add(t.root, kKindFolder, "Empty");
    t.add(t.root, kKindWebLink, "L2", "http://b/");

    Tree back;
    NodeId target = back.add(back.root, kKindFolder, "target");
    ImportResult result = importNetscape(exportNetscape(t.doc, t.root), back.doc, target);
    EXPECT_EQ(result.count, 5u);
    EXPECT_TRUE(back.doc.modified());
    NodeId copy = back.child(target, 0);
    EXPECT_EQ(back.childTitles(target), (std::vector<std::string>{"Perchlet"}));
    EXPECT_EQ(back.childTitles(copy), (std::vector<std::string>{"F", "Empty", "L2"}));
    NodeId l1 = back.child(back.child(copy, 0), 0);
    EXPECT_EQ(back.record(l1).comment, "note");
    EXPECT_EQ(back.record(l1).addDate, "100");
    EXPECT_EQ(back.record(l1).lastModified, "200");
    EXPECT_EQ(depthOf(back.record(l1).itemNumber), 5u);
    EXPECT_EQ(back.record(l1).parentNumber, static_cast<std::uint32_t>(back.record(back.child(copy, 0)).itemNumber));
    EXPECT_EQ(kindOf(back.record(copy).itemNumber), kKindFolder);
    EXPECT_EQ(back.doc.tree.node(copy).image, 2);
    EXPECT_EQ(back.doc.tree.node(l1).image, 0);
    EXPECT_EQ(result.lastCreated, back.child(copy, 2));
}

TEST(NetscapeImport, WithoutFoldersEveryLinkGoesUnderTheTargetAndListsAreIgnored) {
    Tree t;
    std::string text =
        "<DL><p>\n<DT><A HREF=\"http://a/\" ADD_DATE=\"1\" LAST_VISIT=\"9\">A</A>\n"
        "<DT><A HREF=\"http://b/\" ADD_DATE=\"2\">B</A>\n</DL><p>\n</DL><p>\n"
        "<DT><A HREF=\"http://c/\">C</A>\n";
    EXPECT_EQ(importNetscape(text, t.doc, t.root).count, 3u);
    EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(t.record(t.child(t.root, 0)).lastVisit, "9");
    EXPECT_EQ(t.record(t.child(t.root, 1)).lastVisit, "");  // not inherited from A
}

TEST(NetscapeImport, OutermostListClosingEndsTheImport) {
    Tree t;
    std::string text =
        "<DL><p><DT><H3 ADD_DATE=\"1\">F</H3><DL><p><DT><A HREF=\"http://a/\">A</A></DL><p>"
        "<DT><A HREF=\"http://b/\">B</A></DL><p>"
        "<DT><A HREF=\"http://after/\">after the end</A>";
    EXPECT_EQ(importNetscape(text, t.doc, t.root).count, 3u);
    EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"F", "B"}));
}

// Tags as real files write them: any case, attributes in any order, any blank after the name.
TEST(NetscapeImport, TagsAreMatchedInAnyCaseWithAttributesAnywhere) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> topTitles;
    };
    const Case cases[] = {
        {"H3 without attributes", "<DL><p><DT><H3>plain</H3><DL><p><DT><A HREF=\"http://a/\">a</A></DL><p></DL>",
         {"plain"}},
        {"other attributes before HREF", "<DT><A ID=\"1\" HREF=\"http://a/\">a</A><DT><A ID=\"2\" HREF=\"http://b/\">b</A>",
         {"a", "b"}},
        {"tab and newline after the name", "<DT><A\tHREF=\"http://a/\">a</A><DT><A\r\nHREF=\"http://b/\">b</A>",
         {"a", "b"}},
        {"lower case", "<dl><p><dt><h3 add_date=\"1\">f</h3><dl><dt><a href=\"http://a/\">a</a></dl>"
                       "<dt><a href=\"http://b/\">b</a ></dl>", {"f", "b"}},
        {"lower-case </a> swallows nothing", "<DT><A HREF=\"http://a/\">a</a><DT><A HREF=\"http://b/\">b</A>",
         {"a", "b"}},
        {"named anchor is no link", "<A NAME=\"top\">top</A><DT><A HREF=\"http://a/\">a</A>", {"a"}},
        {"longer tag names are other tags", "<DT><ABBR HREF=\"x\">no</ABBR><H30>no</H30><A HREF=\"http://a/\">a</A>",
         {"a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tree t;
        importNetscape(c.text, t.doc, t.root);
        EXPECT_TRUE(t.doc.modified());
        EXPECT_EQ(t.childTitles(t.root), c.topTitles);
    }
    Tree t;
    importNetscape("<dl><p><dt><h3>f</h3><dl><dt><a href=\"http://a/\" add_date=\"5\">a</a><dd>note<br>x</dl>",
                   t.doc, t.root);
    NodeId link = t.child(t.child(t.root, 0), 0);
    EXPECT_EQ(t.record(link).locator, "http://a/");
    EXPECT_EQ(t.record(link).addDate, "5");
    EXPECT_EQ(t.record(link).comment, "notex");
}

// Addresses keep characters that Shift-JIS cannot hold, percent-encoded as UTF-8; titles
// show where they were with "〓".
TEST(NetscapeImport, AddressesKeepCharactersWithoutAShiftJisForm) {
    std::string utf8File = std::string("<meta charset=\"utf-8\"><DT><A HREF=\"") + u8"http://cafe.example/Caf\u00E9/\u00FC" +
                           "\">" + u8"Caf\u00E9 日本" + "</A>";
    ASSERT_TRUE(shouldOfferUtf8Conversion(utf8File));
    Tree t;
    importNetscape(utf8ToShiftJis(utf8File, Unrepresentable::CharacterReference), t.doc, t.root);
    importNetscape("<DT><A HREF=\"http://x/&#233;&#x1F600;&amp;&#26085;\">&#233;t</A>", t.doc, t.root);
    ASSERT_EQ(t.children(t.root).size(), 2u);
    EXPECT_EQ(t.record(t.child(t.root, 0)).locator, "http://cafe.example/Caf%C3%A9/%C3%BC");
    EXPECT_EQ(t.record(t.child(t.root, 0)).title, "Caf〓 日本");
    EXPECT_EQ(t.record(t.child(t.root, 1)).locator, "http://x/%C3%A9%F0%9F%98%80&日");
    EXPECT_EQ(t.record(t.child(t.root, 1)).title, "〓t");
}

// A browser's UTF-8 export: a folder named only in characters Shift-JIS lacks keeps a mark
// instead of an empty name, each item that lost something is counted once and the first is
// named; mail addresses become mail links.
TEST(NetscapeImport, MarksLostCharactersCountsItemsAndKnowsMailLinks) {
    std::string utf8File = std::string("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n") +
                           "<DT><H3>" + u8"\u4E66\u7B7E" + "</H3>\n<DL><p>\n" +
                           "<DT><A HREF=\"http://a/\">" + u8"Smile \U0001F600\U0001F601" + "</A>\n" +
                           "<DD>" + u8"\U0001F44D note" + "\n" +
                           "<DT><A HREF=\"http://b/\">" + u8"日本語" + "</A>\n" +
                           "<DD>" + u8"good \u00E9" + "\n" +
                           "<DT><A HREF=\"mailto:me@example.jp\">mail</A>\n" +
                           "<DT><A HREF=\"MAILTO:you@example.jp\">MAIL</A>\n" +
                           "<DT><A HREF=\"javascript:void(0)\">script</A>\n" +
                           "</DL><p>\n</DL><p>\n";
    ASSERT_TRUE(isSurelyUtf8(utf8EvidenceOf(utf8File)));
    Tree t;
    ImportResult result =
        importNetscape(utf8ToShiftJis(utf8File, Unrepresentable::CharacterReference), t.doc, t.root);
    NodeId folder = t.child(t.root, 0);
    EXPECT_EQ(t.record(folder).title, "〓");  // neither character of 书签 is in code page 932
    std::vector<const BookmarkItem*> items = t.childRecords(folder);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0]->title, "Smile 〓");
    EXPECT_EQ(items[0]->comment, "〓 note");
    EXPECT_EQ(items[1]->title, "日本語");
    EXPECT_EQ(items[1]->comment, "good 〓");
    EXPECT_EQ(result.markedItems, 3u);  // the folder, "Smile" once for title and comment, "日本語"
    EXPECT_EQ(result.firstMarkedTitle, "〓");
    const unsigned expectedKinds[] = {kKindWebLink, kKindWebLink, kKindMailLink, kKindMailLink, kKindWebLink};
    for (std::size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(kindOf(items[i]->itemNumber), expectedKinds[i]) << items[i]->title;
    EXPECT_EQ(t.doc.tree.node(t.child(folder, 2)).image, kImageMail);
}

// "&" in an address is written as "&amp;", so an address holding a reference's text
// survives any number of round trips.
TEST(NetscapeExport, AmpersandsInAddressesSurviveRoundTrips) {
    const std::string locators[] = {"http://a/?x=1&amp;y=2", "http://b/&#65;", "http://c/?a=1&b=2", "&&;&lt"};
    for (const std::string& locator : locators) {
        Tree t;
        t.add(t.root, kKindWebLink, "l", locator);
        std::string text = exportNetscape(t.doc, t.root);
        for (int trip = 0; trip < 3; ++trip) {
            Tree back;
            importNetscape(text, back.doc, back.root);
            NodeId link = back.child(back.child(back.root, 0), 0);
            ASSERT_NE(link, kNoNode);
            EXPECT_EQ(back.record(link).locator, locator);
            text = exportNetscape(back.doc, back.child(back.root, 0));
        }
    }
}

// The tool writes every top-level item of a document, one after another at the top level.
TEST(NetscapeExport, TopLevelWritesEveryTopLevelItem) {
    Tree t;
    t.add(t.root, kKindWebLink, "a", "http://a/");
    NodeId second = insertRootItem(t.doc);
    t.add(second, kKindWebLink, "b", "http://b/");
    std::string text = exportNetscape(t.doc, kTopLevel);
    Tree back;
    EXPECT_EQ(importNetscape(text, back.doc, back.root).count, 4u);
    EXPECT_EQ(back.childTitles(back.root), (std::vector<std::string>{"Perchlet", "Perchlet"}));
    EXPECT_EQ(back.childTitles(back.child(back.root, 1)), (std::vector<std::string>{"b"}));
    const std::string closing = "        <DT><A HREF=\"http://b/\" ADD_DATE=\"100\" LAST_MODIFIED=\"200\" LAST_VISIT=\"300\">b</A>\r\n"
                                "    </DL><p>\r\n</DL><p>\r\n";
    EXPECT_EQ(text.substr(text.size() - closing.size()), closing);
}

TEST(NetscapeImport, DescriptionsJoinAroundBreaksAndBelongToTheLastItem) {
    Tree t;
    std::string text =
        "<DD>before any item\r\n"
        "<DT><H3 ADD_DATE=\"1\">F</H3>\r\n<DD>folder\r\nnote\r\n    <DL><p>\r\n"
        "<DT><A HREF=\"http://a/\">A</A>\r\n<DD>two<BR>words &amp; more\r\n</DL><p>\r\n";
    ASSERT_EQ(importNetscape(text, t.doc, t.root).count, 2u);
    NodeId folder = t.child(t.root, 0);
    EXPECT_EQ(t.record(folder).comment, "foldernote");
    EXPECT_EQ(t.record(t.child(folder, 0)).comment, "twowords & more");
}

TEST(NetscapeImport, TitlesLoseLineBreaksAndMissingClosingTagsEndWithoutInventing) {
    Tree t;
    ImportResult result = importNetscape(
        "<DT><A HREF=\"http://a/\">multi\r\nline</A><DT><A HREF=\"http://b/\">never closed", t.doc, t.root);
    EXPECT_EQ(result.count, 1u);
    EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"multiline"}));

    Tree u;
    EXPECT_EQ(importNetscape("<DT><H3 ADD_DATE=\"1\">open folder", u.doc, u.root).count, 0u);
    EXPECT_EQ(importNetscape("<DT><A HREF=\"http://a/\"", u.doc, u.root).count, 0u);
}

// Browsers write the attributes in their own orders; each is found wherever it stands.
TEST(NetscapeImport, AttributesAreFoundInAnyOrderButNeverInsideAnotherValue) {
    Tree t;
    std::string text =
        "<DT><A HREF=\"http://a/?ADD_DATE=7\" LAST_VISIT=\"3\" ICON=\"data:x\" LAST_MODIFIED=\"2\" "
        "ADD_DATE=\"1\" >A</A>"
        "<DT><A HREF=\"http://b/\" ADD_DATE=5 LAST_MODIFIED=\"open>B</A>"
        "<DT><A HREF=\"http://c/\" NOTHREF=\"x\">C</A>"
        "<DT><A HREF=\"http://d/\" ICON=\"data:" + std::string(3000, 'i') + "\" ADD_DATE=\"4\">D</A>";
    ASSERT_EQ(importNetscape(text, t.doc, t.root).count, 4u);
    const BookmarkItem& a = t.record(t.child(t.root, 0));
    EXPECT_EQ(a.locator, "http://a/?ADD_DATE=7");
    EXPECT_EQ(a.addDate, "1");
    EXPECT_EQ(a.lastModified, "2");
    EXPECT_EQ(a.lastVisit, "3");
    const BookmarkItem& b = t.record(t.child(t.root, 1));
    EXPECT_EQ(b.addDate, "5");
    EXPECT_EQ(b.lastModified, "");  // its quote never closes
    EXPECT_EQ(t.record(t.child(t.root, 2)).locator, "http://c/");
    EXPECT_EQ(t.record(t.child(t.root, 3)).addDate, "4");  // after a long icon address
}

TEST(NetscapeImport, VeryDeepNestingStopsAtTheDeepestDepthAnItemNumberHolds) {
    Tree t;
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "<DT><H3 ADD_DATE=\"1\">f</H3><DL><p>";
    for (int i = 0; i < 5000; ++i) text += "</DL><p>";
    ImportResult result = importNetscape(text, t.doc, t.root);
    EXPECT_EQ(result.count, 5000u);
    unsigned deepest = 0;
    for (const BookmarkItem& r : t.doc.items) deepest = std::max(deepest, depthOf(r.itemNumber));
    EXPECT_EQ(deepest, kMaxDepth);
}

TEST(CharacterReferences, WellFormedReferencesAreDecodedOthersKept) {
    EXPECT_EQ(decodeCharacterReferences("&amp;&lt;&gt;&quot;&#39;&apos;&#65;&#x42;&#X43;"), "&<>\"''ABC");
    EXPECT_EQ(decodeCharacterReferences("&#26085;&#x672C;"), "日本");
    EXPECT_EQ(decodeCharacterReferences("a&#128512;b&#0;c&#x110000;d"), "abcd");  // no Shift-JIS form
    EXPECT_EQ(decodeCharacterReferences("&amp &copy; & &#; &#x; &#12a; ?a=1&b=2"),
              "&amp &copy; & &#; &#x; &#12a; ?a=1&b=2");
    EXPECT_EQ(escapeHtml("&<>\"'"), "&amp;&lt;&gt;&quot;'");
    EXPECT_EQ(escapeHtml("a&\"b<>"), "a&amp;&quot;b&lt;&gt;");
}

TEST(NetscapeImport, Utf8OfferCoversTheDeclarationAndTheByteOrderMark) {
    EXPECT_TRUE(shouldOfferUtf8Conversion("<META CONTENT=\"text/html; charset=UTF-8\">"));
    EXPECT_TRUE(shouldOfferUtf8Conversion("\xEF\xBB\xBF<!DOCTYPE NETSCAPE-Bookmark-file-1>"));
    EXPECT_FALSE(shouldOfferUtf8Conversion("charset=utf-8"));
    EXPECT_FALSE(shouldOfferUtf8Conversion("<!DOCTYPE NETSCAPE-Bookmark-file-1>"));
}

// ---------------------------------------------------------------- real files

TEST(NetscapeCorpus, Firefox2024) {
    std::string text = corpusFileConverted("firefox-2024_radam9_bookmarks_firefox.html");
    Tree t;
    ImportResult result = importNetscape(text, t.doc, t.root);
    EXPECT_EQ(result.count, countOccurrences(text, "<DT>"));
    EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"Cars", "Find your inspiration. | Flickr", "Yahoo",
                                                               "Bookmarks Toolbar", "Other Bookmarks"}));
    NodeId cars = t.child(t.root, 0);
    EXPECT_EQ(t.record(t.child(cars, 2)).title, "New Cars, Trucks, SUVs & Hybrids | Toyota Official Site");
    EXPECT_EQ(t.record(t.child(cars, 0)).title, "Audi.com  the international Audi website | audi.com");  // the en dash has no Shift-JIS form
    NodeId toolbar = t.child(t.root, 3);
    EXPECT_EQ(t.childTitles(toolbar), (std::vector<std::string>{"Getting Started", "Mozilla Firefox", "Ubuntu",
                                                                "Ubuntu Wiki (community-edited website)", "Programming"}));
    NodeId languages = t.child(t.child(toolbar, 4), 0);
    EXPECT_EQ(t.childTitles(languages), (std::vector<std::string>{"Welcome to Python.org", "The Go Programming Language",
                                                                  "cplusplus.com - The C++ Resources Network"}));
    // A raw & in an address is no reference and stays.
    EXPECT_NE(t.record(t.child(t.child(toolbar, 1), 1)).locator.view().find("?utm_source=firefox-browser&utm_medium="),
              std::string::npos);
    EXPECT_EQ(t.record(t.child(cars, 0)).lastModified, "1719772224");
    EXPECT_EQ(t.childTitles(t.child(t.root, 4)).back(), "Instagram");
}

TEST(NetscapeCorpus, Firefox2LegacyWithDescriptionsAndDataIcons) {
    Tree t;
    ImportResult result = importNetscape(corpusFileConverted("firefox2-legacy_mozilla_bookmarks.preplaces.html"),
                                         t.doc, t.root);
    EXPECT_EQ(result.count, 12u);
    EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"Mozilla Firefox", "test", "Unsorted Bookmarks",
                                                               "Bookmarks Toolbar Folder"}));
    NodeId test = t.child(t.root, 1);
    EXPECT_EQ(t.record(test).comment, "folder test comment");
    EXPECT_EQ(t.record(test).addDate, "1177541020");
    NodeId post = t.child(test, 0);
    EXPECT_EQ(t.record(post).title, "test post keyword");
    EXPECT_EQ(t.record(post).comment, "item description");
    EXPECT_EQ(t.record(post).lastModified, "1177375423");
    EXPECT_EQ(t.childTitles(t.child(t.root, 3)), (std::vector<std::string>{"Getting Started", "Latest Headlines"}));
    EXPECT_EQ(t.record(t.child(t.child(t.root, 0), 0)).locator, "http://en-US.www.mozilla.com/en-US/firefox/help/");
}

TEST(NetscapeCorpus, MozillaSuiteKeepsLastVisitWrittenBeforeLastModified) {
    std::string text = corpusFileConverted("mozilla-suite_cpan_mozilla.html");
    Tree t;
    ImportResult result = importNetscape(text, t.doc, t.root);
    EXPECT_EQ(result.count, 219u + 33u);
    NodeId toolbar = t.child(t.root, 0);
    EXPECT_EQ(t.record(toolbar).title, "Personal Toolbar Folder");
    EXPECT_EQ(t.record(t.child(toolbar, 0)).title, "Google");
    bool found = false;
    for (const BookmarkItem& r : t.doc.items) {
        if (r.title == "This American Life") {
            found = true;
            EXPECT_EQ(r.lastVisit, "1032675332");
            EXPECT_EQ(r.lastModified, "1017861851");
        }
        EXPECT_EQ(r.title.view().find("&amp;"), std::string::npos);
    }
    EXPECT_TRUE(found);
}

TEST(NetscapeCorpus, InternetExplorer11WithByteOrderMark) {
    std::string raw = corpusFile("ie11_kafene_internet_explorer_11_nested.htm");
    ASSERT_TRUE(shouldOfferUtf8Conversion(raw));
    Tree asRead, converted;
    ImportResult result = importNetscape(raw, asRead.doc, asRead.root);
    EXPECT_EQ(importNetscape(utf8ToShiftJis(raw), converted.doc, converted.root).count, result.count);
    EXPECT_EQ(result.count, countOccurrences(raw, "<DT>"));
    EXPECT_EQ(asRead.childTitles(asRead.root),
              (std::vector<std::string>{"Comics", "Dev", "Links", "Microsoft Websites", "Music", "Windows Live",
                                        asRead.record(asRead.child(asRead.root, 6)).title, "Let me google that for you"}));
    NodeId dev = asRead.child(asRead.root, 1);
    EXPECT_EQ(asRead.childTitles(asRead.child(dev, 0)), (std::vector<std::string>{"PHP Sadness"}));
    EXPECT_EQ(asRead.doc.tree.firstChild(asRead.child(asRead.root, 2)), kNoNode);  // the empty folder
    NodeId php = asRead.child(asRead.child(dev, 0), 0);
    EXPECT_EQ(asRead.record(php).lastVisit, "1466269615");
    EXPECT_EQ(asRead.record(php).addDate, "1466269615");
}

TEST(NetscapeCorpus, ChromeChineseTitlesKeepWhatShiftJisCanHold) {
    Tree t;
    ImportResult result = importNetscape(corpusFileConverted("chrome-zhCN_zmyjs_bookmarks_2019_5_5.html"), t.doc, t.root);
    EXPECT_EQ(result.count, 14u);
    ASSERT_EQ(t.childTitles(t.root).size(), 4u);
    NodeId bar = t.child(t.root, 0);
    EXPECT_EQ(t.record(bar).title, "");  // none of its three characters has a Shift-JIS form
    EXPECT_EQ(t.childTitles(bar), (std::vector<std::string>{"GitHub", "GitLab", "Web", "微博"}));
    EXPECT_EQ(t.record(t.child(bar, 3)).title, "\x94\xF7\x94\x8E");
    EXPECT_EQ(t.childTitles(t.child(t.root, 3)), (std::vector<std::string>{"百度一下，就知道", "Google"}));
}

TEST(NetscapeCorpus, LowerCaseDoctypeWithUpperCaseTags) {
    Tree t;
    ImportResult result = importNetscape(corpusFile("edge-lowercase-doctype_shaarli_lowercase_doctype.htm"), t.doc, t.root);
    EXPECT_EQ(result.count, 2u);
    EXPECT_EQ(t.childTitles(t.root), (std::vector<std::string>{"Secret stuff", "Public stuff"}));
    const BookmarkItem& secret = t.record(t.child(t.root, 0));
    EXPECT_EQ(secret.addDate, "10/Oct/2000:13:55:36 +0300");
    EXPECT_EQ(secret.comment, "Super-secret stuff you're not supposed to know about");
}

TEST(NetscapeCorpus, TenThousandFlatLinks) {
    std::string text = corpusFile("large-flat10000_virtualtam_flat10000.htm");
    Tree t;
    ImportResult result = importNetscape(text, t.doc, t.root);
    EXPECT_EQ(result.count, 10000u);
    EXPECT_EQ(t.doc.items.size(), 10001u);
    const BookmarkItem& first = t.record(t.child(t.root, 0));
    EXPECT_EQ(first.title, "Above coach choice start else chair.");
    EXPECT_EQ(first.locator, "http://www.martinez.net/register.html");
    const BookmarkItem& third = t.record(t.child(t.root, 2));
    EXPECT_EQ(third.comment.view().substr(0, 40), "Sing cause some piece site man. Skill or");
    EXPECT_NE(third.comment.view().find("grow.Blue scene"), std::string::npos);  // line breaks removed
}
