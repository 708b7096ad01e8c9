// A UTF-8 data file in the window: titles and a path that Shift-JIS cannot hold are kept
// through open, reload, save, backup and the next start; Save As asks before losing them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/data_file.h"
#include "store/document_text.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

const std::vector<std::string> kTitles = {u8"📚 読書メモ 🇯🇵", u8"한국어 페이지", u8"Ελληνικά"};

// Root > a folder for each of the first `count` titles, as a UTF-8 data file.
std::string utf8DataFile(std::size_t count) {
    TestTree tree;
    tree.doc.file.encoding = TextEncoding::Utf8;
    for (std::size_t i = 0; i < count; ++i) tree.add(tree.root, kKindFolder, kTitles[i]);
    return writeWholeDocument(tree.doc);
}

std::string readAt(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeAt(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

class Utf8Documents : public MainWindowTest {
protected:
    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        pumpMessages();
    }
    std::vector<std::string> titles() {
        const BookmarkTree& tree = app().document.tree;
        std::vector<std::string> texts;
        NodeId root = tree.firstTopLevel();
        if (root == kNoNode) return texts;
        for (NodeId n = tree.firstChild(root); n != kNoNode; n = tree.nextSibling(n))
            texts.push_back(tree.node(n).text);
        return texts;
    }
};

}  // namespace

TEST_F(Utf8Documents, OpenReloadSaveAndNextStartKeepEveryCharacterOfTitlesAndPath) {
    const std::wstring place = folder + L"\\한국어 \U0001F600";
    ASSERT_TRUE(CreateDirectoryW(place.c_str(), nullptr));
    const std::wstring path = place + L"\\\U0001F4DA.dat", backup = place + L"\\\U0001F4DA.bak";
    const std::string ours = utf8DataFile(2), theirs = utf8DataFile(3);
    writeAt(path, ours);
    startMainWindow();
    app().settings.backupFile = 1;
    chooseFiles(std::vector<std::wstring>{path});
    command(CMD_OPEN_DATA_FILE);
    EXPECT_EQ(titles(), std::vector<std::string>(kTitles.begin(), kTitles.begin() + 2));
    EXPECT_TRUE(windowText(mainWindow()) == L"\U0001F4DA.dat - Perchlet");
    EXPECT_EQ(readAt(backup), ours);

    // Another program's version is read as UTF-8 too. Save writes it as it was read, and the
    // path is remembered in a settings file that can hold it: UTF-16.
    writeAt(path, theirs);
    answerWith({IDYES});
    SendMessageW(mainWindow(), WM_ACTIVATE, WA_ACTIVE, 0);
    pumpMessages();
    command(CMD_SAVE);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(readAt(path), theirs);
    EXPECT_EQ(readAt(folder + L"\\inifile.ini").substr(0, 2), "\xFF\xFE");
    destroyMainWindow();

    DeleteFileW(backup.c_str());
    startMainWindow();
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(titles(), kTitles);
    EXPECT_TRUE(windowText(mainWindow()) == L"\U0001F4DA.dat - Perchlet");
    EXPECT_EQ(readAt(backup), theirs);  // beside the data file, not in the start-up folder
}

TEST_F(Utf8Documents, SaveAsShiftJisAsksBeforeLosingCharactersAndUtf8LosesNothing) {
    startMainWindow();
    command(CMD_NEW_DOCUMENT);
    ASSERT_EQ(app().document.file.encoding, TextEncoding::Utf8);
    for (std::size_t i = 0; i < 2; ++i) {
        BookmarkItem record;
        record.title = kTitles[i];
        addImportedItem(app().document, app().document.tree.firstTopLevel(), kKindFolder, record);
    }
    std::vector<DataFileType> offered;
    DataFileType picked{};
    std::wstring path;
    setFileDialogResponder([&](const FileDialogRequest& request) {
        offered.push_back(*request.dataFileType);
        *request.dataFileType = picked;
        return path;
    });
    struct Case {
        DataFileType picked;
        int answer;  // to the question, when there is one
        std::size_t asked;
        TextEncoding after;
        std::vector<std::string> titles;
    };
    const Case cases[] = {
        {DataFileType::ShiftJis, IDNO, 1, TextEncoding::Utf8, {kTitles[0], kTitles[1]}},
        {DataFileType::ShiftJis, IDYES, 2, TextEncoding::ShiftJis, {"〓 読書メモ 〓", "〓 〓"}},
        {DataFileType::Utf8, IDOK, 2, TextEncoding::Utf8, {u8"〓 読書メモ 〓", u8"〓 〓"}},
    };
    for (const Case& c : cases) {
        picked = c.picked;
        path = folder + L"\\" + std::to_wstring(offered.size()) + L".dat";
        answerWith({c.answer});
        command(CMD_SAVE_AS);
        EXPECT_EQ(asked.size(), c.asked);
        EXPECT_EQ(app().document.file.encoding, c.after);
        EXPECT_EQ(titles(), c.titles);
        EXPECT_EQ(dataFileEncoding(readAt(path)), c.answer == IDNO ? std::nullopt : std::optional(c.after));
    }
    EXPECT_EQ(asked[0].text.find(L"この文書には Shift-JIS で保存できない文字が 9 文字（2 項目）あります。"), 0u);
    EXPECT_EQ(offered, (std::vector<DataFileType>{DataFileType::Utf8, DataFileType::Utf8, DataFileType::ShiftJis}));
    setFileDialogResponder(nullptr);
}
