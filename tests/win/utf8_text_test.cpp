// Text beyond Shift-JIS in the real main window: through the clipboard between two documents
// and out to other programs, and from a Chrome profile through ブラウザから… into a UTF-8
// document and into a Shift-JIS one with each answer to the one question.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <windows.h>

#include "every_character_texts.h"
#include "exchange/browser_import_win.h"
#include "main_window_fixture.h"
#include "profile_chooser.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/data_file.h"
#include "store/document_encoding.h"

using namespace perchlet;
using namespace perchlet::testing;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kChromeTitles = {u8"📚 読書メモ 🇯🇵", u8"한국어 페이지", u8"Ελληνικά", u8"Café – naïve"};
constexpr std::size_t kChromeCharactersNotHeld = 13;  // 📚 🇯🇵(2) 한국어페이지(6) ά é – ï

bool isQuestion(const AskedMessage& message) { return message.text.find(L"UTF-8 に切り替える") != std::wstring::npos; }

std::size_t questionsIn(const std::vector<AskedMessage>& asked) {
    std::size_t count = 0;
    for (const AskedMessage& message : asked) count += isQuestion(message) ? 1 : 0;
    return count;
}

class Utf8Text : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startMainWindow();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(windowsBrowserFolders().localAppData / "Google", ignored);
        MainWindowTest::TearDown();
    }

    void command(int id) {
        SendMessageW(mainWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        pumpMessages();
    }

    // A new, unchanged document in the encoding, its root selected; nothing asked so far.
    void newDocumentIn(TextEncoding encoding) {
        answerWith({IDNO});  // the changes of the one before are not saved
        command(CMD_NEW_DOCUMENT);
        convertDocumentEncoding(app().document, encoding);
        app().document.history.markSaved();
        app().treeView.select(root());
        asked.clear();
    }
    NodeId root() { return app().document.tree.firstTopLevel(); }

    NodeId lastChild(NodeId parent) {
        NodeId last = kNoNode;
        for (NodeId n = app().document.tree.firstChild(parent); n != kNoNode; n = app().document.tree.nextSibling(n))
            last = n;
        return last;
    }

    // The links below the node, in tree order; each one's item made and its text checked
    // against what the document holds.
    std::vector<const BookmarkItem*> linksBelow(NodeId top) {
        std::vector<const BookmarkItem*> links;
        Document& document = app().document;
        document.tree.walkSubtree(top, [&](NodeId node) {
            const BookmarkItem* record = nodeRecord(document, node);
            if (node == top || !record || record->locator.empty()) return;
            links.push_back(record);
            app().treeView.ensureVisible(node);
            EXPECT_EQ(treeItemText(treeWindow(), app().treeView.itemOf(node)),
                      document.file.encoding == TextEncoding::Utf8 ? wideFromUtf8(record->title.str().c_str())
                                                                   : widen(record->title));
        });
        return links;
    }

    // Wine's clipboard manager may hold the clipboard for a moment after it changed.
    static bool openClipboard() {
        for (int tries = 0; tries < 100; ++tries, Sleep(10))
            if (OpenClipboard(nullptr)) return true;
        return false;
    }
    std::wstring clipboardUnicode() {
        std::wstring text;
        if (!openClipboard()) return text;
        if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(block));
            GlobalUnlock(block);
        }
        CloseClipboard();
        return text;
    }
    std::string clipboardShiftJis() {
        std::string text;
        if (!openClipboard()) return text;
        if (HANDLE block = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(block));
            GlobalUnlock(block);
        }
        CloseClipboard();
        return text;
    }

    // The first row the find window lists for the query.
    std::wstring foundFirst(const std::wstring& query) {
        command(CMD_FIND);
        HWND window = app().search.findWindow;
        if (!window) return L"(no find window)";
        SetWindowTextW(GetDlgItem(window, IDC_FIND_TEXT), query.c_str());
        pumpMessages();
        wchar_t row[256] = L"";
        ListView_GetItemText(GetDlgItem(window, IDC_FIND_RESULTS), 0, 0, row, 256);
        SendMessageW(window, WM_CLOSE, 0, 0);
        pumpMessages();
        return row;
    }

    std::string savedBytes(const std::string& name) {
        std::string path = pathInFolder(name);
        chooseFiles({path});
        command(CMD_SAVE_AS);
        return readBytes(path);
    }

    void placeChromeProfile() {
        std::string children;
        for (std::size_t i = 0; i < kChromeTitles.size(); ++i)
            children += std::string(i ? "," : "") + R"({"type": "url", "name": ")" + kChromeTitles[i] +
                        R"(", "url": "https://example.com/)" + std::to_string(i) + R"(", "date_added": "13340000000000000"})";
        std::string json = R"({"roots": {"bookmark_bar": {"type": "folder", "name": "Bookmarks bar", "children": [)" +
                           children + R"(]}, "other": {"type": "folder", "name": "Other", "children": []}}, "version": 1})";
        fs::path file = windowsBrowserFolders().localAppData / "Google" / "Chrome" / "User Data" / "Default" / "Bookmarks";
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << json;
    }

    // The links of the profile, imported under the root.
    std::vector<std::string> importChromeTitles() {
        ProfileChooser chooser(L"Google Chrome");
        command(CMD_IMPORT_BROWSER);
        chooser.finish();
        std::vector<std::string> titles;
        for (const BookmarkItem* link : linksBelow(lastChild(root()))) titles.push_back(link->title);
        return titles;
    }
};

}  // namespace

