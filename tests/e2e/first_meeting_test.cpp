// The real program as a new user meets it: the first start in an empty folder, then a data
// file with the find window, a question and the editor panel. Each is kept as a screenshot.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <windows.h>
#include <commctrl.h>

#include "shell/command_ids.h"
#include "e2e_support.h"

using namespace perchlet;
using namespace perchlet::e2e;

namespace {

constexpr wchar_t kMainClass[] = L"perchlet-MainWndClass";

std::string bookmarks() {
    TestBookmarks bookmarks;
    NodeId news = bookmarks.add(bookmarks.root(), "ニュース", "");
    bookmarks.add(news, "毎日のニュース - 国内・海外の最新ニュースと解説をまとめて読めるページ", "https://news.example.jp/");
    bookmarks.add(news, "天気", "https://weather.example.jp/");
    NodeId tools = bookmarks.add(bookmarks.root(), "ツール", "");
    bookmarks.add(tools, "Example", "http://example.com/");
    bookmarks.add(tools, "メール", "mailto:someone@example.com");
    return bookmarks.dataFile();
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
}

std::wstring freshFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + name + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void removeFolder(const std::wstring& folder) {
    for (const wchar_t* name : {L"\\inifile.ini", L"\\ListFile.dat", L"\\ListFile.bak"})
        DeleteFileW((folder + name).c_str());
    RemoveDirectoryW(folder.c_str());
}

// A dialog of the program with this caption, once it shows.
HWND waitForDialog(DWORD processId, const std::wstring& caption, DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        for (HWND window : topWindowsOf(processId, L"#32770"))
            if (IsWindowVisible(window) && textOf(window) == caption) return window;
        Sleep(50);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

void screenshot(const wchar_t* name) {
    Sleep(700);  // painted
    if (!options().artifacts.empty()) saveScreenshot(options().artifacts + L"\\" + name);
}

void closeAndWait(Process& program, HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    EXPECT_TRUE(program.waitForExit(15000, code));
    EXPECT_EQ(code, 0u);
    program.kill();
}

}  // namespace

TEST(FirstMeeting, AFirstStartSaysHowToBegin) {
    std::wstring folder = freshFolder(L"perchlet-first-");
    Process program;
    ASSERT_TRUE(program.start(options().perchletExe, folder));
    HWND window = waitForWindow(program.id, kMainClass, 30000);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(textOf(window) == L"Perchlet");
    screenshot(L"first_run.bmp");
    closeAndWait(program, window);
    removeFolder(folder);
}

TEST(FirstMeeting, FindWindowQuestionAndEditorPanel) {
    std::wstring folder = freshFolder(L"perchlet-meet-");
    writeFile(folder + L"\\inifile.ini", "[Option]\r\nFileOpen=1\r\n");
    writeFile(folder + L"\\ListFile.dat", bookmarks());
    Process program;
    ASSERT_TRUE(program.start(options().perchletExe, folder));
    HWND window = waitForWindow(program.id, kMainClass, 30000);
    ASSERT_NE(window, nullptr);
    DWORD start = GetTickCount();
    while (textOf(window) != L"ListFile.dat - Perchlet" && GetTickCount() - start < 10000) Sleep(100);
    // Open the news folder: its long title ends with "…" at the pane's edge.
    HWND tree = GetDlgItem(window, IDC_TREE_VIEW);
    LRESULT root = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    LRESULT news = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, root);
    PostMessageW(tree, TVM_EXPAND, TVE_EXPAND, news);

    // The find window from the Edit menu's command, with words that find two items.
    PostMessageW(window, WM_COMMAND, CMD_FIND, 0);
    HWND find = waitForDialog(program.id, L"検索", 10000);
    ASSERT_NE(find, nullptr);
    SendMessageW(GetDlgItem(find, IDC_FIND_TEXT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"にゅーす"));
    screenshot(L"find_window.bmp");
    PostMessageW(find, WM_COMMAND, IDCANCEL, 0);

    // The delete question for the selected root, answered Cancel.
    Sleep(300);
    PostMessageW(window, WM_COMMAND, CMD_DELETE, 0);
    HWND question = waitForDialog(program.id, L"削除の確認", 10000);
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(messageBoxText(question).find(L"を削除しますか？") != std::wstring::npos);
    screenshot(L"message_box.bmp");
    PostMessageW(question, WM_COMMAND, IDCANCEL, 0);

    // The editor panel beside the tree.
    Sleep(300);
    PostMessageW(window, WM_COMMAND, CMD_EDITOR_PANEL, 0);
    start = GetTickCount();
    HWND panel = nullptr;
    while (!panel && GetTickCount() - start < 10000) {
        panel = FindWindowExW(window, nullptr, L"#32770", nullptr);
        Sleep(50);
    }
    ASSERT_NE(panel, nullptr);
    screenshot(L"editor_panel.bmp");
    EXPECT_TRUE(textOf(window) == L"ListFile.dat - Perchlet");  // nothing was changed
    closeAndWait(program, window);
    removeFolder(folder);
}
