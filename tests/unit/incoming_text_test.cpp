// Text that a Shift-JIS document cannot hold: when the question is asked, what converting in
// the middle of an undo step leaves, and the texts that arrive in a UTF-8 document whole.
#include <gtest/gtest.h>

#include "search/search_index.h"
#include "store/data_file.h"
#include "store/document_encoding.h"
#include "store/item_questions.h"
#include "store/incoming_text.h"
#include "test_tree.h"
#include "web/title_scanner.h"

using namespace perchlet;
using perchlet::testing::TestTree;

TEST(IncomingText, AsksOnlyAShiftJisDocumentThatWouldLoseCharactersAndOnlyOnce) {
    using S = IncomingTextStep;
    using A = ShiftJisAnswer;
    constexpr TextEncoding sjis = TextEncoding::ShiftJis, utf8 = TextEncoding::Utf8;
    struct Case {
        TextEncoding document;
        ShiftJisAnswer answered;
        std::size_t notHeld;
        IncomingTextStep step;
    } cases[] = {
        {sjis, A::NotAsked, 0, S::TakeAsItIs},     {sjis, A::NotAsked, 13, S::Ask},
        {sjis, A::SwitchToUtf8, 1, S::SwitchToUtf8}, {sjis, A::KeepShiftJis, 1, S::MarkLost},
        {sjis, A::KeepShiftJis, 0, S::TakeAsItIs}, {utf8, A::NotAsked, 13, S::TakeAsItIs},
        {utf8, A::SwitchToUtf8, 13, S::TakeAsItIs},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stepForIncomingText(c.document, c.answered, c.notHeld), c.step)
            << static_cast<int>(c.answered) << " " << c.notHeld;

    std::string question = shiftJisQuestionText(13);
    for (const char* part : {"13 文字", "はい: UTF-8 に切り替える", "いいえ: Shift-JIS のままにする", "「〓」", "バックアップ"})
        EXPECT_NE(question.find(part), std::string::npos) << part;
}

TEST(IncomingText, ConvertingInsideAnOpenStepLeavesTheStepHoldingOnlyWhatFollows) {
    TestTree t;
    NodeId kept = t.add(t.root, kKindFolder, "日本語");
    SearchIndex index(t.doc);
    ASSERT_EQ(index.find("日本"), std::vector<NodeId>{kept});
    {
        UndoStep step(t.doc, "貼り付け");
        convertDocumentEncoding(t.doc, TextEncoding::Utf8);
        t.add(t.root, kKindFolder, u8"한국어");
    }
    EXPECT_EQ(t.doc.history.stepCount(), 1u);
    EXPECT_TRUE(t.doc.modified());
    // The index folds in the document's new encoding.
    EXPECT_EQ(index.find(u8"日本"), std::vector<NodeId>{kept});
    t.doc.history.undo(t.doc);
    EXPECT_EQ(t.childTitles(t.root), std::vector<std::string>{u8"日本語"});
    EXPECT_EQ(t.record(kept).title, u8"日本語");
    EXPECT_EQ(t.doc.file.encoding, TextEncoding::Utf8);
}

TEST(IncomingText, AFetchedTitleComesIntoAUtf8DocumentWhole) {
    struct Case {
        std::string fetched, headerCharset;
        std::string utf8, shiftJis;
    } cases[] = {
        {u8"📚 読書メモ &amp; Café", "utf-8", u8"📚 読書メモ & Café", "〓 読書メモ & Caf〓"},
        {u8"한국어\n페이지", "", u8"한국어 페이지", "〓 〓"},
        {"\x93\xfa\x96\x7b", "shift_jis", u8"日本", "日本"},           // a Shift-JIS page
        {std::string(u8"ab📚").substr(0, 4), "utf-8", "ab", "ab"},  // the buffer cut a character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(titleFieldText(c.fetched, c.headerCharset, "", TextEncoding::Utf8), c.utf8) << c.utf8;
        EXPECT_EQ(titleFieldText(c.fetched, c.headerCharset, ""), c.shiftJis) << c.utf8;
    }
}

TEST(IncomingText, EachFieldOfAUtf8RecordReadIntoShiftJisMarksItsOwnRuns) {
    TestTree utf8;
    utf8.doc.file.encoding = TextEncoding::Utf8;
    utf8.add(utf8.root, kKindWebLink, u8"日本 한국", u8"http://example.com/", u8"국어 메모");
    std::string text = writeDataFile(utf8.doc, utf8.root, 0, TextEncoding::Utf8);

    TestTree shiftJis;
    perchlet::testing::NoShellIcons icons;
    DataFileReadResult read = importDataFile(text, shiftJis.doc, shiftJis.root, icons, TextEncoding::ShiftJis);
    EXPECT_EQ(read.markedItems, 1u);
    const BookmarkItem& link = shiftJis.record(shiftJis.child(shiftJis.child(shiftJis.root, 0), 0));
    EXPECT_EQ(link.title, "日本 〓");
    EXPECT_EQ(link.comment, "〓 〓");
}

TEST(IncomingText, AQuestionNamesAUtf8TitleInTheShiftJisOfEveryMessage) {
    TestTree t;
    t.doc.file.encoding = TextEncoding::Utf8;
    NodeId folder = t.add(t.root, kKindFolder, u8"日本 📚🇯🇵");
    EXPECT_EQ(deleteQuestion(t.doc.tree, folder, TextEncoding::Utf8), "\"日本 〓\" を削除しますか？");
}
