#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "store/data_file.h"
#include "store/document_encoding.h"

using namespace perchlet;

namespace {

struct NoIcons : ShellIconSource {
    ImagePair appendIconsFor(const std::string&) override { return {20, 21}; }
};

const std::string kUtf8Header = std::string("\xEF\xBB\xBF") +
                                u8"これは自動生成されたファイルです。編集しないで下さい。\r\n"
                                "[Version]\r\nDataVersion=1.01\r\n";

std::string utf8Block(const std::string& title, const std::string& locator, const std::string& comment,
                      ItemNumber number = 65537) {
    return "[List]\r\nItemNum=" + std::to_string(number) + "\r\nTestNum=10001\r\nParentNum=0\r\nTitleName=" + title +
           "\r\nLocator=" + locator + "\r\nComment=" + comment +
           "\r\nLastModified=000000\r\nLastVisit=\r\nAddDate=1700000000\r\nRcRight=1\r\nRcLeft=2\r\nRcTop=3\r\n"
           "RcBottom=4\r\nBrowser=5\r\nMark=1\r\n\r\n";
}

const BookmarkItem& onlyRecord(const Document& doc) { return *nodeRecord(doc, doc.tree.firstTopLevel()); }

}  // namespace

// Header, mark, every key, a comment's bare LF, a field past 1,023 bytes: what is read is
// written back byte for byte, and a Shift-JIS reader refuses the file as before.
TEST(Utf8DataFile, ReadsAndWritesTheSameBytes) {
    const std::string longAddress = "http://example.com/?q=" + std::string(2000, 'a') + u8"\U0001F469\u200D\U0001F4BB";
    const std::string text =
        kUtf8Header + utf8Block(u8"📚 読書メモ 🇯🇵", longAddress, u8"한국어\nΕλληνικά\nदेवनागरी e\u0301");
    EXPECT_EQ(dataFileEncoding(text), TextEncoding::Utf8);
    EXPECT_EQ(dataFileEncoding(kUtf8Header.substr(3)), std::nullopt);
    EXPECT_EQ(dataFileEncoding(kDataFileHeader), TextEncoding::ShiftJis);

    Document doc;
    NoIcons icons;
    EXPECT_TRUE(loadDataFile(text, doc, icons).rejected);
    DataFileReadResult read = loadDataFile(text, doc, icons, TextEncoding::Utf8);
    ASSERT_EQ(read.inserted, 1u);
    EXPECT_EQ(read.encoding, TextEncoding::Utf8);
    EXPECT_EQ(read.fieldsCut, 0u);
    EXPECT_EQ(onlyRecord(doc).locator, longAddress);
    EXPECT_EQ(writeDataFile(doc, kTopLevel, 0, TextEncoding::Utf8), text);
}

TEST(Utf8DataFile, DamagedBytesReadAsReplacementCharacters) {
    struct Case {
        const char* bytes;
        const char* read;
    } cases[] = {
        {"a\xFF" "b", u8"a\uFFFDb"},
        {"\xE3\x81", u8"\uFFFD"},            // cut short at the line end
        {"\xED\xA0\x80", u8"\uFFFD\uFFFD\uFFFD"},  // a surrogate's bytes
        {"\xC0\xAF", u8"\uFFFD\uFFFD"},      // overlong
        {"\xF0\x9F\x93\x9A", u8"📚"},
    };
    for (const Case& c : cases) {
        Document doc;
        NoIcons icons;
        loadDataFile(kUtf8Header + utf8Block(c.bytes, "", c.bytes), doc, icons, TextEncoding::Utf8);
        EXPECT_EQ(onlyRecord(doc).title, c.read) << c.bytes;
        EXPECT_EQ(onlyRecord(doc).comment, c.read) << c.bytes;
    }
}

// A file large enough to be read in parts at once: damage in any part reads as in a small
// file, and so does all else.
TEST(Utf8DataFile, DamageInALargeFileReadsAsInASmallOne) {
    const std::map<int, std::pair<std::string, std::string>> damaged = {
        {100, {"a\xFF" "b", u8"a\uFFFDb"}},
        {9000, {"a\xFF" "b", u8"a\uFFFDb"}},
        {12000, {"\xE3\x81", u8"\uFFFD"}},
        {14999, {"\xC0\xAF", u8"\uFFFD\uFFFD"}}};
    std::string text = kUtf8Header;
    std::vector<std::string> expected;
    for (int i = 0; i < 15000; ++i) {
        auto found = damaged.find(i);
        std::string title = u8"ページ " + std::to_string(i);
        text += utf8Block(found == damaged.end() ? title : found->second.first, "", "");
        expected.push_back(found == damaged.end() ? title : found->second.second);
    }
    ASSERT_GT(text.size(), 2u << 20);
    Document doc;
    NoIcons icons;
    ASSERT_EQ(loadDataFile(text, doc, icons, TextEncoding::Utf8).inserted, expected.size());
    std::size_t i = 0;
    for (NodeId n = doc.tree.firstTopLevel(); n != kNoNode; n = doc.tree.nextSibling(n), ++i) {
        if (nodeRecord(doc, n)->title != expected[i]) {
            ADD_FAILURE() << "record " << i;
            break;
        }
    }
    EXPECT_EQ(i, expected.size());
}

