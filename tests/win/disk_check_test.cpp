// The data file changed or removed by another program while the window is open: the
// questions on activation and before Save, and what each answer does to the files.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "main_window_fixture.h"
#include "document/disk_check_win.h"
#include "document/disk_file_win.h"
#include "store/document_text.h"
#include "store/tree_population.h"
#include "test_tree.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

// A data file of a root and the given folders under it.
std::string dataFileWith(std::initializer_list<const char*> titles) {
    Document document;
    NoShellIcons icons;
    NodeId root = insertRootItem(document);
    for (const char* title : titles) addItemUnder(document, icons, root, title);
    return writeWholeDocument(document);
}

class DiskCheck : public MainWindowTest {
protected:
    std::string path;

    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
        path = pathInFolder("ListFile.dat");
        writeBytes(path, dataFileWith({"Ours", "Kept"}));
        chooseFiles({path});
        command(CMD_OPEN_DATA_FILE);
        ASSERT_TRUE(app().document.loaded);
        app().treeView.select(app().document.tree.lastChild(app().document.tree.firstTopLevel()));
        asked.clear();
    }

    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        pumpMessages();
    }
    void activate() {
        SendMessageW(mainWindow(), WM_ACTIVATE, WA_ACTIVE, 0);
        pumpMessages();
    }
    // An unsaved change: a new folder under the selected one.
    void changeHere() {
        command(CMD_NEW_FOLDER);
        ASSERT_TRUE(app().document.modified());
    }
    bool shows(const char* title) { return writeWholeDocument(app().document).find(title) != std::string::npos; }
};

}  // namespace

// A large file's hash is taken beside its load: it is the hash of the bytes on the disk.
TEST_F(DiskCheck, ALargeFileIsRememberedByTheHashOfItsBytes) {
    std::vector<std::string> titles(20000, std::string(60, 'x'));
    Document document;
    NoShellIcons icons;
    NodeId root = insertRootItem(document);
    for (const std::string& title : titles) addItemUnder(document, icons, root, title);
    writeBytes(path, writeWholeDocument(document));
    ASSERT_GT(diskStampOf(widen(path)).size, 2u << 20);
    chooseFiles({path});
    command(CMD_OPEN_DATA_FILE);
    const BookmarkTree& tree = app().document.tree;
    std::size_t shown = 0;
    for (NodeId n = tree.firstChild(tree.firstTopLevel()); n != kNoNode; n = tree.nextSibling(n)) ++shown;
    ASSERT_EQ(shown, titles.size());
    EXPECT_EQ(app().document.file.stamp.hash, hashOfFile(widen(path)));
    activate();
    EXPECT_TRUE(asked.empty());
}

TEST_F(DiskCheck, EachAnswerDoesWhatItSays) {
    const std::string theirs = dataFileWith({"Theirs", "Kept"});
    struct Case {
        const char* name;
        bool unsavedHere;
        int answer;
        UINT buttons;
        bool loadsTheirs;       // the window shows their version afterwards
        bool overwritesTheirs;  // the data file holds ours afterwards
        bool savesElsewhere;
    };
    const Case cases[] = {
        {"nothing here, load", false, IDYES, MB_YESNO, true, false, false},
        {"nothing here, keep looking", false, IDNO, MB_YESNO, false, false, false},
        {"changes here, overwrite", true, IDYES, MB_YESNOCANCEL, false, true, false},
        {"changes here, load theirs", true, IDNO, MB_YESNOCANCEL, true, false, false},
        {"changes here, save elsewhere", true, IDCANCEL, MB_YESNOCANCEL, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (&c != cases) {
            TearDown();
            SetUp();
        }
        if (c.unsavedHere) changeHere();
        writeBytes(path, theirs);
        std::string elsewhere = pathInFolder("elsewhere.dat");
        chooseFiles({elsewhere});
        answerWith({c.answer});
        std::string selected = app().document.tree.node(app().treeView.selectedNode()).text;
        activate();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].caption == L"データファイルが変更されました");
        EXPECT_EQ(asked[0].type & 0xF, c.buttons);
        EXPECT_EQ(shows("Theirs"), c.loadsTheirs);
        EXPECT_EQ(readBytes(path) == theirs, !c.overwritesTheirs);
        EXPECT_EQ(fileExists(elsewhere), c.savesElsewhere);
        if (c.loadsTheirs) {
            EXPECT_FALSE(app().document.modified());
            // The selection is found again by its title.
            EXPECT_EQ(app().document.tree.node(app().treeView.selectedNode()).text, selected);
        }
        // Asked once: the next activation says nothing more.
        activate();
        EXPECT_EQ(asked.size(), 1u);
    }
}

