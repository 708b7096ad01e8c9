// The import and export commands through the real main window: what they refuse, which
// dialog they ask, the bytes they write and what they put in the tree, with real files and
// folders in the test's temporary folder.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "exchange/csv.h"
#include "exchange/favorites.h"
#include "exchange/netscape.h"
#include "exchange/tree_html.h"
#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/data_file.h"
#include "store/encoding.h"
#include "store/tree_population.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

// The real bookmark files kept with the tests, found upwards from the test program.
std::string corpusFolder() {
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder = module;
    for (std::size_t slash; (slash = folder.find_last_of(L"\\/")) != std::wstring::npos;) {
        folder.resize(slash);
        std::wstring corpus = folder + L"\\tests\\data\\corpus";
        DWORD attributes = GetFileAttributesW(corpus.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return narrow(corpus);
    }
    return {};
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widen(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

class Exchange : public MainWindowTest {
protected:
    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        pumpMessages();
    }
    Document& document() { return app().document; }
    NodeId root() { return document().tree.firstTopLevel(); }
    NodeId selected() { return app().treeView.selectedNode(); }
    void select(NodeId node) { app().treeView.select(node); }
    std::string titleOf(NodeId node) { return document().tree.node(node).text; }

    // Root > Tools > Example, Root > 日本語, Root > CON (a device name on Windows).
    void startWithSample() {
        startMainWindow();
        command(CMD_NEW_DOCUMENT);
        useShiftJis();
        tools = add(root(), "Tools");
        example = add(tools, "Example, with a comma", "http://example.com/a,b", "two\r\nlines");
        add(root(), "日本語", "https://example.jp/");
        add(root(), "CON", "http://con.example/");
        document().history.markSaved();
        select(tools);
    }

    void expectSaid(std::size_t index, const wchar_t* text, const wchar_t* caption) {
        ASSERT_GT(asked.size(), index);
        EXPECT_TRUE(asked[index].text == text) << narrow(asked[index].text);
        EXPECT_TRUE(asked[index].caption == caption) << narrow(asked[index].caption);
    }

    NodeId tools = kNoNode;
    NodeId example = kNoNode;
};

}  // namespace

TEST_F(Exchange, WithoutDataOrSelectionEveryCommandRefusesAndAsksNothing) {
    startMainWindow();
    struct Refusal {
        std::vector<int> commands;
        const wchar_t* text;
        const wchar_t* caption;
    };
    const Refusal refusals[] = {
        {{CMD_EXPORT_FAVORITES, CMD_EXPORT_TREE_HTML, CMD_EXPORT_NETSCAPE, CMD_EXPORT_CSV},
         L"書き出すデータがありません。", L"エクスポート"},
        {{CMD_EXPORT_SUB_FAVORITES, CMD_EXPORT_SUB_TREE_HTML, CMD_EXPORT_SUB_NETSCAPE, CMD_EXPORT_SUB_CSV},
         L"書き出す項目をツリーで選択して下さい。", L"エクスポート"}};
    for (const Refusal& refusal : refusals) {
        for (int id : refusal.commands) {
            asked.clear();
            command(id);
            SCOPED_TRACE(id);
            ASSERT_EQ(asked.size(), 1u);
            expectSaid(0, refusal.text, refusal.caption);
        }
    }
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(openWholeTree(), 0u);
    EXPECT_FALSE(document().modified());
}

// With no document yet, an import starts one as File > New does and goes under its root;
// a cancelled file dialog starts nothing.
TEST_F(Exchange, AnImportIntoNoDocumentStartsANewOne) {
    startMainWindow();
    std::string html = pathInFolder("one.html");
    writeBytes(html, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<DL><p>\r\n<DT><A HREF=\"http://one.example/\">One</A>\r\n</DL><p>\r\n");
    std::string csv = pathInFolder("one.csv");
    writeBytes(csv, "C:\\\nheader\n1,One,http://one.example/,\"\",1,2,3\n");
    struct Case {
        int command;
        std::string file;
    } cases[] = {{CMD_IMPORT_NETSCAPE, html}, {CMD_IMPORT_CSV, csv}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        resetDocumentAndView(app().documentCommands);
        useShiftJis();
        document().loaded = false;
        command(c.command);  // the dialog cancelled
        EXPECT_FALSE(document().loaded);
        EXPECT_EQ(root(), kNoNode);
        chooseFiles({c.file});
        command(c.command);
        EXPECT_TRUE(asked.empty());
        ASSERT_TRUE(document().loaded);
        ASSERT_NE(root(), kNoNode);
        NodeId one = document().tree.lastChild(root());
        ASSERT_NE(one, kNoNode);
        EXPECT_EQ(titleOf(one), "One");
        EXPECT_TRUE(document().modified());
    }
}

TEST_F(Exchange, FileExportsWriteTheWholeTreeOrTheSelectedSubtree) {
    startWithSample();
    std::string startDirectory = app().startupFolderShiftJis;
    ASSERT_FALSE(startDirectory.empty());
    auto csv = [&](const Document& d, NodeId start) { return exportCsv(d, start, startDirectory); };
    struct Case {
        int id;
        int filter;
        bool wholeTree;
        std::function<std::string(const Document&, NodeId)> exporter;
    };
    const Case cases[] = {
        {CMD_EXPORT_NETSCAPE, 3, true, exportNetscape},  {CMD_EXPORT_SUB_NETSCAPE, 3, false, exportNetscape},
        {CMD_EXPORT_TREE_HTML, 3, true, exportTreeHtml}, {CMD_EXPORT_SUB_TREE_HTML, 3, false, exportTreeHtml},
        {CMD_EXPORT_CSV, 4, true, csv},                  {CMD_EXPORT_SUB_CSV, 4, false, csv},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        std::string path = pathInFolder("export" + std::to_string(c.id) + ".out");
        dialogs.clear();
        chooseFiles({path});
        command(c.id);
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0].kind, FileDialogKind::Save);
        EXPECT_EQ(dialogs[0].typeOrIndex, c.filter);
        std::string expected = c.exporter(document(), c.wholeTree ? root() : tools);
        EXPECT_EQ(readBytes(path), expected);
        EXPECT_NE(expected.find("Example"), std::string::npos);
        EXPECT_EQ(expected.find("日本語") != std::string::npos, c.wholeTree);
        if (c.filter == 4) {
            EXPECT_EQ(expected.substr(0, startDirectory.size() + 2), startDirectory + "\r\n");
        }

        // A cancelled dialog writes nothing and says nothing.
        DeleteFileW(widen(path).c_str());
        command(c.id);
        EXPECT_FALSE(fileExists(path));
    }
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(document().modified());
    EXPECT_EQ(selected(), tools);
}

