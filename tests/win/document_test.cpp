// Open, New, Save, Save As, the two questions, the start-up load, import and export,
// through the real main window with real files in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <windows.h>
#include <commctrl.h>

#include "main_window_fixture.h"
#include "settings/profile_text.h"
#include "settings/settings.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/data_file.h"
#include "store/document_encoding.h"
#include "store/document_text.h"
#include "store/tree_population.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

// Root > Tools > Example, Root > 日本語
std::string buildSampleDataFile() {
    Document document;
    NoShellIcons icons;
    NodeId root = insertRootItem(document);
    NodeId tools = addItemUnder(document, icons, root, "Tools");
    addItemUnder(document, icons, tools, "Example", "http://example.com/");
    addItemUnder(document, icons, root, "日本語", "https://example.jp/");
    return writeWholeDocument(document);
}

// Made once, so that every test sees the same dates.
const std::string& sampleDataFile() {
    static const std::string text = buildSampleDataFile();
    return text;
}

class Documents : public MainWindowTest {
protected:
    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        pumpMessages();
    }
    void startWithSettings(const std::string& ini) {
        writeBytes(pathInFolder("inifile.ini"), ini);
        startMainWindow();
    }
    void addFolderUnderSelection(const char* title) {
        add(app().treeView.selectedNode(), title);
    }
};

}  // namespace

