// The readers of browsers' own files and how their bookmarks enter the document: the
// details the tool's fixture comparison does not reach (damaged structure, depth, loops,
// profile discovery, names and dates).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
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
    return R"({"type": "url", "name": ")" + name + R"(", "url": ")" + url + R"("})";
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
        {"times that are none: the first moment of 1970, and too many digits",
         R"({"roots": {"other": {"children": [{"type": "url", "name": "t", "url": "http://t.example/",)"
         R"("date_added": "11644473600000000", "date_last_used": "12345678901234567890"}]}}})",
         true, {}, {"folder:0:その他のブックマーク", "link:1:t"}},
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
        for (const BrowserBookmark& item : read.bookmarks->items)
            EXPECT_EQ(item.addDate.str() + item.lastVisit, "") << c.what;  // no date here is one that counts
    }
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

TEST(BrowserImport, CharactersWithoutShiftJisAreMarkedAndCountedAsTheNetscapeImportDoes) {
    // Folder and link titles: each run becomes one mark; addresses keep every character,
    // percent-encoded. (The tool's test compares the Firefox reader's titles too.)
    std::string json = std::string(u8R"({"roots": {"other": {"children": [)"
                                   u8R"({"type": "folder", "name": "📚 読書メモ 🇯🇵", "children": [)") +
                       urlJson(u8"한국어 페이지", u8"http://ko.example/😀") + "]}," +
                       urlJson(u8"Ελληνικά", "http://el.example/") + "," + urlJson(u8"Café – naïve", "http://fr.example/") +
                       "," + urlJson("plain", "http://plain.example/") + "]}}}";
    BrowserRead chromium = readChromiumBookmarks(json);
    ASSERT_TRUE(chromium.bookmarks);
    EXPECT_EQ(shapeOf(*chromium.bookmarks),
              (std::vector<std::string>{"folder:0:その他のブックマーク", "folder:1:〓 読書メモ 〓", "link:2:〓 〓",
                                        "link:1:Ελληνικ〓", "link:1:Caf〓 〓 na〓ve", "link:1:plain"}));
    EXPECT_EQ(chromium.bookmarks->items[2].address, "http://ko.example/%F0%9F%98%80");
    perchlet::testing::TestTree tree;
    ImportResult result = importBrowserProfile(*chromium.bookmarks, "Chromium ― Default", tree.doc, tree.root);
    EXPECT_EQ(result.markedItems, 4u);
    EXPECT_EQ(result.firstMarkedTitle, "〓 読書メモ 〓");
}

TEST(ChromiumBookmarks, DamagedPartsAreCounted) {
    struct Case {
        const char* what;
        std::string roots;
        std::size_t damaged;
    } cases[] = {
        {"a root whose children are no list", R"("bookmark_bar": {"children": "x"}, "other": {"children": [)" +
                                                  urlJson("ok", "http://ok.example/") + "]}",
         1},
        {"a root that is no object, and entries that are none or of no known type",
         R"("synced": 4, "other": {"children": [7, "x", [], {"type": "unknown"},)" + urlJson("ok", "http://ok.example/") +
             "]}",
         5},
        {"a folder whose children are no list comes in empty",
         R"("other": {"children": [{"type": "folder", "name": "F", "children": "none"}]})", 1},
        {"a whole file", R"("bookmark_bar": {"children": []}, "other": {"children": [)" + urlJson("ok", "http://ok.example/") + "]}", 0},
    };
    for (const Case& c : cases) {
        BrowserRead read = readChromiumBookmarks(R"({"roots": {)" + c.roots + "}}");
        ASSERT_TRUE(read.bookmarks) << c.what;
        EXPECT_EQ(read.bookmarks->damagedLeftOut, c.damaged) << c.what;
    }
}

TEST(FirefoxPlaces, OnlyWhatSqliteReadsIsCopiedAndHugeFilesAreRefused) {
    TempFolder temp;
    fs::path source = temp.path / "source.sqlite";
    runSql(source, sourceFile("tests/data/browsers/places.sql"));
    const std::uintmax_t used = fs::file_size(source);
    std::string walHeader("\x37\x7f\x06\x82\x00\x2d\xe2\x18\x00\x00\x10\x00", 12);
    walHeader += std::string(20, '\0');
    constexpr std::uintmax_t kGiB = std::uintmax_t{1} << 30;
    struct Case {
        const char* what;
        std::uintmax_t size;            // the database made this long by a sparse tail
        std::string wal;                // how a -wal beside it starts; empty: none
        std::uintmax_t walSize;
        bool read;
    } cases[] = {
        {"a sparse tail beyond the pages the header counts", 256 << 20, "", 0, true},
        {"a sparse file over the bound", 6 * kGiB, "", 0, false},
        {"a -wal that is no WAL is passed over, as SQLite would", used, "garbage", 4 * kGiB, true},
        {"a WAL that would take the copy over the bound", used, walHeader, kGiB, false},
    };
    int index = 0;
    for (const Case& c : cases) {
        fs::path places = temp.path / std::to_string(index++) / "places.sqlite";
        fs::create_directories(places.parent_path());
        fs::copy_file(source, places);
        fs::resize_file(places, c.size);
        if (!c.wal.empty()) {
            fs::path wal = places;
            wal += "-wal";
            std::ofstream(wal, std::ios::binary) << c.wal;
            fs::resize_file(wal, c.walSize);
        }
        BrowserRead read = readFirefoxPlaces(places);
        EXPECT_EQ(read.bookmarks.has_value(), c.read) << c.what << ": " << read.detail;
        if (!c.read) {
            EXPECT_EQ(read.failure, BrowserReadFailure::TooLarge) << c.what;
        }
    }
}

TEST(ChromiumBookmarks, TakesAndRefusesTheTextsNlohmannsStrictParserDoes) {
    // Valid JSON without bookmark roots is NotBookmarks; anything the parser refuses, NotJson.
    const std::string texts[] = {
        "[]", "  {}\r\n", "\xEF\xBB\xBF{}", "\xEF\xBB{}", "{\"a\": [1, -0, 0.5, 2e+3, 4E-2, true, false, null]}",
        "[01]", "[1.]", "[.5]", "[-]", "[1e]", "[1e400]", "[12345678901234567890123]", std::string(400, '9'),
        "[1,]", "{\"a\" 1}", "{,}", "[tru]", "[nul]", "[] x", std::string("[1]\0x", 5), std::string("[\"\0\"]", 5),
        "[\"\x01\"]", "[\"\x7F\"]", "[\"\\q\"]", "[\"\\u12\"]", "[\"\\u00e9\\/\\b\"]", "[\"\xC3\xA9\"]",
        "[\"\xC0\x80\"]", "[\"\xED\xA0\x80\"]", "[\"\xF4\x90\x80\x80\"]", "[\"\xE3\x81\"]", "[\"\xFF\"]",
        "\"unterminated", "",
    };
    for (const std::string& text : texts) {
        BrowserRead read = readChromiumBookmarks(text);
        ASSERT_FALSE(read.bookmarks.has_value()) << text;
        bool taken = read.failure == BrowserReadFailure::NotBookmarks;
        EXPECT_EQ(taken, nlohmann::json::accept(text)) << text;
    }
}
