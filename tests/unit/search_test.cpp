// Finding items by words, folded the way a Japanese reader compares text, and the groups of
// items that keep the same page twice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/duplicates.h"
#include "search/search_index.h"
#include "search/search_text.h"
#include "test_tree.h"

using namespace perchlet;
using perchlet::testing::TestTree;

namespace {

TEST(SearchText, FoldsWhatAJapaneseReaderDoesNotTellApart) {
    struct Case {
        const char* one;
        const char* other;
    } cases[] = {
        {"ブックマーク", "ぶっくまーく"},            // katakana and hiragana
        {"ﾌﾞｯｸﾏｰｸ", "ぶっくまーく"},                // half-width, voiced mark joined in
        {"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", "ぱぴぷぺぽ"},                // semi-voiced marks
        {"ｳﾞｧｲｵﾘﾝ", "ヴァイオリン"},                 // ウ with a voiced mark is ヴ
        {"ト゛", "ど"},                              // a full-width mark after its kana
        {"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ", "がぎぐげござじずぜぞだぢづでど"},
        {"ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ", "ばびぶべぼ"},
        {"｢ｱｲｳ｣､｡･", "「あいう」、。・"},           // half-width punctuation
        {"ＡＢＣ　ｘｙｚ１２３", "abc xyz123"},       // full-width Latin, digits, space
        {"Perchlet", "PERCHLET"},
        {"ΑΒΓ ДЖЁ", "αβγ джё"},                     // Greek and Cyrillic capitals
        {"ー", "-"}, {"ｰ", "-"}, {"―", "-"}, {"‐", "-"}, {"－", "-"}, {"−", "-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(foldedText(c.one), foldedText(c.other)) << c.one << " / " << c.other;

    struct Kept {
        const char* one;
        const char* other;
    } kept[] = {
        {"か", "が"}, {"は", "ぱ"}, {"つ", "っ"}, {"あ", "ぁ"}, {"日本", "本日"}, {"~", "-"},
    };
    for (const Kept& k : kept) EXPECT_NE(foldedText(k.one), foldedText(k.other)) << k.one << " / " << k.other;
}

TEST(SearchText, FoldedWordsNeverMatchAcrossCharacters) {
    // In Shift-JIS the trail byte of 表 (95 5C) and ASCII "\" share a byte; folded text is
    // UTF-8, so a word matches whole characters only.
    EXPECT_EQ(foldedText("表").find(foldedText("\\")), std::string::npos);
    // A lone lead byte at the end does not swallow anything or crash.
    EXPECT_EQ(foldedText(std::string("a\x82", 2)), "a\xEF\xBF\xBD");
    EXPECT_EQ(foldedWords("  ツール\tExample　ａ  "), (std::vector<std::string>{foldedText("つーる"), "example", "a"}));
    EXPECT_TRUE(foldedWords(" 　 ").empty());
}

// UTF-8 text folds as Shift-JIS does, for characters Shift-JIS never held as well.
TEST(SearchText, FoldsUtf8TextForEveryCharacter) {
    auto fold = [](const char* utf8) {
        std::string out;
        appendFoldedText(utf8, TextEncoding::Utf8, out);
        return out;
    };
    struct Case {
        const char* one;
        const char* other;
    } cases[] = {
        {u8"ﾌﾞｯｸﾏｰｸ", u8"ぶっくまーく"},  {u8"ＡＢＣ　１２３", u8"abc 123"}, {u8"ΑΒΓ ДЖЁ", u8"αβγ джё"},
        {u8"カ\u3099ハ\u309A", u8"がぱ"},   // combining marks join their kana
        {u8"CAFÉ ŁÓDŹ Ÿ", u8"café łódź ÿ"}, {u8"ΆΈΏ", u8"άέώ"}, {u8"📚 読書", u8"📚 読書"},
    };
    for (const Case& c : cases) EXPECT_EQ(fold(c.one), fold(c.other)) << c.one;
    EXPECT_EQ(fold(u8"ｶﾞ"), foldedText("ｶﾞ"));
    EXPECT_EQ(fold("\xF0\x9F"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    const std::string korean = u8"한국어", books = u8"📚", query = u8"  한국어\t📚　ＡＢ ";
    EXPECT_EQ(foldedWords(query, TextEncoding::Utf8), (std::vector<std::string>{korean, books, "ab"}));
}

// root
//   ツール (folder): Example (link, comment 便利), ﾌﾞｯｸﾏｰｸ (link)
//   Other (folder): ブックマーク (link), Sub (folder): example.org (link to https://EXAMPLE.org/)
//   Example elsewhere (link)
struct SearchTree : TestTree {
    NodeId tools = add(root, kKindFolder, "ツール");
    NodeId example = add(tools, kKindWebLink, "Example", "http://example.com/", "便利なページ");
    NodeId halfWidth = add(tools, kKindWebLink, "ﾌﾞｯｸﾏｰｸ", "http://a.test/");
    NodeId other = add(root, kKindFolder, "Other");
    NodeId fullWidth = add(other, kKindWebLink, "ブックマーク", "http://b.test/");
    NodeId sub = add(other, kKindFolder, "Sub");
    NodeId orgLink = add(sub, kKindWebLink, "example.org", "https://EXAMPLE.org/");
    NodeId elsewhere = add(root, kKindWebLink, "Example elsewhere", "http://c.test/");
};

TEST(SearchIndex, EveryWordInTitleAddressCommentOrFolderPath) {
    SearchTree t;
    SearchIndex index(t.doc);
    struct Case {
        const char* query;
        std::vector<NodeId> hits;
    } cases[] = {
        {"ぶっくまーく", {t.halfWidth, t.fullWidth}},
        {"ツール Example", {t.example}},                 // a word in the folder path
        {"つーる", {t.tools, t.example, t.halfWidth}},    // the folder and what is in it
        {"EXAMPLE.ORG", {t.orgLink}},                     // title and address, any case
        {"example", {t.example, t.orgLink, t.elsewhere}},
        {"便利 example.com", {t.example}},                // comment and address
        {"ﾍﾞﾝﾘ", {}},                                    // kanji are not their reading
        {"other sub", {t.sub, t.orgLink}},               // folder path and title
        {"example nothing", {}},
        {"other sub example", {t.orgLink}},              // two folders of the path                          // every word must occur
        {"   ", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(index.find(c.query), c.hits) << c.query;
    EXPECT_EQ(folderPathOf(t.doc.tree, t.orgLink), "Perchlet/Other/Sub");
    EXPECT_EQ(folderPathOf(t.doc.tree, t.root), "");
}

TEST(SearchIndex, FollowsTheDocumentAsItChanges) {
    SearchTree t;
    SearchIndex index(t.doc);
    ASSERT_EQ(index.find("便利"), std::vector<NodeId>{t.example});

    // A record edited outside the tree, then told.
    t.doc.items.find(t.doc.tree.node(t.example).itemNumber)->comment = "不便";
    t.doc.tree.recordChanged(t.example);
    EXPECT_TRUE(index.find("便利").empty());
    EXPECT_EQ(index.find("不便"), std::vector<NodeId>{t.example});

    // A renamed folder changes the paths below it.
    t.doc.tree.setText(t.tools, "道具");
    EXPECT_TRUE(index.find("ツール").empty());
    EXPECT_EQ(index.find("道具 example"), std::vector<NodeId>{t.example});

    // Added, removed, cleared.
    NodeId added = t.add(t.sub, kKindWebLink, "ﾆｭｰｽ", "http://news.example/");
    EXPECT_EQ(index.find("にゅーす"), std::vector<NodeId>{added});
    t.doc.tree.removeSubtree(t.other);
    EXPECT_TRUE(index.find("にゅーす").empty());
    EXPECT_EQ(index.find("ぶっくまーく"), std::vector<NodeId>{t.halfWidth});
    resetDocument(t.doc);
    EXPECT_TRUE(index.find("example").empty());
    NodeId root = insertRootItem(t.doc);
    EXPECT_EQ(index.find("perchlet"), std::vector<NodeId>{root});
}

TEST(Duplicates, AddressesAreTheSamePageOnceNormalised) {
    struct Case {
        const char* address;
        const char* normalized;
        bool join;
    } cases[] = {
        {"HTTP://WWW.Example.COM/Path/", "http://www.example.com/Path", false},   // path keeps its case
        {"http://example.com:80/", "http://example.com", false},
        {"https://example.com:443/a#top", "https://example.com/a", false},
        {"http://example.com:8080/", "http://example.com:8080", false},
        {"https://example.com/a?utm_source=x&id=3&UTM_medium=y&fbclid=1&gclid=2", "https://example.com/a?id=3", false},
        {"http://example.com/?utm_campaign=z", "http://example.com", false},
        {"https://example.com/a", "https://example.com/a", false},
        {"https://example.com/a", "http://example.com/a", true},
        {"http://User@Example.com:80/", "http://User@example.com", false},
        {"http://[::1]:8080/x/", "http://[::1]:8080/x", false},
        {"mailto:Someone@Example.com", "mailto:Someone@Example.com", false},
        {"C:\\Tools\\App.exe", "C:\\Tools\\App.exe", false},
    };
    for (const Case& c : cases) {
        AddressOptions options;
        options.joinHttpAndHttps = c.join;
        EXPECT_EQ(normalizedAddress(c.address, options), c.normalized) << c.address;
    }
}

TEST(Duplicates, GroupsInTreeOrderAndHttpsApartUnlessJoined) {
    TestTree t;
    NodeId folder = t.add(t.root, kKindFolder, "Folder");
    NodeId a1 = t.add(folder, kKindWebLink, "a", "http://example.com/a?utm_source=feed");
    NodeId b1 = t.add(t.root, kKindWebLink, "b", "https://example.com/b");
    NodeId a2 = t.add(t.root, kKindWebLink, "a again", "http://EXAMPLE.com/a/#part");
    NodeId b2 = t.add(t.root, kKindWebLink, "b plain", "http://example.com/b");
    t.add(t.root, kKindFolder, "empty folder");
    t.add(t.root, kKindFolder, "another empty folder");

    std::vector<DuplicateGroup> apart = findDuplicates(t.doc);
    ASSERT_EQ(apart.size(), 1u);
    EXPECT_EQ(apart[0].address, "http://example.com/a");
    EXPECT_EQ(apart[0].nodes, (std::vector<NodeId>{a1, a2}));

    AddressOptions join;
    join.joinHttpAndHttps = true;
    std::vector<DuplicateGroup> joined = findDuplicates(t.doc, join);
    ASSERT_EQ(joined.size(), 2u);
    EXPECT_EQ(joined[1].nodes, (std::vector<NodeId>{b1, b2}));
}

}  // namespace
