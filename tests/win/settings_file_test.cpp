// The settings file is the user's: odd files read without harm under the real
// private-profile functions, and a save keeps what the program does not know.
#include <gtest/gtest.h>

#include <string>
#include <windows.h>

#include "app/main_window_win.h"
#include "app/placement_win.h"
#include "main_window_fixture.h"
#include "shell/command_ids.h"
#include "shell/text_win.h"
#include "store/document_text.h"
#include "store/tree_population.h"

using namespace perchlet;
using namespace perchlet::testing;

namespace {

class SettingsFile : public MainWindowTest {
protected:
    void start(const std::string& file) {
        writeBytes(pathInFolder("inifile.ini"), file);
        startMainWindow();
        started = app().settings;
    }
    std::string save() {
        SendMessageW(mainWindow(), WM_COMMAND, CMD_OPTIONS_PANEL, 0);
        pumpMessages();
        SendDlgItemMessageW(app().panels.options.window, IDC_OPT_SAVE, BM_CLICK, 0, 0);
        pumpMessages();
        return readBytes(pathInFolder("inifile.ini"));
    }
    std::string startAndSave(const std::string& file) {
        start(file);
        return save();
    }

    Settings started;  // as read at start-up, before the panel saved
};

const std::string kUnknown = "[Mine]\r\nKeep=\x95\x5C\r\n";

}  // namespace

