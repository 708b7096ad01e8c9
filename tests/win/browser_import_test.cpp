// File > Import > "ブラウザから…" through the real main window: browser profiles placed under
// this Wine prefix's Local and Roaming application data folders, the dialog that lists them,
// and what the chosen one puts under the selection. The Firefox profile is held open by
// another process, its newest bookmark only in the WAL, as a running Firefox holds it.
#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>
#include <windows.h>

#include <sqlite3.h>

#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "exchange/browser_import_win.h"
#include "main_window_fixture.h"
#include "profile_chooser.h"
#include "store/incoming_text.h"

using namespace perchlet;
using namespace perchlet::testing;
namespace fs = std::filesystem;

namespace {

// The test data kept with the sources, found upwards from the test program.
fs::path sourceDataFolder() {
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    for (fs::path folder = fs::path(module).parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
        fs::path data = folder / "tests" / "data" / "browsers";
        if (fs::is_directory(data)) return data;
    }
    return {};
}

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Another process holding places.sqlite open with a write in its WAL.
class PlacesHolder {
public:
    explicit PlacesHolder(const fs::path& database) {
        ready_ = CreateEventW(nullptr, TRUE, FALSE, L"PerchletTestPlacesReady");
        quit_ = CreateEventW(nullptr, TRUE, FALSE, L"PerchletTestPlacesQuit");
        wchar_t module[MAX_PATH];
        GetModuleFileNameW(nullptr, module, MAX_PATH);
        fs::path holder = fs::path(module).parent_path() / "places_holder.exe";
        std::wstring commandLine = L"\"" + holder.wstring() + L"\" \"" + database.wstring() +
                                   L"\" PerchletTestPlacesReady PerchletTestPlacesQuit";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (CreateProcessW(holder.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process_)) {
            CloseHandle(process_.hThread);
            HANDLE either[] = {ready_, process_.hProcess};
            holding_ = WaitForMultipleObjects(2, either, FALSE, 60000) == WAIT_OBJECT_0;
        }
    }
    ~PlacesHolder() {
        SetEvent(quit_);
        if (process_.hProcess) {
            WaitForSingleObject(process_.hProcess, 60000);
            CloseHandle(process_.hProcess);
        }
        CloseHandle(ready_);
        CloseHandle(quit_);
    }
    bool holding() const { return holding_; }

private:
    HANDLE ready_ = nullptr;
    HANDLE quit_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool holding_ = false;
};

class BrowserImportTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        folders = windowsBrowserFolders();
        ASSERT_FALSE(folders.localAppData.empty());
        ASSERT_FALSE(folders.appData.empty());
        startMainWindow();
        SendMessageW(mainWindow(), WM_COMMAND, CMD_NEW_DOCUMENT, 0);
        useShiftJis();
        pumpMessages();
        root = app().document.tree.firstTopLevel();
        app().treeView.select(root);
    }
    void TearDown() override {
        removeProfiles();
        MainWindowTest::TearDown();
    }

    fs::path chromeData() const { return folders.localAppData / "Google" / "Chrome" / "User Data"; }
    fs::path edgeData() const { return folders.localAppData / "Microsoft" / "Edge" / "User Data"; }
    fs::path firefoxData() const { return folders.appData / "Mozilla" / "Firefox"; }
    fs::path places() const { return firefoxData() / "Profiles" / "abcd1234.default-release" / "places.sqlite"; }

    // A Chrome profile with the name its Local State gives it, a damaged Edge profile and a
    // Firefox profile whose database the checked-in SQL makes.
    void placeProfiles() {
        fs::path data = sourceDataFolder();
        ASSERT_FALSE(data.empty());
        writeFile(chromeData() / "Local State", fileText(data / "Local State"));
        writeFile(chromeData() / "Default" / "Bookmarks", fileText(data / "Bookmarks"));
        writeFile(edgeData() / "Default" / "Bookmarks", "{\"roots\": {\"bookmark_bar\": ");
        writeFile(firefoxData() / "profiles.ini", fileText(data / "profiles.ini"));
        fs::create_directories(places().parent_path());
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open16(places().c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, fileText(data / "places.sql").c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    void removeProfiles() {
        std::error_code ignored;
        fs::remove_all(folders.localAppData / "Google", ignored);
        fs::remove_all(folders.localAppData / "Microsoft" / "Edge", ignored);
        fs::remove_all(folders.appData / "Mozilla", ignored);
    }

    // Runs the command while a chooser answers the dialog; the lines the dialog listed.
    std::vector<std::wstring> importChoosing(const std::wstring& choice) {
        ProfileChooser chooser(choice);
        SendMessageW(mainWindow(), WM_COMMAND, CMD_IMPORT_BROWSER, 0);
        pumpMessages();
        chooser.finish();
        return chooser.lines;
    }

    std::vector<std::string> childTitles(NodeId parent) {
        std::vector<std::string> titles;
        const BookmarkTree& tree = app().document.tree;
        for (NodeId n = tree.firstChild(parent); n != kNoNode; n = tree.nextSibling(n)) titles.push_back(tree.node(n).text);
        return titles;
    }
    NodeId lastChild(NodeId parent) {
        NodeId last = kNoNode;
        for (NodeId n = app().document.tree.firstChild(parent); n != kNoNode; n = app().document.tree.nextSibling(n))
            last = n;
        return last;
    }

    BrowserHomeFolders folders;
    NodeId root = kNoNode;
};

}  // namespace