TEST_F(Documents, StartupLoadShowsTheTreeAndTheFileNameInTheCaption) {
    writeBytes(pathInFolder("ListFile.dat"), sampleDataFile());
    startWithSettings("[Option]\r\nFileOpen=1\r\n");
    EXPECT_TRUE(windowText(mainWindow()) == L"ListFile.dat - Perchlet");
    EXPECT_TRUE(app().document.loaded);
    EXPECT_FALSE(app().document.modified());
    EXPECT_EQ(app().document.serials.value, 4);
    HWND tree = treeWindow();
    HTREEITEM root = TreeView_GetRoot(tree);
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(treeItemText(tree, root) == L"Perchlet");
    EXPECT_EQ(TreeView_GetSelection(tree), root);
    EXPECT_TRUE(TreeView_GetItemState(tree, root, TVIS_EXPANDED) & TVIS_EXPANDED);
    HTREEITEM tools = TreeView_GetChild(tree, root);
    EXPECT_TRUE(treeItemText(tree, tools) == L"Tools");
    EXPECT_TRUE(treeItemText(tree, TreeView_GetNextSibling(tree, tools)) == L"日本語");
    // Only what is open has items: Tools shows its button, and opening it makes its child.
    TVITEMW query{};
    query.hItem = tools;
    query.mask = TVIF_CHILDREN;
    TreeView_GetItem(tree, &query);
    EXPECT_EQ(query.cChildren, 1);
    EXPECT_EQ(TreeView_GetChild(tree, tools), nullptr);
    EXPECT_EQ(TreeView_GetCount(tree), 3u);
    TreeView_Expand(tree, tools, TVE_EXPAND);
    EXPECT_TRUE(treeItemText(tree, TreeView_GetChild(tree, tools)) == L"Example");
    EXPECT_TRUE(asked.empty());
    // The settings placed the window: no TopMost key means not topmost.
    EXPECT_FALSE(GetWindowLongPtrW(mainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Documents, StartupWithoutFileOpenKeepsAnEmptyTopmostWindow) {
    writeBytes(pathInFolder("ListFile.dat"), sampleDataFile());
    startWithSettings("[Option]\r\nBackFile=1\r\n[Window]\r\nTopMost=0\r\nMainXPos=50\r\n");
    EXPECT_TRUE(windowText(mainWindow()) == L"Perchlet");
    EXPECT_EQ(openWholeTree(), 0u);
    EXPECT_TRUE(GetWindowLongPtrW(mainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect{};
    GetWindowRect(mainWindow(), &rect);
    EXPECT_EQ(rect.left, 0);
}

TEST_F(Documents, StartupPlacesTheWindowAndWritesTheBackup) {
    writeBytes(pathInFolder("mine.dat"), sampleDataFile());
    startWithSettings("[Option]\r\nFileOpen=1\r\nBackFile=1\r\nDataPass=mine.dat\r\n"
                      "[Window]\r\nTopMost=1\r\nMainXPos=30\r\nMainYPos=20\r\nMainWidth=300\r\nMainHight=400\r\n");
    EXPECT_TRUE(windowText(mainWindow()) == L"mine.dat - Perchlet");
    RECT rect{};
    GetWindowRect(mainWindow(), &rect);
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 400);
    EXPECT_TRUE(GetWindowLongPtrW(mainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(readBytes(pathInFolder("mine.bak")), sampleDataFile());
}

TEST_F(Documents, StartupWithAMissingFileSaysSoAndMakesNoFile) {
    struct Case {
        const char* name;
        const char* settings;
        const char* file;
        const wchar_t* caption;
    };
    const Case cases[] = {
        {"default name", "[Option]\r\nFileOpen=1\r\n", "ListFile.dat", L"ListFile.dat - Perchlet"},
        {"DataPass naming a missing file", "[Option]\r\nFileOpen=1\r\nDataPass=gone.dat\r\n", "gone.dat",
         L"gone.dat - Perchlet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        asked.clear();
        startWithSettings(c.settings);
        ASSERT_EQ(asked.size(), 1u);
        const std::wstring said = L"データファイルとして開けませんでした。\r\n";
        EXPECT_EQ(asked[0].text.compare(0, said.size(), said), 0);
        EXPECT_EQ(asked[0].text.substr(asked[0].text.size() - widen(c.file).size() - 1), L"\\" + widen(c.file));
        EXPECT_TRUE(asked[0].caption == L"開く");
        EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_TRUE(windowText(mainWindow()) == c.caption);
        EXPECT_FALSE(fileExists(pathInFolder(c.file)));
        EXPECT_FALSE(app().document.loaded);
        destroyMainWindow();
    }
}

TEST_F(Documents, OpenLoadsAndSaveWritesTheSameBytes) {
    startMainWindow();
    std::string path = pathInFolder("opened.dat");
    writeBytes(path, sampleDataFile());
    chooseFiles({path});
    command(CMD_OPEN_DATA_FILE);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs[0].typeOrIndex, 2);
    EXPECT_TRUE(windowText(mainWindow()) == L"opened.dat - Perchlet");
    EXPECT_EQ(openWholeTree(), 4u);

    // Another program's change on disk is overwritten only when the user says so.
    writeBytes(path, "overwritten");
    answerWith({IDYES});
    command(CMD_SAVE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].caption == L"データファイルが変更されました");
    EXPECT_EQ(dialogs.size(), 1u);  // the current path needs no dialog
    // ParentNum holds the in-memory parent numbers, which are the file's numbers now.
    Document loaded;
    NoShellIcons icons;
    loadDataFile(sampleDataFile(), loaded, icons);
    EXPECT_EQ(readBytes(path), writeWholeDocument(loaded));
    EXPECT_FALSE(app().document.modified());
}

TEST_F(Documents, OpeningSomethingElseFailsAndLeavesAnEmptyTree) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    std::string path = pathInFolder("page.html");
    writeBytes(path, "<html>not a data file</html>");
    chooseFiles({path});
    command(CMD_OPEN_DATA_FILE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"データファイルとして開けませんでした。\r\n" + widen(path));
    EXPECT_EQ(openWholeTree(), 0u);
    EXPECT_TRUE(app().document.file.path.empty());
}

// Blocks none of which is a readable record (here: none has ItemNum) are no empty document:
// Open leaves the document as it was, the start-up load leaves nothing to save over it.
TEST_F(Documents, AFileWithoutOneReadableRecordIsRefusedAndKeptWhole) {
    std::string keyless = std::string(kDataFileHeader);
    for (int i = 0; i < 3; ++i) keyless += "[List]\r\nTitleName=lost\r\nLocator=http://a/\r\n\r\n";
    std::string path = pathInFolder("keyless.dat");
    writeBytes(path, keyless);
    const std::wstring refused = widen("読み込める項目がないため、ファイルを開きませんでした。");

    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    addFolderUnderSelection("mine");
    app().document.history.markSaved();
    chooseFiles({path});
    command(CMD_OPEN_DATA_FILE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == refused);
    EXPECT_EQ(openWholeTree(), 2u);
    EXPECT_TRUE(app().document.file.path.empty());
    EXPECT_TRUE(app().document.loaded);

    // Imported, it adds nothing and changes nothing.
    app().treeView.select(app().document.tree.firstTopLevel());
    chooseFiles({path});
    command(CMD_IMPORT_DATA_FILE);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].text == refused);
    EXPECT_EQ(openWholeTree(), 2u);
    EXPECT_FALSE(app().document.modified());
    destroyMainWindow();

    asked.clear();
    startWithSettings("[Option]\r\nFileOpen=1\r\nDataPass=keyless.dat\r\n");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_FALSE(app().document.loaded);
    command(CMD_SAVE);
    EXPECT_EQ(readBytes(path), keyless);
}

TEST_F(Documents, CancelledOpenLeavesTheDocumentAlone) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    command(CMD_OPEN_DATA_FILE);  // the dialog is cancelled
    EXPECT_EQ(openWholeTree(), 1u);
    EXPECT_TRUE(asked.empty());
}