TEST_F(SettingsFile, Utf8WithByteOrderMarkIsReadAsTextAndStaysUtf8) {
    // "C:\表.dat" in UTF-8; the data file's path is read whole, as UTF-8, whatever the code page.
    std::string saved = startAndSave(
        "\xEF\xBB\xBF[Option]\r\nFileOpen=0\r\nDataPass=C:\\\xE8\xA1\xA8.dat\r\n[Window]\r\nMainXPos=7\r\n"
        "[Mine]\r\nKeep=\xE3\x81\x82\r\n");
    EXPECT_EQ(started.mainX, "7");
    EXPECT_EQ(started.dataPath, "C:\\\xE8\xA1\xA8.dat");
    EXPECT_EQ(saved.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(saved.find("[Mine]\r\nKeep=\xE3\x81\x82\r\n"), std::string::npos);
    EXPECT_NE(saved.find("MainXPos=7\r\n"), std::string::npos);
}

TEST_F(SettingsFile, LineEndsOfEveryKind) {
    struct Case {
        const char* name;
        std::string file;
    };
    const Case cases[] = {
        {"LF only", "[Option]\nFileOpen=0\nBackFile=1\n[Window]\nMainXPos=7\n[Mine]\nKeep=\x95\x5C\n"},
        {"CR only", "[Option]\rFileOpen=0\rBackFile=1\r[Window]\rMainXPos=7\r[Mine]\rKeep=\x95\x5C\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string saved = startAndSave(c.file);
        EXPECT_EQ(started.backupFile, 1);
        EXPECT_EQ(started.mainX, "7");
        // Saved with CR LF throughout; nothing of the user's is lost.
        EXPECT_NE(saved.find("\r\n[Mine]\r\nKeep=\x95\x5C\r\n"), std::string::npos) << saved;
        EXPECT_EQ(saved.find_first_of('\n'), saved.find("\r\n") + 1);
        destroyMainWindow();
    }
}

TEST_F(SettingsFile, UnknownSectionsAndKeysSurviveUnchanged) {
    std::string saved = startAndSave("[Option]\r\nFileOpen=0\r\nTheirs=1\r\n" + kUnknown + "[Window]\r\nX=\r\n");
    EXPECT_EQ(saved,
              "[Option]\r\nFileOpen=0\r\nTheirs=1\r\nBackFile=0\r\nDefBrows=0\r\nDataPass=\r\n"
              "BrowsPass1=C:\\windows\\system32\\winebrowser.exe\r\nBrowsPass2=\r\nBrowsPass3=\r\n" +
                  kUnknown +
                  "[Window]\r\nX=\r\nAutoHyde=0\r\nTopMost=0\r\nMainXPos=0\r\nMainYPos=0\r\nMainWidth=" +
                  std::to_string(defaultMainWidth(mainWindow(), app().dpi)) + "\r\n"
                  "MainHight=800\r\nAlignment=0\r\nBrowsXPos=250\r\nBrowsYPos=0\r\nBrowsWidth=640\r\n"
                  "BrowsHight=800\r\n");
}

TEST_F(SettingsFile, TenThousandCharacterValues) {
    std::string huge(10000, 'a');
    std::string file = "[Option]\r\nFileOpen=0\r\nDataPass=" + huge + "\r\n[Mine]\r\nLong=" + huge +
                       "\r\n[Window]\r\nMainXPos=" + std::string(10000, '7') + "\r\n";
    std::string saved = startAndSave(file);
    // The profile functions give 255 characters of a value; the data file's path is read whole,
    // and the options panel, which holds no such path, saves nothing rather than a cut one.
    EXPECT_EQ(started.dataPath, huge);
    EXPECT_EQ(started.mainX, std::string(255, '7'));
    EXPECT_EQ(saved, file);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text.find(L"パスが長すぎます。"), 0u);
    destroyMainWindow();
    saved = startAndSave("[Option]\r\nFileOpen=0\r\n[Mine]\r\nLong=" + huge + "\r\n[Window]\r\nMainXPos=" +
                         std::string(10000, '7') + "\r\n");
    // 255 digits reach the number edit as the 9 it holds, a position beyond any screen:
    // refused with a message, the file left as it was.
    EXPECT_EQ(asked.size(), 2u);
    SetDlgItemTextW(app().panels.options.window, IDC_OPT_MAIN_X, L"77");
    saved = save();
    // What the program does not own is kept whole.
    EXPECT_NE(saved.find("[Mine]\r\nLong=" + huge + "\r\n"), std::string::npos);
    EXPECT_NE(saved.find("MainXPos=77\r\n"), std::string::npos);
}

// A data file path of 256 to 259 characters, as Windows allows, opens that file at start-up.
TEST_F(SettingsFile, LongDataPassIsReadWhole) {
    Document document;
    insertRootItem(document);
    const std::string bytes = writeWholeDocument(document);
    const std::string name = "\\longpath.dat";
    for (std::size_t length : {256u, 259u}) {
        SCOPED_TRACE(length);
        std::string path = narrow(folder);
        for (std::size_t left; (left = length - name.size() - path.size()) > 0;) {
            path += "\\" + std::string(left > 41 ? 30 : left - 1, 'f');
            CreateDirectoryW(widen(path).c_str(), nullptr);
        }
        path += name;
        ASSERT_EQ(path.size(), length);
        writeBytes(path, bytes);
        asked.clear();
        start("[Option]\r\nFileOpen=1\r\nDataPass=" + path + "\r\n");
        EXPECT_EQ(started.dataPath, path);
        EXPECT_TRUE(asked.empty()) << (asked.empty() ? "" : narrow(asked[0].text));
        EXPECT_TRUE(windowText(mainWindow()) == L"longpath.dat - Perchlet");
        destroyMainWindow();
    }
}

TEST_F(SettingsFile, OddPositionsAndSizes) {
    struct Case {
        const char* name;
        std::string window;
        bool widthMax;
        const char* widthText;
    };
    const Case cases[] = {
        {"lower-case max is no MAX", "MainXPos=100\r\nMainWidth=max\r\n", false, "max"},
        {"MAX in capitals", "MainXPos=100\r\nMainWidth=MAX\r\n", true, nullptr},
        {"negative position", "MainXPos=-300\r\nMainYPos=-50\r\nMainWidth=MAX\r\n", true, nullptr},
        {"huge position", "MainXPos=99999999999\r\nMainYPos=4000000000\r\nMainWidth=MAX\r\n", true, nullptr},
        {"huge negative position", "MainXPos=-99999999999\r\nMainWidth=MAX\r\nMainHight=99999999999\r\n", true,
         "2147483647"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string saved = startAndSave("[Option]\r\nFileOpen=0\r\n[Window]\r\n" + c.window + kUnknown);
        ASSERT_TRUE(app().mainWindow && IsWindow(app().mainWindow));
        EXPECT_EQ(started.mainWidthMax, c.widthMax);
        if (c.widthText) {
            EXPECT_EQ(started.mainWidth, c.widthText);
        }
        EXPECT_NE(saved.find(kUnknown), std::string::npos);
        // Command 119 places the window from the same settings without harm.
        SendMessageW(mainWindow(), WM_COMMAND, CMD_RESTORE_MAIN_POS, 0);
        pumpMessages();
        EXPECT_TRUE(IsWindow(mainWindow()));
        destroyMainWindow();
    }
}

TEST_F(SettingsFile, Utf16IsReadAndStaysUtf16) {
    auto utf16 = [](const std::string& ascii) {
        std::string out = "\xFF\xFE";
        for (char c : ascii) out += std::string{c, '\0'};
        return out;
    };
    std::string saved = startAndSave(utf16("[Option]\r\nFileOpen=0\r\n[Window]\r\nMainXPos=7\r\n[Mine]\r\nK=1\r\n"));
    EXPECT_EQ(started.mainX, "7");
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(saved.find(utf16("[Mine]\r\nK=1\r\n").substr(2)), std::string::npos);
    EXPECT_NE(saved.find(utf16("MainXPos=7\r\n").substr(2)), std::string::npos);
}

// UTF-16 without a mark is edited as UTF-16; bytes the program cannot read are left alone
// and the user is told; a missing file is made.
TEST_F(SettingsFile, FilesOfEveryFormAreEditedWholeOrLeftAlone) {
    auto utf16WithoutMark = [](const std::string& ascii) {
        std::string out;
        for (char c : ascii) out += std::string{c, '\0'};
        return out;
    };
    const std::string unknownBytes =
        "[Option]\r\nFileOpen=0\r\n[Mine]\r\nK=" + std::string(2, '\0') + "\x01\r\n";
    struct Case {
        const char* name;
        std::string file;      // empty: no file at all
        bool refused;
        std::string keptPart;  // found in the saved file
    };
    const Case cases[] = {
        {"UTF-16 without a mark", utf16WithoutMark("[Option]\r\nFileOpen=0\r\n[Mine]\r\nK=1\r\n"), false,
         utf16WithoutMark("[Mine]\r\nK=1\r\n\r\n[Window]\r\nAutoHyde=0\r\n")},
        {"NUL bytes in no UTF-16 pattern", unknownBytes, true, unknownBytes},
        {"no file yet", "", false, "[Window]\r\nAutoHyde=0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW((folder + L"\\inifile.ini").c_str());
        if (!c.file.empty()) writeBytes(pathInFolder("inifile.ini"), c.file);
        startMainWindow();
        asked.clear();
        std::string saved = save();
        if (c.refused) {
            ASSERT_EQ(asked.size(), 1u);
            EXPECT_TRUE(asked[0].text == widen("設定ファイルの文字コードが分からないため、保存しませんでした。"));
            EXPECT_EQ(saved, c.file);
        } else {
            EXPECT_TRUE(asked.empty());
            EXPECT_NE(saved.find(c.keptPart), std::string::npos) << saved;
            EXPECT_NE(saved.substr(0, 2), "\xFF\xFE");
        }
        destroyMainWindow();
    }
}

// The settings go to the start-up folder itself, not to a folder whose name is only its
// Shift-JIS look-alike ("Cafe" beside "Café").
TEST_F(SettingsFile, SaveGoesToTheStartupFolderWhateverItsName) {
    const std::wstring real = folder + L"\\Caf\u00E9";
    const std::wstring lookAlike = folder + L"\\Cafe";
    ASSERT_TRUE(CreateDirectoryW(real.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(lookAlike.c_str(), nullptr));
    const std::string theirs = "[Mine]\r\nKeep=1\r\n";
    writeBytes(pathInFolder("Cafe\\inifile.ini"), theirs);
    auto writeWide = [](const std::wstring& path, const std::string& bytes) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD done = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(file);
    };
    auto readWide = [](const std::wstring& path) {
        std::string bytes;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return bytes;
        char buffer[4096];
        DWORD done = 0;
        while (ReadFile(file, buffer, sizeof buffer, &done, nullptr) && done > 0) bytes.append(buffer, done);
        CloseHandle(file);
        return bytes;
    };
    writeWide(real + L"\\inifile.ini", "[Option]\r\nFileOpen=0\r\n[Window]\r\nMainXPos=7\r\n");
    ASSERT_TRUE(SetCurrentDirectoryW(real.c_str()));
    startMainWindow();
    SendMessageW(mainWindow(), WM_COMMAND, CMD_OPTIONS_PANEL, 0);
    pumpMessages();
    SendDlgItemMessageW(app().panels.options.window, IDC_OPT_SAVE, BM_CLICK, 0, 0);
    pumpMessages();
    SetCurrentDirectoryW(folder.c_str());

    EXPECT_TRUE(asked.empty());
    std::string saved = readWide(real + L"\\inifile.ini");
    EXPECT_NE(saved.find("MainXPos=7\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("AutoHyde=0\r\n"), std::string::npos) << saved;
    EXPECT_EQ(readBytes(pathInFolder("Cafe\\inifile.ini")), theirs);
}