TEST_F(Utf8Text, EveryCharacterGoesThroughTheClipboardToAnotherDocumentAndToOtherPrograms) {
    const std::vector<std::string>& texts = kEveryCharacterTexts;
    newDocumentIn(TextEncoding::Utf8);
    NodeId folder = add(root(), "every");
    for (const std::string& text : texts) add(folder, text, "http://example.com/" + text, text);
    app().treeView.select(folder);
    command(CMD_COPY);

    // Other programs get every character as Unicode text; older versions their Shift-JIS text.
    std::wstring unicode = clipboardUnicode();
    for (const std::string& text : texts) EXPECT_NE(unicode.find(wideFromUtf8(text.c_str())), std::wstring::npos) << text;
    EXPECT_EQ(clipboardShiftJis().compare(0, std::strlen(kDataFileHeader), kDataFileHeader), 0);

    std::size_t notHeld = 0;
    for (const std::string& text : texts) notHeld += 2 * charactersShiftJisCannotHold(text);  // title and comment
    struct Case {
        TextEncoding document;
        int answer;
        TextEncoding after;
    } cases[] = {{TextEncoding::Utf8, IDOK, TextEncoding::Utf8},
                 {TextEncoding::ShiftJis, IDYES, TextEncoding::Utf8},
                 {TextEncoding::ShiftJis, IDNO, TextEncoding::ShiftJis}};
    for (const Case& c : cases) {
        newDocumentIn(c.document);
        answerWith({c.answer});
        command(CMD_PASTE);
        EXPECT_EQ(app().document.file.encoding, c.after);
        std::vector<const BookmarkItem*> links = linksBelow(lastChild(root()));
        ASSERT_EQ(links.size(), texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            LostCharacters runs;
            std::string kept = c.after == TextEncoding::Utf8 ? texts[i]
                                                             : convertText(texts[i], TextEncoding::Utf8,
                                                                           TextEncoding::ShiftJis, Unrepresentable::Mark,
                                                                           &runs);
            EXPECT_EQ(links[i]->title, kept);
            EXPECT_EQ(links[i]->comment, kept);
        }
        if (c.document == TextEncoding::Utf8) {
            EXPECT_TRUE(asked.empty());
            continue;
        }
        ASSERT_FALSE(asked.empty());
        EXPECT_TRUE(isQuestion(asked[0]));
        EXPECT_NE(asked[0].text.find(std::to_wstring(notHeld) + L" 文字"), std::wstring::npos);
        // Kept as Shift-JIS: one note with the count; the next paste asks nothing.
        EXPECT_EQ(asked.size(), c.answer == IDNO ? 2u : 1u);
        command(CMD_PASTE);
        EXPECT_EQ(questionsIn(asked), 1u);
    }
}