TEST_F(Documents, NewAsksAboutUnsavedChanges) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(openWholeTree(), 1u);
    EXPECT_TRUE(app().document.loaded);
    addFolderUnderSelection("changed");

    answerWith({IDCANCEL});
    command(CMD_NEW_DOCUMENT);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"編集中のファイルを保存しますか？");
    EXPECT_TRUE(asked[0].caption == L"新しいファイルを開きます");
    EXPECT_EQ(openWholeTree(), 2u);

    // Yes, then cancelling the save dialog, keeps the changes too.
    answerWith({IDYES});
    command(CMD_NEW_DOCUMENT);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Save);
    EXPECT_EQ(openWholeTree(), 2u);
    EXPECT_TRUE(app().document.modified());

    // Yes with a name saves, then starts afresh.
    std::string path = pathInFolder("kept.dat");
    answerWith({IDYES});
    chooseFiles({path});
    command(CMD_NEW_DOCUMENT);
    EXPECT_NE(readBytes(path).find("TitleName=changed\r\n"), std::string::npos);
    EXPECT_EQ(openWholeTree(), 1u);
    EXPECT_FALSE(app().document.modified());

    answerWith({IDNO});
    addFolderUnderSelection("dropped");
    command(CMD_NEW_DOCUMENT);
    EXPECT_EQ(openWholeTree(), 1u);
}

TEST_F(Documents, TheFirstSaveOfANewDocumentNamesItsFileAndSaveAsRenamesIt) {
    startMainWindow();
    command(CMD_SAVE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"保存するデータがありません。");

    command(CMD_NEW_DOCUMENT);
    addFolderUnderSelection("a");
    std::string first = pathInFolder("first.dat");
    chooseFiles({first});
    command(CMD_SAVE);
    EXPECT_TRUE(fileExists(first));
    EXPECT_FALSE(app().document.modified());
    EXPECT_TRUE(windowText(mainWindow()) == L"first.dat - Perchlet");

    addFolderUnderSelection("b");
    command(CMD_SAVE);  // the file it now has: no dialog
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_NE(readBytes(first).find("TitleName=b\r\n"), std::string::npos);
    EXPECT_FALSE(app().document.modified());

    std::string named = pathInFolder("named.dat");
    chooseFiles({named});
    command(CMD_SAVE_AS);
    EXPECT_TRUE(windowText(mainWindow()) == L"named.dat - Perchlet");
    EXPECT_FALSE(app().document.modified());
    addFolderUnderSelection("c");
    command(CMD_SAVE);
    EXPECT_EQ(dialogs.size(), 2u);
    EXPECT_NE(readBytes(named).find("TitleName=c\r\n"), std::string::npos);
}