TEST_F(Exchange, NetscapeImportPutsTheFileUnderTheSelectionAndSelectsTheLastItem) {
    startWithSample();
    std::string path = pathInFolder("exported.html");
    chooseFiles({path});
    command(CMD_EXPORT_SUB_NETSCAPE);  // Tools > Example

    NodeId target = add(root(), "target");
    select(target);
    document().history.markSaved();
    dialogs.clear();
    chooseFiles({path});
    command(CMD_IMPORT_NETSCAPE);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs[0].typeOrIndex, 3);
    EXPECT_TRUE(asked.empty());
    NodeId folder = document().tree.firstChild(target);
    ASSERT_NE(folder, kNoNode);
    EXPECT_EQ(titleOf(folder), "Tools");
    NodeId link = document().tree.firstChild(folder);
    ASSERT_NE(link, kNoNode);
    EXPECT_EQ(recordOfNode(document(), link).locator, "http://example.com/a,b");
    EXPECT_EQ(recordOfNode(document(), link).comment, "twolines");
    EXPECT_EQ(selected(), link);
    EXPECT_EQ(TreeView_GetSelection(treeWindow()), app().treeView.itemOf(link));
    EXPECT_EQ(openWholeTree(), document().tree.liveCount());
    EXPECT_TRUE(document().modified());

    // Cancelling the dialog (which says nothing: it was the user's choice), or a file with
    // nothing in it, leaves the selection alone.
    std::size_t count = document().tree.liveCount();
    command(CMD_IMPORT_NETSCAPE);
    EXPECT_TRUE(asked.empty());
    writeBytes(pathInFolder("empty.html"), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<DL><p>\r\n</DL><p>\r\n");
    select(target);
    chooseFiles({pathInFolder("empty.html")});
    command(CMD_IMPORT_NETSCAPE);
    EXPECT_EQ(document().tree.liveCount(), count);
    EXPECT_EQ(selected(), target);
}

