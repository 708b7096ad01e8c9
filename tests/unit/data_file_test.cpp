#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "store/data_file.h"

using namespace perchlet;

namespace {

struct ShellIcons : ShellIconSource {
    std::vector<std::string> asked;
    ImagePair appendIconsFor(const std::string& locator) override {
        asked.push_back(locator);
        return {20, 21};
    }
};

const std::string kHeader = kDataFileHeader;

// One block as the writer lays it out; fields not given are empty or 0.
struct RecordText {
    std::string itemNum;
    std::string title;
    std::string locator;
    std::string comment;
    std::string lastVisit;
    std::string mark = "0";
    std::string parentNum = "0";
};

RecordText recordText(std::string itemNum, std::string title, std::string locator = "") {
    RecordText r;
    r.itemNum = std::move(itemNum);
    r.title = std::move(title);
    r.locator = std::move(locator);
    return r;
}

std::string blockOf(const RecordText& r) {
    return "[List]\r\nItemNum=" + r.itemNum + "\r\nTestNum=0\r\nParentNum=" + r.parentNum +
           "\r\nTitleName=" + r.title + "\r\nLocator=" + r.locator + "\r\nComment=" + r.comment +
           "\r\nLastModified=000000\r\nLastVisit=" + r.lastVisit +
           "\r\nAddDate=1700000000\r\nRcRight=0\r\nRcLeft=0\r\nRcTop=0\r\nRcBottom=0\r\nBrowser=0\r\nMark=" +
           r.mark + "\r\n\r\n";
}

std::string numberText(unsigned kind, unsigned depth, unsigned serial) {
    return std::to_string(makeItemNumber(kind, depth, serial));
}

std::string folder(unsigned depth, unsigned serial, const std::string& title) {
    return blockOf(recordText(numberText(kKindFolder, depth, serial), title));
}

std::string link(unsigned depth, unsigned serial, const std::string& title) {
    return blockOf(recordText(numberText(kKindWebLink, depth, serial), title, "http://example.com/" + title));
}

NodeId addChild(Document& doc, NodeId parent, BookmarkItem record) {
    ItemNumber number = record.itemNumber;
    std::string title = record.title;
    doc.items.append(std::move(record));
    return doc.tree.insertLastChild(parent, number, title, 0, 1);
}

BookmarkItem recordOf(ItemNumber number, std::uint32_t parent, const char* title, const char* locator,
                      const char* addDate) {
    BookmarkItem r;
    r.itemNumber = number;
    r.parentNumber = parent;
    r.title = title;
    r.locator = locator;
    r.lastModified = "000000";
    r.addDate = addDate;
    return r;
}

// "title" per node, indented two blanks per level, for comparing shapes at a glance.
std::vector<std::string> outline(const Document& doc, NodeId from = kTopLevel) {
    std::vector<std::string> lines;
    for (NodeId top = from == kTopLevel ? doc.tree.firstTopLevel() : doc.tree.firstChild(from);
         top != kNoNode; top = doc.tree.nextSibling(top)) {
        doc.tree.walkSubtree(top, [&](NodeId n) {
            int level = 0;
            for (NodeId p = doc.tree.parent(n); p != from; p = doc.tree.parent(p)) ++level;
            lines.push_back(std::string(2 * level, ' ') + doc.tree.node(n).text);
        });
    }
    return lines;
}

const BookmarkItem& recordAt(const Document& doc, NodeId node) {
    const BookmarkItem* record = nodeRecord(doc, node);
    static const BookmarkItem kNone;
    return record ? *record : kNone;
}

DataFileReadResult load(Document& doc, const std::string& text) {
    ShellIcons icons;
    return loadDataFile(text, doc, icons);
}

}  // namespace

TEST(DataFile, HeaderStartsWithTheFourteenSignatureBytes) {
    EXPECT_EQ(kHeader.substr(0, 14), "\x82\xB1\x82\xEA\x82\xCD\x8E\xA9\x93\xAE\x90\xB6\x90\xAC");
    EXPECT_EQ(kHeader.substr(kHeader.size() - 31), "\r\n[Version]\r\nDataVersion=1.01\r\n");
    EXPECT_TRUE(hasDataFileSignature(kHeader.substr(0, 14)));
    EXPECT_FALSE(hasDataFileSignature(kHeader.substr(0, 13)));
    EXPECT_FALSE(hasDataFileSignature(u8"これは自動生成されたファイルです。"));
}

