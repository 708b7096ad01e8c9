// A UTF-8 data file in the window: titles and a path that Shift-JIS cannot hold are kept
// through open, save, backup and the next start, and Save As asks before it loses them.
#include <gtest/gtest.h>

#include <windows.h>

#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/data_file.h"
#include "store/document_text.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

const char kBooks[] = u8"📚 読書メモ 🇯🇵";
const char kKorean[] = u8"한국어 페이지";
const char kGreek[] = u8"Ελληνικά";

void writeFileAt(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
}

std::string readFileAt(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD done = 0;
    while (ReadFile(file, buffer, sizeof buffer, &done, nullptr) && done > 0) bytes.append(buffer, done);
    CloseHandle(file);
    return bytes;
}

// Root > 📚 読書メモ 🇯🇵 (a link), 한국어 페이지 (a folder) and more folders, as a UTF-8 data file.
std::string booksDataFile(std::vector<const char*> more = {}) {
    TestTree tree;
    tree.doc.file.encoding = TextEncoding::Utf8;
    tree.add(tree.root, kKindWebLink, kBooks, u8"https://example.com/読書");
    tree.add(tree.root, kKindFolder, kKorean);
    for (const char* title : more) tree.add(tree.root, kKindFolder, title);
    return writeWholeDocument(tree.doc);
}

class Utf8Documents : public MainWindowTest {
protected:
    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        pumpMessages();
    }
    std::vector<std::string> topTitles() {
        const BookmarkTree& tree = app().document.tree;
        std::vector<std::string> titles;
        for (NodeId n = tree.firstChild(tree.firstTopLevel()); n != kNoNode; n = tree.nextSibling(n))
            titles.push_back(tree.node(n).text);
        return titles;
    }
    // Save As to path with the type the user picks in the dialog; the type it offered first.
    DataFileType saveAs(const std::wstring& path, DataFileType picked) {
        DataFileType offered{};
        setFileDialogResponder([&](const FileDialogRequest& request) {
            offered = *request.dataFileType;
            *request.dataFileType = picked;
            return path;
        });
        command(CMD_SAVE_AS);
        setFileDialogResponder(nullptr);
        return offered;
    }
};

}  // namespace

TEST_F(Utf8Documents, OpenSaveAndNextStartKeepEveryCharacterOfTitlesAndPath) {
    const std::wstring place = folder + L"\\한국어 \U0001F600";
    ASSERT_TRUE(CreateDirectoryW(place.c_str(), nullptr));
    const std::wstring path = place + L"\\\U0001F4DA 本.dat";
    const std::wstring backup = place + L"\\\U0001F4DA 本.bak";
    const std::wstring caption = L"\U0001F4DA 本.dat - Perchlet";
    const std::string bytes = booksDataFile();
    writeFileAt(path, bytes);

    startMainWindow();
    app().settings.backupFile = 1;
    chooseFiles(std::vector<std::wstring>{path});
    command(CMD_OPEN_DATA_FILE);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(app().document.file.encoding, TextEncoding::Utf8);
    EXPECT_EQ(topTitles(), (std::vector<std::string>{kBooks, kKorean}));
    EXPECT_TRUE(windowText(mainWindow()) == caption);
    EXPECT_EQ(readFileAt(backup), bytes);

    // Another program's version is read as UTF-8 too.
    const std::string theirs = booksDataFile({kGreek});
    writeFileAt(path, theirs);
    answerWith({IDYES});
    SendMessageW(mainWindow(), WM_ACTIVATE, WA_ACTIVE, 0);
    pumpMessages();
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(topTitles(), (std::vector<std::string>{kBooks, kKorean, kGreek}));

    // Saved as it was read, and remembered for the next start in a settings file that can
    // hold the path: UTF-16.
    asked.clear();
    command(CMD_SAVE);
    EXPECT_EQ(readFileAt(path), theirs);
    std::string settings = readBytes(pathInFolder("inifile.ini"));
    EXPECT_EQ(settings.substr(0, 2), "\xFF\xFE");
    const std::wstring dataPass = L"DataPass=" + path + L"\r\n";
    EXPECT_NE(settings.find(reinterpret_cast<const char*>(dataPass.data()), 0, dataPass.size() * 2),
              std::string::npos);
    destroyMainWindow();

    DeleteFileW(backup.c_str());
    startMainWindow();
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(app().document.loaded);
    EXPECT_TRUE(app().document.file.path == path);
    EXPECT_EQ(topTitles(), (std::vector<std::string>{kBooks, kKorean, kGreek}));
    EXPECT_TRUE(windowText(mainWindow()) == caption);
    // Beside the data file, not in the folder the program started in.
    EXPECT_EQ(readFileAt(backup), theirs);
    EXPECT_EQ(GetFileAttributesW((folder + L"\\\U0001F4DA 本.bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Utf8Documents, SaveAsShiftJisAsksBeforeLosingCharactersAndUtf8KeepsThem) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    Document& document = app().document;
    ASSERT_EQ(document.file.encoding, TextEncoding::Utf8);
    NodeId root = document.tree.firstTopLevel();
    BookmarkItem record;
    record.title = kBooks;
    addImportedItem(document, root, kKindFolder, record);
    record.title = kKorean;
    addImportedItem(document, root, kKindFolder, record);
    const std::wstring path = folder + L"\\sjis.dat";

    answerWith({IDNO});
    EXPECT_EQ(saveAs(path, DataFileType::ShiftJis), DataFileType::Utf8);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text.find(L"この文書には Shift-JIS で保存できない文字が 9 文字（2 項目）あります。"), 0u);
    EXPECT_FALSE(fileExists(narrow(path)));
    EXPECT_EQ(document.file.encoding, TextEncoding::Utf8);
    EXPECT_EQ(topTitles(), (std::vector<std::string>{kBooks, kKorean}));

    answerWith({IDYES});
    saveAs(path, DataFileType::ShiftJis);
    EXPECT_EQ(asked.size(), 2u);
    std::string written = readFileAt(path);
    EXPECT_EQ(dataFileEncoding(written), TextEncoding::ShiftJis);
    EXPECT_EQ(document.file.encoding, TextEncoding::ShiftJis);
    EXPECT_EQ(topTitles(), (std::vector<std::string>{"〓 読書メモ 〓", "〓 〓"}));
    EXPECT_NE(written.find("TitleName=〓 読書メモ 〓\r\n"), std::string::npos);
    EXPECT_FALSE(document.modified());

    // Shift-JIS to UTF-8 loses nothing: no question.
    const std::wstring utf8Path = folder + L"\\utf8.dat";
    EXPECT_EQ(saveAs(utf8Path, DataFileType::Utf8), DataFileType::ShiftJis);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(readFileAt(utf8Path).substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(document.file.encoding, TextEncoding::Utf8);
    EXPECT_EQ(topTitles(), (std::vector<std::string>{u8"〓 読書メモ 〓", u8"〓 〓"}));
    EXPECT_TRUE(windowText(mainWindow()) == L"utf8.dat - Perchlet");
}