// A file that says it is UTF-8, or whose bytes can only be UTF-8, converts without a question;
// only bytes that read as either encoding ask, and "No" keeps them as Shift-JIS.
TEST_F(Exchange, Utf8NetscapeFileIsConvertedAndOnlyAnUnclearOneAsks) {
    startWithSample();
    std::string path = pathInFolder("utf8.html");
    const std::string japaneseUtf8 = u8"日本語のページ";
    const std::string link = "<DT><A HREF=\"http://example.jp/\">";
    struct Case {
        std::string file;
        std::vector<int> answers;
        bool asks;
        std::string title;
    } cases[] = {
        {"<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<META HTTP-EQUIV=\"Content-Type\" "
         "CONTENT=\"text/html; charset=UTF-8\">\r\n<DL><p>\r\n" + link + japaneseUtf8 + "</A>\r\n</DL><p>\r\n",
         {}, false, "日本語のページ"},
        {"<DL><p>\r\n" + link + japaneseUtf8 + "</A>\r\n</DL><p>\r\n", {}, false, "日本語のページ"},
        {link + "Caf\xC3\xA9</A>", {IDYES}, true, "Caf〓"},
        {link + "Caf\xC3\xA9</A>", {IDNO}, true, "Caf\xC3\xA9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        writeBytes(path, c.file);
        asked.clear();
        answerWith(c.answers);
        chooseFiles({path});
        command(CMD_IMPORT_NETSCAPE);
        if (c.asks) {
            ASSERT_FALSE(asked.empty());
            expectSaid(0, L"このファイルは UTF-8 かもしれません。UTF-8 として読み込みますか？\r\n"
                          L"「いいえ」では Shift-JIS として読み込みます。",
                       L"ファイルの読み込み");
            EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        } else {
            EXPECT_TRUE(asked.empty());
        }
        EXPECT_EQ(titleOf(selected()), c.title);
        EXPECT_EQ(recordOfNode(document(), selected()).locator, "http://example.jp/");
        select(tools);
    }

    // Declared in lower case, the address holding characters Shift-JIS lacks: kept whole.
    writeBytes(path, std::string("<meta charset=\"utf-8\"><DT><A HREF=\"") + u8"http://cafe.example/Caf\u00E9/\u00FC" +
                         "\">" + japaneseUtf8 + "</A>");
    asked.clear();
    chooseFiles({path});
    command(CMD_IMPORT_NETSCAPE);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(titleOf(selected()), "日本語のページ");
    EXPECT_EQ(recordOfNode(document(), selected()).locator, "http://cafe.example/Caf%C3%A9/%C3%BC");
}

TEST_F(Exchange, EveryCorpusFileImportsAsTheCoreReadsIt) {
    std::string corpus = corpusFolder();
    ASSERT_FALSE(corpus.empty());
    std::vector<std::string> names = filesIn(corpus + "\\html");
    ASSERT_GE(names.size(), 7u);
    startMainWindow();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::string path = corpus + "\\html\\" + name;
        std::string text = readBytes(path);
        // An unclear file asks, and the answer every question gets here (OK) is no Yes.
        Utf8Evidence evidence = utf8EvidenceOf(text);
        bool converted = isSurelyUtf8(evidence);
        Document expected;
        ImportResult core = importNetscape(converted ? utf8ToShiftJis(text, Unrepresentable::CharacterReference) : text,
                                           expected, insertRootItem(expected));
        // Marked items: the one question first (OK is no Yes: the document stays Shift-JIS), then the note.
        std::size_t questions = (evidence == Utf8Evidence::Ambiguous ? 1u : 0u) + (core.markedItems > 0 ? 2u : 0u);

        document().history.markSaved();  // no question about saving
        command(CMD_NEW_DOCUMENT);
        useShiftJis();
        asked.clear();
        chooseFiles({path});
        command(CMD_IMPORT_NETSCAPE);
        EXPECT_EQ(asked.size(), questions);
        EXPECT_GT(core.count, 0u);
        EXPECT_EQ(document().tree.liveCount(), expected.tree.liveCount());
        EXPECT_EQ(openWholeTree(), core.count + 1);
        EXPECT_EQ(titleOf(selected()), expected.tree.node(core.lastCreated).text);
        EXPECT_EQ(document().items.size(), expected.items.size());
    }
}