TEST(DataFile, WritesTheWorkedExampleByteForByte) {
    Document doc;
    doc.items.head().addDate = "1700000000";
    NodeId root = insertRootItem(doc);
    NodeId tools = addChild(doc, root, recordOf(0x10020007, kRootItemNumber, "Tools", "", "1700000001"));
    BookmarkItem example = recordOf(0x00030009, 0x10020007, "Example", "http://example.com/", "1700000002");
    example.windowLeft = -5;
    example.windowTop = 10;
    example.windowRight = 800;
    example.windowBottom = 600;
    example.mark = 1;
    addChild(doc, tools, example);

    std::string expected = kHeader +
        "[List]\r\nItemNum=268500993\r\nTestNum=10010001\r\nParentNum=0\r\nTitleName=Perchlet\r\n"
        "Locator=\r\nComment=\r\nLastModified=0\r\nLastVisit=\r\nAddDate=1700000000\r\n"
        "RcRight=0\r\nRcLeft=0\r\nRcTop=0\r\nRcBottom=0\r\nBrowser=0\r\nMark=0\r\n\r\n"
        "[List]\r\nItemNum=268566530\r\nTestNum=10020002\r\nParentNum=268500993\r\nTitleName=Tools\r\n"
        "Locator=\r\nComment=\r\nLastModified=000000\r\nLastVisit=\r\nAddDate=1700000001\r\n"
        "RcRight=0\r\nRcLeft=0\r\nRcTop=0\r\nRcBottom=0\r\nBrowser=0\r\nMark=0\r\n\r\n"
        "[List]\r\nItemNum=196611\r\nTestNum=30003\r\nParentNum=268566535\r\nTitleName=Example\r\n"
        "Locator=http://example.com/\r\nComment=\r\nLastModified=000000\r\nLastVisit=\r\nAddDate=1700000002\r\n"
        "RcRight=800\r\nRcLeft=-5\r\nRcTop=10\r\nRcBottom=600\r\nBrowser=0\r\nMark=1\r\n\r\n";
    EXPECT_EQ(writeDataFile(doc, root, 0), expected);
    EXPECT_EQ(writeDataFile(doc, kTopLevel, 0), expected);
    EXPECT_EQ(writeDataFile(doc, kNoNode, 0), "");
}

TEST(DataFile, SubtreeWithBase40StartsAtRelativeDepthOneAndSerial41) {
    Document doc;
    NodeId root = insertRootItem(doc);
    NodeId tools = addChild(doc, root, recordOf(0x10020007, kRootItemNumber, "Tools", "", "1"));
    addChild(doc, tools, recordOf(0x70030009, 0x10020007, "Editor", "C:\\editor.exe", "1"));
    BookmarkItem odd = recordOf(makeItemNumber(9, 3, 12), 0x10020007, "Odd kind", "", "1");
    addChild(doc, tools, odd);

    std::string text = writeDataFile(doc, tools, 40);
    EXPECT_NE(text.find("ItemNum=268501033\r\nTestNum=10010029\r\nParentNum=268500993\r\n"), std::string::npos);
    EXPECT_NE(text.find("ItemNum=1879179306\r\nTestNum=7002002A\r\nParentNum=268566535\r\n"), std::string::npos);
    // Kind 9 sets the sign bit: signed decimal, hexadecimal of the same bits.
    EXPECT_NE(text.find("ItemNum=-1878917077\r\nTestNum=9002002B\r\n"), std::string::npos);

    // Serials wrap at 65536.
    std::string wrapped = writeDataFile(doc, tools, 65535);
    EXPECT_NE(wrapped.find("TestNum=10010000\r\n"), std::string::npos);
    EXPECT_NE(wrapped.find("TestNum=70020001\r\n"), std::string::npos);
}

TEST(DataFile, RoundTripKeepsStructureFieldsAndBytes) {
    std::string text = kHeader + folder(1, 1, "Renamed root") + folder(2, 2, "Tools") +
                       link(3, 3, "a") + folder(3, 4, "Deep") + link(4, 5, "b") + link(2, 6, "c");
    // The root's own fields must come back as they were saved, not as a fresh root.
    text.replace(text.find("AddDate=1700000000"), 18, "AddDate=1234567890");
    text.replace(text.find("Mark=0"), 6, "Mark=1");
    text.replace(text.find("Comment="), 8, "Comment=line one\nline two\nline three");

    Document doc;
    DataFileReadResult result = load(doc, text);
    ASSERT_FALSE(result.rejected);
    EXPECT_EQ(result.inserted, 6u);
    EXPECT_EQ(result.nextCounter, 6);
    EXPECT_EQ(outline(doc), (std::vector<std::string>{"Renamed root", "  Tools", "    a", "    Deep",
                                                      "      b", "  c"}));
    // The file's root fills the head record rather than standing behind it.
    EXPECT_EQ(doc.items.size(), 6u);
    const BookmarkItem& head = doc.items.head();
    EXPECT_EQ(head.title, "Renamed root");
    EXPECT_EQ(head.addDate, "1234567890");
    EXPECT_EQ(head.mark, 1u);
    EXPECT_EQ(head.comment, "line one\nline two\nline three");
    NodeId rootNode = doc.tree.firstTopLevel();
    EXPECT_EQ(doc.tree.node(rootNode).itemNumber, kRootItemNumber);
    EXPECT_TRUE(doc.tree.node(rootNode).bold);
    EXPECT_EQ(result.firstInserted, rootNode);

    std::string written = writeDataFile(doc, rootNode, 0);
    EXPECT_NE(written.find("ParentNum=0\r\nTitleName=Renamed root\r\nLocator=\r\n"
                           "Comment=line one\nline two\nline three\r\nLastModified=000000\r\n"
                           "LastVisit=\r\nAddDate=1234567890\r\n"),
              std::string::npos);
    Document again;
    load(again, written);
    EXPECT_EQ(writeDataFile(again, again.tree.firstTopLevel(), 0), written);
}

