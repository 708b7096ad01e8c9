// The readers of browsers' own files and how their bookmarks enter the document: the
// details the tool's fixture comparison does not reach (damaged structure, depth, loops,
// profile discovery, names and dates).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "exchange/browser_profiles.h"
#include "exchange/chromium_bookmarks.h"
#include "exchange/firefox_places.h"
#include "test_tree.h"

using namespace perchlet;
namespace fs = std::filesystem;

namespace {

// A folder of the test's own, removed afterwards.
struct TempFolder {
    fs::path path;
    TempFolder() {
        path = fs::temp_directory_path() / ("perchlet-browser-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    fs::path write(const std::string& relative, const std::string& bytes) const {
        fs::path file = path / fs::u8path(relative);
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
};

std::string sourceFile(const std::string& relative) {
    std::ifstream in(std::string(PERCHLET_SOURCE_DIR) + "/" + relative, std::ios::binary);
    EXPECT_TRUE(in) << relative;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void runSql(const fs::path& database, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.u8string().c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// "folder:1:title" or "link:2:title" for each item, for comparing shapes at a glance.
std::vector<std::string> shapeOf(const BrowserBookmarks& bookmarks) {
    std::vector<std::string> shape;
    for (const BrowserBookmark& item : bookmarks.items)
        shape.push_back(std::string(item.folder ? "folder:" : "link:") + std::to_string(item.depth) + ":" + item.title);
    return shape;
}

std::string urlJson(const std::string& name, const std::string& url) {
    return R"({"type": "url", "name": ")" + name + R"(", "url": ")" + url + R"(", "date_added": "13340000000000000"})";
}

}  // namespace

TEST(ChromiumBookmarks, DamagedOrForeignTextIsToldApart) {
    struct Case {
        const char* what;
        std::string json;
        bool read;
        BrowserReadFailure failure;
        std::vector<std::string> shape;
    } cases[] = {
        {"not JSON", "<!DOCTYPE NETSCAPE-Bookmark-file-1>", false, BrowserReadFailure::NotJson, {}},
        {"cut short", R"({"roots": {"bookmark_bar": {"children": [)", false, BrowserReadFailure::NotJson, {}},
        {"JSON of another kind", R"([1, 2, 3])", false, BrowserReadFailure::NotBookmarks, {}},
        {"roots without folders", R"({"roots": {"bookmark_bar": "x", "other": 3}})", false,
         BrowserReadFailure::NotBookmarks, {}},
        {"empty roots", R"({"roots": {"bookmark_bar": {"children": []}, "other": {"children": []}}})", true, {}, {}},
        {"wrong types inside are passed over",
         R"({"roots": {"other": {"children": [7, "x", {"type": "url", "name": 5, "url": ["x"]},)"
         R"({"type": "folder", "name": "F", "children": "none"}, {"type": "unknown"},)" +
             urlJson("ok", "http://ok.example/") + "]}}}",
         true, {}, {"folder:0:その他のブックマーク", "link:1:", "folder:1:F", "link:1:ok"}},
        {"a byte order mark before the text", "\xEF\xBB\xBF" R"({"roots": {"synced": {"children": [)" +
             urlJson("m", "http://m.example/") + "]}}}",
         true, {}, {"folder:0:モバイルのブックマーク", "link:1:m"}},
    };
    for (const Case& c : cases) {
        BrowserRead read = readChromiumBookmarks(c.json);
        ASSERT_EQ(read.bookmarks.has_value(), c.read) << c.what;
        if (!c.read) {
            EXPECT_EQ(read.failure, c.failure) << c.what;
            continue;
        }
        EXPECT_EQ(shapeOf(*read.bookmarks), c.shape) << c.what;
    }
}

TEST(ChromiumBookmarks, TitlesAddressesAndDates) {
    std::string json = u8R"json({"roots": {"bookmark_bar": {"date_added": "13340000000000000", "children": [
        {"type": "url", "name": "日本語 😀\r\nの題", "url": "https://例え.jp/😀?q=ü", "date_added": "11644473600000000",
         "date_last_used": "13345000000000000"},
        {"type": "url", "name": "", "url": "javascript:alert(1)", "date_added": "0",
         "meta_info": {"last_visited_desktop": "13346000000000000"}},
        {"type": "url", "name": "P", "url": "place:sort=8", "date_added": "1"},
        {"type": "url", "name": "N", "url": "http://n.example/", "date_added": "12345678901234567890"}]}}})json";
    BrowserRead read = readChromiumBookmarks(json);
    ASSERT_TRUE(read.bookmarks);
    const BrowserBookmarks& bookmarks = *read.bookmarks;
    ASSERT_EQ(bookmarks.items.size(), 4u);
    EXPECT_EQ(bookmarks.items[0].addDate, "1695526400");
    const BrowserBookmark& first = bookmarks.items[1];
    EXPECT_EQ(first.title, "日本語 の題");
    EXPECT_EQ(first.address, "https://例え.jp/%F0%9F%98%80?q=%C3%BC");
    EXPECT_EQ(first.addDate, "");  // the first moment of 1970 is no date a user made
    EXPECT_EQ(first.lastVisit, "1700526400");
    const BrowserBookmark& untitled = bookmarks.items[2];
    EXPECT_EQ(untitled.title, "javascript:alert(1)");
    EXPECT_EQ(untitled.addDate, "");
    EXPECT_EQ(untitled.lastVisit, "1701526400");
    EXPECT_EQ(bookmarks.items[3].addDate, "");  // too long to be a time
    EXPECT_EQ(bookmarks.links, 3u);
    EXPECT_EQ(bookmarks.queriesLeftOut, 1u);
}

