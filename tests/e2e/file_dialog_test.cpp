// The real open-file dialog: Open (100) shows it, a typed name opens that data file.
#include <gtest/gtest.h>

#include <fstream>
#include <windows.h>

#include "e2e_support.h"

using namespace perchlet;
using namespace perchlet::e2e;

namespace {

std::string smallDataFile() {
    TestBookmarks bookmarks;
    bookmarks.add(bookmarks.root(), "Example", "http://example.com/");
    return bookmarks.dataFile();
}

}  // namespace

TEST(FileDialog, OpenShowsTheRealDialogAndOpensTheTypedFile) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"perchlet-dialog-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring dataFile = folder + L"\\other.dat";
    {
        std::ofstream out(dataFile.c_str(), std::ios::binary);
        out << smallDataFile();
    }

    Process program;
    ASSERT_TRUE(program.start(options().perchletExe, folder));
    HWND window = waitForWindow(program.id, L"perchlet-MainWndClass", 30000);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_COMMAND, 100, 0);

    HWND dialog = waitForWindow(program.id, L"#32770", 30000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(textOf(dialog) == L"ファイルを開く");
    HWND edit = nullptr;
    for (DWORD start = GetTickCount(); !edit && GetTickCount() - start < 10000; Sleep(100)) edit = fileNameEdit(dialog);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(dataFile.c_str()));
    Sleep(500);
    if (!options().artifacts.empty()) saveScreenshot(options().artifacts + L"\\open_dialog.bmp");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);

    DWORD start = GetTickCount();
    while (textOf(window) != L"other.dat - Perchlet" && GetTickCount() - start < 15000) Sleep(100);
    EXPECT_TRUE(textOf(window) == L"other.dat - Perchlet");
    EXPECT_EQ(SendMessageW(GetDlgItem(window, 90), 0x1105 /* TVM_GETCOUNT */, 0, 0), 2);

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    EXPECT_TRUE(program.waitForExit(15000, code));
    program.kill();
    DeleteFileW(dataFile.c_str());
    RemoveDirectoryW(folder.c_str());
}