TEST_F(Exchange, CsvExportImportsBackAsFlatLinks) {
    startWithSample();
    std::string path = pathInFolder("tree.csv");
    chooseFiles({path});
    command(CMD_EXPORT_CSV);
    std::string text = readBytes(path);

    NodeId target = add(root(), "target");
    select(target);
    document().history.markSaved();
    dialogs.clear();
    chooseFiles({path});
    command(CMD_IMPORT_CSV);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs[0].typeOrIndex, 4);
    EXPECT_TRUE(asked.empty());
    Document expected;
    ImportResult core = importCsv(text, expected, insertRootItem(expected));
    EXPECT_EQ(core.count, 5u);  // root, Tools, Example, 日本語, CON
    std::vector<std::string> titles;
    for (NodeId n = document().tree.firstChild(target); n != kNoNode; n = document().tree.nextSibling(n)) {
        EXPECT_EQ(document().tree.firstChild(n), kNoNode);
        EXPECT_EQ(kindOf(document().tree.node(n).itemNumber), kKindWebLink);
        titles.push_back(titleOf(n));
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Perchlet", "Tools", "Example  with a comma", "日本語", "CON"}));
    NodeId last = document().tree.lastChild(target);
    EXPECT_EQ(selected(), last);
    EXPECT_TRUE(document().modified());
    // The comment keeps its line break as LF; the quoted locator comes back whole.
    NodeId exampleRow = document().tree.nextSibling(document().tree.nextSibling(document().tree.firstChild(target)));
    EXPECT_EQ(recordOfNode(document(), exampleRow).locator, "http://example.com/a,b");
    EXPECT_EQ(recordOfNode(document(), exampleRow).comment, "two\nlines");

    // A UTF-8 CSV is read as it stands, with no question; a cancelled dialog reads nothing.
    writeBytes(pathInFolder("utf8.csv"), "charset=UTF-8\r\nheader\r\n1,t,u,\"c\",1,2,3\r\n");
    chooseFiles({pathInFolder("utf8.csv")});
    command(CMD_IMPORT_CSV);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(titleOf(selected()), "t");
    command(CMD_IMPORT_CSV);
    EXPECT_TRUE(asked.empty());
}

TEST_F(Exchange, FavoritesExportAndImportOfARealFolderTree) {
    startWithSample();
    std::string out = pathInFolder("お気に入り");
    CreateDirectoryW(widen(out).c_str(), nullptr);
    chooseFiles({out});
    command(CMD_EXPORT_FAVORITES);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Folder);
    EXPECT_EQ(dialogs[0].title, "お気に入りを格納するフォルダを指定してください。");
    EXPECT_TRUE(dialogs[0].allowNewFolder);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(readBytes(out + "\\Perchlet\\Tools\\Example- with a comma.url"),
              internetShortcutText("http://example.com/a,b"));
    EXPECT_EQ(readBytes(out + "\\Perchlet\\日本語.url"), internetShortcutText("https://example.jp/"));
    EXPECT_EQ(readBytes(out + "\\Perchlet\\_CON.url"), internetShortcutText("http://con.example/"));
    EXPECT_FALSE(document().modified());

    // The popup export writes the selected folder only.
    std::string sub = pathInFolder("sub");
    CreateDirectoryW(widen(sub).c_str(), nullptr);
    chooseFiles({sub});
    command(CMD_EXPORT_SUB_FAVORITES);
    EXPECT_TRUE(fileExists(sub + "\\Tools\\Example- with a comma.url"));
    EXPECT_FALSE(fileExists(sub + "\\Perchlet"));

    command(CMD_NEW_DOCUMENT);
    useShiftJis();
    dialogs.clear();
    chooseFiles({out});
    command(CMD_IMPORT_FAVORITES);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Folder);
    EXPECT_EQ(dialogs[0].title, "お気に入りが格納されているフォルダを指定してください。");
    EXPECT_FALSE(dialogs[0].allowNewFolder);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(selected(), root());
    EXPECT_TRUE(document().modified());
    const BookmarkTree& tree = document().tree;
    NodeId top = tree.firstChild(root());
    ASSERT_NE(top, kNoNode);
    EXPECT_EQ(titleOf(top), "Perchlet");
    EXPECT_EQ(kindOf(tree.node(top).itemNumber), kKindFolder);
    std::vector<std::string> titles;
    for (NodeId n = tree.firstChild(top); n != kNoNode; n = tree.nextSibling(n)) titles.push_back(titleOf(n));
    EXPECT_EQ(titles, (std::vector<std::string>{"Tools", "_CON", "日本語"}));  // listed by name
    NodeId link = tree.firstChild(tree.firstChild(top));
    ASSERT_NE(link, kNoNode);
    EXPECT_EQ(titleOf(link), "Example- with a comma");
    EXPECT_EQ(recordOfNode(document(), link).locator, "http://example.com/a,b");
    EXPECT_FALSE(recordOfNode(document(), link).addDate.empty());
    EXPECT_EQ(openWholeTree(), 6u);
}