TEST(ChromiumBookmarks, ProfileNamesFromLocalState) {
    EXPECT_EQ(chromiumProfileNames(sourceFile("tests/data/browsers/Local State")),
              (std::map<std::string, std::string>{{"Default", u8"仕事用"}, {"Profile 2", "Person 2"}}));
    EXPECT_TRUE(chromiumProfileNames("{\"profile\": 3}").empty());
    EXPECT_TRUE(chromiumProfileNames("not json").empty());
}

TEST(BrowserImport, DeepFoldersStayOnTheDeepestLevelThereIs) {
    // Nested deeper than an item number can count: nothing is lost, the deepest items stay
    // on the last level, in order.
    constexpr int kLevels = 5000;
    std::string json = R"({"roots": {"other": {"children": [)";
    for (int i = 0; i < kLevels; ++i) json += R"({"type": "folder", "name": "f", "children": [)";
    json += urlJson("bottom", "http://bottom.example/");
    for (int i = 0; i < kLevels; ++i) json += "]}";
    json += "]}}}";
    BrowserRead read = readChromiumBookmarks(json);
    ASSERT_TRUE(read.bookmarks);
    EXPECT_EQ(read.bookmarks->items.size(), static_cast<std::size_t>(kLevels) + 2);

    perchlet::testing::TestTree tree;
    ImportResult result = importBrowserProfile(*read.bookmarks, "Chromium ― Default", tree.doc, tree.root);
    EXPECT_EQ(result.count, static_cast<std::size_t>(kLevels) + 3);
    NodeId node = tree.child(tree.root, 0);
    while (tree.children(node).size() == 1) node = tree.child(node, 0);
    std::vector<NodeId> deepest = tree.children(node);
    ASSERT_GT(deepest.size(), 1u);
    EXPECT_EQ(depthOf(tree.doc.tree.node(deepest.back()).itemNumber), kMaxDepth);
    EXPECT_EQ(tree.doc.tree.node(deepest.back()).text, "bottom");
    for (NodeId each : deepest) EXPECT_EQ(tree.doc.tree.firstChild(each), kNoNode);
}

TEST(BrowserImport, OneFolderUnderTheTargetHoldsTheRoots) {
    BrowserRead read = readChromiumBookmarks(sourceFile("tests/data/browsers/Bookmarks"));
    ASSERT_TRUE(read.bookmarks);
    perchlet::testing::TestTree tree;
    NodeId before = tree.add(tree.root, kKindWebLink, "already here", "http://here.example/");
    tree.doc.modified = false;
    ImportResult result = importBrowserProfile(*read.bookmarks, "Google Chrome ― 仕事用", tree.doc, tree.root);
    EXPECT_TRUE(tree.doc.modified);
    ASSERT_EQ(tree.children(tree.root).size(), 2u);
    EXPECT_EQ(tree.child(tree.root, 0), before);
    NodeId folder = tree.child(tree.root, 1);
    EXPECT_EQ(result.lastCreated, folder);
    EXPECT_EQ(result.count, read.bookmarks->items.size() + 1);
    EXPECT_EQ(tree.doc.tree.node(folder).text, "Google Chrome ― 仕事用");
    EXPECT_EQ(kindOf(tree.doc.tree.node(folder).itemNumber), kKindFolder);
    EXPECT_EQ(tree.childTitles(folder), (std::vector<std::string>{"ブックマーク バー", "その他のブックマーク"}));
    NodeId news = tree.child(tree.child(folder, 0), 1);
    EXPECT_EQ(tree.childTitles(news), (std::vector<std::string>{"朝のニュース", "深い フォルダ", "Emoji  page"}));
    const BookmarkItem& morning = tree.record(tree.child(news, 0));
    EXPECT_EQ(morning.locator, "https://news.example.jp/朝?q=日本語");
    EXPECT_EQ(morning.addDate, "1695526500");
    EXPECT_EQ(morning.parentNumber, static_cast<std::uint32_t>(tree.doc.tree.node(news).itemNumber));
}

