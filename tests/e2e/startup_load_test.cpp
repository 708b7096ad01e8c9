// The program started in a folder with its settings and data file shows the bookmarks.
#include <gtest/gtest.h>

#include <fstream>
#include <windows.h>
#include <commctrl.h>

#include "e2e_support.h"

using namespace perchlet;
using namespace perchlet::e2e;

namespace {

std::string bookmarks() {
    TestBookmarks bookmarks;
    NodeId tools = bookmarks.add(bookmarks.root(), "ツール", "");
    bookmarks.add(tools, "Example", "http://example.com/");
    bookmarks.add(tools, "メール", "mailto:someone@example.com");
    bookmarks.add(bookmarks.root(), "ニュース", "https://news.example.jp/");
    return bookmarks.dataFile();
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
}

}  // namespace

TEST(StartupLoad, WindowShowsTheTreeAndTheFileName) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"perchlet-load-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    writeFile(folder + L"\\inifile.ini", "[Option]\r\nFileOpen=1\r\n[Window]\r\nTopMost=1\r\nMainHight=MAX\r\n");
    writeFile(folder + L"\\ListFile.dat", bookmarks());

    Process program;
    ASSERT_TRUE(program.start(options().perchletExe, folder));
    HWND window = waitForWindow(program.id, L"perchlet-MainWndClass", 30000);
    ASSERT_NE(window, nullptr);
    DWORD start = GetTickCount();
    while (textOf(window) != L"ListFile.dat - Perchlet" && GetTickCount() - start < 10000) Sleep(100);
    EXPECT_TRUE(textOf(window) == L"ListFile.dat - Perchlet");
    HWND tree = GetDlgItem(window, 90);
    ASSERT_NE(tree, nullptr);
    // The root is open; the folder below it has its items made only when it opens.
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 3);
    // Open the folder so that the picture shows a folder and its links.
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    HTREEITEM tools = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                              reinterpret_cast<LPARAM>(root)));
    PostMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(tools));
    start = GetTickCount();
    while (SendMessageW(tree, TVM_GETCOUNT, 0, 0) != 5 && GetTickCount() - start < 10000) Sleep(50);
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 5);
    Sleep(500);
    if (!options().artifacts.empty()) saveScreenshot(options().artifacts + L"\\bookmarks.bmp");

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    EXPECT_TRUE(program.waitForExit(15000, code));
    EXPECT_EQ(code, 0u);
    program.kill();
    DeleteFileW((folder + L"\\inifile.ini").c_str());
    DeleteFileW((folder + L"\\ListFile.dat").c_str());
    RemoveDirectoryW(folder.c_str());
}