TEST(DataFile, KeyTextsAndListInsideTitlesAndCommentsSurviveASaveAndLoad) {
    // Keys count only at line starts, and a block starts only at a line of its own, so none
    // of these values can split its record or stand in for a real key.
    const std::vector<std::string> values = {
        "see [List] below", "[List]", "ItemNum=5", "see Locator=http://x/", "Comment=hi",
        "LastVisit=1", "Look Mark=1 here", "TitleName=other"};
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        RecordText r = recordText(numberText(kKindWebLink, 2, 2), value, "http://real/");
        r.comment = value + "\nsecond line [List]\nItemNum=9";
        r.lastVisit = "1700000001";
        std::string text = kHeader + folder(1, 1, "root") + blockOf(r) + link(2, 3, "after");
        Document doc;
        ASSERT_EQ(load(doc, text).inserted, 3u);
        NodeId item = doc.tree.firstChild(doc.tree.firstTopLevel());
        const BookmarkItem& record = recordAt(doc, item);
        EXPECT_EQ(record.title, value);
        EXPECT_EQ(record.locator, "http://real/");
        EXPECT_EQ(record.comment, r.comment);
        EXPECT_EQ(record.lastVisit, "1700000001");
        EXPECT_EQ(record.mark, 0u);
        EXPECT_EQ(doc.tree.node(item).itemNumber, makeItemNumber(kKindWebLink, 2, 2));

        std::string written = writeDataFile(doc, kTopLevel, 0);
        Document again;
        ASSERT_EQ(load(again, written).inserted, 3u);
        EXPECT_EQ(writeDataFile(again, kTopLevel, 0), written);
        EXPECT_EQ(outline(again), (std::vector<std::string>{"root", "  " + value, "  after"}));
    }
}