TEST_F(DiskCheck, SaveAsksBeforeOverwritingAVersionTheUserDidNotLoad) {
    const std::string theirs = dataFileWith({"Theirs"});  // dated once: a second may pass below
    writeBytes(path, theirs);
    answerWith({IDNO});
    activate();  // not loaded
    changeHere();
    answerWith({IDABORT});  // closing the question: nothing is written
    command(CMD_SAVE);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].type & 0xF, static_cast<UINT>(MB_YESNOCANCEL));
    EXPECT_EQ(readBytes(path), theirs);
    answerWith({IDYES});
    command(CMD_SAVE);
    EXPECT_TRUE(readBytes(path).find("Ours") != std::string::npos);
    EXPECT_FALSE(app().document.modified());
}

TEST_F(DiskCheck, AFileGoneIsToldOnceAndSaveWritesItAgain) {
    ASSERT_TRUE(DeleteFileW(widen(path).c_str()));
    activate();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].caption == L"データファイルがありません");
    EXPECT_TRUE(app().document.modified());
    activate();
    EXPECT_EQ(asked.size(), 1u);
    command(CMD_SAVE);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_TRUE(readBytes(path).find("Ours") != std::string::npos);
}

TEST_F(DiskCheck, ANewTimeWithTheSameBytesIsNoChange) {
    HANDLE file = CreateFileW(widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME later{};
    GetFileTime(file, nullptr, nullptr, &later);
    later.dwHighDateTime += 1;
    SetFileTime(file, nullptr, nullptr, &later);
    CloseHandle(file);
    activate();
    EXPECT_TRUE(asked.empty());
}

TEST_F(DiskCheck, AFileThatIsNoLongerADataFileDoesNotReplaceTheDocument) {
    writeBytes(path, "<html>someone else's page</html>");
    answerWith({IDYES});
    activate();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].text.rfind(L"データファイルとして開けませんでした。", 0), 0u);
    EXPECT_TRUE(shows("Ours"));
    EXPECT_TRUE(app().document.loaded);
    activate();
    EXPECT_EQ(asked.size(), 2u);
}

// Before Save the bytes are read every time; a file that cannot be read, or that may not be
// written, is asked about. Nothing is written without an answer.
TEST_F(DiskCheck, SaveAsksAboutAnEditThatKeptSizeAndTimeALockedFileAndAReadOnlyOne) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const wchar_t* caption;
    };
    HANDLE lock = INVALID_HANDLE_VALUE;
    const Case cases[] = {
        {"same size and time, other bytes",
         [&] {
             WIN32_FILE_ATTRIBUTE_DATA before{};
             GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &before);
             std::string theirs = readBytes(path);
             theirs[theirs.find("Ours")] = 'Y';
             writeBytes(path, theirs);
             HANDLE file = CreateFileW(widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
             SetFileTime(file, nullptr, nullptr, &before.ftLastWriteTime);
             CloseHandle(file);
         },
         L"データファイルが変更されました"},
        {"locked by another program",
         [&] {
             lock = CreateFileW(widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
         },
         L"データファイルを確かめられません"},
        {"read-only", [&] { SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_READONLY); }, L"読み取り専用のファイル"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (&c != cases) {
            TearDown();
            SetUp();
        }
        changeHere();
        std::string unlocked = readBytes(path);
        c.arrange();
        std::string onDisk = lock == INVALID_HANDLE_VALUE ? readBytes(path) : unlocked;
        answerWith({IDABORT});  // the question closed without an answer
        command(CMD_SAVE);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].caption == c.caption);
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        lock = INVALID_HANDLE_VALUE;
        EXPECT_EQ(readBytes(path), onDisk);
        EXPECT_TRUE(app().document.modified());
    }
    // Going on keeps the file read-only.
    EXPECT_NE(asked[0].text.find(L"読み取り専用"), std::wstring::npos);
    answerWith({IDYES});
    command(CMD_SAVE);
    EXPECT_FALSE(app().document.modified());
    EXPECT_NE(readBytes(path).find("新しいフォルダ"), std::string::npos);
    EXPECT_TRUE(GetFileAttributesW(widen(path).c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}