TEST_F(Exchange, FavoritesCancelsMissingFoldersAndTooLongPaths) {
    startWithSample();
    command(CMD_EXPORT_SUB_FAVORITES);  // cancelled: silent, the user's own choice
    EXPECT_TRUE(asked.empty());
    command(CMD_IMPORT_FAVORITES);  // cancelled: silent
    EXPECT_TRUE(asked.empty());

    asked.clear();
    chooseFiles({pathInFolder("no such folder")});
    command(CMD_IMPORT_FAVORITES);
    ASSERT_EQ(asked.size(), 1u);
    expectSaid(0, (L"フォルダの中を読めませんでした。\r\n" + widen(pathInFolder("no such folder"))).c_str(),
               L"インポート");
    EXPECT_FALSE(document().modified());

    // A name past the path limit is shortened, a folder that cannot be made is skipped with
    // what it holds, the 17 links after them are written, and one message counts it all.
    std::string longTitle(300, 'x');
    NodeId holder = add(root(), "long");
    add(holder, "before", "http://a.example/");
    add(holder, longTitle.c_str(), "http://b.example/");
    add(add(holder, "blocked"), "inside", "http://i.example/");
    for (int i = 0; i < 17; ++i) add(holder, "after" + std::to_string(i), "http://c.example/");
    select(holder);
    asked.clear();
    std::string out = pathInFolder("out");
    CreateDirectoryW(widen(out).c_str(), nullptr);
    CreateDirectoryW(widen(out + "\\long").c_str(), nullptr);
    writeBytes(out + "\\long\\blocked", "a file where the folder goes");
    chooseFiles({out});
    command(CMD_EXPORT_SUB_FAVORITES);
    ASSERT_EQ(asked.size(), 1u);
    expectSaid(0,
               L"1 件は書き込めなかったため、飛ばしました（最初: long\\blocked）。作れなかったフォルダの中の 1 "
               L"項目も書き出していません。\r\n\r\n1 個の名前は、パスが長すぎるため短くしました。",
               L"エクスポート");
    EXPECT_TRUE(fileExists(out + "\\long\\before.url"));
    EXPECT_TRUE(fileExists(out + "\\long\\after16.url"));
    std::vector<std::string> written = filesIn(out + "\\long");
    EXPECT_EQ(written.size(), 20u);  // before, the shortened one, 17 after and the blocker
}

// Files already in the folder: one question before anything is written; cancel, keep both
// or replace.
TEST_F(Exchange, FavoritesAsksOnceAboutFilesAlreadyThere) {
    startWithSample();
    std::string out = pathInFolder("fav");
    std::string existing = out + "\\Tools\\Example- with a comma.url";
    CreateDirectoryW(widen(out).c_str(), nullptr);
    CreateDirectoryW(widen(out + "\\Tools").c_str(), nullptr);
    writeBytes(existing, "mine");
    const int answers[] = {IDCANCEL, IDNO, IDYES};
    for (int answer : answers) {
        SCOPED_TRACE(answer);
        asked.clear();
        answerWith({answer});
        chooseFiles({out});
        command(CMD_EXPORT_SUB_FAVORITES);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNOCANCEL));
        EXPECT_NE(asked[0].text.find(L"同じ名前のファイルが 1 個あります（最初: Example- with a comma.url）"),
                  std::wstring::npos);
    }
    EXPECT_EQ(readBytes(existing), internetShortcutText("http://example.com/a,b"));
    EXPECT_EQ(readBytes(out + "\\Tools\\Example- with a comma (2).url"), internetShortcutText("http://example.com/a,b"));
    EXPECT_EQ(filesIn(out + "\\Tools").size(), 2u);  // cancel wrote nothing
}