TEST(DataFile, LineEndsOfCrLfLfAndCrReadAlikeAndTheLastLineNeedsNone) {
    RecordText r = recordText(numberText(kKindWebLink, 2, 2), "link", "http://a/");
    r.comment = "one\ntwo";
    r.mark = "1";
    const std::string crlf = kHeader + folder(1, 1, "root") + blockOf(r) + link(2, 3, "last");
    auto converted = [&](const std::string& lineEnd) {
        std::string out;
        for (std::size_t i = 0; i < crlf.size(); ++i) {
            if (crlf.compare(i, 2, "\r\n") == 0) {
                out += lineEnd;
                ++i;
            } else {
                out += crlf[i];
            }
        }
        return out;
    };
    std::string unterminated = crlf.substr(0, crlf.size() - 4);  // "Mark=0" without its line ends
    struct Case {
        const char* name;
        std::string text;
        std::string comment;  // a CR file keeps the comment's bare LF; an LF file cannot tell it apart
    };
    const Case cases[] = {{"CR LF", crlf, "one\ntwo"},
                          {"LF", converted("\n"), "one\ntwo"},
                          {"CR", converted("\r"), "one\ntwo"},
                          {"no line end at the end", unterminated, "one\ntwo"},
                          {"LF, no line end at the end", converted("\n").substr(0, converted("\n").size() - 2), "one\ntwo"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc;
        ASSERT_EQ(load(doc, c.text).inserted, 3u);
        EXPECT_EQ(outline(doc), (std::vector<std::string>{"root", "  link", "  last"}));
        NodeId item = doc.tree.firstChild(doc.tree.firstTopLevel());
        EXPECT_EQ(recordAt(doc, item).locator, "http://a/");
        EXPECT_EQ(recordAt(doc, item).comment, c.comment);
        EXPECT_EQ(recordAt(doc, item).mark, 1u);
        EXPECT_EQ(recordAt(doc, doc.tree.nextSibling(item)).locator, "http://example.com/last");
        EXPECT_EQ(recordAt(doc, doc.tree.nextSibling(item)).mark, 0u);
        // Written back with CR LF, the same as the CR LF file gives.
        Document fromCrLf;
        load(fromCrLf, crlf);
        EXPECT_EQ(writeDataFile(doc, kTopLevel, 0), writeDataFile(fromCrLf, kTopLevel, 0));

        // The importing reader reads them alike too.
        Document target;
        NodeId root = insertRootItem(target);
        ShellIcons icons;
        EXPECT_EQ(importDataFile(c.text, target, root, icons).inserted, 3u);
        NodeId imported = target.tree.firstChild(target.tree.firstChild(root));
        EXPECT_EQ(recordAt(target, imported).comment, c.comment);
    }
}

TEST(DataFile, KeyLessBlocksAreSkippedWithoutDisturbingTheNesting) {
    std::string noTitle = "[List]\r\nItemNum=" + numberText(kKindFolder, 2, 9) + "\r\nLocator=x\r\n\r\n";
    std::string text = kHeader + folder(1, 1, "root") + link(2, 2, "child") + noTitle + folder(2, 3, "sibling") +
                       link(3, 4, "grandchild") + "[List] \r\nItemNum=1\r\nTitleName=not a block\r\n";
    Document doc;
    DataFileReadResult result = load(doc, text);
    EXPECT_EQ(result.inserted, 4u);
    EXPECT_EQ(outline(doc), (std::vector<std::string>{"root", "  child", "  sibling", "    grandchild"}));
}

TEST(DataFile, BlocksReadAlikeHoweverTheyAreJoinedAndEnded) {
    const std::string first = folder(1, 1, "root");
    const std::string second = link(2, 2, "child");
    const std::string firstLines = first.substr(0, first.size() - 2);  // up to "Mark=0\r\n"
    const std::string secondLines = second.substr(0, second.size() - 2);
    auto withComment = [&](const std::string& comment) {
        std::string block = first;
        return block.replace(block.find("Comment=") + 8, 0, comment);
    };
    const std::string longComment(150, 'c');
    // The block without its LastModified line, which a CR taken for a line end would make.
    std::string loneCr = first;
    std::size_t comment = loneCr.find("Comment=") + 8;
    loneCr.replace(comment, loneCr.find("\r\n", loneCr.find("LastModified=")) - comment, "a\r-LastModified=9");
    struct Case {
        const char* name;
        std::string text;
        std::string comment = {};
        std::string lastModified = "000000";
    };
    const Case cases[] = {
        {"as written", first + second},
        {"a lone CR in a value", loneCr + second, "a\r-LastModified=9", ""},
        {"a value longer than the reader looks ahead", withComment(longComment) + second, longComment},
        {"no empty line between", firstLines + secondLines},
        {"a stray line between", first + "stray\r\n" + second},
        {"two empty lines between", first + "\r\n" + second},
        {"no empty line at the end", first + secondLines},
        {"an empty block at the end", first + second + "[List]"},
        {"an empty block and its line end at the end", first + second + "[List]\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc;
        EXPECT_EQ(load(doc, kHeader + c.text).inserted, 2u);
        EXPECT_EQ(outline(doc), (std::vector<std::string>{"root", "  child"}));
        EXPECT_EQ(recordAt(doc, doc.tree.firstChild(doc.tree.firstTopLevel())).locator, "http://example.com/child");
        EXPECT_EQ(recordAt(doc, doc.tree.firstTopLevel()).comment, c.comment);
        EXPECT_EQ(recordAt(doc, doc.tree.firstTopLevel()).lastModified, c.lastModified);
    }
}

TEST(DataFile, LoadedTextsOfEveryLengthReadBackAndCopiesOutliveTheDocument) {
    const std::vector<std::string> texts = {"", std::string(15, 'a'), std::string(16, 'b'), std::string(1023, 'c')};
    std::string text = kHeader + folder(1, 1, "root");
    for (std::size_t i = 0; i < texts.size(); ++i) {
        RecordText r = recordText(numberText(kKindWebLink, 2, static_cast<unsigned>(i + 2)), texts[i], texts[i]);
        r.comment = texts[i];
        text += blockOf(r);
    }
    Document doc;
    ASSERT_EQ(load(doc, text).inserted, texts.size() + 1);
    std::vector<BookmarkItem> copies;
    std::vector<CompactText> nodeTexts;
    NodeId node = doc.tree.firstChild(doc.tree.firstTopLevel());
    for (std::size_t i = 0; i < texts.size(); ++i, node = doc.tree.nextSibling(node)) {
        const BookmarkItem& record = recordAt(doc, node);
        EXPECT_EQ(record.title, texts[i]);
        EXPECT_EQ(record.locator, texts[i]);
        EXPECT_EQ(record.comment, texts[i]);
        EXPECT_EQ(doc.tree.node(node).text, texts[i]);
        copies.push_back(record);
        nodeTexts.push_back(doc.tree.node(node).text);
    }
    // A renamed item holds its new title on its own.
    NodeId last = doc.tree.lastChild(doc.tree.firstTopLevel());
    nodeRecord(doc, last)->title = std::string(40, 'r');
    doc.tree.setText(last, std::string(40, 'r'));
    EXPECT_EQ(doc.tree.node(last).text, std::string(40, 'r'));
    resetDocument(doc);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(copies[i].title, texts[i]);
        EXPECT_EQ(copies[i].comment, texts[i]);
        EXPECT_EQ(nodeTexts[i], texts[i]);
    }
}

TEST(DataFile, DepthsClimbAsFarAsTheyFall) {
    std::string text = kHeader + "garbage before the first record is ignored ItemNum=5\r\n" +
                       folder(1, 1, "root") + folder(2, 2, "child") + link(3, 3, "grandchild") +
                       folder(2, 4, "second child") + folder(1, 5, "second top") +
                       link(5, 6, "jumps deeper") + link(0, 7, "depth zero") + link(2, 8, "after zero");
    Document doc;
    DataFileReadResult result = load(doc, text);
    EXPECT_EQ(result.inserted, 8u);
    // A jump of several levels still makes a child; depth 0 has no parent and stays on top.
    EXPECT_EQ(outline(doc), (std::vector<std::string>{"root", "  child", "    grandchild", "  second child",
                                                      "second top", "  jumps deeper", "depth zero",
                                                      "  after zero"}));
    // The whole document, every top-level item included, reads back to the same shape.
    Document again;
    load(again, writeDataFile(doc, kTopLevel, 0));
    EXPECT_EQ(outline(again), outline(doc));
}

TEST(DataFile, ClimbingPastTheTopLevelDoesNotCrash) {
    std::string text = kHeader + link(3, 1, "starts deep") + link(1, 2, "climbs too far") +
                       link(4095, 3, "deepest") + link(1, 4, "falls a long way");
    Document doc;
    EXPECT_EQ(load(doc, text).inserted, 4u);
    EXPECT_EQ(outline(doc), (std::vector<std::string>{"starts deep", "climbs too far", "  deepest",
                                                      "falls a long way"}));
}

TEST(DataFile, VersionLineIsNotExamined) {
    std::string signature = kHeader.substr(0, 14);
    for (std::string head : {signature + "\r\n", signature + "\r\n[Version]\r\nDataVersion=9.99\r\n",
                             kHeader + "[Version]\r\n"}) {
        Document doc;
        DataFileReadResult result = load(doc, head + folder(1, 1, "root"));
        EXPECT_FALSE(result.rejected);
        EXPECT_EQ(result.inserted, 1u);
    }
}

TEST(DataFile, LoadedImagesMarkUnvisitedLinksAndAskTheShellForFiles) {
    RecordText visited = recordText(numberText(kKindWebLink, 1, 2), "visited", "http://a/");
    visited.lastVisit = "1700000000";
    RecordText file = recordText(numberText(kKindLocalFile, 1, 3), "file", "C:\\tool.exe");
    RecordText shell = recordText(numberText(kKindShellLink, 1, 4), "shell", "file://x");
    RecordText mail = recordText(numberText(kKindMailLink, 1, 5), "mail", "mailto:a@b");
    std::string text = kHeader + link(1, 1, "unvisited") + blockOf(visited) + blockOf(file) + blockOf(shell) +
                       blockOf(mail) + folder(1, 6, "folder");
    Document doc;
    ShellIcons icons;
    loadDataFile(text, doc, icons);
    std::vector<std::pair<int, int>> images;
    for (NodeId n = doc.tree.firstTopLevel(); n != kNoNode; n = doc.tree.nextSibling(n))
        images.emplace_back(doc.tree.node(n).image, doc.tree.node(n).selectedImage);
    EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{10, 11}, {0, 1}, {20, 21}, {10, 11}, {8, 9}, {2, 3}}));
    EXPECT_EQ(icons.asked, std::vector<std::string>{"C:\\tool.exe"});

    // The importing reader has no unvisited rule.
    Document target;
    NodeId root = insertRootItem(target);
    importDataFile(kHeader + link(1, 1, "unvisited"), target, root, icons);
    EXPECT_EQ(target.tree.node(target.tree.firstChild(root)).image, 0);
}