TEST_F(Documents, AFailedWriteIsReportedAndKeepsTheChangesMarked) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    addFolderUnderSelection("unsaved");
    chooseFiles({pathInFolder("no such folder\\x.dat")});
    command(CMD_SAVE_AS);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"ファイルに書き込めませんでした。\r\n" + widen(pathInFolder("no such folder\\x.dat")));
    EXPECT_TRUE(asked[0].caption == L"書き込み");
    EXPECT_TRUE(app().document.modified());
    EXPECT_EQ(narrow(windowText(mainWindow())), "*Perchlet");
}

TEST_F(Documents, ExitQuestionYesSavesAndCancellingTheDialogStaysOpen) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    addFolderUnderSelection("precious");

    answerWith({IDYES});
    command(CMD_EXIT);
    ASSERT_TRUE(IsWindow(mainWindow()));  // no path chosen: the program stays, nothing lost
    EXPECT_TRUE(app().trayIconShown);
    EXPECT_EQ(openWholeTree(), 2u);

    std::string path = pathInFolder("exit.dat");
    answerWith({IDYES});
    chooseFiles({path});
    command(CMD_EXIT);
    EXPECT_EQ(app().mainWindow, nullptr);
    EXPECT_NE(readBytes(path).find("TitleName=precious\r\n"), std::string::npos);
}

TEST_F(Documents, RenamedRootSurvivesSaveAndLoad) {
    std::string path = pathInFolder("ListFile.dat");
    std::string text = sampleDataFile();
    std::string renamed = text;
    renamed.replace(renamed.find("TitleName=Perchlet") + 10, 8, "My bookmarks");
    writeBytes(path, renamed);
    startWithSettings("[Option]\r\nFileOpen=1\r\n");
    EXPECT_TRUE(treeItemText(treeWindow(), TreeView_GetRoot(treeWindow())) == L"My bookmarks");
    command(CMD_SAVE);
    EXPECT_NE(readBytes(path).find("TitleName=My bookmarks\r\n"), std::string::npos);
}

TEST_F(Documents, ImportGoesUnderTheSelectionWithNewNumbers) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    std::string path = pathInFolder("import.dat");
    writeBytes(path, sampleDataFile());

    chooseFiles({path});
    command(CMD_IMPORT_DATA_FILE);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(openWholeTree(), 5u);
    EXPECT_TRUE(app().document.modified());
    HTREEITEM root = TreeView_GetRoot(treeWindow());
    HTREEITEM imported = TreeView_GetChild(treeWindow(), root);
    EXPECT_TRUE(treeItemText(treeWindow(), imported) == L"Perchlet");
    NodeId importedNode = app().treeView.nodeOf(imported);
    EXPECT_EQ(depthOf(app().document.tree.node(importedNode).itemNumber), 2u);
    EXPECT_EQ(app().document.serials.value, 4);

    command(CMD_IMPORT_DATA_FILE);  // cancelled: the user's own choice, nothing said
    EXPECT_TRUE(asked.empty());

    std::string other = pathInFolder("other.txt");
    writeBytes(other, "plain text");
    chooseFiles({other});
    command(CMD_IMPORT_DATA_FILE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"データファイルとして開けませんでした。\r\n" + widen(other));
    EXPECT_TRUE(asked[0].caption == L"インポート");
    EXPECT_EQ(openWholeTree(), 5u);
    EXPECT_EQ(app().document.serials.value, 4);

    // A UTF-8 file into a Shift-JIS document: the one question first; kept Shift-JIS (OK is no
    // Yes), the title comes in marked, and one note says so.
    Document source;
    source.file.encoding = TextEncoding::Utf8;
    BookmarkItem folder;
    folder.title = u8"\U0001F4DA 読書";
    addImportedItem(source, insertRootItem(source), kKindFolder, folder);
    std::string utf8 = pathInFolder("utf8.dat");
    writeBytes(utf8, writeDataFile(source, kTopLevel, 0, TextEncoding::Utf8));
    convertDocumentEncoding(app().document, TextEncoding::ShiftJis);
    asked.clear();
    chooseFiles({utf8});
    command(CMD_IMPORT_DATA_FILE);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NE(asked[0].text.find(L"UTF-8 に切り替える"), std::wstring::npos);
    EXPECT_EQ(openWholeTree(), 7u);
    EXPECT_TRUE(treeItemText(treeWindow(), TreeView_GetNextSibling(treeWindow(), imported)) == L"Perchlet");
    NodeId marked = app().document.tree.firstChild(app().document.tree.nextSibling(importedNode));
    EXPECT_EQ(app().document.tree.node(marked).text, "〓 読書");
}

