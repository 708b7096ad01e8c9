// A UTF-8 document keeps every character through every format it is written in and read back from.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "exchange/browser_bookmarks.h"
#include "exchange/chromium_bookmarks.h"
#include "exchange/csv.h"
#include "exchange/favorites.h"
#include "exchange/favorites_fs.h"
#include "exchange/tree_html.h"
#include "store/data_file.h"
#include "every_character_texts.h"
#include "test_tree.h"

using namespace perchlet;
using perchlet::testing::NoShellIcons;
using perchlet::testing::TestTree;

namespace {

const std::vector<std::string>& kTexts = perchlet::testing::kEveryCharacterTexts;

// A folder and a link of every text, the link's address and comment holding it too.
struct EveryText : TestTree {
    EveryText() {
        for (const std::string& text : kTexts) {
            NodeId folder = add(root, kKindFolder, text);
            add(folder, kKindWebLink, text, "http://example.com/" + text, text);
        }
    }
};

struct Texts {
    std::vector<std::string> titles, locators, comments;
};

Texts textsBelow(const Document& doc, NodeId top) {
    Texts texts;
    doc.tree.walkSubtree(top, [&](NodeId node) {
        if (node == top) return;
        const BookmarkItem& record = recordOfNode(doc, node);
        texts.titles.push_back(record.title);
        texts.locators.push_back(record.locator);
        texts.comments.push_back(record.comment);
    });
    return texts;
}

std::vector<std::string> sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

}  // namespace

TEST(EveryCharacter, ComesBackThroughEveryFormat) {
    EveryText t;
    const Texts written = textsBelow(t.doc, t.root);
    NoShellIcons icons;

    Document fromDataFile;
    loadDataFile(writeDataFile(t.doc, kTopLevel, 0, TextEncoding::Utf8), fromDataFile, icons, TextEncoding::Utf8);
    const Texts dataFile = textsBelow(fromDataFile, fromDataFile.tree.firstTopLevel());
    EXPECT_EQ(dataFile.titles, written.titles);
    EXPECT_EQ(dataFile.locators, written.locators);
    EXPECT_EQ(dataFile.comments, written.comments);

    TestTree netscape;
    const std::string page = exportNetscapeAs(t.doc, t.root, TextEncoding::Utf8);
    EXPECT_NE(page.find("charset=UTF-8"), std::string::npos);
    importNetscape(page, netscape.doc, netscape.root, TextEncoding::Utf8);
    const Texts html = textsBelow(netscape.doc, netscape.doc.tree.firstChild(netscape.root));
    EXPECT_EQ(html.titles, written.titles);
    EXPECT_EQ(html.locators, written.locators);
    EXPECT_EQ(html.comments, written.comments);

    // The tree page is written only: every text is on it, escaped, under a UTF-8 charset.
    const std::string treePage = exportTreeHtmlAs(t.doc, t.root, TextEncoding::Utf8);
    EXPECT_NE(treePage.find("charset=UTF-8"), std::string::npos);
    EXPECT_NE(treePage.find(u8"\u2514\u3000"), std::string::npos);  // the drawing, in UTF-8 too
    for (const std::string& text : kTexts) EXPECT_NE(treePage.find(">" + text + "</A>"), std::string::npos) << text;

    // CSV rows come back as links, folders included, in the same order.
    TestTree csv;
    const std::string sheet = exportCsv(t.doc, t.root, u8"C:\\ツール", TextEncoding::Utf8);
    EXPECT_EQ(sheet.compare(0, 3, "\xEF\xBB\xBF"), 0);
    importCsv(sheet, csv.doc, csv.root, CsvText::Utf8, TextEncoding::Utf8);
    const Texts rows = textsBelow(csv.doc, csv.root);
    ASSERT_EQ(rows.titles.size(), written.titles.size() + 1);
    EXPECT_EQ(std::vector<std::string>(rows.titles.begin() + 1, rows.titles.end()), written.titles);
    EXPECT_EQ(std::vector<std::string>(rows.comments.begin() + 1, rows.comments.end()), written.comments);

    // Favorites keep titles as names and addresses in the shortcut files.
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("every_character_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    DiskFavoritesFileSystem disk;
    FavoritesExportResult exported =
        exportFavorites(t.doc, t.root, folder, disk, AfterFailedWrite::CarryOn, ExistingFiles::Replace, TextEncoding::Utf8);
    EXPECT_TRUE(exported.failedWrites.empty());
    TestTree favorites;
    importFavorites(favorites.doc, favorites.root, folder / u8"Perchlet", disk, TextEncoding::Utf8);
    std::filesystem::remove_all(folder);
    const Texts shortcuts = textsBelow(favorites.doc, favorites.root);
    EXPECT_EQ(sorted(shortcuts.titles), sorted(written.titles));
    EXPECT_EQ(sorted(shortcuts.locators), sorted(written.locators));
}

// A Chromium Bookmarks file into a UTF-8 document: every title whole, and a lone surrogate
// escape as the U+FFFD the table holds.
TEST(EveryCharacter, ComesInFromABrowsersFile) {
    std::string json = R"({"roots": {"bookmark_bar": {"type": "folder", "name": "bar", "children": [)";
    for (const std::string& text : kTexts) {
        std::string name = text == u8"\uFFFD" ? "\\ud83d" : text;
        json += R"({"type": "url", "name": ")" + name + R"(", "url": "http://example.com/"},)";
    }
    json.back() = ']';
    json += "}}}";
    BrowserRead read = readChromiumBookmarks(json, TextEncoding::Utf8);
    ASSERT_TRUE(read.bookmarks) << read.detail;
    EXPECT_EQ(read.bookmarks->markedItems, 0u);
    TestTree t;
    addBrowserBookmarks(std::move(*read.bookmarks), t.doc, t.root);
    NodeId bar = t.doc.tree.firstChild(t.root);
    EXPECT_EQ(textsBelow(t.doc, bar).titles, kTexts);
}