TEST_F(Utf8Text, AChromeProfileComesInWholeOrMarkedAsTheUserChooses) {
    placeChromeProfile();

    // A UTF-8 document keeps every title, shows it, finds it and saves it.
    newDocumentIn(TextEncoding::Utf8);
    EXPECT_EQ(importChromeTitles(), kChromeTitles);
    EXPECT_EQ(questionsIn(asked), 0u);
    const std::wstring korean = L"한국어";
    EXPECT_EQ(foundFirst(korean), wideFromUtf8(kChromeTitles[1].c_str()));
    EXPECT_EQ(foundFirst(L"CAF\u00C9"), wideFromUtf8(kChromeTitles[3].c_str()));
    std::string saved = savedBytes("utf8.dat");
    EXPECT_EQ(saved.compare(0, 3, "\xEF\xBB\xBF"), 0);
    for (const std::string& title : kChromeTitles) EXPECT_NE(saved.find("TitleName=" + title + "\r\n"), std::string::npos);

    // A Shift-JIS document that switches keeps them too, and its own items stay as they were.
    newDocumentIn(TextEncoding::ShiftJis);
    NodeId own = add(root(), "日本語のメモ");
    answerWith({IDYES});
    EXPECT_EQ(importChromeTitles(), kChromeTitles);
    ASSERT_TRUE(!asked.empty() && isQuestion(asked[0]));
    EXPECT_NE(asked[0].text.find(std::to_wstring(kChromeCharactersNotHeld) + L" 文字"), std::wstring::npos);
    EXPECT_EQ(app().document.file.encoding, TextEncoding::Utf8);
    EXPECT_EQ(treeItemText(treeWindow(), app().treeView.itemOf(own)), L"日本語のメモ");
    EXPECT_EQ(foundFirst(L"読書メモ"), wideFromUtf8(kChromeTitles[0].c_str()));
    saved = savedBytes("switched.dat");
    EXPECT_EQ(saved.compare(0, 3, "\xEF\xBB\xBF"), 0);
    EXPECT_NE(saved.find(u8"TitleName=日本語のメモ\r\n"), std::string::npos);
    for (const std::string& title : kChromeTitles) EXPECT_NE(saved.find("TitleName=" + title + "\r\n"), std::string::npos);
    // The import is its own undo step after the switch.
    command(CMD_UNDO);
    EXPECT_EQ(lastChild(root()), own);
    EXPECT_EQ(nodeRecord(app().document, own)->title, u8"日本語のメモ");

    // A Shift-JIS document that stays so marks each run, says so once, and asks only once.
    newDocumentIn(TextEncoding::ShiftJis);
    answerWith({IDNO});
    const std::vector<std::string> marked = {"〓 読書メモ 〓", "〓 〓", "Ελληνικ〓", "Caf〓 〓 na〓ve"};
    EXPECT_EQ(importChromeTitles(), marked);
    EXPECT_EQ(app().document.file.encoding, TextEncoding::ShiftJis);
    EXPECT_EQ(foundFirst(L"読書メモ"), L"〓 読書メモ 〓");
    saved = savedBytes("kept.dat");
    EXPECT_EQ(saved.compare(0, std::strlen(kDataFileHeader), kDataFileHeader), 0);
    for (const std::string& title : marked) EXPECT_NE(saved.find("TitleName=" + title + "\r\n"), std::string::npos);
    importChromeTitles();
    EXPECT_EQ(questionsIn(asked), 1u);
}
