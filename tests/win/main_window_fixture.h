// Creates the real main window in this process, in a temporary working folder, with every
// message box answered by the test.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "app/app_win.h"
#include "shell/dialogs_win.h"
#include "shell/file_dialogs_win.h"
#include "test_tree.h"

namespace perchlet::testing {

struct AskedMessage {
    std::wstring text;
    std::wstring caption;
    UINT type;
};

void pumpMessages(int milliseconds = 0);
std::wstring makeTempFolder();
void removeFolder(const std::wstring& path);
std::wstring wideFromUtf8(const char* utf8);

// Real files, named by Shift-JIS paths.
void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);
bool fileExists(const std::string& path);

// The text a tree view item shows.
std::wstring treeItemText(HWND tree, HTREEITEM item);

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Answers the next questions in order; afterwards every question gets IDOK.
    void answerWith(std::vector<int> answers) { answers_ = std::move(answers); }
    // Answers the next file dialogs in order (Shift-JIS paths, "" = cancelled); afterwards
    // every dialog is cancelled.
    void chooseFiles(const std::vector<std::string>& paths);
    // The same with paths as the dialog gives them (any characters).
    void chooseFiles(std::vector<std::wstring> paths) { paths_ = std::move(paths); }
    // A path inside the test's folder, Shift-JIS.
    std::string pathInFolder(const std::string& name) const;
    void startMainWindow();
    void destroyMainWindow();

    // Opens every folder, so that the view holds an item for each node; returns how many
    // items it holds then.
    std::size_t openWholeTree();

    // A folder (no locator) or link under parent in the window's document.
    NodeId add(NodeId parent, const std::string& title, const std::string& locator = "",
               const std::string& comment = "") {
        return addItemUnder(app().document, app().treeView, parent, title, locator, comment);
    }

    // After 新規作成: the test's texts are Shift-JIS literals, so its document is Shift-JIS.
    void useShiftJis() { app().document.file.encoding = TextEncoding::ShiftJis; }

    App& app() { return theApp(); }
    HWND mainWindow() { return theApp().mainWindow; }
    HWND treeWindow() { return theApp().treeView.window(); }

    std::vector<AskedMessage> asked;
    std::vector<FileDialogRequest> dialogs;
    std::wstring folder;

private:
    std::vector<int> answers_;
    std::vector<std::wstring> paths_;
    std::wstring previousFolder_;
};

// A started window holding
//   root
//     Tools (folder): Example (link), Sub (folder): Deep (link)
//     Other (folder)
//     Link (link)
// with the root open.
class SampleTreeTest : public MainWindowTest {
protected:
    void SetUp() override;

    NodeId root, tools, example, sub, deep, other, link;
};

}  // namespace perchlet::testing