TEST(FirefoxPlaces, FoldersThatHoldEachOtherAndForeignDatabases) {
    TempFolder temp;
    const std::string schema = sourceFile("tests/data/browsers/places.sql");
    struct Case {
        const char* what;
        std::string sql;  // run on a fresh database; empty: the file is written as bytes
        std::string bytes;
        bool read;
        BrowserReadFailure failure;
        std::vector<std::string> shape;
    } cases[] = {
        {"a folder inside itself and two inside each other are read once",
         schema + "UPDATE moz_bookmarks SET parent = 12 WHERE id = 12; UPDATE moz_bookmarks SET parent = 15 WHERE id = 14;"
                  "DELETE FROM moz_bookmarks WHERE parent IN (3, 5);",
         "", true, {},
         {"folder:0:ブックマークメニュー", "folder:1:Mozilla Firefox", "link:2:Get Help", "link:2:About Us"}},
        {"no bookmark tables", "CREATE TABLE moz_places (id INTEGER);", "", false, BrowserReadFailure::NotBookmarks, {}},
        {"tables without the roots", schema + "DELETE FROM moz_bookmarks WHERE id <= 6;", "", false,
         BrowserReadFailure::NotBookmarks, {}},
        {"not SQLite", "", "<!DOCTYPE NETSCAPE-Bookmark-file-1>", false, BrowserReadFailure::NotSqlite, {}},
        {"an SQLite header and nothing else", "", std::string("SQLite format 3\0", 16) + std::string(3000, '\x7f'),
         false, BrowserReadFailure::NotSqlite, {}},
    };
    int index = 0;
    for (const Case& c : cases) {
        fs::path file = temp.path / std::to_string(index++) / "places.sqlite";
        fs::create_directories(file.parent_path());
        if (c.sql.empty()) temp.write(file.lexically_relative(temp.path).u8string(), c.bytes);
        else runSql(file, c.sql);
        BrowserRead read = readFirefoxPlaces(file);
        ASSERT_EQ(read.bookmarks.has_value(), c.read) << c.what << ": " << read.detail;
        if (!c.read) {
            EXPECT_EQ(read.failure, c.failure) << c.what << ": " << read.detail;
            continue;
        }
        EXPECT_EQ(shapeOf(*read.bookmarks), c.shape) << c.what;
    }
    EXPECT_EQ(readFirefoxPlaces(temp.path / "missing.sqlite").failure, BrowserReadFailure::Unreadable);
}

TEST(FirefoxPlaces, ProfilesIni) {
    const fs::path firefox = fs::path("base") / "Firefox";
    std::string ini = sourceFile("tests/data/browsers/profiles.ini") +
                      u8"[Profile2]\r\nName=外の\r\nIsRelative=0\r\nPath=/elsewhere/x.default\r\n"
                      "[Profile3]\r\nIsRelative=1\r\nPath=Profiles\\back.slash\r\n"
                      "[Profile4]\r\nName=no path\r\n";
    std::vector<FirefoxProfileEntry> profiles = firefoxProfilesFromIni(ini, firefox);
    ASSERT_EQ(profiles.size(), 4u);
    EXPECT_EQ(profiles[0].name, "default");
    EXPECT_EQ(profiles[0].folder, firefox / "Profiles" / "wxyz5678.default");
    EXPECT_EQ(profiles[1].name, "default-release");
    EXPECT_EQ(profiles[2].name, u8"外の");
    EXPECT_EQ(profiles[2].folder, fs::path("/elsewhere/x.default"));
    EXPECT_EQ(profiles[3].name, "Profiles\\back.slash");
    EXPECT_EQ(profiles[3].folder, firefox / "Profiles" / "back.slash");
}

TEST(BrowserProfiles, FoundUnderEachRootInOrder) {
    TempFolder temp;
    const std::string bookmarks = sourceFile("tests/data/browsers/Bookmarks");
    for (const char* folder : {"Profile 10", "Default", "Profile 2", "Guest Profile", "Profile x"})
        temp.write(std::string("local/Google/Chrome/User Data/") + folder + "/Bookmarks", bookmarks);
    temp.write("local/Google/Chrome/User Data/Local State", sourceFile("tests/data/browsers/Local State"));
    temp.write("local/Google/Chrome/User Data/Profile 3/Preferences", "{}");  // no bookmarks yet
    temp.write("local/Vivaldi/User Data/Default/Bookmarks", bookmarks);
    temp.write("home/.config/BraveSoftware/Brave-Browser/Default/Bookmarks", bookmarks);
    temp.write("roaming/Mozilla/Firefox/profiles.ini", sourceFile("tests/data/browsers/profiles.ini"));
    temp.write("roaming/Mozilla/Firefox/Profiles/abcd1234.default-release/places.sqlite", "");
    temp.write("home/.mozilla/firefox/profiles.ini", "[Profile0]\nName=linux\nPath=p\n");
    temp.write("home/.mozilla/firefox/p/places.sqlite", "");

    BrowserHomeFolders folders{temp.path / "local", temp.path / "roaming", temp.path / "home"};
    std::vector<std::string> labels;
    for (const BrowserProfile& profile : findBrowserProfiles(folders)) labels.push_back(browserProfileLabel(profile));
    EXPECT_EQ(labels, (std::vector<std::string>{"Google Chrome ― 仕事用", "Google Chrome ― Person 2",
                                                "Google Chrome ― Profile 10", "Brave ― Default", "Vivaldi ― Default",
                                                "Firefox ― default-release", "Firefox ― linux"}));
    EXPECT_TRUE(findBrowserProfiles(BrowserHomeFolders{}).empty());
}