TEST_F(Documents, ExportWritesTheSelectedSubtreeNumberedFromTheCounter) {
    writeBytes(pathInFolder("ListFile.dat"), sampleDataFile());
    startWithSettings("[Option]\r\nFileOpen=1\r\n");
    HTREEITEM tools = TreeView_GetChild(treeWindow(), TreeView_GetRoot(treeWindow()));
    TreeView_SelectItem(treeWindow(), tools);
    std::string path = pathInFolder("tools.dat");
    chooseFiles({path});
    command(CMD_EXPORT_SUB_DATA_FILE);
    std::string text = readBytes(path);
    // Counter 4: the subtree's records are numbered 5 and 6, Tools at relative depth 1.
    EXPECT_NE(text.find("ItemNum=268500997\r\nTestNum=10010005\r\n"), std::string::npos);
    EXPECT_NE(text.find("TestNum=20006\r\n"), std::string::npos);
    EXPECT_FALSE(app().document.modified());

    TreeView_SelectItem(treeWindow(), nullptr);
    command(CMD_EXPORT_SUB_DATA_FILE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text == L"ツリーで項目を選択して下さい。");
    EXPECT_TRUE(asked[0].caption == L"エクスポート");
}

TEST_F(Documents, StartupTakesTheDefaultBrowserFromTheRegistry) {
    // Wine registers its own browser launcher as the handler of ".html" files.
    startWithSettings("[Option]\r\nFileOpen=0\r\nBrowsPass1=C:\\mine.exe\r\nBrowsPass2=C:\\second.exe\r\n");
    const Settings& settings = app().settings;
    EXPECT_TRUE(settings.registryBrowser);
    EXPECT_EQ(settings.browserPath[0], "C:\\windows\\system32\\winebrowser.exe");
    EXPECT_EQ(settings.browserPath[1], "C:\\second.exe");
    EXPECT_TRUE(windowText(mainWindow()) == L"Perchlet");  // "0": no data file is loaded
}

// The document's path stays as the dialog gave it: Save writes where Save As chose, and Open
// reads it, also in a folder whose name Shift-JIS cannot hold.
TEST_F(Documents, SaveAndOpenInAFolderNamedWithCharactersShiftJisLacks) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    std::wstring out = folder + L"\\\U0001F600";
    ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
    std::wstring path = out + L"\\Caf\u00E9.dat";
    chooseFiles(std::vector<std::wstring>{path});
    command(CMD_SAVE_AS);
    EXPECT_TRUE(asked.empty());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD size = GetFileSize(file, nullptr);
    CloseHandle(file);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(app().document.file.path, path);

    // Save goes to the same file without asking.
    DeleteFileW(path.c_str());
    dialogs.clear();
    app().document.history.markChanged();
    command(CMD_SAVE);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);

    chooseFiles(std::vector<std::wstring>{path});
    command(CMD_OPEN_DATA_FILE);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(app().document.file.path, path);
    EXPECT_NE(app().document.tree.firstTopLevel(), kNoNode);
}

