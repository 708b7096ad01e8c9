#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "exchange/favorites.h"
#include "exchange/favorites_case.h"
#include "exchange/favorites_fs.h"
#include "store/encoding.h"
#include "store/tree_population.h"
#include "test_tree.h"

using namespace perchlet;
namespace fs = std::filesystem;

namespace {

struct Tree : perchlet::testing::TestTree {};

// A fresh directory for one test, removed afterwards.
class FavoritesOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("perchlet_favorites_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The directory as the core names it (Shift-JIS; plain ASCII here).
    std::string dir() const { return dir_.string(); }
    fs::path at(const std::string& relativeUtf8) const { return dir_ / fs::u8path(relativeUtf8); }
    void writeFile(const std::string& relativeUtf8, const std::string& bytes) const {
        fs::create_directories(at(relativeUtf8).parent_path());
        std::ofstream(at(relativeUtf8), std::ios::binary) << bytes;
    }
    std::string readFile(const std::string& relativeUtf8) const {
        std::ifstream in(at(relativeUtf8), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path dir_;
    DiskFavoritesFileSystem disk_;
};

}  // namespace

// ---------------------------------------------------------------- shortcut files and names

TEST(InternetShortcut, WrittenTextAndTheValueReadBack) {
    EXPECT_EQ(internetShortcutText("http://a/"), "[InternetShortcut]\r\nURL=http://a/\r\n");
    EXPECT_EQ(internetShortcutUrl(internetShortcutText("http://a/?q=1")), "http://a/?q=1");
    EXPECT_EQ(internetShortcutUrl("[internetshortcut]\nurl = \"http://quoted/\" \n"), "http://quoted/");
    EXPECT_EQ(internetShortcutUrl("[Other]\r\nURL=http://wrong/\r\n[InternetShortcut]\r\nIconIndex=0\r\n"),
              kUrlNotFound);
    EXPECT_EQ(internetShortcutUrl("URL=http://no-section/"), kUrlNotFound);
    EXPECT_EQ(internetShortcutUrl(""), kUrlNotFound);
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[InternetShortcut]\r\nURL=http://w/\r\n")) utf16 += std::string{c, '\0'};
    EXPECT_EQ(internetShortcutUrl(utf16), "http://w/");
    // Long addresses are kept up to the locator's size.
    std::string longUrl = "http://l/" + std::string(1500, 'x');
    EXPECT_EQ(internetShortcutUrl(internetShortcutText(longUrl)), longUrl.substr(0, kTextFieldMax));
}

TEST(InternetShortcut, CorpusShortcutWithAPropertyStoreSectionFirst) {
    std::ifstream in(std::string(PERCHLET_SOURCE_DIR) + "/tests/data/corpus/url/Bing.url", std::ios::binary);
    ASSERT_TRUE(in);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(internetShortcutUrl(text), "http://go.microsoft.com/fwlink/p/?LinkId=255142");
}

TEST(FavoritesName, CleansTitlesIntoNamesWindowsAccepts) {
    EXPECT_EQ(favoritesName("a/b:c"), "a-b-c");
    EXPECT_EQ(favoritesName("2004/01/02"), "2004-01-02");
    EXPECT_EQ(favoritesName("\\lead|pipe\x01"), "leadpipe");
    EXPECT_EQ(favoritesName("表示"), "表示");  // 表 ends in the byte of a backslash
    EXPECT_EQ(favoritesName("."), "_");
    EXPECT_EQ(favoritesName(".."), "_");
    EXPECT_EQ(favoritesName(""), "_");
    EXPECT_EQ(favoritesName("\r\n"), "_");
    EXPECT_EQ(favoritesName("name. . "), "name");
    EXPECT_EQ(favoritesName(" lead blank"), " lead blank");
    EXPECT_EQ(favoritesName("CON"), "_CON");
    EXPECT_EQ(favoritesName("con.txt"), "_con.txt");
    EXPECT_EQ(favoritesName("Lpt9"), "_Lpt9");
    EXPECT_EQ(favoritesName("nul .x"), "_nul .x");
    EXPECT_EQ(favoritesName("COM1."), "_COM1");
    EXPECT_EQ(favoritesName("CONSOLE"), "CONSOLE");
    EXPECT_EQ(favoritesName("COM10"), "COM10");
}

// ---------------------------------------------------------------- export

TEST_F(FavoritesOnDisk, RootExportMakesPerchletWithEveryLinkBesideItsFolders) {
    Tree t;
    NodeId top = t.add(t.root, kKindFolder, "Top");
    t.add(top, kKindFolder, "Empty");
    t.add(top, kKindWebLink, "after empty", "http://a/");
    t.add(t.root, kKindWebLink, "2004/01/02", "http://date/");
    t.add(t.root, kKindWebLink, "same", "http://first/");
    t.add(t.root, kKindWebLink, "same", "http://second/");
    t.add(t.root, kKindMailLink, "mail", "mailto:x@y");
    t.add(t.root, kKindLocalFile, "program", "C:\\app.exe");
    t.add(t.root, kKindShellLink, "shell", "shell::x");
    t.add(t.root, kKindWebLink, "CON", "http://device/");

    FavoritesExportResult result = exportFavorites(t.doc, t.root, dir(), disk_, AfterFailedWrite::Stop);
    EXPECT_EQ(result.filesWritten, 6u);
    EXPECT_EQ(result.directoriesMade, 3u);
    EXPECT_TRUE(result.failedWrites.empty());
    EXPECT_EQ(readFile("Perchlet/Top/after empty.url"), "[InternetShortcut]\r\nURL=http://a/\r\n");
    EXPECT_TRUE(fs::is_directory(at("Perchlet/Top/Empty")));
    EXPECT_TRUE(fs::is_empty(at("Perchlet/Top/Empty")));
    EXPECT_EQ(readFile("Perchlet/2004-01-02.url"), "[InternetShortcut]\r\nURL=http://date/\r\n");
    EXPECT_EQ(readFile("Perchlet/same.url"), "[InternetShortcut]\r\nURL=http://first/\r\n");
    EXPECT_EQ(readFile("Perchlet/same (2).url"), "[InternetShortcut]\r\nURL=http://second/\r\n");
    EXPECT_EQ(readFile("Perchlet/mail.url"), "[InternetShortcut]\r\nURL=mailto:x@y\r\n");
    EXPECT_EQ(readFile("Perchlet/_CON.url"), "[InternetShortcut]\r\nURL=http://device/\r\n");
    EXPECT_FALSE(fs::exists(at("Perchlet/program.url")));
    EXPECT_FALSE(fs::exists(at("Perchlet/shell.url")));
}

TEST_F(FavoritesOnDisk, SubtreeExportOfALinkWritesOneFileAndJapaneseNamesReachTheDisk) {
    Tree t;
    NodeId link = t.add(t.root, kKindWebLink, "日本語のページ", "http://jp/");
    t.add(link, kKindWebLink, "child of a link", "http://never/");
    FavoritesExportResult result = exportFavorites(t.doc, link, dir(), disk_, AfterFailedWrite::Stop);
    EXPECT_EQ(result.filesWritten, 1u);
    EXPECT_EQ(readFile(u8"日本語のページ.url"), "[InternetShortcut]\r\nURL=http://jp/\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FavoritesOnDisk, FoldersBelowSixteenLevelsAreMadeButNotFilled) {
    Tree t;
    NodeId parent = t.root;
    for (int level = 1; level <= 18; ++level) {
        parent = t.add(parent, kKindFolder, "d");
        t.add(parent, kKindWebLink, "l", "http://l/");
    }
    FavoritesExportResult result = exportFavorites(t.doc, t.root, dir(), disk_, AfterFailedWrite::Stop);
    // The root is level 1; the folder at level 17 is made and left empty.
    std::string level16 = "Perchlet";
    for (int i = 0; i < 15; ++i) level16 += "/d";
    EXPECT_TRUE(fs::exists(at(level16 + "/l.url")));
    EXPECT_TRUE(fs::is_directory(at(level16 + "/d")));
    EXPECT_TRUE(fs::is_empty(at(level16 + "/d")));
    EXPECT_EQ(result.directoriesMade, 17u);
    EXPECT_EQ(result.filesWritten, 15u);
    EXPECT_EQ(result.foldersNotEntered, 1u);
}

TEST_F(FavoritesOnDisk, FailedWritesStopOrCarryOnAsAsked) {
    Tree t;
    NodeId top = t.add(t.root, kKindFolder, "top");
    t.add(top, kKindWebLink, "blocked", "http://b/");
    t.add(top, kKindWebLink, std::string(300, 'x'), "http://long/");
    t.add(top, kKindWebLink, "fine", "http://f/");
    fs::create_directories(at("top/blocked.url"));  // a directory where the file should go

    FavoritesExportResult stopped = exportFavorites(t.doc, top, dir(), disk_, AfterFailedWrite::Stop);
    EXPECT_TRUE(stopped.stopped);
    ASSERT_EQ(stopped.failedWrites.size(), 1u);
    EXPECT_EQ(stopped.failedWrites[0], (at("top") / "blocked.url").string());
    EXPECT_FALSE(fs::exists(at("top/fine.url")));

    FavoritesExportResult carried = exportFavorites(t.doc, top, dir(), disk_, AfterFailedWrite::CarryOn);
    EXPECT_FALSE(carried.stopped);
    ASSERT_EQ(carried.failedWrites.size(), 1u);  // the 300-character title is shortened to fit
    EXPECT_EQ(carried.namesShortened, 1u);
    EXPECT_EQ(carried.filesWritten, 2u);
    EXPECT_TRUE(fs::exists(at("top/fine.url")));
}

// ---------------------------------------------------------------- import

TEST_F(FavoritesOnDisk, ImportReadsFoldersShortcutsAndOtherFiles) {
    writeFile("Links/Example.url", "[InternetShortcut]\r\nURL=http://example/\r\n");
    writeFile("Links/Deeper/Inner.url", "[InternetShortcut]\r\nURL=http://inner/\r\n");
    writeFile("desktop.ini", "[.ShellClassInfo]\r\n");
    writeFile(u8"日本.url", "[InternetShortcut]\r\nURL=http://jp/\r\n");
    writeFile("abc", "short name");
    fs::create_directories(at("Empty"));
    struct utimbuf times {1000000000, 1100000000};
    ASSERT_EQ(::utime(at("Links/Example.url").c_str(), &times), 0);

    Tree t;
    NodeId target = t.add(t.root, kKindFolder, "target");
    FavoritesImportResult result = importFavorites(t.doc, target, dir(), disk_);
    EXPECT_TRUE(result.topLevelRead);
    EXPECT_TRUE(t.doc.modified());
    EXPECT_EQ(result.count, 8u);
    EXPECT_EQ(result.limitMessages, 0u);
    std::vector<std::string> titles = t.childTitles(target);
    EXPECT_EQ(std::multiset<std::string>(titles.begin(), titles.end()),
              (std::multiset<std::string>{"Links", "desktop", "日本", "", "Empty"}));

    NodeId links = t.childTitled(target, "Links");
    EXPECT_EQ(kindOf(t.record(links).itemNumber), kKindFolder);
    EXPECT_EQ(t.record(links).locator, "");
    NodeId example = t.childTitled(links, "Example");
    EXPECT_EQ(t.record(example).locator, "http://example/");
    EXPECT_EQ(t.record(example).lastVisit, "1000000000");
    EXPECT_EQ(t.record(example).lastModified, "1100000000");
    EXPECT_EQ(kindOf(t.record(example).itemNumber), kKindWebLink);
    EXPECT_EQ(depthOf(t.record(example).itemNumber), 4u);
    EXPECT_EQ(t.record(t.childTitled(t.childTitled(links, "Deeper"), "Inner")).locator, "http://inner/");
    EXPECT_EQ(t.record(t.childTitled(target, "desktop")).locator, kUrlNotFound);
    EXPECT_EQ(t.record(t.childTitled(target, "日本")).locator, "http://jp/");
}

TEST_F(FavoritesOnDisk, ImportStopsAfterTheThousandAndFirstEntryOncePerOpenLevel) {
    for (int i = 0; i < 1200; ++i) writeFile("flat/" + std::to_string(10000 + i) + ".url", "");
    Tree t;
    FavoritesImportResult flat = importFavorites(t.doc, t.root, at("flat").string(), disk_);
    EXPECT_EQ(flat.count, 1001u);
    EXPECT_EQ(flat.limitMessages, 1u);

    fs::create_directories(at("outer"));
    fs::rename(at("flat"), at("outer/inner"));
    Tree u;
    FavoritesImportResult nested = importFavorites(u.doc, u.root, at("outer").string(), disk_);
    EXPECT_EQ(nested.count, 1002u);  // the folder and the 1001 files read in it
    EXPECT_EQ(nested.limitMessages, 2u);
}

TEST_F(FavoritesOnDisk, AMissingDirectoryIsReportedAndChangesNothing) {
    Tree t;
    FavoritesImportResult result = importFavorites(t.doc, t.root, at("missing").string(), disk_);
    EXPECT_FALSE(result.topLevelRead);
    EXPECT_FALSE(t.doc.modified());
    EXPECT_EQ(result.count, 0u);
    EXPECT_EQ(result.unlistedDirectories, (std::vector<fs::path>{at("missing")}));
}

// ---------------------------------------------------------------- hostile names and files

// Names that come out alike in one folder are numbered as Windows numbers copies, in any
// case; each folder starts its own numbering, and a later export overwrites the same files.
TEST_F(FavoritesOnDisk, NamesThatComeOutAlikeAreNumbered) {
    Tree t;
    NodeId top = t.add(t.root, kKindFolder, "top");
    const char* const titles[] = {"dup", "dup", "Dup", ".", "..", "_", "dup (2)"};
    for (const char* title : titles) t.add(top, kKindWebLink, title, std::string("http://") + title + "/");
    t.add(top, kKindFolder, "dup");
    NodeId folder = t.add(top, kKindFolder, "dup");
    t.add(folder, kKindWebLink, "dup", "http://inner/");

    for (int run = 0; run < 2; ++run) {
        FavoritesExportResult result = exportFavorites(t.doc, top, dir(), disk_, AfterFailedWrite::Stop);
        EXPECT_EQ(result.filesWritten, 8u);
        EXPECT_TRUE(result.failedWrites.empty());
    }
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(at("top"))) names.insert(entry.path().filename().u8string());
    EXPECT_EQ(names, (std::set<std::string>{"dup.url", "dup (2).url", "Dup (3).url", "_.url", "_ (2).url",
                                            "_ (3).url", "dup (2) (2).url", "dup", "dup (2)"}));
    EXPECT_EQ(readFile("top/Dup (3).url"), "[InternetShortcut]\r\nURL=http://Dup/\r\n");
    EXPECT_EQ(readFile("top/_ (2).url"), "[InternetShortcut]\r\nURL=http://../\r\n");
    EXPECT_EQ(readFile("top/dup (2)/dup.url"), "[InternetShortcut]\r\nURL=http://inner/\r\n");
}

TEST_F(FavoritesOnDisk, ItemsBelowTheLevelLimitAreCounted) {
    Tree t;
    NodeId parent = t.root;
    for (int level = 2; level <= 17; ++level) parent = t.add(parent, kKindFolder, "d");  // the root is level 1
    t.add(parent, kKindWebLink, "a", "http://a/");
    NodeId sub = t.add(parent, kKindFolder, "sub");
    t.add(sub, kKindWebLink, "b", "http://b/");
    FavoritesExportResult result = exportFavorites(t.doc, t.root, dir(), disk_, AfterFailedWrite::Stop);
    EXPECT_EQ(result.foldersNotEntered, 1u);
    EXPECT_EQ(result.itemsNotWritten, 3u);
}

// Paths never pass through Shift-JIS: a folder named with characters it lacks is the one
// written and read, and its names become titles without them.
TEST_F(FavoritesOnDisk, PathsKeepCharactersThatShiftJisLacks) {
    Tree t;
    NodeId folder = t.add(t.root, kKindFolder, "f");
    t.add(folder, kKindWebLink, "link", "http://a/");
    for (const char* name : {u8"Caf\u00E9", u8"\U0001F600"}) {
        fs::path chosen = at("out") / fs::u8path(name);
        fs::create_directories(chosen);
        EXPECT_EQ(exportFavorites(t.doc, folder, chosen, disk_, AfterFailedWrite::Stop).filesWritten, 1u);
        EXPECT_TRUE(fs::exists(chosen / "f" / "link.url")) << name;
    }
    EXPECT_FALSE(fs::exists(at("out/f")));
    EXPECT_FALSE(fs::exists(at("out/Caf")));

    writeFile(u8"in/Caf\u00E9.url", "[InternetShortcut]\r\nURL=http://cafe/\r\n");
    writeFile(u8"in/\U0001F600/inner.url", "[InternetShortcut]\r\nURL=http://inner/\r\n");
    Tree back;
    FavoritesImportResult result = importFavorites(back.doc, back.root, at("in"), disk_);
    EXPECT_EQ(result.count, 3u);
    EXPECT_TRUE(result.unlistedDirectories.empty());
    EXPECT_EQ(back.record(back.childTitled(back.root, "Caf〓")).locator, "http://cafe/");
    EXPECT_EQ(result.markedItems, 2u);
    NodeId emoji = back.childTitled(back.root, "〓");
    ASSERT_NE(emoji, kNoNode);
    EXPECT_EQ(back.childTitles(emoji), (std::vector<std::string>{"inner"}));
}

// The export never writes through a link that stands in the target folder, and the import
// reads regular files only (a FIFO would never end).
TEST_F(FavoritesOnDisk, LinksAreReplacedNotFollowedAndOnlyRegularFilesAreRead) {
    writeFile("outside/secret.txt", "keep");
    fs::create_directories(at("target/top"));
    fs::create_symlink(at("outside/secret.txt"), at("target/top/link.url"));
    fs::create_directories(at("target2"));
    fs::create_directory_symlink(at("outside"), at("target2/top"));
    Tree t;
    NodeId top = t.add(t.root, kKindFolder, "top");
    t.add(top, kKindWebLink, "link", "http://a/");
    t.add(top, kKindWebLink, "secret.txt", "http://b/");

    // A link to a file is replaced by the shortcut; a link to a folder is refused.
    EXPECT_EQ(exportFavorites(t.doc, top, at("target"), disk_, AfterFailedWrite::Stop).filesWritten, 2u);
    FavoritesExportResult refused = exportFavorites(t.doc, top, at("target2"), disk_, AfterFailedWrite::CarryOn);
    EXPECT_EQ(refused.filesWritten, 0u);
    EXPECT_EQ(refused.failedWrites, (std::vector<fs::path>{at("target2/top")}));
    EXPECT_EQ(refused.itemsInFailedFolders, 2u);
    EXPECT_EQ(readFile("outside/secret.txt"), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(at("outside")), fs::directory_iterator()), 1);
    EXPECT_FALSE(fs::is_symlink(at("target/top/link.url")));
    EXPECT_TRUE(fs::is_symlink(at("target2/top")));
    EXPECT_EQ(readFile("target/top/link.url"), "[InternetShortcut]\r\nURL=http://a/\r\n");

    fs::create_directories(at("in"));
    ASSERT_EQ(::mkfifo(at("in/pipe.url").c_str(), 0600), 0);
    Tree back;
    FavoritesImportResult result = importFavorites(back.doc, back.root, at("in"), disk_);
    EXPECT_EQ(result.count, 1u);
    EXPECT_EQ(back.record(back.childTitled(back.root, "pipe")).locator, kUrlNotFound);
}

TEST(InternetShortcut, UnicodeShortcutsKeepTheirAddressesWhole) {
    // Windows writes the address its code page cannot hold in UTF-7 in a section of its own.
    EXPECT_EQ(internetShortcutUrl("[InternetShortcut]\r\nURL=http://cafe.example/Caf?/?\r\n"
                                  "[InternetShortcut.W]\r\nURL=http://cafe.example/Caf+AOk-/+APw-+-1+2D3eAA-\r\n"),
              "http://cafe.example/Caf%C3%A9/%C3%BC+1%F0%9F%98%80");
    EXPECT_EQ(internetShortcutUrl("[InternetShortcut.W]\r\nURL=\r\n[InternetShortcut]\r\nURL=http://a/\r\n"), "http://a/");
    std::string utf16 = "\xFF\xFE";
    for (char16_t unit : std::u16string(u"[InternetShortcut]\r\nURL=http://x/\u00E9\U0001F600\r\n")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    EXPECT_EQ(internetShortcutUrl(utf16), "http://x/%C3%A9%F0%9F%98%80");
    EXPECT_EQ(internetShortcutUrl("\xEF\xBB\xBF[InternetShortcut]\r\nURL=" + std::string(u8"http://x/\u00E9日") + "\r\n"),
              "http://x/%C3%A9\x93\xFA");
}

// Windows takes capitals and small letters of every script for one name: the second of each
// pair is numbered rather than written over the first.
TEST_F(FavoritesOnDisk, NamesAlikeInAnyScriptsCaseAreNumbered) {
    const char* const pairs[][2] = {
        {"ＡＢＣ", "ａｂｃ"}, {"ΑΛΦΑ", "αλφα"}, {"ДОМ", "дом"}, {"Ⅰ", "ⅰ"}};
    for (const auto& pair : pairs) {
        Tree t;
        NodeId top = t.add(t.root, kKindFolder, "top");
        t.add(top, kKindWebLink, pair[0], "http://first/");
        t.add(top, kKindWebLink, pair[1], "http://second/");
        fs::remove_all(at("top"));
        exportFavorites(t.doc, top, dir(), disk_, AfterFailedWrite::CarryOn);
        std::string second = shiftJisToUtf8(pair[1]) + " (2).url";
        EXPECT_EQ(readFile("top/" + shiftJisToUtf8(pair[0]) + ".url"), internetShortcutText("http://first/"));
        EXPECT_EQ(readFile("top/" + second), internetShortcutText("http://second/")) << second;
    }
    EXPECT_EQ(fileSystemUpperCase(u'\u24D0'), u'\u24B6');  // circled a
    EXPECT_EQ(fileSystemUpperCase(u'\u00DF'), u'\u00DF');  // sharp s has no one-unit capital
}

// Files already in the folder: found before writing, then replaced or kept beside the new.
TEST_F(FavoritesOnDisk, ExistingFilesAreFoundThenReplacedOrKept) {
    Tree t;
    NodeId top = t.add(t.root, kKindFolder, "top");
    t.add(top, kKindWebLink, "Existing", "http://new/");
    t.add(top, kKindWebLink, "Fresh", "http://fresh/");
    writeFile("top/existing.URL", "mine");
    ExistingFavorites existing = findExistingFavorites(t.doc, top, dir(), disk_);
    EXPECT_EQ(existing.count, 1u);
    EXPECT_EQ(existing.first, at("top/Existing.url"));
    EXPECT_FALSE(fs::exists(at("top/Fresh.url")));  // the search writes nothing

    exportFavorites(t.doc, top, dir(), disk_, AfterFailedWrite::CarryOn, ExistingFiles::KeepBoth);
    EXPECT_EQ(readFile("top/existing.URL"), "mine");
    EXPECT_EQ(readFile("top/Existing (2).url"), internetShortcutText("http://new/"));
    fs::remove(at("top/Existing (2).url"));
    fs::rename(at("top/existing.URL"), at("top/Existing.url"));
    exportFavorites(t.doc, top, dir(), disk_, AfterFailedWrite::CarryOn, ExistingFiles::Replace);
    EXPECT_EQ(readFile("top/Existing.url"), internetShortcutText("http://new/"));
}

// A 300-character title is shortened to fit the path limit and the links after it are
// written; a folder too deep for any name is skipped and counted, and the rest goes on.
TEST_F(FavoritesOnDisk, LongNamesAreShortenedAndFailuresDoNotStopTheRest) {
    Tree t;
    NodeId top = t.add(t.root, kKindFolder, "top");
    t.add(top, kKindWebLink, std::string(300, 'x').c_str(), "http://long/");
    NodeId deep = t.add(top, kKindFolder, std::string(300, 'd').c_str());
    t.add(deep, kKindWebLink, "inside", "http://inside/");
    for (int i = 0; i < 17; ++i) t.add(top, kKindWebLink, ("after" + std::to_string(i)).c_str(), "http://after/");
    fs::path chosen = at(std::string(243 - dir().size() - 1, 'c'));
    fs::create_directories(chosen);
    FavoritesExportResult result = exportFavorites(t.doc, top, chosen, disk_, AfterFailedWrite::CarryOn);
    EXPECT_EQ(result.filesWritten, 18u);
    EXPECT_EQ(result.namesShortened, 1u);
    EXPECT_EQ(result.failedWrites.size(), 1u);  // the folder: no room below 248 for its directory
    EXPECT_EQ(result.itemsInFailedFolders, 1u);
    for (const auto& entry : fs::directory_iterator(chosen / "top"))
        EXPECT_LE(entry.path().u16string().size(), kMaxFavoritesPath);
    EXPECT_TRUE(fs::exists(chosen / "top" / "after16.url"));
}