TEST(DataFile, ValuesAreCutToTheirFieldsAndTitlesKeptOnOneLine) {
    RecordText big = recordText(numberText(kKindWebLink, 1, 1), "two\rparts\nhere", std::string(1500, 'l'));
    big.comment = std::string(1022, 'c') + "\x82\xA0";  // a two-byte character across the limit
    big.lastVisit = std::string(100, '9');
    Document doc;
    load(doc, kHeader + blockOf(big));
    const BookmarkItem& record = recordAt(doc, doc.tree.firstTopLevel());
    EXPECT_EQ(record.title, "twopartshere");
    EXPECT_EQ(record.locator.size(), 1023u);
    EXPECT_EQ(record.comment, std::string(1022, 'c'));
    EXPECT_EQ(record.lastVisit.size(), 63u);
}

TEST(DataFile, NumbersReadAsSignedDecimal) {
    std::string text = kHeader + "[List]\r\nItemNum=  -1878917077xyz\r\nTitleName=t\r\nParentNum=-1\r\n"
                                 "RcLeft=+42\r\nRcTop=-7\r\nRcRight=abc\r\nBrowser=4294967295\r\n";
    Document doc;
    load(doc, text);
    const BookmarkItem& record = recordAt(doc, doc.tree.firstTopLevel());
    EXPECT_EQ(record.itemNumber, makeItemNumber(9, 2, 43));
    EXPECT_EQ(record.parentNumber, 0xFFFFFFFFu);
    EXPECT_EQ(record.windowLeft, 42);
    EXPECT_EQ(record.windowTop, -7);
    EXPECT_EQ(record.windowRight, 0);
    EXPECT_EQ(record.browser, 4294967295u);
    // The unsigned spelling of the same bits reads as the same number.
    Document other;
    load(other, kHeader + blockOf(recordText("2416050219", "t")));
    EXPECT_EQ(other.tree.node(other.tree.firstTopLevel()).itemNumber, makeItemNumber(9, 2, 43));
}