// What reading a large file meets is noted as from one read, whichever of the parts read at
// once it lies in: characters lost, fields cut, and the root record that fills the head.
TEST(Utf8DataFile, ALargeFileReadInPartsNotesWhatOneReadWould) {
    struct Places {
        std::set<int> lost, cut;
        int root;
    };
    for (const Places& places : {Places{{10, 7000}, {20, 7100}, 30}, Places{{7000}, {7100}, 7500}}) {
        std::string text = kUtf8Header;
        for (int i = 0; i < 8000; ++i) {
            std::string title = places.lost.count(i) ? u8"é " + std::to_string(i)
                                : places.cut.count(i) ? std::string(1500, 'x') : "t" + std::to_string(i);
            text += utf8Block(title, "", "", i == places.root ? kRootItemNumber : 65537);
        }
        ASSERT_GT(text.size(), 1u << 20);
        Document doc;
        NoIcons icons;
        DataFileReadResult read = loadDataFile(text, doc, icons, TextEncoding::ShiftJis);
        EXPECT_EQ(read.inserted, 8000u);
        EXPECT_EQ(read.markedItems, places.lost.size());
        EXPECT_EQ(read.firstMarkedTitle, "\x81\xAC " + std::to_string(*places.lost.begin()));
        EXPECT_EQ(read.fieldsCut, places.cut.size());
        EXPECT_EQ(doc.items.head().title, "t" + std::to_string(places.root));
    }
}

// A UTF-8 document keeps 64 KiB a field, cut where a character starts; a Shift-JIS one
// keeps 1,023 bytes as it always has. Either way the reader says so.
TEST(Utf8DataFile, FieldBoundsFollowTheEncoding) {
    const std::string tooLong = std::string(kUtf8TextFieldMax - 1, 'x') + u8"é";
    Document doc;
    NoIcons icons;
    DataFileReadResult read = loadDataFile(kUtf8Header + utf8Block("t", tooLong, ""), doc, icons, TextEncoding::Utf8);
    EXPECT_EQ(read.fieldsCut, 1u);
    EXPECT_EQ(onlyRecord(doc).locator, std::string(kUtf8TextFieldMax - 1, 'x'));

    Document sjis;
    read = loadDataFile(kDataFileHeader + utf8Block("t", std::string(1500, 'y'), ""), sjis, icons);
    EXPECT_EQ(read.fieldsCut, 1u);
    EXPECT_EQ(onlyRecord(sjis).locator.size(), kTextFieldMax);
}

// Between the two encodings: Shift-JIS into UTF-8 keeps everything; UTF-8 into Shift-JIS
// marks each run of characters it cannot hold and names the first such item.
TEST(Utf8DataFile, ConvertsIntoTheTargetEncoding) {
    NoIcons icons;
    Document utf8;
    loadDataFile(kDataFileHeader + utf8Block("\x93\xC7\x8F\x91", "", ""), utf8, icons, TextEncoding::Utf8);
    EXPECT_EQ(onlyRecord(utf8).title, u8"読書");

    Document sjis;
    DataFileReadResult read =
        loadDataFile(kUtf8Header + utf8Block(u8"📚👍🏽 読書 🇯🇵", u8"http://例.jp/😀", ""), sjis, icons,
                     TextEncoding::ShiftJis);
    EXPECT_EQ(onlyRecord(sjis).title, "\x81\xAC \x93\xC7\x8F\x91 \x81\xAC");
    EXPECT_EQ(onlyRecord(sjis).locator, "http://\x97\xE1.jp/%F0%9F%98%80");
    EXPECT_EQ(read.markedItems, 1u);
}

// The whole document both ways: what Shift-JIS cannot hold is counted before and marked
// after; the undo history, which holds texts in the old encoding, is emptied.
TEST(Utf8DataFile, DocumentChangesEncoding) {
    NoIcons icons;
    Document doc;
    loadDataFile(kUtf8Header + utf8Block(u8"📚👍🏽 読書 🇯🇵", u8"http://例.jp/😀", u8"Café"), doc, icons,
                 TextEncoding::Utf8);
    doc.file.encoding = TextEncoding::Utf8;
    EncodingLoss loss = lossConvertingTo(doc, TextEncoding::ShiftJis);
    EXPECT_EQ(loss.characters, 6u);  // 📚 👍 🏽, the flag's two letters and é
    EXPECT_EQ(loss.items, 1u);
    EXPECT_EQ(lossConvertingTo(doc, TextEncoding::Utf8).characters, 0u);

    doc.file.shiftJisAnswer = ShiftJisAnswer::SwitchToUtf8;
    EXPECT_EQ(convertDocumentEncoding(doc, TextEncoding::ShiftJis), 1u);
    EXPECT_EQ(doc.file.shiftJisAnswer, ShiftJisAnswer::NotAsked);
    EXPECT_EQ(doc.file.encoding, TextEncoding::ShiftJis);
    EXPECT_EQ(onlyRecord(doc).title, "\x81\xAC \x93\xC7\x8F\x91 \x81\xAC");
    EXPECT_EQ(doc.tree.node(doc.tree.firstTopLevel()).text, onlyRecord(doc).title);
    EXPECT_EQ(onlyRecord(doc).locator, "http://\x97\xE1.jp/%F0%9F%98%80");
    EXPECT_TRUE(doc.modified());
    EXPECT_FALSE(doc.history.canUndo());

    EXPECT_EQ(convertDocumentEncoding(doc, TextEncoding::Utf8), 0u);
    EXPECT_EQ(onlyRecord(doc).title, u8"〓 読書 〓");
    EXPECT_EQ(charactersShiftJisCannotHold(u8"a\uFFFD\u00E9\U0001F600"), 3u);
}
