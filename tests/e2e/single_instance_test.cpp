// The program as a user starts it: a second start asks before running a second copy.
#include <gtest/gtest.h>

#include "e2e_support.h"

using namespace perchlet::e2e;

namespace {

constexpr wchar_t kMainClass[] = L"perchlet-MainWndClass";

std::wstring temporaryFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"perchlet-e2e-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void closeAndWait(Process& process) {
    for (HWND window : topWindowsOf(process.id, kMainClass)) PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    if (!process.waitForExit(15000, code)) process.kill();
}

}  // namespace

TEST(SingleInstance, SecondStartAsksAndNoLeavesOneCopy) {
    ASSERT_FALSE(options().perchletExe.empty()) << "pass --perchlet=PATH";
    std::wstring folder = temporaryFolder();

    Process first;
    ASSERT_TRUE(first.start(options().perchletExe, folder));
    HWND mainWindow = waitForWindow(first.id, kMainClass, 30000);
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_TRUE(textOf(mainWindow) == L"Perchlet");
    Sleep(1500);
    if (!options().artifacts.empty()) saveScreenshot(options().artifacts + L"\\started.bmp");

    Process second;
    ASSERT_TRUE(second.start(options().perchletExe, folder));
    HWND question = waitForWindow(second.id, L"#32770", 30000);
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(textOf(question) == L"Perchlet の起動");
    EXPECT_TRUE(messageBoxText(question) == L"このプログラムは既に起動しています。もうひとつ起動しますか？");
    EXPECT_TRUE(topWindowsOf(second.id, kMainClass).empty());

    PostMessageW(question, WM_COMMAND, IDNO, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(second.waitForExit(15000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(topWindowsOf(0, kMainClass).size(), 1u);

    closeAndWait(first);
    second.kill();
    first.kill();

    // With every copy gone, the next start asks nothing.
    Process third;
    ASSERT_TRUE(third.start(options().perchletExe, folder));
    EXPECT_NE(waitForWindow(third.id, kMainClass, 30000), nullptr);
    EXPECT_TRUE(topWindowsOf(third.id, L"#32770").empty());
    closeAndWait(third);
    third.kill();
    RemoveDirectoryW(folder.c_str());
}