// A new user saves and starts again: the document is there. A settings file the user saved
// keeps deciding; the one the program writes holds what the options panel would write.
TEST_F(Documents, ASavedDocumentIsWhatTheNextStartShows) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    addFolderUnderSelection("mine");
    chooseFiles({pathInFolder("mine.dat")});
    command(CMD_SAVE);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].initialPath, folder + L"\\ListFile.dat");
    EXPECT_TRUE(windowText(mainWindow()) == L"mine.dat - Perchlet");
    Settings expected;
    expected.dataAtStart = true;
    expected.dataPath = "mine.dat";
    EXPECT_EQ(readBytes(pathInFolder("inifile.ini")), *setProfileValues("", settingsToWrite(expected)));
    destroyMainWindow();
    startMainWindow();
    EXPECT_TRUE(windowText(mainWindow()) == L"mine.dat - Perchlet");
    EXPECT_EQ(openWholeTree(), 2u);
    EXPECT_TRUE(asked.empty());
    destroyMainWindow();

    // Without a settings file, the data file of the default name opens.
    DeleteFileW(widen(pathInFolder("inifile.ini")).c_str());
    writeBytes(pathInFolder("ListFile.dat"), sampleDataFile());
    startMainWindow();
    EXPECT_TRUE(windowText(mainWindow()) == L"ListFile.dat - Perchlet");
    EXPECT_EQ(openWholeTree(), 4u);
    destroyMainWindow();

    const std::string users = "[Option]\r\nFileOpen=0\r\n";
    startWithSettings(users);
    command(CMD_NEW_DOCUMENT);
    chooseFiles({pathInFolder("other.dat")});
    command(CMD_SAVE_AS);
    EXPECT_EQ(readBytes(pathInFolder("inifile.ini")), users);
    EXPECT_TRUE(asked.empty());
}

// Ctrl+S, Ctrl+O and Ctrl+N typed in the tree reach the file commands.
TEST_F(Documents, CtrlSOAndNAreTheFileCommandsKeys) {
    startMainWindow();
    SetFocus(treeWindow());
    auto pressControlAnd = [&](char key) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        PostMessageW(treeWindow(), WM_KEYDOWN, static_cast<WPARAM>(key), 1);
        pumpMessages();
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    };
    pressControlAnd('N');
    EXPECT_TRUE(app().document.loaded);
    pressControlAnd('S');
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Save);
    pressControlAnd('O');
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1].kind, FileDialogKind::Open);
}

// This build copies a value eight bytes at a time, looking in each word for a CR or LF: a line
// break anywhere in a short or a long value must still not end the value's line.
TEST(SavedValues, ALineBreakAnywhereInAValueStaysOffItsLine) {
    Document document;
    NoShellIcons icons;
    NodeId root = insertRootItem(document);
    std::vector<std::string> values;
    for (std::size_t size : {1u, 7u, 8u, 9u, 15u, 16u, 17u, 40u}) {
        for (std::size_t at = 0; at < size; at += 3) {
            values.push_back(std::string(size, 'v'));
            values.back()[at] = at % 2 ? '\r' : '\n';
        }
    }
    for (const std::string& value : values) {
        BookmarkItem& record = *nodeRecord(document, addItemUnder(document, icons, root, "t", "http://a/"));
        record.title = value;
        record.lastVisit = value;
    }
    Document again;
    ASSERT_EQ(loadDataFile(writeWholeDocument(document), again, icons).inserted, values.size() + 1);
    NodeId node = again.tree.firstChild(again.tree.firstTopLevel());
    for (const std::string& value : values) {
        std::string kept = value;
        kept.erase(std::remove_if(kept.begin(), kept.end(), [](char c) { return c == '\r' || c == '\n'; }), kept.end());
        EXPECT_EQ(nodeRecord(again, node)->title, kept);
        EXPECT_EQ(nodeRecord(again, node)->lastVisit, kept);
        node = again.tree.nextSibling(node);
    }
}