TEST_F(BrowserImportTest, EachProfileImportsUnderTheSelectionOrSaysWhyNot) {
    placeProfiles();
    PlacesHolder holder(places());
    ASSERT_TRUE(holder.holding());

    struct Case {
        std::wstring choice;
        bool imported;
        std::vector<std::string> roots;  // the new folder's children
        std::wstring said;               // the start of what the program says afterwards
    } cases[] = {
        {L"Google Chrome ― 仕事用", true, {"ブックマーク バー", "その他のブックマーク"},
         L"「Google Chrome ― 仕事用」から 9 件のリンクを取り込みました。\r\n1 件のアドレスは長すぎるため"},
        {L"Firefox ― default-release", true, {"ブックマークメニュー", "ブックマークツールバー", "他のブックマーク"},
         L"「Firefox ― default-release」から 10 件のリンクを取り込みました。\r\n区切り線 2 件と place: のクエリ 2 件は"
         L"取り込んでいません。"},
        {L"Microsoft Edge ― Default", false, {}, L"ブックマークのファイルが壊れています（JSON として読めません）。"},
        {L"", false, {}, L""},  // cancelled
    };
    const std::vector<std::wstring> listed = {L"Google Chrome ― 仕事用（9 件）", L"Microsoft Edge ― Default（読めません）",
                                              L"Firefox ― default-release（10 件）"};
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.choice));
        asked.clear();
        app().treeView.select(root);
        app().document.history.markSaved();
        std::vector<std::string> before = childTitles(root);
        EXPECT_EQ(importChoosing(c.choice), listed);
        std::vector<std::string> after = childTitles(root);
        if (!c.imported) {
            EXPECT_EQ(after, before);
            EXPECT_FALSE(app().document.modified());
            EXPECT_EQ(app().treeView.selectedNode(), root);
        } else {
            ASSERT_EQ(after.size(), before.size() + 1);
            NodeId folder = lastChild(root);
            EXPECT_EQ(after.back(), narrow(c.choice));
            EXPECT_EQ(app().treeView.selectedNode(), folder);
            EXPECT_EQ(childTitles(folder), c.roots);
            EXPECT_TRUE(app().document.modified());
        }
        if (c.said.empty()) {
            EXPECT_TRUE(asked.empty());
        } else {
            // The first profile that holds characters Shift-JIS lacks asks once for the
            // document (OK is no Yes: it stays Shift-JIS); the closing note follows.
            std::size_t questions = &c == cases ? 1u : 0u;
            ASSERT_EQ(asked.size(), questions + 1);
            const AskedMessage& note = asked.back();
            EXPECT_EQ(note.text.compare(0, c.said.size(), c.said), 0) << narrow(note.text);
            EXPECT_TRUE(note.caption == L"ブラウザから");
        }
    }

    // The bookmark that was only in the held database's WAL came along, in its place.
    NodeId firefox = kNoNode;
    for (NodeId n = app().document.tree.firstChild(root); n != kNoNode; n = app().document.tree.nextSibling(n))
        if (app().document.tree.node(n).text == "Firefox ― default-release") firefox = n;
    ASSERT_NE(firefox, kNoNode);
    NodeId toolbar = app().document.tree.nextSibling(app().document.tree.firstChild(firefox));
    EXPECT_EQ(childTitles(toolbar), (std::vector<std::string>{"ブックマークレット", "長いブックマークレット", "空", "WAL だけにある"}));
    // The profile's files are as the holder left them: the copy was read, not the file.
    EXPECT_FALSE(fs::exists(places().string() + "-shm"));
}