// A number of any length reads alike: digits up to the first non-digit, held at the 32-bit
// limit. ('/' and ':' lie just below and above the digits.)
TEST(DataFile, NumbersOfEveryLengthReadUpToTheirFirstNonDigit) {
    const std::pair<std::string, std::uint32_t> spellings[] = {
        {"12", 12}, {"1234", 1234}, {"12345", 12345}, {"00000042", 42}, {"12345678", 12345678},
        {"123456789", 123456789}, {"0000000042", 42}, {"4294967295", 4294967295u}, {"4294967296", 4294967295u},
        {"9999999999999999", 4294967295u}, {"99999999999999999", 4294967295u}, {"1234/6789", 1234},
        {"12345:", 12345}, {"1234567:9", 1234567}, {"123456789012345/", 4294967295u}, {"98765 ", 98765},
        {"1234567890123/", 4294967295u}, {"12345678/", 12345678}};
    for (const auto& [spelling, expected] : spellings) {
        Document doc;
        load(doc, kHeader + "[List]\r\nItemNum=1\r\nTitleName=t\r\nBrowser=" + spelling + "\r\n");
        EXPECT_EQ(recordAt(doc, doc.tree.firstTopLevel()).browser, expected) << spelling;
    }
}

TEST(DataFile, RepeatedNumbersKeepTheirNumbersAndEachNodeItsOwnRecord) {
    // Over 65536 records, or a hand-edited file, can repeat a number; so can a second root.
    std::string text = kHeader + folder(1, 1, "root") + link(2, 2, "one") + link(2, 2, "two") +
                       link(2, 3, "three") + folder(1, 1, "second root");
    Document doc;
    DataFileReadResult result = load(doc, text);
    EXPECT_EQ(result.inserted, 5u);
    EXPECT_EQ(result.nextCounter, 5);
    std::vector<std::string> titles;
    std::vector<ItemNumber> numbers;
    for (NodeId top = doc.tree.firstTopLevel(); top != kNoNode; top = doc.tree.nextSibling(top)) {
        doc.tree.walkSubtree(top, [&](NodeId n) {
            titles.push_back(recordAt(doc, n).title);
            numbers.push_back(doc.tree.node(n).itemNumber);
        });
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"root", "one", "two", "three", "second root"}));
    EXPECT_EQ(numbers, (std::vector<ItemNumber>{kRootItemNumber, makeItemNumber(0, 2, 2), makeItemNumber(0, 2, 2),
                                                makeItemNumber(0, 2, 3), kRootItemNumber}));
    EXPECT_EQ(doc.items.head().title, "root");
    EXPECT_EQ(doc.items.size(), 5u);
    // The links of the second root's place write their own fields.
    std::string written = writeDataFile(doc, kTopLevel, 0);
    EXPECT_NE(written.find("TitleName=two\r\nLocator=http://example.com/two\r\n"), std::string::npos);
}