// A data file of 4,097 nested folders: item numbers count depth to 4,095, so it loads cut
// into two top-level trees. Every whole-tree export writes both and says the limit cut it.
TEST_F(Exchange, WholeTreeExportsWriteEveryTopLevelTreeAndSayADepthCut) {
    std::string data = kDataFileHeader;
    for (unsigned i = 1; i <= 4097; ++i) {
        unsigned number = 1u << 28 | (i % 4096) << 16 | i;
        data += "[List]\r\nItemNum=" + std::to_string(number) + "\r\nParentNum=0\r\nTitleName=f" +
                std::to_string(i) + "\r\nLocator=\r\nComment=\r\n\r\n";
    }
    writeBytes(pathInFolder("wrapped.dat"), data);
    startMainWindow();
    chooseFiles({pathInFolder("wrapped.dat")});
    command(CMD_OPEN_DATA_FILE);
    ASSERT_NE(document().tree.nextSibling(root()), kNoNode);
    const std::wstring cut = L"読み込んだときに 1 か所で切れ、最上位の 2 個のツリーに分かれています。";
    for (int id : {CMD_EXPORT_NETSCAPE, CMD_EXPORT_TREE_HTML, CMD_EXPORT_CSV}) {
        SCOPED_TRACE(id);
        asked.clear();
        std::string path = pathInFolder("all" + std::to_string(id));
        chooseFiles({path});
        command(id);
        std::string bytes = readBytes(path);
        EXPECT_NE(bytes.find("f4095"), std::string::npos);
        EXPECT_NE(bytes.find("f4097"), std::string::npos);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_NE(asked[0].text.find(cut), std::wstring::npos);
    }
    asked.clear();
    std::string out = pathInFolder("favorites");
    CreateDirectoryW(widen(out).c_str(), nullptr);
    chooseFiles({out});
    command(CMD_EXPORT_FAVORITES);
    EXPECT_TRUE(fileExists(out + "\\f4096\\f4097"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].text.find(L"16 階層より深いため"), std::wstring::npos);
    EXPECT_NE(asked[0].text.find(cut), std::wstring::npos);
}

TEST_F(Exchange, FavoritesImportStopsAfterTheThousandthEntry) {
    startWithSample();
    // Two directory levels are open when the limit is reached: each says so.
    std::string big = pathInFolder("big");
    CreateDirectoryW(widen(big).c_str(), nullptr);
    CreateDirectoryW(widen(big + "\\inner").c_str(), nullptr);
    for (int i = 0; i < 1200; ++i)
        writeBytes(big + "\\inner\\link" + std::to_string(10000 + i) + ".url", internetShortcutText("http://x/"));
    std::size_t before = document().tree.liveCount();
    chooseFiles({big});
    command(CMD_IMPORT_FAVORITES);
    EXPECT_EQ(document().tree.liveCount(), before + 1 + 1001);
    ASSERT_EQ(asked.size(), 2u);
    expectSaid(0, L"1000件を超えたため、その先は読み込みませんでした。", L"インポート");
    expectSaid(1, L"1000件を超えたため、その先は読み込みませんでした。", L"インポート");
    NodeId inner = document().tree.lastChild(tools);
    EXPECT_EQ(titleOf(inner), "inner");
    EXPECT_EQ(titleOf(document().tree.lastChild(inner)), "link11000");
    EXPECT_EQ(selected(), tools);
}

// Paths never pass through Shift-JIS: a folder named with characters it lacks is the one
// the exports write into and the imports read from.
TEST_F(Exchange, PathsFromTheDialogsKeepCharactersThatShiftJisLacks) {
    startWithSample();
    std::wstring out = folder + L"\\Caf\u00E9\U0001F600";
    ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
    auto exists = [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };

    chooseFiles(std::vector<std::wstring>{out});
    command(CMD_EXPORT_FAVORITES);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(exists(out + L"\\Perchlet\\日本語.url"));
    EXPECT_FALSE(exists(folder + L"\\Perchlet"));
    chooseFiles(std::vector<std::wstring>{out + L"\\tree.html"});
    command(CMD_EXPORT_NETSCAPE);
    EXPECT_TRUE(exists(out + L"\\tree.html"));

    command(CMD_NEW_DOCUMENT);
    useShiftJis();
    chooseFiles(std::vector<std::wstring>{out});
    command(CMD_IMPORT_FAVORITES);
    NodeId top = document().tree.firstChild(root());
    ASSERT_NE(top, kNoNode);
    EXPECT_EQ(titleOf(top), "Perchlet");
    EXPECT_EQ(titleOf(document().tree.nextSibling(top)), "tree.");  // the page is a file there too
    EXPECT_EQ(document().tree.liveCount(), 7u);
    EXPECT_TRUE(asked.empty());
}

namespace perchlet {
namespace {

// Windows paths are UTF-16: bytes that are no UTF-8 must not throw on their way there.
TEST(FavoritesPathName, DamagedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(favoritesPathName("a\xFF\x93\xFA", TextEncoding::Utf8).wstring(), L"a\uFFFD\uFFFD\uFFFD");
}

}  // namespace
}  // namespace perchlet