TEST_F(BrowserImportTest, WithoutSelectionOrProfilesNothingIsAsked) {
    struct Case {
        bool select;
        std::wstring said;
    } cases[] = {
        {false, L"読み込む先のフォルダをツリーで選択して下さい。"},
        {true, L"ブラウザのブックマークが見つかりませんでした。"},
    };
    for (const Case& c : cases) {
        asked.clear();
        if (!c.select) TreeView_SelectItem(treeWindow(), nullptr);
        else app().treeView.select(root);
        app().document.history.markSaved();
        EXPECT_TRUE(importChoosing(L"").empty());  // no dialog came up
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].text.compare(0, c.said.size(), c.said), 0) << narrow(asked[0].text);
        EXPECT_FALSE(app().document.modified());
    }
}

// Into no document yet: a new one is started, UTF-8 as every new document. Titles with
// characters Shift-JIS lacks come in whole, and the closing note counts the damaged root that
// was left out.
TEST_F(BrowserImportTest, IntoNoDocumentKeepsEveryCharacterAndCountsADamagedRoot) {
    resetDocumentAndView(app().documentCommands);
    app().document.loaded = false;
    writeFile(chromeData() / "Default" / "Bookmarks",
              u8R"({"roots": {"bookmark_bar": {"children": "x"}, "other": {"children": [)"
              u8R"({"type": "folder", "name": "📚 読書メモ 🇯🇵", "children": [)"
              u8R"({"type": "url", "name": "한국어 페이지", "url": "http://ko.example/"}]},)"
              u8R"({"type": "url", "name": "Ελληνικά", "url": "http://el.example/"},)"
              u8R"({"type": "url", "name": "Café – naïve", "url": "http://fr.example/"}]}}})");
    importChoosing(L"Google Chrome ― Default");
    ASSERT_TRUE(app().document.loaded);
    EXPECT_EQ(app().document.file.encoding, TextEncoding::Utf8);
    NodeId newRoot = app().document.tree.firstTopLevel();
    ASSERT_NE(newRoot, kNoNode);
    ASSERT_EQ(childTitles(newRoot), std::vector<std::string>{u8"Google Chrome ― Default"});
    std::vector<std::string> titles;
    const BookmarkTree& tree = app().document.tree;
    tree.walkSubtree(newRoot, [&](NodeId node) { titles.push_back(tree.node(node).text); });
    for (const char* title : {u8"📚 読書メモ 🇯🇵", u8"한국어 페이지", u8"Ελληνικά", u8"Café – naïve"})
        EXPECT_NE(std::find(titles.begin(), titles.end(), title), titles.end()) << title;
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(narrow(asked[0].text), "「Google Chrome ― Default」から 3 件のリンクを取り込みました。\r\n"
                                     "ファイルの壊れた部分 1 か所は取り込んでいません。");
}