TEST(DataFile, ImportPutsRecordsBelowADepthThreeTargetWithFreshSerials) {
    Document doc;
    NodeId root = insertRootItem(doc);
    NodeId a = addChild(doc, root, recordOf(0x10020001, kRootItemNumber, "a", "", "1"));
    NodeId target = addChild(doc, a, recordOf(0x10030002, 0x10020001, "target", "", "1"));
    // A held number the counter would otherwise hand out again.
    addChild(doc, root, recordOf(0x00050004, 0x10020001, "holder", "http://h/", "1"));
    doc.serials.value = 2;

    std::string text = kHeader + folder(1, 41, "pasted") + link(2, 42, "inside") + folder(2, 43, "sub") +
                       link(3, 44, "deep") + link(1, 45, "next") + link(0, 46, "depth zero");
    ShellIcons icons;
    DataFileReadResult result = importDataFile(text, doc, target, icons);
    EXPECT_EQ(result.inserted, 6u);
    EXPECT_EQ(outline(doc, target),
              (std::vector<std::string>{"pasted", "  inside", "  sub", "    deep", "next", "depth zero"}));
    std::vector<ItemNumber> numbers;
    doc.tree.walkSubtree(doc.tree.firstChild(target), [&](NodeId n) { numbers.push_back(doc.tree.node(n).itemNumber); });
    for (NodeId n = doc.tree.nextSibling(doc.tree.firstChild(target)); n != kNoNode; n = doc.tree.nextSibling(n))
        numbers.push_back(doc.tree.node(n).itemNumber);
    // Serial 4 at depth 5 is held already, so "inside" passes it over.
    EXPECT_EQ(numbers, (std::vector<ItemNumber>{makeItemNumber(1, 4, 3), makeItemNumber(0, 5, 5),
                                                makeItemNumber(1, 5, 6), makeItemNumber(0, 6, 7),
                                                makeItemNumber(0, 4, 8), makeItemNumber(0, 4, 9)}));
    EXPECT_EQ(result.nextCounter, 9);
    EXPECT_EQ(doc.serials.value, 9);
    EXPECT_EQ(doc.items.find(makeItemNumber(0, 6, 7))->title, "deep");
    EXPECT_EQ(doc.items.find(makeItemNumber(1, 4, 3))->parentNumber, 0u);  // as the file had it

    // Depths beyond the limit stay at 4095 and keep the file's nesting.
    Document deep;
    NodeId deepRoot = insertRootItem(deep);
    NodeId bottom = addChild(deep, deepRoot, recordOf(makeItemNumber(1, 4094, 1), 0, "bottom", "", "1"));
    importDataFile(kHeader + folder(1, 1, "x") + link(2, 2, "y"), deep, bottom, icons);
    NodeId x = deep.tree.firstChild(bottom);
    EXPECT_EQ(depthOf(deep.tree.node(x).itemNumber), 4095u);
    ASSERT_NE(deep.tree.firstChild(x), kNoNode);
    EXPECT_EQ(depthOf(deep.tree.node(deep.tree.firstChild(x)).itemNumber), 4095u);
}

TEST(DataFile, RejectedTextInsertsNothing) {
    Document doc;
    NodeId root = insertRootItem(doc);
    doc.serials.value = 9;
    ShellIcons icons;
    std::string notData = "[List]\r\nItemNum=1\r\nTitleName=x\r\n";
    for (const std::string& text : {notData, std::string(), kHeader.substr(0, 10)}) {
        EXPECT_TRUE(loadDataFile(text, doc, icons).rejected);
        DataFileReadResult imported = importDataFile(text, doc, root, icons);
        EXPECT_TRUE(imported.rejected);
        EXPECT_EQ(imported.inserted, 0u);
    }
    EXPECT_EQ(doc.serials.value, 9);
    EXPECT_EQ(doc.tree.liveCount(), 1u);
    EXPECT_EQ(doc.items.size(), 1u);
    // A signature with no records is a data file with nothing in it.
    DataFileReadResult empty = loadDataFile(kHeader, doc, icons);
    EXPECT_FALSE(empty.rejected);
    EXPECT_EQ(empty.inserted, 0u);
    EXPECT_EQ(empty.firstInserted, kNoNode);
    EXPECT_EQ(empty.nextCounter, 9);
}

TEST(DataFile, NoValueEndsItsLineEarlyHoweverItReachedTheRecord) {
    // Records filled directly, as any way into a record might: the writer must still put
    // each value on its own line, and a comment keeps its lone LF line breaks.
    const std::string crafted = "http://evil.example/\r\n[List]\r\nItemNum=1";
    struct Case {
        const char* name;
        BookmarkItem record;
        const char* locator;
        const char* comment;
    };
    auto withLocator = [](std::string locator, std::string comment = "") {
        BookmarkItem r = recordOf(makeItemNumber(kKindWebLink, 2, 2), 0, "t", "", "1700000000");
        r.locator = std::move(locator);
        r.comment = std::move(comment);
        return r;
    };
    BookmarkItem brokenTitle = withLocator("http://a/");
    brokenTitle.title = "one\r\n[List]\r\nItemNum=3\r\nTitleName=two";
    brokenTitle.lastVisit = "17\r\n[List]";
    const Case cases[] = {
        {"address with a record of its own", withLocator(crafted), "http://evil.example/[List]ItemNum=1", ""},
        {"wrapped address", withLocator("http://example.com/a-long-\r\npath"), "http://example.com/a-long-path", ""},
        {"lone CR and LF", withLocator("http://a/\rb\nc"), "http://a/bc", ""},
        {"title and date", brokenTitle, "http://a/", ""},
        {"comment keeps lone LF, loses the CR of CR LF", withLocator("http://a/", "one\ntwo\r\n[List]\r\nItemNum=1"),
         "http://a/", "one\ntwo\n[List]\nItemNum=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc;
        NodeId root = addChild(doc, kTopLevel, recordOf(kRootItemNumber, 0, "root", "", "1700000000"));
        addChild(doc, root, c.record);
        std::string written = writeDataFile(doc, kTopLevel, 0);
        Document again;
        ASSERT_EQ(load(again, written).inserted, 2u) << written;
        const BookmarkItem& back = recordAt(again, again.tree.firstChild(again.tree.firstTopLevel()));
        EXPECT_EQ(back.locator, c.locator);
        EXPECT_EQ(back.comment, c.comment);
        EXPECT_EQ(back.title.view().find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(back.lastVisit.view().find_first_of("\r\n"), std::string::npos);
    }
}

TEST(DataFile, AddressesLoseControlCharactersWhenRead) {
    // Tabs, DEL and escapes in a stored address go; two-byte characters stay whole.
    RecordText r = recordText(numberText(kKindWebLink, 2, 2), "link", "http://a/\tb\x7F" "c\x83\x5C");
    Document doc;
    ASSERT_EQ(load(doc, kHeader + folder(1, 1, "root") + blockOf(r)).inserted, 2u);
    EXPECT_EQ(recordAt(doc, doc.tree.firstChild(doc.tree.firstTopLevel())).locator, "http://a/bc\x83\x5C");
}

TEST(DataFile, BlocksWithoutOneReadableRecordAreNoDocument) {
    std::string noItemNum = "[List]\r\nTitleName=a\r\nLocator=http://a/\r\n\r\n";
    std::string noTitle = "[List]\r\nItemNum=1\r\n\r\n";
    struct Case {
        const char* name;
        std::string text;
        DataFileContent content;
    };
    const Case cases[] = {
        {"blocks lacking ItemNum", kHeader + noItemNum + noItemNum, DataFileContent::NoRecord},
        {"blocks lacking TitleName", kHeader + noTitle, DataFileContent::NoRecord},
        {"one readable record among them", kHeader + noItemNum + folder(1, 1, "root"), DataFileContent::Readable},
        {"a header alone is an empty document", kHeader, DataFileContent::Readable},
        {"no header", "[List]\r\nItemNum=1\r\nTitleName=x\r\n", DataFileContent::NotDataFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(examineDataFile(c.text), c.content);
        bool noRecord = c.content == DataFileContent::NoRecord;
        Document doc;
        EXPECT_EQ(load(doc, c.text).noRecord, noRecord);
        ShellIcons icons;
        EXPECT_EQ(importDataFile(c.text, doc, insertRootItem(doc), icons).noRecord, noRecord);
    }
}

TEST(DataFile, PiecesJoinToTheWholeTextAndAFalseSinkStopsThem) {
    // Enough records for several pieces, and a UTF-8 comment longer than a piece holds.
    std::string text = kHeader + folder(1, 1, "root");
    for (unsigned serial = 2; serial < 6000; ++serial) text += link(2, serial, "link " + std::to_string(serial));
    Document doc;
    ShellIcons icons;
    loadDataFile(text, doc, icons, TextEncoding::Utf8);
    nodeRecord(doc, doc.tree.lastChild(doc.tree.firstTopLevel()))->comment = std::string(kDataFilePieceSize + 5, 'x');
    for (NodeId start : {kTopLevel, doc.tree.firstChild(doc.tree.firstTopLevel())}) {
        std::string joined;
        std::size_t pieces = 0;
        EXPECT_TRUE(writeDataFilePieces(doc, start, 9, TextEncoding::Utf8, [&](std::string_view piece) {
            joined.append(piece);
            return ++pieces > 0;
        }));
        EXPECT_EQ(joined, writeDataFile(doc, start, 9, TextEncoding::Utf8));
        EXPECT_GT(pieces, start == kTopLevel ? 2u : 0u);
    }
    std::size_t handed = 0;
    EXPECT_FALSE(writeDataFilePieces(doc, kTopLevel, 0, TextEncoding::ShiftJis, [&](std::string_view) {
        ++handed;
        return false;
    }));
    EXPECT_EQ(handed, 1u);
}
